// The instruments' binary and newer formats on real files, each against an
// independent reading of the same measurement: an ORTEC .chn against the
// .Spe its software wrote, an N42 against the .chn of the same counting,
// an IEC 1455 file against its records parsed here; a Canberra .cnf is
// refused naming its kind.  Each file is read from disk, in small blocks and
// from memory, all three alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

constexpr size_t BLOQUE_PEQUENO = 7;

std::string ruta_real(const std::string &nombre)
{
	return ORQ_DATOS_PRUEBA "/real/" + nombre;
}

// Two readings that must be the same spectrum: samples bit for bit, live
// time, and calibration to the digits a text file keeps.
void espera_iguales(const Lectura &a, const Lectura &b, double tolerancia_cal)
{
	ASSERT_EQ(a.nptL, b.nptL);
	int distintas = 0;
	for (int i = 1; i <= a.nptL; i++)
		distintas += !mismos_bits(a.Li[i], b.Li[i]);
	EXPECT_EQ(distintas, 0);
	EXPECT_DOUBLE_EQ(a.tiempo_vivo, b.tiempo_vivo);
	EXPECT_EQ(a.cal.forma, b.cal.forma);
	for (int c : {1, a.nptL / 2, a.nptL})
		EXPECT_NEAR(longitud_en(a.cal, c), longitud_en(b.cal, c),
		            tolerancia_cal * std::fabs(longitud_en(b.cal, c)) + 1e-6)
		    << c;
}

// A real file read three ways, which must agree; the result code.
struct Real {
	int error;
	Lectura l;
	explicit Real(const std::string &nombre)
	{
		std::string ruta = ruta_real(nombre), bytes = contenido(ruta);
		error = lee_espectro(ruta.c_str(), &l);
		Lectura b, m;
		EXPECT_EQ(lee_espectro_en_bloques(ruta.c_str(), &b, BLOQUE_PEQUENO), error);
		EXPECT_EQ(lee_espectro_memoria(bytes.data(), bytes.size(), &m, nombre.c_str()), error);
		for (const Lectura *o : {&b, &m}) {
			espera_iguales(*o, l, 0);
			EXPECT_EQ(o->formato, l.formato);
			EXPECT_STREQ(o->nota, l.nota);
		}
		libera_lectura(&b);
		libera_lectura(&m);
	}
	~Real() { libera_lectura(&l); }
};

} // namespace

TEST(Instrumentos, ChnIgualaAlSpeDeLaMismaMedida)
{
	for (const char *base : {"hpge-pottery", "hpge-cave-background"}) {
		SCOPED_TRACE(base);
		Real chn(std::string(base) + ".chn");
		Real spe(std::string(base) + (std::string(base) == "hpge-pottery" ? ".Spe" : ".spe"));
		ASSERT_EQ(chn.error, FICHERO_BIEN);
		ASSERT_EQ(spe.error, FICHERO_BIEN);
		EXPECT_EQ(chn.l.formato, FORMATO_CHN);
		EXPECT_EQ(chn.l.nptL, 16384);
		espera_iguales(chn.l, spe.l, 1e-5); // the .Spe writes six digits of the same floats
		EXPECT_GT(chn.l.tiempo_vivo, 16000);
	}
}

TEST(Instrumentos, CnfYOtrosBinariosSeRechazanNombrandoSuClase)
{
	Real cnf("hpge-beach.cnf");
	EXPECT_EQ(cnf.error, FICHERO_CNF);
	EXPECT_EQ(cnf.l.nptL, 0);
	std::string mensaje = mensaje_error_fichero(cnf.error, "hpge-beach.cnf");
	EXPECT_NE(mensaje.find("Canberra CNF"), std::string::npos) << mensaje;
	EXPECT_NE(mensaje.find("binario"), std::string::npos) << mensaje;
	std::string chn = contenido(ruta_real("hpge-beach.chn"));
	for (size_t corte : {size_t(40), chn.size() / 2, chn.size() - 100}) {
		Lectura l;
		EXPECT_EQ(lee_espectro_memoria(chn.data(), corte, &l), FICHERO_CHN_DANADO) << corte;
		EXPECT_EQ(l.Li, nullptr);
	}
}

TEST(Instrumentos, N42IgualaAlChnDeLaMismaMedida)
{
	for (const char *base : {"hpge-alcatraz", "hpge-beach"}) {
		SCOPED_TRACE(base);
		Real n42(std::string(base) + ".n42"), chn(std::string(base) + ".chn");
		ASSERT_EQ(n42.error, FICHERO_BIEN);
		ASSERT_EQ(chn.error, FICHERO_BIEN);
		EXPECT_EQ(n42.l.formato, FORMATO_N42);
		espera_iguales(n42.l, chn.l, 1e-5); // the XML writes six digits of the trailer's floats
		EXPECT_STREQ(n42.l.nota, chn.l.nota);
	}
}

