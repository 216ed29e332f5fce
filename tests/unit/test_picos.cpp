// The peak test and search, on the pottery spectrum (uncalibrated form) and on
// made-up spectra: its three known lines, every stop of a walk measured
// against a plainly computed background, the threshold at its edge, ties,
// the spectrum's ends and gaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "fichero.h"
#include "analisis.h"

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

const std::vector<float> &alfareria()
{
	static const std::vector<float> li = lee_cuentas(ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt");
	return li;
}

int n_de(const std::vector<float> &li)
{
	return static_cast<int>(li.size()) - 1;
}

// The background by the book: all samples 21 to 60 channels away, sorted.
double fondo_plano(const std::vector<float> &li, int c)
{
	std::vector<double> s;
	for (int d = 21; d <= 60; d++)
		for (int j : {c - d, c + d})
			if (j >= 1 && j <= n_de(li))
				s.push_back(li[j]);
	std::sort(s.begin(), s.end());
	size_t m = s.size();
	return m % 2 ? s[m / 2] : (s[m / 2 - 1] + s[m / 2]) / 2;
}

double exceso(const std::vector<float> &li, int c)
{
	return li[c] - fondo_plano(li, c);
}

double ruido_plano(double b)
{
	return 3 * std::max(1.0, std::sqrt(b));
}

// The definition written plainly, with the half-width as a parameter.
bool pico_plano(const std::vector<float> &li, int c, int radio)
{
	for (int k = 1; k <= radio; k++) {
		if (c - k >= 1 && li[c - k] >= li[c])
			return false;
		if (c + k <= n_de(li) && li[c + k] > li[c])
			return false;
	}
	return exceso(li, c) >= ruido_plano(fondo_plano(li, c));
}

int primero_plano(const std::vector<float> &li, int desde, int radio)
{
	for (int c = desde + 1; c <= n_de(li); c++)
		if (pico_plano(li, c, radio))
			return c;
	return 0;
}

std::vector<int> paseo(const std::vector<float> &li, int desde, int sentido)
{
	std::vector<int> paradas;
	int c = desde;
	while ((c = pico_siguiente(li.data(), n_de(li), c, sentido)) != 0)
		paradas.push_back(c);
	return paradas;
}

constexpr int LINEAS[] = {2798, 7994, 14307}; // 511, 1460.8 and 2614.5 keV

} // namespace

TEST(Picos, DesdeDiezCanalesALaIzquierdaLlegaACadaLinea)
{
	const auto &li = alfareria();
	ASSERT_EQ(n_de(li), 16384);
	for (int linea : LINEAS) {
		EXPECT_EQ(pico_siguiente(li.data(), n_de(li), linea - 10, 1), linea);
		EXPECT_EQ(pico_siguiente(li.data(), n_de(li), linea + 10, -1), linea);
	}
}

TEST(Picos, LasLineasSobresalenLoQueSeEspera)
{
	const auto &li = alfareria();
	const double fondos[] = {27.5, 1, 0}, excesos[] = {46.5, 27, 12};
	for (int i = 0; i < 3; i++) {
		EXPECT_EQ(fondo_plano(li, LINEAS[i]), fondos[i]);
		EXPECT_EQ(exceso(li, LINEAS[i]), excesos[i]);
	}
}

// The half-width of five is the narrowest that reaches the tops.
TEST(Picos, VentanasMasEstrechasParanEnLosFlancos)
{
	const auto &li = alfareria();
	const int flancos[] = {2793, 7986, 14299};
	for (int i = 0; i < 3; i++) {
		EXPECT_EQ(primero_plano(li, LINEAS[i] - 10, 3), flancos[i]);
		EXPECT_EQ(primero_plano(li, LINEAS[i] - 10, RADIO_PICO), LINEAS[i]);
	}
}

TEST(Picos, UnPaseoEnteroNuncaParaEnElRuido)
{
	const auto &li = alfareria();
	std::vector<int> paradas = paseo(li, 0, 1);
	ASSERT_FALSE(paradas.empty());
	for (int c : paradas) {
		double b = fondo_plano(li, c);
		EXPECT_GE(exceso(li, c), ruido_plano(b)) << "channel " << c << ", background " << b;
	}
	for (int linea : LINEAS)
		EXPECT_NE(std::find(paradas.begin(), paradas.end(), linea), paradas.end()) << linea;
}

// Every channel, tested the slow plain way: the walk stops at exactly those.
TEST(Picos, ElPaseoParaJustoDondeLaDefinicionLlana)
{
	const auto &li = alfareria();
	std::vector<int> esperadas;
	for (int c = 1; c <= n_de(li); c++)
		if (pico_plano(li, c, RADIO_PICO))
			esperadas.push_back(c);
	EXPECT_EQ(paseo(li, 0, 1), esperadas);
	std::vector<int> atras = paseo(li, n_de(li) + 1, -1);
	std::reverse(atras.begin(), atras.end());
	EXPECT_EQ(atras, esperadas);
}

