// Writing the spectrum data file: the exact text, numbers that "%f" would lose,
// round trips through the reader, and saves that fail without harming the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <random>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

constexpr uid_t USUARIO_NOBODY = 65534;

// Writes, then reads back what was written.
void ida_y_vuelta(const std::string &ruta, const Lectura &a, Lectura *b)
{
	ASSERT_EQ(escribe_espectro(ruta.c_str(), a.comment, a.Li, a.nptL, a.cal.al, a.cal.bl), FICHERO_BIEN);
	ASSERT_EQ(lee_espectro(ruta.c_str(), b), FICHERO_BIEN);
}

void espera_misma_lectura(const Lectura &a, const Lectura &b)
{
	EXPECT_STREQ(a.comment, b.comment);
	ASSERT_EQ(a.nptL, b.nptL);
	EXPECT_TRUE(mismos_bits(a.cal.al, b.cal.al)) << a.cal.al << " " << b.cal.al;
	EXPECT_TRUE(mismos_bits(a.cal.bl, b.cal.bl)) << a.cal.bl << " " << b.cal.bl;
	EXPECT_TRUE(mismos_bits(a.maxL, b.maxL));
	for (int i = 1; i <= a.nptL; i++) {
		if (std::isnan(a.Li[i]))
			EXPECT_TRUE(std::isnan(b.Li[i])) << i;
		else
			ASSERT_TRUE(mismos_bits(a.Li[i], b.Li[i])) << i << ": " << a.Li[i] << " " << b.Li[i];
	}
}

// The whole file of a small spectrum, as the writer lays it out.
std::string escrito(const char *titulo, std::vector<float> v, float a, float b)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "salida.txt";
	v.insert(v.begin(), 0.0f);
	EXPECT_EQ(escribe_espectro(ruta.c_str(), titulo, v.data(), int(v.size()) - 1, a, b), FICHERO_BIEN);
	return contenido(ruta);
}

} // namespace

TEST(FicheroEscritura, FormatoExacto)
{
	EXPECT_EQ(escrito("\"Neon\"", {123.5f, 0, -2.25f}, 0.5f, 900),
	          "\"Neon\"\n3  0.500000  900.000000 \n123.500000\n0.000000\n-2.250000\n");
}

TEST(FicheroEscritura, AntesDeCualquierCarga)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "vacio.txt";
	ASSERT_EQ(escribe_espectro(ruta.c_str(), "", nullptr, 0, 0, 0), FICHERO_BIEN);
	EXPECT_EQ(contenido(ruta), "\n0  0.000000  0.000000 \n");
}

TEST(FicheroEscritura, SinCalibrarLlevaElTituloProvisional)
{
	EXPECT_EQ(escrito("\"...\"", {1, 2}, 0, 0), "\"...\"\n2  0.000000  0.000000 \n1.000000\n2.000000\n");
}

TEST(FicheroEscritura, LoQuePorcentajeFPerderiaSeEscribeEntero)
{
	std::string s = escrito("\"t\"", {1.5e-17f, 0.1234567f, 1e30f}, 1e-10f, 3.0e-7f);
	EXPECT_EQ(s.find("\n0.000000\n"), std::string::npos) << s;
	EXPECT_EQ(s.find(" 0.000000 "), std::string::npos) << s;
	Lectura l;
	ASSERT_EQ(lee_espectro_memoria(s.data(), s.size(), &l), FICHERO_BIEN);
	EXPECT_TRUE(mismos_bits(l.Li[1], 1.5e-17f));
	EXPECT_TRUE(mismos_bits(l.Li[2], 0.1234567f));
	EXPECT_TRUE(mismos_bits(l.Li[3], 1e30f));
	EXPECT_TRUE(mismos_bits(l.cal.al, 1e-10f));
	EXPECT_TRUE(mismos_bits(l.cal.bl, 3.0e-7f));
	libera_lectura(&l);
}

// Doubles whose shortest decimal is a float's length but that no float holds.
TEST(FicheroEscritura, UnaCalibracionDobleVuelveEntera)
{
	CarpetaTemporal dir;
	float v[] = {0, 7};
	for (double termino : {0.01, 123456789.0, 1234.5678901}) {
		SCOPED_TRACE(termino);
		std::string ruta = dir / "doble.txt";
		ASSERT_EQ(escribe_espectro(ruta.c_str(), "\"t\"", v, 1, termino, -termino), FICHERO_BIEN);
		Lectura l;
		ASSERT_EQ(lee_espectro(ruta.c_str(), &l), FICHERO_BIEN);
		EXPECT_EQ(l.cal.al, termino);
		EXPECT_EQ(l.cal.bl, -termino);
		libera_lectura(&l);
	}
}

