// The mouse on the plot of the real program: a click's channel, a wheel step
// that is Up or Down at the pointer, a drag's range, a double click that
// measures the line; and what it must not do (during a load, outside the
// window, before any load).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int CANALES = 1500;
constexpr int WX = PWX - MENOS_ANCHO_GRAFICA;
constexpr int Y_DENTRO = Y_GRAFICA + 200; // a row of the graph area
constexpr int X_FIN = PWX - MARGEN_CAMPO_FIN;

struct Vista {
	int ini = 0, cur = 0, fin = 0;
	bool operator==(const Vista &o) const { return ini == o.ini && cur == o.cur && fin == o.fin; }
};

int campo(Sesion &s, int x)
{
	return std::atoi(s.lee(x + 7 * 8, Y_INFO_1, 5).c_str());
}

Vista lee_vista(Sesion &s)
{
	return {campo(s, X_CAMPO_INICIO), campo(s, X_CAMPO_CURSOR), campo(s, X_FIN)};
}

// The view once it differs from `antes` and two reads agree.
Vista nueva_vista(Sesion &s, const Vista &antes)
{
	Vista v;
	arnes::espera_hasta([&] { return !((v = lee_vista(s)) == antes); }, Sesion::ESPERA);
	arnes::espera_hasta(
	    [&] {
		    Vista a = lee_vista(s);
		    arnes::duerme_ms(300);
		    return (v = lee_vista(s)) == a;
	    },
	    Sesion::ESPERA);
	return v;
}

// The graph's column of channel c in a window, as the plot places it.
int columna_de(int c, const Vista &v)
{
	return static_cast<int>((c - v.ini) * (double(WX) / (v.fin - v.ini)));
}

void pon_raton(Sesion &s, int columna)
{
	arnes::mueve_raton(s.x(), X_GRAFICA + columna, Y_DENTRO);
	arnes::duerme_ms(100);
}

constexpr Vista ENTERA = {1, CANALES / 2, CANALES};

} // namespace

TEST_F(EjemploCargado, UnClicPoneElCursorEnElCanalBajoElPuntero)
{
	ASSERT_EQ(lee_vista(s), ENTERA);
	pon_raton(s, 200);
	arnes::raton(s.x(), {"click", "1"});
	Vista v = nueva_vista(s, ENTERA);
	EXPECT_EQ(v.ini, 1);
	EXPECT_EQ(v.fin, CANALES);
	EXPECT_LE(std::abs(columna_de(v.cur, v) - 200), 1) << v.cur;

	// In a calibration dialog a click places the cursor too, and the wheel
	// does nothing.
	s.abre_dialogo("c", DIALOGO_CALIBRA_1.titulo);
	pon_raton(s, 600);
	arnes::raton(s.x(), {"click", "4"});
	arnes::raton(s.x(), {"click", "1"});
	Vista en_calibracion = nueva_vista(s, v);
	EXPECT_EQ(en_calibracion.ini, 1);
	EXPECT_EQ(en_calibracion.fin, CANALES);
	EXPECT_LE(std::abs(columna_de(en_calibracion.cur, v) - 600), 1) << en_calibracion.cur;
	arnes::raton_fuera(s.x());
	s.tecla("Escape");
}

TEST_F(EjemploCargado, UnPasoDeRuedaEsArribaOAbajoEnElPuntero)
{
	pon_raton(s, 200);
	arnes::raton(s.x(), {"click", "1"});
	Vista clic = nueva_vista(s, ENTERA);
	arnes::raton(s.x(), {"click", "4"});
	Vista rueda_arriba = nueva_vista(s, clic);
	pon_raton(s, 600);
	arnes::raton(s.x(), {"click", "5"});
	Vista rueda_abajo = nueva_vista(s, rueda_arriba);
	arnes::raton_fuera(s.x());

	// The same by the keys, from the same view.
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(X_FIN, Y_INFO_1, "cn.fin=1500"));
	pon_raton(s, 200);
	arnes::raton(s.x(), {"click", "1"});
	arnes::raton_fuera(s.x());
	EXPECT_EQ(nueva_vista(s, ENTERA), clic);
	s.tecla("Up");
	Vista arriba = nueva_vista(s, clic);
	EXPECT_EQ(arriba, rueda_arriba);
	EXPECT_LT(arriba.fin - arriba.ini, CANALES - 1);
	pon_raton(s, 600);
	arnes::raton(s.x(), {"click", "1"});
	arnes::raton_fuera(s.x());
	Vista en_600 = nueva_vista(s, arriba);
	s.tecla("Down");
	EXPECT_EQ(nueva_vista(s, en_600), rueda_abajo);
}

