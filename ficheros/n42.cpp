// ANSI N42.42 XML, of 2006 and of 2011, read by expat as a stream in blocks
// of the line source: the counts of the first <ChannelData> (plain, or with
// CountedZeroes: a 0 followed by how many zeros it stands for), the energy
// calibration its spectrum names (energyCalibrationReference, or 2006's
// CalibrationIDs), else the file's first, as polynomial coefficients or as
// channel edges, and the live time as an ISO 8601 duration.  Tags may carry
// a namespace prefix.  A file cut short or broken keeps what came before,
// saying so; entity declarations and absurd nesting are refused.  Start at
// lee_n42.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <expat.h>
#include <memory>
#include <new>
#include <string>
#include <strings.h>
#include <vector>

#include "formatos.h"
#include "lector.h"

namespace {

// Expat 2.5 scans a token that a feed cut again at each feed: feeds that
// double, up to a bound, keep a token of megabytes from costing its square.
constexpr size_t TROZO_INICIAL = size_t(1) << 20, TROZO_MAXIMO = size_t(1) << 24;
constexpr int MAX_PROFUNDIDAD = 256; // nesting far past any N42's
constexpr size_t MAX_CALIBRACIONES = 64;
constexpr size_t MAX_COEFICIENTES = 8;
constexpr size_t MAX_BORDES = size_t(MAX_MUESTRAS_DESPLEGADAS) + 1;
constexpr const char *COMPRESION_CEROS = "CountedZeroes";
constexpr const char *TIPO_ENERGIA = "Energy";
// Every byte is a character in Latin-1, so no file is refused for the
// encoding it declares: what is read here (names, numbers) is ASCII, and a
// UTF-16 file reaches the reader already as UTF-8.
constexpr const char *CODIFICACION = "ISO-8859-1";

// What a text being gathered is for.
enum Texto { NINGUNO, CUENTAS, COEFICIENTES, BORDES, TIEMPO };

// Why the reader stopped expat.
enum Parada { SIN_PARADA, PROFUNDIDAD, ENTIDADES, SIN_MEMORIA };

struct Calibracion {
	std::string id;
	std::vector<double> coef;   // of the polynomial in the channel
	std::vector<double> bordes; // channel edges
	bool de_energia = true;
};

struct N42 {
	XML_Parser xml = nullptr;
	Acumulador *a = nullptr;
	Acumulador leidas; // CountedZeroes as written, before unfolding
	Texto texto = NINGUNO;
	int profundidad_texto = 0; // the depth of the element whose text is read, or 0
	std::string palabra;       // the number or duration cut by the end of a piece of text
	bool palabra_larga = false;
	int profundidad = 0;
	std::vector<Calibracion> calibraciones;
	int en_calibracion = 0;               // the depth of the calibration element open, or 0
	bool guardada = false;                // and it is the last of calibraciones
	std::vector<std::string> referencias; // the calibrations the first spectrum names
	double tiempo_vivo = -1;
	bool tiempo_visto = false;
	int espectros = 0;             // <ChannelData> elements met
	bool ceros = false;            // the counts are CountedZeroes
	bool cuentas_abiertas = false; // the first <ChannelData> is being read
	int cuenta_ilegible = 0;
	Parada parada = SIN_PARADA;
};

// The name without its namespace prefix.
const char *local(const XML_Char *nombre)
{
	const char *dos_puntos = std::strrchr(nombre, ':');
	return dos_puntos ? dos_puntos + 1 : nombre;
}

bool es(const XML_Char *nombre, const char *buscado)
{
	return std::strcmp(local(nombre), buscado) == 0;
}

// An attribute's value by its local name (any case), or nullptr.
const char *atributo(const XML_Char **atributos, const char *nombre)
{
	for (int i = 0; atributos[i]; i += 2)
		if (strcasecmp(local(atributos[i]), nombre) == 0)
			return atributos[i + 1];
	return nullptr;
}

void para(N42 &e, Parada motivo)
{
	if (e.parada == SIN_PARADA)
		e.parada = motivo;
	XML_StopParser(e.xml, XML_FALSE);
}

// A handler's work, where running out of memory stops the parse instead of
// unwinding through expat.
template <typename Trabajo> void protegido(void *datos, Trabajo trabajo)
{
	N42 &e = *static_cast<N42 *>(datos);
	try {
		trabajo(e);
	} catch (const std::bad_alloc &) {
		para(e, SIN_MEMORIA);
	}
}

Calibracion *calibracion_abierta(N42 &e)
{
	return e.en_calibracion > 0 && e.guardada ? &e.calibraciones.back() : nullptr;
}

// One count, or the first that cannot be read, after which the rest are not.
void cuenta(N42 &e, const char *ini, const char *fin)
{
	Acumulador &destino = e.ceros ? e.leidas : *e.a;
	float x;
	if (ini < fin && lee_float_como_scanf(ini, fin, &x) == size_t(fin - ini)) {
		if (!acumula(destino, x))
			para(e, SIN_MEMORIA);
		return;
	}
	e.cuenta_ilegible = destino.n + 1;
	e.texto = NINGUNO;
}

// One number of a list of doubles (of at most `maximo`); one that cannot be
// read ends the list.
void numero(N42 &e, const char *ini, const char *fin, std::vector<double> &lista, size_t maximo)
{
	double v;
	bool entero = lee_decimal(ini, fin, &v) == size_t(fin - ini);
	if (entero && lista.size() < maximo)
		lista.push_back(v);
	else if (!entero)
		e.texto = NINGUNO;
}

// A whole word [ini, fin) of a text, to what the text is for; one too long
// to be a number is none.
void palabra(N42 &e, const char *ini, const char *fin)
{
	static const char nada[] = "";
	if (e.palabra_larga || size_t(fin - ini) > LARGO_MAXIMO_NUMERO)
		ini = fin = nada;
	Calibracion *c = calibracion_abierta(e);
	if (e.texto == CUENTAS)
		cuenta(e, ini, fin);
	else if (e.texto == COEFICIENTES && c)
		numero(e, ini, fin, c->coef, MAX_COEFICIENTES);
	else if (e.texto == BORDES && c)
		numero(e, ini, fin, c->bordes, MAX_BORDES);
}

// The word that pieces of text gathered, now whole.
void cierra_palabra(N42 &e)
{
	if (e.palabra.empty() || e.texto == TIEMPO)
		return;
	palabra(e, e.palabra.data(), e.palabra.data() + e.palabra.size());
	e.palabra.clear();
	e.palabra_larga = false;
}

// Part of a word whose end is not yet in sight, kept (bounded).
void guarda_trozo(N42 &e, const char *ini, const char *fin)
{
	size_t cabe = LARGO_MAXIMO_NUMERO - std::min(e.palabra.size(), LARGO_MAXIMO_NUMERO);
	e.palabra.append(ini, std::min(size_t(fin - ini), cabe));
	e.palabra_larga = e.palabra_larga || size_t(fin - ini) > cabe;
}

// A piece of text: the words it ends are read in place, the last kept until
// the next piece tells whether it goes on.
void XMLCALL caracteres(void *datos, const XML_Char *s, int n)
{
	protegido(datos, [&](N42 &e) {
		const char *p = s, *fin = s + n;
		if (e.texto == TIEMPO)
			return guarda_trozo(e, p, fin);
		while (p < fin && e.texto != NINGUNO && e.parada == SIN_PARADA) {
			if (es_blanco(static_cast<unsigned char>(*p))) {
				cierra_palabra(e);
				p++;
				continue;
			}
			const char *q = p;
			while (q < fin && !es_blanco(static_cast<unsigned char>(*q)))
				q++;
			if (q < fin && e.palabra.empty())
				palabra(e, p, q);
			else
				guarda_trozo(e, p, q);
			p = q;
		}
	});
}

// Text is handed over only inside an element that is read: the rest of the
// file goes through expat unseen, as fast as it can.
void empieza_texto(N42 &e)
{
	e.profundidad_texto = e.profundidad;
	XML_SetCharacterDataHandler(e.xml, caracteres);
}

// A calibration element: 2011's EnergyCalibration, or 2006's Calibration
// of Type "Energy" (or of no type); others are kept only to be passed over.
void abre_calibracion(N42 &e, const XML_Char *nombre, const XML_Char **atributos)
{
	bool de_2006 = es(nombre, "Calibration");
	if (!de_2006 && !es(nombre, "EnergyCalibration"))
		return;
	const char *tipo = atributo(atributos, "Type");
	const char *id = atributo(atributos, "id");
	e.en_calibracion = e.profundidad;
	e.guardada = e.calibraciones.size() < MAX_CALIBRACIONES;
	if (!e.guardada)
		return;
	e.calibraciones.push_back(Calibracion());
	e.calibraciones.back().id = id ? id : "";
	e.calibraciones.back().de_energia = !de_2006 || !tipo || strcasecmp(tipo, TIPO_ENERGIA) == 0;
}

// The calibrations the spectrum names, by their ids.
void anota_referencias(N42 &e, const XML_Char **atributos)
{
	e.referencias.clear();
	for (const char *nombre : {"energyCalibrationReference", "CalibrationIDs"}) {
		const char *v = atributo(atributos, nombre);
		for (const char *p = v; p && *p;) {
			while (*p && es_blanco_c(*p))
				p++;
			const char *q = p;
			while (*q && !es_blanco_c(*q))
				q++;
			if (q > p)
				e.referencias.emplace_back(p, q);
			p = q;
		}
	}
}

void abre_cuentas(N42 &e, const XML_Char **atributos)
{
	if (e.espectros++ > 0)
		return;
	e.ceros = false;
	for (int i = 1; atributos[i - 1]; i += 2)
		e.ceros = e.ceros || strcasecmp(atributos[i], COMPRESION_CEROS) == 0;
	e.cuentas_abiertas = true;
	e.texto = CUENTAS;
	empieza_texto(e);
}

// What an element opens of what a spectrum needs.
void abre_texto(N42 &e, const XML_Char *nombre)
{
	Calibracion *c = calibracion_abierta(e);
	if (c && c->de_energia && (es(nombre, "CoefficientValues") || es(nombre, "Coefficients")) &&
	    c->coef.empty())
		e.texto = COEFICIENTES;
	else if (c && c->de_energia && es(nombre, "EnergyBoundaryValues") && c->bordes.empty())
		e.texto = BORDES;
	else if (!e.tiempo_visto && (es(nombre, "LiveTimeDuration") || es(nombre, "LiveTime")))
		e.texto = TIEMPO;
	if (e.texto != NINGUNO)
		empieza_texto(e);
}

void XMLCALL abre(void *datos, const XML_Char *nombre, const XML_Char **atributos)
{
	protegido(datos, [&](N42 &e) {
		if (++e.profundidad > MAX_PROFUNDIDAD)
			return para(e, PROFUNDIDAD);
		cierra_palabra(e); // an element inside a text parts its words
		if (e.profundidad_texto > 0)
			return;
		if (es(nombre, "ChannelData"))
			return abre_cuentas(e, atributos);
		if (es(nombre, "Spectrum") && e.espectros == 0)
			anota_referencias(e, atributos);
		if (e.en_calibracion == 0)
			abre_calibracion(e, nombre, atributos);
		abre_texto(e, nombre);
	});
}

// The end of a text's element: what it gathered is complete.
void cierra_texto(N42 &e)
{
	cierra_palabra(e);
	if (e.texto == TIEMPO) {
		e.tiempo_vivo = duracion_iso(e.palabra.data(), e.palabra.data() + e.palabra.size());
		e.tiempo_visto = true;
		e.palabra.clear();
		e.palabra_larga = false;
	}
	e.cuentas_abiertas = false;
	e.texto = NINGUNO;
	e.profundidad_texto = 0;
	XML_SetCharacterDataHandler(e.xml, nullptr);
}

void XMLCALL cierra(void *datos, const XML_Char *)
{
	protegido(datos, [&](N42 &e) {
		if (e.profundidad == e.profundidad_texto)
			cierra_texto(e);
		if (e.en_calibracion == e.profundidad)
			e.en_calibracion = 0;
		e.profundidad--;
	});
}

// An entity declared in the file could make a few bytes stand for
// gigabytes: such a file is refused.
void XMLCALL entidad(void *datos, const XML_Char *, int, const XML_Char *, int, const XML_Char *,
                     const XML_Char *, const XML_Char *, const XML_Char *)
{
	para(*static_cast<N42 *>(datos), ENTIDADES);
}

// How the parse ended.
struct Final {
	XML_Error error = XML_ERROR_NONE;
	int linea = 0;
	bool cortado = false; // the input ended inside the document
};

bool es_corte(XML_Error error)
{
	return error == XML_ERROR_NO_ELEMENTS || error == XML_ERROR_UNCLOSED_TOKEN ||
	       error == XML_ERROR_PARTIAL_CHAR || error == XML_ERROR_UNCLOSED_CDATA_SECTION;
}

// The whole input through expat, a block at a time.
Final recorre(Lineas &s, N42 &e)
{
	Final f;
	for (size_t trozo = TROZO_INICIAL;; trozo = std::min(2 * trozo, TROZO_MAXIMO)) {
		void *buf = XML_GetBuffer(e.xml, int(trozo));
		if (!buf) {
			para(e, SIN_MEMORIA);
			break;
		}
		size_t n = lee_bytes(s, static_cast<char *>(buf), trozo);
		bool ultimo = n == 0 || s.error;
		if (XML_ParseBuffer(e.xml, int(n), ultimo) != XML_STATUS_OK) {
			f.error = XML_GetErrorCode(e.xml);
			f.linea = int(XML_GetCurrentLineNumber(e.xml));
			f.cortado = ultimo && es_corte(f.error);
			break;
		}
		if (ultimo)
			break;
	}
	return f;
}

// The calibration of the spectrum: the energy calibration it names, else
// the file's first that says something.
const Calibracion *elegida(const N42 &e)
{
	auto util = [](const Calibracion &c) {
		return c.de_energia && (c.coef.size() >= 2 || c.bordes.size() >= 2);
	};
	for (const std::string &id : e.referencias)
		for (const Calibracion &c : e.calibraciones)
			if (c.id == id && util(c))
				return &c;
	for (const Calibracion &c : e.calibraciones)
		if (util(c))
			return &c;
	return nullptr;
}

// Channel edges: each channel's centre is the mean of its two edges.
void calibra_bordes(Lectura &l, const std::vector<double> &bordes)
{
	std::vector<double> centros(bordes.size() - 1);
	for (size_t i = 0; i + 1 < bordes.size(); i++)
		centros[i] = (bordes[i] + bordes[i + 1]) / 2;
	calibra_x(l, centros.data(), int(centros.size()));
}

void calibra(const N42 &e, int canales, Lectura &l)
{
	const Calibracion *c = elegida(e);
	if (c && c->coef.size() >= 2)
		calibra_polinomio(l, c->coef.data(), int(c->coef.size()), 0, canales);
	else if (c)
		calibra_bordes(l, c->bordes);
}

// Puts texto before the note the reader has, parted by "; ", cut whole at
// a character if it does not fit.
void antepone_nota(Lectura &l, const std::string &texto)
{
	std::string nota = l.nota[0] ? texto + "; " + l.nota : texto;
	size_t largo = std::min(nota.size(), sizeof l.nota - 1);
	while (largo > 0 && largo < nota.size() && (static_cast<unsigned char>(nota[largo]) & 0xC0) == 0x80)
		largo--;
	std::memcpy(l.nota, nota.data(), largo);
	l.nota[largo] = '\0';
}

// Why the parse stopped before the end, in the user's words.
const char *motivo(const N42 &e, const Final &f)
{
	if (e.parada == PROFUNDIDAD)
		return "más de 256 elementos anidados";
	switch (f.error) {
	case XML_ERROR_TAG_MISMATCH:
		return "una etiqueta cierra otra que no es la abierta";
	case XML_ERROR_INVALID_TOKEN:
		return "un carácter o una marca que no caben ahí";
	case XML_ERROR_UNDEFINED_ENTITY:
		return "una entidad sin definir";
	case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
		return "algo tras el final del documento";
	default:
		return "XML mal formado";
	}
}

// Says how the document ended when it did not end whole.
void anota_final(const N42 &e, const Final &f, int cuentas, Lectura &l)
{
	char texto[TAM_NOTA];
	if (f.cortado && e.cuentas_abiertas)
		std::snprintf(
		    texto, sizeof texto,
		    "está cortado dentro de ChannelData: se cargan las %d cuentas que llegan enteras",
		    cuentas);
	else if (f.cortado)
		std::snprintf(texto, sizeof texto, "está cortado: le falta el final del XML");
	else if (e.cuentas_abiertas)
		std::snprintf(texto, sizeof texto,
		              "su XML no se puede leer en la línea %d (%s), dentro de ChannelData: se "
		              "cargan las %d cuentas anteriores",
		              f.linea, motivo(e, f), cuentas);
	else
		std::snprintf(texto, sizeof texto,
		              "su XML no se puede leer en la línea %d (%s): se carga lo anterior", f.linea,
		              motivo(e, f));
	antepone_nota(l, texto);
}

// CountedZeroes unfolded into b: every 0 followed by its count.
int despliega_ceros(const Acumulador &a, Acumulador &b)
{
	for (int i = 1; i <= a.n; i++) {
		float v = a.v[i];
		if (v != 0) {
			if (!acumula(b, v))
				return FICHERO_SIN_MEMORIA;
			continue;
		}
		float ceros = i < a.n ? a.v[++i] : 1;
		if (!(ceros >= 0 && ceros <= double(MAX_MUESTRAS_DESPLEGADAS) - b.n) ||
		    ceros != float(int(ceros)))
			return FICHERO_SIN_MUESTRAS; // a count of zeros no file means
		for (int k = 0; k < int(ceros); k++)
			if (!acumula(b, 0))
				return FICHERO_SIN_MEMORIA;
	}
	return FICHERO_BIEN;
}

// The counts as read into a, once the parse is over: the result code.
int cuentas_leidas(Lineas &s, N42 &e, const Final &f, Acumulador &a)
{
	if (f.cortado && e.cuentas_abiertas)
		e.palabra.clear(); // the last number may be cut short too
	else
		cierra_palabra(e);
	int r = s.error                   ? s.error
	        : e.parada == SIN_MEMORIA ? FICHERO_SIN_MEMORIA
	        : e.parada == ENTIDADES   ? FICHERO_SIN_MUESTRAS
	        : e.ceros                 ? despliega_ceros(e.leidas, a)
	                                  : FICHERO_BIEN;
	std::free(e.leidas.v);
	e.leidas = Acumulador();
	return r;
}

int lee_n42_en(Lineas &s, Acumulador &a, Lectura *l)
{
	N42 e;
	e.a = &a;
	std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> xml(XML_ParserCreate(CODIFICACION),
	                                                            XML_ParserFree);
	if (!xml)
		return entrega_acumulado(a, FICHERO_SIN_MEMORIA, l);
	e.xml = xml.get();
	XML_SetUserData(e.xml, &e);
	XML_SetElementHandler(e.xml, abre, cierra);
	XML_SetEntityDeclHandler(e.xml, entidad);
	Final f = recorre(s, e);
	int r = cuentas_leidas(s, e, f, a);
	if (r != FICHERO_BIEN || a.n == 0) {
		r = entrega_acumulado(a, r, l);
		if (r == FICHERO_SIN_MUESTRAS && !f.cortado)
			l->linea_ilegible = f.linea;
		return r;
	}
	calibra(e, a.n, *l);
	l->tiempo_vivo = e.tiempo_vivo > 0 ? e.tiempo_vivo : 0;
	l->cuenta_ilegible = e.cuenta_ilegible;
	if (e.espectros > 1)
		antepone_nota(*l, "tiene " + std::to_string(e.espectros) + " espectros: se carga el primero");
	if (f.error != XML_ERROR_NONE)
		anota_final(e, f, a.n, *l);
	return entrega_acumulado(a, FICHERO_BIEN, l);
}

} // namespace

int lee_n42(Lineas &s, size_t, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_n42_en(s, a, l); });
}
