// Notices that do not stop the work: browsing a folder of tables that each
// come with a note on how they were read takes one key a file, and the
// status line says each note; a file that cannot be read still gets its box.
#include <gtest/gtest.h>

#include <string>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int FICHEROS = 10;
constexpr int X_FIN = PWX - MARGEN_CAMPO_FIN;

// File k: a table of three columns (x, counts, their error), 100 + k rows.
std::string tabla(int k)
{
	std::string t = "x;cuentas;error\n";
	for (int i = 0; i < 100 + k; i++)
		t += std::to_string(400 + i) + ";" + std::to_string((i * 7 + k) % 50) + ";3\n";
	return t;
}

std::string nombre(int k)
{
	return std::string("t") + static_cast<char>('0' + k / 10) + static_cast<char>('0' + k % 10) + ".csv";
}

} // namespace

TEST(LineaEstado, AvPagRecorreDiezTablasConSuNotaEnLaLineaDeEstadoSinCajas)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	std::string lista;
	for (int i = 0; i < 90; i++)
		lista += std::to_string(i % 13) + "\n";
	arnes::escribe_fichero(s.ruta("a.txt"), lista);
	for (int k = 1; k <= FICHEROS; k++)
		arnes::escribe_fichero(s.ruta(nombre(k)), tabla(k));
	arnes::escribe_fichero(s.ruta("vacio.txt"), "");
	s.carga("a.txt");
	ASSERT_TRUE(s.espera_texto(X_FIN, Y_INFO_1, "cn.fin=90  "));
	const std::string caja = std::string("dialogo: ") + DIALOGO_AVISO.titulo;
	for (int k = 1; k <= FICHEROS; k++) {
		s.tecla("Next");
		ASSERT_TRUE(s.espera_texto(X_FIN, Y_INFO_1, "cn.fin=" + std::to_string(100 + k))) << k;
		// The note the box used to hold, on the status line, whole on the output.
		std::string nota =
		    "estado: " + nombre(k) + ": de 3 columnas, x es la 1 (x) y la intensidad la 2 (cuentas).";
		ASSERT_TRUE(s.espera_anuncio(nota, 0)) << s.programa().salida();
		EXPECT_TRUE(s.espera_en_pantalla(nombre(k) + ": de 3 columnas, x es la 1", Sesion::ESPERA,
		                                 arnes::Zona{X_ESTADO, Y_ESTADO, PWX - X_ESTADO, 8}))
		    << k;
	}
	EXPECT_EQ(s.anuncios(caja), 0);

	// A command clears it; a file refused still says why in a box.
	int previos = s.anuncios(caja);
	s.carga("vacio.txt");
	EXPECT_TRUE(s.espera_anuncio(caja, previos));
	EXPECT_TRUE(s.espera_en_pantalla("vacio.txt"));
	s.tecla("Return");
	EXPECT_EQ(s.lee(X_ESTADO, Y_ESTADO, 10), std::string(10, ' '));
	EXPECT_EQ(s.sal(), 0);
}
