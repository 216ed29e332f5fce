// Reading the spectrum data file: the file's forms and edge cases, the faults
// it must survive, real spectra, block boundaries, and agreement with the
// two-pass fscanf reader on well-formed files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"
#include "referencia.h"

namespace {

const std::string SIN_CALIBRAR = "\"...\"";

std::vector<float> muestras(const Lectura &l)
{
	return std::vector<float>(l.Li + 1, l.Li + 1 + l.nptL);
}

// The reader's result for bytes, which must be the same from memory and from a file.
struct Leido {
	int error;
	Lectura l;
	Leido(const std::string &bytes)
	{
		CarpetaTemporal dir;
		error = lee_texto(dir, bytes, &l);
		Lectura m;
		int error_m = lee_espectro_memoria(bytes.data(), bytes.size(), &m);
		EXPECT_EQ(error, error_m);
		EXPECT_EQ(l.nptL, m.nptL);
		EXPECT_STREQ(l.comment, m.comment);
		libera_lectura(&m);
	}
	~Leido() { libera_lectura(&l); }
	std::vector<float> v() const { return muestras(l); }
};

void espera_vacia(const Lectura &l)
{
	EXPECT_EQ(l.Li, nullptr);
	EXPECT_EQ(l.nptL, 0);
	EXPECT_EQ(l.cal.al, 0);
	EXPECT_EQ(l.cal.bl, 0);
	EXPECT_EQ(l.maxL, 0);
	EXPECT_STREQ(l.comment, "");
}

void espera_igual_a_referencia(const std::string &ruta)
{
	LecturaReferencia r;
	ASSERT_TRUE(lee_referencia(ruta.c_str(), &r));
	Lectura l;
	ASSERT_EQ(lee_espectro(ruta.c_str(), &l), FICHERO_BIEN) << ruta;
	EXPECT_EQ(l.nptL, r.nptL) << ruta;
	EXPECT_TRUE(mismos_bits(l.cal.al, r.al) && mismos_bits(l.cal.bl, r.bl)) << ruta;
	EXPECT_TRUE(mismos_bits(l.maxL, r.maxL)) << ruta;
	EXPECT_EQ(l.comment, r.comment) << ruta;
	for (int i = 1; i <= l.nptL && i <= r.nptL; i++)
		ASSERT_TRUE(mismos_bits(l.Li[i], r.Li[i])) << ruta << " muestra " << i;
	libera_lectura(&l);
}

} // namespace

