// Paths and contents a user can pick that are no spectrum at all: pipes,
// sockets, devices and folders are refused at once; tokens too long for any
// number are unreadable; and no input makes a load hold more memory than its
// samples need plus a few megabytes.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "fichero.h"
#include "lector.h"
#include "test_fichero_ayuda.h"

namespace {

constexpr int ESPERA_MAXIMA_S = 10; // an open that blocks is caught long before this

std::vector<float> muestras(const Lectura &l)
{
	return std::vector<float>(l.Li + 1, l.Li + 1 + l.nptL);
}

// The reader's code for a path, from another thread: a blocked open shows as
// a time-out instead of hanging the tests; `desbloquea` then releases it.
int lee_sin_colgarse(const std::string &ruta, const std::function<void()> &desbloquea)
{
	auto lectura = std::async(std::launch::async, [&] {
		Lectura l;
		int r = lee_espectro(ruta.c_str(), &l);
		bool vacia = l.Li == nullptr && l.nptL == 0;
		libera_lectura(&l);
		return vacia ? r : -1;
	});
	if (lectura.wait_for(std::chrono::seconds(ESPERA_MAXIMA_S)) == std::future_status::ready)
		return lectura.get();
	desbloquea();
	lectura.wait();
	ADD_FAILURE() << "la lectura de " << ruta << " se quedó esperando";
	return -1;
}

int lee_codigo(const std::string &ruta)
{
	return lee_sin_colgarse(ruta, [] {});
}

} // namespace

TEST(FicheroNoRegular, TuberiaSinEscritorSeRechazaSinEsperar)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "tubo";
	ASSERT_EQ(mkfifo(ruta.c_str(), 0600), 0);
	int r = lee_sin_colgarse(ruta, [&] {
		int fd = open(ruta.c_str(), O_WRONLY | O_NONBLOCK); // a writer lets the open return
		if (fd >= 0)
			close(fd);
	});
	EXPECT_EQ(r, FICHERO_NO_REGULAR);
}

TEST(FicheroNoRegular, TuberiaConDatosTambienSeRechaza)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "tubo";
	ASSERT_EQ(mkfifo(ruta.c_str(), 0600), 0);
	int escritor = open(ruta.c_str(), O_RDWR | O_NONBLOCK); // Linux lets one end hold both
	ASSERT_GE(escritor, 0);
	ASSERT_EQ(write(escritor, "1 2 3\n", 6), 6);
	EXPECT_EQ(lee_sin_colgarse(ruta, [&] { close(escritor); }), FICHERO_NO_REGULAR);
	close(escritor);
}

TEST(FicheroNoRegular, DispositivosDeCaracteresYBloques)
{
	EXPECT_EQ(lee_codigo("/dev/zero"), FICHERO_NO_REGULAR);
	EXPECT_EQ(lee_codigo("/dev/null"), FICHERO_NO_REGULAR);
	EXPECT_EQ(lee_codigo("/dev/urandom"), FICHERO_NO_REGULAR);
	struct stat st;
	for (const char *b : {"/dev/loop0", "/dev/sda", "/dev/vda", "/dev/nvme0n1"})
		if (stat(b, &st) == 0 && S_ISBLK(st.st_mode)) {
			int r = lee_codigo(b);
			EXPECT_TRUE(r == FICHERO_NO_REGULAR ||
			            (r == FICHERO_NO_SE_ABRE && access(b, R_OK) != 0))
			    << b;
		}
}

TEST(FicheroNoRegular, CarpetaYSocket)
{
	CarpetaTemporal dir;
	EXPECT_EQ(lee_codigo(dir.ruta()), FICHERO_NO_REGULAR);
	std::string ruta = dir / "enchufe";
	int s = socket(AF_UNIX, SOCK_STREAM, 0);
	ASSERT_GE(s, 0);
	sockaddr_un dir_socket{};
	dir_socket.sun_family = AF_UNIX;
	std::snprintf(dir_socket.sun_path, sizeof dir_socket.sun_path, "%s", ruta.c_str());
	ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&dir_socket), sizeof dir_socket), 0);
	EXPECT_EQ(lee_codigo(ruta), FICHERO_NO_REGULAR);
	close(s);
}

