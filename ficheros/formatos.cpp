// Which reader a file goes to, decided by its first bytes: a binary file
// (binarios.cpp) is refused naming its kind, or read if an ORTEC .chn; a
// first line that starts with a double quote is the own format (unless it
// is quoted names over rows of numbers), one of the instruments' newer
// formats its reader (formato_instrumento), a "$NAME:" line an ORTEC or
// IAEA .Spe, "<<PMCA SPECTRUM>>" an Amptek .mca, numbers in columns a table;
// anything else the own format, read as it always was, but for a Canberra
// .tka, known only by its name.  How the text is written comes first: a
// UTF-8 mark is skipped, UTF-16 and lines ended by a carriage return alone
// are converted whole.  Also what the readers share (samples, title,
// calibration), the name a save proposes and the notice of a load.  Start
// at lee_espectro_en_bloques.
#include "formatos.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "lector.h"

namespace {

constexpr size_t TAM_BLOQUE = size_t(1) << 20;
constexpr size_t TAM_PREFIJO = size_t(1) << 16; // what detection looks at first
// Of a header longer than the first look, detection sees a few lines, each
// cut to this.
constexpr size_t LARGO_LINEA_RESUMEN = 4096;
constexpr size_t TAM_MARCA = TAM_PREFIJO + 8; // what tells how the text is written
constexpr size_t BYTES_VISTA_UTF16 = 1024;    // what tells UTF-16 without its mark
constexpr size_t UNIDADES_MINIMAS_UTF16 = 4;
constexpr size_t TAM_COLA = 4096; // bytes read at a time from the end, looking past padding
constexpr int SIN_MEMORIA_AL_DETECTAR = -2;
constexpr char BOM_UTF8[] = "\xEF\xBB\xBF";
constexpr size_t LARGO_BOM_UTF8 = 3;
constexpr char BOM_UTF16_LE[] = "\xFF\xFE";
constexpr char BOM_UTF16_BE[] = "\xFE\xFF";
constexpr char COMILLA = '"';
constexpr char MARCA_SPE = '$';
constexpr char FIN_SPE = ':';
constexpr const char *PRIMERA_LINEA_MCA = "<<PMCA SPECTRUM>>";
constexpr char TITULO_SIN_NOMBRE[] = "\"...\"";
constexpr const char *EXTENSION_GUARDADO = ".txt";
constexpr const char *SUFIJO_GUARDADO = "-orquilo.txt";
constexpr const char *SUFIJO_PICOS = "-picos.tsv";    // the table of measured peaks
constexpr const char *SUFIJO_TABLA_XY = "-tabla.csv"; // the table of x and intensity

// The first line that is not blank, trimmed.
void primera_linea(const char *p, size_t n, const char **ini, const char **fin)
{
	const char *e = p + n;
	for (;;) {
		auto nl = static_cast<const char *>(std::memchr(p, '\n', e - p));
		*ini = p;
		*fin = nl ? nl : e;
		recorta(ini, fin);
		if (*ini < *fin || !nl)
			return;
		p = nl + 1;
	}
}

bool es_cabecera_spe(const char *ini, const char *fin)
{
	if (fin - ini < 3 || *ini != MARCA_SPE || fin[-1] != FIN_SPE)
		return false;
	for (const char *q = ini + 1; q < fin - 1; q++)
		if (!std::isalpha(static_cast<unsigned char>(*q)) && *q != '_')
			return false;
	return true;
}

// Whether [ini, fin) is two or more quoted names and nothing else but the
// separators between them, as R's write.table and write.csv head a table.
bool nombres_entrecomillados(const char *ini, const char *fin)
{
	int nombres = 0;
	for (const char *q = ini; q < fin; nombres++) {
		const char *cierre = q < fin && *q == COMILLA
		                         ? static_cast<const char *>(std::memchr(q + 1, COMILLA, fin - q - 1))
		                         : nullptr;
		if (!cierre)
			return false;
		q = cierre + 1;
		while (q < fin && (*q == ' ' || *q == '\t'))
			q++;
		if (q < fin && (*q == ',' || *q == ';'))
			q++;
		while (q < fin && (*q == ' ' || *q == '\t'))
			q++;
	}
	return nombres >= 2;
}

// The instrument format that the first line [ini, fin) of the n bytes at p
// opens, or -1: a file's kind is told by its start, however long its header.
int formato_por_su_comienzo(const char *ini, const char *fin, const char *p, size_t n)
{
	int instrumento = formato_instrumento(ini, fin, p, n);
	if (instrumento >= 0)
		return instrumento;
	if (es_cabecera_spe(ini, fin))
		return FORMATO_SPE;
	size_t largo = std::strlen(PRIMERA_LINEA_MCA);
	if (size_t(fin - ini) == largo && strncasecmp(ini, PRIMERA_LINEA_MCA, largo) == 0)
		return FORMATO_MCA;
	return -1;
}

// Whether the first line after `desde` that is not blank starts with a
// figure, as the own format's line of count and calibration does.
bool sigue_una_cifra(const char *desde, const char *fin)
{
	const char *ini, *e;
	auto nl = static_cast<const char *>(std::memchr(desde, '\n', size_t(fin - desde)));
	if (!nl)
		return false;
	primera_linea(nl + 1, size_t(fin - nl - 1), &ini, &e);
	return ini < e && (es_cifra(*ini) || *ini == '-' || *ini == '+' || *ini == '.');
}

int detecta(const char *p, size_t n, bool completo, FormaColumnas *forma)
{
	const char *ini, *fin;
	primera_linea(p, n, &ini, &fin);
	// A first line that is one quoted string is the own format's title, even
	// after blank lines, when numbers follow it; quoted names over rows of
	// numbers head a table, and so does a header of more lines (a quoted
	// title or "sep=" line, a name broken across lines inside its quotes).
	if ((n > 0 && *p == COMILLA) || (ini < fin && *ini == COMILLA))
		return detecta_columnas(p, n, completo, forma) &&
		               ((forma->cabecera > 1 && !sigue_una_cifra(fin, p + n)) ||
		                (forma->cabecera > 0 && nombres_entrecomillados(ini, fin)))
		           ? FORMATO_COLUMNAS
		           : FORMATO_PROPIO;
	int instrumento = formato_por_su_comienzo(ini, fin, p, n);
	if (instrumento >= 0)
		return instrumento;
	return detecta_columnas(p, n, completo, forma) ? FORMATO_COLUMNAS : FORMATO_PROPIO;
}

// Whether the first line of the n bytes at p opens an instrument's format,
// whose reader finds its own data: no header walk is wanted.
bool abre_un_instrumento(const char *p, size_t n)
{
	const char *ini, *fin;
	primera_linea(p, n, &ini, &fin);
	return formato_por_su_comienzo(ini, fin, p, n) >= 0;
}

// The reading used, then the others the file allows.
void anota_formas(const FormaColumnas &forma, Lectura *l)
{
	l->formas[0] = descripcion_de(forma);
	l->n_formas = 1 + forma.n_otras;
	for (int i = 0; i < forma.n_otras; i++)
		l->formas[i + 1] = forma.otras[i];
}

// The last component of a path.
const char *nombre_base(const char *ruta)
{
	const char *barra = std::strrchr(ruta, '/');
	return barra ? barra + 1 : ruta;
}

int lee_extranjero(int formato, Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre,
                   Lectura *l)
{
	using Lector = int (*)(Lineas &, size_t, Lectura *);
	static const Lector lectores[] = {nullptr, lee_spe,   lee_mca, nullptr,  nullptr,
	                                  lee_n42, lee_jcamp, lee_iec, lee_emsa, lee_tka};
	static_assert(sizeof lectores / sizeof *lectores == FORMATO_TKA + 1, "a reader for each format");
	int r = formato == FORMATO_COLUMNAS ? lee_columnas(s, forma, cota, nombre, l)
	                                    : lectores[formato](s, cota, l);
	if (r == FICHERO_BIEN)
		l->formato = formato;
	if (r == FICHERO_BIEN && formato == FORMATO_COLUMNAS)
		anota_formas(forma, l);
	return r;
}

// The own format read: a plain list, as detection saw it; its note, if any.
int lee_lista(int r, const FormaColumnas &forma, Lectura *l)
{
	if (r != FICHERO_BIEN)
		return r;
	FormaColumnas lista = forma;
	if (!lista.lista)
		lista = como_lista(FormaColumnas());
	if (l->nota[0] == '\0')
		std::memcpy(l->nota, lista.nota, sizeof l->nota);
	anota_formas(lista, l);
	return r;
}

// Only a regular file has an end and a size to bound the samples by: a pipe
// without a writer would block the open, a device could feed bytes for ever.
// Opening without blocking lets the type be checked first.
int abre_regular(const char *ruta, int *fd, struct stat *st)
{
	*fd = open(ruta, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
	if (*fd < 0) // a socket cannot be opened at all: say what it is
		return stat(ruta, st) == 0 && !S_ISREG(st->st_mode) ? FICHERO_NO_REGULAR : FICHERO_NO_SE_ABRE;
	int r = fstat(*fd, st) != 0    ? FICHERO_NO_SE_ABRE
	        : S_ISREG(st->st_mode) ? FICHERO_BIEN
	                               : FICHERO_NO_REGULAR;
	if (r != FICHERO_BIEN) {
		close(*fd);
		*fd = -1;
	}
	return r;
}

// Up to n bytes of the file from offset desde: how many, or -1 on an error.
ssize_t lee_trozo(int fd, char *destino, size_t n, off_t desde)
{
	size_t leidos = 0;
	while (leidos < n) {
		ssize_t r = pread(fd, destino + leidos, n - leidos, desde + off_t(leidos));
		if (r < 0 && errno == EINTR)
			continue;
		if (r < 0)
			return -1;
		if (r == 0)
			break;
		leidos += size_t(r);
	}
	return ssize_t(leidos);
}

// How a file's text is written, told by its first bytes.
enum Escritura { TEXTO_TAL_CUAL, TEXTO_TRAS_BOM, TEXTO_A_CONVERTIR };

bool empieza_por(const char *p, size_t n, const char *marca, size_t largo)
{
	return n >= largo && std::memcmp(p, marca, largo) == 0;
}

// How a text in UTF-16 is written: with its mark or without, and the order
// of each unit's bytes.
enum Utf16 { NO_UTF16, UTF16_LE_MARCADO, UTF16_BE_MARCADO, UTF16_LE, UTF16_BE };

// Whether the units of [p, p + n) are ASCII text with the zero byte at
// `cero` (0 or 1) of each: all but a few, and none a NUL.
bool unidades_ascii(const unsigned char *p, size_t n, int cero)
{
	size_t unidades = std::min(n, BYTES_VISTA_UTF16) / 2, ascii = 0;
	for (size_t i = 0; i < unidades; i++) {
		unsigned char alto = p[2 * i + size_t(cero)], bajo = p[2 * i + size_t(1 - cero)];
		if (bajo == 0)
			return false;
		ascii += alto == 0 && (bajo >= ' ' || bajo == '\t' || bajo == '\n' || bajo == '\r');
	}
	return unidades >= UNIDADES_MINIMAS_UTF16 && ascii * 10 >= unidades * 9;
}

// Windows tools write UTF-16 without a mark too; its zero bytes tell it.
Utf16 utf16_de(const char *p, size_t n)
{
	if (empieza_por(p, n, BOM_UTF16_LE, 2))
		return UTF16_LE_MARCADO;
	if (empieza_por(p, n, BOM_UTF16_BE, 2))
		return UTF16_BE_MARCADO;
	auto u = reinterpret_cast<const unsigned char *>(p);
	return unidades_ascii(u, n, 1) ? UTF16_LE : unidades_ascii(u, n, 0) ? UTF16_BE : NO_UTF16;
}

bool es_utf16(const char *p, size_t n)
{
	return utf16_de(p, n) != NO_UTF16;
}

// The length of [p, p + n) without what pads its end: NUL bytes, and DOS's
// end-of-file mark with any white space after it.
size_t sin_relleno(const char *p, size_t n)
{
	size_t m = n;
	while (m > 0 && (p[m - 1] == '\0' || p[m - 1] == FIN_DOS || es_blanco_c(p[m - 1])))
		if (p[--m] == '\0' || p[m] == FIN_DOS)
			n = m;
	return n;
}

// Lines ended by a carriage return alone: the first line end says so.
bool fines_de_linea_cr(const char *p, size_t n)
{
	for (size_t i = 0; i < n; i++)
		if (p[i] == '\n' || p[i] == '\r')
			return p[i] == '\r' && i + 1 < n && p[i + 1] != '\n';
	return false;
}

Escritura escritura(const char *prefijo, size_t n)
{
	if (es_utf16(prefijo, n))
		return TEXTO_A_CONVERTIR;
	bool bom = empieza_por(prefijo, n, BOM_UTF8, LARGO_BOM_UTF8);
	size_t desde = bom ? LARGO_BOM_UTF8 : 0;
	return fines_de_linea_cr(prefijo + desde, n - desde) ? TEXTO_A_CONVERTIR
	       : bom                                         ? TEXTO_TRAS_BOM
	                                                     : TEXTO_TAL_CUAL;
}

// A code point as UTF-8 at q; past it.
char *pon_utf8(char *q, uint32_t c)
{
	if (c < 0x80) {
		*q++ = char(c);
	} else if (c < 0x800) {
		*q++ = char(0xC0 | (c >> 6));
		*q++ = char(0x80 | (c & 0x3F));
	} else if (c < 0x10000) {
		*q++ = char(0xE0 | (c >> 12));
		*q++ = char(0x80 | ((c >> 6) & 0x3F));
		*q++ = char(0x80 | (c & 0x3F));
	} else {
		*q++ = char(0xF0 | (c >> 18));
		*q++ = char(0x80 | ((c >> 12) & 0x3F));
		*q++ = char(0x80 | ((c >> 6) & 0x3F));
		*q++ = char(0x80 | (c & 0x3F));
	}
	return q;
}

// UTF-16 after its byte-order mark, as UTF-8 into q (room for 3 bytes a
// unit); past the last byte written.
char *utf16_a_utf8(const unsigned char *p, size_t n, Utf16 forma, char *q)
{
	bool le = forma == UTF16_LE_MARCADO || forma == UTF16_LE;
	auto unidad = [&](size_t i) {
		return le ? uint32_t(p[i] | p[i + 1] << 8) : uint32_t(p[i] << 8 | p[i + 1]);
	};
	size_t desde = forma == UTF16_LE || forma == UTF16_BE ? 0 : 2;
	for (size_t i = desde; i + 1 < n; i += 2) {
		uint32_t c = unidad(i);
		if (c >= 0xD800 && c < 0xDC00 && i + 3 < n) {
			uint32_t d = unidad(i + 2);
			if (d >= 0xDC00 && d < 0xE000) {
				c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
				i += 2;
			}
		}
		q = pon_utf8(q, c);
	}
	return q;
}

// The text of a UTF-16 file as UTF-8, and any text with its lone carriage
// returns as line ends, in a new buffer of *m bytes; nullptr without memory.
char *convierte(const char *p, size_t n, size_t *m)
{
	auto t = static_cast<char *>(std::malloc(n / 2 * 3 + n + 1));
	if (!t)
		return nullptr;
	Utf16 forma = utf16_de(p, n);
	char *fin = forma != NO_UTF16
	                ? utf16_a_utf8(reinterpret_cast<const unsigned char *>(p), n, forma, t)
	                : static_cast<char *>(std::memcpy(t, p, sin_relleno(p, n))) + sin_relleno(p, n);
	for (char *q = t; q < fin; q++)
		if (*q == '\r' && (q + 1 == fin || q[1] != '\n'))
			*q = '\n';
	*m = size_t(fin - t);
	return t;
}

// Detection without letting a failed allocation through: the format, or
// SIN_MEMORIA_AL_DETECTAR.
int detecta_sin_abortar(const char *p, size_t n, bool completo, FormaColumnas *forma)
{
	try {
		return detecta(p, n, completo, forma);
	} catch (const std::bad_alloc &) {
		return SIN_MEMORIA_AL_DETECTAR;
	}
}

// What detection needs of a long header, gathered line by line: its first
// and last lines, a "sep=" line, one with a comma and one that starts with a
// figure, and how many lines it has (blank lines and comments aside); and
// a comment just before the first row, which may name the columns.
enum LineaResumen { PRIMERA, INDICA_SEP, CON_COMA, CON_CIFRA, ULTIMA, LINEAS_RESUMEN };
struct ResumenCabecera {
	std::string lineas[LINEAS_RESUMEN];
	std::string comentario;
	int cuantas = 0;
	off_t fila = -1; // where the first row starts; -1: none
};

void resume_linea(ResumenCabecera &r, const char *ini, const char *fin)
{
	static const std::string indica = "sep=";
	std::string l(ini, std::min(size_t(fin - ini), LARGO_LINEA_RESUMEN));
	bool cifra = !l.empty() && (std::isdigit(static_cast<unsigned char>(l[0])) || l[0] == '-');
	if (r.lineas[PRIMERA].empty())
		r.lineas[PRIMERA] = l;
	if (strncasecmp(l.c_str(), indica.c_str(), indica.size()) == 0)
		r.lineas[INDICA_SEP] = l;
	if (r.lineas[CON_COMA].empty() && l.find(',') != std::string::npos)
		r.lineas[CON_COMA] = l;
	if (r.lineas[CON_CIFRA].empty() && cifra)
		r.lineas[CON_CIFRA] = l;
	r.lineas[ULTIMA] = l;
	r.cuantas++;
}

// Walks the header in bounded memory to the first row.
ResumenCabecera resume_cabecera(Lineas &s)
{
	ResumenCabecera r;
	const char *ini, *fin;
	while (siguiente_linea(s, &ini, &fin)) {
		off_t empieza = posicion(s) - off_t(s.p - ini);
		recorta(&ini, &fin);
		if (ini == fin)
			continue;
		if (*ini == '#') {
			r.comentario.assign(ini, std::min(size_t(fin - ini), LARGO_LINEA_RESUMEN));
			continue;
		}
		if (!s.cortada && es_fila_de_numeros(ini, fin)) {
			r.fila = empieza;
			break;
		}
		r.comentario.clear();
		resume_linea(r, ini, fin);
	}
	return r;
}

// Detection over the summary of a long header and the rows' first bytes
// (filas, n of them; completo: the file ends there), then the header counted whole.
int detecta_resumida(const ResumenCabecera &r, const char *filas, size_t n, bool completo,
                     FormaColumnas *forma)
{
	std::string texto;
	int puestas = 0;
	for (const std::string &l : r.lineas)
		if (!l.empty() && (puestas == 0 || l != r.lineas[PRIMERA])) {
			texto += l + "\n";
			puestas++;
		}
	if (!r.comentario.empty())
		texto += r.comentario + "\n";
	texto.append(filas, n);
	int formato = detecta_sin_abortar(texto.data(), texto.size(), completo, forma);
	forma->cabecera += r.cuantas - puestas;
	return formato;
}

// The prefix is the whole text when it is no longer, in memory and in a file
// alike; a header that fills the first half of it is walked through whole.
int detecta_texto(const char *p, size_t n, FormaColumnas *forma)
{
	size_t largo = std::min(n, TAM_PREFIJO);
	if (largo == n || abre_un_instrumento(p, largo) || fila_en_la_primera_mitad(p, largo))
		return detecta_sin_abortar(p, largo, largo == n, forma);
	try {
		Lineas s;
		lineas_de_memoria(s, p, n);
		ResumenCabecera r = resume_cabecera(s);
		if (r.fila < 0)
			return FORMATO_PROPIO;
		size_t resto = n - size_t(r.fila);
		return detecta_resumida(r, p + r.fila, std::min(resto, TAM_PREFIJO), resto <= TAM_PREFIJO,
		                        forma);
	} catch (const std::bad_alloc &) {
		return SIN_MEMORIA_AL_DETECTAR;
	}
}

// The form a user chose in place of detection.
int formato_elegido(const FormaLectura &elegida, FormaColumnas *forma)
{
	*forma = forma_de(elegida);
	return elegida.lista && !forma->etiquetas ? FORMATO_PROPIO : FORMATO_COLUMNAS;
}

// What the content alone cannot tell: a Canberra .tka is plain numbers
// whose first two are its live and real time, known only by its extension.
int por_nombre(int formato, const char *nombre)
{
	const char *punto = std::strrchr(nombre, '.');
	return formato == FORMATO_PROPIO && punto && strcasecmp(punto, ".tka") == 0 ? FORMATO_TKA : formato;
}

// A binary file is told before any text: UTF-16 alone has NUL bytes and is
// text, and so is a text padded with them at its end.
int clase_de(const char *p, size_t n)
{
	Utf16 u = utf16_de(p, n);
	if (u == UTF16_LE_MARCADO || u == UTF16_BE_MARCADO)
		return NO_BINARIO;
	size_t m = n < TAM_PREFIJO ? n : TAM_PREFIJO;
	int clase = clase_binaria(p, m);
	if (clase != BINARIO_OTRO || u != NO_UTF16)
		return clase == BINARIO_OTRO ? NO_BINARIO : clase;
	return clase_binaria(p, sin_relleno(p, m));
}

// The file's size without the padding at its end (see sin_relleno), read
// backwards a block at a time; the size as it is when that cannot be read.
off_t tamano_sin_relleno(int fd, off_t tamano)
{
	static thread_local char cola[TAM_COLA];
	for (off_t fin = tamano; fin > 0;) {
		off_t desde = fin > off_t(TAM_COLA) ? fin - off_t(TAM_COLA) : 0;
		ssize_t n = lee_trozo(fd, cola, size_t(fin - desde), desde);
		if (n != ssize_t(fin - desde))
			return tamano;
		size_t queda = sin_relleno(cola, size_t(n));
		if (queda > 0)
			return desde + off_t(queda);
		fin = desde;
	}
	return 0;
}

// A binary file from its descriptor: what its reader needs, read whole.
int lee_binario_descriptor(int fd, const struct stat &st, int clase, const char *marca, size_t n, Lectura *l)
{
	size_t m = bytes_de_binario(clase, marca, n, size_t(st.st_size));
	auto bytes = static_cast<char *>(std::malloc(m + 1));
	if (!bytes)
		return FICHERO_SIN_MEMORIA;
	ssize_t leidos = lee_trozo(fd, bytes, m, 0);
	int r = leidos < 0 ? FICHERO_ERROR_LECTURA : lee_binario(clase, bytes, size_t(leidos), l);
	std::free(bytes);
	return r;
}

// Text as it is (no mark, line ends \n or \r\n) from memory.
int lee_texto_memoria(const char *datos, size_t n, Lectura *l, const char *nombre,
                      const FormaLectura *elegida)
{
	FormaColumnas forma;
	int formato =
	    elegida ? formato_elegido(*elegida, &forma) : por_nombre(detecta_texto(datos, n, &forma), nombre);
	if (formato < 0)
		return FICHERO_SIN_MEMORIA;
	if (formato == FORMATO_PROPIO)
		return lee_lista(lee_propio_memoria(datos, n, l), forma, l);
	Lineas s;
	lineas_de_memoria(s, datos, n);
	return lee_extranjero(formato, s, forma, cota_de(n), nombre, l);
}

// A text that must be converted: read whole, converted, then read from memory.
int lee_convertido(int fd, const struct stat &st, const char *nombre, Lectura *l, const FormaLectura *elegida)
{
	size_t n = size_t(st.st_size), m;
	auto bytes = static_cast<char *>(std::malloc(n + 1));
	if (!bytes)
		return FICHERO_SIN_MEMORIA;
	ssize_t leidos = lee_trozo(fd, bytes, n, 0);
	char *texto = leidos < 0 ? nullptr : convierte(bytes, size_t(leidos), &m);
	std::free(bytes);
	if (!texto)
		return leidos < 0 ? FICHERO_ERROR_LECTURA : FICHERO_SIN_MEMORIA;
	int r = lee_texto_memoria(texto, m, l, nombre, elegida);
	std::free(texto);
	return r;
}

// A header longer than the first look, walked through in blocks.
int detecta_cabecera_larga(int fd, const struct stat &st, off_t desde, FormaColumnas *forma)
{
	static thread_local char filas[TAM_PREFIJO];
	try {
		Lineas s;
		ResumenCabecera r;
		if (lineas_de_descriptor(s, fd, st, TAM_PREFIJO)) {
			reposiciona(s, desde);
			r = resume_cabecera(s);
		}
		int error = s.error;
		cierra_lineas(s);
		if (error)
			return error == FICHERO_SIN_MEMORIA ? SIN_MEMORIA_AL_DETECTAR : -1;
		if (r.fila < 0)
			return FORMATO_PROPIO;
		ssize_t n = lee_trozo(fd, filas, TAM_PREFIJO, r.fila);
		if (n < 0)
			return -1;
		n = std::min(n, ssize_t(st.st_size - r.fila));
		return detecta_resumida(r, filas, size_t(n), size_t(st.st_size - r.fila) <= TAM_PREFIJO,
		                        forma);
	} catch (const std::bad_alloc &) {
		return SIN_MEMORIA_AL_DETECTAR;
	}
}

// The file's first bytes from desde, as detection sees them: the format, -1
// when they cannot be read or SIN_MEMORIA_AL_DETECTAR.
int detecta_descriptor(int fd, const struct stat &st, off_t desde, FormaColumnas *forma)
{
	static thread_local char prefijo[TAM_PREFIJO];
	ssize_t n = lee_trozo(fd, prefijo, TAM_PREFIJO, desde);
	if (n < 0)
		return -1;
	n = std::min(n, ssize_t(st.st_size - desde)); // not what was added after the open
	bool completo = size_t(st.st_size - desde) <= TAM_PREFIJO;
	if (completo || abre_un_instrumento(prefijo, size_t(n)) ||
	    fila_en_la_primera_mitad(prefijo, size_t(n)))
		return detecta_sin_abortar(prefijo, size_t(n), completo, forma);
	return detecta_cabecera_larga(fd, st, desde, forma);
}

// How the file's text is written, from its first bytes (left in *marca,
// *n of them); false when they cannot be read.
bool escritura_de(int fd, Escritura *e, const char **marca = nullptr, size_t *n = nullptr)
{
	static thread_local char bytes[TAM_MARCA];
	ssize_t leidos = lee_trozo(fd, bytes, sizeof bytes, 0);
	*e = leidos < 0 ? TEXTO_TAL_CUAL : escritura(bytes, size_t(leidos));
	if (marca) {
		*marca = bytes;
		*n = leidos < 0 ? 0 : size_t(leidos);
	}
	return leidos >= 0;
}

// The format of a text to convert, told by its converted first bytes.
int formato_convertido(const char *marca, size_t n)
{
	size_t m;
	char *texto = convierte(marca, n, &m);
	FormaColumnas forma;
	int formato = texto ? detecta_texto(texto, m, &forma) : -1;
	std::free(texto);
	return formato;
}

int lee_descriptor(int fd, const struct stat &st_leido, size_t tam_bloque, const char *nombre, Lectura *l,
                   const FormaLectura *elegida)
{
	Escritura e;
	const char *marca;
	size_t n;
	if (!escritura_de(fd, &e, &marca, &n))
		return FICHERO_ERROR_LECTURA;
	int clase = clase_de(marca, n);
	if (clase != NO_BINARIO)
		return lee_binario_descriptor(fd, st_leido, clase, marca, n, l);
	if (e == TEXTO_A_CONVERTIR)
		return lee_convertido(fd, st_leido, nombre, l, elegida);
	struct stat st = st_leido; // the text, its padding left out
	st.st_size = tamano_sin_relleno(fd, st.st_size);
	off_t desde = e == TEXTO_TRAS_BOM ? off_t(LARGO_BOM_UTF8) : 0;
	FormaColumnas forma;
	int formato = elegida ? formato_elegido(*elegida, &forma)
	                      : por_nombre(detecta_descriptor(fd, st, desde, &forma), nombre);
	if (formato < 0)
		return formato == SIN_MEMORIA_AL_DETECTAR ? FICHERO_SIN_MEMORIA : FICHERO_ERROR_LECTURA;
	if (formato == FORMATO_PROPIO)
		return lee_lista(lee_propio_descriptor(fd, st, tam_bloque, desde, l), forma, l);
	Lineas s;
	int r = lineas_de_descriptor(s, fd, st, tam_bloque) ? FICHERO_BIEN : FICHERO_SIN_MEMORIA;
	if (r == FICHERO_BIEN) {
		reposiciona(s, desde);
		r = lee_extranjero(formato, s, forma, cota_de(st.st_size), nombre, l);
	}
	cierra_lineas(s);
	return r;
}

} // namespace

namespace {

// A table of x is one per sample: a reading that kept fewer samples than x
// (a row with no intensity) keeps the table's best line instead.
void ajusta_tabla(Lectura *l)
{
	if (l->cal.forma == FormaCalibracion::tabla && l->cal.x->size() != static_cast<size_t>(l->nptL)) {
		l->cal.forma = FormaCalibracion::recta;
		l->cal.x.reset();
	}
}

// How many of the n floats at v are ±inf, by their bits: a pass over 10^7
// samples is a tenth of their load unless it runs four to a step.
int infinitas_en(const float *v, int n)
{
	constexpr uint32_t SIN_SIGNO = 0x7FFFFFFF, INFINITO = 0x7F800000;
	int i = 0, cuantas = 0;
#ifdef __SSE2__
	constexpr int POR_PASO = 4;
	const __m128i sin_signo = _mm_set1_epi32(int(SIN_SIGNO)), infinito = _mm_set1_epi32(int(INFINITO));
	__m128i suma = _mm_setzero_si128(); // -1 a lane for each one found
	for (; i + POR_PASO <= n; i += POR_PASO) {
		__m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(v + i));
		suma = _mm_add_epi32(suma, _mm_cmpeq_epi32(_mm_and_si128(b, sin_signo), infinito));
	}
	alignas(16) int32_t carriles[POR_PASO];
	_mm_store_si128(reinterpret_cast<__m128i *>(carriles), suma);
	for (int32_t c : carriles)
		cuantas -= c;
#endif
	for (; i < n; i++) {
		uint32_t b;
		std::memcpy(&b, v + i, sizeof b);
		cuantas += (b & SIN_SIGNO) == INFINITO;
	}
	return cuantas;
}

// Counts the samples that are ±inf: a value such as 1e300 overflows a float
// and would be drawn off the scale with no word.
int cuenta_infinitas(int r, Lectura *l)
{
	if (r != FICHERO_BIEN)
		return r;
	ajusta_tabla(l);
	int cuantas = infinitas_en(l->Li + 1, l->nptL);
	l->infinitas = cuantas;
	for (int c = 1; cuantas > 0 && c <= l->nptL && !l->primera_infinita; c++)
		if (std::isinf(l->Li[c]))
			l->primera_infinita = c;
	return r;
}

int lee_memoria_en(const char *datos, size_t n, Lectura *l, const char *nombre, const FormaLectura *elegida)
{
	*l = Lectura();
	int clase = clase_de(datos, n);
	if (clase != NO_BINARIO)
		return lee_binario(clase, datos, n, l);
	Escritura e = escritura(datos, n < TAM_MARCA ? n : TAM_MARCA);
	if (e != TEXTO_A_CONVERTIR)
		n = sin_relleno(datos, n);
	if (e == TEXTO_TRAS_BOM)
		return lee_texto_memoria(datos + LARGO_BOM_UTF8, n - LARGO_BOM_UTF8, l, nombre, elegida);
	if (e == TEXTO_TAL_CUAL)
		return lee_texto_memoria(datos, n, l, nombre, elegida);
	size_t m;
	char *texto = convierte(datos, n, &m);
	if (!texto)
		return FICHERO_SIN_MEMORIA;
	int r = lee_texto_memoria(texto, m, l, nombre, elegida);
	std::free(texto);
	return r;
}

int lee_memoria(const char *datos, size_t n, Lectura *l, const char *nombre, const FormaLectura *elegida)
{
	return cuenta_infinitas(lee_memoria_en(datos, n, l, nombre, elegida), l);
}

int lee_ruta(const char *ruta, Lectura *l, size_t tam_bloque, const FormaLectura *elegida)
{
	*l = Lectura();
	int fd;
	struct stat st;
	int r = abre_regular(ruta, &fd, &st);
	if (r != FICHERO_BIEN)
		return r;
	r = lee_descriptor(fd, st, tam_bloque, nombre_base(ruta), l, elegida);
	close(fd);
	return cuenta_infinitas(r, l);
}

} // namespace

