// The peak table under a calibration that bends: a line's wavelength is the
// curve's at its centroid, and its FWHM in wavelength the curve's span over
// the FWHM about the centroid (for a quadratic, exactly the local dispersion
// times the FWHM), not the best line's slope times it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "canales.h"
#include "informes.h"

TEST(TablaPicosCurva, LongitudYFwhmSiguenLaCurva)
{
	const double coef[] = {100, 2, 1e-3}; // in the file's channel u = c - 1
	int giro;
	Calibracion cal = calibracion_polinomica(coef, 3, 0, 4000, &giro);
	ASSERT_EQ(giro, 0);
	MedidaPico m;
	m.ajustado = true;
	m.centroide = 3000.25;
	m.sigma = 2.5;
	std::istringstream tabla(tabla_picos({m}, {}, cal));
	std::string cabecera, fila;
	std::getline(tabla, cabecera);
	std::getline(tabla, fila);
	std::vector<double> v;
	std::istringstream campos(fila);
	for (std::string c; std::getline(campos, c, '\t');)
		v.push_back(std::strtod(c.c_str(), nullptr));
	ASSERT_GE(v.size(), 5u);
	auto lambda = [&](double c) { return coef[0] + coef[1] * (c - 1) + coef[2] * (c - 1) * (c - 1); };
	double fwhm = 2 * std::sqrt(2 * std::log(2.0)) * m.sigma;
	EXPECT_NEAR(v[2], lambda(m.centroide), 1e-9 * lambda(m.centroide));
	double esperada = lambda(m.centroide + fwhm / 2) - lambda(m.centroide - fwhm / 2);
	EXPECT_NEAR(v[4], esperada, 1e-9 * esperada);
	EXPECT_GT(std::fabs(v[4] - fwhm * cal.al), 0.1 * esperada); // the best line would be far off
}
