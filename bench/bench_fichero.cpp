// Reading speed of the data file.  First the one-pass reader against the
// two-pass fscanf reader of referencia.h, best of a few runs, on files of
// 10^3 to 10^7 samples written by the program's own writer.  Then each
// speed-up of the number reader on and off, at 10^3, 10^5 and 10^7 samples,
// on the writer's files and on files of plain integer counts: medians of
// rounds that alternate the two, their ratios to the reference measured in
// the same run, and the spread of the rounds.  Every variant must read the
// reference's samples bit for bit.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "cronometro.h"
#include "fichero.h"
#include "lector_motor.h"
#include "referencia.h"

namespace {

constexpr int TAMANOS[] = {1000, 100000, 1000000, 10000000};
constexpr int TAMANOS_MEJORAS[] = {1000, 100000, 10000000};
constexpr int REPETICIONES = 5;
constexpr int RONDAS = 7;
constexpr double PRESUPUESTO_RONDA_S = 0.15; // per measurement of a round
constexpr float INTENSIDAD_MAXIMA = 60000;
constexpr size_t BLOQUE_PROGRAMA = size_t(1) << 20; // what lee_espectro reads at a time
constexpr size_t BLOQUE_PEQUENO = size_t(64) << 10;

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

// The same counts as plain integers, one a line, with no title: what other
// programs export.
bool escribe_enteros(const std::string &ruta, int n)
{
	FILE *f = std::fopen(ruta.c_str(), "w");
	if (!f)
		return false;
	std::mt19937 azar(n);
	std::uniform_int_distribution<int> valor(0, int(INTENSIDAD_MAXIMA));
	for (int i = 0; i < n; i++)
		std::fprintf(f, "%d\n", valor(azar));
	return std::fclose(f) == 0;
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

// A way of reading the file: the program's, or one with a speed-up off.
struct Variante {
	AjustesLector ajustes;
	size_t bloque = BLOQUE_PROGRAMA;
};

struct Mejora {
	const char *nombre;
	Variante sin;
};

Variante sin_(bool AjustesLector::*interruptor)
{
	Variante v;
	v.ajustes.*interruptor = false;
	return v;
}

std::vector<Mejora> mejoras()
{
	Variante bloque_pequeno;
	bloque_pequeno.bloque = BLOQUE_PEQUENO;
	return {
	    {"two threads on large files", sin_(&AjustesLector::dos_hilos)},
	    {"64-byte blocks split first", sin_(&AjustesLector::bloques)},
	    {"SSE2 white-space mask", sin_(&AjustesLector::mascara_sse2)},
	    {"writer's form from its point", sin_(&AjustesLector::corto)},
	    {"eight digits in one word", sin_(&AjustesLector::ocho_cifras)},
	    {"plain decimals via one double", sin_(&AjustesLector::simple)},
	    {"1 MB blocks (off: 64 KB)", bloque_pequeno},
	};
}

bool lee_variante(const std::string &ruta, const Variante &v, int n, Lectura *l)
{
	ajusta_lector(v.ajustes);
	bool bien = lee_espectro_en_bloques(ruta.c_str(), l, v.bloque) == FICHERO_BIEN && l->nptL == n;
	ajusta_lector(AjustesLector{});
	return bien;
}

// Seconds per read, over as many reads as fit in a round's budget; -1 on failure.
template <typename F> double por_lectura(F lee)
{
	auto t0 = std::chrono::steady_clock::now();
	int veces = 0;
	double t = 0;
	do {
		if (!lee())
			return -1;
		veces++;
		t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
	} while (t < PRESUPUESTO_RONDA_S);
	return t / veces;
}

double segundos_variante(const std::string &ruta, const Variante &v, int n)
{
	return por_lectura([&] {
		Lectura l;
		bool bien = lee_variante(ruta, v, n, &l);
		libera_lectura(&l);
		return bien;
	});
}

double mediana(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}

// Whether the variant reads the reference's samples, bit for bit.
bool como_referencia(const std::string &ruta, const Variante &v, const LecturaReferencia &r)
{
	Lectura l;
	bool igual = lee_variante(ruta, v, r.nptL, &l) &&
	             std::memcmp(l.Li + 1, r.Li.data() + 1, size_t(r.nptL) * sizeof(float)) == 0;
	libera_lectura(&l);
	return igual;
}

// Medians of the rounds, on and off, and how far the rounds' ratios spread.
struct Rondas {
	double con, sin, dispersion;
};

// Rounds that alternate the reading with and without the speed-up, so that a
// neighbour's load falls on both alike.
Rondas mide_mejora(const std::string &ruta, const Mejora &m, int n)
{
	std::vector<double> con, sin, razon;
	for (int r = 0; r < RONDAS; r++) {
		con.push_back(segundos_variante(ruta, Variante{}, n));
		sin.push_back(segundos_variante(ruta, m.sin, n));
		razon.push_back(sin.back() / con.back());
	}
	double mr = mediana(razon);
	double extremo = std::max(*std::max_element(razon.begin(), razon.end()) - mr,
	                          mr - *std::min_element(razon.begin(), razon.end()));
	return Rondas{mediana(con), mediana(sin), extremo / mr};
}

// The reference's time for one read, median of the rounds.
double segundos_referencia(const std::string &ruta, int n)
{
	std::vector<double> t;
	for (int r = 0; r < RONDAS; r++)
		t.push_back(por_lectura([&] {
			LecturaReferencia ref;
			return lee_referencia(ruta.c_str(), &ref) && ref.nptL == n;
		}));
	return mediana(t);
}

bool mide_mejoras(const char *clase, const std::string &ruta, int n)
{
	LecturaReferencia ref;
	if (!lee_referencia(ruta.c_str(), &ref) || ref.nptL != n)
		return false;
	double t_ref = segundos_referencia(ruta, n);
	bool bien = t_ref > 0;
	for (const Mejora &m : mejoras()) {
		Rondas r = mide_mejora(ruta, m, n);
		bool igual = como_referencia(ruta, Variante{}, ref) && como_referencia(ruta, m.sin, ref);
		bien = bien && igual && r.con > 0 && r.sin > 0;
		std::printf("%-30s %-8s %9d %9.3f %9.3f %8.1f %8.1f %8.2f %6.0f%% %s\n", m.nombre, clase, n,
		            1e3 * r.con, 1e3 * r.sin, t_ref / r.con, t_ref / r.sin, r.sin / r.con,
		            100 * r.dispersion, igual ? "identical" : "DIFFER");
	}
	return bien;
}

bool mide_todas_las_mejoras(const std::string &ruta)
{
	std::printf("\nspeed-ups on and off: medians of %d rounds; ref = two-pass fscanf reader\n", RONDAS);
	std::printf("%-30s %-8s %9s %9s %9s %8s %8s %8s %7s %s\n", "speed-up", "file", "samples", "on ms",
	            "off ms", "ref/on", "ref/off", "off/on", "spread", "samples");
	bool bien = true;
	for (int n : TAMANOS_MEJORAS) {
		bien = escribe_prueba(ruta, n) && mide_mejoras("writer", ruta, n) && bien;
		bien = escribe_enteros(ruta, n) && mide_mejoras("integers", ruta, n) && bien;
	}
	return bien;
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
	bien = mide_todas_las_mejoras(ruta) && bien;
	std::remove(ruta.c_str());
	return bien ? 0 : 1;
}
