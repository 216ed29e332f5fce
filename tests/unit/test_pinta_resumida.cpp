// A full redraw from the summaries of the samples leaves exactly the picture
// of drawing every sample, on random spectra (noisy counts, smooth, spiky,
// with NaN and infinities, negative) in random views (lengths, zooms, the log
// scale, amplification, a background, the net view).  Memory bitmaps need
// Allegro but no display.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "estado.h"
#include "piramide.h"
#include "pinta.h"

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();

// The kinds of spectra that the summaries must draw alike.
enum Clase { CUENTAS, SUAVE, PICUDO, NO_FINITAS, NEGATIVAS, RAMPA, N_CLASES };

std::vector<float> muestras(Clase clase, int n, std::mt19937 &g)
{
	std::normal_distribution<double> ruido(0, 1);
	std::uniform_real_distribution<double> u(0, 1);
	std::vector<float> v(n + 1, 0);
	double frecuencia = std::pow(10, -1 - 4 * u(g)), altura = std::pow(10, 4 * u(g));
	for (int c = 1; c <= n; c++) {
		double pico = altura * std::exp(-std::pow((c % 5003) - 2500.0, 2) / 2000);
		double lambda = 30 + pico;
		switch (clase) {
		case CUENTAS:
		case NO_FINITAS:
			v[c] = static_cast<float>(
			    std::max(0.0, std::round(lambda + std::sqrt(lambda) * ruido(g))));
			break;
		case SUAVE:
			v[c] = static_cast<float>(100 + 80 * std::sin(c * frecuencia));
			break;
		case PICUDO:
			v[c] =
			    static_cast<float>(5 + 2 * ruido(g) + (g() % 1000 == 0 ? altura * 10 * u(g) : 0));
			break;
		case NEGATIVAS:
			v[c] = g() % 7 == 0 ? -1.0f : static_cast<float>(altura * 0.01 * ruido(g));
			break;
		default:
			v[c] = static_cast<float>(c * frecuencia);
		}
		if (clase == NO_FINITAS && g() % 97 == 0)
			v[c] = g() % 3 == 0 ? NAN : (g() % 2 ? INF : -INF);
	}
	return v;
}

float maximo_finito(const std::vector<float> &v)
{
	float m = 0;
	for (size_t c = 1; c < v.size(); c++)
		if (std::isfinite(v[c]))
			m = std::max(m, v[c]);
	return m;
}

// The spectrum in the state as a load leaves it, with its buffer of
// samples the state's own.
void pon_espectro(const std::vector<float> &v)
{
	std::free(Li);
	Li = static_cast<float *>(std::malloc(v.size() * sizeof(float)));
	std::copy(v.begin(), v.end(), Li);
	nptL = static_cast<int>(v.size()) - 1;
	maxL = maximo_finito(v);
	version_muestras++;
}

// A random view of the spectrum in the state: window, scale, background, net view.
std::string vista_al_azar(std::mt19937 &g)
{
	std::uniform_real_distribution<double> u(0, 1);
	if (g() % 2) {
		ch_i = 1;
		ch_f = nptL;
	} else {
		int ancho = std::max(1, static_cast<int>(std::pow(nptL, u(g))));
		ch_i = 1 + static_cast<int>(g() % static_cast<unsigned>(nptL - std::min(ancho, nptL - 1)));
		ch_f = std::min(nptL, ch_i + ancho);
	}
	elog = g() % 2;
	amplia_y = static_cast<float>(std::pow(200, u(g)));
	vista_neta = 0;
	std::vector<float>().swap(Neto);
	std::vector<float>().swap(fondo_canal);
	if (g() % 2) {
		std::vector<float> f = muestras(static_cast<Clase>(g() % N_CLASES), nptL, g);
		for (int c = 1 + static_cast<int>(g() % nptL); c <= nptL && g() % 4; c += 1 + c / 3)
			f[c] = NAN; // where the background has no data
		fondo_canal = f;
		const float factores[] = {1, 0.37f, 2.5f, 40, -0.8f};
		factor_fondo = factores[g() % 5];
		if (g() % 2) {
			vista_neta = 1;
			Neto.assign(nptL + 1, 0);
			maxNeto = 0;
			for (int c = 1; c <= nptL; c++) {
				double resta = std::isnan(f[c]) ? 0.0 : double(factor_fondo) * f[c];
				Neto[c] = static_cast<float>(static_cast<double>(Li[c]) - resta);
				if (std::isfinite(Neto[c]))
					maxNeto = std::max(maxNeto, Neto[c]);
			}
		}
	}
	version_muestras++;
	return std::to_string(nptL) + " samples, " + std::to_string(ch_i) + ".." + std::to_string(ch_f) +
	       (elog ? " log" : "") + " x" + std::to_string(amplia_y) + (fondo_canal.empty() ? "" : " bg") +
	       (vista_neta ? " net" : "");
}

