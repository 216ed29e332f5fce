// The two-point calibration arithmetic.
#include <gtest/gtest.h>

#include <cmath>

#include "calibra.h"
#include "estado.h"

TEST(Calibra, DosPuntosDanPendienteYDesplazamiento)
{
	reinicia_estado();
	calibra_dos_puntos(100, 500, 300, 600);
	EXPECT_EQ(al, 0.5f);
	EXPECT_EQ(bl, 900.0f);
	EXPECT_EQ(longitud_de_onda(1), 450.5f);
	EXPECT_EQ(longitud_de_onda(100), 500.0f);
	EXPECT_EQ(longitud_de_onda(300), 600.0f);
}

TEST(Calibra, LongitudesDecrecientesDanPendienteNegativa)
{
	reinicia_estado();
	calibra_dos_puntos(300, 500, 100, 600);
	EXPECT_EQ(al, -0.5f);
	EXPECT_EQ(bl, -1300.0f);
	EXPECT_EQ(longitud_de_onda(300), 500.0f);
	EXPECT_EQ(longitud_de_onda(100), 600.0f);
}

TEST(Calibra, BlUsaLaPendienteYaGuardadaEnSimplePrecision)
{
	reinicia_estado();
	calibra_dos_puntos(7, 585.249f, 1234, 703.2f);
	float esperado_al = static_cast<float>((double(703.2f) - double(585.249f)) / (1234 - 7));
	EXPECT_EQ(al, esperado_al);
	EXPECT_EQ(bl, static_cast<float>(double(585.249f) / double(esperado_al) - 7));
}

TEST(Calibra, UnRangoEstrechoPasaPorSusDosPuntos)
{
	reinicia_estado();
	calibra_dos_puntos(1, 500.0f, 2048, 500.1f);
	double paso = (double(500.1f) - 500.0) / 2047;
	EXPECT_NEAR(longitud_en(calibracion(), 1), 500.0, 1e-3 * paso);
	EXPECT_NEAR(longitud_en(calibracion(), 2048), double(500.1f), 1e-3 * paso);
}

TEST(Calibra, MismoCanalConservaLaCalibracion)
{
	reinicia_estado();
	al = 0.25f;
	bl = 3;
	calibra_dos_puntos(50, 400, 50, 700);
	EXPECT_EQ(al, 0.25f);
	EXPECT_EQ(bl, 3.0f);
}

TEST(Calibra, MismaLongitudDeOndaDescalibraSinDividirPorCero)
{
	reinicia_estado();
	al = 0.25f;
	bl = 3;
	calibra_dos_puntos(50, 400, 80, 400);
	EXPECT_EQ(al, 0.0f);
	EXPECT_EQ(bl, 0.0f);
	EXPECT_TRUE(std::isfinite(bl));
}

// Calibrating from measured peaks given a known wavelength (with nothing
// loaded the plot draws nothing and no dialog opens): one point changes
// nothing, two give the line through both, and two on one channel or of one
// wavelength keep the calibration as it was.
TEST(Calibra, PicosConocidosDanLaRectaODejanLaCalibracion)
{
	reinicia_estado();
	picos.resize(3);
	const double canales[] = {100.5, 300.25, 300.25};
	for (int i = 0; i < 3; i++) {
		picos[i].ajustado = true;
		picos[i].centroide = canales[i];
	}
	auto sin_cambio = [] { return al == 0.25f && bl == 3.0f; };
	al = 0.25f;
	bl = 3;
	anota_conocida(0, true, 500);
	calibra_con_picos();
	EXPECT_TRUE(sin_cambio());
	anota_conocida(1, true, 500); // no slope
	calibra_con_picos();
	EXPECT_TRUE(sin_cambio());
	anota_conocida(1, true, 600);
	calibra_con_picos();
	EXPECT_DOUBLE_EQ(al, 100 / 199.75); // the fitted line, kept whole
	EXPECT_NEAR(longitud_de_onda(100.5), 500, 1e-4);
	EXPECT_NEAR(longitud_de_onda(300.25), 600, 1e-4);
	al = 0.25f;
	bl = 3;
	anota_conocida(2, true, 650); // a second point on channel 300.25
	calibra_con_picos();
	EXPECT_TRUE(sin_cambio());
	anota_conocida(2, false, 0);
	anota_conocida(0, false, 0);
	EXPECT_EQ(conocidas.size(), 1u);
	reinicia_estado();
}
