// What an open window costs and how quickly it answers, measured on the real
// program under a private Xvfb: the processor it uses while idle in the
// command menu, in a calibration dialog and with a message box open, the
// delay from a key press to the plot that it causes, and the pace of a held
// key.  Run with another binary's path as its argument to measure that one
// the same way.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "arnes.h"
#include "disposicion.h"

namespace {

constexpr double VENTANA_S = 5;        // one window of idle time measured
constexpr int VENTANAS = 5;            // windows measured in each place
constexpr int PULSACIONES = 20;        // key presses timed
constexpr double SOSTENIDA_S = 3;      // a held key, for its pace
constexpr int ASENTAR_MS = 2000;       // for a dialog or a load to settle
constexpr int ANCHO_CAMPO_CURSOR = 96; // "cn.cur=NNNN" and its padding

double ahora_s()
{
	using namespace std::chrono;
	return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// What the scheduler counts of a thread: its time on a processor, to the
// nanosecond (the clock-tick counts of /proc/PID/stat only sample which
// thread a tick happened to find running), and how often it ran.
struct Uso {
	double cpu_s = 0;
	double vueltas = 0;
};

Uso uso_de_hilo(int pid, const std::string &hilo)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/task/" + hilo + "/schedstat");
	unsigned long long ns = 0, espera = 0, vueltas = 0;
	f >> ns >> espera >> vueltas;
	return {ns / 1e9, static_cast<double>(vueltas)};
}

// The same for the whole process (all its threads: Allegro makes its own),
// or for its main thread alone.
Uso uso(int pid, bool solo_principal = false)
{
	if (solo_principal)
		return uso_de_hilo(pid, std::to_string(pid));
	Uso total;
	for (const auto &hilo :
	     std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
		Uso u = uso_de_hilo(pid, hilo.path().filename().string());
		total.cpu_s += u.cpu_s;
		total.vueltas += u.vueltas;
	}
	return total;
}

// Share of a core in percent, and wake-ups a second, over one window.
struct Reposo {
	double total, principal, despertares_total, despertares_principal;
};

Reposo ventana_de_reposo(int pid)
{
	Uso a = uso(pid), ap = uso(pid, true);
	double t = ahora_s();
	arnes::duerme_ms(static_cast<int>(VENTANA_S * 1000));
	double s = ahora_s() - t;
	Uso b = uso(pid), bp = uso(pid, true);
	return {100 * (b.cpu_s - a.cpu_s) / s, 100 * (bp.cpu_s - ap.cpu_s) / s, (b.vueltas - a.vueltas) / s,
	        (bp.vueltas - ap.vueltas) / s};
}

// Idle cost of the whole process and of its main thread (the program's own
// code; Allegro's input and timer threads are the rest).  A virtual machine's
// neighbours make single windows vary by half, so the median of several is
// printed, with the wake-ups that the cost comes from.
void uso_en_reposo(const char *donde, int pid)
{
	std::vector<Reposo> r;
	for (int i = 0; i < VENTANAS; i++)
		r.push_back(ventana_de_reposo(pid));
	std::sort(r.begin(), r.end(), [](const Reposo &a, const Reposo &b) { return a.total < b.total; });
	const Reposo &m = r[r.size() / 2];
	std::printf("idle in %-22s %5.2f %% of a core (goal: under 1 %%; windows %.2f to %.2f)\n", donde,
	            m.total, r.front().total, r.back().total);
	std::printf("  main thread %.2f %%, %.0f wake-ups/s; Allegro's threads %.2f %%, %.0f wake-ups/s\n",
	            m.principal, m.despertares_principal, m.total - m.principal,
	            m.despertares_total - m.despertares_principal);
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

// Leaves the calibration and loads a file that is not there: its message
// stays open.  The load dialog opens with its name selected, so typing
// replaces it.
void abre_un_mensaje(const arnes::Xvfb &x)
{
	for (const char *tecla : {"Escape", "l"}) {
		arnes::tecla(x, tecla);
		arnes::duerme_ms(ASENTAR_MS);
	}
	arnes::escribe(x, "no-existe.txt");
	arnes::tecla(x, "Return");
	arnes::duerme_ms(ASENTAR_MS);
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
	abre_un_mensaje(x);
	uso_en_reposo("a message box:", pid);
	return 0;
}
