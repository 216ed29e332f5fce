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

// Noiseless Gaussian lines of sigma SIGMA and area AREA at the given
// centres on a flat background, one count a line.
std::string espectro_con_lineas(std::initializer_list<double> centros = {CENTRO})
{
	std::string texto;
	char linea[64];
	for (int c = 1; c <= CANALES; c++) {
		double cuentas = FONDO;
		for (double centro : centros)
			cuentas += AREA * 0.5 *
			           (std::erf((c + 0.5 - centro) / (SIGMA * std::sqrt(2.0))) -
			            std::erf((c - 0.5 - centro) / (SIGMA * std::sqrt(2.0))));
		std::snprintf(linea, sizeof linea, "%.9g\n", cuentas);
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

// Whether any pixel of the zone has the colour.
bool hay_color(const arnes::Imagen &img, uint32_t color)
{
	for (uint32_t p : img.px)
		if (p == color)
			return true;
	return false;
}

bool hay_negro(const arnes::Imagen &img)
{
	return hay_color(img, NEGRO_E2E);
}

// The table's rows under its header.
std::vector<std::vector<std::string>> filas_de(const std::string &tabla)
{
	std::stringstream in(tabla);
	std::string linea;
	std::vector<std::vector<std::string>> filas;
	std::getline(in, linea);
	while (std::getline(in, linea))
		filas.push_back(campos(linea));
	return filas;
}

} // namespace

TEST(Picos, PMideLaLineaLaMarcaYLaTablaSeGuardaYSeLee)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	s.tecla("p"); // nothing loaded: nothing to measure
	arnes::escribe_fichero(s.ruta("linea.txt"), espectro_con_lineas());
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

// Two noiseless lines 2 FWHM apart, left of the middle: Ctrl+Left stops on
// the higher, and P fits both together, a row each with the cursor's
// marked, drawing each line's curve while the report is open.  Both are
// marked and both go to the table, numbered by the first, with one chi2.
TEST(Picos, UnDobleteSeMideJuntoYCadaLineaEsUnaFila)
{
	constexpr double PRIMERA = 200.3, SEGUNDA = PRIMERA + 2 * 2.3548200450309493 * SIGMA;
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	arnes::escribe_fichero(s.ruta("doblete.txt"), espectro_con_lineas({PRIMERA, SEGUNDA}));
	s.carga("doblete.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1001"));
	s.tecla("ctrl+Left");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=214 "));

	s.abre_dialogo("p", DIALOGO_PICO.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("Multiplete de 2"));
	EXPECT_TRUE(s.espera_en_pantalla("*    2     214.43"));
	EXPECT_TRUE(s.espera_en_pantalla("     1     200.30"));
	// Each line's own curve, over the doublet's columns.
	int wx = PWX - MENOS_ANCHO_GRAFICA;
	auto columna = [&](double c) { return X_GRAFICA + static_cast<int>((c - 1) * wx / (CANALES - 1)); };
	arnes::Zona doblete{columna(PRIMERA - 3 * SIGMA), Y_GRAFICA,
	                    columna(SEGUNDA + 3 * SIGMA) - columna(PRIMERA - 3 * SIGMA),
	                    PWY - MENOS_ALTO_GRAFICA};
	EXPECT_TRUE(hay_color(arnes::captura(s.x(), doblete), RGB_LINEA_AJUSTE.hex()));
	s.tecla("Return");

	s.abre_dialogo("g", DIALOGO_GUARDA_PICOS.titulo);
	s.tecla("Return"); // only the table is ticked
	std::string tabla;
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return (tabla = arnes::lee_fichero(s.ruta("doblete-picos.tsv"))).size() > 0; },
	    Sesion::ESPERA));
	std::vector<std::vector<std::string>> f = filas_de(tabla);
	ASSERT_EQ(f.size(), 2u) << tabla;
	for (size_t i = 0; i < f.size(); i++) {
		ASSERT_EQ(f[i].size(), 12u) << tabla;
		EXPECT_NEAR(std::strtod(f[i][0].c_str(), nullptr), i == 0 ? PRIMERA : SEGUNDA, 1e-3);
		EXPECT_NEAR(std::strtod(f[i][5].c_str(), nullptr), AREA, 1);
		EXPECT_EQ(f[i][11], "1") << tabla;
	}
	EXPECT_EQ(f[0][8], f[1][8]); // the group's chi2
	EXPECT_EQ(s.sal(), 0);
}