// An instrument that keeps every counting in one file: the real N42's
// measurement written four times, past detection's first look.  The first
// loads, as the file alone gives it, and the notice says there are more.
TEST(Instrumentos, N42DeCuatroMedidasCargaLaPrimeraYLoDice)
{
	Real una("hpge-alcatraz.n42");
	ASSERT_EQ(una.error, FICHERO_BIEN);
	std::string xml = contenido(ruta_real("hpge-alcatraz.n42"));
	size_t ini = xml.rfind('\n', xml.find("<RadMeasurement")) + 1;
	size_t fin = xml.find('\n', xml.find("</RadMeasurement>")) + 1;
	ASSERT_GT(fin, ini);
	std::string medida = xml.substr(ini, fin - ini);
	xml.insert(fin, medida + medida + medida);
	ASSERT_GT(xml.size(), size_t(65536));
	CarpetaTemporal dir;
	escribe_bytes(dir / "cuatro.n42", xml);
	Lectura l;
	ASSERT_EQ(lee_espectro((dir / "cuatro.n42").c_str(), &l), FICHERO_BIEN);
	espera_iguales(l, una.l, 0);
	EXPECT_NE(std::string(l.nota).find("tiene 4 espectros: se carga el primero"), std::string::npos)
	    << l.nota;
	libera_lectura(&l);
}

// Files that only look like N42 are refused, however they are made, and
// soon: text with the names but no tag (megabytes of it), nesting no
// instrument writes, and entities that would make a few bytes gigabytes.
TEST(Instrumentos, N42FalsoSeRechazaDiciendoDonde)
{
	std::string linea;
	for (int i = 0; i < 5400; i++)
		linea += "xChannelData";
	std::string falso = "<RadInstrumentData>\n";
	while (falso.size() < 9700000)
		falso += linea + "\n";
	std::string hondo = "<RadInstrumentData>\n";
	for (int i = 0; i < 100000; i++)
		hondo += "<a>";
	hondo += "<ChannelData>1 2</ChannelData>\n";
	std::string entidades =
	    "<?xml version=\"1.0\"?>\n<!DOCTYPE RadInstrumentData [<!ENTITY a \"1 1 1 1\">"
	    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n"
	    "<RadInstrumentData><ChannelData>&b;&b;</ChannelData></RadInstrumentData>\n";
	struct {
		const std::string &bytes;
		int linea; // the line named, 0 for none
	} casos[] = {{falso, 0}, {hondo, 2}, {entidades, 2}};
	for (const auto &c : casos) {
		SCOPED_TRACE(c.bytes.substr(0, 40));
		Lectura l;
		ASSERT_EQ(lee_espectro_memoria(c.bytes.data(), c.bytes.size(), &l, "falso.n42"),
		          FICHERO_SIN_MUESTRAS);
		EXPECT_EQ(l.linea_ilegible, c.linea);
	}
}

// The counts of an IEC 1455 file as its records give them: "A004", the
// first channel of the record, then its counts.
std::vector<float> cuentas_iec(const std::string &texto)
{
	std::vector<float> v;
	std::istringstream s(texto);
	for (std::string linea; std::getline(s, linea);) {
		int canal, c[5];
		if (linea.rfind("A004", 0) == 0 &&
		    std::sscanf(linea.c_str() + 4, "%d %d %d %d %d %d", &canal, &c[0], &c[1], &c[2], &c[3],
		                &c[4]) == 6 &&
		    canal == int(v.size()))
			v.insert(v.end(), c, c + 5);
	}
	return v;
}

TEST(Instrumentos, Iec1455CargaSusCanalesTiempoYCalibracion)
{
	Real iec("hpge-dummy.iec");
	ASSERT_EQ(iec.error, FICHERO_BIEN);
	EXPECT_EQ(iec.l.formato, FORMATO_IEC);
	std::vector<float> esperadas = cuentas_iec(contenido(ruta_real("hpge-dummy.iec")));
	ASSERT_GE(esperadas.size(), 2048u);
	ASSERT_EQ(iec.l.nptL, 2048); // the header's channels; the last record's padding left out
	EXPECT_EQ(std::vector<float>(iec.l.Li + 1, iec.l.Li + 2049),
	          std::vector<float>(esperadas.begin(), esperadas.begin() + 2048));
	EXPECT_DOUBLE_EQ(iec.l.tiempo_vivo, 3564);
	for (int c = 1; c <= 2048; c += 89) { // channel 1 is the file's channel 0
		double ch = c - 1;
		EXPECT_NEAR(longitud_en(iec.l.cal, c), -1.55656e-2 + 0.8 * ch - 2.97939e-8 * ch * ch, 1e-9);
	}
	EXPECT_STREQ(iec.l.comment, "\"Dummy data\"");
}

TEST(Instrumentos, CadaFormatoDaElTiempoVivoQueEscribe)
{
	struct {
		const char *nombre;
		double segundos;
	} casos[] = {
	    {"canberra.tka", 3600},   {"emsa-y.msa", 60.5},          {"n42-2006-en-lineas.n42", 90},
	    {"n42-plano.n42", 120.5}, {"pequeno.chn", 100},          {"iec-pequeno.iec", 100.25},
	    {"jcamp-affn.jdx", 0},    {"propio-una-columna.txt", 0}, {"n42-vivo-con-anos.n42", 3600.5}};
	for (const auto &c : casos) {
		SCOPED_TRACE(c.nombre);
		std::string ruta = ORQ_CORPUS "/" + std::string(c.nombre), bytes = contenido(ruta);
		Lectura m, b;
		ASSERT_EQ(lee_espectro_memoria(bytes.data(), bytes.size(), &m, c.nombre), FICHERO_BIEN);
		ASSERT_EQ(lee_espectro_en_bloques(ruta.c_str(), &b, BLOQUE_PEQUENO), FICHERO_BIEN);
		EXPECT_DOUBLE_EQ(m.tiempo_vivo, c.segundos);
		EXPECT_DOUBLE_EQ(b.tiempo_vivo, c.segundos);
		libera_lectura(&m);
		libera_lectura(&b);
	}
}
