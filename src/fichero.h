// The spectrum data file: reading one into a Lectura (never into the program
// state: the load command commits it) and writing one safely.  Start at
// lee_espectro and escribe_espectro; numeros.h does the number conversion.
#pragma once

#include <cstddef>

#include "estado.h"

// The longest number the reader takes: a longer one is unreadable, so no
// input makes it hold more than this of one token.  Nothing that writes
// numbers comes near: the exact decimal of the smallest double is 1076
// characters.
constexpr size_t LARGO_MAXIMO_NUMERO = 4096;

// A spectrum read from a file, not yet in the program state.
struct Lectura {
	float *Li = nullptr; // malloc'd, nptL + 1 slots, slot 0 unused
	int nptL = 0;
	float al = 0, bl = 0, maxL = 0; // maxL: largest finite sample, never below 0
	char comment[TAM_NOMBRE] = "";  // the quoted title line, or the placeholder "\"...\""
};

// Results of the functions below; mensaje_error_fichero words each one.
enum {
	FICHERO_BIEN = 0,
	FICHERO_NO_SE_ABRE,    // missing or unreadable
	FICHERO_VACIO,         // no bytes at all
	FICHERO_SIN_MUESTRAS,  // no sample could be read
	FICHERO_ERROR_LECTURA, // the system failed while reading
	FICHERO_SIN_MEMORIA,   // the samples do not fit in memory
	FICHERO_NO_SE_GUARDA,  // the new file could not be written; the old one stays
	FICHERO_NO_REGULAR,    // a folder, pipe, socket or device: never read
};

// Reads the file at ruta, which must be a regular file.  0 on success, else one of the codes above, with *l
// left empty (nothing allocated).
int lee_espectro(const char *ruta, Lectura *l);

// The same, reading the file in blocks of tam_bloque bytes (tests try tiny ones).
int lee_espectro_en_bloques(const char *ruta, Lectura *l, size_t tam_bloque);

// The same, from the n bytes at datos.
int lee_espectro_memoria(const char *datos, size_t n, Lectura *l);

// Frees the samples and leaves *l empty.
void libera_lectura(Lectura *l);

// Writes the spectrum Li[1..nptL] to ruta in the calibrated form, through a new
// file beside it that replaces the old one only once complete.  0 on success.
int escribe_espectro(const char *ruta, const char *comment, const float *Li, int nptL, float al, float bl);

// The message for a code above, naming the file (a static buffer, valid until
// the next call).
const char *mensaje_error_fichero(int error, const char *ruta);