TEST(FicheroNoRegular, ElMensajeNombraElFicheroYDiceQueNoEsRegular)
{
	EXPECT_STREQ(mensaje_error_fichero(FICHERO_NO_REGULAR, "/dev/zero"),
	             "El fichero /dev/zero no es un fichero regular");
}

TEST(FicheroNoRegular, UnEnlaceAUnFicheroRegularSeLee)
{
	CarpetaTemporal dir;
	escribe_bytes(dir / "datos.txt", "4\n5\n");
	ASSERT_EQ(symlink((dir / "datos.txt").c_str(), (dir / "enlace").c_str()), 0);
	Lectura l;
	ASSERT_EQ(lee_espectro((dir / "enlace").c_str(), &l), FICHERO_BIEN);
	EXPECT_EQ(muestras(l), (std::vector<float>{4, 5}));
	libera_lectura(&l);
}

namespace {

// The bytes read in memory, from a file, and from a file in tiny blocks: the
// same samples every way, which it returns.
std::vector<float> lee_de_tres_maneras(const std::string &bytes, int *error)
{
	CarpetaTemporal dir;
	Lectura a, b, c;
	*error = lee_espectro_memoria(bytes.data(), bytes.size(), &a);
	EXPECT_EQ(lee_texto(dir, bytes, &b), *error);
	EXPECT_EQ(lee_espectro_en_bloques((dir / "datos.txt").c_str(), &c, 7), *error);
	std::vector<float> v = muestras(a);
	EXPECT_EQ(muestras(b), v);
	EXPECT_EQ(muestras(c), v);
	libera_lectura(&a);
	libera_lectura(&b);
	libera_lectura(&c);
	return v;
}

std::string con_ceros_delante(const std::string &numero, size_t largo)
{
	return std::string(largo - numero.size(), '0') + numero;
}

} // namespace

TEST(FicheroTokenLargo, LosNumerosMasLargosQueSeEscribenSeLeen)
{
	char minimo[LARGO_MAXIMO_NUMERO], maximo[LARGO_MAXIMO_NUMERO];
	int largo_minimo =
	    std::snprintf(minimo, sizeof minimo, "%.1074f", -DBL_TRUE_MIN); // its exact decimal
	std::snprintf(maximo, sizeof maximo, "%f", DBL_MAX);
	ASSERT_GT(largo_minimo, 1070);
	int error;
	std::vector<float> v =
	    lee_de_tres_maneras(std::string("7 ") + minimo + " " + maximo + " 8\n", &error);
	ASSERT_EQ(error, FICHERO_BIEN);
	ASSERT_EQ(v.size(), 4u);
	EXPECT_TRUE(mismos_bits(v[1], std::strtof(minimo, nullptr))); // -0
	EXPECT_EQ(v[2], INFINITY);
	EXPECT_EQ(v[3], 8);
}

TEST(FicheroTokenLargo, HastaElLimiteSeLeeYUnoMasEsIlegible)
{
	std::string justo = con_ceros_delante("12.5", LARGO_MAXIMO_NUMERO);
	std::string largo = con_ceros_delante("12.5", LARGO_MAXIMO_NUMERO + 1);
	int error;
	EXPECT_EQ(lee_de_tres_maneras("7 " + justo + " 8\n", &error), (std::vector<float>{7, 12.5f, 8}));
	EXPECT_EQ(lee_de_tres_maneras("7 " + largo + " 8\n", &error), (std::vector<float>{7}));
	EXPECT_EQ(lee_de_tres_maneras("7\n" + justo, &error), (std::vector<float>{7, 12.5f})); // at the end
	EXPECT_EQ(lee_de_tres_maneras("7\n" + largo, &error), (std::vector<float>{7}));
}

TEST(FicheroTokenLargo, EnLaCabeceraEsIlegible)
{
	int error;
	lee_de_tres_maneras("\"t\"\n" + con_ceros_delante("2", LARGO_MAXIMO_NUMERO + 1) + " 1 0\n5 6\n",
	                    &error);
	EXPECT_EQ(error, FICHERO_SIN_MUESTRAS);
	lee_de_tres_maneras("\"t\"\n2 " + con_ceros_delante("1", LARGO_MAXIMO_NUMERO + 1) + " 0\n5 6\n",
	                    &error);
	EXPECT_EQ(error, FICHERO_SIN_MUESTRAS);
	EXPECT_EQ(lee_de_tres_maneras(
	              "\"t\"\n" + con_ceros_delante("2", LARGO_MAXIMO_NUMERO) + " 1 0\n5 6 7\n", &error),
	          (std::vector<float>{5, 6}));
}

