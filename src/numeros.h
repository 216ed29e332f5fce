// Number conversion for the spectrum data file: reading a number exactly as the
// C library's scanf reads it ("%f" and "%i" in the "C" locale), and writing a
// float as "%f" does whenever that text reads back to the same float.
// Start at lee_float_como_scanf.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Bytes enough for any text formatea_sin_perdida writes, terminator included.
constexpr size_t TAM_NUMERO = 64;

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

// The same, but only for the plain form [-]digits[.digits] (at most 19
// digits) followed by white space or fin; 0 for anything else, which
// lee_float_como_scanf then reads.  The reader's fast path.
size_t lee_float_simple(const char *p, const char *fin, float *x);

// The same for a plain number known to fill exactly [q, e), e being white
// space or the end, with a point among its last 8 characters and at most 8
// digits before it; the 16 bytes before e must be readable.  False for
// anything else (lee_float_simple then reads it).  The writer's form.
bool lee_float_corto(const char *q, const char *e, float *x);

// The same for "%i" (a leading 0 means octal, 0x hexadecimal).  Values beyond
// the range of int saturate at INT_MAX or INT_MIN.
size_t lee_entero_como_scanf(const char *p, const char *fin, int *v);

// Writes x into buf (TAM_NUMERO bytes) as "%f" writes it when that reads back
// to the same float, otherwise with nine significant digits, which always do.
// NaN reads back as NaN of the same sign.  Returns the length of the text.
int formatea_sin_perdida(char *buf, float x);

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
