// The line search behind Ctrl+arrow, judged by where the lines truly are: a
// seeded set of made-up gamma spectra with Poisson noise, the pottery
// spectrum's known lines, the test's threshold at its edge (where the fast
// screen must let every line through), samples that are not numbers, and
// the stop a measurement at a channel means.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "analisis.h"
#include "fichero.h"

namespace {

// Read by the program's own reader; slot 0 unused.
std::vector<float> lee_cuentas(const char *ruta)
{
	Lectura l;
	std::vector<float> li;
	if (lee_espectro(ruta, &l) == FICHERO_BIEN)
		li.assign(l.Li, l.Li + l.nptL + 1);
	libera_lectura(&l);
	return li;
}

int n_de(const std::vector<float> &li)
{
	return static_cast<int>(li.size()) - 1;
}

std::vector<int> paseo(const std::vector<float> &li, int sentido)
{
	std::vector<int> paradas;
	int c = sentido > 0 ? 0 : n_de(li) + 1;
	while ((c = pico_siguiente(li.data(), n_de(li), c, sentido)) != 0)
		paradas.push_back(c);
	if (sentido < 0)
		std::reverse(paradas.begin(), paradas.end());
	return paradas;
}

// The made-up set: 4096 channels over a falling continuum 2000 e^(-ch/600) + 5
// (even seeds) or a flat 50 counts (odd ones), with Poisson noise.  A
// spectrum with lines has one in each tenth of the spectrum, the first on the
// steep start and the last near the end, of sigma 2 to 5 channels and 10 to
// 20 deviations of the continuum under +-2.5 sigma; one, not at an end, is
// wide (sigma 12) and at 30 deviations, the least that any estimate can place
// within two channels.
constexpr int CANALES = 4096, DECIMOS = 10, DECIMO = CANALES / DECIMOS;
constexpr double SIGMA_ANCHA = 12, FUERZA_ANCHA = 30, VENTANA = 2.5;
constexpr int SEMILLAS = 30;

struct Linea {
	double centro, sigma;
};

struct Sintetico {
	std::vector<float> li;
	std::vector<Linea> lineas;
};

double phi(double x)
{
	return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

double continuo(unsigned semilla, int c)
{
	return semilla % 2 == 0 ? 2000 * std::exp(-c / 600.0) + 5 : 50;
}

double al_azar(std::mt19937 &azar, double desde, double hasta)
{
	return std::uniform_real_distribution<double>(desde, hasta)(azar);
}

// Adds to e a line of the given centre and sigma, `fuerza` deviations of the
// continuum under +-VENTANA sigma.
void suma_linea(std::vector<double> &e, unsigned semilla, const Linea &l, double fuerza)
{
	double fondo = 0;
	for (int c = 1; c <= CANALES; c++)
		if (std::fabs(c - l.centro) <= VENTANA * l.sigma)
			fondo += continuo(semilla, c);
	double area = fuerza * std::sqrt(fondo) / (2 * phi(VENTANA) - 1);
	for (int c = 1; c <= CANALES; c++)
		e[c] += area * (phi((c + 0.5 - l.centro) / l.sigma) - phi((c - 0.5 - l.centro) / l.sigma));
}

Sintetico sintetico(unsigned semilla, bool con_lineas)
{
	std::mt19937 azar(semilla);
	std::vector<double> e(CANALES + 1);
	for (int c = 1; c <= CANALES; c++)
		e[c] = continuo(semilla, c);
	Sintetico s;
	int ancha = 1 + static_cast<int>(azar() % (DECIMOS - 2));
	for (int i = 0; con_lineas && i < DECIMOS; i++) {
		double desde = i == 0 ? 30 : i == DECIMOS - 1 ? CANALES - 60 : i * DECIMO + 40;
		double hasta = i == 0 ? 60 : i == DECIMOS - 1 ? CANALES - 30 : (i + 1) * DECIMO - 40;
		Linea l{al_azar(azar, desde, hasta), i == ancha ? SIGMA_ANCHA : al_azar(azar, 2, 5)};
		suma_linea(e, semilla, l, i == ancha ? FUERZA_ANCHA : al_azar(azar, 10, 20));
		s.lineas.push_back(l);
	}
	s.li.assign(CANALES + 1, 0);
	for (int c = 1; c <= CANALES; c++)
		s.li[c] = static_cast<float>(std::poisson_distribution<int>(e[c])(azar));
	return s;
}

double distancia_a_linea(const std::vector<Linea> &lineas, int c)
{
	double d = std::numeric_limits<double>::infinity();
	for (const Linea &l : lineas)
		d = std::min(d, std::fabs(c - l.centro));
	return d;
}

constexpr int LINEAS_ALFARERIA[] = {2798, 7994, 14307}; // 511, 1460.8 and 2614.5 keV

} // namespace

// Lines found within two channels of their centre, stops more than six from
// every line, and the wide line's stops, over both directions of the walk.
TEST(Picos, ElConjuntoSinteticoHallaLasLineasSinPararEnElRuido)
{
	int halladas = 0, lineas = 0, falsas_con = 0, falsas_sin = 0;
	for (unsigned semilla = 1; semilla <= 2 * SEMILLAS; semilla++) {
		Sintetico s = sintetico(semilla, semilla <= SEMILLAS);
		std::vector<int> paradas = paseo(s.li, 1);
		ASSERT_EQ(paseo(s.li, -1), paradas) << "seed " << semilla;
		for (const Linea &l : s.lineas) {
			auto cerca = [&](double d) {
				return std::count_if(paradas.begin(), paradas.end(),
				                     [&](int c) { return std::fabs(c - l.centro) <= d; });
			};
			lineas++;
			halladas += cerca(2) > 0;
			if (l.sigma == SIGMA_ANCHA) {
				EXPECT_EQ(cerca(3 * SIGMA_ANCHA), 1)
				    << "seed " << semilla << ", wide line at " << l.centro;
			}
		}
		for (int c : paradas)
			if (distancia_a_linea(s.lineas, c) > 6)
				(s.lineas.empty() ? falsas_sin : falsas_con)++;
	}
	std::printf(
	    "%d of %d lines found; false stops per spectrum %.2f with lines, %.2f on continuum alone\n",
	    halladas, lineas, falsas_con / double(SEMILLAS), falsas_sin / double(SEMILLAS));
	EXPECT_GE(halladas, 0.99 * lineas);
	EXPECT_LE(falsas_con + falsas_sin, 0.2 * 2 * SEMILLAS);
}

// Ctrl+arrow from ten channels either side reaches each known line of the
// pottery spectrum, and the measurement at the line means the same stop.
TEST(Picos, LaAlfareriaLlegaASusTresLineas)
{
	std::vector<float> li = lee_cuentas(ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt");
	ASSERT_EQ(n_de(li), 16384);
	for (int linea : LINEAS_ALFARERIA) {
		int pico = pico_siguiente(li.data(), n_de(li), linea - 10, 1);
		EXPECT_LE(std::abs(pico - linea), 2) << linea;
		EXPECT_EQ(pico_siguiente(li.data(), n_de(li), linea + 10, -1), pico) << linea;
		EXPECT_EQ(pico_cercano(li.data(), n_de(li), linea), pico) << linea;
	}
	// A search held to a limit finds the stop the whole search finds when
	// that lies within the limit, and nothing else.
	for (int desde = 1; desde <= n_de(li); desde += 397)
		for (int sentido : {1, -1})
			for (int tramo : {50, 700, 3000}) {
				long long hasta = desde + sentido * tramo;
				int todo = pico_siguiente(li.data(), n_de(li), desde, sentido);
				bool dentro = todo != 0 && (hasta - todo) * sentido >= 0;
				ASSERT_EQ(pico_hasta(li.data(), n_de(li), desde, sentido, hasta),
				          dentro ? todo : 0)
				    << desde << " " << sentido << " " << tramo;
				int cerca = pico_cercano(li.data(), n_de(li), desde);
				ASSERT_EQ(pico_cercano_en(li.data(), n_de(li), desde, tramo),
				          std::abs(cerca - desde) <= tramo ? cerca : 0)
				    << desde << " " << tramo;
			}
}

// A spike of v on a flat background b, alone at half-width 1, nets v - b
// with variance v + 3.5 b.  The least v that passes by that sum is a stop on
// any background: the screen that spares most channels must never drop one.
TEST(Picos, LaCribaNuncaDescartaUnaLineaEnElUmbral)
{
	std::vector<float> li(CANALES + 1);
	int fallos = 0;
	for (int i = 0; i <= 4000; i++) {
		float b = i * 0.37f;
		auto pasa = [&](float v) {
			return v - static_cast<double>(b) >=
			       SIGMAS_PICO * std::sqrt(std::max(1.0, v + 3.5 * b));
		};
		float no = b, si = b + 25 + 5 * std::sqrt(4.5f * b) * 2;
		while (std::nextafter(no, si) < si) {
			float medio = no + (si - no) / 2;
			(pasa(medio) ? si : no) = medio;
		}
		std::fill(li.begin(), li.end(), b);
		li[CANALES / 2] = si;
		fallos += pico_siguiente(li.data(), CANALES, CANALES / 2 - 10, 1) != CANALES / 2;
	}
	EXPECT_EQ(fallos, 0);
}

// A sample that is not a number takes no part: no stop where a window would
// hold it, lines beyond its reach still found.
TEST(Picos, LasMuestrasQueNoSonNumerosNoCuentan)
{
	Sintetico s = sintetico(1, true);
	std::vector<int> antes = paseo(s.li, 1);
	size_t tras = 1; // the widest gap between stops lies after antes[tras - 1]
	for (size_t i = 2; i < antes.size(); i++)
		if (antes[i] - antes[i - 1] > antes[tras] - antes[tras - 1])
			tras = i;
	ASSERT_GE(antes[tras] - antes[tras - 1], 400);
	int hueco = (antes[tras] + antes[tras - 1]) / 2;
	for (float malo : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
		std::vector<float> li = s.li;
		li[hueco] = malo;
		std::vector<int> despues = paseo(li, 1);
		EXPECT_EQ(despues, antes);
	}
}

// An edge is not a line: a step up, and the step down of a Compton edge, stop
// nowhere, though a straight line across either lies below its top corner.
TEST(Picos, UnEscalonNoEsUnaLinea)
{
	std::vector<float> sube(CANALES + 1, 20), baja(CANALES + 1, 2000);
	std::fill(sube.begin() + CANALES / 2, sube.end(), 2000.0f);
	std::fill(baja.begin() + CANALES / 2, baja.end(), 20.0f);
	for (const auto &li : {sube, baja}) {
		EXPECT_EQ(pico_siguiente(li.data(), CANALES, 0, 1), 0);
		EXPECT_EQ(pico_siguiente(li.data(), CANALES, CANALES + 1, -1), 0);
	}
}

// The stop a measurement means: the stop of the line a channel stands on,
// from anywhere within two sigma of the line; nothing without stops.
TEST(Picos, LaParadaCercanaEsLaDeLaLineaBajoElCanal)
{
	for (unsigned semilla = 1; semilla <= 4; semilla++) {
		Sintetico s = sintetico(semilla, true);
		std::vector<int> paradas = paseo(s.li, 1);
		for (const Linea &l : s.lineas) {
			auto suya = std::min_element(paradas.begin(), paradas.end(), [&](int a, int b) {
				return std::fabs(a - l.centro) < std::fabs(b - l.centro);
			});
			for (int c = std::lround(l.centro - 2 * l.sigma);
			     c <= std::lround(l.centro + 2 * l.sigma); c++)
				EXPECT_EQ(pico_cercano(s.li.data(), CANALES, c), *suya)
				    << "seed " << semilla << ", channel " << c;
		}
	}
	std::vector<float> plano(CANALES + 1, 50);
	EXPECT_EQ(pico_cercano(plano.data(), CANALES, 100), 0);
	EXPECT_EQ(pico_cercano(plano.data(), 0, 1), 0);
}

// A net view of nothing: flat counts less a flat background counted apart
// (factor 1) hold no line, and the walk, told of the background, makes at
// most 0.2 stops a spectrum on their noise.
TEST(Picos, LaVistaNetaDeNadaNoSeParaEnElRuido)
{
	constexpr int LARGO = 16384, ESPECTROS = 5;
	constexpr double CUENTAS = 100;
	std::mt19937 azar(29);
	std::poisson_distribution<int> poisson(CUENTAS);
	int paradas = 0;
	for (int k = 0; k < ESPECTROS; k++) {
		std::vector<float> neto(LARGO + 1), fondo(LARGO + 1);
		for (int c = 1; c <= LARGO; c++) {
			fondo[c] = static_cast<float>(poisson(azar));
			neto[c] = static_cast<float>(poisson(azar)) - fondo[c];
		}
		FondoRestado restado{fondo.data(), 1.0};
		for (int c = 0; (c = pico_siguiente(neto.data(), LARGO, c, 1, &restado)) != 0;)
			paradas++;
	}
	EXPECT_LE(paradas, 0.2 * ESPECTROS);
}

// Whether channel c lies at the bottom of a dip of e that its counts show:
// below a neighbour and above neither, with the top either side, climbing,
// two standard deviations of the difference above it.
static bool en_hondonada(const std::vector<double> &e, int c)
{
	if (!(e[c] < std::max(e[c - 1], e[c + 1]) && e[c] <= std::min(e[c - 1], e[c + 1])))
		return false;
	for (int paso : {-1, 1}) {
		int cima = c;
		while (e[cima + paso] > e[cima])
			cima += paso;
		if (e[cima] - e[c] >= 2 * std::sqrt(e[cima] + e[c]))
			return true;
	}
	return false;
}

// Two lines, noise-free, on a flat 40 counts: from what separation does the
// walk give two stops, each within a channel of its line's top, at every
// separation up to 5 FWHM?  From 2 FWHM at equal areas, from 2.5 at 5 to 1,
// for sigma 1 to 6 channels.  Closer than that, no stop is ever at the
// bottom of a dip the counts show.
TEST(Picos, DosLineasSeparadasDanDosParadas)
{
	constexpr int LARGO = 2000;
	constexpr double PRIMERA = 800.3, AREA = 10000, FONDO = 40;
	int en_valle = 0;
	for (double razon : {1.0, 5.0})
		for (int sigma = 1; sigma <= 6; sigma++) {
			double fwhm = FWHM_POR_SIGMA * sigma;
			int menor = 0;
			bool resueltas = true;
			for (int d = static_cast<int>(std::ceil(5 * fwhm)); d >= 1; d--) {
				std::vector<double> e(LARGO + 1, FONDO);
				Linea a{PRIMERA, static_cast<double>(sigma)},
				    b{PRIMERA + d, static_cast<double>(sigma)};
				for (int c = 1; c <= LARGO; c++)
					e[c] += AREA * (phi((c + 0.5 - a.centro) / sigma) -
					                phi((c - 0.5 - a.centro) / sigma)) +
					        AREA / razon *
					            (phi((c + 0.5 - b.centro) / sigma) -
					             phi((c - 0.5 - b.centro) / sigma));
				std::vector<float> li(e.begin(), e.end());
				std::vector<int> p = paseo(li, 1);
				for (int c : p)
					if (en_hondonada(e, c)) {
						en_valle++;
						ADD_FAILURE()
						    << "a stop in the valley at " << c << ", sigma " << sigma
						    << ", " << d << " channels apart, " << razon << " to 1";
					}
				resueltas = resueltas && p.size() == 2 && std::fabs(p[0] - a.centro) <= 1 &&
				            std::fabs(p[1] - b.centro) <= 1;
				if (resueltas)
					menor = d;
			}
			std::printf("sigma %d, areas %g to 1: two stops from %d channels (%.2f FWHM)\n",
			            sigma, razon, menor, menor / fwhm);
			double desde = razon > 1 ? 2.5 : 2;
			EXPECT_GT(menor, 0) << "sigma " << sigma << ", " << razon << " to 1";
			EXPECT_LE(menor, std::ceil(desde * fwhm))
			    << "sigma " << sigma << ", " << razon << " to 1";
		}
	std::printf("stops in a valley: %d\n", en_valle);
}
