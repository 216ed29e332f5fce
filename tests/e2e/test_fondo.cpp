// A background under the example spectrum, through the real keys: F chooses
// it with a typed factor, R shows the net spectrum, whose value the cursor
// reads and "Guardar datos" writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr float NIVEL_FONDO = 12;
constexpr int CANALES = 1500, CURSOR = 750;

std::string in_cur(float v)
{
	char texto[64];
	std::snprintf(texto, sizeof texto, "In.cur=%-8.1f", static_cast<double>(v));
	return texto;
}

} // namespace

TEST_F(EjemploCargado, ElFondoSeRestaAlPulsarRYSeGuardaElNeto)
{
	std::vector<float> ejemplo_ = numeros_tras(arnes::lee_fichero(s.ruta("datos.txt")), 0);
	ASSERT_EQ(ejemplo_.size(), size_t(CANALES));
	std::string fondo = "\"fondo plano\"\n0 0 0\n"; // its samples counted, uncalibrated
	for (int c = 1; c <= CANALES; c++)
		fondo += "12\n";
	arnes::escribe_fichero(s.ruta("fondo.txt"), fondo);

	s.abre_dialogo("f", DIALOGO_FONDO.titulo);
	s.reemplaza_campo("fondo.txt");
	s.tecla("Tab"); // past the file selector's button
	s.tecla("Tab");
	s.reemplaza_campo("1/2"); // an expression, as in every number field
	s.tecla("Return");
	ASSERT_TRUE(s.espera_en_pantalla("Fondo \"fondo plano\" x 0.5"));
	float v = ejemplo_[CURSOR - 1];
	ASSERT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, in_cur(v)));

	s.tecla("r");
	float neto = static_cast<float>(static_cast<double>(v) - 0.5 * NIVEL_FONDO);
	ASSERT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, in_cur(neto)));
	ASSERT_TRUE(s.espera_en_pantalla("x 0.5 (restado)"));

	s.guarda(false, true, "", "neto.txt");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !arnes::lee_fichero(s.ruta("neto.txt")).empty(); },
	                                Sesion::ESPERA));
	std::string escrito = arnes::lee_fichero(s.ruta("neto.txt"));
	EXPECT_EQ(escrito.substr(0, escrito.find('\n')), "\"... (neto)\"");
	std::vector<float> leido = numeros_tras(escrito, 1);
	ASSERT_EQ(leido.size(), size_t(CANALES + 3));
	for (int c = 1; c <= CANALES; c++)
		ASSERT_EQ(leido[c + 2], static_cast<float>(double(ejemplo_[c - 1]) - 0.5 * NIVEL_FONDO)) << c;

	// R again: the spectrum over its background, as read.
	s.tecla("r");
	EXPECT_TRUE(s.espera_texto(X_CAMPO_TERCERO, Y_INFO_1, in_cur(v)));
}
