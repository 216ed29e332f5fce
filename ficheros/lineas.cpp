// See lineas.h.  A line is cut at the same place whether the bytes come from
// memory or in blocks, so both give the same lines; the window grows only
// while a line has not shown its end within LARGO_MAXIMO_LINEA + 1 bytes.
#include "lineas.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "fichero.h"
#include "lector.h"

namespace {

constexpr char FIN_LINEA = '\n';
constexpr char RETORNO = '\r';
constexpr char COMA = ',';
constexpr char PUNTO = '.';
constexpr size_t TAM_MIRADA_ATRAS = 4096;
constexpr size_t CIFRAS_POR_GRUPO = 3;                   // between two thousands marks
constexpr char ESPACIO_DURO[] = "\xC2\xA0";              // U+00A0
constexpr char ESPACIO_DURO_ESTRECHO[] = "\xE2\x80\xAF"; // U+202F

// Brings more of the file, keeping [p, fin); false when nothing more came.
// The file ends where it ended when it was opened (s.st): what is added since
// is not read.
bool rellena(Lineas &s)
{
	if (s.final || s.error || s.fd < 0)
		return false;
	size_t resto = s.fin - s.p;
	if (resto == s.cap) {
		auto b = static_cast<char *>(std::realloc(s.buf, s.cap * 2));
		if (!b) {
			s.error = FICHERO_SIN_MEMORIA;
			return false;
		}
		s.p = b + (s.p - s.buf);
		s.buf = b;
		s.cap *= 2;
	}
	std::memmove(s.buf, s.p, resto);
	size_t quiero = s.cap - resto;
	off_t hasta = s.hasta >= 0 ? s.hasta : s.st.st_size;
	if (off_t(quiero) > hasta - s.leido)
		quiero = s.leido < hasta ? size_t(hasta - s.leido) : 0;
	ssize_t r = 0;
	while (quiero > 0 && (r = pread(s.fd, s.buf + resto, quiero, s.leido)) < 0 && errno == EINTR) {
	}
	if (r < 0) {
		s.error = FICHERO_ERROR_LECTURA;
		return false;
	}
	s.leido += r;
	s.final = r == 0;
	s.p = s.buf;
	s.fin = s.buf + resto + r;
	return r > 0;
}

// Skips what is left of a cut line; false when the input ended first.
bool salta_resto(Lineas &s)
{
	for (;;) {
		auto nl = static_cast<const char *>(std::memchr(s.p, FIN_LINEA, s.fin - s.p));
		if (nl) {
			s.p = nl + 1;
			s.salta_resto = false;
			return true;
		}
		s.p = s.fin;
		if (!rellena(s))
			return false;
	}
}

// Finds the next line's extent; false at the end of the input.
bool delimita(Lineas &s, const char **ini, const char **fin)
{
	for (;;) {
		size_t n = s.fin - s.p;
		size_t mirar = n < LARGO_MAXIMO_LINEA + 1 ? n : LARGO_MAXIMO_LINEA + 1;
		auto nl = static_cast<const char *>(std::memchr(s.p, FIN_LINEA, mirar));
		*ini = s.p;
		if (nl) {
			*fin = nl;
			s.p = nl + 1;
			return true;
		}
		if (n > LARGO_MAXIMO_LINEA) {
			*fin = s.p + LARGO_MAXIMO_LINEA;
			s.p = *fin;
			s.cortada = s.salta_resto = true;
			return true;
		}
		if (!rellena(s)) {
			*ini = s.p;
			*fin = s.p = s.fin;
			return *fin > *ini;
		}
	}
}

} // namespace

bool es_blanco_c(char c)
{
	return es_blanco(static_cast<unsigned char>(c));
}

void lineas_de_memoria(Lineas &s, const char *datos, size_t n)
{
	s = Lineas();
	s.p = s.base = datos;
	s.fin = datos + n;
	s.n = n;
}

