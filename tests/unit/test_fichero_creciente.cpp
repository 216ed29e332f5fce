// A file that keeps growing while it is read (a log, an acquisition still
// running) is read as it was when it was opened: the samples and the lines of
// those bytes, and nothing of what another thread appends meanwhile.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "lector_motor.h"
#include "lineas.h"
#include "test_fichero_ayuda.h"

namespace {

constexpr int MUESTRAS = 200000;               // about 1.3 MB: many blocks, read in two halves
constexpr size_t BLOQUE = 4099;                // small, so that the reads are many
constexpr off_t CRECE_ANTES = off_t(1) << 20;  // grown this much before the read starts
constexpr off_t CRECE_HASTA = off_t(64) << 20; // where the appending stops at the latest
constexpr int VECES_ANADIDO = 2048;            // samples appended at a time
// Samples of their own, which a read past the open would take.
std::string anadido()
{
	std::string s;
	for (int i = 0; i < VECES_ANADIDO; i++)
		s += "7\n";
	return s;
}

// The file holds 1..MUESTRAS, one a line; another thread appends to it from
// the moment it is opened until the read is done.
class FicheroCreciente : public ::testing::Test {
protected:
	CarpetaTemporal dir;
	std::string inicial;
	int fd = -1;
	struct stat al_abrir = {};
	std::atomic<bool> parar{false}, parado{false};
	std::thread anadidor;

	void SetUp() override
	{
		for (int i = 1; i <= MUESTRAS; i++)
			inicial += std::to_string(i) + "\n";
		escribe_bytes(dir / "creciente.txt", inicial);
		fd = open((dir / "creciente.txt").c_str(), O_RDONLY);
		ASSERT_GE(fd, 0);
		ASSERT_EQ(fstat(fd, &al_abrir), 0);
		anadidor = std::thread([this] { anade(); });
		struct stat ahora = {};
		while (!parado && fstat(fd, &ahora) == 0 && ahora.st_size < al_abrir.st_size + CRECE_ANTES)
			std::this_thread::yield();
		ASSERT_GE(ahora.st_size, al_abrir.st_size + CRECE_ANTES) << "the appending stopped";
	}
	void TearDown() override
	{
		parar = true;
		if (anadidor.joinable())
			anadidor.join();
		close(fd);
	}

	void anade()
	{
		std::string bloque = anadido();
		int a = open((dir / "creciente.txt").c_str(), O_WRONLY | O_APPEND);
		for (off_t n = 0; a >= 0 && !parar && n < CRECE_HASTA; n += off_t(bloque.size()))
			if (write(a, bloque.data(), bloque.size()) < 0)
				break;
		close(a);
		parado = true;
	}
};

} // namespace

TEST_F(FicheroCreciente, LasMuestrasSonLasQueHabiaAlAbrir)
{
	Fuente f;
	Muestras m;
	ASSERT_TRUE(reserva(m, CAPACIDAD_INICIAL));
	abre_ventana(f, fd, al_abrir, BLOQUE, 0);
	EXPECT_EQ(lee_muestras(f, m, MUESTRAS * 2), FIN_DATOS);
	EXPECT_EQ(f.error, LECTOR_BIEN);
	EXPECT_EQ(m.n, MUESTRAS);
	for (int i = 1; i <= m.n; i++)
		ASSERT_EQ(m.v[i], float(i)) << "muestra " << i;
	EXPECT_EQ(posicion(f), al_abrir.st_size);
	cierra_ventana(f);
	std::free(m.v);
}

TEST_F(FicheroCreciente, LasLineasSonLosBytesQueHabiaAlAbrir)
{
	Lineas s;
	ASSERT_TRUE(lineas_de_descriptor(s, fd, al_abrir, BLOQUE));
	std::string leido;
	const char *ini, *fin;
	while (siguiente_linea(s, &ini, &fin))
		leido.append(ini, fin).push_back('\n');
	EXPECT_EQ(s.error, 0);
	EXPECT_TRUE(leido == inicial) << leido.size() << " bytes read, " << inicial.size() << " at the open";
	cierra_lineas(s);
}