TEST(FicheroEscritura, InfYNanVuelven)
{
	std::string s = escrito("\"t\"", {INFINITY, -INFINITY, NAN, 4}, NAN, INFINITY);
	Lectura l;
	ASSERT_EQ(lee_espectro_memoria(s.data(), s.size(), &l), FICHERO_BIEN);
	ASSERT_EQ(l.nptL, 4);
	EXPECT_EQ(l.Li[1], INFINITY);
	EXPECT_EQ(l.Li[2], -INFINITY);
	EXPECT_TRUE(std::isnan(l.Li[3]));
	EXPECT_EQ(l.Li[4], 4);
	EXPECT_TRUE(std::isnan(l.cal.al));
	EXPECT_EQ(l.cal.bl, INFINITY);
	libera_lectura(&l);
}

TEST(FicheroIdaYVuelta, EspectrosReales)
{
	CarpetaTemporal dir;
	for (const char *nombre : {"nai-1001.txt", "hpge-pottery-16384.txt", "hpge-pottery-16384-kev.txt"}) {
		std::string origen = std::string(ORQ_DATOS_PRUEBA "/real/") + nombre;
		Lectura a, b;
		ASSERT_EQ(lee_espectro(origen.c_str(), &a), FICHERO_BIEN);
		ida_y_vuelta(dir / nombre, a, &b);
		espera_misma_lectura(a, b);
		libera_lectura(&a);
		libera_lectura(&b);
	}
}

TEST(FicheroIdaYVuelta, FloatsDeCualquierMagnitud)
{
	CarpetaTemporal dir;
	std::mt19937 azar(99);
	Lectura a, b;
	a.nptL = 20000;
	a.Li = static_cast<float *>(std::malloc((a.nptL + 1) * sizeof(float)));
	for (int i = 1; i <= a.nptL; i++) {
		uint32_t bits = azar();
		std::memcpy(&a.Li[i], &bits, sizeof bits);
		if (std::isfinite(a.Li[i]) && a.Li[i] > a.maxL)
			a.maxL = a.Li[i];
	}
	a.cal.al = 1.0f / 3;
	a.cal.bl = -1e-20f;
	std::strcpy(a.comment, "\"azar\"");
	ida_y_vuelta(dir / "azar.txt", a, &b);
	espera_misma_lectura(a, b);
	libera_lectura(&a);
	libera_lectura(&b);
}

TEST(FicheroGuardado, FallaSiLaRutaEsUnaCarpeta)
{
	CarpetaTemporal dir;
	float v[] = {0, 1};
	EXPECT_EQ(escribe_espectro(dir.ruta().c_str(), "\"t\"", v, 1, 0, 0), FICHERO_NO_SE_GUARDA);
	EXPECT_EQ(escribe_espectro((dir / "no/existe.txt").c_str(), "\"t\"", v, 1, 0, 0),
	          FICHERO_NO_SE_GUARDA);
}

