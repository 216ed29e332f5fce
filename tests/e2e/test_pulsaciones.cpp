// Presses as input tools and remote desktops send them, down and up within a
// few milliseconds: each one acts once, with the Shift it came with.  And a
// spectrum turned by its falling calibration, less a background lined up by
// channel, turns that background with it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int PULSACIONES = 50;
constexpr int ENTRE_MS = 100; // quicker than the plot's pause: presses wait their turn
constexpr int CANALES = 100;

int cursor(Sesion &s)
{
	return std::atoi(s.lee(X_CAMPO_CURSOR, Y_INFO_1, 12).c_str() + 7);
}

} // namespace

TEST_F(EjemploCargado, CadaPulsacionBreveCuentaUnaVezConSusMayusculas)
{
	ASSERT_EQ(cursor(s), 750);
	arnes::teclas_breves(s.x(), std::vector<std::string>(PULSACIONES, "shift+Right"), ENTRE_MS);
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=800 ")) << cursor(s);
	arnes::duerme_ms(1000); // nothing more comes
	EXPECT_EQ(cursor(s), 750 + PULSACIONES);
	int antes = s.anuncios(std::string("dialogo: ") + DIALOGO_PICO.titulo);
	arnes::teclas_breves(s.x(), {"p"}, 0);
	EXPECT_TRUE(s.espera_anuncio(std::string("dialogo: ") + DIALOGO_PICO.titulo, antes))
	    << "P sin informe";
	s.tecla("Escape");
}

// Page Down and Right pressed together: the next file loads, then the cursor
// moves on it.  The file is large enough that its load is still running when
// the Right comes.
TEST_F(EjemploCargado, LaPulsacionTrasUnaTeclaDeMenuEsperaSuTurno)
{
	constexpr int MUESTRAS = 90000;
	std::string otro;
	for (int c = 1; c <= MUESTRAS; c++)
		otro += std::to_string(c % 97) + "\n";
	arnes::escribe_fichero(s.ruta("otro.txt"), otro); // after datos.txt by its name
	arnes::teclas_breves(s.x(), {"Next", "Right"}, 1);
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=90000 "));
	EXPECT_TRUE(arnes::espera_hasta([&] { return cursor(s) > MUESTRAS / 2; }, Sesion::ESPERA))
	    << cursor(s);
}

// Taps of one key sent within the same millisecond each count, like taps
// sent further apart.
TEST_F(EjemploCargado, ToquesDeUnaTeclaEnElMismoMilisegundoCuentanTodos)
{
	constexpr int TOQUES = 6;
	ASSERT_EQ(cursor(s), 750);
	arnes::baja_tecla(s.x(), "shift");
	arnes::teclas_breves(s.x(), std::vector<std::string>(TOQUES, "Right"), 0);
	arnes::sube_tecla(s.x(), "shift");
	ASSERT_TRUE(arnes::espera_hasta([&] { return cursor(s) != 750; }, Sesion::ESPERA));
	arnes::duerme_ms(1000); // every tap served by now
	EXPECT_EQ(cursor(s), 750 + TOQUES);
}

// Counts 10, 20, ... under a calibration that falls (wavelength 1001 - c),
// less the same counts read as a table with no calibration, factor 1.
TEST(Fondo, UnEspectroQueSeDaLaVueltaMenosSuCopiaSinCalibrarGuardaCeros)
{
	Sesion s;
	std::string espectro = "\"cae\"\n" + std::to_string(CANALES) + " -1 -1001\n", copia;
	for (int c = 1; c <= CANALES; c++) {
		espectro += std::to_string(10 * c) + "\n";
		copia += std::to_string(10 * c) + "\n";
	}
	arnes::escribe_fichero(s.ruta("cae.txt"), espectro);
	arnes::escribe_fichero(s.ruta("copia.txt"), copia);
	s.carga("cae.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=100 "));
	s.abre_dialogo("f", DIALOGO_FONDO.titulo);
	s.reemplaza_campo("copia.txt");
	s.tecla("Return");
	ASSERT_TRUE(s.espera_en_pantalla("Fondo \"...\" x 1"));
	s.tecla("r");
	ASSERT_TRUE(s.espera_en_pantalla("x 1 (restado)"));
	s.guarda(false, true, "", "neto.txt");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !arnes::lee_fichero(s.ruta("neto.txt")).empty(); },
	                                Sesion::ESPERA));
	std::istringstream escrito(arnes::lee_fichero(s.ruta("neto.txt")));
	std::string linea;
	std::getline(escrito, linea); // the title
	std::getline(escrito, linea); // the header
	std::vector<float> neto;
	for (float v; escrito >> v;)
		neto.push_back(v);
	EXPECT_EQ(neto, std::vector<float>(CANALES, 0.0f));
	EXPECT_EQ(s.sal(), 0);
}