// Channel 100 of 200 at `justo` is a peak, and a little lower is not.
void borde(std::vector<float> li, float justo, float debajo)
{
	li[100] = justo;
	EXPECT_TRUE(es_pico(li.data(), 200, 100)) << justo;
	li[100] = debajo;
	EXPECT_FALSE(es_pico(li.data(), 200, 100)) << debajo;
}

TEST(Picos, ElUmbralEnSuBorde)
{
	// Background 25: the line must stand 3 * 5 = 15 above it.
	borde(std::vector<float>(201, 25), 40, std::nextafter(40.0f, 0.0f));
	// Below a background of 1 the noise counts as 1: three counts above.
	borde(std::vector<float>(201, 0.5f), 3.5f, 3.49f);
}

TEST(Picos, FondoParEsLaMediaDeLosDosCentrales)
{
	// 10 on the left, 30 on the right: the median is 20 and the line must
	// reach 20 + 3 * sqrt(20) = 33.42.
	std::vector<float> li(201, 10);
	std::fill(li.begin() + 100, li.end(), 30.0f);
	borde(li, 33.5f, 33.4f);
}

TEST(Picos, EnUnaMesetaParaEnSuPrimerCanalDesdeAmbosLados)
{
	std::vector<float> li(201, 1);
	li[100] = li[101] = 50;
	EXPECT_EQ(pico_siguiente(li.data(), 200, 1, 1), 100);
	EXPECT_EQ(pico_siguiente(li.data(), 200, 200, -1), 100);
	EXPECT_EQ(pico_siguiente(li.data(), 200, 100, 1), 0);
}

TEST(Picos, LosExtremosYLosHuecos)
{
	std::vector<float> li(101, 2);
	li[1] = 30;
	li[100] = 30;
	EXPECT_EQ(pico_siguiente(li.data(), 100, 0, 1), 1);
	EXPECT_EQ(pico_siguiente(li.data(), 100, 1, 1), 100);
	EXPECT_EQ(pico_siguiente(li.data(), 100, 100, 1), 0);
	EXPECT_EQ(pico_siguiente(li.data(), 100, 1, -1), 0);
	// A NaN in the background is left out; a NaN is never a peak.
	li[50] = 30;
	li[75] = std::numeric_limits<float>::quiet_NaN();
	li[25] = std::numeric_limits<float>::quiet_NaN();
	EXPECT_TRUE(es_pico(li.data(), 100, 50));
	EXPECT_FALSE(es_pico(li.data(), 100, 75));
	// Far from the ends too: half the background NaN, the rest decides.
	std::vector<float> lejos(201, 2);
	lejos[100] = 30;
	for (int d = 21; d <= 60; d++)
		lejos[100 + d] = std::numeric_limits<float>::quiet_NaN();
	EXPECT_TRUE(es_pico(lejos.data(), 200, 100));
	for (int d = 21; d <= 60; d++)
		lejos[100 - d] = 27; // background 27: 30 stands out by 3, not by 3 * sqrt(27)
	EXPECT_FALSE(es_pico(lejos.data(), 200, 100));
	// Fewer than 22 channels: no background, no peak.
	EXPECT_FALSE(es_pico(li.data(), 21, 1));
	EXPECT_TRUE(es_pico(li.data(), 22, 1));
}

TEST(Picos, SinPicosLaBusquedaDevuelveCero)
{
	std::vector<float> li(1001, 0);
	EXPECT_EQ(pico_siguiente(li.data(), 1000, 500, 1), 0);
	EXPECT_EQ(pico_siguiente(li.data(), 1000, 500, -1), 0);
}

// On any background, the least sample that stands out by the definition is
// a peak: the shortcut that spares most medians must never rule one out.
TEST(Picos, ElAtajoNuncaDescartaUnPicoEnElBorde)
{
	std::vector<float> li(201);
	int fallos = 0;
	for (int i = 0; i <= 4000; i++) {
		float b = i * 0.37f;
		std::fill(li.begin(), li.end(), b);
		float v = std::nextafter(static_cast<float>(b + ruido_plano(b)), 0.0f);
		while (!(v - static_cast<double>(b) >= ruido_plano(b)))
			v = std::nextafter(v, std::numeric_limits<float>::infinity());
		li[100] = v;
		fallos += !es_pico(li.data(), 200, 100);
	}
	EXPECT_EQ(fallos, 0);
}
