// A curved calibration in the program's state: a lamp spectrum whose
// wavelength falls along the file is turned so that it grows, every channel
// keeping its own wavelength, and a background under the same curve comes
// onto the same channels by wavelength.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "canales.h"

namespace {

const std::string LAMPARA = ORQ_DATOS_PRUEBA "/real/lamps/NeRed0.86-high.csv";

std::vector<double> x_del_fichero()
{
	std::ifstream f(LAMPARA);
	std::string linea;
	std::getline(f, linea);
	std::vector<double> x;
	while (std::getline(f, linea))
		x.push_back(std::strtod(linea.c_str(), nullptr));
	return x;
}

} // namespace

TEST(CanalesCurva, UnaLamparaQueBajaSeGiraYCadaCanalGuardaSuLongitud)
{
	std::vector<double> x = x_del_fichero();
	ASSERT_GT(x.front(), x.back());
	Lectura l;
	ASSERT_EQ(lee_espectro(LAMPARA.c_str(), &l), FICHERO_BIEN);
	std::vector<float> y(l.Li + 1, l.Li + l.nptL + 1);
	ASSERT_TRUE(confirma_carga(&l));
	ASSERT_EQ(size_t(nptL), x.size());
	EXPECT_GT(al, 0);
	int distintas = 0;
	for (int c = 1; c <= nptL; c++) {
		int fila = nptL - c; // the file's row, 0-based, now at channel c
		distintas +=
		    longitud_de_onda(c) != static_cast<float>(x[size_t(fila)]) || Li[c] != y[size_t(fila)];
	}
	EXPECT_EQ(distintas, 0);
	Lectura f;
	ASSERT_EQ(lee_espectro(LAMPARA.c_str(), &f), FICHERO_BIEN);
	ASSERT_TRUE(pon_fondo(&f, LAMPARA.c_str(), 1, true));
	int lejos = 0;
	for (int c = 2; c < nptL; c++)
		lejos += !(std::fabs(fondo_canal[size_t(c)] - Li[c]) <= 1e-4 * (1 + std::fabs(Li[c])));
	EXPECT_EQ(lejos, 0);
	reinicia_espectro();
}
