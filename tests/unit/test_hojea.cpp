// Browsing a folder, without a display: the byte order of the names, which
// files the loader takes (the rest passed over, pipes never opened), the
// folder's ends, bare names in the working folder, and one file a key press.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "arnes.h"
#include "estado.h"
#include "hojea.h"

namespace {

using Nombres = std::vector<std::string>;

// P.txt, Z.txt, a.txt and é.txt read; between them a file of text, a
// folder, a pipe and an empty file do not.
class CarpetaDeHojeo : public ::testing::Test {
protected:
	std::string dir = arnes::carpeta_temporal("hojea");
	void SetUp() override
	{
		arnes::escribe_fichero(dir + "/P.txt", "1\n2\n3\n");
		arnes::escribe_fichero(dir + "/Q-roto.txt", "hola\n");
		std::filesystem::create_directory(dir + "/R-carpeta");
		ASSERT_EQ(mkfifo((dir + "/S-tuberia").c_str(), 0600), 0);
		arnes::escribe_fichero(dir + "/Z.txt", "4\n5\n");
		arnes::escribe_fichero(dir + "/a.txt", "\"titulo\"\n0 2 1\n6\n");
		arnes::escribe_fichero(dir + "/vacio.txt", "");
		arnes::escribe_fichero(dir + "/\xc3\xa9.txt", "7\n8\n9\n10\n");
	}
	void TearDown() override { std::filesystem::remove_all(dir); }
	// The path lee_vecino gives from `nombre`, relative to the folder, and
	// the samples it read.
	std::string vecino(const std::string &nombre, int sentido, int *n = nullptr)
	{
		Lectura l;
		std::string v = lee_vecino(dir + "/" + nombre, sentido, &l);
		if (n)
			*n = l.nptL;
		libera_lectura(&l);
		return v.empty() ? v : v.substr(dir.size() + 1);
	}
};

} // namespace

TEST(Hojeo, OrdenDeLosBytesDesdeElActualHaciaCadaLado)
{
	Nombres nombres = {"b", "B", "a", "\xc3\xa9", "A", "a"};
	EXPECT_EQ(orden_de_hojeo(nombres, "a", 1), (Nombres{"b", "\xc3\xa9"}));
	EXPECT_EQ(orden_de_hojeo(nombres, "a", -1), (Nombres{"B", "A"}));
	EXPECT_EQ(orden_de_hojeo(nombres, "\xc3\xa9", 1), Nombres{});
	EXPECT_EQ(orden_de_hojeo(nombres, "AA", 1), (Nombres{"B", "a", "a", "b", "\xc3\xa9"}));
}

TEST_F(CarpetaDeHojeo, AdelanteSaltaLoQueNoSeLeeYParaAlFinal)
{
	int n = 0;
	EXPECT_EQ(vecino("P.txt", 1, &n), "Z.txt");
	EXPECT_EQ(n, 2);
	EXPECT_EQ(vecino("Z.txt", 1, &n), "a.txt");
	EXPECT_EQ(n, 1);
	EXPECT_EQ(vecino("a.txt", 1, &n), "\xc3\xa9.txt");
	EXPECT_EQ(n, 4);
	EXPECT_EQ(vecino("\xc3\xa9.txt", 1, &n), "");
	EXPECT_EQ(n, 0); // nothing left allocated
}

TEST_F(CarpetaDeHojeo, AtrasIgualHastaElPrincipio)
{
	EXPECT_EQ(vecino("\xc3\xa9.txt", -1), "a.txt");
	EXPECT_EQ(vecino("a.txt", -1), "Z.txt");
	EXPECT_EQ(vecino("Z.txt", -1), "P.txt");
	EXPECT_EQ(vecino("P.txt", -1), "");
}

TEST_F(CarpetaDeHojeo, UnFicheroQueYaNoEstaSigueSiendoUnPuntoDePartida)
{
	EXPECT_EQ(vecino("M.txt", 1), "P.txt");
	EXPECT_EQ(vecino("M.txt", -1), "");
	EXPECT_EQ(vecino("zz", -1), "a.txt");
}

TEST_F(CarpetaDeHojeo, UnNombreSinCarpetaHojeaLaDeTrabajo)
{
	auto antes = std::filesystem::current_path();
	std::filesystem::current_path(dir);
	Lectura l;
	std::string v = lee_vecino("Z.txt", 1, &l);
	libera_lectura(&l);
	std::filesystem::current_path(antes);
	EXPECT_EQ(v, "a.txt");
}

TEST_F(CarpetaDeHojeo, UnaCarpetaQueNoSeLeeNoDaNada)
{
	EXPECT_EQ(vecino("no-existe/P.txt", 1), "");
}

TEST(Hojeo, AntesDeCargarNoHaceNada)
{
	reinicia_estado();
	EXPECT_FALSE(hojea(1));
	EXPECT_FALSE(hojea(-1));
	EXPECT_EQ(Li, nullptr);
	EXPECT_EQ(nptL, 0);
}
