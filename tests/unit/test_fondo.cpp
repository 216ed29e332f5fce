// A background brought onto a spectrum's channels, against a plain overlap
// computed in wavelengths, channel pair by channel pair; the factor proposed
// from the files' live times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analisis.h"
#include "fichero.h"
#include "canales.h"

namespace {

double longitud(const Calibracion &c, double canal)
{
	return (canal + c.bl) * c.al;
}

// Every background channel against every spectrum channel, in wavelengths.
std::vector<double> por_definicion(const std::vector<float> &f, const Calibracion &cf, int n,
                                   const Calibracion &ce)
{
	std::vector<double> r(n + 1, NAN);
	for (int c = 1; c <= n; c++)
		for (size_t k = 1; k < f.size(); k++) {
			double a0 = longitud(ce, c - 0.5), a1 = longitud(ce, c + 0.5);
			double b0 = longitud(cf, k - 0.5), b1 = longitud(cf, k + 0.5);
			double solape = std::min(std::max(a0, a1), std::max(b0, b1)) -
			                std::max(std::min(a0, a1), std::min(b0, b1));
			if (solape <= 0)
				continue;
			r[c] = (std::isnan(r[c]) ? 0 : r[c]) + f[k] * solape / std::fabs(b1 - b0);
		}
	return r;
}

TEST(Fondo, PorLongitudDeOndaComoElSolapeDeCadaParDeCanales)
{
	std::mt19937 azar(7);
	std::uniform_real_distribution<double> u(0, 1);
	for (int caso = 0; caso < 40; caso++) {
		int n = 60 + caso, m = 40 + 2 * caso;
		Calibracion ce{0.5 + u(azar), 100 * u(azar)};
		// Narrower, wider, falling and offset backgrounds.
		double signo = caso % 3 == 0 ? -1 : 1;
		Calibracion cf{signo * ce.al * (0.3 + 2 * u(azar)), 0};
		cf.bl = (longitud(ce, n * u(azar)) / cf.al) - m * u(azar);
		std::vector<float> f(m + 1);
		for (int k = 1; k <= m; k++)
			f[k] = static_cast<float>(1000 * u(azar));
		std::vector<float> r = proyecta_fondo(f.data(), m, cf, n, ce);
		std::vector<double> esperado = por_definicion(f, cf, n, ce);
		for (int c = 1; c <= n; c++) {
			if (std::isnan(esperado[c]) || esperado[c] < 1e-9)
				EXPECT_TRUE(std::isnan(r[c]) || std::fabs(r[c]) < 1e-3) << caso << " " << c;
			else
				EXPECT_NEAR(r[c], esperado[c], 1e-5 * std::max(1.0, esperado[c]))
				    << caso << " " << c;
		}
	}
}

TEST(Fondo, UnaCopiaDesplazadaVuelveSobreSiMismaYGuardaElTotal)
{
	const int n = 500, d = 37;
	std::mt19937 azar(3);
	std::poisson_distribution<int> cuentas(80);
	std::vector<float> s(n + 1);
	for (int c = 1; c <= n; c++)
		s[c] = static_cast<float>(cuentas(azar));
	Calibracion ce{0.25, 1600};
	// The copy starts d channels later, so its channel k is the spectrum's k + d.
	std::vector<float> f(s.begin() + d, s.end());
	Calibracion cf{ce.al, ce.bl + d};
	std::vector<float> r = proyecta_fondo(f.data(), n - d, cf, n, ce);
	double total = 0;
	for (int c = 1; c <= n; c++) {
		if (c <= d) {
			EXPECT_TRUE(std::isnan(r[c])) << c;
			continue;
		}
		EXPECT_NEAR(r[c], s[c], 1e-3) << c;
		total += r[c];
	}
	double total_fondo = 0;
	for (size_t k = 1; k < f.size(); k++)
		total_fondo += f[k];
	EXPECT_NEAR(total, total_fondo, 1e-6 * total_fondo);
	// Uncalibrated on either side: channel to channel.
	r = proyecta_fondo(f.data(), n - d, Calibracion{}, n, ce);
	EXPECT_EQ(r[1], f[1]);
	EXPECT_EQ(r[n - d], f[n - d]);
	EXPECT_TRUE(std::isnan(r[n - d + 1]));
}

} // namespace

// The live time of an instrument's file, as its $MEAS_TIM: block's first number says.
static double tiempo_escrito(const std::string &ruta)
{
	std::ifstream f(ruta);
	std::string linea;
	while (std::getline(f, linea))
		if (linea.rfind("$MEAS_TIM:", 0) == 0 && std::getline(f, linea))
			return std::stod(linea);
	return 0;
}

TEST(Fondo, ElFactorPropuestoEsElCocienteDeTiemposVivos)
{
	const std::string espectro = ORQ_DATOS_PRUEBA "/real/hpge-pottery.Spe",
	                  de_fondo = ORQ_DATOS_PRUEBA "/real/hpge-cave-background.spe",
	                  sin_tiempo = ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt";
	Lectura e, f, t;
	ASSERT_EQ(lee_espectro(espectro.c_str(), &e), FICHERO_BIEN);
	ASSERT_EQ(lee_espectro(de_fondo.c_str(), &f), FICHERO_BIEN);
	ASSERT_EQ(lee_espectro(sin_tiempo.c_str(), &t), FICHERO_BIEN);
	EXPECT_EQ(e.tiempo_vivo, tiempo_escrito(espectro));
	EXPECT_EQ(f.tiempo_vivo, tiempo_escrito(de_fondo));
	EXPECT_EQ(factor_de_tiempos(e.tiempo_vivo, f.tiempo_vivo),
	          static_cast<float>(tiempo_escrito(espectro) / tiempo_escrito(de_fondo)));
	EXPECT_EQ(t.tiempo_vivo, 0); // a plain table gives none, and then the factor is 1
	EXPECT_EQ(factor_de_tiempos(t.tiempo_vivo, f.tiempo_vivo), 1.0f);
	for (Lectura *l : {&e, &f, &t})
		libera_lectura(l);
}
