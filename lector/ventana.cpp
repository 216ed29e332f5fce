// The number reader's window and its speed-ups: the bytes at hand, over
// memory or over a file read in blocks that only ever hand the converter
// whole numbers; runs of samples split 64 bytes at a time before any is
// converted; a large file read in two halves at once, the second joining only
// where the first ran to its end.  The conversions are in numeros.cpp.  Start
// at lee_muestras.
#include "lector_motor.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <unistd.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lector_interno {
AjustesLector ajustes;
}

namespace {

using lector_interno::ajustes;

constexpr size_t BLOQUES_PARA_PARTIR = 8; // a file this many blocks long is read by two threads
constexpr size_t TAM_BUSQUEDA_CORTE = 4096;
constexpr int BYTES_SSE = 16;

constexpr long BYTES_CORTO = 16;                             // lee_float_corto reads 16 bytes before the end
constexpr size_t NUMEROS_POR_BLOQUE = BYTES_MASCARA / 2 + 1; // each needs a white space after it

// The last white space in [desde, fin), or nada when there is none.
const char *ultimo_blanco(const char *desde, const char *fin, const char *nada)
{
	for (const char *q = fin; q > desde; q--)
		if (es_blanco(q[-1]))
			return q - 1;
	return nada;
}

// Lets the window hold a number longer than the buffer, within the file's size.
bool agranda(Fuente &f)
{
	size_t nueva = f.cap * 2 < f.tope ? f.cap * 2 : f.tope;
	auto b = static_cast<char *>(std::realloc(f.buf, nueva));
	if (!b) {
		f.error = LECTOR_SIN_MEMORIA;
		return false;
	}
	f.p = b + (f.p - f.buf);
	f.inicio = b;
	f.fin = b + (f.fin - f.buf);
	f.buf = b;
	f.cap = nueva;
	return true;
}

// Reads the next bytes of the window's part of the file.  The file ends where
// it ended when it was opened: what is added since is not read, so a file that
// keeps growing neither keeps the load going nor makes it hold more.
ssize_t lee_sin_interrupcion(Fuente &f, char *b, size_t n)
{
	off_t fin = f.hasta >= 0 ? f.hasta : f.tamano;
	if (off_t(n) > fin - f.leido)
		n = f.leido < fin ? size_t(fin - f.leido) : 0;
	ssize_t r = 0;
	while (n > 0 && (r = pread(f.fd, b, n, f.leido)) < 0 && errno == EINTR) {
	}
	if (r > 0)
		f.leido += r;
	return r;
}

} // namespace

// Brings more of the file into the window, keeping the unread bytes [p, fin).
// False when the window cannot change any more (its end is the file's end, or
// an error is in f.error).
bool recarga(Fuente &f)
{
	if (f.final || f.error)
		return false;
	size_t resto = f.fin - f.p;
	if (resto == f.cap && !agranda(f))
		return false;
	std::memmove(f.buf, f.p, resto);
	ssize_t n = lee_sin_interrupcion(f, f.buf + resto, f.cap - resto);
	if (n < 0) {
		f.error = LECTOR_ERROR_LECTURA;
		return false;
	}
	f.final = n == 0;
	f.p = f.buf;
	f.fin = f.buf + resto + n;
	// Only the new bytes are searched, so that a long number is not searched
	// again at every read; without white space among them nothing is safe.
	f.seguro = f.final ? f.fin : ultimo_blanco(f.buf + resto, f.fin, f.p);
	return n > 0 || resto > 0;
}

namespace {

// Skips white space; true when a whole number (or text) starts at f.p, or
// enough of one to tell that it is too long.
bool hay_numero(Fuente &f)
{
	for (;;) {
		while (f.p < f.fin && es_blanco(*f.p))
			f.p++;
		if (f.p < f.seguro || size_t(f.fin - f.p) > LARGO_MAXIMO_NUMERO)
			return true;
		if (!recarga(f))
			return false;
	}
}

// Where the parser must stop looking for the number at f.p: a number that
// reaches this far is too long, whatever follows.
const char *fin_de_numero(const Fuente &f)
{
	return size_t(f.fin - f.p) > LARGO_MAXIMO_NUMERO ? f.p + LARGO_MAXIMO_NUMERO + 1 : f.fin;
}

// Bytes of the "%f" number at f.p, 0 when there is none or it is too long.
size_t lee_float_acotado(const Fuente &f, float *x)
{
	size_t k = lee_float_como_scanf(f.p, fin_de_numero(f), x);
	return k <= LARGO_MAXIMO_NUMERO ? k : 0;
}

} // namespace

