// Fuzzes the data-file reader: any bytes give either an error with nothing
// allocated or a spectrum that keeps the reader's promises; reading the same
// bytes from a file in small blocks gives the same spectrum; every sample
// survives the writer's number format.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "fichero.h"
#include "numeros.h"

namespace {

constexpr int MUESTRAS_A_FORMATEAR = 64;
constexpr size_t BLOQUE_MAXIMO = 17;

void comprueba(bool condicion, const char *que)
{
	if (!condicion) {
		std::fprintf(stderr, "falla: %s\n", que);
		std::abort();
	}
}

bool mismos_bits(float a, float b)
{
	return std::memcmp(&a, &b, sizeof a) == 0;
}

void comprueba_lectura(int r, const Lectura &l)
{
	comprueba(std::memchr(l.comment, '\0', TAM_NOMBRE) != nullptr, "comment sin terminar");
	comprueba(l.nptL >= 0, "nptL negativo");
	comprueba(std::isfinite(l.maxL) && l.maxL >= 0, "maxL no finito o negativo");
	if (r != FICHERO_BIEN) {
		comprueba(l.Li == nullptr && l.nptL == 0 && l.comment[0] == '\0',
		          "error con lectura no vacia");
		return;
	}
	comprueba(l.Li != nullptr && l.nptL > 0, "lectura sin muestras");
	float maximo = 0;
	for (int i = 1; i <= l.nptL; i++)
		if (std::isfinite(l.Li[i]) && l.Li[i] > maximo)
			maximo = l.Li[i];
	comprueba(mismos_bits(maximo, l.maxL), "maxL no es el mayor finito");
}

void comprueba_formato(const Lectura &l)
{
	char texto[TAM_NUMERO];
	for (int i = 1; i <= l.nptL && i <= MUESTRAS_A_FORMATEAR; i++) {
		int n = formatea_sin_perdida(texto, l.Li[i]);
		float y;
		comprueba(lee_float_como_scanf(texto, texto + n, &y) == size_t(n),
		          "formato no se lee entero");
		comprueba(mismos_bits(y, l.Li[i]) || (std::isnan(y) && std::isnan(l.Li[i])),
		          "formato pierde");
	}
}

// The block reader, through an in-memory file, agrees with the memory reader.
void comprueba_bloques(const uint8_t *datos, size_t n, int r, const Lectura &l)
{
	int fd = memfd_create("fuzz", 0);
	if (fd < 0)
		return;
	if (write(fd, datos, n) == ssize_t(n)) {
		std::string ruta = "/proc/self/fd/" + std::to_string(fd);
		Lectura b;
		int rb = lee_espectro_en_bloques(ruta.c_str(), &b, 1 + n % BLOQUE_MAXIMO);
		comprueba(rb == r && b.nptL == l.nptL && std::strcmp(b.comment, l.comment) == 0,
		          "bloques distintos");
		comprueba(mismos_bits(b.al, l.al) && mismos_bits(b.bl, l.bl), "cabecera distinta en bloques");
		for (int i = 1; i <= l.nptL; i++)
			comprueba(mismos_bits(b.Li[i], l.Li[i]), "muestra distinta en bloques");
		libera_lectura(&b);
	}
	close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *datos, size_t n)
{
	Lectura l;
	int r = lee_espectro_memoria(reinterpret_cast<const char *>(datos), n, &l);
	comprueba_lectura(r, l);
	comprueba_formato(l);
	comprueba_bloques(datos, n, r, l);
	libera_lectura(&l);
	return 0;
}