bool lineas_de_descriptor(Lineas &s, int fd, const struct stat &st, size_t tam_bloque)
{
	s = Lineas();
	s.fd = fd;
	s.st = st;
	s.tam_bloque = tam_bloque;
	s.final = false;
	s.cap = tam_bloque > 0 ? tam_bloque : 1;
	s.buf = static_cast<char *>(std::malloc(s.cap));
	s.p = s.fin = s.buf;
	if (!s.buf)
		s.error = FICHERO_SIN_MEMORIA;
	return s.buf != nullptr;
}

void cierra_lineas(Lineas &s)
{
	std::free(s.buf);
	s.buf = nullptr;
}

bool siguiente_linea(Lineas &s, const char **ini, const char **fin)
{
	if (s.salta_resto && !salta_resto(s))
		return false;
	s.cortada = false;
	if (!delimita(s, ini, fin))
		return false;
	if (!s.cortada && *fin > *ini && (*fin)[-1] == RETORNO)
		--*fin;
	s.ini_ultima = *ini;
	s.numero++;
	return true;
}

size_t lee_bytes(Lineas &s, char *destino, size_t n)
{
	size_t copiados = 0;
	while (copiados < n && (s.p < s.fin || rellena(s))) {
		size_t k = std::min(n - copiados, size_t(s.fin - s.p));
		std::memcpy(destino + copiados, s.p, k);
		s.p += k;
		copiados += k;
	}
	return copiados;
}

off_t posicion(const Lineas &s)
{
	return s.fd >= 0 ? s.leido - (s.fin - s.p) : s.p - s.base;
}

void reposiciona(Lineas &s, off_t desde)
{
	s.salta_resto = false;
	if (s.fd < 0) {
		s.p = s.base + desde;
		return;
	}
	s.leido = desde;
	s.p = s.fin = s.buf;
	s.final = false;
}

namespace {

// Whether only white space lies between the byte at `desde` and the line end
// before it (or the input's start); looks back at most one block.
bool a_principio_de_linea(const Lineas &s, off_t desde)
{
	char trozo[TAM_MIRADA_ATRAS];
	off_t ini = desde > off_t(sizeof trozo) ? desde - off_t(sizeof trozo) : 0;
	const char *q;
	if (s.fd >= 0) {
		ssize_t n = pread(s.fd, trozo, size_t(desde - ini), ini);
		if (n != desde - ini)
			return false;
		q = trozo + n;
	} else {
		q = s.base + desde;
	}
	for (off_t i = desde; i > ini; i--, q--)
		if (q[-1] == FIN_LINEA || !es_blanco_c(q[-1]))
			return q[-1] == FIN_LINEA;
	return ini == 0;
}

} // namespace

void reposiciona_tras_numeros(Lineas &s, off_t desde)
{
	bool al_principio = a_principio_de_linea(s, desde);
	reposiciona(s, desde);
	s.salta_resto = !al_principio;
}

void devuelve_linea(Lineas &s)
{
	s.p = s.ini_ultima;
	s.salta_resto = false;
	s.numero--;
}

void recorta(const char **ini, const char **fin)
{
	while (*ini < *fin && es_blanco_c(**ini))
		++*ini;
	while (*fin > *ini && es_blanco_c((*fin)[-1]))
		--*fin;
}

bool es_cifra(char c)
{
	return unsigned(c - '0') < 10;
}

namespace {

// A Fortran exponent: D or d after a digit or point, before a signed digit.
bool exponente_fortran(const char *ini, const char *q, const char *fin)
{
	if ((*q != 'D' && *q != 'd') || q == ini || !(es_cifra(q[-1]) || q[-1] == PUNTO))
		return false;
	const char *e = q + 1 + (q + 1 < fin && (q[1] == '+' || q[1] == '-'));
	return e < fin && es_cifra(*e);
}

} // namespace