void salta_linea(Fuente &f)
{
	for (;;) {
		auto nl = static_cast<const char *>(std::memchr(f.p, '\n', f.fin - f.p));
		if (nl) {
			f.p = nl + 1;
			return;
		}
		f.p = f.fin;
		if (!recarga(f))
			return;
	}
}

bool lee_float(Fuente &f, float *x)
{
	if (!hay_numero(f))
		return false;
	size_t k = lee_float_acotado(f, x);
	f.p += k;
	return k > 0;
}

bool lee_entero(Fuente &f, int *v)
{
	if (!hay_numero(f))
		return false;
	size_t k = lee_entero_como_scanf(f.p, fin_de_numero(f), v);
	f.p += k;
	return k > 0 && k <= LARGO_MAXIMO_NUMERO;
}

bool reserva(Muestras &m, size_t cap)
{
	auto v = static_cast<float *>(std::realloc(m.v, cap * sizeof(float)));
	if (!v)
		return false;
	m.v = v;
	m.cap = cap;
	return true;
}

bool junta_muestras(Muestras &a, const Muestras &b, int cuantas)
{
	size_t n = size_t(a.n) + size_t(cuantas);
	if (n >= size_t(INT32_MAX) || (n >= a.cap && !reserva(a, n + 1)))
		return false;
	if (cuantas == b.n) {
		std::memcpy(a.v + a.n + 1, b.v + 1, size_t(cuantas) * sizeof(float));
		a.n = int(n);
		a.max = std::max(a.max, b.max);
		return true;
	}
	for (int i = 1; i <= cuantas; i++)
		guarda(a, b.v[i]);
	return true;
}

// The file offset of the next byte to read.
off_t posicion(const Fuente &f)
{
	return f.parada >= 0 ? f.parada : f.leido - (f.fin - f.p);
}