BITMAP *curvas(bool resumidas)
{
	BITMAP *b = create_bitmap_ex(24, wx, wy);
	clear_to_color(b, WHITE);
	dibuja_curvas(b, resumidas);
	return b;
}

bool iguales(BITMAP *a, BITMAP *b)
{
	for (int y = 0; y < a->h; y++)
		if (std::memcmp(a->line[y], b->line[y], static_cast<size_t>(a->w) * 3) != 0)
			return false;
	return true;
}

class PintaResumida : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (system_driver == nullptr) {
			ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
		}
		set_color_depth(24);
		reinicia_estado();
		crea_colores();
	}
	void TearDown() override { reinicia_estado(); }
};

} // namespace

TEST_F(PintaResumida, IgualQueCadaMuestraEnEspectrosYVistasAlAzar)
{
	// Narrow areas make many windows dense enough for the summaries.
	const int areas[][2] = {{814, 473}, {200, 150}, {60, 300}, {24, 40}};
	std::mt19937 g(20240519);
	std::uniform_real_distribution<double> u(0, 1);
	int comparadas = 0, densas = 0, espectros = 0;
	for (; espectros < 60; espectros++) {
		Clase clase = static_cast<Clase>(espectros % N_CLASES);
		// Lengths from 10 to 10^6, half of them long enough to make dense windows.
		int n = static_cast<int>(std::pow(10, espectros % 2 ? 1 + 5 * u(g) : 5 + u(g)));
		pon_espectro(muestras(clase, n, g));
		for (int v = 0; v < 6; v++) {
			const int *area = areas[g() % 4];
			wx = area[0];
			wy = area[1];
			std::string caso = "class " + std::to_string(clase) + ", " + vista_al_azar(g);
			BITMAP *todas = curvas(false), *resumidas = curvas(true);
			EXPECT_TRUE(iguales(todas, resumidas)) << caso;
			destroy_bitmap(todas);
			destroy_bitmap(resumidas);
			comparadas++;
			densas += static_cast<long long>(ch_f) - ch_i >= 1024LL * wx; // as the plot decides
		}
	}
	std::printf("%d spectra, %d views compared (%d dense), all identical unless reported above\n",
	            espectros, comparadas, densas);
	EXPECT_GT(densas, comparadas / 4); // the summaries were put to work
	EXPECT_GT(bytes_de_resumenes(), 0u);
}

// The bounds of any run, from the blocks and the samples at its ends, are
// those of reading every sample; a run with a NaN or an infinity has none.
TEST(Piramide, CotasComoLeerCadaMuestra)
{
	std::mt19937 g(7);
	for (int n : {1, 127, 128, 129, 1000, 70000}) {
		std::vector<float> v(n + 1, NAN); // slot 0 is never read
		for (int c = 1; c <= n; c++)
			v[c] =
			    g() % 5000 == 0 ? INF : static_cast<float>(static_cast<int>(g() % 20001) - 10000);
		Piramide p;
		p.construye(v.data(), n);
		for (int i = 0; i < 2000; i++) {
			int a = 1 + static_cast<int>(g() % n), b = a + static_cast<int>(g() % (n - a + 1));
			if (i % 2)
				b = std::min(n, a + static_cast<int>(g() % 300));
			float lo = INF, hi = -INF;
			bool finitas = true;
			for (int c = a; c <= b; c++) {
				finitas = finitas && std::isfinite(v[c]);
				lo = std::min(lo, v[c]);
				hi = std::max(hi, v[c]);
			}
			float mn, mx;
			ASSERT_EQ(p.cotas(a, b, &mn, &mx), finitas) << n << ": " << a << ".." << b;
			if (finitas) {
				EXPECT_EQ(mn, lo) << n << ": " << a << ".." << b;
				EXPECT_EQ(mx, hi) << n << ": " << a << ".." << b;
			}
		}
	}
}
