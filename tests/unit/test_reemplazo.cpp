// Replacing a file through a new one beside it: what a failed writer leaves,
// what a writer that opens the new file by its name (as Allegro's picture
// saver does) leaves, and what a save cut short by the program's end leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "arnes.h"
#include "reemplazo.h"

namespace {

class Reemplazo : public ::testing::Test {
protected:
	std::string carpeta = arnes::carpeta_temporal("reemplazo");
	std::string ruta = carpeta + "/espectro.bmp";
	size_t ficheros() const
	{
		size_t n = 0;
		for (auto &e : std::filesystem::directory_iterator(carpeta))
			n += e.is_regular_file();
		return n;
	}
};

} // namespace

TEST_F(Reemplazo, UnEscritorQueFallaDejaElViejoIntactoYNingunTemporal)
{
	arnes::escribe_fichero(ruta, "viejo");
	bool bien = reemplaza_fichero(ruta.c_str(), ".bmp", [](const std::string &, int fd) {
		return write(fd, "a medias", 8) == 8 && false;
	});
	EXPECT_FALSE(bien);
	EXPECT_EQ(arnes::lee_fichero(ruta), "viejo");
	EXPECT_EQ(ficheros(), 1u);
}

TEST_F(Reemplazo, ElNuevoLlevaLaExtensionYSeEscribePorSuNombre)
{
	arnes::escribe_fichero(ruta, "viejo");
	chmod(ruta.c_str(), 0640);
	std::string usado;
	bool bien = reemplaza_fichero(ruta.c_str(), ".bmp", [&](const std::string &temporal, int) {
		usado = temporal;
		FILE *f = std::fopen(temporal.c_str(), "wb");
		bool escrito = f && std::fputs("nuevo", f) >= 0;
		return f && std::fclose(f) == 0 && escrito;
	});
	ASSERT_TRUE(bien);
	EXPECT_EQ(std::filesystem::path(usado).parent_path(), std::filesystem::path(carpeta));
	EXPECT_EQ(std::filesystem::path(usado).extension(), ".bmp");
	EXPECT_EQ(arnes::lee_fichero(ruta), "nuevo");
	EXPECT_EQ(ficheros(), 1u);
	struct stat st;
	ASSERT_EQ(stat(ruta.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(Reemplazo, UnaCarpetaEnLugarDelFicheroNoSeToca)
{
	std::filesystem::create_directory(ruta);
	bool llamado = false;
	EXPECT_FALSE(reemplaza_fichero(ruta.c_str(), ".bmp",
	                               [&](const std::string &, int) { return llamado = true; }));
	EXPECT_FALSE(llamado);
	EXPECT_TRUE(std::filesystem::is_directory(ruta));
}

// What a program that ends at once in the middle of a save does (from a signal
// handler): the half-written file goes, and the old one stays.
TEST_F(Reemplazo, UnFinAMitadDeEscribirBorraElNuevoYDejaElViejo)
{
	arnes::escribe_fichero(ruta, "viejo");
	bool bien = reemplaza_fichero(ruta.c_str(), ".bmp", [](const std::string &, int fd) {
		bool escrito = write(fd, "a medias", 8) == 8;
		borra_temporal_en_curso();
		return escrito;
	});
	EXPECT_FALSE(bien);
	EXPECT_EQ(arnes::lee_fichero(ruta), "viejo");
	EXPECT_EQ(ficheros(), 1u);
	borra_temporal_en_curso(); // with no save under way it touches nothing
	EXPECT_EQ(arnes::lee_fichero(ruta), "viejo");
}
