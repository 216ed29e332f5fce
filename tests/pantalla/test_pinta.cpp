// The plot on the real window under Xvfb: colours of dots, lines and cursor,
// the vertical scales, the info lines, the wavelength ticks and the mirrored
// spectrum.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "disposicion.h"
#include "estado.h"
#include "pinta.h"
#include "textos.h"
#include "ventana_prueba.h"

namespace {

// Column of channel c in a full window of n channels, by the plain formula.
int columna_aprox(int c, int n)
{
	return static_cast<int>((c - 1) * (static_cast<double>(wx) / (n - 1)));
}

bool hay_color(int x, int y0, int y1, uint32_t color)
{
	for (int y = y0; y <= y1; y++)
		if (pixel(x, y) == color)
			return true;
	return false;
}

std::vector<uint32_t> copia_grafica()
{
	std::vector<uint32_t> v;
	for (int y = 0; y < wy; y++)
		for (int x = 0; x < wx; x++)
			v.push_back(pixel(x, y));
	return v;
}

class Pinta : public ::testing::Test {
protected:
	void SetUp() override { prepara_caso(); }
};

} // namespace

TEST_F(Pinta, SinCargarNoDibujaNada)
{
	textout_ex(grafica, font, "previo", 10, 10, BLACK, BLUE);
	std::vector<uint32_t> antes = copia_grafica();
	pinta_L();
	EXPECT_EQ(copia_grafica(), antes);
	EXPECT_FALSE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini="));
}

