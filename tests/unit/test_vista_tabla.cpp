// The import view's preview: a file's first rows split as a reading would
// split them, and the text that shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fichero.h"
#include "mensajes.h"
#include "textos.h"

namespace {

const char *const TABLA = "# medida del lunes\nnm;cuentas;nota\n\n401,5;1.234,5;NA\n402,5;7;x\n";

FormaLectura con_punto_y_coma()
{
	FormaLectura f;
	f.separador = ';';
	f.decimal = ',';
	f.miles = '.';
	f.cabecera = 1;
	f.columnas = 3;
	f.columna_x = 0;
	f.columna_y = 1;
	return f;
}

} // namespace

// The header names the columns; a comment and a blank line carry no row; a
// number reads with the marks chosen; a missing value is a value, text not.
TEST(VistaTabla, SeParteComoLaLectura)
{
	VistaTabla v = vista_de_tabla(TABLA, con_punto_y_coma(), 10);
	EXPECT_EQ(v.nombres, (std::vector<std::string>{"nm", "cuentas", "nota"}));
	ASSERT_EQ(v.filas.size(), 2u);
	ASSERT_EQ(v.filas[0].size(), 3u);
	EXPECT_EQ(v.filas[0][0].texto, "401.5");
	EXPECT_EQ(v.filas[0][1].texto, "1234.5");
	EXPECT_TRUE(v.filas[0][2].numero);
	EXPECT_FALSE(v.filas[1][2].numero);
	EXPECT_EQ(v.filas[1][2].texto, "x");
}

// Another separator splits other columns: one field a row, read as no number.
TEST(VistaTabla, OtroSeparadorDaOtrasColumnas)
{
	FormaLectura f = con_punto_y_coma();
	f.separador = ',';
	VistaTabla v = vista_de_tabla(TABLA, f, 1);
	ASSERT_EQ(v.filas.size(), 1u);
	ASSERT_EQ(v.filas[0].size(), 3u); // "401", "5;1.234", "5;NA"
	EXPECT_EQ(v.filas[0][1].texto, "5;1.234");
	EXPECT_FALSE(v.filas[0][1].numero);
}

// The preview's text marks x and the intensity, keeps its number of lines
// whatever it shows, and marks a field that reads no number.
TEST(VistaTabla, ElTextoMarcaLasColumnasYTieneSiempreLasMismasLineas)
{
	FormaLectura f = con_punto_y_coma();
	std::string t = texto_vista_previa(vista_de_tabla(TABLA, f, FILAS_VISTA_PREVIA), f);
	EXPECT_NE(t.find("[1] nm (x)  [2] cuentas (intensidad)  [3] nota"), std::string::npos) << t;
	EXPECT_NE(t.find("x?"), std::string::npos) << t;
	auto lineas = [](const std::string &s) { return std::count(s.begin(), s.end(), '\n'); };
	std::string vacia = texto_vista_previa(vista_de_tabla("", f, FILAS_VISTA_PREVIA), f);
	EXPECT_EQ(lineas(t), 2 + FILAS_VISTA_PREVIA);
	EXPECT_EQ(lineas(vacia), lineas(t));
}
