// What an open window costs and how quickly it answers, measured on the real
// program under a private Xvfb: the processor it uses while idle in the
// command menu and in a calibration dialog, the delay from a key press to the
// plot that it causes, and the pace of a held key.  Run with another binary's
// path as its argument to measure that one the same way.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "arnes.h"
#include "disposicion.h"

namespace {

constexpr double MEDIDA_S = 5;         // idle time measured each time
constexpr int PULSACIONES = 20;        // key presses timed
constexpr double SOSTENIDA_S = 3;      // a held key, for its pace
constexpr int ASENTAR_MS = 2000;       // for a dialog or a load to settle
constexpr int ANCHO_CAMPO_CURSOR = 96; // "cn.cur=NNNN" and its padding

double ahora_s()
{
	using namespace std::chrono;
	return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// User and system time of a process (all its threads), or of one of its
// threads, in seconds.
double tiempo_cpu(int pid, int hilo = 0)
{
	std::string ruta = "/proc/" + std::to_string(pid);
	if (hilo)
		ruta += "/task/" + std::to_string(hilo);
	std::ifstream f(ruta + "/stat");
	std::string linea;
	std::getline(f, linea);
	std::istringstream campos(linea.substr(linea.rfind(')') + 2));
	std::string c;
	long utime = 0, stime = 0;
	for (int i = 3; i <= 15 && campos >> c; i++) {
		if (i == 14)
			utime = std::stol(c);
		if (i == 15)
			stime = std::stol(c);
	}
	return static_cast<double>(utime + stime) / sysconf(_SC_CLK_TCK);
}

// Shares of one core, in percent, that the whole process and its main thread
// (the program's own code; Allegro's input and timer threads are the rest)
// used over MEDIDA_S seconds.
void uso_en_reposo(const char *donde, int pid)
{
	double cpu = tiempo_cpu(pid), propio = tiempo_cpu(pid, pid), t = ahora_s();
	arnes::duerme_ms(static_cast<int>(MEDIDA_S * 1000));
	double s = ahora_s() - t;
	std::printf("idle in %-22s %5.2f %% of a core, main thread %5.2f %% (goal: under 1 %%)\n", donde,
	            100 * (tiempo_cpu(pid) - cpu) / s, 100 * (tiempo_cpu(pid, pid) - propio) / s);
}

const arnes::Zona CAMPO_CURSOR{X_CAMPO_CURSOR, Y_INFO_1, ANCHO_CAMPO_CURSOR, 8};

// Median time from pressing the key down to the cursor's field changing.
double tecla_a_pintado_ms(const arnes::Xvfb &x, double *solo_xdotool_ms)
{
	std::vector<double> demoras, xdotool;
	for (int i = 0; i < PULSACIONES; i++) {
		arnes::Imagen antes = arnes::captura(x, CAMPO_CURSOR);
		double t = ahora_s();
		arnes::pulsa_hasta(
		    x, i % 2 ? "shift+Left" : "shift+Right",
		    [&] { return arnes::captura(x, CAMPO_CURSOR).px != antes.px; }, 5);
		demoras.push_back(1000 * (ahora_s() - t));
		arnes::duerme_ms(300);
		double u = ahora_s();
		arnes::sube_tecla(x, "shift+Right");
		xdotool.push_back(1000 * (ahora_s() - u));
	}
	std::sort(demoras.begin(), demoras.end());
	std::sort(xdotool.begin(), xdotool.end());
	*solo_xdotool_ms = xdotool[xdotool.size() / 2];
	return demoras[demoras.size() / 2];
}

// Steps a second while shift+Right is held.
double pasos_por_segundo(const arnes::Xvfb &x)
{
	arnes::Imagen ultima = arnes::captura(x, CAMPO_CURSOR);
	int cambios = 0;
	double fin = ahora_s() + SOSTENIDA_S;
	arnes::pulsa_hasta(
	    x, "shift+Right",
	    [&] {
		    arnes::Imagen ahora = arnes::captura(x, CAMPO_CURSOR);
		    cambios += ahora.px != ultima.px;
		    ultima = ahora;
		    return ahora_s() > fin;
	    },
	    SOSTENIDA_S + 1);
	return cambios / SOSTENIDA_S;
}

} // namespace

int main(int argc, char **argv)
{
	std::string programa = argc > 1 ? argv[1] : ORQ_BINARIO;
	arnes::Xvfb x(1024, 768);
	std::string carpeta = arnes::carpeta_temporal("bench-reposo");
	arnes::escribe_fichero(carpeta + "/datos.txt",
	                       arnes::lee_fichero(std::string(ORQ_FUENTE) + "/ejemplo/datos.txt"));
	arnes::Proceso p(x, programa, carpeta);
	auto v = arnes::espera_ventana(x, 30);
	if (!v)
		return 1;
	arnes::raton_fuera(x);
	arnes::duerme_ms(ASENTAR_MS);
	arnes::tecla(x, "l");
	arnes::duerme_ms(ASENTAR_MS);
	arnes::tecla(x, "Return");
	arnes::duerme_ms(ASENTAR_MS);
	int pid = p.pid();
	std::printf("program: %s\n", programa.c_str());
	uso_en_reposo("the command menu:", pid);
	double xdotool = 0, demora = tecla_a_pintado_ms(x, &xdotool);
	std::printf("key press to plot (median):   %5.1f ms  (xdotool alone: %.1f ms, ratio %.1f)\n", demora,
	            xdotool, demora / xdotool);
	double ritmo = pasos_por_segundo(x);
	std::printf("held key:                     %5.1f steps/s  (ratio to 10/s: %.2f)\n", ritmo,
	            ritmo / 10);
	arnes::tecla(x, "c");
	arnes::duerme_ms(ASENTAR_MS);
	uso_en_reposo("a calibration dialog:", pid);
	return 0;
}