int lee_espectro_memoria(const char *datos, size_t n, Lectura *l, const char *nombre)
{
	return lee_memoria(datos, n, l, nombre, nullptr);
}

int lee_espectro_en_bloques(const char *ruta, Lectura *l, size_t tam_bloque)
{
	return lee_ruta(ruta, l, tam_bloque, nullptr);
}

int lee_espectro(const char *ruta, Lectura *l)
{
	return lee_espectro_en_bloques(ruta, l, TAM_BLOQUE);
}

int lee_espectro_con_forma(const char *ruta, const FormaLectura &forma, Lectura *l, size_t tam_bloque)
{
	return lee_ruta(ruta, l, tam_bloque, &forma);
}

int lee_espectro_memoria_con_forma(const char *datos, size_t n, const FormaLectura &forma, Lectura *l,
                                   const char *nombre)
{
	return lee_memoria(datos, n, l, nombre, &forma);
}

namespace {

// An open file and its first bytes, which tell how its text is written.
struct Vistazo {
	int fd = -1;
	struct stat st = {};
	Escritura e = TEXTO_TAL_CUAL;
	const char *marca = nullptr; // n bytes, valid until the next look
	size_t n = 0;
};

// Opens the file and reads its first bytes: -1 when it cannot be opened,
// else whether the bytes could be read.  The caller closes v->fd.
int abre_y_mira(const char *ruta, Vistazo *v)
{
	if (abre_regular(ruta, &v->fd, &v->st) != FICHERO_BIEN)
		return -1;
	if (!escritura_de(v->fd, &v->e, &v->marca, &v->n))
		return 0;
	if (v->e != TEXTO_A_CONVERTIR && clase_de(v->marca, v->n) == NO_BINARIO) {
		v->st.st_size = tamano_sin_relleno(v->fd, v->st.st_size);
		v->n = std::min(v->n, size_t(v->st.st_size));
	}
	return 1;
}

} // namespace

