// Plot benchmark on a private Xvfb: a cursor step in a window of 10^3 and of
// 10^6 samples (no sample may be redrawn, so both should cost the same), and
// opening a file of 10^6 samples up to seeing it drawn.  Every plot ends in
// a 100 ms pause; the pause alone is measured too and taken off.  Last, a
// full redraw of 10^6 samples with 20 measured peaks marked beside one with
// none, and full redraws of 10^6 and 10^7 samples over a background beside
// ones without, with the background's mapping by wavelength.  Then the full
// redraw from the summaries of the samples beside the one that draws every
// sample, at 10^4, 10^6 and 10^7 samples, alone, over a background and in the
// net view, and the memory the summaries take.
#include <allegro.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "analisis.h"
#include "arnes.h"
#include "cronometro.h"
#include "estado.h"
#include "carga_guarda.h"
#include "fichero.h"
#include "menu.h"
#include "pinta.h"

namespace {

constexpr int PASOS = 20;
constexpr int PAUSA_MS = 100;

double ahora_ms()
{
	using namespace std::chrono;
	return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A spectrum of n samples with lines and noise, put in the state as a load would.
void espectro(int n)
{
	std::free(Li);
	Li = static_cast<float *>(std::malloc((n + 1) * sizeof(float)));
	maxL = 0;
	for (int c = 1; c <= n; c++) {
		Li[c] =
		    static_cast<float>(50 + 40 * std::sin(c * 0.01) + 900 * (c % 997 == 0) + (c * 7919 % 13));
		maxL = std::max(maxL, Li[c]);
	}
	nptL = n;
	al = bl = 0;
	version_muestras++;
	vista_inicial();
}

double pausa_sola_ms()
{
	double t = ahora_ms();
	for (int i = 0; i < PASOS; i++)
		rest(PAUSA_MS);
	return (ahora_ms() - t) / PASOS;
}

// Mean cost of one cursor step, beyond the pause.
double paso_de_cursor_ms(int n, double pausa)
{
	espectro(n);
	pinta_L();
	double t = ahora_ms();
	for (int i = 0; i < PASOS; i++) {
		ch_c += (i % 2) ? -1 : 1;
		pinta_L();
	}
	return (ahora_ms() - t) / PASOS - pausa;
}

// Reading a file of n samples and drawing it, beyond the pause.
double abrir_ms(int n, double pausa)
{
	espectro(n);
	std::string ruta = "/tmp/orquilo-bench-pinta.txt";
	escribe_espectro(ruta.c_str(), "\"bench\"", Li, nptL, 0, 0);
	double t = ahora_ms();
	if (!carga_espectro(ruta.c_str()))
		return -1;
	double ms = ahora_ms() - t - pausa;
	std::remove(ruta.c_str());
	return ms;
}

constexpr int MARCAS = 20;

// The best of PASOS full redraws of the whole spectrum, beyond the best pause.
double redibujo_ms()
{
	double pausa = mejor_tiempo(PASOS, [] {
		rest(PAUSA_MS);
		return true;
	});
	double t = mejor_tiempo(PASOS, [] {
		pide_redibujo();
		pinta_L();
		return true;
	});
	return 1e3 * (t - pausa);
}

// The same with MARCAS peaks marked across the window, beside none.
void redibujo_con_marcas()
{
	espectro(1000000);
	picos.clear();
	double sin = redibujo_ms();
	for (int i = 0; i < MARCAS; i++) {
		MedidaPico m;
		m.ajustado = true;
		m.centroide = (i + 0.5) * nptL / MARCAS;
		m.sigma = 2;
		picos.push_back(m);
	}
	double con = redibujo_ms();
	picos.clear();
	std::printf(
	    "full redraw of 10^6 samples: %.2f ms; with %d marks: %.2f ms (ratio %.3f, goal: at most 1.1)\n",
	    sin, MARCAS, con, con / sin);
}

// A full redraw over a background of n channels, calibrated a little apart
// from the spectrum, beside one without; and the mapping of the background
// onto the spectrum's channels, beside one pass over the samples.
void redibujo_con_fondo(int n)
{
	espectro(n);
	al = 0.5f;
	bl = 100;
	double sin = redibujo_ms();
	std::vector<float> f(Li, Li + n + 1);
	Calibracion cf{0.5003, 99.7}, ce{al, bl};
	double proyeccion = mejor_tiempo(3, [&] {
		fondo_canal = proyecta_fondo(f.data(), n, cf, n, ce);
		return true;
	});
	double pasada = mejor_tiempo(3, [&] {
		volatile double s = 0;
		for (int c = 1; c <= n; c++)
			s = s + f[c];
		return true;
	});
	factor_fondo = 0.5f;
	version_muestras++;
	double con = redibujo_ms();
	std::vector<float>().swap(fondo_canal);
	version_muestras++;
	std::printf(
	    "full redraw of %d samples: %.2f ms; over a background: %.2f ms (ratio %.3f, goal: at most "
	    "2.2)\n",
	    n, sin, con, con / sin);
	std::printf(
	    "mapping %d background channels by wavelength: %.2f ms (%.1f passes over the samples; goal "
	    "under 50 ms at 10^6)\n",
	    n, 1e3 * proyeccion, proyeccion / pasada);
}

constexpr int PASOS_LADO_A_LADO = 5;

// The best of a few full redraws, beyond the best pause.
double pocos_redibujos_ms()
{
	double pausa = mejor_tiempo(PASOS_LADO_A_LADO, [] {
		rest(PAUSA_MS);
		return true;
	});
	double t = mejor_tiempo(PASOS_LADO_A_LADO, [] {
		pide_redibujo();
		pinta_L();
		return true;
	});
	return 1e3 * (t - pausa);
}

enum Fondo { SIN_FONDO, CON_FONDO, NETO };

// The spectrum of n samples, with a background of its own shape a little
// apart, and the net samples, as pon_fondo and conmuta_neto leave them.
void pon_fondo_de_prueba(Fondo como)
{
	std::vector<float>().swap(fondo_canal);
	std::vector<float>().swap(Neto);
	vista_neta = 0;
	if (como != SIN_FONDO) {
		fondo_canal.assign(static_cast<size_t>(nptL) + 1, 0);
		for (int c = 1; c <= nptL; c++)
			fondo_canal[c] = 0.8f * Li[std::min(nptL, c + 3)];
		factor_fondo = 0.5f;
	}
	if (como == NETO) {
		vista_neta = 1;
		Neto.assign(static_cast<size_t>(nptL) + 1, 0);
		maxNeto = 0;
		for (int c = 1; c <= nptL; c++) {
			Neto[c] = static_cast<float>(static_cast<double>(Li[c]) - 0.5 * fondo_canal[c]);
			maxNeto = std::max(maxNeto, Neto[c]);
		}
	}
	version_muestras++;
}

// The full redraw that draws every sample beside the one from the summaries,
// each with its ratio; the summaries' first redraw after a change makes them,
// and is timed apart.
void lado_a_lado(int n, Fondo como)
{
	const char *nombres[] = {"alone", "over a background", "net view"};
	espectro(n);
	pon_fondo_de_prueba(como);
	redibuja_con_resumenes(false);
	double todas = pocos_redibujos_ms();
	redibuja_con_resumenes(true);
	version_muestras++;
	double t = ahora_ms();
	pide_redibujo();
	pinta_L();
	double primera = ahora_ms() - t - PAUSA_MS;
	double resumidas = pocos_redibujos_ms();
	std::printf("%9d  %-18s  %8.2f  %8.2f  %7.1f  %8.2f  %s\n", n, nombres[como], todas, resumidas,
	            todas / resumidas, primera, resumidas <= 5 ? "yes" : "NO");
	if (n == 10000000 && como == CON_FONDO)
		std::printf(
		    "summaries at 10^7 samples over a background: %.2f MB, %.1f%% of the %.0f MB of samples "
		    "drawn (goal: under 10%%)\n",
		    bytes_de_resumenes() / 1e6, 100.0 * bytes_de_resumenes() / (2.0 * n * sizeof(float)),
		    2.0 * n * sizeof(float) / 1e6);
	pon_fondo_de_prueba(SIN_FONDO);
}

void redibujos_lado_a_lado()
{
	std::printf(
	    "\nfull redraw, ms (best of %d, pause taken off); goal: at most 5 ms, none slower at 10^4\n",
	    PASOS_LADO_A_LADO);
	std::printf("%9s  %-18s  %8s  %8s  %7s  %8s  %s\n", "samples", "", "every", "summary", "ratio",
	            "1st(+make)", "<=5ms");
	for (int n : {10000, 1000000, 10000000})
		for (Fondo como : {SIN_FONDO, CON_FONDO, NETO})
			lado_a_lado(n, como);
}

} // namespace

// With the argument "redibujo", only the full redraws side by side.
int main(int argc, char **argv)
{
	arnes::Xvfb x(1224, 868); // a window of 1024x668
	x.usa_en_este_proceso();
	reinicia_estado();
	if (inicializo_graficos() != 0)
		return 1;
	if (argc < 2 || std::strcmp(argv[1], "redibujo") != 0) {
		double pausa = pausa_sola_ms();
		std::printf("pause alone: %.2f ms (taken off below)\n", pausa);
		double mil = paso_de_cursor_ms(1000, pausa), millon = paso_de_cursor_ms(1000000, pausa);
		std::printf("cursor step, 10^3 samples: %.3f ms\n", mil);
		std::printf("cursor step, 10^6 samples: %.3f ms  (ratio to 10^3: %.2f)\n", millon,
		            millon / mil);
		std::printf("open and draw 10^6 samples: %.1f ms  (goal: under 50 ms)\n",
		            abrir_ms(1000000, pausa));
		redibujo_con_marcas();
		redibujo_con_fondo(1000000);
		redibujo_con_fondo(10000000);
	}
	redibujos_lado_a_lado();
	termina_programa();
	return 0;
}
