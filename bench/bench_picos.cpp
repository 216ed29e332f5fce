// Speed of the line search behind Ctrl+arrow, on spectra of 10^5 to 10^7
// channels of noise about 100 counts: counting noise, where a search crosses
// nearly the whole spectrum without a stop (the longest a key press can
// take), and noise uniform within two deviations, wider than counting noise,
// which now and then makes a stop.  Each walked from channel 1 to the end
// over every stop, beside a single pass that reads every sample measured in
// the same run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "analisis.h"
#include "cronometro.h"

namespace {

constexpr int TAMANOS[] = {100000, 1000000, 10000000};
constexpr double FONDO = 100;
constexpr int REPETICIONES = 3;

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

void mide(int n, bool poisson)
{
	std::vector<float> li = ruido(n, poisson);
	int paradas = 0;
	double paseo = mejor_tiempo(REPETICIONES, [&] {
		paradas = 0;
		for (int c = 0; (c = pico_siguiente(li.data(), n, c, 1)) != 0;)
			paradas++;
		return true;
	});
	volatile float maximo = 0;
	double pasada = mejor_tiempo(REPETICIONES, [&] {
		maximo = *std::max_element(li.begin(), li.end());
		return true;
	});
	std::printf("%10d canales, %s: %4d paradas, %7.1f ms (una lectura %6.2f ms, %5.1f lecturas)\n", n,
	            poisson ? "ruido de Poisson " : "ruido uniforme   ", paradas, paseo * 1e3, pasada * 1e3,
	            paseo / pasada);
}

} // namespace

int main()
{
	for (int n : TAMANOS)
		for (bool poisson : {true, false})
			mide(n, poisson);
	return 0;
}
