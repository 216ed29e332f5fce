// Columns of numbers, as spreadsheets and spectrometer software export them:
// the first column is x, the second the intensity, one row a channel.  The
// file's first lines decide whether it is columns at all and how to split a
// row; x becomes the calibration when it is linear in the channel.  Start at
// detecta_columnas, then lee_columnas.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "formatos.h"
#include "lector.h"

namespace {

constexpr char PUNTO_Y_COMA = ';';
constexpr char TABULADOR = '\t';
constexpr char COMA = ',';
constexpr char BLANCO = ' '; // the separator "any run of white space"
constexpr char COMENTARIO = '#';
constexpr size_t MUESTRAS_INICIALES = 4096;
constexpr double FALLO_LINEAL_MAXIMO = 0.1; // of a step, for x to be a calibration
constexpr size_t BLOQUES_PARA_PARTIR = 8;   // a file this many blocks long is read by two threads
constexpr size_t TAM_BUSQUEDA_CORTE = 4096;
constexpr char FIN_LINEA = '\n';
constexpr char RETORNO = '\r';
constexpr char PUNTO = '.';

// Plain rows are found a block at a time; one whose numbers have at most
// MAX_CIFRAS_SIMPLE digits each is read within 64 bytes of its start, and so
// within this of the block's start.
constexpr int BYTES_BLOQUE = 64;
constexpr int BYTES_SSE = 16;
constexpr long MARGEN_FILA_SENCILLA = 2 * BYTES_BLOQUE;
constexpr int CIFRAS_DE_UNA_VEZ = 8; // what ocho_cifras reads

struct Linea {
	const char *ini, *fin;
};

bool es_blanco_c(char c)
{
	return es_blanco(static_cast<unsigned char>(c));
}

// Blank lines and comments carry no row.
bool sin_fila(const char *ini, const char *fin)
{
	return ini == fin || *ini == COMENTARIO;
}

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
		while (c.p < c.fin && !es_blanco_c(*c.p))
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

// Reads the row's fields: x and y into v[0] and v[1] when the first two are
// numbers; how many leading fields are numbers, up to `hasta` (-1 when some
// field after them is not a number).
int campos_numericos(const char *ini, const char *fin, const FormaColumnas &f, float *v, int hasta)
{
	Campos c{ini, fin};
	const char *a, *b;
	int n = 0;
	float basura;
	while (n < hasta && campo(c, f.separador, &a, &b)) {
		if (!numero_exacto(a, b, f.coma_decimal, n < 2 ? &v[n] : &basura))
			return -1;
		n++;
	}
	return n;
}

// The lines of the start of a file that hold rows (not blank, not comments),
// without a last line that may be cut short.
std::vector<Linea> filas_del_prefijo(const char *p, size_t n, bool completo)
{
	std::vector<Linea> filas;
	const char *e = p + n;
	while (p < e) {
		auto nl = static_cast<const char *>(std::memchr(p, '\n', e - p));
		if (!nl && !completo)
			break;
		Linea l{p, nl ? nl : e};
		recorta(&l.ini, &l.fin);
		if (!sin_fila(l.ini, l.fin))
			filas.push_back(l);
		p = nl ? nl + 1 : e;
	}
	return filas;
}

char separador_desde(const std::vector<Linea> &filas, size_t desde)
{
	for (char sep : {PUNTO_Y_COMA, TABULADOR, COMA})
		for (size_t i = desde; i < filas.size(); i++)
			if (std::memchr(filas[i].ini, sep, filas[i].fin - filas[i].ini))
				return sep;
	return BLANCO;
}

// The rows after the first tell (it may be names); failing them, the first.
char elige_separador(const std::vector<Linea> &filas)
{
	char sep = separador_desde(filas, 1);
	return sep != BLANCO ? sep : separador_desde(filas, 0);
}

// Every row the same count (two or more) of numbers, the first column
// strictly rising or falling.
bool filas_regulares(const std::vector<Linea> &filas, const FormaColumnas &f)
{
	if (filas.size() < 2)
		return false;
	float v[2], previo = 0;
	int sentido = 0, campos = -1;
	for (const Linea &l : filas) {
		int n = campos_numericos(l.ini, l.fin, f, v, INT32_MAX);
		if (n < 2 || (campos >= 0 && n != campos))
			return false;
		int s = campos < 0 ? 0 : v[0] > previo ? 1 : v[0] < previo ? -1 : 2;
		if (s == 2 || (sentido != 0 && s != sentido))
			return false;
		sentido = s;
		campos = n;
		previo = v[0];
	}
	return true;
}

struct Filas {
	Acumulador y;
	std::vector<float> x;
	int campos = -1, sentido = 0;
	int linea_rota = 0;
	size_t largo_fila = 1; // bytes of the first row, to foresee how many follow
	double suma_x = 0;     // of the x in order, as they come (for their mean)
};

// x's sum grows as the rows come, in their order, where reading has time for it.
void anade_x(Filas &f, float x)
{
	f.x.push_back(x);
	f.suma_x += double(x);
}

enum FinFilas { FILAS_ACABADAS, FILA_ROTA, NO_SON_COLUMNAS, FILAS_BASTAN };

int signo(float a, float b)
{
	return b > a ? 1 : b < a ? -1 : 0;
}

// Whether a row of `campos` fields with x keeps the rule of a file claimed
// only by its regular rows; *s gets the direction from the previous row.
bool es_regular(const Filas &f, int campos, float x, int *s)
{
	*s = signo(f.x.back(), x);
	return campos == f.campos && *s != 0 && (f.sentido == 0 || *s == f.sentido);
}

bool sigue_regular(Filas &f, int campos, float x)
{
	if (f.campos < 0) {
		f.campos = campos;
		return true;
	}
	int s;
	bool bien = es_regular(f, campos, x, &s);
	f.sentido = s;
	return bien;
}

bool es_separador(char c, char sep)
{
	return sep == BLANCO ? c == ' ' || c == TABULADOR : c == sep;
}

bool es_punto(char c, bool coma_decimal)
{
	return c == PUNTO || (coma_decimal && c == COMA);
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
	const char *q = p + (*p == '-');
	uint64_t w, fraccion;
	int enteras = ocho_cifras(q, &w), decimales = 0;
	q += enteras;
	if (es_punto(*q, coma_decimal)) {
		decimales = ocho_cifras(++q, &fraccion);
		q += decimales;
		w = w * POTENCIAS_ENTERAS[decimales] + fraccion;
	}
	if (enteras == CIFRAS_DE_UNA_VEZ || decimales == CIFRAS_DE_UNA_VEZ)
		return numero_largo(p, coma_decimal, x);
	if (enteras + decimales == 0)
		return nullptr;
	return a_float(p, q, w, decimales, coma_decimal, x);
}

// A row that is exactly "number SEP number" and its line end (CRLF too), as
// lee_filas would read it; past its line end, or nullptr for any other row.
const char *fila_sencilla(const char *p, const FormaColumnas &forma, float *x, float *y)
{
	const char *q = numero_sencillo(p, forma.coma_decimal, x);
	if (!q || !es_separador(*q, forma.separador))
		return nullptr;
	q = numero_sencillo(q + 1, forma.coma_decimal, y);
	if (!q)
		return nullptr;
	q += *q == RETORNO;
	return *q == FIN_LINEA ? q + 1 : nullptr;
}

// Bit i set where p[i] is a line end, for BYTES_BLOQUE bytes.
uint64_t mascara_fines(const char *p)
{
	uint64_t r = 0;
#ifdef __SSE2__
	const __m128i fin = _mm_set1_epi8(FIN_LINEA);
	for (int i = 0; i < BYTES_BLOQUE; i += BYTES_SSE) {
		__m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
		r |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(b, fin)))) << i;
	}
