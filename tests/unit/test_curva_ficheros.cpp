// Curved calibrations through the files: the shared lamp spectra, whose x is
// a pipeline's curve, load as that x at every channel with no notice; a
// polynomial and a table saved in the own format read back to the same
// wavelength at every channel, bit for bit, while a reader that knows only
// the header (written here with scanf, as the format is defined) reads the
// header's best line and the samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

const char *const LAMPARAS[] = {"ArRed0.86-high.csv", "KrRed0.86-high.csv", "NeBlue0.86-high.csv",
                                "NeRed0.86-high.csv"};

std::string ruta_lampara(const char *nombre)
{
	return std::string(ORQ_DATOS_PRUEBA "/real/lamps/") + nombre;
}

// The first column of a "wave,flux" file, by the C library.
std::vector<double> x_del_fichero(const std::string &ruta)
{
	std::ifstream f(ruta);
	std::string linea;
	std::getline(f, linea); // the header
	std::vector<double> x;
	while (std::getline(f, linea))
		x.push_back(std::strtod(linea.c_str(), nullptr));
	return x;
}

// What a reader of the format's header alone takes from a file: the count,
// al and bl after the title line, then that many samples.
struct LecturaMinima {
	int n = 0;
	float al = 0, bl = 0;
	std::vector<float> v;
};

LecturaMinima lee_como_se_define(const std::string &ruta)
{
	LecturaMinima r;
	FILE *f = std::fopen(ruta.c_str(), "r");
	char titulo[1000];
	if (!f || !std::fgets(titulo, sizeof titulo, f) ||
	    std::fscanf(f, "%i %f %f", &r.n, &r.al, &r.bl) != 3) {
		if (f)
			std::fclose(f);
		return r;
	}
	float x;
	for (int i = 0; i < r.n && std::fscanf(f, "%f ", &x) == 1; i++)
		r.v.push_back(x);
	std::fclose(f);
	return r;
}

// Saves l under cal, reads it back both ways, and compares.
void ida_y_vuelta(const Lectura &l, const Calibracion &cal)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "curva.txt";
	ASSERT_EQ(escribe_espectro(ruta.c_str(), l.comment, l.Li, l.nptL, cal), FICHERO_BIEN);
	for (size_t bloque : {size_t(1) << 20, size_t(7)}) {
		Lectura b;
		ASSERT_EQ(lee_espectro_en_bloques(ruta.c_str(), &b, bloque), FICHERO_BIEN);
		EXPECT_EQ(mensaje_aviso(b, "curva.txt"), nullptr);
		ASSERT_EQ(b.nptL, l.nptL);
		EXPECT_EQ(b.cal.forma, cal.forma);
		int distintas = 0;
		for (int c = 1; c <= l.nptL; c++)
			distintas +=
			    longitud_en(b.cal, c) != longitud_en(cal, c) || !mismos_bits(b.Li[c], l.Li[c]);
		EXPECT_EQ(distintas, 0);
		libera_lectura(&b);
	}
	LecturaMinima m = lee_como_se_define(ruta);
	ASSERT_EQ(m.n, l.nptL);
	ASSERT_EQ(m.v.size(), size_t(l.nptL));
	EXPECT_NEAR(m.al, cal.al, 1e-6 * std::fabs(cal.al));
	double primera = longitud_en(Calibracion(cal.al, cal.bl), 1); // to a float's digits
	EXPECT_NEAR((1 + double(m.bl)) * double(m.al), primera, 1e-6 * std::fabs(primera));
	EXPECT_EQ(std::memcmp(m.v.data(), l.Li + 1, m.v.size() * sizeof(float)), 0);
}

} // namespace

TEST(CurvaFicheros, LasLamparasCarganSuXEnCadaCanalSinAviso)
{
	for (const char *nombre : LAMPARAS) {
		SCOPED_TRACE(nombre);
		std::vector<double> x = x_del_fichero(ruta_lampara(nombre));
		Lectura l;
		ASSERT_EQ(lee_espectro(ruta_lampara(nombre).c_str(), &l), FICHERO_BIEN);
		EXPECT_EQ(mensaje_aviso(l, nombre), nullptr) << mensaje_aviso(l, nombre);
		ASSERT_EQ(size_t(l.nptL), x.size());
		int lejos = 0;
		for (int c = 1; c <= l.nptL; c++)
			lejos +=
			    !(std::fabs(longitud_en(l.cal, c) - x[size_t(c) - 1]) <= 1e-9 * std::fabs(x[0]));
		EXPECT_EQ(lejos, 0);
		libera_lectura(&l);
	}
}

TEST(CurvaFicheros, TablaYPolinomioSeGuardanYSeLeenBitABit)
{
	Lectura lampara;
	ASSERT_EQ(lee_espectro(ruta_lampara(LAMPARAS[0]).c_str(), &lampara), FICHERO_BIEN);
	ASSERT_EQ(lampara.cal.forma, FormaCalibracion::tabla);
	ida_y_vuelta(lampara, lampara.cal);
	Calibracion turnada = lampara.cal; // as a falling one is held once turned
	espeja_curva(turnada, lampara.nptL);
	turnada.al = -turnada.al;
	turnada.bl = -turnada.bl - lampara.nptL - 1;
	ida_y_vuelta(lampara, turnada);
	libera_lectura(&lampara);

	Lectura chn;
	ASSERT_EQ(lee_espectro(ORQ_DATOS_PRUEBA "/real/hpge-alcatraz.chn", &chn), FICHERO_BIEN);
	ASSERT_EQ(chn.cal.forma, FormaCalibracion::polinomio);
	ida_y_vuelta(chn, chn.cal);
	libera_lectura(&chn);
}

// The block as the writer puts it: its text, then a line with its length.
std::string con_bloque(const std::string &bloque)
{
	return "\"t\"\n3  0.5  10 \n1\n2\n3\n" + bloque + "#orquilo-calibracion-bytes " +
	       std::to_string(bloque.size()) + "\n";
}

TEST(CurvaFicheros, UnBloqueQueNoValeDejaLaRectaDeLaCabecera)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "curva.txt";
	// u = c: 0 - 3u + u^2 stands still from channel 1 to 2; the second is NaN.
	for (const char *terminos : {"2 1 0 0 -3 1", "2 1 0 0 1 nan", "2 1 0 0 1 0.001"}) {
		SCOPED_TRACE(terminos);
		escribe_bytes(ruta,
		              con_bloque(std::string("#orquilo-calibracion polinomio\n") + terminos + "\n"));
		Lectura l;
		ASSERT_EQ(lee_espectro(ruta.c_str(), &l), FICHERO_BIEN);
		bool vale = std::string(terminos).find("0.001") != std::string::npos;
		EXPECT_EQ(l.cal.forma, vale ? FormaCalibracion::polinomio : FormaCalibracion::recta);
		EXPECT_EQ(l.cal.al, 0.5);
		EXPECT_DOUBLE_EQ(longitud_en(l.cal, 3), vale ? 3.009 : 6.5);
		EXPECT_EQ(l.nptL, 3);
		libera_lectura(&l);
	}
}