int formato_de_fichero(const char *ruta)
{
	Vistazo v;
	int leida = abre_y_mira(ruta, &v);
	if (leida < 0)
		return -1;
	FormaColumnas forma;
	int clase = leida ? clase_de(v.marca, v.n) : NO_BINARIO;
	int formato =
	    !leida                 ? -1
	    : clase == BINARIO_CHN ? FORMATO_CHN
	    : clase != NO_BINARIO  ? -1
	    : v.e == TEXTO_A_CONVERTIR
	        ? formato_convertido(v.marca, v.n)
	        : detecta_descriptor(v.fd, v.st, v.e == TEXTO_TRAS_BOM ? off_t(LARGO_BOM_UTF8) : 0, &forma);
	close(v.fd);
	return formato < 0 ? -1 : por_nombre(formato, nombre_base(ruta));
}

namespace {

// Up to max_lineas whole lines of [p, p + n) into texto (tam bytes).
int copia_lineas(const char *p, size_t n, char *texto, size_t tam, int max_lineas)
{
	size_t k = 0;
	int lineas = 0;
	for (size_t i = 0; i < n && k + 1 < tam && lineas < max_lineas; i++) {
		texto[k++] = p[i] == '\0' ? '?' : p[i];
		lineas += p[i] == '\n';
	}
	texto[k] = '\0';
	return lineas + (k > 0 && texto[k - 1] != '\n' && lineas < max_lineas);
}

} // namespace

