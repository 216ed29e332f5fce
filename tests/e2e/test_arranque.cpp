// Start-up and exit of the real program: the window sized from the desktop,
// the header and graph area, the exit dialog with its help text.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e.h"
#include "textos.h"

namespace {

struct Tamano {
	int escritorio_x, escritorio_y, ventana_x, ventana_y;
};

void comprueba_ventana(const Tamano &t)
{
	Sesion s(t.escritorio_x, t.escritorio_y);
	arnes::Imagen img = s.captura();
	ASSERT_EQ(img.ancho, t.ventana_x);
	ASSERT_EQ(img.alto, t.ventana_y);
	int wx = t.ventana_x - 10, wy = t.ventana_y - 95;
	EXPECT_EQ(img.en(5, 90), BLANCO_E2E);
	EXPECT_EQ(img.en(5 + wx - 1, 90 + wy - 1), BLANCO_E2E);
	EXPECT_EQ(img.en(4, 90), AZUL_FONDO);
	EXPECT_EQ(img.en(5 + wx, 90 + wy - 1), AZUL_FONDO);
	EXPECT_EQ(img.en(5, 89), AZUL_FONDO);
	EXPECT_EQ(img.en(5, 90 + wy), AZUL_FONDO);
	EXPECT_EQ(img.en(100, 25), AZUL_FONDO);
	EXPECT_EQ(lee_texto(img, 5, 15, 7), "Velmora");
	EXPECT_EQ(lee_texto(img, 5, 35, 5), "Dpto.");
	EXPECT_EQ(lee_texto(img, 5, 45, 7), "Tarquen");
	EXPECT_EQ(s.sal(), 0);
}

} // namespace

TEST(Arranque, VentanaDe824x568EnEscritorioDe1024x768)
{
	comprueba_ventana({1024, 768, 824, 568});
}
TEST(Arranque, VentanaMinimaEnEscritorioDe800x600)
{
	comprueba_ventana({800, 600, 640, 480});
}
TEST(Arranque, VentanaDe1400x1000EnEscritorioDe1600x1200)
{
	comprueba_ventana({1600, 1200, 1400, 1000});
}

TEST(Arranque, EscAbreLaAyudaYOtroEscVuelveAlMenuSinCambios)
{
	Sesion s;
	arnes::Imagen antes = s.captura();
	s.abre_dialogo("Escape", DIALOGO_SALIDA.titulo);
	arnes::Imagen ayuda = s.captura();
	EXPECT_TRUE(busca_texto(ayuda, "Orquilo      Vers. " ORQ_VERSION).has_value());
	auto flechas = busca_texto(ayuda, "Flechas <-/-> del teclado");
	auto tab = busca_texto(ayuda, "Tecla TAB cambia entre escalas lineal y logaritmica.");
	auto nueva = busca_texto(
	    ayuda,
	    "Ctrl+flechas: al pico siguiente.  AvPag/RePag: fichero siguiente/anterior.  P: medir el pico.");
	auto fondo = busca_texto(ayuda, "F: espectro de fondo.  R: restar el fondo o volver a verlo debajo.");
	auto importa = busca_texto(ayuda, "I: ver y cambiar c");
	auto muchas = busca_texto(
	    ayuda, "Calibrar con muchos picos: en cada uno P, su longitud de onda, Tab, Espacio, Enter.");
	ASSERT_TRUE(flechas && tab && nueva && fondo && importa && muchas);
	// The new lines close the key block, one under the other after the Tab line.
	int paso = tab->second - flechas->second;
	for (auto [arriba, abajo] :
	     {std::pair{tab, nueva}, {nueva, fondo}, {fondo, importa}, {importa, muchas}}) {
		EXPECT_EQ(abajo->first, tab->first);
		EXPECT_EQ(abajo->second - arriba->second, paso);
	}
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return s.captura().px == antes.px; }, Sesion::ESPERA));
	EXPECT_TRUE(s.programa().vivo());
	EXPECT_EQ(s.sal(), 0);
}

TEST(Arranque, SinPantallaTerminaConEstadoUnoYUnMensaje)
{
	std::string carpeta = arnes::carpeta_temporal("sin-pantalla");
	std::string orden =
	    "cd " + carpeta + " && env -u DISPLAY " + ORQ_BINARIO + " >salida 2>&1 </dev/null";
	int estado = std::system(orden.c_str());
	ASSERT_TRUE(WIFEXITED(estado));
	EXPECT_EQ(WEXITSTATUS(estado), 1);
	EXPECT_EQ(arnes::lee_fichero(carpeta + "/salida"), "Error instalando ALLEGRO\n");
}