TEST(FicheroTokenLargo, UnaCabeceraDeTextoLargaSeSaltaComoCualquiera)
{
	int error;
	EXPECT_EQ(lee_de_tres_maneras("Canal" + std::string(5000, 'x') + " 3\n5\n6\n", &error),
	          (std::vector<float>{5, 6}));
}

#if !defined(ORQ_CON_SANITIZADORES)
namespace {

constexpr size_t MEGA = size_t(1) << 20;
constexpr size_t FIJO_PERMITIDO = 16 * MEGA; // buffers, a thread, the libraries' own
constexpr size_t VECES_POR_MUESTRA = 3;      // the samples, plus growing room
constexpr size_t BYTES_FICHERO_ENORME = 100 * MEGA;

struct EnHijo {
	int error = -1, nptL = -1;
	size_t crecimiento = 0; // bytes the peak resident memory grew by while reading
};

size_t pico_residente()
{
	struct rusage uso;
	getrusage(RUSAGE_SELF, &uso);
	return size_t(uso.ru_maxrss) * 1024;
}

// The child's address space now, in bytes.
size_t memoria_virtual()
{
	size_t paginas = 0;
	if (FILE *f = std::fopen("/proc/self/statm", "r")) {
		if (std::fscanf(f, "%zu", &paginas) != 1)
			paginas = 0;
		std::fclose(f);
	}
	return paginas * size_t(sysconf(_SC_PAGESIZE));
}

// Reads the file in a child process, measuring how far the load raised its
// peak resident memory above what the child started with; with `margen`, the
// child may map only that many bytes more than it holds.
EnHijo lee_en_un_hijo(const std::string &ruta, size_t margen = 0)
{
	int tubo[2];
	EnHijo r;
	if (pipe(tubo) != 0)
		return r;
	pid_t pid = fork();
	if (pid == 0) {
		close(tubo[0]);
		EnHijo h;
		if (margen > 0) {
			// What earlier tests freed goes back to the system first: a heap
			// left large would let the load grow inside it, past the limit.
			malloc_trim(0);
			struct rlimit limite;
			limite.rlim_cur = limite.rlim_max = memoria_virtual() + margen;
			setrlimit(RLIMIT_AS, &limite);
		}
		size_t antes = pico_residente();
		Lectura l;
		h.error = lee_espectro(ruta.c_str(), &l);
		h.nptL = l.nptL;
		h.crecimiento = pico_residente() - antes;
		bool escrito = write(tubo[1], &h, sizeof h) == ssize_t(sizeof h);
		_exit(escrito ? 0 : 1);
	}
	close(tubo[1]);
	if (pid > 0 && read(tubo[0], &r, sizeof r) != ssize_t(sizeof r))
		r = EnHijo();
	close(tubo[0]);
	if (pid > 0)
		waitpid(pid, nullptr, 0);
	return r;
}

// A file of `antes`, then `bytes` copies of `relleno`, then `despues`.
void escribe_enorme(const std::string &ruta, const std::string &antes, char relleno, size_t bytes,
                    const std::string &despues)
{
	FILE *f = std::fopen(ruta.c_str(), "wb");
	ASSERT_NE(f, nullptr);
	std::string trozo(MEGA, relleno);
	std::fwrite(antes.data(), 1, antes.size(), f);
	for (size_t hecho = 0; hecho < bytes; hecho += trozo.size())
		std::fwrite(trozo.data(), 1, std::min(trozo.size(), bytes - hecho), f);
	std::fwrite(despues.data(), 1, despues.size(), f);
	ASSERT_EQ(std::fclose(f), 0);
}

void espera_memoria_acotada(const EnHijo &h)
{
	size_t permitido = VECES_POR_MUESTRA * sizeof(float) * size_t(std::max(h.nptL, 0)) + FIJO_PERMITIDO;
	EXPECT_LE(h.crecimiento, permitido) << h.crecimiento / MEGA << " MB para " << h.nptL << " muestras";
}

} // namespace

