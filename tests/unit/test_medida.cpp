// Measuring a peak: a Monte Carlo of made-up Gaussian peaks on flat
// backgrounds (bias of the area, coverage of the one-sigma intervals), real
// lines checked against a Poisson likelihood minimised here by plain
// Nelder-Mead, and the inputs that must give the summed counts instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analisis.h"
#include "fichero.h"

namespace {

// Share of a Gaussian (mu, sigma) that falls in channel c, which spans c - 0.5 to c + 0.5.
double en_canal(double c, double mu, double sigma)
{
	return 0.5 * (std::erf((c + 0.5 - mu) / (sigma * std::sqrt(2.0))) -
	              std::erf((c - 0.5 - mu) / (sigma * std::sqrt(2.0))));
}

// ---- Monte Carlo ----

constexpr int CANALES = 100;
constexpr double CENTRO = 50, SIGMA = 2;
constexpr int ESPECTROS = 2000;

struct Caso {
	double area, fondo, tolerancia; // the mean's allowed relative bias
	// A net spectrum: a background of `restado` counts a channel, drawn
	// apart, `factor` times of it in the spectrum and taken away from it.
	double restado = 0, factor = 0;
};

struct Cuenta {
	int fallos = 0, buenos = 0, cubre_area = 0, cubre_centro = 0;
	double suma_area = 0, suma_cuadrados = 0;
};

Cuenta simula(const Caso &caso, std::mt19937_64 &azar)
{
	Cuenta r;
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	std::vector<float> li(CANALES + 1), restado(CANALES + 1);
	FondoRestado fondo{restado.data(), caso.factor};
	for (int k = 0; k < ESPECTROS; k++) {
		double mu = CENTRO + desvio(azar);
		for (int c = 1; c <= CANALES; c++) {
			li[c] = static_cast<float>(
			    std::poisson_distribution<int>(caso.fondo + caso.factor * caso.restado +
			                                   caso.area * en_canal(c, mu, SIGMA))(azar));
			if (caso.restado > 0) {
				restado[c] =
				    static_cast<float>(std::poisson_distribution<int>(caso.restado)(azar));
				li[c] -= static_cast<float>(caso.factor) * restado[c];
			}
		}
		MedidaPico m = mide_pico(li.data(), CANALES, static_cast<int>(CENTRO),
		                         caso.restado > 0 ? &fondo : nullptr);
		if (!m.ajustado) {
			r.fallos++;
			continue;
		}
		r.buenos++;
		r.suma_area += m.area;
		r.suma_cuadrados += m.area * m.area;
		r.cubre_area += std::fabs(m.area - caso.area) <= m.error_area;
		r.cubre_centro += std::fabs(m.centroide - mu) <= m.error_centroide;
	}
	return r;
}

void comprueba(const Caso &caso, std::mt19937_64 &azar)
{
	SCOPED_TRACE(testing::Message() << "area " << caso.area << " on " << caso.fondo << ", less "
	                                << caso.factor << " x " << caso.restado);
	Cuenta r = simula(caso, azar);
	ASSERT_GT(r.buenos, 0);
	double media = r.suma_area / r.buenos;
	double error_media = std::sqrt((r.suma_cuadrados / r.buenos - media * media) / r.buenos);
	std::printf("area %g on %g less %g x %g: bias %+.3f +- %.3f %%, coverage area %.3f centroid %.3f, "
	            "%d not fitted\n",
	            caso.area, caso.fondo, caso.factor, caso.restado, 100 * (media / caso.area - 1),
	            100 * error_media / caso.area, static_cast<double>(r.cubre_area) / r.buenos,
	            static_cast<double>(r.cubre_centro) / r.buenos, r.fallos);
	EXPECT_LE(r.fallos, ESPECTROS / 100);
	EXPECT_NEAR(r.suma_area / r.buenos / caso.area, 1, caso.tolerancia);
	EXPECT_NEAR(static_cast<double>(r.cubre_area) / r.buenos, 0.68, 0.05);
	EXPECT_NEAR(static_cast<double>(r.cubre_centro) / r.buenos, 0.68, 0.05);
}

TEST(MedidaPico, MontecarloSinSesgoYConCoberturaDeUnaSigma)
{
	const Caso casos[] = {{100, 5, 0.015}, {1000, 5, 0.005}, {1000, 50, 0.005}, {1e5, 50, 0.005}};
	std::mt19937_64 azar(20);
	for (const Caso &caso : casos)
		comprueba(caso, azar);
}

// Net spectra, the background's variance most of the difference's: with a
// factor under 1 (a background counted longer) and over 1.
TEST(MedidaPico, NetoSinSesgoYConCoberturaDeUnaSigma)
{
	const Caso casos[] = {{1000, 5, 0.005, 40, 0.5}, {1000, 5, 0.005, 10, 2}, {300, 5, 0.015, 40, 0.5}};
	std::mt19937_64 azar(22);
	for (const Caso &caso : casos)
		comprueba(caso, azar);
}

// ---- The reference: Poisson likelihood by Nelder-Mead ----

constexpr int N_PAR = 5; // area, mu, sigma, background at the region's middle, slope
using Punto = std::array<double, N_PAR>;

// Minus the log-likelihood of Li[desde..hasta], constant terms left out.
double menos_log_verosimilitud(const std::vector<float> &li, int desde, int hasta, const Punto &p)
{
	if (p[2] <= 0)
		return std::numeric_limits<double>::infinity();
	double medio = (desde + hasta) / 2.0, suma = 0;
	for (int c = desde; c <= hasta; c++) {
		if (std::isnan(li[c]))
			continue;
		double m = p[3] + p[4] * (c - medio) + p[0] * en_canal(c, p[1], p[2]);
		if (m <= 0)
			return std::numeric_limits<double>::infinity();
		suma += m - li[c] * std::log(m);
	}
	return suma;
}

// Nelder and Mead's simplex, restarted from its best point until it stops improving.
Punto nelder_mead(const std::function<double(const Punto &)> &f, Punto x, Punto paso)
{
	for (int reinicio = 0; reinicio < 20; reinicio++) {
		std::array<Punto, N_PAR + 1> s;
		std::array<double, N_PAR + 1> v;
		for (int i = 0; i <= N_PAR; i++) {
			s[i] = x;
			if (i > 0)
				s[i][i - 1] += paso[i - 1];
			v[i] = f(s[i]);
		}
		double inicio = v[0];
		for (int it = 0; it < 20000; it++) {
			std::array<int, N_PAR + 1> o;
			for (int i = 0; i <= N_PAR; i++)
				o[i] = i;
			std::sort(o.begin(), o.end(), [&](int a, int b) { return v[a] < v[b]; });
			int mejor = o[0], peor = o[N_PAR], segundo = o[N_PAR - 1];
			if (v[peor] - v[mejor] < 1e-12 * (std::fabs(v[mejor]) + 1))
				break;
			Punto centro{};
			for (int i = 0; i <= N_PAR; i++)
				if (i != peor)
					for (int j = 0; j < N_PAR; j++)
						centro[j] += s[i][j] / N_PAR;
			auto hacia = [&](double t) {
				Punto q;
				for (int j = 0; j < N_PAR; j++)
					q[j] = centro[j] + t * (s[peor][j] - centro[j]);
				return q;
			};
			Punto r = hacia(-1);
			double fr = f(r);
			if (fr < v[mejor]) {
				Punto e = hacia(-2);
				double fe = f(e);
				s[peor] = fe < fr ? e : r;
				v[peor] = std::min(fe, fr);
			} else if (fr < v[segundo]) {
				s[peor] = r;
				v[peor] = fr;
			} else {
				Punto c = hacia(0.5);
				double fc = f(c);
				if (fc < v[peor]) {
					s[peor] = c;
					v[peor] = fc;
				} else {
					for (int i = 0; i <= N_PAR; i++)
						if (i != mejor) {
							for (int j = 0; j < N_PAR; j++)
								s[i][j] = s[mejor][j] +
								          0.5 * (s[i][j] - s[mejor][j]);
							v[i] = f(s[i]);
						}
				}
			}
		}
		int mejor = static_cast<int>(std::min_element(v.begin(), v.end()) - v.begin());
		x = s[mejor];
		for (double &p : paso)
			p /= 4;
		if (inicio - v[mejor] < 1e-10)
			break;
	}
	return x;
}

// The reference fit over the region the program chose, from a rough start.
Punto referencia(const std::vector<float> &li, const MedidaPico &m)
{
	double fondo = (li[m.desde] + li[m.hasta]) / 2.0 + 1;
	double neto = std::max(m.bruto - fondo * (m.hasta - m.desde + 1), 10.0);
	Punto x = {neto, static_cast<double>(m.cima), (m.hasta - m.desde) / 14.0, fondo, 0};
	Punto paso = {neto / 5, 1, x[2] / 4, std::sqrt(fondo), 0.01};
	return nelder_mead([&](const Punto &p) { return menos_log_verosimilitud(li, m.desde, m.hasta, p); },
	                   x, paso);
}

std::vector<float> lee(const char *ruta, Lectura *l)
{
	EXPECT_EQ(lee_espectro(ruta, l), FICHERO_BIEN);
	return std::vector<float>(l->Li, l->Li + l->nptL + 1);
}

void como_la_referencia(const std::vector<float> &li, int canal)
{
	SCOPED_TRACE(testing::Message() << "channel " << canal);
	MedidaPico m = mide_pico(li.data(), static_cast<int>(li.size()) - 1, canal);
	ASSERT_TRUE(m.ajustado);
	Punto r = referencia(li, m);
	EXPECT_NEAR(m.area, r[0], 0.02 * m.error_area);
	EXPECT_NEAR(m.centroide, r[1], 0.02 * m.error_centroide);
	EXPECT_NEAR(m.sigma, r[2], 0.02 * m.error_sigma);
	EXPECT_LT(std::fabs(m.centroide - canal), 3 * m.sigma);
}

TEST(MedidaPico, LineasRealesComoLaVerosimilitudDePoisson)
{
	Lectura l;
	std::vector<float> alfareria = lee(ORQ_DATOS_PRUEBA "/real/hpge-pottery.Spe", &l);
	libera_lectura(&l);
	for (int canal : {2798, 7994, 14307})
		como_la_referencia(alfareria, canal);
	std::vector<float> nai = lee(ORQ_DATOS_PRUEBA "/real/nai-1001.txt", &l);
	libera_lectura(&l);
	como_la_referencia(nai, 720); // K-40, some fifty channels wide
}

// Every stop of a walk over real spectra, measured where Ctrl and an arrow
// left the cursor, fits a centroid on that stop's line (within half its FWHM,
// or two channels) or fits nothing; most fit.
TEST(MedidaPico, DesdeCadaParadaMideSuPropiaLinea)
{
	int paradas = 0, propias = 0;
	for (const char *nombre :
	     {"hpge-pottery.Spe", "nai-1001.txt", "nai-digibase-nocal.spe", "czt-simulated.spe"}) {
		Lectura l;
		std::vector<float> li = lee((std::string(ORQ_DATOS_PRUEBA "/real/") + nombre).c_str(), &l);
		libera_lectura(&l);
		int n = static_cast<int>(li.size()) - 1;
		for (int c = pico_siguiente(li.data(), n, 0, 1); c != 0;
		     c = pico_siguiente(li.data(), n, c, 1)) {
			MedidaPico m = mide_pico(li.data(), n, c);
			paradas++;
			if (!m.ajustado)
				continue;
			propias++;
			EXPECT_LE(std::fabs(m.centroide - c), std::max(2.0, FWHM_POR_SIGMA * m.sigma / 2))
			    << nombre << ", stop " << c;
		}
	}
	std::printf("%d stops, %d fitted, each on its own line\n", paradas, propias);
	EXPECT_GE(propias, 0.75 * paradas);
}

// Where the counts rise from a detector's threshold out of the empty
// channels below it, a stop is no line: neither the pottery spectrum's
// (flat at some 85 counts a channel from channel 110 up) nor the NaI's
// (its counts falling from the threshold on) reads as a multiplet.
TEST(MedidaPico, ElUmbralDelDetectorNoEsUnMultiplete)
{
	for (auto [nombre, parada] :
	     {std::pair{"hpge-pottery.Spe", 132}, std::pair{"nai-digibase-nocal.spe", 19}}) {
		Lectura l;
		std::vector<float> li = lee((std::string(ORQ_DATOS_PRUEBA "/real/") + nombre).c_str(), &l);
		libera_lectura(&l);
		MedidaMultiplete m = mide_multiplete(li.data(), static_cast<int>(li.size()) - 1, parada);
		EXPECT_LE(m.lineas.size(), 1u) << nombre;
	}
}

// ---- What cannot be fitted ----

TEST(MedidaPico, SinPicoDaLasCuentasSumadas)
{
	std::vector<float> ceros(10001, 0.0f);
	MedidaPico m = mide_pico(ceros.data(), 10000, 5000);
	EXPECT_FALSE(m.ajustado);
	EXPECT_EQ(m.bruto, 0);
	EXPECT_EQ(m.neto, 0);

	std::mt19937_64 azar(7);
	std::vector<float> ruido(2001);
	for (float &v : ruido)
		v = static_cast<float>(std::poisson_distribution<int>(50)(azar));
	for (int c = 100; c <= 1900; c += 100) {
		MedidaPico r = mide_pico(ruido.data(), 2000, c);
		EXPECT_FALSE(r.ajustado) << "channel " << c;
		double bruto = 0;
		for (int j = r.desde; j <= r.hasta; j++)
			bruto += ruido[j];
		EXPECT_EQ(r.bruto, bruto);
	}
}

// A peak at the spectrum's end is fitted on the channels there are, and
// says its region was cut; NaN and infinite samples in a region are left out.
TEST(MedidaPico, FinDelEspectroYMuestrasNaN)
{
	std::vector<float> li(201);
	for (int c = 1; c <= 200; c++)
		li[c] = static_cast<float>(10 + 5000 * en_canal(c, 4, SIGMA) +
		                           5000 * en_canal(c, 120, SIGMA) + 5000 * en_canal(c, 198, SIGMA));
	for (int c : {1, 200}) {
		MedidaPico fin = mide_pico(li.data(), 200, c);
		ASSERT_TRUE(fin.ajustado) << c;
		EXPECT_TRUE(fin.cortada);
		EXPECT_NEAR(fin.area, 5000, 1e-3 * 5000);
		EXPECT_NEAR(fin.centroide, c == 1 ? 4 : 198, 1e-3);
	}
	MedidaPico entero = mide_pico(li.data(), 200, 120);
	ASSERT_TRUE(entero.ajustado);
	EXPECT_FALSE(entero.cortada);
	li[118] = NAN;
	li[125] = INFINITY;
	li[116] = -INFINITY;
	MedidaPico con_nan = mide_pico(li.data(), 200, 120);
	ASSERT_TRUE(con_nan.ajustado);
	EXPECT_NEAR(con_nan.area, 5000, 1e-3 * 5000);
	EXPECT_NEAR(con_nan.centroide, 120, 1e-3);
	EXPECT_TRUE(std::isfinite(con_nan.chi2_gl));
}

} // namespace
