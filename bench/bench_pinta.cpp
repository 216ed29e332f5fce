// Plot benchmark on a private Xvfb: a cursor step in a window of 10^3 and of
// 10^6 samples (no sample may be redrawn, so both should cost the same), and
// opening a file of 10^6 samples up to seeing it drawn.  Every plot ends in
// a 100 ms pause; the pause alone is measured too and taken off.  Last, a
// full redraw of 10^6 samples with 20 measured peaks marked beside one with
// none, and full redraws of 10^6 and 10^7 samples over a background beside
// ones without, with the background's mapping by wavelength.
#include <allegro.h>

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
	double con = redibujo_ms();
	std::vector<float>().swap(fondo_canal);
	std::printf(
	    "full redraw of %d samples: %.2f ms; over a background: %.2f ms (ratio %.3f, goal: at most "
	    "2.2)\n",
	    n, sin, con, con / sin);
	std::printf(
	    "mapping %d background channels by wavelength: %.2f ms (%.1f passes over the samples; goal "
	    "under 50 ms at 10^6)\n",
	    n, 1e3 * proyeccion, proyeccion / pasada);
}

} // namespace

int main()
{
	arnes::Xvfb x(1224, 868); // a window of 1024x668
	x.usa_en_este_proceso();
	reinicia_estado();
	if (inicializo_graficos() != 0)
		return 1;
	double pausa = pausa_sola_ms();
	std::printf("pause alone: %.2f ms (taken off below)\n", pausa);
	double mil = paso_de_cursor_ms(1000, pausa), millon = paso_de_cursor_ms(1000000, pausa);
	std::printf("cursor step, 10^3 samples: %.3f ms\n", mil);
	std::printf("cursor step, 10^6 samples: %.3f ms  (ratio to 10^3: %.2f)\n", millon, millon / mil);
	std::printf("open and draw 10^6 samples: %.1f ms  (goal: under 50 ms)\n", abrir_ms(1000000, pausa));
	redibujo_con_marcas();
	redibujo_con_fondo(1000000);
	redibujo_con_fondo(10000000);
	termina_programa();
	return 0;
}
