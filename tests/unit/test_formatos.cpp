// Reading files of other formats, found by their content: the real .Spe
// spectra of four detectors, Amptek .mca, columns of numbers in every
// separator, x that does or does not calibrate, broken rows, and the files
// that must stay in the own format.  Also the name a save proposes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fichero.h"
#include "formatos.h"
#include "test_fichero_ayuda.h"

namespace {

std::vector<float> muestras(const Lectura &l)
{
	return std::vector<float>(l.Li + 1, l.Li + 1 + l.nptL);
}

// The channel of the largest sample in [desde, hasta] (1-based).
int canal_del_maximo(const Lectura &l, int desde = 1, int hasta = 0)
{
	hasta = hasta > 0 ? hasta : l.nptL;
	int mejor = desde;
	for (int c = desde; c <= hasta; c++)
		if (l.Li[c] > l.Li[mejor])
			mejor = c;
	return mejor;
}

double energia(const Lectura &l, int c)
{
	return longitud_en(l.cal, c);
}

// A file read from disk in one block, in tiny blocks and from memory: all
// three the same, down to the bits.
struct Leido {
	int error;
	Lectura l;
	Leido(const std::string &bytes, const std::string &nombre = "datos.txt")
	{
		CarpetaTemporal dir;
		std::string ruta = dir / nombre;
		escribe_bytes(ruta, bytes);
		error = lee_espectro(ruta.c_str(), &l);
		Lectura b, m;
		EXPECT_EQ(lee_espectro_en_bloques(ruta.c_str(), &b, 5), error);
		EXPECT_EQ(lee_espectro_memoria(bytes.data(), bytes.size(), &m, nombre.c_str()), error);
		for (const Lectura *o : {&b, &m}) {
			EXPECT_EQ(o->nptL, l.nptL);
			EXPECT_EQ(o->formato, l.formato);
			EXPECT_STREQ(o->comment, l.comment);
			EXPECT_TRUE(mismos_bits(o->cal.al, l.cal.al) && mismos_bits(o->cal.bl, l.cal.bl));
			EXPECT_EQ(o->linea_ilegible, l.linea_ilegible);
			EXPECT_EQ(o->cuenta_ilegible, l.cuenta_ilegible);
			int distintas = 0;
			for (int i = 1; i <= l.nptL && i <= o->nptL; i++)
				distintas += !mismos_bits(o->Li[i], l.Li[i]);
			EXPECT_EQ(distintas, 0);
		}
		libera_lectura(&b);
		libera_lectura(&m);
	}
	~Leido() { libera_lectura(&l); }
	std::vector<float> v() const { return muestras(l); }
};

Leido real(const std::string &nombre)
{
	return Leido(contenido(ORQ_DATOS_PRUEBA "/real/" + nombre), nombre);
}

// A .Spe read as one: its channels, and its largest count at its channel.
void espera_spe(const Leido &spe, int canales, float maximo, int canal)
{
	ASSERT_EQ(spe.error, FICHERO_BIEN);
	EXPECT_EQ(spe.l.formato, FORMATO_SPE);
	EXPECT_EQ(spe.l.nptL, canales);
	int c = canal_del_maximo(spe.l);
	EXPECT_EQ(c, canal);
	EXPECT_EQ(spe.l.Li[c], maximo);
	EXPECT_EQ(spe.l.maxL, maximo);
}

} // namespace

