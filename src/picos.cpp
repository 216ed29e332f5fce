// The peak test and the search.  The cheap condition, a local maximum, is
// tested first, so the background is looked at only where it holds; there a
// count of the background samples low enough to let the sample stand out
// rules out most channels before any median is taken.
#include "picos.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int MUESTRAS_FONDO = 2 * (FONDO_HASTA - FONDO_DESDE + 1);
using Fondo = std::array<float, MUESTRAS_FONDO>;

// Relative slack of fondo_maximo, far above the rounding of its arithmetic.
constexpr double HOLGURA = 1e-9;

bool es_maximo_local(const float *Li, int n, int c)
{
	float v = Li[c];
	for (int k = 1; k <= RADIO_PICO; k++) {
		if (c - k >= 1 && !(Li[c - k] < v))
			return false;
		if (c + k <= n && !(Li[c + k] <= v))
			return false;
	}
	return true;
}

// Copies the background samples of channel c into f; how many there are.
int muestras_fondo(const float *Li, int n, int c, Fondo &f)
{
	int m = 0;
	for (int d = FONDO_DESDE; d <= FONDO_HASTA; d++) {
		if (c - d >= 1 && !std::isnan(Li[c - d]))
			f[m++] = Li[c - d];
		if (c + d <= n && !std::isnan(Li[c + d]))
			f[m++] = Li[c + d];
	}
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

// A median at most tope needs at least half of the samples at most tope.
bool mitad_como_mucho(const Fondo &f, int m, double tope)
{
	auto bajas = std::count_if(f.begin(), f.begin() + m, [tope](float x) { return x <= tope; });
	return 2 * bajas >= m;
}

} // namespace

bool es_pico(const float *Li, int n, int c)
{
	if (c < 1 || c > n || !es_maximo_local(Li, n, c))
		return false;
	Fondo f;
	int m = muestras_fondo(Li, n, c, f);
	double v = Li[c];
	if (m == 0 || !mitad_como_mucho(f, m, fondo_maximo(v)))
		return false;
	double b = mediana(f, m);
	return v - b >= ruido(b);
}

int pico_siguiente(const float *Li, int n, int desde, int sentido)
{
	int paso = sentido > 0 ? 1 : -1;
	for (int c = desde + paso; c >= 1 && c <= n; c += paso)
		if (es_pico(Li, n, c))
			return c;
	return 0;
}
