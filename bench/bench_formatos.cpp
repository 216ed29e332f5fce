// Reading speed of the foreign formats.  A two-column CSV of 10^7 rows like
// "400.0500,12345" against numpy's loadtxt and pandas' read_csv, measured in
// the same run through python3 (left out, with a note, when python3 or a
// module is missing); and the same 10^7 counts as .Spe, as .mca and as the own
// format, whose rate is the reference for the other two.  Also a 9.7 MB file
// made to look like N42 (its root, then lines of "xChannelData" with no
// tag), whose load must take well under half a second, against the time the
// own format takes for as many bytes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <unistd.h>

#include "fichero.h"

namespace {

constexpr int FILAS = 10000000;
constexpr int REPETICIONES = 3;
constexpr int CUENTA_MAXIMA = 60000;
constexpr double X_INICIAL = 400.05, PASO_X = 0.05;
constexpr const char *PYTHON_DEBIAN = "/usr/bin/python3";
constexpr size_t BYTES_TRAMPA = 9700000;
constexpr int NOMBRES_POR_LINEA = 5400; // a line just under the line reader's cut
constexpr double SEGUNDOS_TRAMPA_MAXIMOS = 0.5;
constexpr int BYTES_POR_FILA_PROPIA = 10; // "%8d\r\n"

double segundos_desde(std::chrono::steady_clock::time_point t0)
{
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The file's rows, written with the counts of a fixed random sequence.
bool escribe(const std::string &ruta, const char *cabecera, const char *formato_fila, const char *pie)
{
	FILE *f = std::fopen(ruta.c_str(), "w");
	if (!f)
		return false;
	std::mt19937 azar(FILAS);
	std::uniform_int_distribution<int> cuenta(0, CUENTA_MAXIMA);
	std::fputs(cabecera, f);
	for (int i = 0; i < FILAS; i++)
		std::fprintf(f, formato_fila, X_INICIAL + i * PASO_X, cuenta(azar));
	std::fputs(pie, f);
	return std::fclose(f) == 0;
}

// Rows per second of the reader on the file, best of a few runs; 0 on
// failure.  Also rows per second of processor time (all threads), which a
// busy machine disturbs less.
double filas_por_segundo(const std::string &ruta, double *por_segundo_de_cpu = nullptr)
{
	double mejor = 1e30, mejor_cpu = 1e30;
	for (int i = 0; i < REPETICIONES; i++) {
		auto t0 = std::chrono::steady_clock::now();
		std::clock_t c0 = std::clock();
		Lectura l;
		bool bien = lee_espectro(ruta.c_str(), &l) == FICHERO_BIEN && l.nptL == FILAS;
		double t = segundos_desde(t0), cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
		libera_lectura(&l);
		if (!bien)
			return 0;
		mejor = t < mejor ? t : mejor;
		mejor_cpu = cpu < mejor_cpu ? cpu : mejor_cpu;
	}
	if (por_segundo_de_cpu)
		*por_segundo_de_cpu = FILAS / mejor_cpu;
	return FILAS / mejor;
}

// numpy and pandas on the CSV, timed inside python; rows per second each, or
// a note when they cannot run.
void referencias_python(const std::string &ruta, double nuestro)
{
	const std::string script = "import sys, time\n"
	                           "ruta, n = sys.argv[1], int(sys.argv[2])\n"
	                           "def mide(nombre, lee):\n"
	                           "    mejor = min(lee_tiempo(lee) for _ in range(2))\n"
	                           "    print(nombre, n / mejor)\n"
	                           "def lee_tiempo(lee):\n"
	                           "    t = time.perf_counter(); lee(); return time.perf_counter() - t\n"
	                           "try:\n"
	                           "    import numpy\n"
	                           "    mide('numpy', lambda: numpy.loadtxt(ruta, delimiter=','))\n"
	                           "except ImportError:\n"
	                           "    print('numpy 0')\n"
	                           "try:\n"
	                           "    import pandas\n"
	                           "    mide('pandas', lambda: pandas.read_csv(ruta, header=None))\n"
	                           "except ImportError:\n"
	                           "    print('pandas 0')\n";
	// Debian's interpreter, where python3-numpy and python3-pandas install,
	// even when another python3 comes first in the path.
	std::string python = access(PYTHON_DEBIAN, X_OK) == 0 ? PYTHON_DEBIAN : "python3";
	std::string orden =
	    python + " -c \"$ORQ_SCRIPT\" '" + ruta + "' " + std::to_string(FILAS) + " 2>/dev/null";
	setenv("ORQ_SCRIPT", script.c_str(), 1);
	FILE *p = popen(orden.c_str(), "r");
	char nombre[32];
	double tasa;
	int vistas = 0;
	while (p && std::fscanf(p, "%31s %lf", nombre, &tasa) == 2) {
		vistas++;
		if (tasa > 0)
			std::printf("  %-8s %8.1f M filas/s; Orquilo %5.1fx\n", nombre, tasa / 1e6,
			            nuestro / tasa);
		else
			std::printf("  %-8s no instalado (python3-%s de Debian): sin esta referencia\n",
			            nombre, nombre);
	}
	if (p)
		pclose(p);
	if (vistas == 0)
		std::printf("  sin python3: sin las referencias de numpy y pandas\n");
}

// The made-up N42: its load in seconds, best of a few; negative when it
// could not be written.
double segundos_trampa_n42(const std::string &ruta)
{
	std::string linea;
	for (int i = 0; i < NOMBRES_POR_LINEA; i++)
		linea += "xChannelData";
	linea += "\n";
	FILE *f = std::fopen(ruta.c_str(), "w");
	if (!f)
		return -1;
	std::fputs("<RadInstrumentData>\n", f);
	for (size_t escritos = 0; escritos + linea.size() <= BYTES_TRAMPA; escritos += linea.size())
		std::fputs(linea.c_str(), f);
	if (std::fclose(f) != 0)
		return -1;
	double mejor = 1e30;
	for (int i = 0; i < REPETICIONES; i++) {
		auto t0 = std::chrono::steady_clock::now();
		Lectura l;
		lee_espectro(ruta.c_str(), &l);
		double t = segundos_desde(t0);
		libera_lectura(&l);
		mejor = t < mejor ? t : mejor;
	}
	return mejor;
}

} // namespace

int main()
{
	std::string base = "/tmp/orq-bench-formatos-" + std::to_string(getpid());
	std::string csv = base + ".csv", spe = base + ".Spe", mca = base + ".mca", propio = base + ".txt";
	std::string datos_spe = "$SPEC_ID:\r\nbench\r\n$DATA:\r\n0 " + std::to_string(FILAS - 1) + "\r\n";
	bool escritos =
	    escribe(csv, "", "%.4f,%d\n", "") &&
	    escribe(spe, datos_spe.c_str(), "%.0s%8d\r\n", "$ENER_FIT:\r\n0.5 0.25\r\n") &&
	    escribe(mca, "<<PMCA SPECTRUM>>\r\nTAG - bench\r\n<<DATA>>\r\n", "%.0s%d\r\n", "<<END>>\r\n") &&
	    escribe(propio, "", "%.0s%8d\r\n", "");
	if (!escritos) {
		std::printf("no se pudieron escribir los ficheros en /tmp\n");
		return 1;
	}
	double cpu_csv = 0, tasa_csv = filas_por_segundo(csv, &cpu_csv);
	std::printf("CSV de dos columnas, %d filas: Orquilo %.1f M filas/s (%.1f M por segundo de CPU)\n",
	            FILAS, tasa_csv / 1e6, cpu_csv / 1e6);
	referencias_python(csv, tasa_csv);
	double tasa_propio = filas_por_segundo(propio);
	std::printf("Las mismas cuentas en el formato propio: %.1f M/s\n", tasa_propio / 1e6);
	for (const auto &[nombre, ruta] : {std::make_pair(".Spe", spe), std::make_pair(".mca", mca)}) {
		double t = filas_por_segundo(ruta);
		std::printf("  %-4s %6.1f M/s, %5.2f del formato propio\n", nombre, t / 1e6, t / tasa_propio);
	}
	std::string trampa = base + ".n42";
	double t = segundos_trampa_n42(trampa);
	double propio_mismos_bytes = double(BYTES_TRAMPA) / BYTES_POR_FILA_PROPIA / tasa_propio;
	std::printf("N42 falso de %.1f MB: %.3f s (%s de %.1f s), %.1f veces el formato propio\n",
	            BYTES_TRAMPA / 1e6, t, t < SEGUNDOS_TRAMPA_MAXIMOS ? "dentro" : "FUERA",
	            SEGUNDOS_TRAMPA_MAXIMOS, t / propio_mismos_bytes);
	for (const std::string &r : {csv, spe, mca, propio, trampa})
		std::remove(r.c_str());
	return tasa_csv > 0 ? 0 : 1;
}
