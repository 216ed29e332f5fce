// Speed of the peak search behind Ctrl+arrow, on spectra of 10^5 to 10^7
// channels: noise within two deviations of its level, where a search crosses
// nearly the whole spectrum (the longest a key press can take), and counting
// noise, walked over every peak that it throws up.  Each beside the plain way (the median taken at every
// local maximum) measured in the same run, and a single pass that reads every sample.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "cronometro.h"
#include "analisis.h"

namespace {

constexpr int TAMANOS[] = {100000, 1000000, 10000000};
constexpr double FONDO = 100;
constexpr int REPETICIONES = 3;

// Noise uniform within two deviations, whose median background only rarely
// sinks far enough for a peak, or counting noise, which now and then does.
std::vector<float> ruido(int n, bool poisson)
{
	std::mt19937 azar(n);
	std::uniform_real_distribution<float> plano(FONDO - 2 * std::sqrt(FONDO),
	                                            FONDO + 2 * std::sqrt(FONDO));
	std::poisson_distribution<int> cuentas(FONDO);
	std::vector<float> li(n + 1);
	for (int c = 1; c <= n; c++)
		li[c] = poisson ? static_cast<float>(cuentas(azar)) : plano(azar);
	return li;
}

// The plain way: a local maximum, then the median of all 80 background samples.
bool pico_llano(const std::vector<float> &li, int n, int c)
{
	for (int k = 1; k <= RADIO_PICO; k++)
		if ((c - k >= 1 && li[c - k] >= li[c]) || (c + k <= n && li[c + k] > li[c]))
			return false;
	std::vector<float> f;
	for (int d = FONDO_DESDE; d <= FONDO_HASTA; d++)
		for (int j : {c - d, c + d})
			if (j >= 1 && j <= n)
				f.push_back(li[j]);
	std::sort(f.begin(), f.end());
	size_t m = f.size();
	double b = m % 2 ? f[m / 2] : (static_cast<double>(f[m / 2 - 1]) + f[m / 2]) / 2;
	return li[c] - b >= SIGMAS_PICO * std::max(1.0, std::sqrt(b));
}

// Peaks met from channel 1 to the end, each search starting at the last.
template <typename Busca> int paseo(Busca busca)
{
	int paradas = 0;
	for (int c = 0; (c = busca(c)) != 0;)
		paradas++;
	return paradas;
}

void mide(int n, bool poisson)
{
	std::vector<float> li = ruido(n, poisson);
	int nuestras = 0, llanas = 0;
	double nuestro = mejor_tiempo(REPETICIONES, [&] {
		nuestras = paseo([&](int c) { return pico_siguiente(li.data(), n, c, 1); });
		return true;
	});
	double llano = mejor_tiempo(REPETICIONES, [&] {
		llanas = paseo([&](int desde) {
			for (int c = desde + 1; c <= n; c++)
				if (pico_llano(li, n, c))
					return c;
			return 0;
		});
		return true;
	});
	volatile float maximo = 0;
	double pasada = mejor_tiempo(REPETICIONES, [&] {
		maximo = *std::max_element(li.begin(), li.end());
		return true;
	});
	std::printf(
	    "%10d canales, %s: %4d picos, %7.1f ms (llano %8.1f ms, razon %5.1fx; una lectura %5.2f ms, "
	    "%5.1f lecturas)%s\n",
	    n, poisson ? "ruido de Poisson " : "ruido uniforme   ", nuestras, nuestro * 1e3, llano * 1e3,
	    llano / nuestro, pasada * 1e3, nuestro / pasada, nuestras == llanas ? "" : "  DISTINTOS");
}

} // namespace

int main()
{
	for (int n : TAMANOS)
		for (bool poisson : {false, true})
			mide(n, poisson);
	return 0;
}
