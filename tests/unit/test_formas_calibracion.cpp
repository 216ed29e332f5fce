// The calibration's curved forms against their mathematics, evaluated here
// in long double: a cubic x tabulated per channel is followed between the
// samples, a polynomial keeps the file's channel, both turn with the
// spectrum, and one that turns back is refused at the channel where it does.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analisis.h"

namespace {

constexpr int N = 4096;

// A grating's dispersion: a cubic in the channel, rising by about 1.5 per channel.
long double cubica(long double c)
{
	return 3500 + 1.4L * c + 6e-5L * c * c - 4e-9L * c * c * c;
}
long double derivada_cubica(long double c)
{
	return 1.4L + 1.2e-4L * c - 1.2e-8L * c * c;
}

Calibracion tabla_cubica(int *giro)
{
	std::vector<double> x(N);
	for (int c = 1; c <= N; c++)
		x[c - 1] = static_cast<double>(cubica(c));
	return calibracion_de_tabla(x, giro);
}

TEST(FormasCalibracion, TablaDeUnaCubicaLaSigueEntreMuestras)
{
	int giro;
	Calibracion cal = tabla_cubica(&giro);
	ASSERT_EQ(giro, 0);
	ASSERT_EQ(cal.forma, FormaCalibracion::tabla);
	for (double c = 1; c <= N; c += 0.37) {
		long double paso = derivada_cubica(c);
		EXPECT_LE(std::fabs(static_cast<double>((longitud_en(cal, c) - cubica(c)) / paso)), 1e-6)
		    << c;
		EXPECT_NEAR(dispersion_en(cal, c), static_cast<double>(paso), 1e-6) << c;
		EXPECT_NEAR(canal_de(cal, static_cast<double>(cubica(c))), c, 1e-6) << c;
	}
	EXPECT_NEAR(cal.al, 1.5, 0.1); // its best line
}

TEST(FormasCalibracion, PolinomioEnElCanalDelFichero)
{
	const double coef[] = {-0.35, 0.7315, 2.1e-6, -1.3e-10};
	const double primero = 0; // the file counts from 0: our channel c is its c - 1
	int giro;
	Calibracion cal = calibracion_polinomica(coef, 4, primero, N, &giro);
	ASSERT_EQ(giro, 0);
	ASSERT_EQ(cal.forma, FormaCalibracion::polinomio);
	for (double c = 1; c <= N; c += 3.7) {
		long double u = c - 1, v = 0;
		for (int k = 3; k >= 0; k--)
			v = v * u + coef[k];
		EXPECT_NEAR(longitud_en(cal, c), static_cast<double>(v), 1e-9) << c;
		EXPECT_NEAR(canal_de(cal, static_cast<double>(v)), c, 1e-7) << c;
	}
}

TEST(FormasCalibracion, UnaCurvaGiraConElEspectroSinPerderUnBit)
{
	const double coef[] = {12.5, -0.9, 3e-5, 1e-9, -2e-13, 1e-17};
	int giro_p, giro_t;
	Calibracion p = calibracion_polinomica(coef, 6, 1, N, &giro_p), t = tabla_cubica(&giro_t);
	ASSERT_EQ(giro_p, 0);
	Calibracion p2 = p, t2 = t;
	espeja_curva(p2, N);
	espeja_curva(t2, N);
	for (int c = 1; c <= N; c++) {
		EXPECT_EQ(longitud_en(p2, N + 1 - c), longitud_en(p, c)) << c;
		EXPECT_EQ(longitud_en(t2, N + 1 - c), longitud_en(t, c)) << c;
	}
}

TEST(FormasCalibracion, LaQueVuelveAtrasSeRechazaEnSuCanal)
{
	// Rises to channel 500 (u = 500, the vertex), then falls.
	const double coef[] = {0, 1, -1e-3};
	int giro;
	calibracion_polinomica(coef, 3, 1, 1000, &giro);
	EXPECT_EQ(giro, 500);
	std::vector<double> x = {1, 2, 3, 2.5, 4};
	calibracion_de_tabla(x, &giro);
	EXPECT_EQ(giro, 4);
	const double nan[] = {0, 1, NAN}, inf[] = {INFINITY, 1, 1e-6};
	calibracion_polinomica(nan, 3, 1, 1000, &giro);
	EXPECT_EQ(giro, -1);
	calibracion_polinomica(inf, 3, 1, 1000, &giro);
	EXPECT_EQ(giro, -1);
}

} // namespace
