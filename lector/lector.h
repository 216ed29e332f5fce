// The exact fast number reader, as the file formats see it.  Its contract:
// every number it reads is bit-identical to what fscanf(f, "%f", ...) reads
// from the same bytes, sample for sample, and it stops where fscanf would
// stop; a whole file read through it gives the samples that the simple
// reader of referencia.h gives.  The speed-ups behind it (blocks of 64 bytes
// scanned at once, two threads on a large file) change only the time.  The engine's own files, its tests and
// its benchmark use lector_motor.h too; start reading at lee_muestras in ventana.cpp.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>

// Bytes enough for any text formatea_sin_perdida writes, terminator included.
constexpr size_t TAM_NUMERO = 64;

// The longest number the reader takes: a longer one is unreadable, so no
// input makes it hold more than this of one token.  Nothing that writes
// numbers comes near: the exact decimal of the smallest double is 1076
// characters.
constexpr size_t LARGO_MAXIMO_NUMERO = 4096;

// scanf's white space in the "C" locale: space, \t, \n, \v, \f, \r.
inline bool es_blanco(unsigned char c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads one "%f" conversion from p, where scanf would start after skipping
// white space.  Returns the bytes that scanf consumes, or 0 when it would
// report a matching failure (*x is then unspecified).  The number must end
// before fin, or fin must be the true end of the input: the decision at a
// boundary depends on whether more characters follow.
size_t lee_float_como_scanf(const char *p, const char *fin, float *x);

// The same for "%i" (a leading 0 means octal, 0x hexadecimal).  Values beyond
// the range of int saturate at INT_MAX or INT_MIN.
size_t lee_entero_como_scanf(const char *p, const char *fin, int *v);

// Writes x into buf (TAM_NUMERO bytes) as "%f" writes it when that reads back
// to the same float, otherwise with nine significant digits, which always do.
// NaN reads back as NaN of the same sign.  Returns the length of the text.
int formatea_sin_perdida(char *buf, float x);

// Why a window stopped early; the file formats word these themselves.
enum ErrorLector { LECTOR_BIEN = 0, LECTOR_ERROR_LECTURA, LECTOR_SIN_MEMORIA };

// A window over the input: the bytes at hand [p, fin).  A number starting
// before seguro ends before fin (seguro is the window's last white space, or
// fin once final).  Over memory, or over a file read in blocks.
struct Fuente {
	const char *p = nullptr, *fin = nullptr, *seguro = nullptr;
	const char *inicio = nullptr; // the first byte at hand, read or not
	bool final = true;            // nothing beyond fin
	int fd = -1;                  // the file, for a window over a block buffer
	char *buf = nullptr;
	size_t cap = 0;
	size_t tope = 0;  // the buffer never grows past this (the file's size + 1)
	off_t leido = 0;  // the file offset of fin
	off_t hasta = -1; // where this window's part of the file ends (-1: at its end)
	off_t tamano = 0; // the file's size when it was opened: nothing past it is read
	int error = LECTOR_BIEN;
	off_t parada = -1; // where a read that went on in a second window stopped
};

// A window over the n bytes at datos (nothing is copied), and one over the
// regular file open at fd from offset desde, in blocks of tam_bloque bytes.
void ventana_de_memoria(Fuente &f, const char *datos, size_t n);
void abre_ventana(Fuente &f, int fd, const struct stat &st, size_t tam_bloque, off_t desde);
void cierra_ventana(Fuente &f);

// The file offset of the next byte to read.
off_t posicion(const Fuente &f);

// Brings more of the file into the window, keeping the unread bytes [p, fin).
// False when the window cannot change any more.
bool recarga(Fuente &f);

// Goes past the next line end (or to the end of the input).
void salta_linea(Fuente &f);

// One number after white space, as "%f" and as "%i" read it; false when
// there is none, it is unreadable or longer than LARGO_MAXIMO_NUMERO.
bool lee_float(Fuente &f, float *x);
bool lee_entero(Fuente &f, int *v);

// Samples as they arrive: v[1..n], capacity cap slots including slot 0.
struct Muestras {
	float *v = nullptr;
	size_t cap = 0;
	int n = 0;
	float max = 0; // the largest finite sample, never below 0
};

// Slots a run of samples starts with when nothing says how many will come.
constexpr size_t CAPACIDAD_INICIAL = 4096;

// Room for cap slots (never less than n + 1); false when there is no memory.
bool reserva(Muestras &m, size_t cap);

// Appends the first `cuantas` samples of b to a, all at once: the one way the
// two halves of a large read are joined.  False when there is no memory (or
// no int left to count them); a is then unchanged.
bool junta_muestras(Muestras &a, const Muestras &b, int cuantas);

// Adds one where there is room for it (inline: the readers' inner loops call
// it).  inf and NaN are kept but never set the scale: maxL is the largest
// finite sample.
inline void guarda(Muestras &m, float x)
{
	m.v[++m.n] = x;
	if (x > m.max && x < HUGE_VALF)
		m.max = x;
}

// What ended a run of samples.
enum Parada { FIN_DATOS, LIMITE, ILEGIBLE, FALLO };

// Reads samples into m until it holds `limite` of them, the input ends, or a
// number is unreadable (f.p is then at it); f.error says why on FALLO.  A
// large file is read in two halves at once; the result is the same.
Parada lee_muestras(Fuente &f, Muestras &m, int limite);

// The one scanner of the text and the one two-part read, which the number
// runs above and the tables of ../ficheros/ share.

// Bytes a mask covers: bit i stands for p[i].
constexpr int BYTES_MASCARA = 64;

// Bit i set where p[i] is white space, and where p[i] is the byte c, for
// BYTES_MASCARA bytes (all must be readable); 16 at a time where SSE2 is.
uint64_t mascara_blancos(const char *p);
uint64_t mascara_byte(const char *p, char c);

// Where a second part of a large read can start: just after a byte that
// `corta` takes, near the middle of [desde, tamano) of the file open at fd;
// 0 when fewer than `minimo` bytes are left or none is near the middle.
off_t punto_de_corte(int fd, off_t desde, off_t tamano, off_t minimo, bool (*corta)(unsigned char));

// Runs segunda in another thread while primera runs here, and waits for
// both: the two parts of a large read.  False when no thread can start:
// then neither ran, and the caller reads on as one part.  Neither may throw.
bool en_dos_partes(const std::function<void()> &primera, const std::function<void()> &segunda);

// Digit tools that the tables' quick path shares with the engine.

// The plain form: at most 19 digits keep the mantissa in 64 bits, and below
// 2^53 it is an exact double.
inline constexpr int MAX_CIFRAS_SIMPLE = 19;
inline constexpr uint64_t MAX_MANTISA_EXACTA = uint64_t(1) << 53;
// A double halfway between two floats has its 29 bits below the float's
// significand set to exactly 1 followed by zeros.
inline constexpr uint64_t BITS_BAJO_FLOAT = (uint64_t(1) << 29) - 1;
inline constexpr uint64_t PUNTO_MEDIO = uint64_t(1) << 28;
// Mantissa times the double nearest 10^-k is within 2.01 units in the last
// place of the exact decimal; keeping 4 units from any halfway point leaves
// the decimal and the double on the same side of every one of them.
inline constexpr uint64_t HOLGURA_PUNTO_MEDIO = 4;
inline constexpr uint64_t POTENCIAS_ENTERAS[9] = {1,      10,      100,      1000,     10000,
                                                  100000, 1000000, 10000000, 100000000};
inline constexpr double INVERSAS_DE_10[MAX_CIFRAS_SIMPLE + 1] = {
    1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,
    1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19};

// A double within a few units of the decimal rounds to the decimal's float
// unless a point halfway between two floats lies that close; then the caller
// falls back to a slower exact conversion.
inline bool redondea(uint64_t w, int decimales, bool negativo, float *x)
{
	double d = double(int64_t(w)) * INVERSAS_DE_10[decimales];
	uint64_t bits;
	std::memcpy(&bits, &d, sizeof bits);
	if ((bits & BITS_BAJO_FLOAT) - (PUNTO_MEDIO - HOLGURA_PUNTO_MEDIO) <= 2 * HOLGURA_PUNTO_MEDIO)
		return false;
	*x = negativo ? -float(d) : float(d);
	return true;
}

// Eight bytes of text as one word, first byte lowest, with '0' taken from
// each so that digits are 0..9.  Inline: the readers' inner loops use these.

// Value of eight digit bytes (0..9 each, first digit in the lowest byte).
inline uint64_t valor_de_ocho(uint64_t v)
{
	const uint64_t mascara = 0x000000FF000000FF, mul1 = 0x000F424000000064, mul2 = 0x0000271000000001;
	v = v * 10 + (v >> 8);
	return (((v & mascara) * mul1) + (((v >> 16) & mascara) * mul2)) >> 32;
}

// High bit of each byte of v that is no digit, exact up to the first one.
inline uint64_t no_cifras(uint64_t v)
{
	const uint64_t unos = 0x0101010101010101, altos = 0x8080808080808080;
	return ((v + (0x80 - 10) * unos) | v) & altos;
}

// The digits at q, at most eight (all eight bytes must be readable): how many,
// and their value in *valor.
inline int ocho_cifras(const char *q, uint64_t *valor)
{
	const uint64_t ceros = 0x3030303030303030;
	const int bits_byte = 8, bytes = 8;
	uint64_t v;
	std::memcpy(&v, q, sizeof v);
	v ^= ceros;
	uint64_t no_cifra = no_cifras(v);
	int n = no_cifra ? __builtin_ctzll(no_cifra) / bits_byte : bytes;
	*valor = n == 0 ? 0 : valor_de_ocho(v << bits_byte * (bytes - n));
	return n;
}
