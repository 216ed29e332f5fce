// Number conversion agrees with the C library's scanf bit for bit, token
// boundaries included, and the writer's numbers read back exactly.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "lector_motor.h"
#include "test_fichero_ayuda.h"

namespace {

// What sscanf makes of s with "%f": whether it reads, the float, the bytes taken.
struct Escaneo {
	bool lee = false;
	float x = 0;
	size_t n = 0;
};

Escaneo escanea_libc(const std::string &s)
{
	Escaneo e;
	int n = -1;
	e.lee = std::sscanf(s.c_str(), "%f%n", &e.x, &n) == 1;
	e.n = e.lee ? size_t(n) : 0;
	return e;
}

Escaneo escanea_nuestro(const std::string &s)
{
	Escaneo e;
	size_t blancos = 0;
	while (blancos < s.size() && es_blanco(s[blancos]))
		blancos++;
	e.n = lee_float_como_scanf(s.data() + blancos, s.data() + s.size(), &e.x);
	e.lee = e.n > 0;
	e.n += e.lee ? blancos : 0;
	return e;
}

// The fast form, where it accepts a whole token, must agree too.
void compara_corto(const std::string &s, const Escaneo &a)
{
	std::string con_margen = std::string(16, '#') + s;
	const char *q = con_margen.data() + 16;
	float x;
	if (!lee_float_corto(q, q + s.size(), &x))
		return;
	ASSERT_TRUE(a.lee && a.n == s.size()) << "'" << s << "'";
	EXPECT_TRUE(mismos_bits(a.x, x)) << "'" << s << "'";
}

void compara(const std::string &s)
{
	Escaneo a = escanea_libc(s), b = escanea_nuestro(s);
	compara_corto(s, a);
	ASSERT_EQ(a.lee, b.lee) << "'" << s << "'";
	if (a.lee) {
		EXPECT_EQ(a.n, b.n) << "'" << s << "'";
		EXPECT_TRUE(mismos_bits(a.x, b.x)) << "'" << s << "' " << a.x << " vs " << b.x;
	}
}

} // namespace

TEST(NumerosFloat, CadaLineaDeHardFloatsComoScanf)
{
	std::ifstream f(ORQ_DATOS_PRUEBA "/hard-floats.txt");
	std::string linea;
	int lineas = 0;
	while (std::getline(f, linea)) {
		compara(linea);
		compara(linea + " ");
		lineas++;
	}
	EXPECT_GT(lineas, 15000);
}

TEST(NumerosFloat, BordesDelEscanerComoScanf)
{
	const char *casos[] = {"0x",        "-0x",     "+0x",   "0x.",     "0x.p1",
	                       "1E+5",      "1e+",     "1e",    "infin",   "infx",
	                       "-infinity", "nan(12)", "-nan",  "0x1p",    "1.2.3",
	                       "1e5e3",     "-.",      "+.5",   "0X1P-2z", "INF",
	                       "iNfInItY",  "0xg",     "-0xg",  "00x1",    "0x1.8p1",
	                       "1e-",       ".e5",     "0e",    "0.e1",    "5.",
	                       ".5",        "-",       "+",     ".",       "1-2",
	                       "3e38",      "4e38",    "1e-46", "7e-46",   "1.4e-45",
	                       "0x1p-150",  "0x1p128", "-0",    "1e",      "n",
	                       "na",        "i",       "in",    "0xp1",    "0x1P+3",
	                       "1.5E",      "1.5e+-3", "2,5",   "1e400",   "00000000000000000001"};
	for (const char *c : casos)
		compara(c);
}

// Random short texts over the characters that matter to the scanner.
TEST(NumerosFloat, TextosAlAzarComoScanf)
{
	const std::string alfabeto = "0123456789.eE+-xXpPabfinINFtyA ,";
	std::mt19937 azar(12345);
	for (int i = 0; i < 200000; i++) {
		std::string s;
		int largo = 1 + azar() % 9;
		for (int k = 0; k < largo; k++)
			s += alfabeto[azar() % alfabeto.size()];
		compara(s);
	}
}

// Plain decimals of every length, the writer's form among them, and ties
// between two floats written out in full.
TEST(NumerosFloat, DecimalesAlAzarComoScanf)
{
	std::mt19937 azar(4242);
	for (int i = 0; i < 300000; i++) {
		std::string s = azar() % 4 ? "" : "-";
		int enteras = azar() % 14, decimales = azar() % 12;
		for (int k = 0; k < enteras; k++)
			s += char('0' + azar() % 10);
		if (decimales || azar() % 2)
			s += '.';
		for (int k = 0; k < decimales; k++)
			s += char('0' + azar() % 10);
		compara(s);
		compara(s + "\n");
	}
	for (uint32_t m = (1u << 24) - 40; m < (1u << 24) + 4000; m++) {
		compara(std::to_string(m) + ".5");
		compara(std::to_string(m));
	}
}

