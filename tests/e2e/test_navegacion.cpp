// Keyboard navigation on the real program: keys held and tapped with xdotool,
// results read off the info line and the graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {
constexpr int WY = PWY - 95;

int campo(Sesion &s, int x, int y)
{
	std::string t = s.lee(x, y, 12);
	return std::atoi(t.c_str() + 7);
}
int cursor(Sesion &s)
{
	return campo(s, X_CAMPO_CURSOR, Y_INFO_1);
}
int inicio(Sesion &s)
{
	return campo(s, X_CAMPO_INICIO, Y_INFO_1);
}
int fin(Sesion &s)
{
	return campo(s, PWX - MARGEN_CAMPO_FIN, Y_INFO_1);
}

// Graph columns with anything drawn between two rows.
int columnas_marcadas(const arnes::Imagen &img, int desde, int hasta)
{
	int n = 0;
	for (int x = X_GRAFICA; x < PWX - X_GRAFICA; x++)
		for (int y = desde; y <= hasta; y++)
			if (img.en(x, Y_GRAFICA + y) != BLANCO_E2E) {
				n++;
				break;
			}
	return n;
}

// How many separate strokes cross a row of the graph.
int trazos_en_fila(const arnes::Imagen &img, int fila)
{
	int n = 0;
	bool dentro = false;
	for (int x = X_GRAFICA; x < PWX - X_GRAFICA; x++) {
		bool marcado = img.en(x, Y_GRAFICA + fila) != BLANCO_E2E;
		n += marcado && !dentro;
		dentro = marcado;
	}
	return n;
}

// The graph below the title, which the first full redraw clears.
constexpr int Y_BAJO_TITULO = Y_GRAFICA + 15;
bool igual_bajo_titulo(const arnes::Imagen &a, const arnes::Imagen &b)
{
	return std::equal(a.px.begin() + Y_BAJO_TITULO * a.ancho, a.px.end(),
	                  b.px.begin() + Y_BAJO_TITULO * b.ancho, b.px.end());
}

using Navegacion = EjemploCargado;

} // namespace

TEST_F(Navegacion, MayusculasYDerechaMueveUnCanal)
{
	s.tecla("shift+Right");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=751 "));
	s.tecla("shift+Left");
	s.tecla("shift+Left");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=749 "))
	    << s.lee(X_CAMPO_CURSOR, Y_INFO_1, 12);
}

// A held key steps again and again, one channel each time: held until the
// cursor has moved twice, each move read as it happens.  (Its pace is the
// benchmark's business, not a test's.)
TEST_F(Navegacion, MayusculasYDerechaMantenidaSigueAvanzandoDeUnoEnUno)
{
	std::vector<int> vistos{cursor(s)};
	ASSERT_EQ(vistos[0], 750);
	bool dos = arnes::pulsa_hasta(
	    s.x(), "shift+Right",
	    [&] {
		    int c = cursor(s);
		    if (c != vistos.back())
			    vistos.push_back(c);
		    return vistos.size() >= 3;
	    },
	    Sesion::ESPERA);
	ASSERT_TRUE(dos);
	EXPECT_EQ(vistos[1], 751);
	EXPECT_EQ(vistos[2], 752);
}

TEST_F(Navegacion, ArribaAcercaYDesplazaEnElBordeDerecho)
{
	s.tecla("Up"); // cursor 750 left of the middle: cut from the right by 3 steps of 99
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1203"));
	EXPECT_EQ(inicio(s), 1);
	// Steps of 1202 / 15 = 80; past channel 1003 the window scrolls by the 297 left.
	for (int i = 1; i <= 4; i++) {
		s.tecla("Right");
		ASSERT_TRUE(
		    s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=" + std::to_string(750 + i * 80)));
	}
	EXPECT_EQ(inicio(s), 298);
	EXPECT_EQ(fin(s), 1500);
	s.tecla("Down");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=58  "));
	s.tecla("Down");
	s.tecla("Down");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1   "));
	EXPECT_EQ(fin(s), 1500);
}

TEST_F(Navegacion, TabPasaALogaritmicaYVuelve)
{
	arnes::Imagen lineal = s.captura();
	// In the log scale the background (tens of counts out of 8000) rises to
	// between 55 and 64 hundredths of the height from the top.
	int desde = WY * 55 / 100, hasta = WY * 64 / 100;
	EXPECT_LT(columnas_marcadas(lineal, desde, hasta), 150);
	s.tecla("Tab");
	ASSERT_TRUE(arnes::espera_hasta([&] { return columnas_marcadas(s.captura(), desde, hasta) > 600; },
	                                Sesion::ESPERA));
	s.tecla("Tab");
	EXPECT_TRUE(
	    arnes::espera_hasta([&] { return igual_bajo_titulo(s.captura(), lineal); }, Sesion::ESPERA));
}

TEST_F(Navegacion, MayusculasYArribaDoblaLaEscalaVertical)
{
	arnes::Imagen antes = s.captura();
	constexpr int FILA = 20; // near the top, below the title
	s.tecla("shift+Up");
	// Lines between half and all of the maximum now cross near the top.
	EXPECT_TRUE(arnes::espera_hasta(
	    [&] { return trazos_en_fila(s.captura(), FILA) >= trazos_en_fila(antes, FILA) + 4; },
	    Sesion::ESPERA));
	s.tecla("shift+Down");
	EXPECT_TRUE(
	    arnes::espera_hasta([&] { return igual_bajo_titulo(s.captura(), antes); }, Sesion::ESPERA));
}
