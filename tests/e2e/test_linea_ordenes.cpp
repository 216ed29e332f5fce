// The real program's command line: --help and --version answer with no
// display and status 0, mistakes print the usage on standard error with
// status 2, and `orquilo FICHERO` opens the window with the file loaded.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr double ESPERA_ARRANQUE = 40;
// Long enough for the program to see the pointer where it was moved.
constexpr int PAUSA_RATON_MS = 300;
constexpr int DENTRO_DE_LA_CAJA = 20; // pixels from a message box's corner, on its text
constexpr uint32_t ROJO_CURVA = 0xFF0000;

struct Resultado {
	int estado = -1;
	std::string salida, errores;
};

// Runs the program with these words after its name and no display at all.
Resultado ejecuta_sin_pantalla(const std::string &argumentos)
{
	std::string carpeta = arnes::carpeta_temporal("ordenes");
	std::string orden = "cd " + carpeta + " && env -u DISPLAY " + ORQ_BINARIO + " " + argumentos +
	                    " >salida 2>errores </dev/null";
	int estado = std::system(orden.c_str());
	Resultado r;
	if (WIFEXITED(estado))
		r.estado = WEXITSTATUS(estado);
	r.salida = arnes::lee_fichero(carpeta + "/salida");
	r.errores = arnes::lee_fichero(carpeta + "/errores");
	return r;
}

bool empieza_por(const std::string &s, const std::string &principio)
{
	return s.rfind(principio, 0) == 0;
}

// Pixels of the curve's colour in the graph area.
int rojos_en_la_grafica(const arnes::Imagen &img)
{
	int n = 0;
	for (int y = Y_GRAFICA + ALTO_LINEA_INFO; y < img.alto - X_GRAFICA; y++)
		for (int x = X_GRAFICA; x < img.ancho - X_GRAFICA; x++)
			n += img.en(x, y) == ROJO_CURVA;
	return n;
}

} // namespace

TEST(LineaOrdenes, HelpMuestraElUsoSinPantallaYTerminaConCero)
{
	Resultado r = ejecuta_sin_pantalla("--help");
	EXPECT_EQ(r.estado, 0);
	EXPECT_TRUE(empieza_por(r.salida, "Uso: orquilo [FICHERO]\n")) << r.salida;
	EXPECT_EQ(r.errores, "");
}

TEST(LineaOrdenes, VersionMuestraLaVersionSinPantallaYTerminaConCero)
{
	Resultado r = ejecuta_sin_pantalla("--version");
	EXPECT_EQ(r.estado, 0);
	EXPECT_EQ(r.salida, std::string("orquilo ") + ORQ_VERSION + "\n");
	EXPECT_EQ(r.errores, "");
}

TEST(LineaOrdenes, OpcionDesconocidaODosFicherosTerminanConDosYElUsoEnErrores)
{
	for (const char *args : {"--nada", "-x datos.txt", "uno.txt dos.txt"}) {
		Resultado r = ejecuta_sin_pantalla(args);
		EXPECT_EQ(r.estado, 2) << args;
		EXPECT_EQ(r.salida, "") << args;
		EXPECT_TRUE(empieza_por(r.errores, "orquilo: ")) << r.errores;
		EXPECT_NE(r.errores.find("Uso: orquilo [FICHERO]"), std::string::npos) << r.errores;
	}
}

TEST(LineaOrdenes, ConUnFicheroArrancaConElEspectroDibujadoYElDialogoLoPropone)
{
	// Not the default name, so that the load dialog shows where its name came from.
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, true, {"./datos.txt"});
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
	EXPECT_EQ(s.lee(X_CAMPO_CURSOR, Y_INFO_1, 11), "cn.cur=750 ");
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 5), "\"...\"");
	EXPECT_GT(rojos_en_la_grafica(s.captura()), 1000);
	EXPECT_TRUE(s.carga_propone("./datos.txt"));
	EXPECT_EQ(s.sal(), 0);
}

TEST(LineaOrdenes, UnFicheroQueNoSeLeeLoDiceComoLeerDatosYSigueSinEspectro)
{
	arnes::Xvfb x(ESCRITORIO_X, ESCRITORIO_Y);
	std::string carpeta = arnes::carpeta_temporal("ordenes");
	arnes::Proceso p(x, ORQ_BINARIO, carpeta, {"no-existe.txt"});
	ASSERT_TRUE(arnes::espera_ventana(x, ESPERA_ARRANQUE));
	auto en_pantalla = [&](const std::string &t) {
		return arnes::espera_hasta([&] { return busca_texto(arnes::captura(x), t).has_value(); },
		                           ESPERA_ARRANQUE);
	};
	ASSERT_TRUE(en_pantalla("No se puede abrir el fichero no-existe.txt"));
	// The pointer crosses the box (its corner is where the box stands) and
	// leaves it: Enter must still reach the OK button.
	auto v = arnes::busca_ventana(x);
	ASSERT_TRUE(v.has_value());
	arnes::mueve_raton(x, DIALOGO_AVISO.x + DENTRO_DE_LA_CAJA, DIALOGO_AVISO.y + DENTRO_DE_LA_CAJA);
	arnes::duerme_ms(PAUSA_RATON_MS);
	arnes::mueve_raton(x, v->ancho / 2, v->alto - 1);
	arnes::raton_fuera(x);
	arnes::tecla(x, "Return");
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return !busca_texto(arnes::captura(x), "No se puede abrir").has_value(); },
	    ESPERA_ARRANQUE));
	ASSERT_TRUE(en_pantalla("eer Datos"));
	EXPECT_EQ(lee_texto(arnes::captura(x), PWX - MARGEN_CAMPO_FIN, Y_INFO_1, 6), "      ");
	arnes::tecla(x, "Escape");
	ASSERT_TRUE(en_pantalla("Vers. " ORQ_VERSION));
	arnes::tecla(x, "Return");
	EXPECT_EQ(p.espera_salida(Sesion::ESPERA), 0);
}

TEST(LineaOrdenes, UnSpeDesdeLaLineaDeOrdenesSeVeCalibradoEnKeV)
{
	Sesion s(ESCRITORIO_X, ESCRITORIO_Y, false, {datos_prueba("real/hpge-pottery.Spe")});
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=16384"));
	// Channel 1 is the file's channel 0: -0.035087 keV.
	EXPECT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_2, "lo.ini=-0.04   "));
	EXPECT_GT(rojos_en_la_grafica(s.captura()), 1000);
	EXPECT_EQ(s.sal(), 0);
}
