// Number conversion with scanf's exact results, fast.  Four tiers, each taking
// only what it converts exactly like glibc: the writer's short form eight bytes
// at a time (lee_float_corto), other plain decimals of up to 19 digits
// (lee_simple), any decimal through fast_float (lee_decimal), and the rest (a
// leading +, hexadecimal, inf, nan, or text where scanf's token and a decimal
// differ) measured the way scanf's scanner takes it and converted with strtof.
// Start at lee_float_como_scanf; mide_float mirrors scanf's scanner.
#include "lector_motor.h"

#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

#include <fast_float/fast_float.h>

namespace {

using lector_interno::ajustes;

// Magnitude from which "%f" (six decimals, error at most 0.5e-6) always reads
// back: half a float step is 2^-20 there, more than the error.
constexpr float SIN_PERDIDA_DESDE = 16.0f;
constexpr int NUEVE_CIFRAS = 9;
constexpr size_t TAM_TOKEN_CORTO = 128;

// Eight bytes in one 64-bit word.
constexpr uint64_t UNOS = 0x0101010101010101;
constexpr int BYTES_BLOQUE = 8;
constexpr int BITS_BYTE = 8;

// The file format is the "C" locale's, whatever locale a library may have set.
locale_t locale_c()
{
	static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
	return c;
}

bool es_digito(unsigned char c)
{
	return c >= '0' && c <= '9';
}

bool es_hex(unsigned char c)
{
	return es_digito(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char minuscula(unsigned char c)
{
	return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c);
}

// True when [p, fin) starts with the lower-case word w in any letter case.
bool coincide(const char *p, const char *fin, const char *w)
{
	for (; *w; p++, w++)
		if (p == fin || minuscula(*p) != *w)
			return false;
	return true;
}

// scanf takes "inf", or "infinity" once it has seen the i after "inf".
size_t mide_infinito(const char *p, const char *q, const char *fin)
{
	if (!coincide(q, fin, "inf"))
		return 0;
	q += 3;
	if (q == fin || minuscula(*q) != 'i')
		return q - p;
	return coincide(q, fin, "inity") ? q + 5 - p : 0;
}

// Digits, one point, an exponent letter after a digit and a sign right after
// it: character by character, with scanf's own checks at the end.
size_t mide_cuerpo(const char *p, const char *q, const char *fin, bool signo)
{
	bool hex = false, digito = false, punto = false, exponente = false;
	char letra_exp = 'e';
	if (q < fin && *q == '0') {
		q++;
		if (q < fin && minuscula(*q) == 'x') {
			hex = true;
			letra_exp = 'p';
			q++;
		} else {
			digito = true;
		}
	}
	for (; q < fin; q++) {
		unsigned char c = *q;
		if (es_digito(c) || (hex && !exponente && es_hex(c)))
			digito = true;
		else if (exponente && minuscula(q[-1]) == letra_exp && (c == '-' || c == '+'))
			continue;
		else if (digito && !exponente && minuscula(c) == letra_exp)
			exponente = punto = true;
		else if (!punto && c == '.')
			punto = true;
		else
			break;
	}
	size_t n = q - p;
	if (n == size_t(signo) + punto || (hex && n == 2 + size_t(signo)))
		return 0;
	return n;
}

// Length of the token that scanf's "%f" takes at p, or 0 for a matching failure.
size_t mide_float(const char *p, const char *fin)
{
	const char *q = p;
	bool signo = q < fin && (*q == '-' || *q == '+');
	q += signo;
	if (q == fin)
		return 0;
	char c = minuscula(*q);
	if (c == 'n')
		return coincide(q, fin, "nan") ? q + 3 - p : 0;
	if (c == 'i')
		return mide_infinito(p, q, fin);
	return mide_cuerpo(p, q, fin, signo);
}

// scanf hands its token to strtof and fails only if nothing of it converts.
bool convierte_token(const char *p, size_t n, float *x)
{
	char corto[TAM_TOKEN_CORTO];
	std::string largo;
	char *texto = corto;
	if (n >= sizeof corto) {
		largo.assign(p, n);
		texto = &largo[0];
	} else {
		std::memcpy(corto, p, n);
		corto[n] = '\0';
	}
	char *final;
	*x = strtof_l(texto, &final, locale_c());
	return final != texto;
}

// High bit of each byte of v equal to c (exact: no carry crosses bytes).
uint64_t bytes_iguales(uint64_t v, unsigned char c)
{
	const uint64_t bajos = 0x7F * UNOS;
	uint64_t t = v ^ (c * UNOS);
	return ~(((t & bajos) + bajos) | t | bajos);
}

bool solo_cifras(uint64_t v)
{
	return no_cifras(v) == 0;
}

// Reads a run of digits into *w eight at a time where the window allows.
const char *lee_cifras(const char *q, const char *fin, uint64_t *w)
{
	while (ajustes.ocho_cifras && fin - q >= BYTES_BLOQUE) {
		uint64_t valor;
		int n = ocho_cifras(q, &valor);
		if (n == 0)
			return q;
		*w = *w * POTENCIAS_ENTERAS[n] + valor;
		q += n;
		if (n < BYTES_BLOQUE)
			return q;
	}
	for (; q < fin && es_digito(*q); q++)
		*w = *w * 10 + unsigned(*q - '0');
	return q;
}

// [-]digits[.digits] then white space or the end, at most 19 digits.
bool lee_simple(const char *p, const char *fin, float *x, size_t *n)
{
	bool negativo = p < fin && *p == '-';
	const char *q = p + negativo;
	uint64_t w = 0;
	const char *entera = q;
	q = lee_cifras(q, fin, &w);
	int cifras = int(q - entera), decimales = 0;
	if (q < fin && *q == '.') {
		const char *fraccion = ++q;
		q = lee_cifras(q, fin, &w);
		decimales = int(q - fraccion);
	}
	cifras += decimales;
	if (cifras == 0 || cifras > MAX_CIFRAS_SIMPLE || w > MAX_MANTISA_EXACTA ||
	    (q < fin && !es_blanco(*q)))
		return false;
	if (!redondea(w, decimales, negativo, x))
		return false;
	*n = size_t(q - p);
	return true;
}

// The fast path holds only where fast_float and scanf agree on the token: it
// ends at white space or the end, and in a digit or point (not inf or nan).
bool lee_decimal(const char *p, const char *fin, float *x, size_t *n)
{
	if (p == fin)
		return false;
	auto r = fast_float::from_chars(p, fin, *x);
	if (r.ec != std::errc() || r.ptr == p)
		return false;
	unsigned char ultimo = r.ptr[-1];
	if (!es_digito(ultimo) && ultimo != '.')
		return false;
	if (r.ptr != fin && !es_blanco(*r.ptr))
		return false;
	*n = r.ptr - p;
	return true;
}

bool vuelve_igual(const char *texto, float x)
{
	float y = strtof_l(texto, nullptr, locale_c());
	if (std::isnan(x))
		return std::isnan(y) && std::signbit(x) == std::signbit(y);
	return std::memcmp(&x, &y, sizeof x) == 0;
}

// Restores the thread's locale on leaving: printf's point follows the locale.
struct EnLocaleC {
	locale_t previo = uselocale(locale_c());
	~EnLocaleC() { uselocale(previo); }
};

// The top n of eight bytes (the last n in memory order).
uint64_t arriba(long n)
{
	return n >= BYTES_BLOQUE ? ~uint64_t(0) : n <= 0 ? 0 : ~uint64_t(0) << BITS_BYTE * (BYTES_BLOQUE - n);
}

// The n bytes that end at p + 8 as digit values (a digit becomes 0..9), the
// bytes before them as zeros.
uint64_t ocho_bytes(const char *p, long n)
{
	uint64_t v;
	std::memcpy(&v, p, sizeof v);
	return (v ^ '0' * UNOS) & arriba(n);
}

} // namespace

// The point is found in the last eight bytes; the digits on each side of it
// are read backwards from it in one word each, with no loop.
bool lee_float_corto(const char *q, const char *e, float *x)
{
	bool negativo = *q == '-';
	q += negativo;
	long largo = e - q;
	uint64_t final = ocho_bytes(e - BYTES_BLOQUE, largo);
	uint64_t puntos = bytes_iguales(final, '.' ^ '0');
	if (puntos == 0 || (puntos & (puntos - 1)))
		return false; // no point, or two: lee_float_simple decides
	int punto = __builtin_ctzll(puntos) / BITS_BYTE;
	int decimales = BYTES_BLOQUE - 1 - punto;
	long enteras = largo - decimales - 1;
	uint64_t fraccion = final & arriba(decimales);
	uint64_t entera = ocho_bytes(e - decimales - 1 - BYTES_BLOQUE, enteras);
	if (enteras > BYTES_BLOQUE || enteras + decimales == 0 || !solo_cifras(fraccion) ||
	    !solo_cifras(entera))
		return false;
	uint64_t w = valor_de_ocho(entera) * POTENCIAS_ENTERAS[decimales] + valor_de_ocho(fraccion);
	return redondea(w, decimales, negativo, x);
}

size_t lee_float_simple(const char *p, const char *fin, float *x)
{
	size_t n;
	if (!ajustes.simple)
		return lee_decimal(p, fin, x, &n) ? n : 0;
	return lee_simple(p, fin, x, &n) ? n : 0;
}

size_t lee_float_como_scanf(const char *p, const char *fin, float *x)
{
	size_t n;
	if ((ajustes.simple && lee_simple(p, fin, x, &n)) || lee_decimal(p, fin, x, &n))
		return n;
	n = mide_float(p, fin);
	if (n == 0 || !convierte_token(p, n, x))
		return 0;
	return n;
}

// scanf hands strtol the sign, the leading 0 and the digits of the base (not
// the x), and fails when there is no digit at all.
size_t lee_entero_como_scanf(const char *p, const char *fin, int *v)
{
	const char *q = p;
	bool negativo = q < fin && *q == '-';
	if (q < fin && (*q == '-' || *q == '+'))
		q++;
	int base = 10;
	bool cifra = false;
	if (q < fin && *q == '0') {
		cifra = true;
		base = 8;
		q++;
		if (q < fin && minuscula(*q) == 'x') {
			base = 16;
			q++;
		}
	}
	long long valor = 0;
	for (; q < fin; q++) {
		unsigned char c = *q;
		int d = es_digito(c) ? c - '0' : (base == 16 && es_hex(c)) ? minuscula(c) - 'a' + 10 : base;
		if (d >= base)
			break;
		cifra = true;
		if (valor <= INT_MAX)
			valor = valor * base + d;
	}
	if (!cifra)
		return 0;
	valor = negativo ? -valor : valor;
	*v = valor > INT_MAX ? INT_MAX : valor < INT_MIN ? INT_MIN : int(valor);
	return q - p;
}

int formatea_sin_perdida(char *buf, float x)
{
	EnLocaleC c;
	int n = std::snprintf(buf, TAM_NUMERO, "%f", x);
	bool rapido = std::isfinite(x) && (std::fabs(x) >= SIN_PERDIDA_DESDE || x == std::trunc(x));
	if (!rapido && !vuelve_igual(buf, x))
		n = std::snprintf(buf, TAM_NUMERO, "%.*g", NUEVE_CIFRAS, x);
	return n;
}
