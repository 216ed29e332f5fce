// The import view on the real program: I shows how the loaded table was read
// and a changed intensity column loads other samples; a file that reads two
// ways opens the view by itself, and Enter takes the program's pick.
#include <gtest/gtest.h>

#include <string>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int FILAS = 40;
constexpr int CAMPOS_ANTES_DE_LA_INTENSIDAD = 6; // list, header, separator, decimal, thousands, x

std::string in_cur(Sesion &s)
{
	return s.lee(X_CAMPO_TERCERO, Y_INFO_1, 15);
}

} // namespace

TEST(Importa, CambiarLaColumnaDeIntensidadCargaOtrasMuestras)
{
	Sesion s;
	std::string tabla = "nm,cuentas,sigma\n"; // the intensity by its name; sigma is no intensity
	for (int f = 1; f <= FILAS; f++)
		tabla += std::to_string(400 + f) + ".5," + std::to_string(10 * f) + "," +
		         std::to_string(1000 + f) + "\n";
	arnes::escribe_fichero(s.ruta("tres.csv"), tabla);
	s.carga("tres.csv");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=40  "));
	ASSERT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=200.0   ")); // cuentas, row 20
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("nm,cuentas,sigma"));
	for (int i = 0; i < CAMPOS_ANTES_DE_LA_INTENSIDAD; i++)
		s.tecla("Tab");
	s.reemplaza_campo("3");
	s.tecla("Return");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=1020.0  ")) << in_cur(s);
	EXPECT_EQ(s.sal(), 0);
}

TEST(Importa, UnFicheroQueSeLeeDeDosManerasAbreLaVistaYEnterTomaLaDelPrograma)
{
	Sesion s;
	std::string cuentas; // four counts a row, no column going anywhere smoothly
	unsigned azar = 1;
	for (int f = 0; f < FILAS; f++)
		for (int k = 0; k < 4; k++) {
			azar = azar * 1103515245u + 12345u;
			cuentas += std::to_string(100 + (azar >> 16) % 800) + (k == 3 ? "\n" : " ");
		}
	arnes::escribe_fichero(s.ruta("cuatro.txt"), cuentas);
	s.abre_dialogo("l", DIALOGO_CARGA.titulo);
	s.reemplaza_campo("cuatro.txt");
	s.tecla("Return");
	ASSERT_TRUE(s.espera_anuncio(std::string("dialogo: ") + DIALOGO_IMPORTA.titulo, 0));
	EXPECT_TRUE(s.espera_en_pantalla("Se puede leer de 2 maneras"));
	s.tecla("Return");
	EXPECT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=160 ")); // every count
	EXPECT_TRUE(s.espera_en_pantalla("se leen todos, fila a fila"));              // and it says how
	EXPECT_EQ(s.sal(), 0);
}

// A file in an instrument's format: the view says so, and Enter with the
// fields untouched loads it as it was, never as a table.
TEST(Importa, UnFicheroDeInstrumentoSeQuedaEnSuFormato)
{
	Sesion s;
	arnes::escribe_fichero(s.ruta("alfareria.Spe"),
	                       arnes::lee_fichero(datos_prueba("real/hpge-pottery.Spe")));
	s.carga("alfareria.Spe");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=16384"));
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("Se lee por su propio formato"));
	s.tecla("Return");
	const std::string aviso = std::string("dialogo: ") + DIALOGO_AVISO.titulo;
	EXPECT_FALSE(s.espera_anuncio(aviso, 0, 3)); // read as a table it would stop at its first line
	EXPECT_TRUE(
	    s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_2, "lo.fin=2994.66")); // every $MCA_CAL term
	EXPECT_EQ(s.sal(), 0);
}

// I then Enter leaves the file loaded under its name: the load dialog still
// proposes it, and Page Down goes on to the next file of its folder.
TEST(Importa, TrasIYEnterElFicheroConservaSuNombre)
{
	Sesion s;
	std::string otro;
	for (int c = 1; c <= 200; c++)
		otro += std::to_string(c % 17) + "\n";
	arnes::escribe_fichero(s.ruta("otro.txt"), otro); // after datos.txt by its name
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	s.tecla("Return");
	EXPECT_TRUE(s.carga_propone("datos.txt"));
	s.tecla("Next");
	EXPECT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=200 "));
	EXPECT_EQ(s.sal(), 0);
}

// A text file that the reader refuses (no number in it) still opens the view
// after its load failed, with why it did not read, so that a reading can be
// chosen there.
TEST(Importa, UnFicheroDeTextoQueNoSeLeeAbreLaVista)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	arnes::escribe_fichero(s.ruta("notas.txt"), "muestra de kelp\nsin cuentas todavia\n");
	const std::string aviso = std::string("dialogo: ") + DIALOGO_AVISO.titulo;
	s.carga("notas.txt");
	ASSERT_TRUE(s.espera_anuncio(aviso, 0)); // the load says why
	s.tecla("Return");
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("sin cuentas todavia"));
	EXPECT_TRUE(s.espera_en_pantalla("notas.txt no contiene"));
	s.tecla("Escape");
	EXPECT_EQ(s.sal(), 0);
}

