// Reading speed of the data file: the one-pass reader against the two-pass
// fscanf reader, on files of 10^5, 10^6 and 10^7 samples written by the
// program's own writer.  Prints samples per second for both and their ratio.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "../tests/unit/test_fichero_referencia.h"
#include "cronometro.h"
#include "fichero.h"

namespace {

constexpr int TAMANOS[] = {100000, 1000000, 10000000};
constexpr int REPETICIONES = 5;
constexpr float INTENSIDAD_MAXIMA = 60000;

// A spectrum like a detector's: counts, some with a fraction, and a calibration.
bool escribe_prueba(const std::string &ruta, int n)
{
	std::mt19937 azar(n);
	std::uniform_real_distribution<float> valor(0, INTENSIDAD_MAXIMA);
	std::vector<float> v(n + 1);
	for (int i = 1; i <= n; i++)
		v[i] = i % 4 ? float(int(valor(azar))) : valor(azar);
	return escribe_espectro(ruta.c_str(), "\"prueba\"", v.data(), n, 0.182804f, -1.191938f) == 0;
}

bool mide(const std::string &ruta, int n)
{
	double nuestro = mejor_tiempo(REPETICIONES, [&] {
		Lectura l;
		bool bien = lee_espectro(ruta.c_str(), &l) == 0 && l.nptL == n;
		libera_lectura(&l);
		return bien;
	});
	double referencia = mejor_tiempo(REPETICIONES, [&] {
		LecturaReferencia r;
		return lee_referencia(ruta.c_str(), &r) && r.nptL == n;
	});
	if (nuestro <= 0 || referencia <= 0) {
		std::printf("%10d muestras: lectura fallida\n", n);
		return false;
	}
	std::printf("%10d muestras: una pasada %8.1f M/s, dos pasadas con fscanf %6.2f M/s, razon %5.1fx\n",
	            n, n / nuestro / 1e6, n / referencia / 1e6, referencia / nuestro);
	return true;
}

} // namespace

int main()
{
	std::string ruta = "/tmp/orq-bench-fichero-" + std::to_string(getpid()) + ".txt";
	bool bien = true;
	for (int n : TAMANOS) {
		if (!escribe_prueba(ruta, n)) {
			std::printf("no se pudo escribir %s\n", ruta.c_str());
			return 1;
		}
		bien = mide(ruta, n) && bien;
	}
	std::remove(ruta.c_str());
	return bien ? 0 : 1;
}