// Root writes anywhere, so as root the save runs in a child as nobody.
static int guarda_sin_ser_root(const std::string &ruta)
{
	float v[] = {0, 1};
	if (geteuid() != 0)
		return escribe_espectro(ruta.c_str(), "\"t\"", v, 1, 0, 0);
	pid_t hijo = fork();
	if (hijo == 0)
		_exit(setuid(USUARIO_NOBODY) == 0 ? escribe_espectro(ruta.c_str(), "\"t\"", v, 1, 0, 0) : -1);
	int estado = 0;
	waitpid(hijo, &estado, 0);
	return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

TEST(FicheroGuardado, CarpetaDeSoloLecturaDejaElViejoIntacto)
{
	CarpetaTemporal dir;
	std::string carpeta = dir / "solo-lectura", ruta = carpeta + "/datos.txt";
	ASSERT_EQ(mkdir(carpeta.c_str(), 0755), 0);
	escribe_bytes(ruta, "viejo\n1\n");
	chmod(ruta.c_str(), 0666);
	chmod(dir.ruta().c_str(), 0755);
	chmod(carpeta.c_str(), 0555);
	EXPECT_EQ(guarda_sin_ser_root(ruta), FICHERO_NO_SE_GUARDA);
	chmod(carpeta.c_str(), 0755);
	EXPECT_EQ(contenido(ruta), "viejo\n1\n");
}

// A write that fails half way (here at the file size limit) leaves the old file
// byte for byte and no temporary file behind.
TEST(FicheroGuardado, EscrituraInterrumpidaDejaElViejoIntacto)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	const std::string viejo = "\"viejo\"\n2  0.000000  0.000000 \n1.000000\n2.000000\n";
	escribe_bytes(ruta, viejo);
	std::vector<float> v(100001, 12345.678f);
	struct rlimit antes, limite;
	getrlimit(RLIMIT_FSIZE, &antes);
	limite = antes;
	limite.rlim_cur = 4096;
	auto senal = std::signal(SIGXFSZ, SIG_IGN);
	setrlimit(RLIMIT_FSIZE, &limite);
	int r = escribe_espectro(ruta.c_str(), "\"nuevo\"", v.data(), 100000, 1, 2);
	setrlimit(RLIMIT_FSIZE, &antes);
	std::signal(SIGXFSZ, senal);
	EXPECT_EQ(r, FICHERO_NO_SE_GUARDA);
	EXPECT_EQ(contenido(ruta), viejo);
	std::string orden = "ls -A '" + dir.ruta() + "' | wc -l";
	FILE *p = popen(orden.c_str(), "r");
	int ficheros = 0;
	ASSERT_EQ(std::fscanf(p, "%d", &ficheros), 1);
	pclose(p);
	EXPECT_EQ(ficheros, 1);
}

TEST(FicheroGuardado, ConservaPermisosYEnlaces)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt", enlace = dir / "enlace.txt";
	escribe_bytes(ruta, "1\n");
	chmod(ruta.c_str(), 0640);
	ASSERT_EQ(symlink("datos.txt", enlace.c_str()), 0);
	float v[] = {0, 7};
	ASSERT_EQ(escribe_espectro(enlace.c_str(), "\"t\"", v, 1, 0, 0), FICHERO_BIEN);
	struct stat st;
	ASSERT_EQ(lstat(enlace.c_str(), &st), 0);
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	ASSERT_EQ(stat(ruta.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0640u);
	EXPECT_EQ(contenido(ruta), "\"t\"\n1  0.000000  0.000000 \n7.000000\n");
}

TEST(FicheroGuardado, FicheroNuevoConLaMascaraDelProceso)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "nuevo.txt";
	mode_t mascara = umask(027);
	float v[] = {0, 7};
	int r = escribe_espectro(ruta.c_str(), "\"t\"", v, 1, 0, 0);
	umask(mascara);
	ASSERT_EQ(r, FICHERO_BIEN);
	struct stat st;
	ASSERT_EQ(stat(ruta.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A title with line ends and other control bytes inside (a .chn's
// description may hold them) still reads back, as does the title a table
// takes from a file name with a line end: the same samples and calibration,
// each such byte a space.
TEST(FicheroIdaYVuelta, TituloConFinesDeLinea)
{
	CarpetaTemporal dir;
	Lectura a, b;
	a.nptL = 3;
	a.Li = static_cast<float *>(std::malloc((a.nptL + 1) * sizeof(float)));
	a.Li[1] = 5, a.Li[2] = 7, a.Li[3] = 6;
	a.maxL = 7;
	a.cal.al = 0.5f;
	a.cal.bl = 400;
	std::strcpy(a.comment, "\"linea 1\r\nlinea 2\rfin\x01\x7f\tcon tab\"");
	ida_y_vuelta(dir / "titulo.txt", a, &b);
	std::strcpy(a.comment, "\"linea 1  linea 2 fin  \tcon tab\"");
	espera_misma_lectura(a, b);
	libera_lectura(&a);
	libera_lectura(&b);

	std::string nombre = dir / "dos\nlineas.csv";
	escribe_bytes(nombre, "400,10\n401,20\n402,15\n403,12\n");
	ASSERT_EQ(lee_espectro(nombre.c_str(), &a), FICHERO_BIEN);
	ASSERT_NE(std::strchr(a.comment, '\n'), nullptr) << a.comment; // else this proves nothing
	ida_y_vuelta(dir / "guardado.txt", a, &b);
	EXPECT_EQ(std::strchr(b.comment, '\n'), nullptr);
	std::replace(a.comment, a.comment + std::strlen(a.comment), '\n', ' ');
	espera_misma_lectura(a, b);
	libera_lectura(&a);
	libera_lectura(&b);
}
