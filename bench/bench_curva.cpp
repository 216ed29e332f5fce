// Full redraw of the sample curve: the fast drawing against drawing every dot
// and line in order, measured in the same run, on the usual graph areas.
// Prints, per window size, the milliseconds of each and their ratio, and the
// backwards painting alone (the fast drawing's choice for all but the
// smallest curves).  Then each speed-up of the engine on and off, at 10^3,
// 10^5 and 10^7 samples: medians of rounds that alternate the two, their
// ratios to the reference and the spread of the rounds.
#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "curva_motor.h"

namespace {

constexpr int REPETICIONES_MAX = 40;
constexpr double PRESUPUESTO_MS = 1500; // per measurement, to keep the run short

// A graph area and its vertical amplification.
struct Caso {
	int ancho, alto;
	double amplia;
};

// A spectrum of n samples: counting noise over a slow baseline, with a few
// narrow lines on it.
std::vector<float> espectro(int n)
{
	std::mt19937 g(n);
	std::uniform_real_distribution<double> sitio(1, n);
	std::vector<double> centros(8);
	for (double &c : centros)
		c = sitio(g);
	std::vector<float> li(n + 1, 0);
	for (int k = 1; k <= n; k++) {
		double v = 40 + 25 * std::sin(6.0 * k / n);
		for (double c : centros)
			v += 500 / (1 + (k - c) * (k - c) / 16);
		li[k] = (float)std::max(0.0, v + std::sqrt(v) * std::normal_distribution<double>(0, 1)(g));
	}
	return li;
}

// Channels ch_i..ch_f - 1 mapped to the area as the plot maps them, with the
// channel before ch_i first when there is one (then desde = 1).
std::vector<PuntoCurva> curva(const std::vector<float> &li, int ch_i, int ch_f, const Caso &c, int *desde)
{
	float maxl = *std::max_element(li.begin() + 1, li.end());
	float escala_x = (float)c.ancho / (ch_f - ch_i);
	float offset = (float)(-maxl / c.amplia), escala_y = c.alto / offset;
	*desde = ch_i > 1 ? 1 : 0;
	std::vector<PuntoCurva> p;
	for (int k = ch_i - *desde; k < ch_f; k++)
		p.push_back(PuntoCurva{(int)((k - ch_i) * (double)escala_x),
		                       (int)((li[k] + (double)offset) * escala_y), true});
	return p;
}

using Dibujo = void (*)(BITMAP *, const PuntoCurva *, int, int, int, int);

// The engine's drawings in the solid mode the plot draws in, as one kind of function.
void rapida(BITMAP *b, const PuntoCurva *p, int n, int desde, int punto, int linea)
{
	dibuja_curva_rapida(b, p, n, desde, punto, linea, DRAW_MODE_SOLID);
}
void eligiendo(BITMAP *b, const PuntoCurva *p, int n, int desde, int punto, int linea)
{
	dibuja_curva(b, p, n, desde, punto, linea, DRAW_MODE_SOLID);
}

// Best time of a few redraws, each on a freshly cleared area.
double mide(Dibujo f, BITMAP *b, const std::vector<PuntoCurva> &p, int desde,
            double presupuesto_ms = PRESUPUESTO_MS)
{
	double mejor = 1e30, gastado = 0;
	for (int r = 0; r < REPETICIONES_MAX && gastado < presupuesto_ms; r++) {
		clear_to_color(b, makecol24(255, 255, 255));
		auto t0 = std::chrono::steady_clock::now();
		f(b, p.data(), (int)p.size(), desde, makecol24(255, 0, 0), makecol24(255, 0, 255));
		double ms =
		    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
		mejor = std::min(mejor, ms);
		gastado += ms;
	}
	return mejor;
}

bool iguales(BITMAP *a, BITMAP *b)
{
	for (int y = 0; y < a->h; y++)
		for (int x = 0; x < a->w; x++)
			if (getpixel(a, x, y) != getpixel(b, x, y))
				return false;
	return true;
}

// One line of the table: the reference, dibuja_curva (what the plot calls)
// and the backwards painting alone, timed; the pictures compared.
void mide_ventana(const Caso &c, const std::vector<float> &li, int ch_i, int ch_f, BITMAP *ref, BITMAP *rap)
{
	int desde;
	std::vector<PuntoCurva> p = curva(li, ch_i, ch_f, c, &desde);
	double t_ref = mide(dibuja_curva_referencia, ref, p, desde);
	double t_sola = mide(rapida, rap, p, desde);
	bool igual = iguales(ref, rap);
	double t_rap = mide(eligiendo, rap, p, desde);
	igual = igual && iguales(ref, rap);
	std::printf("%10d %14.3f %10.3f %8.1f %14.3f %s\n", ch_f - ch_i, t_ref, t_rap, t_ref / t_rap, t_sola,
	            igual ? "identical" : "DIFFER");
}

void cabecera(const Caso &c, const char *que)
{
	std::printf("%s, %d x %d, amplification %g\n", que, c.ancho, c.alto, c.amplia);
	std::printf("%10s %14s %10s %8s %14s %s\n", "samples", "reference ms", "fast ms", "ratio",
	            "backwards ms", "pixels");
}

// Full windows of spectra of 10^4 to 10^7 samples.
void mide_completas(const Caso &c)
{
	cabecera(c, "full window");
	BITMAP *ref = create_bitmap_ex(24, c.ancho, c.alto), *rap = create_bitmap_ex(24, c.ancho, c.alto);
	for (int n : {10000, 100000, 1000000, 10000000})
		mide_ventana(c, espectro(n), 1, n, ref, rap);
	destroy_bitmap(ref);
	destroy_bitmap(rap);
}

// Zoomed windows into a spectrum of 10^6 samples, entering from the left.
void mide_ampliadas(const Caso &c)
{
	cabecera(c, "zoomed window");
	BITMAP *ref = create_bitmap_ex(24, c.ancho, c.alto), *rap = create_bitmap_ex(24, c.ancho, c.alto);
	std::vector<float> li = espectro(1000000);
	for (int ancho : {19, 100, 1000, 10000})
		mide_ventana(c, li, 500000, 500000 + ancho, ref, rap);
	destroy_bitmap(ref);
	destroy_bitmap(rap);
}

// One speed-up: how to draw with it (on) and without it (off).
struct Mejora {
	const char *nombre;
	Dibujo con, sin;
	AjustesCurva sin_ajustes; // the engine's switches while drawing without it
};

AjustesCurva sin_(bool AjustesCurva::*interruptor)
{
	AjustesCurva a;
	a.*interruptor = false;
	return a;
}

// The speed-ups of the engine.  The first two compare whole drawings; the
// others turn one switch of the backwards painting off.
std::vector<Mejora> mejoras()
{
	return {
	    {"backwards painting", eligiendo, dibuja_curva_referencia, {}},
	    {"sparse curves drawn one by one", eligiendo, rapida, {}},
	    {"column runs in one loop", eligiendo, eligiendo, sin_(&AjustesCurva::corridas)},
	    {"branch-free order in that loop", eligiendo, eligiendo, sin_(&AjustesCurva::orden_sin_saltos)},
	    {"side columns as one union", eligiendo, eligiendo, sin_(&AjustesCurva::lados_en_bloque)},
	    {"SSE2 packing of marks", eligiendo, eligiendo, sin_(&AjustesCurva::marcas_sse2)},
	    {"direct 24-bit writes", eligiendo, eligiendo, sin_(&AjustesCurva::escritura_directa)},
	    {"lines computed per column", eligiendo, eligiendo, sin_(&AjustesCurva::lineas_calculadas)},
	};
}

constexpr int RONDAS = 5;
constexpr double PRESUPUESTO_RONDA_MS = 150;

double mediana(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}

// Medians of the rounds, on and off, how far the rounds' ratios spread, and
// whether the two pictures agree.
struct Rondas {
	double con, sin, dispersion;
	bool igual;
};

// Rounds that alternate the drawing with and without the speed-up, so that
// a neighbour's load falls on both alike.
Rondas mide_mejora(const Mejora &m, BITMAP *b_con, BITMAP *b_sin, const std::vector<PuntoCurva> &p, int desde)
{
	std::vector<double> con, sin, razon;
	for (int r = 0; r < RONDAS; r++) {
		ajusta_curva(AjustesCurva{});
		con.push_back(mide(m.con, b_con, p, desde, PRESUPUESTO_RONDA_MS));
		ajusta_curva(m.sin_ajustes);
		sin.push_back(mide(m.sin, b_sin, p, desde, PRESUPUESTO_RONDA_MS));
		razon.push_back(sin.back() / con.back());
	}
	ajusta_curva(AjustesCurva{});
	double mr = mediana(razon);
	double extremo = std::max(*std::max_element(razon.begin(), razon.end()) - mr,
	                          mr - *std::min_element(razon.begin(), razon.end()));
	return Rondas{mediana(con), mediana(sin), extremo / mr, iguales(b_con, b_sin)};
}

// Each speed-up on and off in full windows of 10^3, 10^5 and 10^7 samples.
void mide_mejoras(const Caso &c)
{
	std::printf("speed-ups, full window, %d x %d, amplification %g: medians of %d rounds\n", c.ancho,
	            c.alto, c.amplia, RONDAS);
	std::printf("%-31s %9s %9s %9s %8s %8s %8s %7s %s\n", "speed-up", "samples", "on ms", "off ms",
	            "ref/on", "ref/off", "off/on", "spread", "pixels");
	BITMAP *b = create_bitmap_ex(24, c.ancho, c.alto), *otro = create_bitmap_ex(24, c.ancho, c.alto);
	for (int n : {1000, 100000, 10000000}) {
		int desde;
		std::vector<PuntoCurva> p = curva(espectro(n), 1, n, c, &desde);
		std::vector<double> ref;
		for (int r = 0; r < RONDAS; r++)
			ref.push_back(mide(dibuja_curva_referencia, b, p, desde, PRESUPUESTO_RONDA_MS));
		double t_ref = mediana(ref);
		for (const Mejora &m : mejoras()) {
			Rondas r = mide_mejora(m, b, otro, p, desde);
			std::printf("%-31s %9d %9.3f %9.3f %8.1f %8.1f %8.2f %6.0f%% %s\n", m.nombre, n - 1,
			            r.con, r.sin, t_ref / r.con, t_ref / r.sin, r.sin / r.con,
			            100 * r.dispersion, r.igual ? "identical" : "DIFFER");
		}
	}
	destroy_bitmap(b);
	destroy_bitmap(otro);
}

} // namespace

int main()
{
	if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
		return 1;
	set_color_depth(24);
	mide_completas(Caso{1014, 700, 1});
	mide_completas(Caso{814, 473, 1});
	mide_completas(Caso{1014, 700, 20});
	mide_ampliadas(Caso{1014, 700, 1});
	mide_ampliadas(Caso{1014, 700, 20});
	mide_mejoras(Caso{1014, 700, 1});
	mide_mejoras(Caso{1014, 700, 20});
	return 0;
}