TEST(FicheroFormas, SinCabeceraUnNumeroPorLinea)
{
	Leido r("12\n3.5\n-4\n7\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{12, 3.5f, -4, 7}));
	EXPECT_EQ(r.l.cal.al, 0);
	EXPECT_EQ(r.l.cal.bl, 0);
	EXPECT_EQ(r.l.maxL, 12);
	EXPECT_EQ(r.l.comment, SIN_CALIBRAR);
}

TEST(FicheroFormas, CabeceraConCuentaCeroCuentaLasMuestras)
{
	Leido r("\"Neon\"\n0  0.5  900 \n1\n2\n3\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{1, 2, 3}));
	EXPECT_EQ(r.l.cal.al, 0.5f);
	EXPECT_EQ(r.l.cal.bl, 900);
	EXPECT_STREQ(r.l.comment, "\"Neon\"");
}

TEST(FicheroFormas, CabeceraConCuentaLeeEsasYNadaMas)
{
	Leido r("\"t\"\n3 1 2\n10 20 30 40 50\nbasura\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{10, 20, 30}));
	EXPECT_EQ(r.l.maxL, 30);
}

TEST(FicheroFormas, CuentaEnOctalYHexadecimal)
{
	std::string diez = "1 2 3 4 5 6 7 8 9 10 11 12\n";
	Leido octal("\"t\"\n010 1 0\n" + diez);
	EXPECT_EQ(octal.l.nptL, 8);
	Leido hex("\"t\"\n0xA 1 0\n" + diez);
	EXPECT_EQ(hex.l.nptL, 10);
	Leido hex_mayuscula("\"t\"\n0X0b 1 0\n" + diez);
	EXPECT_EQ(hex_mayuscula.l.nptL, 11);
}

TEST(FicheroFormas, CabeceraRepartidaEntreLineasYMuestrasEnSuLinea)
{
	Leido r("\"t\"\n\n2\n0.25\n\n  -3   7 8 9\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.cal.al, 0.25f);
	EXPECT_EQ(r.l.cal.bl, -3);
	EXPECT_EQ(r.v(), (std::vector<float>{7, 8}));
}

TEST(FicheroFormas, MuestrasSeparadasPorCualquierBlanco)
{
	Leido r("1\t2  3\n4\r\n5\v6\f7 \n\n\n8");
	EXPECT_EQ(r.v(), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(FicheroFormas, LineasTerminadasEnCRLF)
{
	Leido r("\"Titulo\"\r\n2  0.5  1.5 \r\n10\r\n20\r\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_STREQ(r.l.comment, "\"Titulo\"");
	EXPECT_EQ(r.l.cal.al, 0.5f);
	EXPECT_EQ(r.v(), (std::vector<float>{10, 20}));
	Leido s("1\r\n2\r\n");
	EXPECT_EQ(s.v(), (std::vector<float>{1, 2}));
}

TEST(FicheroFormas, TituloSinFinDeLineaAlFinal)
{
	Leido r("\"solo titulo");
	EXPECT_EQ(r.error, FICHERO_SIN_MUESTRAS);
	Leido s("\"t\"\n1 2 3\n4");
	ASSERT_EQ(s.error, FICHERO_BIEN);
	EXPECT_EQ(s.v(), (std::vector<float>{4}));
}

TEST(FicheroFormas, NumerosComoLosLeeScanf)
{
	// Numbers need no white space between them where scanf needs none.
	Leido r("1.5-2 .5.5 +3 1e2 0x10 -inf\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{1.5f, -2, 0.5f, 0.5f, 3, 100, 16, -INFINITY}));
}

TEST(FicheroFallos, NoSeAbreYNoCambiaNada)
{
	CarpetaTemporal dir;
	Lectura l;
	l.nptL = 5;
	EXPECT_EQ(lee_espectro((dir / "no-existe.txt").c_str(), &l), FICHERO_NO_SE_ABRE);
	espera_vacia(l);
}

TEST(FicheroFallos, VacioOSinMuestras)
{
	Leido vacio("");
	EXPECT_EQ(vacio.error, FICHERO_VACIO);
	espera_vacia(vacio.l);
	for (const char *s : {"\n\n  \n", "texto\nmas texto\n", "\"titulo\"\n", "\"t\"\n3 1 2\n",
	                      "\"t\"\nx 1 2\n4\n", "\"t\"\n3 1\n", "\"t\"\n3 1 q\n"}) {
		Leido r(s);
		EXPECT_EQ(r.error, FICHERO_SIN_MUESTRAS) << s;
		espera_vacia(r.l);
	}
}

TEST(FicheroFallos, PrimeraLineaConVariosNumerosLosLeeTodos)
{
	Leido r("1 2 3\n4\n5 6\n");
	EXPECT_EQ(r.v(), (std::vector<float>{1, 2, 3, 4, 5, 6}));
	EXPECT_EQ(r.l.comment, SIN_CALIBRAR);
}

TEST(FicheroFallos, PrimeraLineaDeTextoSeSalta)
{
	Leido r("Canal Intensidad 1 2\n5\n6\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{5, 6}));
	EXPECT_EQ(r.l.comment, SIN_CALIBRAR);
	Leido blanca("\n   \n7\n8\n");
	EXPECT_EQ(blanca.v(), (std::vector<float>{7, 8}));
}

TEST(FicheroFallos, TituloLargoGuardaSus999BytesYSigueLeyendo)
{
	std::string titulo = "\"" + std::string(1500, 'x');
	Leido r(titulo + "\r\n2 1 0\n5\n6\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(std::string(r.l.comment), titulo.substr(0, 999));
	EXPECT_EQ(r.v(), (std::vector<float>{5, 6}));
	std::string justo = "\"" + std::string(998, 'y');
	Leido s(justo + "\r\n1 1 0\n5\n");
	EXPECT_EQ(std::string(s.l.comment), justo);
	EXPECT_EQ(s.v(), (std::vector<float>{5}));
}

TEST(FicheroFallos, CuentaMayorQueLasMuestrasONegativa)
{
	Leido mayor("\"t\"\n100 1 0\n1 2 3\n");
	EXPECT_EQ(mayor.v(), (std::vector<float>{1, 2, 3}));
	Leido enorme("\"t\"\n0x7fffffff 1 0\n1 2\n");
	EXPECT_EQ(enorme.v(), (std::vector<float>{1, 2}));
	Leido negativa("\"t\"\n-5 1 0\n1 2 3 4\n");
	EXPECT_EQ(negativa.v(), (std::vector<float>{1, 2, 3, 4}));
}

#if !defined(ORQ_CON_SANITIZADORES)
// With the address space capped a little above what the process uses, a
// reader that trusted the count (8 GB of samples) would fail to allocate.
TEST(FicheroFallos, CuentaEnormeNoReservaMasDeLoQueCabe)
{
	long paginas = 0;
	FILE *statm = std::fopen("/proc/self/statm", "r");
	ASSERT_NE(statm, nullptr);
	ASSERT_EQ(std::fscanf(statm, "%ld", &paginas), 1);
	std::fclose(statm);
	struct rlimit antes, tope;
	getrlimit(RLIMIT_AS, &antes);
	tope = antes;
	tope.rlim_cur = rlim_t(paginas) * sysconf(_SC_PAGESIZE) + (rlim_t(256) << 20);
	const std::string texto = "\"t\"\n2000000000 1 0\n1 2 3\n";
	Lectura l;
	setrlimit(RLIMIT_AS, &tope);
	int r = lee_espectro_memoria(texto.data(), texto.size(), &l);
	setrlimit(RLIMIT_AS, &antes);
	ASSERT_EQ(r, FICHERO_BIEN);
	EXPECT_EQ(muestras(l), (std::vector<float>{1, 2, 3}));
	libera_lectura(&l);
}
#endif

TEST(FicheroFallos, MuestraIlegibleParaLaCarga)
{
	Leido r("1\n2\nx\n3\n");
	EXPECT_EQ(r.v(), (std::vector<float>{1, 2}));
	Leido c("\"t\"\n5 1 0\n1 2 . 3 4\n");
	EXPECT_EQ(c.v(), (std::vector<float>{1, 2}));
	Leido infin("4 infin 5");
	EXPECT_EQ(infin.v(), (std::vector<float>{4}));
}

TEST(FicheroFallos, InfYNanSeGuardanPeroNoCuentanParaMaxL)
{
	Leido r("3\ninf\nnan\n-inf\n5\n");
	ASSERT_EQ(r.l.nptL, 5);
	EXPECT_EQ(r.l.Li[2], INFINITY);
	EXPECT_TRUE(std::isnan(r.l.Li[3]));
	EXPECT_EQ(r.l.maxL, 5);
	Leido negativas("-1\n-2\nnan\n");
	EXPECT_EQ(negativas.l.maxL, 0);
	EXPECT_EQ(negativas.l.nptL, 3);
}

TEST(FicheroReales, NaI1001Canales)
{
	espera_igual_a_referencia(ORQ_DATOS_PRUEBA "/real/nai-1001.txt");
	Lectura l;
	ASSERT_EQ(lee_espectro(ORQ_DATOS_PRUEBA "/real/nai-1001.txt", &l), FICHERO_BIEN);
	EXPECT_EQ(l.nptL, 1001);
	EXPECT_EQ(std::string(l.comment), SIN_CALIBRAR);
	EXPECT_GT(l.maxL, 0);
	libera_lectura(&l);
}

TEST(FicheroReales, HPGeCalibradoEnKeV)
{
	const char *ruta = ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384-kev.txt";
	espera_igual_a_referencia(ruta);
	espera_igual_a_referencia(ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt");
	FILE *f = std::fopen(ruta, "r");
	ASSERT_NE(f, nullptr);
	char titulo[TAM_NOMBRE];
	int n = 0;
	float a = 0, b = 0;
	ASSERT_NE(std::fgets(titulo, sizeof titulo, f), nullptr);
	ASSERT_EQ(std::fscanf(f, "%i %f %f", &n, &a, &b), 3);
	std::fclose(f);
	Lectura l;
	ASSERT_EQ(lee_espectro(ruta, &l), FICHERO_BIEN);
	EXPECT_EQ(l.nptL, 16384);
	EXPECT_EQ(l.nptL, n);
	EXPECT_TRUE(mismos_bits(l.cal.al, a) && mismos_bits(l.cal.bl, b));
	EXPECT_EQ(l.comment[0], '"');
	EXPECT_EQ(std::string(l.comment).find('\n'), std::string::npos);
	libera_lectura(&l);
}

TEST(FicheroBloques, NumerosPartidosEntreBloques)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	escribe_bytes(ruta,
	              "\"titulo\"\r\n0  0.125  -7.5e1 \n" + contenido(ORQ_DATOS_PRUEBA "/hard-floats.txt"));
	Lectura entera;
	ASSERT_EQ(lee_espectro(ruta.c_str(), &entera), FICHERO_BIEN);
	ASSERT_GT(entera.nptL, 15000);
	for (size_t bloque : {1, 2, 3, 5, 7, 11, 64, 1000, 4099}) {
		Lectura l;
		ASSERT_EQ(lee_espectro_en_bloques(ruta.c_str(), &l, bloque), FICHERO_BIEN) << bloque;
		EXPECT_STREQ(l.comment, "\"titulo\"");
		EXPECT_TRUE(mismos_bits(l.cal.al, entera.cal.al) && mismos_bits(l.cal.bl, entera.cal.bl));
		ASSERT_EQ(l.nptL, entera.nptL) << bloque;
		for (int i = 1; i <= l.nptL; i++)
			ASSERT_TRUE(mismos_bits(l.Li[i], entera.Li[i])) << bloque << " muestra " << i;
		libera_lectura(&l);
	}
	libera_lectura(&entera);
}

namespace {

// Small blocks make even a small file large enough to be read in two halves.
void espera_igual_en_bloques_que_en_memoria(const CarpetaTemporal &dir, const std::string &bytes)
{
	std::string ruta = dir / "partido.txt";
	escribe_bytes(ruta, bytes);
	Lectura a, b;
	int ra = lee_espectro_memoria(bytes.data(), bytes.size(), &a);
	int rb = lee_espectro_en_bloques(ruta.c_str(), &b, 16);
	ASSERT_EQ(ra, rb);
	ASSERT_EQ(a.nptL, b.nptL);
	EXPECT_TRUE(mismos_bits(a.maxL, b.maxL));
	EXPECT_EQ(muestras(a), muestras(b));
	libera_lectura(&a);
	libera_lectura(&b);
}

} // namespace

// Where the count ends, or a sample can't be read, in either half, the two
// halves give what one pass gives.
TEST(FicheroBloques, DosMitadesComoUnaPasada)
{
	CarpetaTemporal dir;
	const int n = 400;
	std::string numeros;
	for (int i = 1; i <= n; i++)
		numeros += std::to_string(i * 3) + (i % 7 ? ".5\n" : "\n");
	for (int cuenta : {1, 150, 199, 200, 201, 250, 399, 400, 500})
		espera_igual_en_bloques_que_en_memoria(dir, "\"t\"\n" + std::to_string(cuenta) + " 1 0\n" +
		                                                numeros);
	for (size_t sitio = 0; sitio < numeros.size(); sitio += 97)
		espera_igual_en_bloques_que_en_memoria(dir, numeros.substr(0, sitio) + " x " +
		                                                numeros.substr(sitio));
}

TEST(FicheroBloques, NumeroMasLargoQueElBloque)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	std::string largo = "1." + std::string(3000, '3') + "e-2"; // longer than the block, within the limit
	escribe_bytes(ruta, "7 " + largo + " 8");
	Lectura l;
	ASSERT_EQ(lee_espectro_en_bloques(ruta.c_str(), &l, 16), FICHERO_BIEN);
	ASSERT_EQ(l.nptL, 3);
	EXPECT_TRUE(mismos_bits(l.Li[2], std::strtof(largo.c_str(), nullptr)));
	EXPECT_EQ(l.Li[3], 8);
	libera_lectura(&l);
}

TEST(FicheroBloques, HardFloatsComoFscanf)
{
	std::vector<float> esperado;
	FILE *f = std::fopen(ORQ_DATOS_PRUEBA "/hard-floats.txt", "r");
	ASSERT_NE(f, nullptr);
	float x;
	while (std::fscanf(f, "%f ", &x) == 1)
		esperado.push_back(x);
	std::fclose(f);
	Lectura l;
	ASSERT_EQ(lee_espectro(ORQ_DATOS_PRUEBA "/hard-floats.txt", &l), FICHERO_BIEN);
	ASSERT_EQ(size_t(l.nptL), esperado.size());
	for (int i = 1; i <= l.nptL; i++)
		ASSERT_TRUE(mismos_bits(l.Li[i], esperado[i - 1])) << "linea " << i;
	libera_lectura(&l);
}

namespace {

// A well-formed file in one of the three forms, with numbers written in many ways.
std::string fichero_al_azar(std::mt19937 &azar, int forma)
{
	const char *formatos[] = {"%f", "%g", "%e", "%.3f", "%.0f", "%.9g", "%a", "%+.2f", "%E"};
	const char *blancos[] = {"\n", " ", "\t", "  \n", "\n\n"};
	std::uniform_real_distribution<float> valor(-1e4f, 1e6f);
	int n = 1 + azar() % 300;
	char buf[64];
	std::string s;
	if (forma > 0)
		s = "\"Espectro " + std::to_string(n) + "\"\n" + (forma == 1 ? std::to_string(n) : "0") +
		    "  " + std::to_string(valor(azar) / 1000) + "  " + std::to_string(valor(azar)) + " \n";
	for (int i = 0; i < n; i++) {
		std::snprintf(buf, sizeof buf, formatos[azar() % 9],
		              valor(azar) * (azar() % 2 ? 1e-3f : 1.0f));
		s += buf;
		s += forma == 0 && i == 0 ? "\n" : blancos[azar() % 5];
	}
	return s;
}

} // namespace

TEST(FicheroReferencia, FicherosAlAzarComoElLectorDeDosPasadas)
{
	CarpetaTemporal dir;
	std::mt19937 azar(2026);
	for (int i = 0; i < 300; i++) {
		std::string ruta = dir / ("azar" + std::to_string(i) + ".txt");
		escribe_bytes(ruta, fichero_al_azar(azar, i % 3));
		espera_igual_a_referencia(ruta);
	}
}

TEST(FicheroMensajes, NombranElFichero)
{
	EXPECT_STREQ(mensaje_error_fichero(FICHERO_NO_SE_ABRE, "datos.txt"),
	             "No se puede abrir el fichero datos.txt");
	EXPECT_STREQ(mensaje_error_fichero(FICHERO_NO_SE_GUARDA, "/tmp/b.txt"),
	             "No se puede guardar el fichero /tmp/b.txt");
	for (int e : {FICHERO_VACIO, FICHERO_SIN_MUESTRAS, FICHERO_ERROR_LECTURA, FICHERO_SIN_MEMORIA})
		EXPECT_NE(std::string(mensaje_error_fichero(e, "x/esp.dat")).find("x/esp.dat"),
		          std::string::npos);
	std::string larga(TAM_NOMBRE - 1, 'a');
	EXPECT_NE(std::string(mensaje_error_fichero(FICHERO_VACIO, larga.c_str())).find(larga),
	          std::string::npos);
}