TEST(FormatoSpe, CeramicaHPGeCuentasComoElFicheroPropio)
{
	Leido spe = real("hpge-pottery.Spe");
	espera_spe(spe, 16384, 2423, 668);
	Lectura propio;
	ASSERT_EQ(lee_espectro(ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt", &propio), FICHERO_BIEN);
	EXPECT_EQ(spe.v(), muestras(propio));
	libera_lectura(&propio);
	EXPECT_STREQ(spe.l.comment, "\"No sample description was entered.\"");
}

// The potassium-40 line at 1460.8 keV: its highest count is at channel 7994.
TEST(FormatoSpe, CeramicaHPGeCalibradaEnElPotasio40)
{
	Leido spe = real("hpge-pottery.Spe");
	ASSERT_EQ(spe.error, FICHERO_BIEN);
	for (int c : {1, 8192, 16384}) { // its $MCA_CAL, every term, at the file's channel c - 1
		double ch = c - 1;
		EXPECT_NEAR(longitud_en(spe.l.cal, c),
		            double(-3.5087e-2f) + double(1.828039e-1f) * ch + double(-6.86613e-10f) * ch * ch,
		            1e-9);
	}
	int pico = canal_del_maximo(spe.l, 7980, 8010);
	EXPECT_EQ(pico, 7994);
	EXPECT_NEAR(energia(spe.l, pico), 1461.1, 0.1);
	EXPECT_NEAR(energia(spe.l, 2798), 511, 1.5); // annihilation
}

TEST(FormatoSpe, DigiBaseSinCalibrar)
{
	Leido spe = real("nai-digibase-nocal.spe");
	espera_spe(spe, 1024, 21957, 18);
	EXPECT_EQ(spe.l.cal.al, 0);
	EXPECT_EQ(spe.l.cal.bl, 0);
}

TEST(FormatoSpe, SinBloqueDeCalibracion)
{
	for (const char *nombre : {"nai-background.spe", "czt-simulated.spe"}) {
		Leido spe = real(nombre);
		ASSERT_EQ(spe.error, FICHERO_BIEN) << nombre;
		EXPECT_EQ(spe.l.nptL, std::string(nombre) == "czt-simulated.spe" ? 1024 : 1001);
		EXPECT_EQ(spe.l.cal.al, 0);
		EXPECT_EQ(spe.l.comment[0], '"');
	}
	Leido czt = real("czt-simulated.spe");
	EXPECT_STREQ(czt.l.comment, "\"Simulated background spectrum with CZT resolution.\"");
	EXPECT_EQ(czt.v()[1], 5);
}

namespace {

std::string spe(const std::string &bloques_antes, const std::string &datos, const std::string &despues)
{
	return "$SPEC_ID:\r\nPrueba\r\n" + bloques_antes + "$DATA:\r\n" + datos + despues;
}

} // namespace

TEST(FormatoSpe, MCACalGuardaTodosSusTerminos)
{
	const std::string datos = "5 9\r\n1\r\n2\r\n3\r\n4\r\n5\r\n";
	for (double t2 : {1e-4, 1e-3}) {
		char cal[64];
		std::snprintf(cal, sizeof cal, "$MCA_CAL:\r\n3\r\n10 0.5 %g keV\r\n", t2);
		Leido curva(spe("$ENER_FIT:\r\n10 0.5\r\n", datos, cal)); // its straight part
		ASSERT_EQ(curva.error, FICHERO_BIEN);
		for (int c = 1; c <= 5; c++) { // our channel 1 is the file's 5
			double ch = 4 + c;
			EXPECT_NEAR(longitud_en(curva.l.cal, c), 10 + 0.5 * ch + double(float(t2)) * ch * ch,
			            1e-12);
		}
		EXPECT_EQ(curva.l.nota[0], '\0') << curva.l.nota;
	}
	// $ENER_FIT wins over $MCA_CAL, and the first channel counts.
	Leido fit(spe("$ENER_FIT:\r\n2 0.25\r\n", datos, "$MCA_CAL:\r\n2\r\n10 0.5\r\n"));
	EXPECT_EQ(fit.l.cal.al, 0.25f);
	EXPECT_FLOAT_EQ(fit.l.cal.bl, 2 / 0.25 + 5 - 1);
	EXPECT_NEAR(energia(fit.l, 1), 2 + 0.25 * 5, 1e-5); // Orquilo's 1 is the file's 5
}

TEST(FormatoSpe, RangoMentirosoNoReservaYCuentasComoLasEscribanOtros)
{
	Leido r(spe("", "0 2000000000\n1.5\n2E+01\n  3  \n", "$ROI:\n0\n"));
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{1.5f, 20, 3}));
	Leido corto(spe("", "0 1\n7\n8\n9\n", ""));
	EXPECT_EQ(corto.v(), (std::vector<float>{7, 8}));
	Leido sin_datos("$SPEC_ID:\nnada\n$ROI:\n0\n");
	EXPECT_EQ(sin_datos.error, FICHERO_SIN_MUESTRAS);
	Leido roto(spe("", "0 9\n1\n2\nx\n4\n", ""));
	EXPECT_EQ(roto.v(), (std::vector<float>{1, 2}));
	EXPECT_EQ(roto.l.cuenta_ilegible, 3);
	EXPECT_STREQ(mensaje_aviso(roto.l, "roto.spe"),
	             "No se puede leer la cuenta 3 de roto.spe: se carga lo anterior. ");
}