// Nothing above 0: the area is cleared and the zeros lie on the bottom edge,
// against a top of one count, in either scale.
TEST_F(Pinta, EspectroDeCerosSeDibujaEnElBordeDeAbajo)
{
	for (int log : {0, 1}) {
		prepara_caso();
		carga_muestras({0, 0, 0, 0, 0, 0});
		elog = log;
		ch_c = ch_c0 = 6;
		textout_ex(grafica, font, "previo", 10, 10, BLACK, BLUE);
		pinta_L();
		EXPECT_EQ(pixel(12, 13), BLANCO) << log; // inside the old text
		for (int c = 1; c <= 5; c++) {
			int x = columna_aprox(c, 6) + (c == 1 ? 2 : 0);
			EXPECT_TRUE(hay_color(x, wy - 3, wy - 1, ROJO) ||
			            hay_color(x, wy - 3, wy - 1, MAGENTA))
			    << c << " log " << log;
			EXPECT_EQ(pixel(x, wy - 5), BLANCO) << c;
		}
		EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1   "));
		EXPECT_TRUE(muestra_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=0.0     "));
	}
}

// Negative samples fall below the area and are clipped: white but for the cursor.
TEST_F(Pinta, EspectroNegativoQuedaDebajoDelArea)
{
	carga_muestras({-1, -2, -3, -4});
	textout_ex(grafica, font, "previo", 10, 10, BLACK, BLUE);
	pinta_L();
	int xc = columna_aprox(ch_c, 4);
	int fuera_del_cursor = 0;
	for (int y = 0; y < wy; y++)
		for (int x = 0; x < wx; x++)
			fuera_del_cursor += (x < xc - 1 || x > xc + 1) && pixel(x, y) != BLANCO;
	EXPECT_EQ(fuera_del_cursor, 0);
	EXPECT_EQ(pixel(xc, wy / 2), VERDE_CURSOR);
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1   "));
	EXPECT_TRUE(muestra_texto(pwx - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=4   "));
}

TEST_F(Pinta, ColoresDePuntosLineasYCursor)
{
	// A flat spectrum at maxL: dots and lines along the top row.
	carga_muestras(std::vector<float>(100, 10.0f));
	ch_c = ch_c0 = 50;
	pinta_L();
	int xc = columna_aprox(50, 100);
	int xo = columna_aprox(20, 100);  // away from the cursor
	EXPECT_EQ(pixel(xo, 0), MAGENTA); // the line, drawn over the dot
	EXPECT_EQ(pixel(xo, 2), ROJO);    // the dot's lower edge
	EXPECT_EQ(pixel(xo, wy / 2), BLANCO);
	EXPECT_EQ(pixel(xc, wy / 2), VERDE_CURSOR);
	EXPECT_EQ(pixel(xc, 2), AZUL_CURSOR);
	EXPECT_EQ(pixel(xc, 0), NEGRO);
	EXPECT_EQ(pixel(xc - 1, wy - 1), VERDE_CURSOR); // three columns, down to the bottom
	EXPECT_EQ(pixel(xc + 1, wy - 1), VERDE_CURSOR);
	EXPECT_EQ(pixel(xc + 3, wy / 2), BLANCO);
}

TEST_F(Pinta, MoverElCursorRestauraLosPixelesYNoRedibuja)
{
	carga_muestras({1, 5, 2, 8, 3, 9, 4, 7, 5, 6, 2, 8, 1, 9, 3, 5, 4, 6, 2, 7});
	pinta_L();
	std::vector<uint32_t> con_cursor = copia_grafica();
	int medio = ch_c;
	ch_c = 3;
	pinta_L();
	EXPECT_EQ(pixel(columna_aprox(medio, 20), wy / 2), BLANCO);
	EXPECT_EQ(pixel(columna_aprox(3, 20), wy / 2), VERDE_CURSOR);
	ch_c = medio;
	pinta_L();
	EXPECT_EQ(copia_grafica(), con_cursor);
}

TEST_F(Pinta, AmplificacionDosCortaEnLaMitadDelMaximo)
{
	std::vector<float> m(200, 50.0f);
	m[0] = 100; // maxL, at the left end
	carga_muestras(m);
	pinta_L();
	int x = columna_aprox(150, 200);
	EXPECT_TRUE(hay_color(x, wy / 2 - 2, wy / 2 + 2, MAGENTA)); // half of maxL: mid height
	EXPECT_EQ(pixel(x, 3), BLANCO);
	amplia_y = 2;
	pinta_L();
	EXPECT_EQ(pixel(x, 0), MAGENTA); // now on the top row
	EXPECT_EQ(pixel(x, wy / 2), BLANCO);
	EXPECT_EQ(pixel(x, 3), BLANCO);
	EXPECT_EQ(pixel(0, 2), BLANCO); // maxL itself is cut off above
}

TEST_F(Pinta, EscalaLogaritmicaCeroAbajoYMaximoArriba)
{
	std::vector<float> m(100, 0.0f);
	m[60] = 1000; // channel 61
	carga_muestras(m);
	elog = 1;
	amplia_y = 4; // plays no part in the log scale
	pinta_L();
	int x0 = columna_aprox(20, 100), xmax = columna_aprox(61, 100);
	EXPECT_NE(pixel(x0, wy - 1), BLANCO); // zeros on the bottom edge (row wy or wy - 1)
	EXPECT_EQ(pixel(x0, wy - 5), BLANCO);
	EXPECT_TRUE(hay_color(xmax, 0, 1, MAGENTA) || hay_color(xmax, 0, 1, ROJO));
	EXPECT_EQ(pixel(xmax, 4), MAGENTA); // the line up to it
}

TEST_F(Pinta, LogaritmoDeMuestrasDeMenosUnoVaAlBorde)
{
	carga_muestras({-5, -1, 10, 100, -1e30f, 50});
	elog = 1;
	pinta_L(); // nothing undefined: UBSan checks the conversions
	EXPECT_TRUE(hay_color(0, wy - 3, wy - 1, ROJO) || hay_color(0, wy - 3, wy - 1, MAGENTA));
	int x4 = columna_aprox(5, 6);
	EXPECT_TRUE(hay_color(x4, wy - 3, wy - 1, ROJO) || hay_color(x4, wy - 3, wy - 1, MAGENTA));
}

TEST_F(Pinta, MuestrasInfinitasONaNNiSeDibujanNiSeUnen)
{
	carga_muestras({1, 2, INFINITY, 3, NAN, 2});
	EXPECT_EQ(maxL, 3);
	ch_c = ch_c0 = 1;
	pinta_L();
	// Nothing between the dots of channels 2 and 4, whose joins go through channel 3.
	for (int x = columna_aprox(2, 6) + 3; x < columna_aprox(4, 6) - 3; x++)
		for (int y = 0; y < wy; y++)
			ASSERT_EQ(pixel(x, y), BLANCO) << x << "," << y;
}

TEST_F(Pinta, VentanaDeUnCanalDibujaSuMuestraEnLaColumnaCero)
{
	carga_muestras({7});
	pinta_L();
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1);
	EXPECT_EQ(pixel(1, 2), AZUL_CURSOR); // the dot, under the bar at column 0
	EXPECT_EQ(pixel(2, 1), ROJO);
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1   "));
}

TEST_F(Pinta, LineaDeInfoUnoConSusFormatos)
{
	std::vector<float> m(300);
	for (int i = 0; i < 300; i++)
		m[i] = 0.25f * i;
	carga_muestras(m);
	pinta_L();
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1   "));
	EXPECT_TRUE(muestra_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=150 "));
	EXPECT_TRUE(muestra_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=37.2    "));
	EXPECT_TRUE(muestra_texto(pwx - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=300 "));
}

TEST_F(Pinta, ValorCortoTapaLosRestosDeUnoLargo)
{
	carga_muestras(std::vector<float>(12345, 1.0f));
	ch_i = 10000;
	ch_c = 11000;
	pinta_L();
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=10000"));
	ch_i = 1;
	pinta_L();
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=1    "));
	// A value that fits its field prints exactly its field: the next cell is untouched.
	textout_ex(screen, font, "#", X_CAMPO_INICIO + 11 * 8, Y_INFO_1, BLACK, BLUE);
	ch_i = 200;
	pinta_L();
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_1, "cn.ini=200 #"));
}

TEST_F(Pinta, SinCalibrarNoHayMarcasNiSeTocaLaLineaDos)
{
	carga_muestras(std::vector<float>(500, 1.0f)); // the curve runs along the top row
	textout_ex(screen, font, "intacta", X_CAMPO_INICIO, Y_INFO_2, BLACK, BLUE);
	pinta_L();
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_2, "intacta"));
	for (int x = 0; x < wx; x++)
		ASSERT_NE(pixel(x, 10), NEGRO) << x;
}

TEST_F(Pinta, MarcasDeLongitudDeOndaCadaDiezYCadaUno)
{
	// 1000 channels from 503.3 to 560.6: a span of 57.3.
	float a = static_cast<float>(57.3 / 999);
	float b = static_cast<float>(503.3 / a - 1);
	std::vector<float> m(1000, 1.0f);
	m[99] = 4; // the rest lie low, away from the ticks
	carga_muestras(m, a, b);
	ch_c = ch_c0 = 999; // the bar off any tick
	pinta_L();
	std::set<int> mayores, todas;
	for (int x = 0; x < wx; x++) {
		if (pixel(x, 10) == NEGRO)
			mayores.insert(x);
		if (pixel(x, 1) == NEGRO)
			todas.insert(x);
	}
	ASSERT_EQ(mayores.size(), 6u); // 510, 520, ... 560
	int k = 0;
	for (int x : mayores) {
		double esperado = (510 + 10 * k++ - 503.3) / 57.3 * wx;
		EXPECT_NEAR(x, esperado, 1.5);
	}
	EXPECT_EQ(todas.size(), 57u); // 504, 505, ... 560
	EXPECT_TRUE(muestra_texto(X_CAMPO_TERCERO, Y_INFO_2, "lo.div=1.00    "));
	EXPECT_TRUE(muestra_texto(X_CAMPO_INICIO, Y_INFO_2, "lo.ini=503.30  "));
	EXPECT_TRUE(muestra_texto(pwx - MARGEN_CAMPO_FIN, Y_INFO_2, "lo.fin=560.60  "));
}

TEST_F(Pinta, MarcasTerminanAunqueElPasoNoAvance)
{
	// A span of 1e-4 around 500: the minor spacing is below the float resolution.
	float a = static_cast<float>(1e-4 / 999);
	float b = static_cast<float>(500.0 / a - 1);
	carga_muestras(std::vector<float>(1000, 1.0f), a, b);
	pinta_L(); // returns: the loops are capped
	EXPECT_EQ(ch_i0, 1);
}

TEST_F(Pinta, AlNegativoSeInvierteEnteroConElCursorEnLaMismaMuestra)
{
	std::vector<float> m(1000);
	for (int i = 0; i < 1000; i++)
		m[i] = static_cast<float>(i + 1); // sample c holds c
	carga_muestras(m);
	ch_i = 200;
	ch_f = 600;
	ch_c = 300;
	fija_calibracion({-0.5f, -1300}); // where a falling calibration is set, the spectrum turns
	pinta_L();
	EXPECT_EQ(al, 0.5f);
	EXPECT_EQ(bl, 299.0f);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
	EXPECT_EQ(ch_c, 701);
	EXPECT_EQ(Li[701], 300.0f);
	EXPECT_EQ(Li[901], 100.0f);
	EXPECT_EQ(longitud_de_onda(701), 500.0f);
	EXPECT_EQ(longitud_de_onda(901), 600.0f);
	EXPECT_TRUE(muestra_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=701 "));
	EXPECT_TRUE(muestra_texto(X_CAMPO_TERCERO, Y_INFO_1, "In.cur=300.0   "));
	EXPECT_TRUE(muestra_texto(X_CAMPO_CURSOR, Y_INFO_2, "lo.cur=500.00  "));
	// Falling to the right now: high at the left edge, low at the right.
	EXPECT_TRUE(hay_color(2, 0, 4, ROJO) || hay_color(2, 0, 4, MAGENTA));
	EXPECT_TRUE(hay_color(wx - 3, wy - 5, wy - 1, ROJO) || hay_color(wx - 3, wy - 5, wy - 1, MAGENTA));
}

TEST_F(Pinta, LaVentanaRealMuestraLoDibujado)
{
	carga_muestras(std::vector<float>(100, 10.0f));
	pinta_L();
	arnes::raton_fuera(xvfb_prueba());
	arnes::Imagen img;
	bool igual = arnes::espera_hasta(
	    [&] {
		    img = arnes::captura(xvfb_prueba());
		    return !img.vacia() && img.en(X_GRAFICA + 40, Y_GRAFICA) == MAGENTA &&
		           img.en(X_GRAFICA + 40, Y_GRAFICA + wy / 2) == BLANCO;
	    },
	    5);
	ASSERT_TRUE(igual);
	EXPECT_EQ(img.ancho, pwx);
	EXPECT_EQ(img.alto, pwy);
	EXPECT_EQ(img.en(0, 0), 0xB4C8FAu); // the light blue background
}

// A measured peak's mark: its tick above the top at its centroid, redrawn by
// every full redraw wherever the window puts it, and absent while the
// centroid is outside the window (nothing else here draws black).
TEST_F(Pinta, LaMarcaDeUnPicoSigueALaVentanaYSoloDentroDeElla)
{
	std::vector<float> m(200, 10.0f);
	m[99] = 100; // channel 100
	carga_muestras(m);
	ch_c = ch_c0 = 20;
	MedidaPico p;
	p.ajustado = true;
	p.centroide = 99.9; // just left of channel 100, whose sample it stands on
	p.sigma = 2;
	picos = {p};
	auto negro_en = [](int x, int y) {
		for (int dx = -1; dx <= 1; dx++)
			if (pixel(x + dx, y) == NEGRO)
				return true;
		return false;
	};
	auto algun_negro = [] {
		for (uint32_t v : copia_grafica())
			if (v == NEGRO)
				return true;
		return false;
	};
	int fila_tick = MARCA_TEXTO + MARCA_LARGO / 2; // the top is on row 0
	pinta_L();
	EXPECT_TRUE(negro_en(columna_aprox(100, 200), fila_tick));
	ch_i = 100; // the centroid leaves the window, though its tick would still show at column 0
	pinta_L();
	EXPECT_FALSE(algun_negro());
	ch_i = 50;
	ch_f = 150;
	pinta_L();
	int x = static_cast<int>((99.9 - 50) * (static_cast<double>(wx) / 100));
	EXPECT_TRUE(negro_en(x, fila_tick));
	picos.clear();
}

// A background goes under the spectrum as a curve of its own colour, on the
// spectrum's scale: where the spectrum draws, its pixels stand; elsewhere the
// background's pixels are those the plot draws for the scaled background as a
// spectrum of its own, and where the background has no data nothing is drawn.
TEST_F(Pinta, ElFondoVaDebajoEnSuColorYEnLaMismaEscala)
{
	const int n = 60, cursor = 10;
	const float factor = 1.5f;
	std::vector<float> s(n), f(n), escalado(n);
	for (int i = 0; i < n; i++) {
		s[i] = static_cast<float>(30 + 25 * std::sin(i / 3.0));
		f[i] = i == 30 ? NAN : static_cast<float>(8 + i % 7);
		escalado[i] = static_cast<float>(static_cast<double>(factor) * f[i]);
	}
	float tope = *std::max_element(s.begin(), s.end());
	auto dibuja = [&](const std::vector<float> &m, bool con_fondo) {
		prepara_caso();
		carga_muestras(m);
		maxL = tope;
		ch_c = ch_c0 = cursor;
		if (con_fondo) {
			fondo_canal.assign(1, NAN);
			fondo_canal.insert(fondo_canal.end(), f.begin(), f.end());
			factor_fondo = factor;
		}
		pinta_L();
		return copia_grafica();
	};
	std::vector<uint32_t> solo_fondo = dibuja(escalado, false), sin_fondo = dibuja(s, false),
	                      con_fondo = dibuja(s, true);
	int xc = columna_aprox(cursor, n), de_fondo = 0;
	for (size_t i = 0; i < con_fondo.size(); i++) {
		if (std::abs(static_cast<int>(i % wx) - xc) <= 2)
			continue; // the cursor bar, drawn in exclusive-or over either
		uint32_t esperado = sin_fondo[i] != BLANCO    ? sin_fondo[i]
		                    : solo_fondo[i] != BLANCO ? RGB_FONDO.hex()
		                                              : BLANCO;
		ASSERT_EQ(con_fondo[i], esperado) << i % wx << "," << i / wx;
		de_fondo += con_fondo[i] == RGB_FONDO.hex();
	}
	EXPECT_GT(de_fondo, 200);
}

// A falling calibration turns the spectrum round, and the marks with it: the
// mark stays over its line, now at the mirrored channel.
TEST_F(Pinta, LaMarcaSigueASuLineaCuandoElEspectroSeDaLaVuelta)
{
	std::vector<float> m(200, 10.0f);
	m[59] = 100; // channel 60, channel 141 once mirrored
	carga_muestras(m);
	MedidaPico p;
	p.ajustado = true;
	p.centroide = 60.2;
	p.sigma = 2;
	picos = {p};
	fija_calibracion({-0.5f, -1300});
	pinta_L();
	ASSERT_EQ(Li[141], 100.0f);
	EXPECT_DOUBLE_EQ(picos[0].centroide, 201 - 60.2);
	int x = static_cast<int>((201 - 60.2 - 1) * (static_cast<double>(wx) / 199));
	int fila_tick = MARCA_TEXTO + MARCA_LARGO / 2; // the line's top is on row 0
	bool negro = false;
	for (int dx = -1; dx <= 1; dx++)
		negro = negro || pixel(x + dx, fila_tick) == NEGRO;
	EXPECT_TRUE(negro);
	picos.clear();
}
