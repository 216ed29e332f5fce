// Number conversion for the spectrum data file: reading a number exactly as the
// C library's scanf reads it ("%f" and "%i" in the "C" locale), and writing a
// float as "%f" does whenever that text reads back to the same float.
// Start at lee_float_como_scanf.
#pragma once

#include <cstddef>

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