// Found by fuzzing: the count that fills the range, with a block name after
// it on its line, ends the data there in one pass or in two halves alike.
TEST(FormatoSpe, LaUltimaCuentaSeguidaDeUnNombreDeBloque)
{
	std::string datos = "0 83\n";
	for (int i = 0; i < 83; i++)
		datos += "     " + std::to_string(i) + "\n";
	Leido r(spe("", datos + "      83$SPEC_ID:\n 100\n$ROI:\n", ""));
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.nptL, 84);
	EXPECT_STREQ(r.l.comment, "\"Prueba\"");
}

// Found by fuzzing: a header late in a small file, where tiny blocks cut it in two.
TEST(FormatoColumnas, CabeceraTrasUnComentarioLargo)
{
	Leido r("# " + std::string(40, 'c') + "\nnm I\n1 2 3\n4 5 6\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{2, 5}));
}

// Found by fuzzing: a first row longer than the block, so that the window
// had grown past where the cut fell.
TEST(FormatoColumnas, PrimeraFilaMasLargaQueElBloque)
{
	Leido r("400.0500,5002,13\n\n\n\n\n\n\n\n\n\n,00,'131");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{5002}));
	EXPECT_EQ(r.l.linea_ilegible, 11);
	CarpetaTemporal dir;
	escribe_bytes(dir / "t.csv", "400.0500,5002,13\n\n\n\n\n\n\n\n\n\n,00,'131");
	for (size_t bloque = 1; bloque < 20; bloque++) {
		Lectura l;
		EXPECT_EQ(lee_espectro_en_bloques((dir / "t.csv").c_str(), &l, bloque), FICHERO_BIEN)
		    << bloque;
		EXPECT_EQ(l.linea_ilegible, 11) << bloque;
		libera_lectura(&l);
	}
}

// Found by fuzzing: a range beyond any integer, and a title with a NUL byte.
TEST(FormatoSpe, RangoQueNoEsUnEnteroNoLeeNada)
{
	for (const char *rango : {"nan 5", "0 inf", "-inf 3", "9 2", "0 1e30"}) {
		Leido r(spe("", std::string(rango) + "\n1\n2\n", ""));
		EXPECT_EQ(r.error, FICHERO_SIN_MUESTRAS) << rango;
	}
	Leido nulo(std::string("$SPEC_ID:\nab\0cd\n$DATA:\n0 0\n7\n", 29));
	ASSERT_EQ(nulo.error, FICHERO_BIEN);
	EXPECT_STREQ(nulo.l.comment, "\"ab\"");
}

namespace {

const std::string MCA = "<<PMCA SPECTRUM>>\r\n"
                        "TAG - live_data\r\n"
                        "DESCRIPTION - Kelp sample\r\n"
                        "GAIN - 2\r\n"
                        "<<CALIBRATION>>\r\n"
                        "LABEL - keV\r\n"
                        "1000 378.44\r\n"
                        "7000 2649.08\r\n"
                        "<<ROI>>\r\n"
                        "3 7\r\n"
                        "<<DATA>>\r\n"
                        "0\r\n4\r\n16\r\n9\r\n"
                        "<<END>>\r\n"
                        "<<DPP CONFIGURATION>>\r\n"
                        "1\r\n2\r\n"
                        "<<DPP CONFIGURATION END>>\r\n";

} // namespace

TEST(FormatoMca, CuentasTituloYCalibracionPorSusPares)
{
	Leido r(MCA, "kelp.mca");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.formato, FORMATO_MCA);
	EXPECT_EQ(r.v(), (std::vector<float>{0, 4, 16, 9}));
	EXPECT_STREQ(r.l.comment, "\"Kelp sample\"");
	double b = (2649.08 - 378.44) / 6000, a = 378.44 - 1000 * b;
	EXPECT_FLOAT_EQ(r.l.cal.al, static_cast<float>(b));
	EXPECT_NEAR(energia(r.l, 1001), 378.44, 1e-3); // the file's channel 1000
	EXPECT_NEAR(energia(r.l, 7001), 2649.08, 1e-2);
	EXPECT_NEAR(energia(r.l, 1), a, 1e-3);
}