namespace {

// A file of 100 MB of `relleno` between `antes` and `despues`, read in a child
// process: its result, its samples, and bounded memory.
void espera_enorme(const std::string &antes, char relleno, const std::string &despues, int error,
                   int muestras)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "enorme.txt";
	escribe_enorme(ruta, antes, relleno, BYTES_FICHERO_ENORME, despues);
	EnHijo h = lee_en_un_hijo(ruta);
	EXPECT_EQ(h.error, error) << antes;
	EXPECT_EQ(h.nptL, error == FICHERO_BIEN ? muestras : 0) << antes;
	espera_memoria_acotada(h);
}

} // namespace

TEST(FicheroMemoria, UnSoloTokenDe100MBNoSeLeeYNoOcupaMemoria)
{
	espera_enorme("", '1', "", FICHERO_SIN_MUESTRAS, 0);
}

TEST(FicheroMemoria, TitulosYCabecerasDe100MBSeSaltanEnPocaMemoria)
{
	espera_enorme("\"", 'x', "\n2 1 0\n5\n6\n", FICHERO_BIEN, 2);
	espera_enorme("Canal", 'x', "\n5\n6\n7\n", FICHERO_BIEN, 3);
}

// The other formats' readers go line by line: a line of 100 MB is cut, not held.
TEST(FicheroMemoria, LineasDe100MBEnOtrosFormatosSeCortanEnPocaMemoria)
{
	espera_enorme("$SPEC_ID:\r\n", 'x', "\r\n$DATA:\r\n0 1\r\n5\r\n6\r\n", FICHERO_BIEN, 2);
	// The long row cannot be read and ends the load.
	espera_enorme("x,y\n1,2\n3,4\n", '7', "\n5,6\n", FICHERO_BIEN, 2);
}

TEST(FicheroMemoria, MuchasMuestrasOcupanPocoMasQueSusCuatroBytes)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "muestras.txt";
	{
		std::string unos;
		for (int i = 0; i < 1000000; i++)
			unos += "1\n";
		FILE *f = std::fopen(ruta.c_str(), "wb");
		ASSERT_NE(f, nullptr);
		for (int i = 0; i < 10; i++)
			std::fwrite(unos.data(), 1, unos.size(), f);
		ASSERT_EQ(std::fclose(f), 0);
	}
	EnHijo h = lee_en_un_hijo(ruta);
	EXPECT_EQ(h.error, FICHERO_BIEN);
	EXPECT_EQ(h.nptL, 10000000);
	espera_memoria_acotada(h);
}

// Under every memory limit, a large table or own-format file loads whole or
// says "no memory": never part of it, never an abort.
TEST(FicheroMemoria, SinMemoriaNuncaCargaUnaParteNiAborta)
{
	constexpr int FILAS = 3000000;
	CarpetaTemporal dir;
	std::string tabla = dir / "tabla.csv", propio = dir / "propio.txt";
	FILE *t = std::fopen(tabla.c_str(), "wb"), *p = std::fopen(propio.c_str(), "wb");
	ASSERT_TRUE(t && p);
	for (int i = 0; i < FILAS; i++) {
		std::fprintf(t, "%d.05,%d\n", 400 + i, i % 1000);
		std::fprintf(p, "%d\n", i % 1000);
	}
	ASSERT_EQ(std::fclose(t) | std::fclose(p), 0);
	int enteras = 0, sin_memoria = 0;
	for (const std::string &ruta : {tabla, propio})
		for (size_t megas = 8; megas <= 160; megas += 8) {
			EnHijo h = lee_en_un_hijo(ruta, megas * MEGA);
			bool entera = h.error == FICHERO_BIEN && h.nptL == FILAS;
			EXPECT_TRUE(entera || (h.error == FICHERO_SIN_MEMORIA && h.nptL == 0))
			    << ruta << " " << megas << " MB: " << h.error << ", " << h.nptL << " muestras";
			enteras += entera;
			sin_memoria += h.error == FICHERO_SIN_MEMORIA;
		}
	EXPECT_GT(enteras, 0);
	EXPECT_GT(sin_memoria, 0);
}
#endif
