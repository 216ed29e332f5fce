// How a file of columns was read, as an import view sees it: the form kept
// in the Lectura, the other readings of an ambiguous file, a load with a form
// the user chose, and the file's first lines as text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

// The floats strtof reads from the texts: the reader's promise.
std::vector<float> floats(const std::vector<std::string> &textos)
{
	std::vector<float> v;
	for (const std::string &t : textos)
		v.push_back(std::strtof(t.c_str(), nullptr));
	return v;
}

std::vector<float> muestras(const Lectura &l)
{
	return std::vector<float>(l.Li + 1, l.Li + 1 + l.nptL);
}

// Reads bytes with the form, from memory and from a file in small blocks,
// which must agree; the samples.
std::vector<float> lee_con(const std::string &bytes, const FormaLectura &forma)
{
	Lectura l, b;
	EXPECT_EQ(lee_espectro_memoria_con_forma(bytes.data(), bytes.size(), forma, &l), FICHERO_BIEN);
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	escribe_bytes(ruta, bytes);
	EXPECT_EQ(lee_espectro_con_forma(ruta.c_str(), forma, &b, 3), FICHERO_BIEN);
	std::vector<float> v = muestras(l);
	EXPECT_EQ(muestras(b), v);
	EXPECT_EQ(l.n_formas, 1);
	libera_lectura(&l);
	libera_lectura(&b);
	return v;
}

// A table's reading as the import view makes it.
FormaLectura tabla(char separador, int columnas, int x, int y, int cabecera = 0, char decimal = '.',
                   char miles = 0)
{
	FormaLectura f;
	f.separador = separador;
	f.columnas = columnas;
	f.columna_x = x;
	f.columna_y = y;
	f.cabecera = cabecera;
	f.decimal = decimal;
	f.miles = miles;
	return f;
}

} // namespace

TEST(FormaLectura, UnaTablaDiceComoSeLeyoYUnaListaQueNoTieneX)
{
	std::string tabla = "Titulo\nnm;I;Sigma\n500,5;1,5;0,1\n501,0;2,5;0,1\n501,5;3,5;0,2\n";
	Lectura l;
	ASSERT_EQ(lee_espectro_memoria(tabla.data(), tabla.size(), &l), FICHERO_BIEN);
	ASSERT_EQ(l.n_formas, 1);
	const FormaLectura &f = l.formas[0];
	EXPECT_FALSE(f.lista);
	EXPECT_EQ(f.cabecera, 2);
	EXPECT_EQ(f.separador, ';');
	EXPECT_EQ(f.decimal, ',');
	EXPECT_EQ(f.miles, 0);
	EXPECT_EQ(f.columnas, 3);
	EXPECT_EQ(f.columna_x, 0);
	EXPECT_EQ(f.columna_y, 1);
	libera_lectura(&l);
	std::string lista = "5\n6\n7\n";
	ASSERT_EQ(lee_espectro_memoria(lista.data(), lista.size(), &l), FICHERO_BIEN);
	ASSERT_EQ(l.n_formas, 1);
	EXPECT_TRUE(l.formas[0].lista);
	EXPECT_EQ(l.formas[0].columna_x, -1);
	libera_lectura(&l);
}