int primeras_lineas(const char *ruta, char *texto, size_t tam, int max_lineas)
{
	if (tam == 0)
		return -1;
	texto[0] = '\0';
	Vistazo v;
	int leida = abre_y_mira(ruta, &v);
	if (leida >= 0)
		close(v.fd);
	if (leida <= 0)
		return -1;
	if (v.e != TEXTO_A_CONVERTIR) {
		size_t desde = v.e == TEXTO_TRAS_BOM ? LARGO_BOM_UTF8 : 0;
		return copia_lineas(v.marca + desde, v.n - desde, texto, tam, max_lineas);
	}
	size_t m;
	char *convertido = convierte(v.marca, v.n, &m);
	if (!convertido)
		return -1;
	int r = copia_lineas(convertido, m, texto, tam, max_lineas);
	std::free(convertido);
	return r;
}

bool prepara(Acumulador &a, size_t esperadas, size_t cota)
{
	size_t cap = (esperadas < cota ? esperadas : cota) + 1;
	return cap <= a.cap || reserva(a, cap);
}

bool acumula(Acumulador &a, float x)
{
	if (size_t(a.n) + 1 >= a.cap) {
		if (a.n >= INT32_MAX - 1)
			return false;
		size_t cap = a.cap < 2 ? 2 : a.cap * 2;
		auto v = static_cast<float *>(std::realloc(a.v, cap * sizeof(float)));
		if (!v)
			return false;
		a.v = v;
		a.cap = cap;
	}
	guarda(a, x);
	return true;
}