// The import view on a 640x480 screen: its box stands whole on the screen, a
// line of 100 characters is cut at the box's edge with a mark, and its fields
// keep room to type in.
TEST(Importa, EnUnaPantallaDe640x480LaVistaCabeEnSuCaja)
{
	constexpr uint32_t BARRA = 0x0A246A, BLANCO = 0xFFFFFF; // the dialogs' title bar, an edit box
	constexpr int CAMPO_USABLE = 5 * 8;                     // five characters
	Sesion s(640, 480, false);
	std::string larga = "#";
	while (larga.size() < 100)
		larga += " columna" + std::to_string(larga.size());
	std::string fichero = larga + "\n";
	for (int c = 1; c <= 50; c++)
		fichero += std::to_string(c) + "\n";
	arnes::escribe_fichero(s.ruta("ancho.txt"), fichero);
	s.carga("ancho.txt");
	ASSERT_TRUE(s.espera_texto(640 - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=50 "));
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	ASSERT_TRUE(s.espera_en_pantalla(larga.substr(0, 20)));
	arnes::Imagen img = s.captura();
	int y_barra = 0, x_fin = 0;
	while (y_barra < img.alto && img.en(DIALOGO_IMPORTA.x + 10, y_barra) != BARRA)
		y_barra++;
	ASSERT_LT(y_barra, img.alto) << "no title bar";
	for (int x = 0; x < img.ancho; x++)
		if (img.en(x, y_barra) == BARRA)
			x_fin = x;
	EXPECT_LT(x_fin, img.ancho - 1) << "the box runs off the screen";
	auto linea = busca_texto(img, larga.substr(0, 20));
	ASSERT_TRUE(linea.has_value());
	auto hasta_el_borde =
	    arnes::captura(s.x(), arnes::Zona{linea->first, linea->second, x_fin - linea->first, 8});
	EXPECT_TRUE(busca_texto(hasta_el_borde, "...").has_value())
	    << "the long line is not cut inside the box";
	const std::string etiqueta = "Columna de intensidad=";
	auto campo = busca_texto(img, etiqueta);
	ASSERT_TRUE(campo.has_value());
	int blancos = 0;
	for (int x = campo->first + 8 * static_cast<int>(etiqueta.size()); x < x_fin; x++)
		blancos += img.en(x, campo->second + 4) == BLANCO;
	EXPECT_GE(blancos, CAMPO_USABLE);
	s.tecla("Escape");
	EXPECT_EQ(s.sal(), 0);
}

// A text padded with NUL bytes, which the reader may take for binary: I
// opens the view on it all the same, its lines shown.
TEST(Importa, UnTextoRellenoDeNulosAbreLaVista)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false);
	arnes::escribe_fichero(s.ruta("relleno.txt"),
	                       "cuentas del lunes\n10\n20\n30\n" + std::string(4096, '\0'));
	const std::string aviso = std::string("dialogo: ") + DIALOGO_AVISO.titulo;
	s.carga("relleno.txt");
	if (s.espera_anuncio(aviso, 0, 3)) // refused, or read with a notice
		s.tecla("Return");
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("cuentas del lunes"));
	s.tecla("Escape");
	EXPECT_EQ(s.sal(), 0);
}

// The separator chosen by its name: the preview under the fields splits the
// rows the new way before Enter, and Esc then leaves the spectrum as it was.
TEST(Importa, ElSeparadorPorSuNombreCambiaLasColumnasDeLaVistaAntesDeEnter)
{
	constexpr int CAMPOS_ANTES_DEL_SEPARADOR = 2; // list or table, header
	constexpr int NOMBRES_DE_SEPARADOR = 4;
	Sesion s;
	std::string tabla = "nm,cuentas,sigma\n";
	for (int f = 1; f <= FILAS; f++)
		tabla += std::to_string(400 + f) + ".5," + std::to_string(10 * f) + "," +
		         std::to_string(1000 + f) + "\n";
	arnes::escribe_fichero(s.ruta("tres.csv"), tabla);
	s.carga("tres.csv");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=40  "));
	s.abre_dialogo("i", DIALOGO_IMPORTA.titulo);
	EXPECT_TRUE(s.espera_en_pantalla("< coma >"));
	EXPECT_TRUE(s.espera_en_pantalla("[1] nm (x)  [2] cuentas (intensidad)  [3] sigma"));
	EXPECT_TRUE(s.espera_en_pantalla("401.5       10"));
	for (int i = 0; i < CAMPOS_ANTES_DEL_SEPARADOR; i++)
		s.tecla("Tab");
	bool puesto = false; // Right goes through the names until "punto y coma"
	for (int i = 0; i < NOMBRES_DE_SEPARADOR && !puesto; i++) {
		s.tecla("Right");
		puesto = s.espera_en_pantalla("< punto y coma >", 3);
	}
	ASSERT_TRUE(puesto);
	EXPECT_TRUE(s.espera_en_pantalla("[1] nm,cuentas,sigma (x)  [2] (intensidad)"));
	EXPECT_TRUE(s.espera_en_pantalla("401.5,10,1001?")); // one field, no number
	s.tecla("Escape");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=200.0   ")) << in_cur(s);
	EXPECT_EQ(s.sal(), 0);
}
