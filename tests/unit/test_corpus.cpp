// The corpus of everyday files (tests/corpus/genera_corpus.py writes it at
// build time, with what each must give): every file read from memory and
// from disk in small blocks, against its samples bit for bit, its format,
// title and calibration, the line that stopped it and the message the user
// sees; and every file that loads, saved and read back unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

struct Caso {
	std::string nombre, resultado, formato, titulo, al, bl, aviso, muestras;
	int linea = 0;
	std::string ambigua = "-"; // "1" when the file may be read another way, "0" when not
};

constexpr char SIN_COMPROBAR[] = "-";

std::vector<std::string> campos(const std::string &linea)
{
	std::vector<std::string> c;
	std::istringstream s(linea);
	for (std::string campo; std::getline(s, campo, '\t');)
		c.push_back(campo);
	return c;
}

std::vector<Caso> casos()
{
	std::vector<Caso> todos;
	std::ifstream f(ORQ_CORPUS "/esperado.tsv");
	for (std::string linea; std::getline(f, linea);) {
		std::vector<std::string> c = campos(linea);
		if (c.size() >= 9)
			todos.push_back(Caso{c[0], c[1], c[2], c[4], c[5], c[6], c[7], c[8], std::stoi(c[3]),
			                     c.size() > 9 ? c[9] : SIN_COMPROBAR});
	}
	return todos;
}

// A name of the table and the value it stands for; `otro` for any other.
int valor_de(const std::string &nombre, const std::map<std::string, int> &valores, int otro)
{
	auto v = valores.find(nombre);
	return v == valores.end() ? otro : v->second;
}

int codigo(const std::string &r)
{
	static const std::map<std::string, int> codigos = {
	    {"BIEN", FICHERO_BIEN},       {"VACIO", FICHERO_VACIO},
	    {"BINARIO", FICHERO_BINARIO}, {"GZIP", FICHERO_GZIP},
	    {"ZIP", FICHERO_ZIP},         {"FITS", FICHERO_FITS},
	    {"CNF", FICHERO_CNF},         {"CHN_DANADO", FICHERO_CHN_DANADO}};
	return valor_de(r, codigos, FICHERO_SIN_MUESTRAS);
}

int formato(const std::string &f)
{
	static const std::map<std::string, int> formatos = {
	    {"SPE", FORMATO_SPE}, {"MCA", FORMATO_MCA},   {"COLUMNAS", FORMATO_COLUMNAS},
	    {"CHN", FORMATO_CHN}, {"N42", FORMATO_N42},   {"JCAMP", FORMATO_JCAMP},
	    {"IEC", FORMATO_IEC}, {"EMSA", FORMATO_EMSA}, {"TKA", FORMATO_TKA}};
	return valor_de(f, formatos, FORMATO_PROPIO);
}

std::vector<uint32_t> bits_esperados(const std::string &texto)
{
	std::vector<uint32_t> v;
	std::istringstream s(texto);
	for (std::string h; s >> h;)
		v.push_back(uint32_t(std::stoul(h, nullptr, 16)));
	return v;
}

void comprueba_calibracion(const Caso &c, const Lectura &l)
{
	if (c.al == SIN_COMPROBAR)
		return;
	double al = std::stod(c.al), bl = std::stod(c.bl);
	EXPECT_NEAR(l.cal.al, al, 1e-6 * std::fabs(al)) << "al";
	EXPECT_NEAR(l.cal.bl, bl, 1e-5 * std::max(1.0, std::fabs(bl))) << "bl";
	// Where the ends of the spectrum fall, to a thousandth of a channel: an
	// offset far from 0 must be held whole, not as a float.
	for (int canal : {1, l.nptL})
		EXPECT_NEAR((canal + l.cal.bl) * l.cal.al, (canal + bl) * al, 1e-3 * std::fabs(al))
		    << "canal " << canal;
}

void comprueba_muestras(const Caso &c, const Lectura &l)
{
	std::vector<uint32_t> esperadas = bits_esperados(c.muestras);
	ASSERT_EQ(size_t(l.nptL), esperadas.size());
	int distintas = 0;
	for (int i = 1; i <= l.nptL; i++) {
		uint32_t b;
		std::memcpy(&b, &l.Li[i], sizeof b);
		distintas += b != esperadas[size_t(i - 1)];
	}
	EXPECT_EQ(distintas, 0);
}