// Decimals a hair off a point halfway between two floats: their nearest
// double is that point, and only the decimal's side of it decides the float.
TEST(NumerosFloat, CercaDelPuntoMedioEntreDosFloats)
{
	std::mt19937 azar(31);
	std::uniform_real_distribution<float> valor(0.1f, 1.0f);
	char buf[64];
	for (int i = 0; i < 100000; i++) {
		float f = valor(azar);
		double medio = (double(f) + double(std::nextafterf(f, 2.0f))) / 2;
		for (int decimales : {15, 16}) {
			std::snprintf(buf, sizeof buf, "%.*f", decimales, medio);
			compara(buf);
		}
	}
}

TEST(NumerosFloat, ElFinDelTextoCuentaComoFinDeFichero)
{
	// Without the final byte the same text is a shorter number.
	const std::string s = "12.5e3";
	float x;
	EXPECT_EQ(lee_float_como_scanf(s.data(), s.data() + 4, &x), 4u);
	EXPECT_EQ(x, 12.5f);
	EXPECT_EQ(lee_float_como_scanf(s.data(), s.data() + 5, &x), 5u);
	EXPECT_EQ(x, 12.5f);
}

TEST(NumerosEntero, ComoScanfConI)
{
	const char *casos[] = {"010",        "0x10",        "08",    "0x",   "-0x1g",      "+",
	                       "0x1F",       "-010",        "12abc", "0X7f", "-",          "+12",
	                       "0",          "  7",         "x",     "09",   "0xZ",        "1e3",
	                       "2147483647", "-2147483648", "0777",  "-0",   "0x7fffffff", "1.5"};
	for (const char *c : casos) {
		int a = -7, b = -7, n = -1;
		bool lee = std::sscanf(c, "%i%n", &a, &n) == 1;
		std::string s = c;
		size_t k = s[0] == ' ' ? s.find_first_not_of(' ') : 0;
		size_t m = lee_entero_como_scanf(s.data() + k, s.data() + s.size(), &b);
		ASSERT_EQ(lee, m > 0) << c;
		if (lee) {
			EXPECT_EQ(size_t(n), m + k) << c;
			EXPECT_EQ(a, b) << c;
		}
	}
}

TEST(NumerosEntero, FueraDeRangoSatura)
{
	const std::string grande = "99999999999", pequeno = "-0x7fffffffff";
	int v;
	EXPECT_EQ(lee_entero_como_scanf(grande.data(), grande.data() + grande.size(), &v), grande.size());
	EXPECT_EQ(v, INT_MAX);
	lee_entero_como_scanf(pequeno.data(), pequeno.data() + pequeno.size(), &v);
	EXPECT_EQ(v, INT_MIN);
}

TEST(NumerosFormato, PorcentajeFCuandoNoPierde)
{
	char buf[TAM_NUMERO];
	formatea_sin_perdida(buf, 123.5f);
	EXPECT_STREQ(buf, "123.500000");
	formatea_sin_perdida(buf, 0.0f);
	EXPECT_STREQ(buf, "0.000000");
	formatea_sin_perdida(buf, -0.0f);
	EXPECT_STREQ(buf, "-0.000000");
	formatea_sin_perdida(buf, 0.1f);
	EXPECT_STREQ(buf, "0.100000");
	formatea_sin_perdida(buf, 16777217.0f);
	EXPECT_STREQ(buf, "16777216.000000");
	formatea_sin_perdida(buf, INFINITY);
	EXPECT_STREQ(buf, "inf");
}

TEST(NumerosFormato, NueveCifrasCuandoPorcentajeFPierde)
{
	char buf[TAM_NUMERO];
	formatea_sin_perdida(buf, 1.5e-17f);
	float x = std::strtof(buf, nullptr);
	EXPECT_TRUE(mismos_bits(x, 1.5e-17f)) << buf;
	formatea_sin_perdida(buf, 0.1234567f);
	EXPECT_TRUE(mismos_bits(std::strtof(buf, nullptr), 0.1234567f)) << buf;
	EXPECT_NE(std::string(buf), "0.123457");
}

// Every float, of any exponent, reads back; the text is "%f"'s whenever that reads back.
TEST(NumerosFormato, CualquierFloatVuelveIgual)
{
	std::mt19937 azar(777);
	char buf[TAM_NUMERO], f[TAM_NUMERO];
	for (int i = 0; i < 300000; i++) {
		uint32_t bits = azar();
		float x;
		std::memcpy(&x, &bits, sizeof x);
		formatea_sin_perdida(buf, x);
		float y = std::strtof(buf, nullptr);
		if (std::isnan(x)) {
			EXPECT_TRUE(std::isnan(y) && std::signbit(x) == std::signbit(y)) << buf;
			continue;
		}
		ASSERT_TRUE(mismos_bits(x, y)) << buf;
		std::snprintf(f, sizeof f, "%f", x);
		if (mismos_bits(std::strtof(f, nullptr), x)) {
			ASSERT_STREQ(buf, f);
		}
	}
}
