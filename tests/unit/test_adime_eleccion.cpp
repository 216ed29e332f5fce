// The dialogs' named choice (%choice): its names in order, a name never
// empty, and a box wide enough for the longest of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adime_disposicion.h"
#include "adime_formato.h"
#include "textos.h"

using adime::Campo;
using adime::TipoCampo;

namespace {

constexpr int PIXELES_CARACTER = 8;

int mide(const std::string &s)
{
	int n = 0;
	for (unsigned char c : s)
		n += (c & 0xC0) != 0x80;
	return n * PIXELES_CARACTER;
}

} // namespace

TEST(AdimeEleccion, LaVistaDeImportacionEligePorNombres)
{
	std::vector<Campo> campos;
	std::string error;
	ASSERT_TRUE(adime::analiza_formato(IMPORTA_CAMPOS, campos, error)) << error;
	std::vector<std::vector<std::string>> nombres;
	for (const Campo &c : campos)
		if (c.tipo == TipoCampo::eleccion)
			nombres.push_back(c.nombres);
	ASSERT_EQ(nombres.size(), 4u);
	EXPECT_EQ(nombres[0], (std::vector<std::string>{"tabla de columnas", "lista de números"}));
	EXPECT_EQ(nombres[1], (std::vector<std::string>{"punto y coma", "tabulador", "coma", "espacios"}));
	EXPECT_EQ(nombres[2], (std::vector<std::string>{"punto", "coma"}));
	EXPECT_EQ(nombres[3], (std::vector<std::string>{"ninguna", "punto", "coma", "espacio"}));
}

TEST(AdimeEleccion, UnNombreVacioSeRechaza)
{
	for (const char *formato : {"a=%choice[]", "a=%choice[uno,,dos]", "a=%choice[uno,]"}) {
		std::vector<Campo> campos;
		std::string error;
		EXPECT_FALSE(adime::analiza_formato(formato, campos, error)) << formato;
		EXPECT_FALSE(error.empty()) << formato;
	}
}

// Asked narrower than its names, the box still shows the longest whole.
TEST(AdimeEleccion, LaCajaCabeSuNombreMasLargo)
{
	std::vector<Campo> campos;
	std::string error;
	ASSERT_TRUE(adime::analiza_formato("Separador=%choice[a,punto y coma,b]", campos, error)) << error;
	adime::Peticion p;
	p.ancho_campo = 3 * PIXELES_CARACTER;
	p.ok_cancelar = true;
	p.ancho_pantalla = 640;
	p.alto_pantalla = 480;
	p.ancho_texto = mide;
	adime::Disposicion d = adime::dispone(campos, p);
	ASSERT_EQ(d.filas.size(), 1u);
	EXPECT_GE(d.filas[0].campo.w, mide("< punto y coma >"));
	EXPECT_LE(d.filas[0].campo.derecha(), d.ventana.derecha());
}
