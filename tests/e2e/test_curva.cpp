// A lamp spectrum whose wavelength per pixel is a pipeline's curve, loaded as
// its "wave,flux" CSV: with no notice, info line 2 shows the file's own x at
// the first channel, the cursor's and the last (the file falls, so it is
// turned and channel c is the file's row 4097 - c).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

const std::string LAMPARA = "real/lamps/NeBlue0.86-high.csv";

// "lo.xxx=" and the row's x as the info line prints it (single precision).
std::string campo(const char *nombre, double x)
{
	char t[32];
	std::snprintf(t, sizeof t, "%s=%-8.2f", nombre, static_cast<double>(static_cast<float>(x)));
	return t;
}

} // namespace

TEST(CurvaE2E, UnaLamparaMuestraLaXDeSuFicheroSinAviso)
{
	Sesion s;
	std::string texto = arnes::lee_fichero(datos_prueba(LAMPARA));
	arnes::escribe_fichero(s.ruta("neon.csv"), texto);
	std::istringstream filas(texto);
	std::string fila;
	std::getline(filas, fila);
	std::vector<double> x;
	while (std::getline(filas, fila))
		x.push_back(std::strtod(fila.c_str(), nullptr));
	ASSERT_EQ(x.size(), 4096u);
	s.carga("neon.csv");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=4096"));
	EXPECT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_2, campo("lo.ini", x[4095])));
	// The cursor stays on the sample it was on: the file's row 2048, now channel 2049.
	EXPECT_EQ(s.lee(X_CAMPO_CURSOR, Y_INFO_2, 15), campo("lo.cur", x[2047]));
	EXPECT_EQ(s.lee(PWX - MARGEN_CAMPO_FIN, Y_INFO_2, 15), campo("lo.fin", x[0]));
	const std::string aviso = std::string("dialogo: ") + DIALOGO_AVISO.titulo;
	EXPECT_EQ(s.anuncios(aviso), 0);
	EXPECT_FALSE(busca_texto(s.captura(), "no es lineal").has_value());
	EXPECT_EQ(s.sal(), 0);
}
