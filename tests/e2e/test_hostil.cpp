// Hostile paths through the real load dialog: a pipe with no writer and a
// character device are refused at once with the old spectrum kept, and
// spectra with nothing above 0 replace the old picture on screen.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr uint32_t ROJO_E2E = 0xFF0000;
constexpr uint32_t MAGENTA_E2E = 0xFF4BFF;
constexpr int BAJO_EL_TITULO = 20; // rows of the graph area that the title may cover
constexpr int BORDE_DE_ABAJO = 4;  // rows where the dots of zeros lie
constexpr int ALTO_GRAFICA = PWY - MENOS_ALTO_GRAFICA;
constexpr int ANCHO_GRAFICA = PWX - MENOS_ANCHO_GRAFICA;

// Pixels of the curve's colours in rows [desde, hasta) of the graph area.
int pixeles_de_curva(const arnes::Imagen &img, int desde, int hasta)
{
	int n = 0;
	for (int y = desde; y < hasta; y++)
		for (int x = 0; x < ANCHO_GRAFICA; x++) {
			uint32_t c = img.en(X_GRAFICA + x, Y_GRAFICA + y);
			n += c == ROJO_E2E || c == MAGENTA_E2E;
		}
	return n;
}

// The message shows, Enter closes it, and the example is still the spectrum.
void espera_rechazo_y_ejemplo(Sesion &s, const std::string &mensaje)
{
	EXPECT_TRUE(s.espera_en_pantalla(mensaje)) << mensaje;
	s.tecla("Return");
	EXPECT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), mensaje).has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(s.lee(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, 11), "cn.fin=1500");
	EXPECT_GT(pixeles_de_curva(s.captura(), BAJO_EL_TITULO, ALTO_GRAFICA), 0);
}

} // namespace

TEST_F(EjemploCargado, TuberiaSinEscritorSeRechazaAlMomentoYQuedaElEspectro)
{
	ASSERT_EQ(mkfifo(s.ruta("tubo").c_str(), 0600), 0); // nobody ever opens it for writing
	s.carga("tubo");
	espera_rechazo_y_ejemplo(s, "tubo no es un fichero regular");
}

TEST_F(EjemploCargado, DispositivoDeCaracteresSeRechazaYQuedaElEspectro)
{
	s.carga("/dev/zero");
	espera_rechazo_y_ejemplo(s, "El fichero /dev/zero no es un fichero regular");
}

TEST_F(EjemploCargado, EspectroDeCerosTrasUnoNormalSeVeYSeManeja)
{
	arnes::escribe_fichero(s.ruta("ceros.txt"), "0\n0\n0\n0\n");
	s.carga("ceros.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=4   "));
	EXPECT_EQ(s.lee(X_CAMPO_CURSOR, Y_INFO_1, 11), "cn.cur=2   ");
	EXPECT_EQ(s.lee(X_CAMPO_TERCERO, Y_INFO_1, 15), "In.cur=0.0     ");
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 5), "\"...\"");
	arnes::Imagen img = s.captura();
	EXPECT_EQ(pixeles_de_curva(img, BAJO_EL_TITULO, ALTO_GRAFICA - BORDE_DE_ABAJO),
	          0); // the old curve went
	EXPECT_GT(pixeles_de_curva(img, ALTO_GRAFICA - BORDE_DE_ABAJO, ALTO_GRAFICA), 0); // the zeros

	s.tecla("shift+Right");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=3   "));
	s.guarda(false, true, "", "ceros-guardados.txt");
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return !arnes::lee_fichero(s.ruta("ceros-guardados.txt")).empty(); }, Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("ceros-guardados.txt")),
	          "\"...\"\n4  0.000000  0.000000 \n0.000000\n0.000000\n0.000000\n0.000000\n");
}

TEST_F(EjemploCargado, EspectroNegativoTrasUnoNormalDejaElAreaEnBlanco)
{
	arnes::escribe_fichero(s.ruta("negativos.txt"), "-1\n-2\n-3\n-4\n");
	s.carga("negativos.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=4   "));
	EXPECT_EQ(s.lee(X_CAMPO_TERCERO, Y_INFO_1, 15), "In.cur=-2.0    ");
	EXPECT_EQ(pixeles_de_curva(s.captura(), BAJO_EL_TITULO, ALTO_GRAFICA), 0);
}