void conserva(Acumulador &a, int desde, int cuantas)
{
	a.n = 0;
	a.max = 0;
	for (int i = desde + 1; i <= desde + cuantas; i++)
		guarda(a, a.v[i]); // each moves down, if at all
}

int entrega_acumulado(Acumulador &a, int error, Lectura *l)
{
	if (error || a.n == 0) {
		std::free(a.v);
		a = Acumulador();
		*l = Lectura();
		return error ? error : FICHERO_SIN_MUESTRAS;
	}
	auto v = static_cast<float *>(std::realloc(a.v, (size_t(a.n) + 1) * sizeof(float)));
	l->Li = v ? v : a.v;
	l->nptL = a.n;
	l->maxL = a.max;
	if (l->comment[0] == '\0')
		std::memcpy(l->comment, TITULO_SIN_NOMBRE, sizeof TITULO_SIN_NOMBRE);
	a = Acumulador();
	return FICHERO_BIEN;
}

void pon_titulo(Lectura &l, const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	if (auto nulo = static_cast<const char *>(std::memchr(ini, '\0', fin - ini)))
		fin = nulo;                                // the title is text: it ends at a NUL byte
	size_t n = fin - ini, cabe = sizeof l.comment - 3; // two quotes and the terminator
	n = n < cabe ? n : cabe;
	l.comment[0] = COMILLA;
	std::memcpy(l.comment + 1, ini, n);
	l.comment[n + 1] = COMILLA;
	l.comment[n + 2] = '\0';
}

