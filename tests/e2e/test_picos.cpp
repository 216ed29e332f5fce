// Measuring a peak through the real program: P under the cursor, the "Pico"
// report, the mark left on the plot, and the table the save dialog writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int CANALES = 1001; // the cursor starts on channel 501
constexpr double CENTRO = 501.3, SIGMA = 3, AREA = 50000, FONDO = 20;

// A noiseless Gaussian line on a flat background, one count a line.
std::string espectro_con_linea()
{
	std::string texto;
	char linea[64];
	for (int c = 1; c <= CANALES; c++) {
		double f = 0.5 * (std::erf((c + 0.5 - CENTRO) / (SIGMA * std::sqrt(2.0))) -
		                  std::erf((c - 0.5 - CENTRO) / (SIGMA * std::sqrt(2.0))));
		std::snprintf(linea, sizeof linea, "%.9g\n", FONDO + AREA * f);
		texto += linea;
	}
	return texto;
}

std::vector<std::string> campos(const std::string &linea)
{
	std::vector<std::string> c;
	std::stringstream in(linea);
	std::string campo;
	while (std::getline(in, campo, '\t'))
		c.push_back(campo);
	if (!linea.empty() && linea.back() == '\t')
		c.push_back("");
	return c;
}

// Whether any pixel of the zone is black.
bool hay_negro(const arnes::Imagen &img)
{
	for (uint32_t p : img.px)
		if (p == NEGRO_E2E)
			return true;
	return false;
}

} // namespace

TEST(Picos, PMideLaLineaLaMarcaYLaTablaSeGuardaYSeLee)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	s.tecla("p"); // nothing loaded: nothing to measure
	arnes::escribe_fichero(s.ruta("linea.txt"), espectro_con_linea());
	s.carga("linea.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1001"));
	// Above the line's top, left of the cursor bar, where the mark's number
	// reaches: no black before (the bar turns the joining lines black).
	int wx = PWX - MENOS_ANCHO_GRAFICA;
	int x = X_GRAFICA + static_cast<int>((CENTRO - 1) * wx / (CANALES - 1));
	arnes::Zona encima{x - 5, Y_GRAFICA, 4, MARCA_TECHO + MARCA_HUECO};
	EXPECT_FALSE(hay_negro(arnes::captura(s.x(), encima)));

	s.abre_dialogo("p", DIALOGO_PICO.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("Centroide: canal 501.30"));
	EXPECT_TRUE(s.espera_en_pantalla("Chi2/gl: 0.00"));
	s.tecla("Return");
	auto marcada = [&] { return hay_negro(arnes::captura(s.x(), encima)); };
	EXPECT_TRUE(arnes::espera_hasta(marcada, Sesion::ESPERA));
	EXPECT_EQ(s.anuncios(std::string("dialogo: ") + DIALOGO_PICO.titulo), 1); // the first P did nothing
	// The log scale redraws everything, the mark with it (the top stays on row 0).
	arnes::Imagen lineal = s.captura();
	s.tecla("Tab");
	ASSERT_TRUE(arnes::espera_hasta([&] { return s.captura().px != lineal.px; }, Sesion::ESPERA));
	EXPECT_TRUE(arnes::espera_hasta(marcada, Sesion::ESPERA));

	// The third row is ticked: OK writes the table alone, under the proposed
	// name, where a note stands that only "Reemplazar" replaces.
	const std::string nota = "una nota\n";
	arnes::escribe_fichero(s.ruta("linea-picos.tsv"), nota);
	s.abre_dialogo("g", DIALOGO_GUARDA_PICOS.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("Guardar picos"));
	s.tecla("Return");
	ASSERT_TRUE(s.espera_en_pantalla("la tabla de picos?"));
	s.tecla("r");
	std::string tabla;
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return (tabla = arnes::lee_fichero(s.ruta("linea-picos.tsv"))) != nota; }, Sesion::ESPERA));
	std::stringstream in(tabla);
	std::string cabecera, fila, sobra;
	std::getline(in, cabecera);
	std::getline(in, fila);
	EXPECT_EQ(cabecera, CABECERA_PICOS);
	EXPECT_FALSE(std::getline(in, sobra));
	std::vector<std::string> c = campos(fila);
	ASSERT_EQ(c.size(), 12u);
	EXPECT_EQ(c[11], ""); // a lone line
	EXPECT_NEAR(std::strtod(c[0].c_str(), nullptr), CENTRO, 1e-4);
	EXPECT_NEAR(std::strtod(c[3].c_str(), nullptr), SIGMA * 2.3548200450309493, 1e-4);
	EXPECT_NEAR(std::strtod(c[5].c_str(), nullptr), AREA, 1e-2);
	for (int vacio : {2, 4, 9, 10}) // uncalibrated; nothing known yet
		EXPECT_EQ(c[vacio], "");
	EXPECT_GT(std::strtod(c[6].c_str(), nullptr), 0);
	EXPECT_FALSE(arnes::lee_fichero(s.ruta("datos.txt")).size() > 0); // the data were not ticked
	EXPECT_EQ(s.sal(), 0);
}
