// Columns of numbers, as spreadsheets and spectrometer software export them,
// read row by row: one row a channel, x in one column and the intensity in
// another, as the form that columnas_forma.cpp found says.  Plain rows are
// read a block at a time through the number engine's line-end scanner, and a
// large file in two parts at once through its two-part read; a row that
// breaks the table (or turns a scanning x back) ends the load there.  x, kept
// in double precision, becomes the calibration when it is linear in the
// channel.  Start at lee_columnas.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <strings.h>
#include <vector>

#include <fast_float/fast_float.h>

#include "columnas.h"
#include "formatos.h"
#include "lector.h"

namespace {

constexpr size_t MUESTRAS_INICIALES = 4096;
constexpr size_t BLOQUES_PARA_PARTIR = 8; // a file this many blocks long is read by two threads
constexpr char FIN_LINEA = '\n';
constexpr char RETORNO = '\r';
// Plain rows are found a block at a time; one whose numbers have at most
// MAX_CIFRAS_SIMPLE digits each is read within 64 bytes of its start, and so
// within this of the block's start.
constexpr long MARGEN_FILA_SENCILLA = 2 * BYTES_MASCARA;
constexpr int CIFRAS_DE_UNA_VEZ = 8; // what ocho_cifras reads

// Walks the fields of a row.
struct Campos {
	const char *p, *fin;
	bool acabado = false;
};

// The next field, up to the separator; false past the row's end.
bool campo(Campos &c, char sep, const char **ini, const char **fin)
{
	if (sep == BLANCO) {
		while (c.p < c.fin && es_blanco_c(*c.p))
			c.p++;
		*ini = c.p;
		while (c.p < c.fin && !es_blanco_c(*c.p) && !signo_pegado(*ini, c.p))
			c.p++;
		*fin = c.p;
		return *fin > *ini;
	}
	if (c.acabado)
		return false;
	auto s = static_cast<const char *>(std::memchr(c.p, sep, c.fin - c.p));
	*ini = c.p;
	*fin = s ? s : c.fin;
	c.acabado = !s;
	c.p = s ? s + 1 : c.fin;
	return true;
}

// A field without the white space around it and a pair of quotes around that.
Linea sin_comillas(const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	if (fin - ini >= 2 && *ini == COMILLA && fin[-1] == COMILLA) {
		ini++;
		fin--;
		recorta(&ini, &fin);
	}
	return Linea{ini, fin};
}

// The fields of a row, unquoted, into c (at most `hasta`; a row with more
// gives hasta + 1); how many, empty cells at its end left out.
// The plain form [-]digits[.digits] of at most MAX_CIFRAS_SIMPLE digits as a
// double, the one way both paths take x: the same text, the same bits.
bool x_plana(const char *p, const char *fin, bool coma_decimal, double *x)
{
	const char *q = p + (p < fin && *p == '-');
	uint64_t w = 0;
	int cifras = 0, decimales = 0;
	for (; q < fin && es_cifra(*q); q++, cifras++)
		w = w * 10 + unsigned(*q - '0');
	if (q < fin && es_punto(*q, coma_decimal))
		for (q++; q < fin && es_cifra(*q); q++, cifras++, decimales++)
			w = w * 10 + unsigned(*q - '0');
	if (q != fin || cifras == 0 || cifras > MAX_CIFRAS_SIMPLE)
		return false;
	double d = double(int64_t(w)) * INVERSAS_DE_10[decimales];
	*x = *p == '-' ? -d : d;
	return true;
}

} // namespace

bool sin_fila(const char *ini, const char *fin)
{
	return ini == fin || *ini == COMENTARIO;
}

bool signo_pegado(const char *ini, const char *q)
{
	return *q == '-' && q > ini && es_cifra(q[-1]) && std::memchr(ini, PUNTO, size_t(q - ini));
}

int parte_fila(const char *ini, const char *fin, char sep, Linea *c, int hasta, int *todas)
{
	Campos k{ini, fin};
	const char *a, *b;
	int n = 0, llenos = 0;
	while (campo(k, sep, &a, &b)) {
		if (n == hasta)
			return hasta + 1;
		c[n] = sin_comillas(a, b);
		bool lleno = c[n].fin > c[n].ini;
		n++;
		if (lleno)
			llenos = n;
	}
	if (todas)
		*todas = n;
	return llenos;
}

