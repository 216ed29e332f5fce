// Calibrating from many lines through the real program: three lines of the
// uncalibrated pottery spectrum given their energies in the "Pico" dialog,
// the residuals dialog, the info line at a fourth line, and the table.
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

struct Fila {
	double canal, longitud, conocida, residuo;
};

// The rows of the table of peaks: centroid, calibrated and known wavelength, residual.
std::vector<Fila> lee_tabla(const std::string &tabla)
{
	std::vector<Fila> filas;
	std::stringstream in(tabla);
	std::string linea;
	std::getline(in, linea); // the header
	while (std::getline(in, linea)) {
		std::vector<std::string> c(1);
		for (char ch : linea)
			if (ch == '\t')
				c.emplace_back();
			else
				c.back() += ch;
		auto n = [&](int i) { return std::strtod(c.at(i).c_str(), nullptr); };
		filas.push_back({n(0), n(2), n(9), n(10)});
	}
	return filas;
}

class CalibracionPicos : public ::testing::Test {
protected:
	Sesion s{ESCRITORIO_X, ESCRITORIO_Y, false};
	void TearDown() override { EXPECT_EQ(s.sal(), 0); }

	// Presses a key and waits for the cursor to reach `canal`.
	void lleva(const std::string &tecla, int canal)
	{
		char t[16];
		std::snprintf(t, sizeof t, "cn.cur=%-4i", canal);
		s.tecla(tecla);
		ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, t)) << tecla << " to " << canal;
	}
	// P on the line under the cursor, its energy typed, Tab, Space, Enter.
	void usa_pico(const std::string &energia)
	{
		s.abre_dialogo("p", DIALOGO_PICO.titulo);
		ASSERT_TRUE(s.espera_en_pantalla("Longitud de onda conocida"));
		s.reemplaza_campo(energia);
		s.tecla("Tab");
		s.tecla("space");
		s.tecla("Return");
	}
	// Waits for the residuals of n points.
	void espera_residuos(int n, int previos)
	{
		std::string anuncio = "dialogo: Calibración con " + std::to_string(n) + " picos";
		ASSERT_TRUE(s.espera_anuncio(anuncio, previos)) << s.programa().salida();
		ASSERT_TRUE(s.espera_en_pantalla("RMS de los residuos"))
		    << anuncio << "; sin pendiente: " << busca_texto(s.captura(), "sin pendiente").has_value()
		    << "; " << s.programa().salida();
	}
};

} // namespace

TEST_F(CalibracionPicos, TresLineasDanLaRectaSusResiduosYLaEnergiaDeUnaCuarta)
{
	arnes::escribe_fichero(s.ruta("alfareria.txt"),
	                       arnes::lee_fichero(datos_prueba("real/hpge-pottery-16384.txt")));
	s.carga("alfareria.txt");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=8192"));
	// The cursor steps a fifteenth of the window (1092 channels); Ctrl and an
	// arrow go on to the next line.
	for (int c : {7100, 6008, 4916, 3824, 2732})
		ASSERT_NO_FATAL_FAILURE(lleva("Left", c));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Right", 2798)); // 511 keV
	ASSERT_NO_FATAL_FAILURE(usa_pico("510.999"));
	for (int c : {3890, 4982, 6074, 7166, 8258})
		ASSERT_NO_FATAL_FAILURE(lleva("Right", c));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Left", 7994)); // 1460.8 keV
	ASSERT_NO_FATAL_FAILURE(usa_pico("1460.820"));
	ASSERT_NO_FATAL_FAILURE(espera_residuos(2, 0));
	s.tecla("Return");
	for (int c : {9086, 10178, 11270, 12362, 13454})
		ASSERT_NO_FATAL_FAILURE(lleva("Right", c));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Right", 13712));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Right", 14309)); // 2614.5 keV
	ASSERT_NO_FATAL_FAILURE(usa_pico("2614.511"));
	ASSERT_NO_FATAL_FAILURE(espera_residuos(3, 0));
	arnes::Imagen residuos = s.captura();
	s.tecla("Return");
	// P on a point opens on its energy, ticked: clearing the box takes the
	// point away, and giving it again puts the same line back.
	s.abre_dialogo("p", DIALOGO_PICO.titulo);
	ASSERT_TRUE(s.espera_en_pantalla("2614.511"));
	s.tecla("Tab");
	s.tecla("space");
	s.tecla("Return");
	ASSERT_NO_FATAL_FAILURE(espera_residuos(2, 1));
	s.tecla("Return");
	ASSERT_NO_FATAL_FAILURE(usa_pico("2614.511"));
	ASSERT_NO_FATAL_FAILURE(espera_residuos(3, 1));
	s.tecla("Return");

	s.abre_dialogo("g", DIALOGO_GUARDA_PICOS.titulo);
	s.tecla("Return"); // only the table is ticked
	std::string tabla;
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return (tabla = arnes::lee_fichero(s.ruta("alfareria-picos.tsv"))).size() > 0; },
	    Sesion::ESPERA));
	std::vector<Fila> f;
	for (const Fila &r : lee_tabla(tabla))
		if (r.conocida != 0) // the calibration points; a measure may have found a neighbour too
			f.push_back(r);
	ASSERT_EQ(f.size(), 3u) << tabla;
	// The least-squares line through the table's points, by the closed form.
	double n = 3, sx = 0, sy = 0, sxx = 0, sxy = 0;
	for (const Fila &r : f) {
		sx += r.canal;
		sy += r.conocida;
		sxx += r.canal * r.canal;
		sxy += r.canal * r.conocida;
	}
	double b = (n * sxy - sx * sy) / (n * sxx - sx * sx), a = (sy - b * sx) / n;
	const double energias[] = {510.999, 1460.820, 2614.511};
	double suma2 = 0;
	for (int i = 0; i < 3; i++) {
		EXPECT_NEAR(f[i].conocida, energias[i], 1e-3);
		// The calibration keeps its slope and offset in single precision.
		EXPECT_NEAR(f[i].longitud, a + b * f[i].canal, 2e-3) << i;
		EXPECT_NEAR(f[i].residuo, f[i].conocida - f[i].longitud, 1e-9) << i;
		suma2 += f[i].residuo * f[i].residuo;
		// Each point on its line of the residuals dialog.
		char fila[128];
		std::snprintf(fila, sizeof fila, CALIBRACION_FILA, f[i].canal, f[i].conocida, f[i].longitud,
		              f[i].residuo);
		std::string texto = fila;
		EXPECT_TRUE(busca_texto(residuos, texto.substr(texto.find_first_not_of(' '))).has_value())
		    << fila;
	}
	char rms[64];
	std::snprintf(rms, sizeof rms, CALIBRACION_RMS, std::sqrt(suma2 / 3));
	EXPECT_TRUE(busca_texto(residuos, rms).has_value()) << rms;

	// A fourth line, Cs-134's at 795.86 keV (stop 4357): the info line reads
	// the calibration there.
	for (int c : {13217, 12125, 11033, 9941, 8849, 7757, 6665, 5573, 4481})
		ASSERT_NO_FATAL_FAILURE(lleva("Left", c));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Left", 4389));
	ASSERT_NO_FATAL_FAILURE(lleva("ctrl+Left", 4357));
	std::string lo = s.lee(X_CAMPO_CURSOR, Y_INFO_2, 15);
	ASSERT_EQ(lo.substr(0, 7), "lo.cur=");
	double leida = std::strtod(lo.c_str() + 7, nullptr);
	EXPECT_NEAR(leida, a + b * 4357, 0.006);
	EXPECT_NEAR(leida, 795.86, 0.1);
}
