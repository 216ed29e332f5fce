// The list of measured peaks and their table: the same peak measured again
// takes its old place, rows come in channel order, every number reads back
// as the same double, a failed fit leaves its fit columns empty, and a
// calibration point gives its known wavelength and residual.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fichero.h"
#include "canales.h"
#include "informes.h"
#include "textos.h"

namespace {

std::vector<std::vector<std::string>> filas(const std::string &tabla)
{
	std::vector<std::vector<std::string>> f;
	std::stringstream in(tabla);
	std::string linea;
	while (std::getline(in, linea)) {
		std::vector<std::string> campos(1);
		for (char c : linea)
			if (c == '\t')
				campos.emplace_back();
			else
				campos.back() += c;
		f.push_back(campos);
	}
	return f;
}

MedidaPico ajustado(double centroide)
{
	MedidaPico m;
	m.ajustado = true;
	m.centroide = centroide;
	m.error_centroide = 0.0123456789012345;
	m.sigma = 2.10987654321;
	m.area = 12345.678901234567;
	m.error_area = 111.11111111111;
	m.fondo = 987.6543210987;
	m.chi2_gl = 1.0472;
	return m;
}

double lee(const std::string &s)
{
	return std::strtod(s.c_str(), nullptr);
}

} // namespace

TEST(TablaPicos, ElMismoPicoOcupaSuSitioYLaTablaSeLeeExacta)
{
	std::vector<MedidaPico> lista;
	EXPECT_EQ(anota_pico(lista, ajustado(700.123456789)), 0u);
	MedidaPico fallido;
	fallido.cima = 300;
	fallido.neto = -3.25;
	fallido.fondo = 77.5;
	EXPECT_EQ(anota_pico(lista, fallido), 1u);
	MedidaPico otra_vez = ajustado(701.2); // within half its FWHM (2.48 channels)
	EXPECT_EQ(anota_pico(lista, otra_vez), 0u);
	ASSERT_EQ(lista.size(), 2u);
	EXPECT_EQ(lista[0].centroide, 701.2);

	// The fitted peak is a calibration point.
	const float a_l = 0.5f, b_l = 10.25f, conocida = 355.7f;
	const std::vector<PicoConocido> punto = {{0, conocida}};
	auto f = filas(tabla_picos(lista, punto, {a_l, b_l}));
	ASSERT_EQ(f.size(), 3u);
	EXPECT_EQ(f[0], filas(CABECERA_PICOS)[0]);
	const std::vector<std::string> fallo = {"300", "",     "155.125", "", "", "-3.25",
	                                        "",    "77.5", "",        "", "", ""};
	EXPECT_EQ(f[1], fallo);
	const MedidaPico &m = lista[0];
	const auto &r = f[2];
	ASSERT_EQ(r.size(), 12u);
	EXPECT_EQ(r[11], ""); // measured alone
	EXPECT_EQ(lee(r[0]), m.centroide);
	EXPECT_EQ(lee(r[1]), m.error_centroide);
	EXPECT_EQ(lee(r[2]), (m.centroide + 10.25) * 0.5);
	EXPECT_EQ(lee(r[3]), FWHM_POR_SIGMA * m.sigma);
	EXPECT_EQ(lee(r[4]), FWHM_POR_SIGMA * m.sigma * 0.5);
	EXPECT_EQ(lee(r[5]), m.area);
	EXPECT_EQ(lee(r[6]), m.error_area);
	EXPECT_EQ(lee(r[7]), m.fondo);
	EXPECT_EQ(lee(r[8]), m.chi2_gl);
	EXPECT_EQ(lee(r[9]), double{conocida});
	EXPECT_EQ(lee(r[10]), double{conocida} - (m.centroide + 10.25) * 0.5);
	// Uncalibrated: no wavelength, no width in it, no residual.
	auto sin = filas(tabla_picos(lista, punto, {}));
	EXPECT_EQ(sin[2][2] + sin[2][4] + sin[2][10], "");
	EXPECT_EQ(lee(sin[2][9]), double{conocida});

	// Two lines measured together: each row names the group's first line in
	// channel order by its mark's number, whatever order the marks came in.
	MedidaPico alta = ajustado(520), baja = ajustado(510);
	alta.grupo = baja.grupo = 7;
	lista.push_back(alta); // mark 3
	lista.push_back(baja); // mark 4, the group's first line
	auto g = filas(tabla_picos(lista, punto, {}));
	ASSERT_EQ(g.size(), 5u); // header, 300, 510, 520, 701.2
	EXPECT_EQ(g[2][11], "4");
	EXPECT_EQ(g[3][11], "4");
	EXPECT_EQ(g[4][11], "");
}

TEST(TablaPicos, NombrePropuesto)
{
	char nombre[TAM_NOMBRE];
	nombre_tabla_picos("/datos/kelp.Spe", nombre);
	EXPECT_STREQ(nombre, "/datos/kelp-picos.tsv");
	nombre_tabla_picos("/dat.os/kelp", nombre);
	EXPECT_STREQ(nombre, "/dat.os/kelp-picos.tsv");
}