size_t marca_de_miles(const char *q, const char *fin, char miles)
{
	if (miles != MILES_ESPACIO)
		return miles != 0 && *q == miles;
	for (const char *marca : {ESPACIO_DURO, ESPACIO_DURO_ESTRECHO}) {
		size_t n = std::strlen(marca);
		if (size_t(fin - q) >= n && std::memcmp(q, marca, n) == 0)
			return n;
	}
	return 0;
}

namespace {

// Whether the thousands marks of [ini, fin) stand each before exactly three
// digits, the first after one to three, all before any point or exponent.
bool miles_en_su_sitio(const char *ini, const char *fin, char miles)
{
	const char *q = ini + (ini < fin && (*ini == '-' || *ini == '+'));
	const char *grupo = q;
	bool hay = false;
	while (q < fin) {
		size_t marca = marca_de_miles(q, fin, miles);
		if (marca == 0 && !es_cifra(*q))
			break;
		if (marca == 0) {
			q++;
			continue;
		}
		size_t cifras = size_t(q - grupo);
		if (cifras == 0 || cifras > CIFRAS_POR_GRUPO || (hay && cifras != CIFRAS_POR_GRUPO))
			return false;
		hay = true;
		q += marca;
		grupo = q;
	}
	for (const char *r = q; r < fin; r++)
		if (marca_de_miles(r, fin, miles)) // a mark after the point
			return false;
	return !hay || size_t(q - grupo) == CIFRAS_POR_GRUPO;
}

// Whether the text needs rewriting before "%f" reads it.
bool pide_copia(const char *ini, size_t largo, bool coma_decimal, char miles)
{
	const char *fin = ini + largo;
	for (const char *q = ini; q < fin; q++)
		if ((coma_decimal && *q == COMA) || marca_de_miles(q, fin, miles) || *q == 'D' || *q == 'd')
			return true;
	return false;
}

} // namespace

size_t normaliza_numero(const char *ini, size_t largo, bool coma_decimal, char miles, char *copia)
{
	const char *fin = ini + largo;
	if (miles && !miles_en_su_sitio(ini, fin, miles))
		return 0;
	bool hexadecimal = std::memchr(ini, 'x', largo) || std::memchr(ini, 'X', largo);
	size_t n = 0;
	for (const char *q = ini; q < fin; q++) {
		if (size_t marca = marca_de_miles(q, fin, miles)) {
			q += marca - 1;
			continue;
		}
		bool exponente = !hexadecimal && exponente_fortran(ini, q, fin);
		copia[n++] = exponente ? 'e' : coma_decimal && *q == COMA ? PUNTO : *q;
	}
	return n;
}

bool numero_exacto(const char *ini, const char *fin, bool coma_decimal, float *x, char miles)
{
	recorta(&ini, &fin);
	size_t largo = fin - ini;
	if (largo == 0 || largo > LARGO_MAXIMO_NUMERO)
		return false;
	char copia[LARGO_MAXIMO_NUMERO];
	if (pide_copia(ini, largo, coma_decimal, miles)) {
		largo = normaliza_numero(ini, largo, coma_decimal, miles, copia);
		ini = copia;
		fin = copia + largo;
	}
	return largo > 0 && lee_float_como_scanf(ini, fin, x) == largo;
}

bool entero_exacto(const char *ini, const char *fin, int *v)
{
	recorta(&ini, &fin);
	size_t largo = fin - ini;
	return largo > 0 && largo <= LARGO_MAXIMO_NUMERO && lee_entero_como_scanf(ini, fin, v) == largo;
}

int numeros_de_linea(const char *ini, const char *fin, float *v, int n)
{
	int leidos = 0;
	while (leidos < n) {
		while (ini < fin && es_blanco_c(*ini))
			ini++;
		const char *e = ini;
		while (e < fin && !es_blanco_c(*e))
			e++;
		if (e == ini || !numero_exacto(ini, e, false, &v[leidos]))
			break;
		leidos++;
		ini = e;
	}
	return leidos;
}
