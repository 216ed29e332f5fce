// The dialog format parser: labels, fields and their arguments, button rows
// with their shortcuts, on the formats that the program's dialogs use.
#include <gtest/gtest.h>

#include <allegro.h>

#include "adime_formato.h"
#include "textos.h"

using adime::Campo;
using adime::TipoCampo;

namespace {

std::vector<Campo> analiza(const char *formato)
{
	std::vector<Campo> campos;
	std::string error;
	EXPECT_TRUE(adime::analiza_formato(formato, campos, error)) << error;
	return campos;
}

std::string error_de(const char *formato)
{
	std::vector<Campo> campos;
	std::string error;
	EXPECT_FALSE(adime::analiza_formato(formato, campos, error)) << formato;
	return error;
}

} // namespace

TEST(AdimeFormato, ElMenuEsUnaFilaDeCuatroBotonesConSusAtajos)
{
	auto campos = analiza(DIALOGO_MENU.formato);
	ASSERT_EQ(campos.size(), 1u);
	const Campo &fila = campos[0];
	EXPECT_EQ(fila.tipo, TipoCampo::fila_botones);
	EXPECT_EQ(fila.etiqueta, "");
	ASSERT_EQ(fila.botones.size(), 4u);
	const char *textos[] = {"&Leer Datos", "&Calibrar", "Guardar", "Salida+Help"};
	for (size_t i = 0; i < 4; i++) {
		EXPECT_EQ(fila.botones[i].texto, textos[i]);
		ASSERT_EQ(fila.botones[i].atajos.size(), 1u) << i;
	}
	EXPECT_TRUE(adime::coincide(fila.botones[0].atajos[0], 'l', KEY_L));
	EXPECT_TRUE(adime::coincide(fila.botones[1].atajos[0], 'C', KEY_C));
	EXPECT_TRUE(adime::coincide(fila.botones[2].atajos[0], 'g', KEY_G));
	EXPECT_TRUE(adime::coincide(fila.botones[3].atajos[0], 27, KEY_ESC));
	EXPECT_FALSE(adime::coincide(fila.botones[3].atajos[0], 'l', KEY_L));
}

TEST(AdimeFormato, ElDialogoDeCargaEsUnSoloCampoDeFicheroSinFiltro)
{
	auto campos = analiza(DIALOGO_CARGA.formato);
	ASSERT_EQ(campos.size(), 1u);
	EXPECT_EQ(campos[0].tipo, TipoCampo::fichero);
	EXPECT_EQ(campos[0].etiqueta, "");
	EXPECT_EQ(campos[0].bytes, TAM_NOMBRE);
	EXPECT_EQ(campos[0].extension, "");
	EXPECT_EQ(campos[0].titulo, "");
}

TEST(AdimeFormato, ElDialogoDeGuardarTieneCuatroCamposConSusEtiquetasExactas)
{
	auto campos = analiza(DIALOGO_GUARDA.formato);
	ASSERT_EQ(campos.size(), 4u);
	EXPECT_EQ(campos[0].tipo, TipoCampo::casilla);
	EXPECT_EQ(campos[0].etiqueta, "Guardar imagen ");
	EXPECT_EQ(campos[1].tipo, TipoCampo::fichero);
	EXPECT_EQ(campos[1].etiqueta, " en fichero ");
	EXPECT_EQ(campos[2].tipo, TipoCampo::casilla);
	EXPECT_EQ(campos[2].etiqueta, " Guardar datos  ");
	EXPECT_EQ(campos[3].tipo, TipoCampo::fichero);
	EXPECT_EQ(campos[3].bytes, TAM_NOMBRE);
	for (const auto &c : campos)
		EXPECT_TRUE(adime::toma_argumento(c.tipo));
}

TEST(AdimeFormato, LaCalibracionEsUnRealConMinimoCeroYSinMaximo)
{
	auto campos = analiza(DIALOGO_CALIBRA_1.formato);
	ASSERT_EQ(campos.size(), 1u);
	EXPECT_EQ(campos[0].tipo, TipoCampo::real);
	EXPECT_EQ(campos[0].etiqueta, "Longitud de onda=");
	EXPECT_TRUE(campos[0].limites.con_min);
	EXPECT_EQ(campos[0].limites.min, 0);
	EXPECT_FALSE(campos[0].limites.con_max);
}

TEST(AdimeFormato, LosLimitesDeUnRealPuedenFaltarOEstarAmbos)
{
	auto campos = analiza("a%float[]b%float[,5]c%float[-2.5,1e3]");
	ASSERT_EQ(campos.size(), 3u);
	EXPECT_FALSE(campos[0].limites.con_min);
	EXPECT_FALSE(campos[0].limites.con_max);
	EXPECT_FALSE(campos[1].limites.con_min);
	EXPECT_TRUE(campos[1].limites.con_max);
	EXPECT_EQ(campos[1].limites.max, 5);
	EXPECT_EQ(campos[2].limites.min, -2.5);
	EXPECT_EQ(campos[2].limites.max, 1000);
}