namespace {

bool anade(Muestras &m, float x)
{
	if (size_t(m.n) + 1 == m.cap && !reserva(m, m.cap * 2))
		return false;
	guarda(m, x);
	return true;
}

// Room for a block's numbers, growing geometrically but never past the count.
bool hay_sitio(Muestras &m, int limite)
{
	size_t necesario = std::min(size_t(m.n) + NUMEROS_POR_BLOQUE, size_t(limite)) + 1;
	return necesario <= m.cap || reserva(m, std::max(m.cap * 2, necesario));
}

// Converts the numbers that start at the bits of inicios (each ends at the
// next white space in blancos).  Returns where the first number that is not
// plain starts, or nullptr when all were read; *fin_ultimo gets the end of
// the last one read.
const char *convierte_bloque(const Fuente &f, Muestras &m, const char *p, uint64_t blancos, uint64_t inicios,
                             int limite, const char **fin_ultimo)
{
	for (; inicios && m.n < limite; inicios &= inicios - 1) {
		int s = __builtin_ctzll(inicios);
		const char *q = p + s, *e = p + __builtin_ctzll(blancos & (~uint64_t(1) << s));
		float x;
		bool corto = ajustes.corto && e - f.inicio >= BYTES_CORTO && lee_float_corto(q, e, &x);
		if (!corto && lee_float_simple(q, f.fin, &x) == 0)
			return q;
		guarda(m, x);
		*fin_ultimo = e;
	}
	return nullptr;
}

// Plain numbers, 64 bytes at a time: the white-space mask tells where every
// number of the block starts before any is converted, so the conversions
// overlap instead of waiting for each other.  Stops at the first number that
// is not plain, or near the window's end, leaving f.p at a number's start.
void lee_rapido(Fuente &f, Muestras &m, int limite)
{
	const char *p = f.p, *fin_ultimo = p;
	while (m.n < limite && f.fin - p >= BYTES_MASCARA) {
		uint64_t blancos = mascara_blancos(p);
		if (blancos == 0 || !hay_sitio(m, limite))
			break;
		int ultimo = BYTES_MASCARA - 1 - __builtin_clzll(blancos);
		uint64_t inicios = ~blancos & ((blancos << 1) | 1) & ((uint64_t(1) << ultimo) - 1);
		const char *distinto = convierte_bloque(f, m, p, blancos, inicios, limite, &fin_ultimo);
		if (distinto) {
			f.p = distinto;
			return;
		}
		p += ultimo + 1;
	}
	f.p = m.n == limite ? fin_ultimo : p;
}

Parada lee_muestras_en_serie(Fuente &f, Muestras &m, int limite)
{
	while (m.n < limite) {
		if (!hay_numero(f))
			return f.error ? FALLO : FIN_DATOS;
		if (ajustes.bloques)
			lee_rapido(f, m, limite);
		if (m.n == limite)
			return LIMITE;
		if (!hay_numero(f))
			return f.error ? FALLO : FIN_DATOS;
		float x;
		size_t k = lee_float_acotado(f, &x);
		if (k == 0)
			return ILEGIBLE;
		f.p += k;
		if (!anade(m, x)) {
			f.error = LECTOR_SIN_MEMORIA;
			return FALLO;
		}
	}
	return LIMITE;
}

// Where a second thread can take over: just after a white space near the
// middle of what is left of a large regular file (0 when not worth it).
off_t corte_de(const Fuente &f)
{
	if (f.hasta >= 0)
		return 0;
	return punto_de_corte(f.fd, posicion(f), f.tamano, off_t(BLOQUES_PARA_PARTIR * f.cap), es_blanco);
}

// The second half joins the first only if the first ran to its end: then the
// reading simply goes on there, as it would have without the cut.
Parada junta(Fuente &f, Muestras &m, Parada primera, Fuente &g, Muestras &s, Parada segunda, int limite)
{
	if (primera != FIN_DATOS || f.error)
		return primera;
	if (g.error) {
		f.error = g.error;
		return FALLO;
	}
	int n = std::min(s.n, limite - m.n);
	if (!junta_muestras(m, s, n)) {
		f.error = LECTOR_SIN_MEMORIA;
		return FALLO;
	}
	// The count may end inside the second half, or exactly where it stopped:
	// read in one go, the reading would end there on the count, before
	// looking at whatever stopped the second half.
	return m.n == limite ? LIMITE : segunda;
}

// Reads the rest of a large file in two halves at once, one in another thread.
Parada lee_en_dos_hilos(Fuente &f, Muestras &m, int limite, off_t corte, size_t tam_bloque)
{
	Fuente g;
	Muestras s;
	struct stat st = {};
	st.st_size = f.tamano; // the size at the open, not the file's size now
	if (!reserva(s, CAPACIDAD_INICIAL))
		return lee_muestras_en_serie(f, m, limite);
	abre_ventana(g, f.fd, st, tam_bloque, corte);
	f.hasta = corte;
	Parada primera = FALLO, segunda = FALLO;
	bool partida = en_dos_partes([&] { primera = lee_muestras_en_serie(f, m, limite); },
	                             [&] { segunda = lee_muestras_en_serie(g, s, limite); });
	f.hasta = -1;
	if (partida) {
		// Where a count ends inside the second half the exact place is not
		// kept: the cut, before it and after white space, stands for it.
		if (primera == FIN_DATOS && !f.error)
			f.parada = s.n > limite - m.n ? corte : posicion(g);
		primera = junta(f, m, primera, g, s, segunda, limite);
	}
	std::free(g.buf);
	std::free(s.v);
	return partida ? primera : lee_muestras_en_serie(f, m, limite); // no thread: read on as one part
}

} // namespace