TEST(FormatoMca, SinDescripcionLaEtiquetaYConUnParSinCalibrar)
{
	std::string sin = MCA;
	sin.replace(sin.find("DESCRIPTION - Kelp sample\r\n"), 27, "");
	sin.replace(sin.find("7000 2649.08\r\n"), 14, "");
	Leido r(sin);
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_STREQ(r.l.comment, "\"live_data\"");
	EXPECT_EQ(r.l.cal.al, 0);
}

TEST(FormatoColumnas, CSVConCabeceraCalibraConX)
{
	Leido r("channel,counts\r\n0,5\r\n1,7\r\n2,6\r\n3,9\r\n", "canales.csv");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.formato, FORMATO_COLUMNAS);
	EXPECT_EQ(r.v(), (std::vector<float>{5, 7, 6, 9}));
	EXPECT_STREQ(r.l.comment, "\"canales.csv\"");
	EXPECT_EQ(r.l.cal.al, 1);
	EXPECT_NEAR(energia(r.l, 1), 0, 1e-6);
	EXPECT_EQ(r.l.linea_ilegible, 0);
	EXPECT_EQ(mensaje_aviso(r.l, "canales.csv"), nullptr);
}

TEST(FormatoColumnas, CSVSinCabeceraComoLasEscribeUnEspectrometro)
{
	Leido r("400.0500,12345\n400.1000,12346\n400.1500,12000\n400.2000,0\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{12345, 12346, 12000, 0}));
	EXPECT_NEAR(r.l.cal.al, 0.05, 1e-4); // the x are floats: 400.05 is 400.04999
	EXPECT_NEAR(energia(r.l, 1), 400.05, 1e-3);
	EXPECT_NEAR(energia(r.l, 4), 400.2, 1e-3);
}

TEST(FormatoColumnas, TSVDeEnergiaConCabeceraComentariosYLineasEnBlanco)
{
	Leido r("# exportado\n\nEnergy (keV)\tCounts\n# sigue\n10.5\t3\n11.0\t4\n\n11.5\t5\t0.2\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.formato, FORMATO_COLUMNAS);
	EXPECT_EQ(r.v(), (std::vector<float>{3, 4, 5}));
	EXPECT_FLOAT_EQ(r.l.cal.al, 0.5f);
	EXPECT_NEAR(energia(r.l, 1), 10.5, 1e-4);
}

TEST(FormatoColumnas, PuntoYComaConComaDecimal)
{
	Leido r("Longitud de onda;Intensidad\r\n500,25;1,5\r\n500,50;2,25\r\n500,75;-3,125\r\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{1.5f, 2.25f, -3.125f}));
	EXPECT_FLOAT_EQ(r.l.cal.al, 0.25f);
	EXPECT_NEAR(energia(r.l, 1), 500.25, 1e-3);
	Leido tab("1,5\t10\n2,5\t20\n3,5\t30,5\n");
	EXPECT_EQ(tab.v(), (std::vector<float>{10, 20, 30.5f}));
}

TEST(FormatoColumnas, DosColumnasSeparadasPorBlancos)
{
	std::string texto;
	for (int i = 0; i < 3000; i++)
		texto += std::to_string(350 + i * 0.1) + "   " + std::to_string(i % 97) + "\n";
	Leido r(texto);
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.formato, FORMATO_COLUMNAS);
	ASSERT_EQ(r.l.nptL, 3000);
	EXPECT_EQ(r.l.Li[98], 0);
	EXPECT_NEAR(r.l.cal.al, 0.1, 1e-6);
}

TEST(FormatoColumnas, XQueVuelveAtrasSeLeeHastaDondeVuelveYLoDice)
{
	Leido r("nm,I\n400,1\n401,2\n403,3\n402.5,4\n404,5\n", "rejilla.csv");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	ASSERT_EQ(r.l.nptL, 3);
	EXPECT_EQ(longitud_en(r.l.cal, 3), 403); // the rows before it, a curve kept whole
	const char *m = mensaje_aviso(r.l, "rejilla.csv");
	ASSERT_NE(m, nullptr);
	EXPECT_NE(std::string(m).find("vuelve atrás"), std::string::npos) << m;
	Leido casi("0,1\n1.01,2\n2,3\n3,4\n"); // misses by a fraction of a tenth: calibrates
	EXPECT_NE(casi.l.cal.al, 0);
}

TEST(FormatoColumnas, EjeDescendenteDaCalibracionNegativa)
{
	Leido r("wavelength,intensity\n700,1\n699.5,2\n699,3\n");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.l.cal.al, -0.5f);
	EXPECT_NEAR(energia(r.l, 1), 700, 1e-3);
	EXPECT_NEAR(energia(r.l, 3), 699, 1e-3);
}

TEST(FormatoColumnas, FilaRotaParaLaCargaYNombraLaLinea)
{
	Leido r("x,y\n1,10\n2,20\n\n3,treinta\n4,40\n", "roto.csv");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	EXPECT_EQ(r.v(), (std::vector<float>{10, 20}));
	EXPECT_EQ(r.l.linea_ilegible, 5);
	EXPECT_STREQ(mensaje_aviso(r.l, "roto.csv"),
	             "No se puede leer la línea 5 de roto.csv: se carga lo anterior. ");
	// In a file read in two halves, the line is counted across the cut.
	std::string largo = "x,y\n";
	for (int i = 1; i <= 200; i++)
		largo += i == 150 ? "150,roto\n" : std::to_string(i) + "," + std::to_string(i * 2) + "\n";
	Leido partido(largo);
	EXPECT_EQ(partido.l.nptL, 149);
	EXPECT_EQ(partido.l.linea_ilegible, 151);
	Leido una("1;2\n3\n");
	EXPECT_EQ(una.v(), (std::vector<float>{2}));
	EXPECT_EQ(una.l.linea_ilegible, 2);
}

TEST(FormatoColumnas, CadaNumeroComoLoLeeScanf)
{
	std::vector<float> esperado;
	std::string texto = "indice;valor\n", linea;
	std::istringstream duros(contenido(ORQ_DATOS_PRUEBA "/hard-floats.txt"));
	for (int i = 0; std::getline(duros, linea); i++) {
		float x;
		if (linea.find_first_of("xXpP") != std::string::npos ||
		    std::sscanf(linea.c_str(), "%f", &x) != 1)
			continue; // hexadecimal has no decimal comma
		esperado.push_back(x);
		std::string coma = linea;
		for (char &c : coma)
			c = c == '.' ? ',' : c;
		texto += std::to_string(i) + ";" + coma + "\n";
	}
	ASSERT_GT(esperado.size(), 10000u);
	Leido r(texto);
	ASSERT_EQ(r.error, FICHERO_BIEN);
	ASSERT_EQ(size_t(r.l.nptL), esperado.size());
	for (int i = 1; i <= r.l.nptL; i++)
		ASSERT_TRUE(mismos_bits(r.l.Li[i], esperado[i - 1])) << i;
}

// Plain rows are read the quick way from memory and from 1 MB blocks, line by
// line from 5-byte blocks; Leido checks that all three agree bit for bit, and
// here every sample is what scanf reads, in each separator and line end.
TEST(FormatoColumnas, FilasSencillasComoLasLeeScanf)
{
	std::vector<std::string> numeros;
	std::vector<float> esperado;
	std::istringstream duros(contenido(ORQ_DATOS_PRUEBA "/hard-floats.txt"));
	for (std::string linea; std::getline(duros, linea);) {
		float x;
		if (linea.find_first_of("xXpP") == std::string::npos &&
		    std::sscanf(linea.c_str(), "%f", &x) == 1) {
			numeros.push_back(linea);
			esperado.push_back(x);
		}
	}
	ASSERT_GT(numeros.size(), 10000u);
	struct Forma {
		const char *sep, *fin;
		bool x_creciente; // white space claims a file only by its rising first column
	};
	for (Forma f : {Forma{",", "\n", false}, Forma{",", "\r\n", false}, Forma{";", "\n", false},
	                Forma{" ", "\r\n", true}, Forma{"\t", "\n", true}}) {
		std::string texto;
		for (size_t i = 0; i < numeros.size(); i++)
			texto +=
			    (f.x_creciente ? std::to_string(i) + ".5" : numeros[(i + 1) % numeros.size()]) +
			    f.sep + numeros[i] + f.fin;
		Leido r(texto);
		ASSERT_EQ(r.error, FICHERO_BIEN);
		EXPECT_EQ(r.l.formato, FORMATO_COLUMNAS);
		ASSERT_EQ(size_t(r.l.nptL), esperado.size()) << f.sep;
		int distintas = 0;
		for (int i = 1; i <= r.l.nptL; i++)
			distintas += !mismos_bits(r.l.Li[i], esperado[i - 1]);
		EXPECT_EQ(distintas, 0) << int(f.sep[0]) << f.x_creciente;
		EXPECT_EQ(r.l.cal.al != 0, f.x_creciente);
	}
}

// A plain row after rows that are not, and the other way round, each read as
// its own line says; a row that breaks off among plain ones is named.
TEST(FormatoColumnas, FilasSencillasEntreLasDemas)
{
	std::string texto = "x;y\n";
	for (int i = 0; i < 3000; i++)
		texto += i % 7 == 3 ? " " + std::to_string(i) + " ; +" + std::to_string(i) + ",5 \n"
		                    : std::to_string(i) + ";" + std::to_string(i) + ",5\n";
	texto += "3000;-0\n3001;1e3\n3002;00012345678901234567,5\n3003;1,5,5\n3004;1\n";
	Leido r(texto);
	ASSERT_EQ(r.error, FICHERO_BIEN);
	ASSERT_EQ(r.l.nptL, 3003);
	for (int i = 0; i < 3000; i++)
		ASSERT_EQ(r.l.Li[i + 1], i + 0.5f) << i;
	EXPECT_TRUE(mismos_bits(r.l.Li[3001], -0.0f));
	EXPECT_EQ(r.l.Li[3002], 1000);
	EXPECT_EQ(r.l.Li[3003], 12345678901234567.5f);
	EXPECT_EQ(r.l.linea_ilegible, 3005);
	EXPECT_FLOAT_EQ(r.l.cal.al, 1);
}

TEST(FormatoPropio, LoQueNingunaReglaReclamaSeLeeComoSiempre)
{
	CarpetaTemporal dir;
	const char *casos[] = {
	    "Canal Intensidad\n5\n6\n", // a heading over a single column
	    "5\t6\n7\n",                // a tab alone makes no columns
	    "1 2 3\n4\n5 6\n",          // rows of different lengths
	    "3 1\n2 4\n5 6\n",          // first column not monotonic
	    "1 2 3 4 5\n",              // a single row
	    "\"t\"\n3 1 0\n1,5;2\n",    // a first double quote is always the own format
	    "\n\"t\"\n3 1 0\n1 2\n",    // even after blank lines
	};
	for (const std::string texto : casos) {
		std::string ruta = dir / "propio.txt";
		escribe_bytes(ruta, texto);
		Lectura l, propio;
		ASSERT_EQ(lee_espectro(ruta.c_str(), &l), FICHERO_BIEN) << texto;
		ASSERT_EQ(lee_propio_memoria(texto.data(), texto.size(), &propio), FICHERO_BIEN);
		EXPECT_EQ(l.formato, FORMATO_PROPIO) << texto;
		EXPECT_EQ(muestras(l), muestras(propio)) << texto;
		EXPECT_STREQ(l.comment, propio.comment);
		libera_lectura(&l);
		libera_lectura(&propio);
	}
}

TEST(FormatoPropio, TituloConComasYPuntoYComaSigueSiendoPropio)
{
	const char *ruta = ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384-kev.txt";
	std::string titulo = contenido(ruta).substr(0, 80);
	ASSERT_NE(titulo.find(','), std::string::npos);
	ASSERT_NE(titulo.find(';'), std::string::npos);
	Lectura l;
	ASSERT_EQ(lee_espectro(ruta, &l), FICHERO_BIEN);
	EXPECT_EQ(l.formato, FORMATO_PROPIO);
	EXPECT_EQ(l.nptL, 16384);
	EXPECT_EQ(formato_de_fichero(ruta), FORMATO_PROPIO);
	libera_lectura(&l);
	EXPECT_EQ(formato_de_fichero(ORQ_DATOS_PRUEBA "/real/hpge-pottery.Spe"), FORMATO_SPE);
	EXPECT_EQ(formato_de_fichero(ORQ_DATOS_PRUEBA "/no-existe"), -1);
}

// Rows regular in the first 64 KB but not after: the table ends at the row
// that breaks it, and says so, rather than being read again as the own format.
TEST(FormatoColumnas, FilasIrregularesMasAllaDelPrincipioParanLaTabla)
{
	std::string texto;
	for (int i = 0; i < 10000; i++)
		texto += std::to_string(i) + " " + std::to_string(i * 2) + "\n";
	texto += "5\n";
	CarpetaTemporal dir;
	std::string ruta = dir / "largo.txt";
	escribe_bytes(ruta, texto);
	Lectura l;
	ASSERT_EQ(lee_espectro(ruta.c_str(), &l), FICHERO_BIEN);
	EXPECT_EQ(l.formato, FORMATO_COLUMNAS);
	EXPECT_EQ(l.nptL, 10000);
	EXPECT_EQ(l.linea_ilegible, 10001);
	libera_lectura(&l);
	Leido mismo(texto);
	EXPECT_EQ(mismo.l.nptL, 10000);
}

TEST(FormatoTitulo, EntreComillasYSeGuardaYRecargaCalibrado)
{
	CarpetaTemporal dir;
	Leido r = real("hpge-pottery.Spe");
	ASSERT_EQ(r.error, FICHERO_BIEN);
	std::string ruta = dir / "ceramica.txt";
	ASSERT_EQ(escribe_espectro(ruta.c_str(), r.l.comment, r.l.Li, r.l.nptL, r.l.cal.al, r.l.cal.bl),
	          FICHERO_BIEN);
	Lectura vuelta;
	ASSERT_EQ(lee_espectro(ruta.c_str(), &vuelta), FICHERO_BIEN);
	EXPECT_EQ(vuelta.formato, FORMATO_PROPIO);
	EXPECT_STREQ(vuelta.comment, r.l.comment);
	EXPECT_TRUE(mismos_bits(vuelta.cal.al, r.l.cal.al) && mismos_bits(vuelta.cal.bl, r.l.cal.bl));
	EXPECT_EQ(muestras(vuelta), r.v());
	libera_lectura(&vuelta);
}

TEST(NombreParaGuardar, ExtensionPorTxtOSufijo)
{
	char n[TAM_NOMBRE];
	nombre_para_guardar("kelp.Spe", n);
	EXPECT_STREQ(n, "kelp.txt");
	nombre_para_guardar("lamp.txt", n);
	EXPECT_STREQ(n, "lamp-orquilo.txt");
	nombre_para_guardar("/datos/v1.2/espectro", n);
	EXPECT_STREQ(n, "/datos/v1.2/espectro.txt");
	nombre_para_guardar("medidas.tar.csv", n);
	EXPECT_STREQ(n, "medidas.tar.txt");
	nombre_para_guardar(".oculto", n);
	EXPECT_STREQ(n, ".oculto.txt");
}

// A notice names the file at every sentence: a long name in letters of two
// bytes stands whole in each, never cut inside a character.
TEST(Mensaje, UnNombreLargoCabeEnteroEnCadaFrase)
{
	std::string nombre;
	while (nombre.size() + 2 < size_t(TAM_NOMBRE))
		nombre += "é";
	Lectura l;
	l.nptL = 3;
	l.linea_ilegible = 4;
	l.cuenta_ilegible = 2;
	l.desvio_x = 3;
	std::snprintf(l.nota, sizeof l.nota, "de 3 columnas");
	std::string m = mensaje_aviso(l, nombre.c_str());
	size_t veces = 0;
	for (size_t p = m.find(nombre); p != std::string::npos; p = m.find(nombre, p + 1))
		veces++;
	EXPECT_EQ(veces, 4u);
	EXPECT_NE(m.find("de 3 columnas."), std::string::npos);
}