TEST(AdimeFormato, LaAyudaSonBloquesDeTextoSeguidosDeRegla)
{
	auto campos = analiza("Titulo      Vers. 1.0   %nothing[]%line[]"
	                      "Linea uno. \n\nLinea tres%nothing[]%line[]"
	                      "Autor\n\nHerramientas\n%nothing[]%line[]");
	ASSERT_EQ(campos.size(), 6u);
	EXPECT_EQ(campos[0].tipo, TipoCampo::nada);
	EXPECT_EQ(campos[0].etiqueta, "Titulo      Vers. 1.0   ");
	EXPECT_EQ(campos[1].tipo, TipoCampo::linea);
	EXPECT_EQ(campos[1].etiqueta, "");
	EXPECT_EQ(campos[2].etiqueta, "Linea uno. \n\nLinea tres");
	EXPECT_EQ(campos[4].etiqueta, "Autor\n\nHerramientas\n");
	for (const auto &c : campos)
		EXPECT_FALSE(adime::toma_argumento(c.tipo));
}

TEST(AdimeFormato, ElTextoTrasElUltimoCampoNoFormaCampo)
{
	auto campos = analiza("a %bool[] sobra");
	ASSERT_EQ(campos.size(), 1u);
	EXPECT_EQ(campos[0].etiqueta, "a ");
	EXPECT_TRUE(analiza("solo texto").empty());
	EXPECT_TRUE(analiza("").empty());
}

TEST(AdimeFormato, DobleTantoPorCientoEsUnTantoPorCientoLiteral)
{
	auto campos = analiza("100%% seguro %bool[]");
	ASSERT_EQ(campos.size(), 1u);
	EXPECT_EQ(campos[0].etiqueta, "100% seguro ");
}

TEST(AdimeFormato, UnBotonSinPuntoYComaNoTieneAtajo)
{
	auto campos = analiza("%buttonrow[Uno,Dos;F2,&Tres;esc]");
	ASSERT_EQ(campos[0].botones.size(), 3u);
	EXPECT_TRUE(campos[0].botones[0].atajos.empty());
	EXPECT_TRUE(adime::coincide(campos[0].botones[1].atajos[0], 0, KEY_F2));
	EXPECT_TRUE(adime::coincide(campos[0].botones[2].atajos[0], 27, KEY_ESC));
}

TEST(AdimeFormato, LosFormatosMalEscritosSeRechazanConMotivo)
{
	EXPECT_NE(error_de("%integer[]").find("integer"), std::string::npos);
	EXPECT_NE(error_de("%bool").find("corchetes"), std::string::npos);
	EXPECT_NE(error_de("%float[0,").find("corchetes"), std::string::npos);
	EXPECT_NE(error_de("%filename[,,]").find("filename"), std::string::npos);
	EXPECT_NE(error_de("%filename[0,,]").find("filename"), std::string::npos);
	EXPECT_NE(error_de("%filename[mil,,]").find("filename"), std::string::npos);
	EXPECT_NE(error_de("%float[x,]").find("x"), std::string::npos);
	EXPECT_NE(error_de("%buttonrow[A;NOEXISTE]").find("NOEXISTE"), std::string::npos);
}

TEST(AdimeFormato, LasLineasDeUnaEtiquetaSonUnaPorSaltoDeLinea)
{
	using V = std::vector<std::string>;
	EXPECT_EQ(adime::lineas_de(""), V{});
	EXPECT_EQ(adime::lineas_de("uno"), V{"uno"});
	EXPECT_EQ(adime::lineas_de("uno\ndos"), (V{"uno", "dos"}));
	EXPECT_EQ(adime::lineas_de("uno\n\ntres"), (V{"uno", "", "tres"}));
	EXPECT_EQ(adime::lineas_de("uno\n"), V{"uno"});
	EXPECT_EQ(adime::lineas_de("uno\n\n"), (V{"uno", ""}));
}

TEST(AdimeAtajos, AltYCtrlConLaLetraSeDistinguenDeLaLetraSola)
{
	adime::Atajo o = adime::atajo_alt_ctrl('o');
	EXPECT_TRUE(adime::coincide(o, 0, KEY_O));             // Alt+O
	EXPECT_TRUE(adime::coincide(o, 'o' - 'a' + 1, KEY_O)); // Ctrl+O
	EXPECT_FALSE(adime::coincide(o, 'o', KEY_O));
	EXPECT_FALSE(adime::coincide(o, 0, KEY_C));
	adime::Atajo letra;
	ASSERT_TRUE(adime::atajo_de_nombre("L", letra));
	EXPECT_TRUE(adime::coincide(letra, 'L', KEY_L));
	EXPECT_FALSE(adime::coincide(letra, 0, KEY_L));
	EXPECT_FALSE(adime::coincide(letra, 'l' - 'a' + 1, KEY_L));
}

TEST(AdimeAtajos, IntroDelTecladoNumericoTambienEsIntro)
{
	adime::Atajo intro;
	ASSERT_TRUE(adime::atajo_de_nombre("ENTER", intro));
	EXPECT_TRUE(adime::coincide(intro, '\r', KEY_ENTER));
	EXPECT_TRUE(adime::coincide(intro, '\r', KEY_ENTER_PAD));
	EXPECT_FALSE(adime::coincide(intro, '\r', KEY_M)); // Ctrl+M gives the same character
	adime::Atajo nada;
	EXPECT_FALSE(adime::atajo_de_nombre("", nada));
	EXPECT_FALSE(adime::atajo_de_nombre("F13", nada));
}