#else
	for (int i = 0; i < BYTES_BLOQUE; i++)
		r |= uint64_t(p[i] == FIN_LINEA) << i;
#endif
	return r;
}

// Where filas_sencillas stands: the next row, the last row read, how many
// were read and how many may be.
struct Tramo {
	const char *p, *ultima;
	size_t leidas, sitio;
};

// A plain row keeps the rule of a file claimed by its regular rows.
bool sigue_sencilla(Filas &f, const FormaColumnas &forma, float x)
{
	int s;
	if (!forma.solo_si_regulares)
		return true;
	if (!es_regular(f, 2, x, &s))
		return false;
	f.sentido = s;
	return true;
}

// The rows that end in the block at t.p, while they are plain.  Every row's
// start is known from the line ends before any is read, so that reading one
// does not wait for the one before.  False when a row is not plain or none
// ends in the block: lee_filas then takes it.
bool bloque_sencillo(Tramo &t, const FormaColumnas &forma, Filas &f)
{
	const char *fila = t.p;
	uint64_t fines = mascara_fines(t.p);
	for (; fines && t.leidas < t.sitio; fines &= fines - 1) {
		const char *fin = t.p + __builtin_ctzll(fines) + 1;
		float x, y;
		if (fila_sencilla(fila, forma, &x, &y) != fin || !sigue_sencilla(f, forma, x))
			break;
		anade_x(f, x);
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
	if (f.x.empty() || s.salta_resto)
		return 0;
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

// One row the general way: white space anywhere, several fields, comments.
FinFilas lee_fila(Lineas &s, const FormaColumnas &forma, Filas &f, const char *ini, const char *fin)
{
	float v[2];
	int n =
	    s.cortada ? -1 : campos_numericos(ini, fin, forma, v, forma.solo_si_regulares ? INT32_MAX : 2);
	if (n < 2 || (forma.solo_si_regulares && !sigue_regular(f, n, v[0]))) {
		f.linea_rota = s.numero;
		return forma.solo_si_regulares ? NO_SON_COLUMNAS : FILA_ROTA;
	}
	if (f.x.empty())
		f.largo_fila = size_t(fin - ini) + 1;
	anade_x(f, v[0]);
	if (!acumula(f.y, v[1]))
		s.error = FICHERO_SIN_MEMORIA;
	return FILAS_BASTAN;
}

// The rows of s to its end (or `cuantas` of them), after the header if one
// is still to come: plain rows at once, any other one line by line.
FinFilas lee_filas(Lineas &s, const FormaColumnas &forma, Filas &f, bool cabecera, int cuantas = INT32_MAX)
{
	const char *ini, *fin;
	while (!s.error) {
		if (!cabecera && (cuantas -= filas_sencillas(s, forma, f, cuantas)) == 0)
			return FILAS_BASTAN;
		if (!siguiente_linea(s, &ini, &fin))
			return FILAS_ACABADAS;
		recorta(&ini, &fin);
		if (sin_fila(ini, fin))
			continue;
		if (cabecera) {
			cabecera = false;
			continue;
		}
		FinFilas r = lee_fila(s, forma, f, ini, fin);
		if (r != FILAS_BASTAN)
			return r;
		if (--cuantas == 0)
			return FILAS_BASTAN;
	}
	return FILAS_ACABADAS;
}

// Where a second thread can take over: just after a line end near the middle
// of what is left of a large file (0 when not worth it).  Measured in windows,
// so that the cut lies beyond what the first part's window already holds.
off_t punto_de_corte(const Lineas &s)
{
	off_t desde = posicion(s);
	if (s.fd < 0 || s.st.st_size - desde < off_t(BLOQUES_PARA_PARTIR * s.cap))
		return 0;
	char trozo[TAM_BUSQUEDA_CORTE];
	off_t mitad = desde + (s.st.st_size - desde) / 2;
	ssize_t n = pread(s.fd, trozo, sizeof trozo, mitad);
	for (ssize_t i = 0; i < n; i++)
		if (trozo[i] == '\n')
			return mitad + i + 1;
	return 0;
}

// Rows claimed by their regularity stay regular across the cut.
bool siguen_regulares(const Filas &f, const Filas &g)
{
	if (f.x.empty() || g.x.empty())
		return true;
	int s = signo(f.x.back(), g.x.front());
	return f.campos == g.campos && s != 0 && (f.sentido == 0 || f.sentido == s) &&
	       (g.sentido == 0 || g.sentido == s);
}

// The second part's samples after the first's, all at once.
bool junta_muestras(Acumulador &a, const Acumulador &b, size_t cota)
{
	size_t n = size_t(a.n) + size_t(b.n);
	if (n >= size_t(INT32_MAX) || !prepara(a, n, cota) || a.cap <= n)
		return false;
	std::memcpy(a.v + a.n + 1, b.v + 1, size_t(b.n) * sizeof(float));
	a.n = int(n);
	a.max = std::max(a.max, b.max);
	return true;
}

// The second part's rows join the first's only if the first ran to its end.
FinFilas junta(Filas &f, FinFilas primera, Filas &g, FinFilas segunda, int lineas_primera,
               const FormaColumnas &forma, size_t cota)
{
	if (primera != FILAS_ACABADAS)
		return primera;
	if (forma.solo_si_regulares && !siguen_regulares(f, g))
		return NO_SON_COLUMNAS;
	double suma = f.suma_x; // the second part's own sum started from 0, not from the first's
	for (float x : g.x)
		suma += double(x);
	f.suma_x = suma;
	f.x.insert(f.x.end(), g.x.begin(), g.x.end());
	if (!junta_muestras(f.y, g.y, cota))
		return FILA_ROTA;
	f.linea_rota = lineas_primera + g.linea_rota;
	return segunda;
}

// Room for n more rows at once: growing row by row through a large file
// costs copies and page faults (in two threads, they wait for each other).
void reserva_filas(Filas &f, size_t n, size_t cota)
{
	f.x.reserve(f.x.size() + n);
	prepara(f.y, size_t(f.y.n) + n, cota); // without room it grows as it goes
}

// The header and the first row alone (the cut must come after them), then
// the rest in two halves at once when the file is large, one in another thread.
FinFilas lee_todas(Lineas &s, const FormaColumnas &forma, Filas &f, size_t cota)
{
	FinFilas primeras = lee_filas(s, forma, f, forma.cabecera, 1);
	if (primeras != FILAS_BASTAN)
		return primeras;
	size_t resto = size_t((s.fd >= 0 ? s.st.st_size : off_t(s.n)) - posicion(s));
	size_t previstas = std::min(resto / f.largo_fila + 1, cota);
	off_t corte = punto_de_corte(s);
	Lineas g;
	Filas h;
	if (corte == 0 || !lineas_de_descriptor(g, s.fd, s.st, s.tam_bloque) ||
	    !prepara(h.y, MUESTRAS_INICIALES, cota)) {
		cierra_lineas(g);
		std::free(h.y.v);
		reserva_filas(f, previstas, cota);
		return lee_filas(s, forma, f, false);
	}
	reserva_filas(f, previstas, cota); // the second part's rows join these
	reserva_filas(h, previstas / 2 + 1, cota);
	reposiciona(g, corte);
	s.hasta = corte;
	FinFilas primera = FILAS_ACABADAS, segunda = FILAS_ACABADAS;
	try {
		std::thread hilo([&] { segunda = lee_filas(g, forma, h, false); });
		primera = lee_filas(s, forma, f, false);
		hilo.join();
		if (!s.error)
			s.error = g.error;
		primera = junta(f, primera, h, segunda, s.numero, forma, cota);
	} catch (const std::system_error &) { // no thread: read on here, as one part
		s.hasta = -1;
		primera = lee_filas(s, forma, f, false);
	}
	cierra_lineas(g);
	std::free(h.y.v);
	return primera;
}

// The largest miss of the x from the line a + b·i, NaN rows left out as fmax
// leaves them.  Four at once: the largest is the same in any order.
double fallo_maximo(const std::vector<float> &x, double a, double b)
{
	constexpr int CARRILES = 4;
	double m[CARRILES] = {}, di = 0;
	size_t n = x.size(), i = 0;
	for (; i + CARRILES <= n; i += CARRILES, di += CARRILES)
		for (int k = 0; k < CARRILES; k++)
			m[k] = std::max(m[k], std::fabs(double(x[i + k]) - (a + b * (di + k))));
	for (; i < n; i++, di++)
		m[0] = std::max(m[0], std::fabs(double(x[i]) - (a + b * di)));
	return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

// x as calibration when linear in the channel: its least-squares line over
// the 0-based row index misses no row by more than a tenth of a step.
void calibra_con_x(const std::vector<float> &x, double suma_x, Lectura &l)
{
	size_t n = x.size();
	if (n < 2)
		return;
	double media_i = (n - 1) / 2.0, media_x = suma_x / double(n), sxi = 0;
	double di = 0; // i as a double, counted rather than converted
	for (size_t i = 0; i < n; i++, di++)
		sxi += (di - media_i) * (double(x[i]) - media_x);
	double sii = double(n) * (double(n) * n - 1) / 12; // sum of (i - media_i)^2
	double b = sxi / sii, a = media_x - b * media_i, fallo = fallo_maximo(x, a, b);
	if (b != 0 && std::isfinite(fallo) && fallo <= FALLO_LINEAL_MAXIMO * std::fabs(b))
		calibracion_lineal(l, a, b, 0);
	else
		l.desvio_x = b != 0 ? fallo / std::fabs(b) : HUGE_VAL;
}

} // namespace

bool detecta_columnas(const char *prefijo, size_t n, bool completo, FormaColumnas *forma)
{
	std::vector<Linea> filas = filas_del_prefijo(prefijo, n, completo);
	if (filas.empty())
		return false;
	FormaColumnas f;
	f.separador = elige_separador(filas);
	f.coma_decimal = f.separador == PUNTO_Y_COMA || f.separador == TABULADOR;
	float v[2];
	f.cabecera = campos_numericos(filas[0].ini, filas[0].fin, f, v, INT32_MAX) < 0;
	size_t primera = f.cabecera ? 1 : 0;
	bool dos_numeros = primera < filas.size() &&
	                   campos_numericos(filas[primera].ini, filas[primera].fin, f, v, INT32_MAX) >= 2;
	bool por_separador = (f.separador == COMA || f.separador == PUNTO_Y_COMA) && dos_numeros;
	bool por_cabecera = f.cabecera && dos_numeros;
	f.solo_si_regulares = !por_separador && !por_cabecera;
	*forma = f;
	return por_separador || por_cabecera || (!f.cabecera && filas_regulares(filas, f));
}

int lee_columnas(Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre, Lectura *l)
{
	Filas f;
	if (!prepara(f.y, MUESTRAS_INICIALES, cota))
		return entrega_acumulado(f.y, FICHERO_SIN_MEMORIA, l);
	FinFilas fin = lee_todas(s, forma, f, cota);
	if (fin == NO_SON_COLUMNAS) {
		entrega_acumulado(f.y, FICHERO_SIN_MUESTRAS, l);
		return COLUMNAS_NO_SON;
	}
	if (fin == FILA_ROTA)
		l->linea_ilegible = f.linea_rota;
	if (nombre[0])
		pon_titulo(*l, nombre, nombre + std::strlen(nombre));
	calibra_con_x(f.x, f.suma_x, *l);
	return entrega_acumulado(f.y, s.error, l);
}
