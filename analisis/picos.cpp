// The peak test and the search.  The cheap condition, a local maximum, is
// tested first, a block of channels at a time, so the background is looked
// at only where it holds; there a count of the background samples low enough
// to let the sample stand out rules out most channels before any median is
// taken.
#include "analisis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int LARGO_TRAMO = FONDO_HASTA - FONDO_DESDE + 1;
constexpr int MUESTRAS_FONDO = 2 * LARGO_TRAMO;
using Fondo = std::array<float, MUESTRAS_FONDO>;

// Relative slack of fondo_maximo, far above the rounding of its arithmetic.
constexpr double HOLGURA = 1e-9;

// Channels whose maxima are marked at once.
constexpr int BLOQUE = 256;
using Marcas = std::array<int, BLOQUE>;

bool es_maximo_local(const float *Li, int n, int c)
{
	float v = Li[c];
	for (int k = 1; k <= RADIO_PICO; k++) {
		if (c - k >= 1 && !(Li[c - k] < v))
			return false;
		if (k <= n - c && !(Li[c + k] <= v))
			return false;
	}
	return true;
}

// Marks which of the BLOQUE channels from desde on are local maxima, each at
// least RADIO_PICO channels from both ends.  Int marks, no branches and a
// fixed count let the compiler test several channels at once.
void marca_maximos(const float *Li, int desde, Marcas &marca)
{
	for (int i = 0; i < BLOQUE; i++) {
		const float *p = Li + desde + i;
		float v = p[0];
		int es = 1;
		for (int k = 1; k <= RADIO_PICO; k++) {
			es &= p[-k] < v;
			es &= p[k] <= v;
		}
		marca[i] = es;
	}
}

// The background of channel c: two stretches of channels, clipped to the
// spectrum (an empty one ends before it starts).  Wide sums, since n may be
// close to the largest int.
struct Tramos {
	int izq_desde, izq_hasta, der_desde, der_hasta;
};

Tramos tramos_de(int n, int c)
{
	long long centro = c, ultimo = n;
	return {static_cast<int>(std::max(1LL, centro - FONDO_HASTA)), static_cast<int>(centro - FONDO_DESDE),
	        static_cast<int>(std::min(ultimo + 1, centro + FONDO_DESDE)),
	        static_cast<int>(std::min(ultimo, centro + FONDO_HASTA))};
}

// Adds to *bajas the samples of Li[desde..hasta] at most tope, and to *validas
// those that are not NaN.
void cuenta(const float *Li, int desde, int hasta, float tope, int *bajas, int *validas)
{
	for (int j = desde; j <= hasta; j++) {
		*bajas += Li[j] <= tope;
		*validas += Li[j] == Li[j];
	}
}

// The same over a whole stretch: no branches and a fixed count, so that it
// runs on vectors.
void cuenta_tramo(const float *p, float tope, int *bajas, int *validas)
{
	int b = 0, v = 0;
	for (int j = 0; j < LARGO_TRAMO; j++) {
		b += p[j] <= tope;
		v += p[j] == p[j];
	}
	*bajas += b;
	*validas += v;
}

// Copies the background samples of channel c that are not NaN into f; how many.
int muestras_fondo(const float *Li, const Tramos &t, Fondo &f)
{
	int m = 0;
	for (int j = t.izq_desde; j <= t.izq_hasta; j++)
		if (!std::isnan(Li[j]))
			f[m++] = Li[j];
	for (int j = t.der_desde; j <= t.der_hasta; j++)
		if (!std::isnan(Li[j]))
			f[m++] = Li[j];
	return m;
}

// The median of f[0..m), m > 0 (reorders f).
double mediana(Fondo &f, int m)
{
	int mitad = m / 2;
	std::nth_element(f.begin(), f.begin() + mitad, f.begin() + m);
	double alta = f[mitad];
	if (m % 2 != 0)
		return alta;
	double baja = *std::max_element(f.begin(), f.begin() + mitad);
	return (baja + alta) / 2;
}

double ruido(double b)
{
	return SIGMAS_PICO * (b < 1 ? 1 : std::sqrt(b));
}

// The highest background that a sample v still stands out of (b + ruido(b)
// grows with b), raised a little so that rounding never rules out a peak.
double fondo_maximo(double v)
{
	double t = v - SIGMAS_PICO;
	if (t > 1) {
		double raiz = (std::sqrt(SIGMAS_PICO * SIGMAS_PICO + 4 * v) - SIGMAS_PICO) / 2;
		t = raiz * raiz;
	}
	return t + HOLGURA * (std::fabs(t) + 1);
}

// Whether at least half of the background samples are at most tope, which a
// median at most tope needs.  False when there is no sample.
bool mitad_como_mucho(const float *Li, const Tramos &t, double tope)
{
	float tope_f = std::nextafter(static_cast<float>(tope), std::numeric_limits<float>::infinity());
	int bajas = 0, validas = 0;
	if (t.izq_hasta - t.izq_desde + 1 == LARGO_TRAMO && t.der_hasta - t.der_desde + 1 == LARGO_TRAMO) {
		cuenta_tramo(Li + t.izq_desde, tope_f, &bajas, &validas);
		cuenta_tramo(Li + t.der_desde, tope_f, &bajas, &validas);
	} else {
		cuenta(Li, t.izq_desde, t.izq_hasta, tope_f, &bajas, &validas);
		cuenta(Li, t.der_desde, t.der_hasta, tope_f, &bajas, &validas);
	}
	return validas > 0 && 2 * bajas >= validas;
}

// The background half of the test, for a local maximum c.
bool sobre_el_fondo(const float *Li, int n, int c)
{
	Tramos t = tramos_de(n, c);
	double v = Li[c];
	if (!mitad_como_mucho(Li, t, fondo_maximo(v)))
		return false;
	Fondo f{};
	int m = muestras_fondo(Li, t, f);
	double b = mediana(f, m);
	return v - b >= ruido(b);
}

// The first peak of the block from inicio on, met going the way of paso; 0 if none.
int pico_en_bloque(const float *Li, int n, int inicio, int paso)
{
	Marcas marca;
	marca_maximos(Li, inicio, marca);
	for (int i = 0; i < BLOQUE; i++) {
		int j = paso > 0 ? i : BLOQUE - 1 - i;
		if (marca[j] && sobre_el_fondo(Li, n, inicio + j))
			return inicio + j;
	}
	return 0;
}

} // namespace

bool es_pico(const float *Li, int n, int c)
{
	return c >= 1 && c <= n && es_maximo_local(Li, n, c) && sobre_el_fondo(Li, n, c);
}

// Whole blocks where every channel has all its neighbours; one channel at a
// time near the ends.
int pico_siguiente(const float *Li, int n, int desde, int sentido)
{
	int paso = sentido > 0 ? 1 : -1;
	for (int c = desde + paso; c >= 1 && c <= n;) {
		int inicio = paso > 0 ? c : c - BLOQUE + 1;
		if (inicio <= RADIO_PICO || inicio > n - RADIO_PICO - BLOQUE + 1) {
			if (es_pico(Li, n, c))
				return c;
			c += paso;
			continue;
		}
		int pico = pico_en_bloque(Li, n, inicio, paso);
		if (pico != 0)
			return pico;
		c += paso * BLOQUE;
	}
	return 0;
}
