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
#include <sys/mman.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

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
constexpr uintptr_t PAGINA_GRANDE = uintptr_t(2) << 20;

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
};

enum FinFilas { FILAS_ACABADAS, FILA_ROTA, NO_SON_COLUMNAS, FILAS_BASTAN };

int signo(float a, float b)
{
	return b > a ? 1 : b < a ? -1 : 0;
}

// A row of a file claimed only by its regular rows must keep the rule.
bool sigue_regular(Filas &f, int campos, float x)
{
	if (f.campos < 0) {
		f.campos = campos;
		return true;
	}
	int s = signo(f.x.back(), x);
	bool bien = campos == f.campos && s != 0 && (f.sentido == 0 || s == f.sentido);
	f.sentido = s;
	return bien;
}

// The rows of s to its end (or `cuantas` of them), after the header if one
// is still to come.
FinFilas lee_filas(Lineas &s, const FormaColumnas &forma, Filas &f, bool cabecera, int cuantas = INT32_MAX)
{
	int hasta = forma.solo_si_regulares ? INT32_MAX : 2;
	const char *ini, *fin;
	while (!s.error && siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (sin_fila(ini, fin))
			continue;
		if (cabecera) {
			cabecera = false;
			continue;
		}
		float v[2];
		int n = s.cortada ? -1 : campos_numericos(ini, fin, forma, v, hasta);
		if (n < 2 || (forma.solo_si_regulares && !sigue_regular(f, n, v[0]))) {
			f.linea_rota = s.numero;
			return forma.solo_si_regulares ? NO_SON_COLUMNAS : FILA_ROTA;
		}
		if (f.x.empty())
			f.largo_fila = size_t(fin - ini) + 1;
		f.x.push_back(v[0]);
		if (!acumula(f.y, v[1]))
			s.error = FICHERO_SIN_MEMORIA;
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

// The second part's rows join the first's only if the first ran to its end.
FinFilas junta(Filas &f, FinFilas primera, Filas &g, FinFilas segunda, int lineas_primera,
               const FormaColumnas &forma)
{
	if (primera != FILAS_ACABADAS)
		return primera;
	if (forma.solo_si_regulares && !siguen_regulares(f, g))
		return NO_SON_COLUMNAS;
	f.x.insert(f.x.end(), g.x.begin(), g.x.end());
	for (int i = 1; i <= g.y.n; i++)
		if (!acumula(f.y, g.y.v[i]))
			return FILA_ROTA;
	f.linea_rota = lineas_primera + g.linea_rota;
	return segunda;
}

// Large arrays ask for huge pages: thousands fewer page faults while filling.
void pide_paginas_grandes(void *v, size_t bytes)
{
	uintptr_t ini = (uintptr_t(v) + PAGINA_GRANDE - 1) & ~(PAGINA_GRANDE - 1);
	uintptr_t fin = (uintptr_t(v) + bytes) & ~(PAGINA_GRANDE - 1);
	if (fin > ini)
		madvise(reinterpret_cast<void *>(ini), fin - ini, MADV_HUGEPAGE);
}

// Room for n more rows at once: growing row by row through a large file
// costs copies and page faults (in two threads, they wait for each other).
void reserva_filas(Filas &f, size_t n, size_t cota)
{
	f.x.reserve(f.x.size() + n);
	pide_paginas_grandes(f.x.data(), f.x.capacity() * sizeof(float));
	if (prepara(f.y, size_t(f.y.n) + n, cota)) // without room it grows as it goes
		pide_paginas_grandes(f.y.v, f.y.cap * sizeof(float));
}

// The header and the first row alone (the cut must come after them), then
// the rest in two halves at once when the file is large, one in another thread.
FinFilas lee_todas(Lineas &s, const FormaColumnas &forma, Filas &f, size_t cota)
{
	FinFilas primeras = lee_filas(s, forma, f, forma.cabecera, 1);
	if (primeras != FILAS_BASTAN)
		return primeras;
	size_t resto = s.fd >= 0 ? size_t(s.st.st_size - posicion(s)) : 0;
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
	reserva_filas(f, previstas / 2 + 1, cota);
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
		primera = junta(f, primera, h, segunda, s.numero, forma);
	} catch (const std::system_error &) { // no thread: read on here, as one part
		s.hasta = -1;
		primera = lee_filas(s, forma, f, false);
	}
	cierra_lineas(g);
	std::free(h.y.v);
	return primera;
}

// x as calibration when linear in the channel: its least-squares line over
// the 0-based row index misses no row by more than a tenth of a step.
void calibra_con_x(const std::vector<float> &x, Lectura &l)
{
	size_t n = x.size();
	if (n < 2)
		return;
	double media_i = (n - 1) / 2.0, media_x = 0, sxi = 0;
	for (float v : x)
		media_x += double(v);
	media_x /= double(n);
	for (size_t i = 0; i < n; i++)
		sxi += (i - media_i) * (double(x[i]) - media_x);
	double sii = double(n) * (double(n) * n - 1) / 12; // sum of (i - media_i)^2
	double b = sxi / sii, a = media_x - b * media_i, fallo = 0;
	for (size_t i = 0; i < n; i++)
		fallo = std::fmax(fallo, std::fabs(double(x[i]) - (a + b * i)));
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
	calibra_con_x(f.x, *l);
	return entrega_acumulado(f.y, s.error, l);
}
