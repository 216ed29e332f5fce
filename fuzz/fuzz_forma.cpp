// Fuzzes a load with a reading the user chose, as the import view makes
// one: the first bytes pick the form (list or table, header lines,
// separator, marks, columns), the rest is the file.  Read from memory and
// from a file in small blocks, the two must agree; both keep the promises
// of prueba_lectura.h.
#include <cstddef>
#include <cstdint>
#include <unistd.h>

#include "prueba_lectura.h"

namespace {

constexpr char SEPARADORES[] = {';', '\t', ',', ' '};
constexpr char MARCAS_DE_MILES[] = {0, ',', '.', '\xA0'};
constexpr size_t BYTES_DE_FORMA = 4;
constexpr int MAX_CABECERA = 4, MAX_COLUMNAS_ELEGIDAS = 5;

// The form the first BYTES_DE_FORMA bytes pick.
FormaLectura forma_de_bytes(const uint8_t *b)
{
	FormaLectura f;
	f.lista = b[0] & 1;
	f.etiquetas = b[0] & 2;
	f.decimal = b[0] & 4 ? ',' : '.';
	f.separador = SEPARADORES[(b[0] >> 3) % sizeof SEPARADORES];
	f.miles = MARCAS_DE_MILES[(b[0] >> 5) % sizeof MARCAS_DE_MILES];
	f.cabecera = b[1] % MAX_CABECERA;
	f.columnas = 1 + b[2] % MAX_COLUMNAS_ELEGIDAS;
	f.columna_x = int(b[3] % (MAX_COLUMNAS_ELEGIDAS + 1)) - 1;
	f.columna_y = (b[3] >> 4) % MAX_COLUMNAS_ELEGIDAS;
	return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *datos, size_t n)
{
	if (n < BYTES_DE_FORMA)
		return 0;
	FormaLectura forma = forma_de_bytes(datos);
	const uint8_t *texto = datos + BYTES_DE_FORMA;
	size_t m = n - BYTES_DE_FORMA;
	int fd = memfd_create("fuzz", 0); // its number is the file's name, which a table takes as title
	Lectura l;
	int r = lee_espectro_memoria_con_forma(reinterpret_cast<const char *>(texto), m, forma, &l,
	                                       std::to_string(fd).c_str());
	fuzz::comprueba_lectura(r, l);
	fuzz::comprueba_formato(l);
	std::string ruta = fuzz::como_fichero(fd, texto, m);
	if (!ruta.empty()) {
		Lectura b;
		int rb = lee_espectro_con_forma(ruta.c_str(), forma, &b, 1 + m % fuzz::BLOQUE_MAXIMO);
		fuzz::comprueba_iguales(rb, b, r, l);
		libera_lectura(&b);
	}
	if (fd >= 0)
		close(fd);
	libera_lectura(&l);
	return 0;
}