// Bit i set when p[i] is white space, for 64 bytes, a byte at a time.
static uint64_t mascara_escalar(const char *p)
{
	uint64_t r = 0;
	for (int i = 0; i < BYTES_MASCARA; i++)
		r |= uint64_t(es_blanco(p[i])) << i;
	return r;
}

uint64_t mascara_blancos(const char *p)
{
#ifdef __SSE2__
	if (!ajustes.mascara_sse2)
		return mascara_escalar(p);
	uint64_t r = 0;
	const __m128i espacio = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'),
	              tramo = _mm_set1_epi8('\r' - '\t');
	for (int i = 0; i < BYTES_MASCARA; i += BYTES_SSE) {
		__m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
		__m128i control = _mm_subs_epu8(_mm_sub_epi8(b, tab), tramo); // 0 for \t..\r
		__m128i blanco =
		    _mm_or_si128(_mm_cmpeq_epi8(b, espacio), _mm_cmpeq_epi8(control, _mm_setzero_si128()));
		r |= uint64_t(unsigned(_mm_movemask_epi8(blanco))) << i;
	}
	return r;
#else
	return mascara_escalar(p);
#endif
}

uint64_t mascara_byte(const char *p, char c)
{
	uint64_t r = 0;
#ifdef __SSE2__
	const __m128i buscado = _mm_set1_epi8(c);
	for (int i = 0; i < BYTES_MASCARA; i += BYTES_SSE) {
		__m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
		r |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(b, buscado)))) << i;
	}
#else
	for (int i = 0; i < BYTES_MASCARA; i++)
		r |= uint64_t(p[i] == c) << i;
#endif
	return r;
}

off_t punto_de_corte(int fd, off_t desde, off_t tamano, off_t minimo, bool (*corta)(unsigned char))
{
	if (fd < 0 || tamano - desde < minimo)
		return 0;
	char trozo[TAM_BUSQUEDA_CORTE];
	off_t mitad = desde + (tamano - desde) / 2;
	ssize_t n = pread(fd, trozo, sizeof trozo, mitad);
	for (ssize_t i = 0; i < n; i++)
		if (corta(static_cast<unsigned char>(trozo[i])))
			return mitad + i + 1;
	return 0;
}

bool en_dos_partes(const std::function<void()> &primera, const std::function<void()> &segunda)
{
	try {
		std::thread hilo(segunda);
		primera();
		hilo.join();
		return true;
	} catch (const std::system_error &) { // no thread: nothing ran
		return false;
	}
}

// Opens a window over the file from offset desde, in blocks of tam_bloque.
void abre_ventana(Fuente &f, int fd, const struct stat &st, size_t tam_bloque, off_t desde)
{
	f.fd = fd;
	f.tamano = st.st_size;
	f.tope = size_t(st.st_size) + 1;
	f.leido = desde;
	f.cap = tam_bloque > 0 ? tam_bloque : 1;
	f.buf = static_cast<char *>(std::malloc(f.cap));
	f.p = f.fin = f.seguro = f.inicio = f.buf;
	f.final = false;
	if (!f.buf)
		f.error = LECTOR_SIN_MEMORIA;
	recarga(f);
}

void ventana_de_memoria(Fuente &f, const char *datos, size_t n)
{
	f.p = f.inicio = datos;
	f.fin = f.seguro = datos + n;
}

void cierra_ventana(Fuente &f)
{
	std::free(f.buf);
	f.buf = nullptr;
}

// The first sample alone (a heading is decided on it), then the rest, in two
// halves at once when the file is large.
Parada lee_muestras(Fuente &f, Muestras &m, int limite)
{
	Parada p = lee_muestras_en_serie(f, m, std::min(m.n + 1, limite));
	if (p != LIMITE || m.n == limite)
		return p;
	off_t corte = ajustes.dos_hilos ? corte_de(f) : 0;
	if (corte == 0)
		return lee_muestras_en_serie(f, m, limite);
	return lee_en_dos_hilos(f, m, limite, corte, f.cap);
}

void ajusta_lector(const AjustesLector &a)
{
	ajustes = a;
}