bool es_punto(char c, bool coma_decimal)
{
	return c == PUNTO || (coma_decimal && c == COMA);
}

// A field that "%f" reads whole: its float in *y and, when x is wanted, its
// value in double precision.
bool numero_de_campo(Linea c, const FormaColumnas &f, float *y, double *x)
{
	if (!numero_exacto(c.ini, c.fin, f.coma_decimal, y, f.miles))
		return false;
	if (!x || x_plana(c.ini, c.fin, f.coma_decimal, x))
		return true;
	char copia[LARGO_MAXIMO_NUMERO];
	size_t largo = normaliza_numero(c.ini, size_t(c.fin - c.ini), f.coma_decimal, f.miles, copia);
	const char *ini = copia + (copia[0] == '+');
	if (fast_float::from_chars(ini, copia + largo, *x).ec != std::errc())
		*x = double(*y); // hexadecimal: the float holds it exactly
	return true;
}

namespace {

// What spreadsheets and R write for a value that is missing.
bool ausente(Linea c)
{
	static const char *const AUSENTES[] = {"NA", "N/A", "#N/A", "#DIV/0!", "#VALUE!", "#NUM!", "#NAME?"};
	size_t n = size_t(c.fin - c.ini);
	if (n == 0)
		return true;
	for (const char *a : AUSENTES)
		if (std::strlen(a) == n && strncasecmp(c.ini, a, n) == 0)
			return true;
	return false;
}

} // namespace

bool valor_de_campo(Linea c, const FormaColumnas &f, float *y, double *x)
{
	if (!ausente(c))
		return numero_de_campo(c, f, y, x);
	*y = std::numeric_limits<float>::quiet_NaN();
	if (x)
		*x = std::numeric_limits<double>::quiet_NaN();
	return true;
}

int campos_numericos(const char *ini, const char *fin, const FormaColumnas &f, double *v)
{
	Linea c[MAX_COLUMNAS + 1];
	int n = parte_fila(ini, fin, f.separador, c, MAX_COLUMNAS);
	if (n > MAX_COLUMNAS)
		return -1;
	float y;
	double x;
	for (int i = 0; i < n; i++) {
		if (!valor_de_campo(c[i], f, &y, &x))
			return -1;
		if (v)
			v[i] = x;
	}
	return n;
}

char separador_indicado_en(const Linea &l)
{
	Linea s = sin_comillas(l.ini, l.fin);
	size_t n = std::strlen(INDICA_SEPARADOR);
	bool es = size_t(s.fin - s.ini) == n + 1 && strncasecmp(s.ini, INDICA_SEPARADOR, n) == 0;
	return es ? s.fin[-1] : 0;
}

bool indica_separador(const Linea &l)
{
	return separador_indicado_en(l) != 0;
}

