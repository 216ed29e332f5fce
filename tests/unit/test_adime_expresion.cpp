// The arithmetic of %float fields: what it accepts, what it refuses, and what
// a field stores for a text within its bounds.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <string>

#include "adime_expresion.h"

namespace {

double evalua(const char *texto)
{
	double v = -12345;
	EXPECT_TRUE(adime::evalua_expresion(texto, v)) << texto;
	return v;
}

bool rechaza(const char *texto)
{
	double v = -12345;
	bool ok = adime::evalua_expresion(texto, v);
	return !ok && v == -12345;
}

adime::Limites desde(double min)
{
	adime::Limites l;
	l.con_min = true;
	l.min = min;
	return l;
}

adime::Limites entre(double min, double max)
{
	adime::Limites l = desde(min);
	l.con_max = true;
	l.max = max;
	return l;
}

} // namespace

TEST(AdimeExpresion, NumerosConDecimalesYExponentes)
{
	EXPECT_DOUBLE_EQ(evalua("585.249"), 585.249);
	EXPECT_DOUBLE_EQ(evalua(".5"), 0.5);
	EXPECT_DOUBLE_EQ(evalua("5."), 5.0);
	EXPECT_DOUBLE_EQ(evalua("1e3"), 1000.0);
	EXPECT_DOUBLE_EQ(evalua("2.5E-2"), 0.025);
	EXPECT_DOUBLE_EQ(evalua("1e+2"), 100.0);
	EXPECT_DOUBLE_EQ(evalua("  42  "), 42.0);
}

TEST(AdimeExpresion, PrecedenciaParentesisYSignos)
{
	EXPECT_DOUBLE_EQ(evalua("1170.498/2"), 585.249);
	EXPECT_DOUBLE_EQ(evalua("2+3*4"), 14.0);
	EXPECT_DOUBLE_EQ(evalua("(2+3)*4"), 20.0);
	EXPECT_DOUBLE_EQ(evalua("10-4-3"), 3.0);
	EXPECT_DOUBLE_EQ(evalua("16/4/2"), 2.0);
	EXPECT_DOUBLE_EQ(evalua("-5"), -5.0);
	EXPECT_DOUBLE_EQ(evalua("--5"), 5.0);
	EXPECT_DOUBLE_EQ(evalua("+5"), 5.0);
	EXPECT_DOUBLE_EQ(evalua("2*-3"), -6.0);
	EXPECT_DOUBLE_EQ(evalua("-(1+2)*2"), -6.0);
	EXPECT_DOUBLE_EQ(evalua("((1))"), 1.0);
	EXPECT_DOUBLE_EQ(evalua("1e2/4e1"), 2.5);
}

TEST(AdimeExpresion, LoMalFormadoSeRechazaSinTocarElValor)
{
	for (const char *t : {"", "   ", "abc", "1+", "*2", "(1+2", "1+2)", "1 2", "1..2", "e5", ".", "1e",
	                      "0x10", "inf", "nan", "1/0", "3/(2-2)", "5%", "1,5"})
		EXPECT_TRUE(rechaza(t)) << "'" << t << "'";
	EXPECT_TRUE(rechaza(nullptr));
}

TEST(AdimeExpresion, UnAnidamientoAbsurdoSeRechazaSinDesbordarLaPila)
{
	std::string hondo(100000, '(');
	hondo += "1";
	hondo += std::string(100000, ')');
	EXPECT_TRUE(rechaza(hondo.c_str()));
	std::string menos(100000, '-');
	menos += "1";
	EXPECT_TRUE(rechaza(menos.c_str()));
}

TEST(AdimeExpresion, ElCampoAcotaElResultadoASusLimites)
{
	EXPECT_FLOAT_EQ(adime::valor_de_texto("1170.498/2", desde(0)), 585.249f);
	EXPECT_EQ(adime::valor_de_texto("-5", desde(0)), 0.0f);
	EXPECT_EQ(adime::valor_de_texto("250", entre(0, 100)), 100.0f);
	EXPECT_EQ(adime::valor_de_texto("-250", adime::Limites{}), -250.0f);
	EXPECT_EQ(adime::valor_de_texto("1e30", adime::Limites{}), 1e30f);
}

TEST(AdimeExpresion, LoVacioOInvalidoCuentaComoCeroYLuegoSeAcota)
{
	EXPECT_EQ(adime::valor_de_texto("", desde(0)), 0.0f);
	EXPECT_EQ(adime::valor_de_texto("hola", desde(0)), 0.0f);
	EXPECT_EQ(adime::valor_de_texto("hola", entre(5, 10)), 5.0f);
	EXPECT_EQ(adime::valor_de_texto("", entre(-10, -5)), -5.0f);
	// Too large for a float: not a value the field can hold.
	EXPECT_EQ(adime::valor_de_texto("1e39", adime::Limites{}), 0.0f);
}

TEST(AdimeExpresion, ElTextoDeUnRealSeLeeDeVueltaIgualYEsCorto)
{
	for (float v : {0.0f, 1.0f, -2.5f, 585.249f, 0.1f, 1e-7f, 123456789.0f, FLT_MAX, -FLT_MIN, 7.5f}) {
		std::string t = adime::texto_de_float(v);
		EXPECT_EQ(std::strtof(t.c_str(), nullptr), v) << t;
		EXPECT_LE(t.size(), 15u) << t;
	}
	EXPECT_EQ(adime::texto_de_float(0.0f), "0");
	EXPECT_EQ(adime::texto_de_float(585.249f), "585.249");
	EXPECT_EQ(adime::texto_de_float(7.5f), "7.5");
}