// Each reading an ambiguous file offers loads what it says: the program's
// pick first, then the others, each a different spectrum.
TEST(FormaLectura, CadaLecturaDeUnFicheroAmbiguoDaSuEspectro)
{
	struct Caso {
		std::string bytes;
		std::vector<std::string> elegida, otra;
	};
	const Caso casos[] = {
	    // thousands marks, or decimal commas
	    {"Channel\tCounts\n0\t1,050\n1\t2,100\n", {"1050", "2100"}, {"1.050", "2.100"}},
	    // two columns of counts: which is the intensity
	    {"Counts A,Counts B\n5,60\n7,80\n9,70\n", {"5", "7", "9"}, {"60", "80", "70"}},
	    // counts several to a row, or x and y
	    {"100 103 106 109\n112 115 118 121\n124 127 130 133\n",
	     {"100", "103", "106", "109", "112", "115", "118", "121", "124", "127", "130", "133"},
	     {"103", "115", "127"}},
	    // a comma that separates, or a decimal comma
	    {"5,25\n6,50\n7,75\n", {"25", "50", "75"}, {"5.25", "6.50", "7.75"}},
	};
	for (const Caso &c : casos) {
		SCOPED_TRACE(c.bytes);
		Lectura l;
		ASSERT_EQ(lee_espectro_memoria(c.bytes.data(), c.bytes.size(), &l), FICHERO_BIEN);
		EXPECT_TRUE(l.ambigua());
		EXPECT_EQ(muestras(l), floats(c.elegida));
		ASSERT_GE(l.n_formas, 2);
		EXPECT_EQ(lee_con(c.bytes, l.formas[0]), floats(c.elegida));
		EXPECT_EQ(lee_con(c.bytes, l.formas[1]), floats(c.otra));
		libera_lectura(&l);
	}
}

TEST(FormaLectura, UnaFormaElegidaCambiaLaColumnaYLaCabecera)
{
	std::string bytes = "a b c\n1 10 100\n2 20 200\n3 30 300\n";
	FormaLectura f = tabla(' ', 3, 0, 2, 1);
	EXPECT_EQ(lee_con(bytes, f), floats({"100", "200", "300"}));
	f.columna_x = -1;
	f.columna_y = 1;
	EXPECT_EQ(lee_con(bytes, f), floats({"10", "20", "30"}));
	// Points that mark thousands before a decimal comma.
	std::string miles = "x;y\n1;1.050,5\n2;12.100,25\n";
	EXPECT_EQ(lee_con(miles, tabla(';', 2, 0, 1, 1, ',', '.')), floats({"1050.5", "12100.25"}));
}

TEST(FormaLectura, LasPrimerasLineasSeDanAcotadas)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "lineas.txt", texto;
	for (int i = 1; i <= 1000; i++)
		texto += "linea " + std::to_string(i) + "\n";
	escribe_bytes(ruta, "\xEF\xBB\xBF" + texto);
	char buf[64];
	EXPECT_EQ(primeras_lineas(ruta.c_str(), buf, sizeof buf, 3), 3);
	EXPECT_STREQ(buf, "linea 1\nlinea 2\nlinea 3\n");
	int n = primeras_lineas(ruta.c_str(), buf, sizeof buf, 1000);
	EXPECT_EQ(std::string(buf), texto.substr(0, sizeof buf - 1));
	EXPECT_EQ(n, 8); // seven whole lines and the start of the eighth
	EXPECT_EQ(primeras_lineas((dir / "no-existe").c_str(), buf, sizeof buf, 3), -1);
}

// Plain rows are read the fast way: a thousands mark chosen for them keeps
// every row to its scale, the first and the rest alike.
TEST(FormaLectura, LaMarcaDeMilesElegidaValeEnCadaFila)
{
	std::string bytes;
	std::vector<std::string> esperadas;
	for (int i = 0; i < 200; i++) {
		bytes += std::to_string(400 + i) + ";1." + std::to_string(100 + i) + "\n";
		esperadas.push_back("1" + std::to_string(100 + i));
	}
	EXPECT_EQ(lee_con(bytes, tabla(';', 2, 0, 1, 0, ',', '.')), floats(esperadas));
}

// A spacer column between x and y, chosen as the import view chooses it.
TEST(FormaLectura, UnaColumnaVaciaEntreXeYNoRompeLaFila)
{
	EXPECT_EQ(lee_con("400,,0.12\n401,,0.15\n402,,0.11\n", tabla(',', 3, 0, 2)),
	          floats({"0.12", "0.15", "0.11"}));
}
