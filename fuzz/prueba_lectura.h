// What the fuzz targets check of the reader on any bytes: either an error
// with nothing allocated or a spectrum that keeps the reader's promises;
// reading the same bytes from a file in small blocks gives the same result;
// every sample survives the writer's number format.  Start at prueba_lectura.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "fichero.h"
#include "lector.h"

namespace fuzz {

constexpr int MUESTRAS_A_FORMATEAR = 64;
constexpr size_t BLOQUE_MAXIMO = 17;

inline void comprueba(bool condicion, const char *que)
{
	if (!condicion) {
		std::fprintf(stderr, "falla: %s\n", que);
		std::abort();
	}
}

inline bool mismos_bits(float a, float b)
{
	return std::memcmp(&a, &b, sizeof a) == 0;
}

// A calibration is held in double: compared whole, not as a float.
inline bool mismos_bits(double a, double b)
{
	return std::memcmp(&a, &b, sizeof a) == 0;
}

inline void comprueba_lectura(int r, const Lectura &l)
{
	comprueba(std::memchr(l.comment, '\0', TAM_NOMBRE) != nullptr, "comment sin terminar");
	comprueba(std::memchr(l.nota, '\0', TAM_NOTA) != nullptr, "nota sin terminar");
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
	if (l.formato != FORMATO_PROPIO) {
		size_t largo = std::strlen(l.comment);
		comprueba(largo >= 2 && l.comment[0] == '"' && l.comment[largo - 1] == '"',
		          "titulo sin comillas");
		comprueba(std::isfinite(l.cal.al) && std::isfinite(l.cal.bl) &&
		              (l.cal.al != 0 || l.cal.bl == 0),
		          "calibracion rara");
	}
}

inline void comprueba_formato(const Lectura &l)
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

inline bool misma_forma(const FormaLectura &a, const FormaLectura &b)
{
	return a.lista == b.lista && a.cabecera == b.cabecera && a.separador == b.separador &&
	       a.decimal == b.decimal && a.miles == b.miles && a.columnas == b.columnas &&
	       a.columna_x == b.columna_x && a.columna_y == b.columna_y;
}

inline bool mismas_formas(const Lectura &a, const Lectura &b)
{
	bool iguales = a.n_formas == b.n_formas;
	for (int i = 0; iguales && i < a.n_formas; i++)
		iguales = misma_forma(a.formas[i], b.formas[i]);
	return iguales;
}

// A read in blocks (rb, b) gives what the read from memory (r, l) gave.
inline void comprueba_iguales(int rb, const Lectura &b, int r, const Lectura &l)
{
	comprueba(rb == r && b.nptL == l.nptL && std::strcmp(b.comment, l.comment) == 0, "bloques distintos");
	comprueba(b.formato == l.formato && b.linea_ilegible == l.linea_ilegible &&
	              b.x_vuelve == l.x_vuelve && b.cuenta_ilegible == l.cuenta_ilegible &&
	              std::strcmp(b.nota, l.nota) == 0,
	          "formato distinto en bloques");
	comprueba(mismas_formas(b, l), "formas distintas en bloques");
	comprueba(mismos_bits(b.cal.al, l.cal.al) && mismos_bits(b.cal.bl, l.cal.bl),
	          "cabecera distinta en bloques");
	for (int i = 1; i <= l.nptL; i++)
		comprueba(mismos_bits(b.Li[i], l.Li[i]), "muestra distinta en bloques");
}

// The n bytes written to the in-memory file fd: its path, or "" when they
// could not be.
inline std::string como_fichero(int fd, const uint8_t *datos, size_t n)
{
	if (fd < 0 || write(fd, datos, n) != ssize_t(n))
		return "";
	return "/proc/self/fd/" + std::to_string(fd);
}

// The block reader, through an in-memory file, agrees with the memory reader.
inline void comprueba_bloques(int fd, const uint8_t *datos, size_t n, int r, const Lectura &l)
{
	std::string ruta = como_fichero(fd, datos, n);
	if (ruta.empty())
		return;
	Lectura b;
	comprueba_iguales(lee_espectro_en_bloques(ruta.c_str(), &b, 1 + n % BLOQUE_MAXIMO), b, r, l);
	libera_lectura(&b);
}

// Every other reading a load offers loads too, and keeps the same promises.
inline void comprueba_formas(const uint8_t *datos, size_t n, int r, const Lectura &l)
{
	comprueba(l.n_formas >= 0 && l.n_formas <= MAX_FORMAS, "formas fuera de rango");
	comprueba(r == FICHERO_BIEN || l.n_formas == 0, "formas en un error");
	for (int i = 0; i < l.n_formas; i++) {
		Lectura otra;
		int ro = lee_espectro_memoria_con_forma(reinterpret_cast<const char *>(datos), n, l.formas[i],
		                                        &otra);
		comprueba_lectura(ro, otra);
		libera_lectura(&otra);
	}
}

// Everything above for one input; the memory reader gets the name the file
// will have, which a table takes as its title.
inline void prueba_lectura(const uint8_t *datos, size_t n)
{
	int fd = memfd_create("fuzz", 0);
	std::string nombre = std::to_string(fd);
	Lectura l;
	int r = lee_espectro_memoria(reinterpret_cast<const char *>(datos), n, &l, nombre.c_str());
	comprueba_lectura(r, l);
	comprueba_formato(l);
	comprueba_formas(datos, n, r, l);
	if (fd >= 0) {
		comprueba_bloques(fd, datos, n, r, l);
		close(fd);
	}
	libera_lectura(&l);
}

} // namespace fuzz
