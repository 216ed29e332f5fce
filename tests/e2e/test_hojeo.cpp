// The peak and folder keys on the real program: Ctrl with an arrow to the
// next line, in the menu and in a calibration dialog, and Page Down / Page Up
// through a folder of spectra with an unreadable file among them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int X_FIN = PWX - MARGEN_CAMPO_FIN;

// A session in an empty folder holding the given files, copied from these sources.
struct Fichero {
	std::string nombre, origen;
};
void llena(Sesion &s, std::initializer_list<Fichero> ficheros)
{
	for (const Fichero &f : ficheros)
		arnes::escribe_fichero(s.ruta(f.nombre),
		                       f.origen.empty() ? "hola\n" : arnes::lee_fichero(f.origen));
}

bool fin_es(Sesion &s, const std::string &fin)
{
	return s.espera_texto(X_FIN, Y_INFO_1, "cn.fin=" + fin);
}
bool cursor_es(Sesion &s, const std::string &cur)
{
	return s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=" + cur);
}

// The example as a.txt, the NaI spectrum (1001 channels) after it, and the
// example loaded: whether it showed.
bool ejemplo_y_otro(Sesion &s, const std::string &otro)
{
	llena(s, {{"a.txt", ejemplo()}, {otro, datos_prueba("real/nai-1001.txt")}});
	s.carga("a.txt");
	return fin_es(s, "1500 ");
}

// The graph below the title line.
bool misma_grafica(const arnes::Imagen &a, const arnes::Imagen &b)
{
	constexpr int DESDE = Y_GRAFICA + 15;
	return a.ancho == b.ancho && std::equal(a.px.begin() + DESDE * a.ancho, a.px.end(),
	                                        b.px.begin() + DESDE * b.ancho, b.px.end());
}

// The window once two looks a moment apart agree.
arnes::Imagen quieta(Sesion &s)
{
	arnes::Imagen img;
	arnes::espera_hasta(
	    [&] {
		    img = s.captura();
		    arnes::duerme_ms(150);
		    return img.px == s.captura().px;
	    },
	    Sesion::ESPERA);
	return img;
}

} // namespace

// In byte order P < Q < Z < a; Q cannot be read.
TEST(Hojeo, AvPagYRePagRecorrenLaCarpetaSaltandoLoQueNoSeLee)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	llena(s, {{"P.txt", datos_prueba("real/hpge-pottery-16384.txt")},
	          {"Q-roto.txt", ""},
	          {"Z.txt", datos_prueba("real/nai-1001.txt")},
	          {"a.txt", ejemplo()}});
	s.carga("a.txt");
	ASSERT_TRUE(fin_es(s, "1500 "));
	arnes::Imagen lineal = quieta(s);
	s.tecla("Tab");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !misma_grafica(s.captura(), lineal); }, Sesion::ESPERA));
	arnes::Imagen logaritmica = quieta(s);
	s.tecla("Tab");
	ASSERT_TRUE(arnes::espera_hasta([&] { return misma_grafica(s.captura(), lineal); }, Sesion::ESPERA));
	s.tecla("Prior");
	ASSERT_TRUE(fin_es(s, "1001 "));
	EXPECT_TRUE(cursor_es(s, "501 "));
	s.tecla("Prior");
	ASSERT_TRUE(fin_es(s, "16384"));
	EXPECT_FALSE(busca_texto(s.captura(), "Q-roto").has_value()); // passed over in silence
	s.tecla("Prior"); // the folder's start: nothing, as the arrow after it shows
	s.tecla("shift+Right");
	ASSERT_TRUE(cursor_es(s, "8193 "));
	EXPECT_TRUE(fin_es(s, "16384"));

	s.tecla("Tab"); // logarithmic from here on
	s.tecla("Next");
	ASSERT_TRUE(fin_es(s, "1001 "));
	s.tecla("Next");
	ASSERT_TRUE(fin_es(s, "1500 "));
	EXPECT_TRUE(cursor_es(s, "750 "));
	EXPECT_TRUE(
	    arnes::espera_hasta([&] { return misma_grafica(s.captura(), logaritmica); }, Sesion::ESPERA));
	s.tecla("Next"); // the folder's end
	s.tecla("Tab");  // back to linear: the same fresh view as the first load
	EXPECT_TRUE(arnes::espera_hasta([&] { return misma_grafica(s.captura(), lineal); }, Sesion::ESPERA));
	EXPECT_TRUE(fin_es(s, "1500 "));
	EXPECT_EQ(s.sal(), 0);
}