// Held whole: a narrow range over many channels (0.1 nm at 500 nm over 2048)
// puts the offset near 10^7 channels, where a float is a channel apart.
void calibracion_lineal(Lectura &l, double a, double b, double primero)
{
	double por_canal = b;
	double desplazamiento = a / b + primero - 1;
	bool valida = por_canal != 0 && std::isfinite(por_canal) && std::isfinite(desplazamiento);
	l.cal.al = valida ? por_canal : 0;
	l.cal.bl = valida ? desplazamiento : 0;
}

namespace {

// The extension of a path's last name (its last dot on, a leading dot not
// counting), or nullptr when it has none.
const char *extension(const char *ruta)
{
	const char *base = nombre_base(ruta);
	const char *punto = std::strrchr(base, '.');
	return punto && punto != base ? punto : nullptr;
}

// The path with its extension replaced by `cola`, into nombre (TAM_NOMBRE bytes).
void cambia_extension(const char *ruta, const char *cola, char *nombre)
{
	const char *punto = extension(ruta);
	size_t raiz = punto ? size_t(punto - ruta) : std::strlen(ruta);
	std::snprintf(nombre, TAM_NOMBRE, "%.*s%s", int(raiz), ruta, cola);
}

} // namespace

void nombre_para_guardar(const char *cargado, char *nombre)
{
	const char *punto = extension(cargado);
	bool ya_txt = punto && std::strcmp(punto, EXTENSION_GUARDADO) == 0;
	cambia_extension(cargado, ya_txt ? SUFIJO_GUARDADO : EXTENSION_GUARDADO, nombre);
}