void comprueba(const Caso &c, int r, const Lectura &l)
{
	ASSERT_EQ(r, codigo(c.resultado));
	EXPECT_EQ(l.linea_ilegible, c.linea);
	const char *mensaje = r == FICHERO_BIEN
	                          ? mensaje_aviso(l, c.nombre.c_str())
	                          : mensaje_error_fichero(r, c.nombre.c_str(), l.linea_ilegible);
	if (c.aviso != SIN_COMPROBAR) {
		ASSERT_NE(mensaje, nullptr);
		EXPECT_NE(std::string(mensaje).find(c.aviso), std::string::npos) << mensaje;
	}
	if (r != FICHERO_BIEN)
		return;
	if (c.formato != SIN_COMPROBAR) {
		EXPECT_EQ(l.formato, formato(c.formato));
	}
	if (c.titulo != SIN_COMPROBAR) {
		EXPECT_STREQ(l.comment, c.titulo.c_str());
	}
	if (c.ambigua != SIN_COMPROBAR) {
		EXPECT_EQ(l.ambigua(), c.ambigua == "1");
	}
	comprueba_calibracion(c, l);
	comprueba_muestras(c, l);
}

} // namespace

TEST(Corpus, CadaFicheroCotidianoSeLeeComoSeEspera)
{
	std::vector<Caso> todos = casos();
	ASSERT_GE(todos.size(), 90u);
	for (const Caso &c : todos) {
		SCOPED_TRACE(c.nombre);
		std::string ruta = ORQ_CORPUS "/" + c.nombre;
		std::string bytes = contenido(ruta);
		Lectura l;
		comprueba(c, lee_espectro_memoria(bytes.data(), bytes.size(), &l, c.nombre.c_str()), l);
		libera_lectura(&l);
		for (size_t bloque : {size_t(1), size_t(3), size_t(7), size_t(4096)}) {
			SCOPED_TRACE(bloque);
			comprueba(c, lee_espectro_en_bloques(ruta.c_str(), &l, bloque), l);
			libera_lectura(&l);
		}
	}
}

// Whatever format a spectrum came in, saving it and loading the save gives
// back its samples bit for bit, its title and its calibration exactly, a
// curve's at every channel.
TEST(Corpus, CadaFormatoSeGuardaYSeReleeIgual)
{
	CarpetaTemporal dir;
	std::string copia = dir / "copia.txt";
	int releidos = 0;
	for (const Caso &c : casos()) {
		SCOPED_TRACE(c.nombre);
		Lectura a, b;
		if (lee_espectro((ORQ_CORPUS "/" + c.nombre).c_str(), &a) != FICHERO_BIEN)
			continue;
		ASSERT_EQ(escribe_espectro(copia.c_str(), a.comment, a.Li, a.nptL, a.cal), FICHERO_BIEN);
		ASSERT_EQ(lee_espectro(copia.c_str(), &b), FICHERO_BIEN);
		EXPECT_STREQ(a.comment, b.comment);
		EXPECT_EQ(a.cal.al, b.cal.al);
		EXPECT_EQ(a.cal.bl, b.cal.bl);
		ASSERT_EQ(a.nptL, b.nptL);
		int otra_longitud = 0; // a curve comes back whole
		for (int canal = 1; canal <= a.nptL; canal++)
			otra_longitud += longitud_en(a.cal, canal) != longitud_en(b.cal, canal);
		EXPECT_EQ(otra_longitud, 0);
		int distintas = 0;
		for (int i = 1; i <= a.nptL; i++)
			distintas +=
			    std::isnan(a.Li[i]) ? !std::isnan(b.Li[i]) : !mismos_bits(a.Li[i], b.Li[i]);
		EXPECT_EQ(distintas, 0);
		libera_lectura(&a);
		libera_lectura(&b);
		releidos++;
	}
	EXPECT_GE(releidos, 100);
}
