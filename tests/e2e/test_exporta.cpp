// "Exportar tabla (x, intensidad)" in the save dialog, on the real program:
// the channel or the wavelength, and the intensity or the net intensity, a
// row a channel; a folder that does not exist only gives a message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int CANALES = 1500;
constexpr float NIVEL_FONDO = 12;

struct Tabla {
	std::string cabecera;
	std::vector<double> x;
	std::vector<float> y;
};

Tabla lee_tabla(const std::string &texto)
{
	Tabla t;
	std::istringstream in(texto);
	std::getline(in, t.cabecera);
	for (std::string fila; std::getline(in, fila);) {
		size_t coma = fila.find(',');
		t.x.push_back(std::strtod(fila.substr(0, coma).c_str(), nullptr));
		t.y.push_back(std::strtof(fila.substr(coma + 1).c_str(), nullptr));
	}
	return t;
}

// Focus order of the save dialog: image (box, name, browse), data (the
// same), then the table's box and its name.
void exporta(Sesion &s, const std::string &nombre)
{
	s.abre_dialogo("g", DIALOGO_GUARDA_TABLA.titulo);
	ASSERT_TRUE(s.espera_en_pantalla("Exportar tabla (x, intensidad)"));
	for (int i = 0; i < 6; i++)
		s.tecla("Tab");
	s.tecla("space");
	s.tecla("Tab");
	s.reemplaza_campo(nombre);
	s.tecla("Return");
}

Tabla exporta_y_lee(Sesion &s, const std::string &nombre)
{
	exporta(s, nombre);
	std::string texto;
	EXPECT_TRUE(arnes::espera_hasta(
	    [&] {
		    texto = arnes::lee_fichero(s.ruta(nombre));
		    return !texto.empty() && texto.back() == '\n' &&
		           std::count(texto.begin(), texto.end(), '\n') > CANALES;
	    },
	    Sesion::ESPERA));
	return lee_tabla(texto);
}

} // namespace

TEST_F(EjemploCargado, SinCalibrarExportaCanalEIntensidadYEnLaVistaNetaLaNeta)
{
	std::vector<float> ejemplo_ = numeros_tras(arnes::lee_fichero(s.ruta("datos.txt")), 0);
	ASSERT_EQ(ejemplo_.size(), size_t(CANALES));
	Tabla t = exporta_y_lee(s, "tabla.csv");
	EXPECT_EQ(t.cabecera, "canal,intensidad");
	ASSERT_EQ(t.y.size(), size_t(CANALES));
	for (int c = 1; c <= CANALES; c++) {
		ASSERT_EQ(t.x[size_t(c - 1)], c);
		ASSERT_EQ(t.y[size_t(c - 1)], ejemplo_[size_t(c - 1)]) << c;
	}

	std::string fondo = "\"fondo plano\"\n0 0 0\n";
	for (int c = 1; c <= CANALES; c++)
		fondo += "12\n";
	arnes::escribe_fichero(s.ruta("fondo.txt"), fondo);
	s.abre_dialogo("f", DIALOGO_FONDO.titulo);
	s.reemplaza_campo("fondo.txt");
	s.tecla("Return");
	ASSERT_TRUE(s.espera_en_pantalla("Fondo \"fondo plano\""));
	s.tecla("r");
	ASSERT_TRUE(s.espera_en_pantalla("(restado)"));
	Tabla neta = exporta_y_lee(s, "neta.csv");
	EXPECT_EQ(neta.cabecera, "canal,intensidad_neta");
	ASSERT_EQ(neta.y.size(), size_t(CANALES));
	for (int c = 1; c <= CANALES; c++)
		ASSERT_EQ(neta.y[size_t(c - 1)],
		          static_cast<float>(double(ejemplo_[size_t(c - 1)]) - NIVEL_FONDO))
		    << c;
}

TEST(Exporta, CalibradoExportaLaLongitudDeOndaDeCadaCanal)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	std::string datos = arnes::lee_fichero(datos_prueba("real/hpge-pottery-16384-kev.txt"));
	arnes::escribe_fichero(s.ruta("kev.txt"), datos);
	s.carga("kev.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=16384"));
	std::vector<float> cuentas = numeros_tras(datos, 2);
	ASSERT_EQ(cuentas.size(), 16384u);
	const double al = 0.182804, bl = -1.191938; // its header
	Tabla t = exporta_y_lee(s, "kev-tabla.csv");
	EXPECT_EQ(t.cabecera, "longitud_de_onda,intensidad");
	ASSERT_EQ(t.y.size(), cuentas.size());
	for (size_t i = 0; i < cuentas.size(); i++) {
		double c = double(i + 1);
		ASSERT_NEAR(t.x[i], (c + bl) * al, 1e-6 * std::fabs((c + bl) * al) + 1e-9) << c;
		ASSERT_EQ(t.y[i], cuentas[i]) << c;
	}
}

TEST_F(EjemploCargado, UnaCarpetaQueNoExisteDaUnMensajeYNoEscribeNada)
{
	arnes::escribe_fichero(s.ruta("tabla.csv"), "vieja\n");
	exporta(s, "falta/tabla.csv");
	EXPECT_TRUE(s.espera_en_pantalla("No se puede guardar el fichero falta/tabla.csv"));
	s.tecla("Return");
	EXPECT_EQ(arnes::lee_fichero(s.ruta("tabla.csv")), "vieja\n");
}