void nombre_tabla_picos(const char *cargado, char *nombre)
{
	cambia_extension(cargado, SUFIJO_PICOS, nombre);
}

void nombre_tabla_xy(const char *cargado, char *nombre)
{
	cambia_extension(cargado, SUFIJO_TABLA_XY, nombre);
}

const char *mensaje_aviso(const Lectura &l, const char *ruta)
{
	// As long as it comes out: the file's name may stand in it three times.
	static std::string mensaje;
	auto anade = [&](const char *formato, auto... datos) {
		int largo = std::snprintf(nullptr, 0, formato, datos...);
		if (largo <= 0)
			return;
		size_t n = mensaje.size();
		mensaje.resize(n + size_t(largo) + 1);
		std::snprintf(&mensaje[n], size_t(largo) + 1, formato, datos...);
		mensaje.resize(n + size_t(largo));
	};
	mensaje.clear();
	if (l.linea_ilegible > 0 && l.formato == FORMATO_PROPIO)
		anade("%s: se leyeron %d muestras; la línea %d no es un número. ", ruta, l.nptL,
		      l.linea_ilegible);
	else if (l.linea_ilegible > 0 && l.x_vuelve)
		anade("La x de la línea %d de %s se repite o vuelve atrás: se carga lo anterior. ",
		      l.linea_ilegible, ruta);
	else if (l.linea_ilegible > 0)
		anade("No se puede leer la línea %d de %s: se carga lo anterior. ", l.linea_ilegible, ruta);
	if (l.cuenta_ilegible > 0)
		anade("No se puede leer la cuenta %d de %s: se carga lo anterior. ", l.cuenta_ilegible, ruta);
	if (l.desvio_x > 0)
		anade("La x de %s no es lineal (se aparta %.3g pasos de su recta): se carga sin calibrar",
		      ruta, l.desvio_x);
	// What goes between one sentence and the next.
	auto corte = [&] {
		return mensaje.empty() || mensaje.back() == ' ' ? "" : mensaje.back() == '.' ? " " : ". ";
	};
	if (l.nota[0])
		anade("%s%s: %s.", corte(), ruta, l.nota);
	if (l.infinitas > 0)
		anade("%s%s: muestras infinitas (escritas así o fuera del alcance de un float, como 1e300): "
		      "%d, la primera la %d; no cuentan para la escala.",
		      corte(), ruta, l.infinitas, l.primera_infinita);
	return mensaje.empty() ? nullptr : mensaje.c_str();
}
