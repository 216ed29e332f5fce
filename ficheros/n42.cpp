// ANSI N42.42 XML: the counts of the first <ChannelData> (plain, or with
// compressionCode="CountedZeroes": a 0 followed by how many zeros it
// stands for), the first energy calibration's coefficients and the live
// time as an ISO 8601 duration.  Only what a spectrum needs is looked at;
// tags may carry a namespace prefix.  Start at lee_n42.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formatos.h"

namespace {

constexpr const char *DATOS = "ChannelData";
constexpr const char *COMPRESION_CEROS = "CountedZeroes";
constexpr const char *COEFICIENTES[] = {"CoefficientValues", "Coefficients"};
constexpr const char *TIEMPOS_VIVOS[] = {"LiveTimeDuration", "LiveTime"};
constexpr size_t LARGO_MAXIMO_ELEMENTO = 4096; // a calibration or a time: a few numbers
constexpr int MAX_COEFICIENTES = 8;

// Where the opening tag <nombre (or <prefix:nombre) starts in [ini, fin),
// and *tras just past its name; nullptr when there is none.
const char *etiqueta(const char *ini, const char *fin, const char *nombre, const char **tras)
{
	size_t largo = std::strlen(nombre);
	for (const char *p = ini; p < fin;) {
		auto q = static_cast<const char *>(memmem(p, fin - p, nombre, largo));
		if (!q)
			return nullptr;
		const char *abre = q;
		while (abre > ini && abre[-1] != '<' && abre[-1] != '/' && abre[-1] != ' ' && abre[-1] != '>')
			abre--;
		bool nombre_entero = q + largo < fin && (q[largo] == '>' || q[largo] == ' ');
		if (abre > ini && abre[-1] == '<' && (abre == q || q[-1] == ':') && nombre_entero) {
			*tras = q + largo;
			return abre - 1;
		}
		p = q + largo;
	}
	return nullptr;
}

struct N42 {
	double coef[MAX_COEFICIENTES] = {};
	int n_coef = -1; // -1: none met yet
	double tiempo_vivo = -1;
	int espectros = 0;
};

// The text of the element whose opening tag ends on the line [ini, fin) at
// or after `tras`, to its closing tag, whatever lines it spans (bounded).
// *otras_lineas: it looked past that line, which is then no longer at hand.
std::string texto_elemento(Lineas &s, const char *tras, const char *fin, bool *otras_lineas)
{
	auto cierre = static_cast<const char *>(std::memchr(tras, '>', fin - tras));
	std::string texto(cierre ? cierre + 1 : fin, fin);
	const char *ini;
	*otras_lineas = texto.find('<') == std::string::npos; // even a call at the end moves the window
	while (texto.find('<') == std::string::npos && texto.size() < LARGO_MAXIMO_ELEMENTO &&
	       siguiente_linea(s, &ini, &fin))
		texto.append(" ").append(ini, fin);
	return texto.substr(0, texto.find('<'));
}

// The coefficients; true when they took more than their tag's line.
bool lee_coeficientes(Lineas &s, const char *tras, const char *fin, N42 &e)
{
	bool otras_lineas;
	std::string t = texto_elemento(s, tras, fin, &otras_lineas);
	float v[MAX_COEFICIENTES];
	e.n_coef = numeros_de_linea(t.data(), t.data() + t.size(), v, MAX_COEFICIENTES);
	for (int k = 0; k < e.n_coef; k++)
		e.coef[k] = v[k];
	return otras_lineas;
}

bool lee_tiempo(Lineas &s, const char *tras, const char *fin, N42 &e)
{
	bool otras_lineas;
	std::string t = texto_elemento(s, tras, fin, &otras_lineas);
	e.tiempo_vivo = duracion_iso(t.data(), t.data() + t.size());
	return otras_lineas;
}

// The <ChannelData> tags on [ini, fin) from the first, whose name ends at tras.
int cuenta_datos(const char *tras, const char *fin)
{
	int n = 1;
	for (const char *siguiente; etiqueta(tras, fin, DATOS, &siguiente); tras = siguiente)
		n++;
	return n;
}

// CountedZeroes unfolded in place into b: every 0 followed by its count.
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

// The counts after the tag that ends at `tras` on the line [ini, fin).
int lee_datos(Lineas &s, const char *ini, const char *tras, const char *fin, size_t cota, Acumulador &a)
{
	auto cierre = static_cast<const char *>(std::memchr(tras, '>', fin - tras));
	if (!cierre)
		return FICHERO_SIN_MUESTRAS;
	bool ceros = memmem(tras, cierre - tras, COMPRESION_CEROS, std::strlen(COMPRESION_CEROS));
	off_t desde = cierre + 1 - ini;
	devuelve_linea(s);
	reposiciona(s, posicion(s) + desde);
	Acumulador leidas;
	int r = lee_numeros(s, INT32_MAX - 1, cota, ceros ? leidas : a);
	if (r == FICHERO_BIEN && ceros)
		r = despliega_ceros(leidas, a);
	std::free(leidas.v);
	return r;
}

// One line: what it opens, of what a spectrum needs.  An element read past
// the line's end ends it, as the counts do.
int lee_linea(Lineas &s, const char *ini, const char *fin, size_t cota, N42 &e, Acumulador &a)
{
	const char *tras;
	for (const char *nombre : COEFICIENTES)
		if (e.n_coef < 0 && etiqueta(ini, fin, nombre, &tras) && lee_coeficientes(s, tras, fin, e))
			return FICHERO_BIEN;
	for (const char *nombre : TIEMPOS_VIVOS)
		if (e.tiempo_vivo < 0 && etiqueta(ini, fin, nombre, &tras) && lee_tiempo(s, tras, fin, e))
			return FICHERO_BIEN;
	if (!etiqueta(ini, fin, DATOS, &tras))
		return FICHERO_BIEN;
	bool primero = e.espectros == 0;
	e.espectros += cuenta_datos(tras, fin);
	return primero ? lee_datos(s, ini, tras, fin, cota, a) : FICHERO_BIEN;
}

int lee_n42_en(Lineas &s, size_t cota, Acumulador &a, Lectura *l)
{
	N42 e;
	const char *ini, *fin;
	int r = FICHERO_BIEN;
	while (r == FICHERO_BIEN && !s.error && siguiente_linea(s, &ini, &fin))
		r = lee_linea(s, ini, fin, cota, e, a);
	if (r == FICHERO_BIEN && s.error)
		r = s.error;
	calibra_polinomio(*l, e.coef, e.n_coef, 0, a.n);
	l->tiempo_vivo = e.tiempo_vivo > 0 ? e.tiempo_vivo : 0;
	if (e.espectros > 1 && !l->nota[0])
		std::snprintf(l->nota, sizeof l->nota, "tiene %d espectros: se carga el primero",
		              e.espectros);
	return entrega_acumulado(a, r, l);
}

} // namespace

int lee_n42(Lineas &s, size_t cota, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_n42_en(s, cota, a, l); });
}