TEST_F(EjemploCargado, ArrastrarAcercaALosCanalesArrastradosYFueraHastaElBorde)
{
	pon_raton(s, 100);
	arnes::raton(s.x(), {"mousedown", "1"});
	pon_raton(s, 200);
	pon_raton(s, 300);
	arnes::raton(s.x(), {"mouseup", "1"});
	Vista v = nueva_vista(s, ENTERA);
	EXPECT_LE(std::abs(columna_de(v.ini, ENTERA) - 100), 1) << v.ini;
	EXPECT_LE(std::abs(columna_de(v.fin, ENTERA) - 300), 1) << v.fin;

	// From the graph out of the window: up to the window's last channel.
	pon_raton(s, 400);
	arnes::raton(s.x(), {"mousedown", "1"});
	arnes::mueve_raton(s.x(), PWX + 50, Y_DENTRO);
	arnes::duerme_ms(100);
	arnes::raton(s.x(), {"mouseup", "1"});
	Vista fuera = nueva_vista(s, v);
	EXPECT_EQ(fuera.fin, v.fin);
	EXPECT_LE(std::abs(columna_de(fuera.ini, v) - 400), 1) << fuera.ini;

	// All of it outside the window: nothing.
	arnes::mueve_raton(s.x(), PWX + 20, PWY + 20);
	arnes::raton(s.x(), {"mousedown", "1"});
	arnes::mueve_raton(s.x(), PWX + 150, PWY + 100);
	arnes::raton(s.x(), {"mouseup", "1"});
	arnes::raton(s.x(), {"click", "4"});
	arnes::raton_fuera(s.x());
	arnes::duerme_ms(1000);
	EXPECT_EQ(lee_vista(s), fuera);
}

TEST_F(EjemploCargado, UnDobleClicMideLaLineaAhi)
{
	const std::string anuncio = std::string("dialogo: ") + DIALOGO_PICO.titulo;
	int previos = s.anuncios(anuncio);
	pon_raton(s, 300);
	arnes::raton(s.x(), {"click", "--repeat", "2", "--delay", "120", "1"});
	arnes::raton_fuera(s.x());
	ASSERT_TRUE(s.espera_anuncio(anuncio, previos));
	s.tecla("Escape");
	Vista v = nueva_vista(s, ENTERA);
	EXPECT_LE(std::abs(columna_de(v.cur, v) - 300), 1) << v.cur;
}

TEST_F(EjemploCargado, UnClicDuranteLaCargaNoMueveNada)
{
	s.abre_dialogo("l", DIALOGO_CARGA.titulo);
	pon_raton(s, 100);
	arnes::raton(s.x(), {"click", "1"});
	arnes::raton(s.x(), {"click", "4"});
	arnes::raton_fuera(s.x());
	s.tecla("Escape");
	arnes::duerme_ms(1000);
	EXPECT_EQ(lee_vista(s), ENTERA);
	// The keys still work as before.
	s.tecla("Right");
	EXPECT_NE(nueva_vista(s, ENTERA).cur, ENTERA.cur);
}

TEST(Raton, LaRuedaSinEspectroNoHaceNada)
{
	Sesion s;
	pon_raton(s, 300);
	for (const char *b : {"4", "5", "1"})
		arnes::raton(s.x(), {"click", b});
	arnes::raton(s.x(), {"click", "--repeat", "2", "1"});
	arnes::raton_fuera(s.x());
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(X_FIN, Y_INFO_1, "cn.fin=1500"));
	EXPECT_EQ(lee_vista(s), ENTERA);
	EXPECT_EQ(s.sal(), 0);
}
