// Foreign formats through the real dialogs: a .Spe loads with its title and
// its energy calibration, the save proposes a name of its own and leaves the
// instrument's file alone, a file of another format is replaced only when the
// user says so, and a broken row of a table is reported.
#include <gtest/gtest.h>

#include <cstdio>

#include "disposicion.h"
#include "e2e.h"

namespace {

const std::string CERAMICA = "hpge-pottery.Spe";

// A session with the pottery .Spe beside the example, loaded through the dialog.
class SpeCargado : public ::testing::Test {
protected:
	Sesion s;
	std::string original;
	void SetUp() override
	{
		original = arnes::lee_fichero(datos_prueba("real/" + CERAMICA));
		arnes::escribe_fichero(s.ruta(CERAMICA), original);
		s.carga(CERAMICA);
		ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=16384"));
	}
	void TearDown() override { EXPECT_EQ(s.sal(), 0); }
};

// Loads the example and saves it over czt.spe, a file of another format, up to
// the question whether to replace it; *spe is that file as it was.
void pregunta_si_reemplazar(Sesion &s, std::string *spe)
{
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
	*spe = arnes::lee_fichero(datos_prueba("real/czt-simulated.spe"));
	arnes::escribe_fichero(s.ruta("czt.spe"), *spe);
	s.guarda(false, true, "", "czt.spe");
	ASSERT_TRUE(s.espera_en_pantalla("no est"));
}

} // namespace

TEST_F(SpeCargado, SeVeConSuTituloYSuCalibracionEnKeV)
{
	std::string titulo = "\"No sample description was entered.\"";
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, static_cast<int>(titulo.size())), titulo);
	// Channel 1 is the file's channel 0: -0.035087 keV.
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 15), "lo.ini=-0.04   ");
	char fin[32];
	// Every term of its $MCA_CAL, the quadratic one moving the last channel by a channel.
	double u = 16383;
	std::snprintf(fin, sizeof fin, "lo.fin=%-8.2f", -0.035087 + 0.1828039 * u - 6.86613e-10 * u * u);
	EXPECT_EQ(s.lee(PWX - MARGEN_CAMPO_FIN, Y_INFO_2, 15), fin);
	arnes::Imagen img = s.captura();
	int marcas = 0;
	for (int x = X_GRAFICA; x < PWX - X_GRAFICA; x++)
		marcas += img.en(x, Y_GRAFICA + 1) == NEGRO_E2E;
	EXPECT_GT(marcas, 5);
}

TEST_F(SpeCargado, GuardarProponeOtroNombreYLaCargaElLeido)
{
	s.guarda(false, true);
	std::string guardado = s.ruta("hpge-pottery.txt");
	ASSERT_TRUE(
	    arnes::espera_hasta([&] { return !arnes::lee_fichero(guardado).empty(); }, Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta(CERAMICA)), original);
	std::string escrito = arnes::lee_fichero(guardado);
	EXPECT_EQ(escrito.substr(0, escrito.find('\n')), "\"No sample description was entered.\"");
	EXPECT_EQ(escrito.substr(escrito.find('\n') + 1, 7), "16384  ");
	// The load dialog still offers the file that was read.
	s.tecla("l");
	EXPECT_TRUE(s.espera_en_pantalla(CERAMICA));
	s.tecla("Escape");
	// Though it is the file last loaded, saving over it asks.
	s.guarda(false, true, "", CERAMICA);
	ASSERT_TRUE(s.espera_en_pantalla("no est"));
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "no est").has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta(CERAMICA)), original);
}

TEST(FormatosE2E, ReemplazarUnFicheroDeOtroFormatoSePregunta)
{
	Sesion s;
	std::string spe;
	ASSERT_NO_FATAL_FAILURE(pregunta_si_reemplazar(s, &spe));
	s.tecla("Return"); // the first button keeps the file
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "no est").has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("czt.spe")), spe);
	s.guarda(false, true, "", "czt.spe");
	ASSERT_TRUE(s.espera_en_pantalla("no est"));
	s.tecla("r");
	ASSERT_TRUE(arnes::espera_hasta([&] { return arnes::lee_fichero(s.ruta("czt.spe")) != spe; },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("czt.spe")).substr(0, 12), "\"...\"\n1500  ");
	EXPECT_EQ(s.sal(), 0);
}

TEST(FormatosE2E, EscAnteLaPreguntaDeReemplazarGuardaElFichero)
{
	Sesion s;
	std::string spe;
	ASSERT_NO_FATAL_FAILURE(pregunta_si_reemplazar(s, &spe));
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "no est").has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("czt.spe")), spe);
	EXPECT_EQ(s.sal(), 0);
}

TEST(FormatosE2E, FilaRotaDeUnaTablaSeCargaHastaAhiYSeDice)
{
	Sesion s;
	arnes::escribe_fichero(s.ruta("tabla.csv"), "nm,I\n500,1\n501,2\n502,3\nfin,4\n");
	s.carga("tabla.csv");
	EXPECT_TRUE(s.espera_en_pantalla("la l")); // on the status line: no box to close
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=3   "));
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 11), "\"tabla.csv\"");
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 15), "lo.ini=500.00  ");
	EXPECT_EQ(s.sal(), 0);
}
