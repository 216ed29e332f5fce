// Calibration on the real program: the cursor placed on two lines of the
// example spectrum with the dialogs open, wavelengths typed (one as an
// expression), the wavelength line and ticks, Esc, and the saved calibration.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "disposicion.h"
#include "e2e.h"
#include "textos.h"

namespace {

// The first two lines of the example: 585.249 nm peaks at channel 153,
// 703.241 nm at channel 1333.
constexpr int C1 = 153, C2 = 1333;

// What info line 2's first field must read after calibrating on (c1, l1), (c2, l2).
std::string lo_ini_esperado(int c1, float l1, int c2, float l2)
{
	float a = static_cast<float>((static_cast<double>(l2) - l1) / (c2 - c1));
	float b = static_cast<float>(l1 / static_cast<double>(a) - c1);
	char t[32];
	std::snprintf(t, sizeof t, "lo.ini=%-8.2f",
	              static_cast<double>(static_cast<float>((1 + double(b)) * a)));
	return t;
}

class CalibracionE2E : public EjemploCargado {
protected:
	// Taps a key n times (one navigation step each).
	void pulsa(const std::string &tecla, int n)
	{
		for (int i = 0; i < n; i++)
			s.tecla(tecla);
	}
	bool cursor_en(int canal)
	{
		char t[16];
		std::snprintf(t, sizeof t, "cn.cur=%-4i", canal);
		return s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, t);
	}
	// Both points: from the middle (750), left in steps of 99 to 156, then
	// one channel at a time; then right to 1341 and back to 1333.
	void calibra(const std::string &lambda1, const std::string &lambda2)
	{
		s.abre_dialogo("c", DIALOGO_CALIBRA_1.titulo);
		pulsa("Left", 6);
		pulsa("shift+Left", 3);
		ASSERT_TRUE(cursor_en(C1));
		s.reemplaza_campo(lambda1); // the arrows also moved the field's text cursor
		s.abre_dialogo("Return", DIALOGO_CALIBRA_2.titulo);
		pulsa("Right", 12);
		pulsa("shift+Left", 8);
		ASSERT_TRUE(cursor_en(C2));
		s.reemplaza_campo(lambda2);
		s.tecla("Return");
	}
};

} // namespace

TEST_F(CalibracionE2E, DosLineasDanLaLineaDeLongitudesYLasMarcas)
{
	calibra("585.249", "1406.482/2");
	std::string esperado = lo_ini_esperado(C1, 585.249f, C2, 703.241f);
	ASSERT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_2, esperado));
	EXPECT_EQ(esperado.substr(0, 11), "lo.ini=570."); // the example was made from 570.0 nm
	EXPECT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_2, "lo.cur=703.24 "));
	// A span of 150 nm: major ticks every 100 (600 and 700), minor every 10.
	EXPECT_EQ(s.lee(X_CAMPO_TERCERO, Y_INFO_2, 15), "lo.div=10.00   ");
	arnes::Imagen img = s.captura();
	int mayores = 0, menores = 0;
	for (int x = X_GRAFICA; x < PWX - X_GRAFICA; x++) {
		mayores += img.en(x, Y_GRAFICA + 10) == NEGRO_E2E;
		menores += img.en(x, Y_GRAFICA + 1) == NEGRO_E2E;
	}
	EXPECT_EQ(mayores, 2);
	EXPECT_GE(menores, 14);
	EXPECT_LE(menores, 16);
}

TEST_F(CalibracionE2E, EscEnElSegundoDialogoConservaLaCalibracion)
{
	s.abre_dialogo("c", DIALOGO_CALIBRA_1.titulo);
	s.escribe("500");
	s.abre_dialogo("Return", DIALOGO_CALIBRA_2.titulo);
	pulsa("Right", 2);
	s.reemplaza_campo("600");
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "Poner cursor").has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 7), "       "); // still uncalibrated
	s.tecla("Right");                                         // a plot: still no wavelength line
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 7), "       ");
}

TEST_F(CalibracionE2E, LaCalibracionGuardadaVuelveAlCargar)
{
	calibra("585.249", "703.241");
	std::string esperado = lo_ini_esperado(C1, 585.249f, C2, 703.241f);
	ASSERT_TRUE(s.espera_texto(X_CAMPO_INICIO, Y_INFO_2, esperado));
	s.guarda(false, true);
	ASSERT_TRUE(arnes::espera_hasta([&] { return arnes::lee_fichero(s.ruta("datos.txt"))[0] == '"'; },
	                                Sesion::ESPERA));
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=750 "));
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 15), esperado);
}