namespace {

// A row as the form reads it: x and y from their columns.  False when the row
// breaks the table (a field that is no number, one missing, one too many).
// Cells left empty at a row's end count as missing values.
bool lee_campos(const char *ini, const char *fin, const FormaColumnas &f, double *x, float *y)
{
	Linea c[MAX_COLUMNAS + 1];
	bool dos = f.columnas == 2 && !f.solo_si_regulares; // x and y lead; more are ignored
	int todas = 0;
	int n = parte_fila(ini, fin, f.separador, c, dos ? 2 : MAX_COLUMNAS, &todas);
	if (n == 0 || (dos ? std::max(n, todas) < 2 : n > f.columnas || std::max(n, todas) < f.columnas))
		return false;
	n = std::min(std::max(n, todas), f.columnas);
	float basura;
	for (int i = 0; i < n; i++)
		if (i != f.col_x && i != f.col_y && !valor_de_campo(c[i], f, &basura))
			return false;
	return valor_de_campo(c[f.col_y], f, y) && (f.sin_x || numero_de_campo(c[f.col_x], f, &basura, x));
}

struct Filas {
	Acumulador y;
	std::vector<double> x;
	int sentido = 0;
	int linea_rota = 0;
	bool x_rota = false;             // the row that ended the table broke the direction of x
	int lineas_primeras[2] = {0, 0}; // lines of the first two rows (of this part)
	size_t largo_fila = 1;           // bytes of the first row, to foresee how many follow
	bool repite_x = false;           // x printed rounded: it may repeat without breaking its direction
	std::string titulo;
	std::vector<std::string> cabecera; // the header's last lines, which a report may repeat
};

// Header lines that a row equal to them is taken for again (a report's page header).
constexpr size_t CABECERA_RECORDADA = 8;

enum FinFilas { FILAS_ACABADAS, FILA_ROTA, FILAS_BASTAN };

int signo(double a, double b)
{
	return b > a ? 1 : b < a ? -1 : 0;
}

// Whether x keeps the direction of a scanning x; *s
// gets the direction from the previous row.
bool es_regular(const Filas &f, double x, int *s)
{
	*s = f.x.empty() ? f.sentido : signo(f.x.back(), x);
	if (*s == 0 && f.repite_x)
		*s = f.sentido;
	return f.x.empty() || ((*s != 0 || f.repite_x) && (f.sentido == 0 || *s == f.sentido));
}

bool sigue_regular(Filas &f, double x)
{
	int s;
	if (!es_regular(f, x, &s))
		return false; // the direction stays the one the rows kept, for the join to check
	f.sentido = s;
	return true;
}

bool es_separador(char c, char sep)
{
	return sep == BLANCO ? c == ' ' || c == TABULADOR : c == sep;
}

// x_plana for a number at p whose end is not known: past it, or nullptr.
[[gnu::noinline]] const char *x_larga(const char *p, bool coma_decimal, double *x)
{
	const char *q = p + (*p == '-');
	int cifras = 0;
	for (; es_cifra(*q) && cifras <= MAX_CIFRAS_SIMPLE; q++, cifras++) {
	}
	if (es_punto(*q, coma_decimal))
		for (q++; es_cifra(*q) && cifras <= MAX_CIFRAS_SIMPLE; q++, cifras++) {
		}
	return x_plana(p, q, coma_decimal, x) ? q : nullptr;
}

// The digits of [-]digits[.digits] at p, each side of the point read in one
// word: w holds them all, as an integer; where they end.
struct Cifras {
	uint64_t w;
	int enteras, decimales;
};
[[gnu::always_inline]] inline const char *cifras_en_palabras(const char *p, bool coma_decimal, Cifras *c)
{
	const char *q = p + (*p == '-');
	uint64_t fraccion;
	c->enteras = ocho_cifras(q, &c->w);
	c->decimales = 0;
	q += c->enteras;
	if (es_punto(*q, coma_decimal)) {
		c->decimales = ocho_cifras(++q, &fraccion);
		q += c->decimales;
		c->w = c->w * POTENCIAS_ENTERAS[c->decimales] + fraccion;
	}
	return q;
}

// x as x_plana takes it, each side of the point in one word: where it ends.
[[gnu::always_inline]] inline const char *x_sencilla(const char *p, bool coma_decimal, double *x)
{
	Cifras c;
	const char *q = cifras_en_palabras(p, coma_decimal, &c);
	if (c.enteras == CIFRAS_DE_UNA_VEZ || c.decimales == CIFRAS_DE_UNA_VEZ)
		return x_larga(p, coma_decimal, x);
	if (c.enteras + c.decimales == 0)
		return nullptr;
	double d = double(int64_t(c.w)) * INVERSAS_DE_10[c.decimales];
	*x = *p == '-' ? -d : d;
	return q;
}

// The decimal w·10^-decimales of [p, q) as a float, rounded as "%f" rounds it.
const char *a_float(const char *p, const char *q, uint64_t w, int decimales, bool coma_decimal, float *x)
{
	if (w <= MAX_MANTISA_EXACTA && redondea(w, decimales, *p == '-', x))
		return q;
	return numero_exacto(p, q, coma_decimal, x) ? q : nullptr;
}

// numero_sencillo digit by digit, for eight digits or more on a side.
[[gnu::noinline]] const char *numero_largo(const char *p, bool coma_decimal, float *x)
{
	const char *q = p + (*p == '-');
	uint64_t w = 0;
	int cifras = 0, decimales = 0;
	for (; unsigned(*q - '0') < 10 && cifras <= MAX_CIFRAS_SIMPLE; q++, cifras++)
		w = w * 10 + unsigned(*q - '0');
	if (es_punto(*q, coma_decimal)) {
		const char *fraccion = ++q;
		for (; unsigned(*q - '0') < 10 && cifras <= MAX_CIFRAS_SIMPLE; q++, cifras++)
			w = w * 10 + unsigned(*q - '0');
		decimales = int(q - fraccion);
	}
	if (cifras == 0 || cifras > MAX_CIFRAS_SIMPLE)
		return nullptr;
	return a_float(p, q, w, decimales, coma_decimal, x);
}

// A number [-]digits[.digits] at p (the point may be a comma with
// coma_decimal) ending where the field does, at most MAX_CIFRAS_SIMPLE
// digits; where it ends, or nullptr for anything else.  The same bits as
// numero_exacto, which takes what redondea cannot round surely.
// Each side of the point in one word, without a loop; inline, as the hot
// path of every row.
[[gnu::always_inline]] inline const char *numero_sencillo(const char *p, bool coma_decimal, float *x)
{
	Cifras c;
	const char *q = cifras_en_palabras(p, coma_decimal, &c);
	if (c.enteras == CIFRAS_DE_UNA_VEZ || c.decimales == CIFRAS_DE_UNA_VEZ)
		return numero_largo(p, coma_decimal, x);
	if (c.enteras + c.decimales == 0)
		return nullptr;
	return a_float(p, q, c.w, c.decimales, coma_decimal, x);
}

// A row that is exactly "number SEP number" and its line end (CRLF too), as
// lee_filas would read it; past its line end, or nullptr for any other row.
const char *fila_sencilla(const char *p, const FormaColumnas &forma, double *x, float *y)
{
	const char *q = x_sencilla(p, forma.coma_decimal, x);
	if (!q || !es_separador(*q, forma.separador))
		return nullptr;
	q = numero_sencillo(q + 1, forma.coma_decimal, y);
	if (!q)
		return nullptr;
	q += *q == RETORNO;
	return *q == FIN_LINEA ? q + 1 : nullptr;
}

// Where filas_sencillas stands: the next row, the last row read, how many
// were read and how many may be.
struct Tramo {
	const char *p, *ultima;
	size_t leidas, sitio;
};

// A plain row keeps the direction of an x that scans.
bool sigue_sencilla(Filas &f, const FormaColumnas &forma, double x)
{
	return !forma.x_en_un_sentido || sigue_regular(f, x);
}

// The rows that end in the block at t.p, while they are plain.  Every row's
// start is known from the line ends before any is read, so that reading one
// does not wait for the one before.  False when a row is not plain or none
// ends in the block: lee_filas then takes it.
bool bloque_sencillo(Tramo &t, const FormaColumnas &forma, Filas &f)
{
	const char *fila = t.p;
	uint64_t fines = mascara_byte(t.p, FIN_LINEA);
	for (; fines && t.leidas < t.sitio; fines &= fines - 1) {
		const char *fin = t.p + __builtin_ctzll(fines) + 1;
		double x;
		float y;
		if (fila_sencilla(fila, forma, &x, &y) != fin || !sigue_sencilla(f, forma, x))
			break;
		f.x.push_back(x);
		guarda(f.y, y);
		t.ultima = fila;
		fila = fin;
		t.leidas++;
	}
	bool sigue = fines == 0 && fila != t.p;
	t.p = fila;
	return sigue;
}

// Rows read where they stand in the window, block by block, while they are
// plain and there is room for them; stops before any other row and where the
// window may not hold a whole block.  How many were read.
int filas_sencillas(Lineas &s, const FormaColumnas &forma, Filas &f, int cuantas)
{
	if (f.x.empty() || s.salta_resto || forma.columnas != 2 || forma.col_x != 0 || forma.miles)
		return 0; // a thousands mark is no decimal point: the general way reads it
	Tramo t{s.p, s.ini_ultima, 0,
	        std::min({f.x.capacity() - f.x.size(), f.y.cap - 1 - size_t(f.y.n),
	                  size_t(INT32_MAX - 1 - f.y.n), size_t(cuantas)})};
	while (t.leidas < t.sitio && s.fin - t.p >= MARGEN_FILA_SENCILLA && bloque_sencillo(t, forma, f)) {
	}
	s.p = t.p;
	s.ini_ultima = t.ultima;
	s.numero += int(t.leidas);
	return int(t.leidas);
}

// A row of counts after its first channel's label ("10" or "10:"): each
// count in order.  False, with none kept, when a field is no number.
bool lee_cuentas(const char *ini, const char *fin, const FormaColumnas &forma, Filas &f, int *error)
{
	Campos k{ini, fin};
	const char *a, *b;
	int etiqueta, cuentas = 0;
	float y;
	if (!campo(k, BLANCO, &a, &b) || !entero_exacto(a, b - (b[-1] == ':'), &etiqueta))
		return false;
	for (Campos resto = k; campo(resto, BLANCO, &a, &b); cuentas++)
		if (!numero_de_campo(Linea{a, b}, forma, &y))
			return false;
	while (campo(k, BLANCO, &a, &b))
		if (numero_de_campo(Linea{a, b}, forma, &y) && !acumula(f.y, y))
			*error = FICHERO_SIN_MEMORIA;
	if (f.y.n == cuentas) // the first row: bytes a count, to foresee how many follow
		f.largo_fila = std::max<size_t>(1, size_t(fin - ini + 1) / size_t(std::max(cuentas, 1)));
	return cuentas > 0;
}

// One row the general way: white space anywhere, quotes, several fields.
FinFilas lee_fila(Lineas &s, const FormaColumnas &forma, Filas &f, const char *ini, const char *fin)
{
	if (forma.etiquetas) {
		if (s.cortada || !lee_cuentas(ini, fin, forma, f, &s.error)) {
			f.linea_rota = s.numero;
			return FILA_ROTA;
		}
		return FILAS_BASTAN;
	}
	double x = 0;
	float y;
	bool bien = !s.cortada && lee_campos(ini, fin, forma, &x, &y);
	if (bien && forma.x_en_un_sentido && !sigue_regular(f, x)) {
		f.x_rota = true;
		bien = false;
	}
	if (!bien) {
		f.linea_rota = s.numero;
		return FILA_ROTA;
	}
	if (f.y.n < 2)
		f.lineas_primeras[f.y.n] = s.numero;
	if (f.y.n == 0)
		f.largo_fila = size_t(fin - ini) + 1;
	if (!forma.sin_x)
		f.x.push_back(x);
	if (!acumula(f.y, y))
		s.error = FICHERO_SIN_MEMORIA;
	return FILAS_BASTAN;
}

// A header line: the first (a "sep=" line aside) is the title when the form
// says so, without the quotes a spreadsheet put around it.
void lee_cabecera(const FormaColumnas &forma, Filas &f, const char *ini, const char *fin)
{
	if (forma.titulo && f.titulo.empty() && !indica_separador(Linea{ini, fin})) {
		Linea t = sin_comillas(ini, fin);
		f.titulo.assign(t.ini, t.fin);
	}
	if (f.cabecera.size() == CABECERA_RECORDADA)
		f.cabecera.erase(f.cabecera.begin());
	f.cabecera.emplace_back(ini, fin);
}

// Whether the line repeats one of the header's, as a report does on each page.
bool repite_cabecera(const Filas &f, const char *ini, const char *fin)
{
	return std::any_of(f.cabecera.begin(), f.cabecera.end(), [&](const std::string &c) {
		return c.size() == size_t(fin - ini) && std::memcmp(c.data(), ini, c.size()) == 0;
	});
}

// The rows of s to its end (or `cuantas` of them), after the header lines
// still to come: plain rows at once, any other one line by line.
FinFilas lee_filas(Lineas &s, const FormaColumnas &forma, Filas &f, int cabecera, int cuantas = INT32_MAX)
{
	const char *ini, *fin;
	while (!s.error) {
		if (cabecera == 0 && (cuantas -= filas_sencillas(s, forma, f, cuantas)) == 0)
			return FILAS_BASTAN;
		if (!siguiente_linea(s, &ini, &fin))
			return FILAS_ACABADAS;
		recorta(&ini, &fin);
		if (sin_fila(ini, fin))
			continue;
		if (cabecera > 0) {
			lee_cabecera(forma, f, ini, fin);
			cabecera--;
			continue;
		}
		FinFilas r = lee_fila(s, forma, f, ini, fin);
		if (r == FILA_ROTA && !f.x_rota && repite_cabecera(f, ini, fin)) {
			f.linea_rota = 0;
			continue;
		}
		if (r != FILAS_BASTAN)
			return r;
		if (--cuantas == 0)
			return FILAS_BASTAN;
	}
	return FILAS_ACABADAS;
}

bool es_fin_linea(unsigned char c)
{
	return c == FIN_LINEA;
}

// Where a second thread can take over: just after a line end near the middle
// of what is left of a large file (0 when not worth it).  Measured in windows,
// so that the cut lies beyond what the first part's window already holds.
off_t corte_de(const Lineas &s)
{
	return punto_de_corte(s.fd, posicion(s), s.st.st_size, off_t(BLOQUES_PARA_PARTIR * s.cap),
	                      es_fin_linea);
}

// Where rows claimed by their regularity break at the cut: the line of the
// second part's row that turns x back (0 when they stay regular), and how
// many of the second part's rows stand before it.
struct Rotura {
	int linea = 0, filas_antes = 0;
};
Rotura rotura_en_el_corte(const Filas &f, const Filas &g, int lineas_primera)
{
	if (f.x.empty() || g.x.empty())
		return {};
	int s = signo(f.x.back(), g.x.front());
	if (s == 0 && f.repite_x)
		s = f.sentido != 0 ? f.sentido : g.sentido;
	if ((s == 0 && !f.repite_x) || (s != 0 && f.sentido != 0 && f.sentido != s))
		return {lineas_primera + g.lineas_primeras[0], 0};
	if (g.sentido != 0 && g.sentido != s)
		return {lineas_primera + g.lineas_primeras[1], 1};
	return {};
}

// Appends the second part's first n rows to the first's; false when there is
// no memory (s.error then says so).
bool une_filas(Lineas &s, Filas &f, const Filas &g, int n)
{
	f.x.insert(f.x.end(), g.x.begin(), g.x.begin() + std::min<ptrdiff_t>(n, ptrdiff_t(g.x.size())));
	if (!junta_muestras(f.y, g.y, n)) {
		s.error = FICHERO_SIN_MEMORIA;
		return false;
	}
	return true;
}

// The second part's rows join the first's only if the first ran to its end.
FinFilas junta(Lineas &s, Filas &f, FinFilas primera, Filas &g, FinFilas segunda, int lineas_primera,
               const FormaColumnas &forma)
{
	if (primera != FILAS_ACABADAS || s.error)
		return primera;
	Rotura r = forma.x_en_un_sentido ? rotura_en_el_corte(f, g, lineas_primera) : Rotura{};
	// The rows before a break at the cut are kept, as read in one go.
	if (!une_filas(s, f, g, r.linea > 0 ? r.filas_antes : g.y.n))
		return FILA_ROTA;
	if (r.linea > 0) {
		f.linea_rota = r.linea;
		f.x_rota = true;
		return FILA_ROTA;
	}
	f.linea_rota = lineas_primera + g.linea_rota;
	f.x_rota = g.x_rota;
	return segunda;
}

// Room for n more rows at once: growing row by row through a large file
// costs copies and page faults (in two threads, they wait for each other).
void reserva_filas(Filas &f, size_t n, size_t cota)
{
	f.x.reserve(f.x.size() + n);
	prepara(f.y, size_t(f.y.n) + n, cota); // without room it grows as it goes
}

// The rest of the rows in two parts at once, the second from `corte` in
// another thread.  Out of memory in either ends the load with s.error.
FinFilas lee_en_dos(Lineas &s, Lineas &g, const FormaColumnas &forma, Filas &f, Filas &h, off_t corte,
                    size_t previstas, size_t cota)
{
	FinFilas primera = FILAS_ACABADAS, segunda = FILAS_ACABADAS;
	try {
		reserva_filas(f, previstas, cota); // the second part's rows join these
		reserva_filas(h, previstas / 2 + 1, cota);
	} catch (const std::bad_alloc &) {
		s.error = FICHERO_SIN_MEMORIA;
		return FILA_ROTA;
	}
	reposiciona(g, corte);
	s.hasta = corte;
	auto parte = [&forma](Lineas &l, Filas &filas, FinFilas &fin) {
		try {
			fin = lee_filas(l, forma, filas, 0);
		} catch (const std::bad_alloc &) {
			l.error = FICHERO_SIN_MEMORIA;
		}
	};
	if (!en_dos_partes([&] { parte(s, f, primera); }, [&] { parte(g, h, segunda); })) {
		s.hasta = -1; // no thread: read on here, as one part
		return lee_filas(s, forma, f, 0);
	}
	if (!s.error)
		s.error = g.error;
	return junta(s, f, primera, h, segunda, s.numero, forma);
}

// The header and the first row alone (the cut must come after them), then
// the rest in two parts at once when the file is large.
FinFilas lee_todas(Lineas &s, const FormaColumnas &forma, Filas &f, size_t cota)
{
	FinFilas primeras = lee_filas(s, forma, f, forma.cabecera, 1);
	if (primeras != FILAS_BASTAN)
		return primeras;
	size_t resto = size_t((s.fd >= 0 ? s.st.st_size : off_t(s.n)) - posicion(s));
	size_t previstas = std::min(resto / f.largo_fila + 1, cota);
	off_t corte = corte_de(s);
	Lineas g;
	Filas h;
	h.repite_x = f.repite_x;
	h.cabecera = f.cabecera;
	if (corte == 0 || !lineas_de_descriptor(g, s.fd, s.st, s.tam_bloque) ||
	    !prepara(h.y, MUESTRAS_INICIALES, cota)) {
		cierra_lineas(g);
		std::free(h.y.v);
		reserva_filas(f, previstas, cota);
		return lee_filas(s, forma, f, 0);
	}
	FinFilas r = lee_en_dos(s, g, forma, f, h, corte, previstas, cota);
	cierra_lineas(g);
	std::free(h.y.v);
	return r;
}

// Reads, titles and calibrates; out of memory anywhere sets s.error.
void lee_tabla(Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre, Filas &f, Lectura *l)
{
	try {
		if (lee_todas(s, forma, f, cota) == FILA_ROTA) {
			l->linea_ilegible = f.linea_rota;
			l->x_vuelve = f.x_rota;
		}
		if (!f.titulo.empty())
			pon_titulo(*l, f.titulo.data(), f.titulo.data() + f.titulo.size());
		else if (nombre[0])
			pon_titulo(*l, nombre, nombre + std::strlen(nombre));
		calibra_x(*l, f.x.data(), f.x.size(), nullptr, forma.paso_impreso / 2);
		std::memcpy(l->nota, forma.nota, sizeof l->nota);
	} catch (const std::bad_alloc &) {
		s.error = FICHERO_SIN_MEMORIA;
	}
}

} // namespace

int lee_columnas(Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre, Lectura *l)
{
	Filas f;
	f.repite_x = forma.paso_impreso > 0;
	if (!prepara(f.y, MUESTRAS_INICIALES, cota))
		return entrega_acumulado(f.y, FICHERO_SIN_MEMORIA, l);
	lee_tabla(s, forma, cota, nombre, f, l);
	int linea = l->linea_ilegible;
	int r = entrega_acumulado(f.y, s.error, l);
	if (r == FICHERO_SIN_MUESTRAS)
		l->linea_ilegible = linea; // the line that stopped the table before any row
	return r;
}