TEST(Hojeo, ElDialogoDeCargaProponeElFicheroHojeado)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	ASSERT_TRUE(ejemplo_y_otro(s, "b-siguiente.txt"));
	s.tecla("Next");
	ASSERT_TRUE(fin_es(s, "1001 "));
	EXPECT_TRUE(s.carga_propone("b-siguiente.txt"));
	EXPECT_EQ(s.sal(), 0);
}

// The example's lines nearest its middle (750) are at 703 and 808.
TEST(Hojeo, EnUnDialogoDeCalibracionAvPagNoHaceNadaYControlDerechaSi)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	ASSERT_TRUE(ejemplo_y_otro(s, "b.txt"));
	s.abre_dialogo("c", DIALOGO_CALIBRA_1.titulo);
	s.tecla("Next");
	s.tecla("ctrl+Right");
	ASSERT_TRUE(cursor_es(s, "808 "));
	EXPECT_TRUE(fin_es(s, "1500 "));
	s.tecla("ctrl+Left");
	EXPECT_TRUE(cursor_es(s, "703 "));
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "Poner cursor").has_value(); },
	                                Sesion::ESPERA));
	s.tecla("Next"); // back in the menu it browses
	EXPECT_TRUE(fin_es(s, "1001 "));
	EXPECT_EQ(s.sal(), 0);
}

using PicosEnElMenu = EjemploCargado;

TEST_F(PicosEnElMenu, ControlYFlechasVanDeLineaEnLineaYLaVentanaLasSigue)
{
	s.tecla("ctrl+Right");
	ASSERT_TRUE(cursor_es(s, "808 "));
	s.tecla("ctrl+Left");
	ASSERT_TRUE(cursor_es(s, "703 "));
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_1, 11), "cn.ini=1   ");
	// Only the cursor was redrawn: a full redraw would have wiped the title.
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 5), "\"...\"");
	// Zoomed to 241..963, the lines at 808, 834 and 900 lie inside; 979 does
	// not, and the window of 722 channels centres on it.
	s.tecla("Up");
	s.tecla("Up");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=241 "));
	for (int i = 0; i < 3; i++)
		s.tecla("ctrl+Right");
	ASSERT_TRUE(cursor_es(s, "900 "));
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_1, 11), "cn.ini=241 ");
	s.tecla("ctrl+Right");
	ASSERT_TRUE(cursor_es(s, "979 "));
	EXPECT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=618 "));
	EXPECT_TRUE(fin_es(s, "1340 "));
	EXPECT_NE(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 5), "\"...\"");
}

// A file that loads with a notice shows it when browsed to, as "Leer Datos"
// would, and stays loaded.
TEST(Hojeo, UnFicheroQueCargaConAvisoLoMuestraAlHojear)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	llena(s, {{"a.txt", ejemplo()}});
	arnes::escribe_fichero(s.ruta("b.csv"), "nm,I\n400,5\n401,7\n403,9\n402,6\n"); // x turns back
	s.carga("a.txt");
	ASSERT_TRUE(fin_es(s, "1500 "));
	s.tecla("Next");
	ASSERT_TRUE(s.espera_en_pantalla("se repite o vuelve")); // on the status line: no box to close
	EXPECT_TRUE(fin_es(s, "3    "));
	EXPECT_EQ(s.sal(), 0);
}

// The title bar names the file on screen by its base name, after a load and
// after each Page Down; before any load it is Allegro's own.
TEST(Hojeo, LaBarraDeTituloNombraElFicheroCargadoYElHojeado)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	std::filesystem::create_directory(s.ruta("sub"));
	arnes::escribe_fichero(s.ruta("sub/a.txt"), arnes::lee_fichero(ejemplo()));
	arnes::escribe_fichero(s.ruta("sub/b.Spe"),
	                       arnes::lee_fichero(datos_prueba("real/hpge-pottery.Spe")));
	std::string antes = arnes::titulo_ventana(s.x());
	EXPECT_EQ(antes.find(TITULO_VENTANA_CARGADO), std::string::npos) << antes;
	s.carga("sub/a.txt");
	ASSERT_TRUE(fin_es(s, "1500 "));
	EXPECT_EQ(arnes::titulo_ventana(s.x()), "Orquilo \u2014 a.txt");
	s.tecla("Next");
	ASSERT_TRUE(fin_es(s, "16384"));
	EXPECT_EQ(arnes::titulo_ventana(s.x()), "Orquilo \u2014 b.Spe");
	EXPECT_EQ(s.sal(), 0);
}
