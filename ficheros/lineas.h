// Reading a text file line by line in bounded memory, from memory or from a
// descriptor in blocks, with the same lines either way; and the number fields
// of a line, each converted exactly as "%f" converts it.  The foreign-format
// readers (instrumentos.cpp, columnas.cpp) are built on these.  Start at
// Lineas and siguiente_linea.
#pragma once

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

#include "fichero.h"

// A line longer than this is cut here (the rest skipped) and marked as cut:
// no reader needs more, and so no line can make a load hold more.
constexpr size_t LARGO_MAXIMO_LINEA = size_t(1) << 16;

struct Lineas {
	const char *p = nullptr, *fin = nullptr; // the bytes at hand not yet returned
	bool final = true;                       // nothing beyond fin
	int fd = -1;
	off_t leido = 0;
	char *buf = nullptr;
	size_t cap = 0;
	int error = 0;                    // a FICHERO_ code once reading failed
	int numero = 0;                   // 1-based number of the last line returned
	bool cortada = false;             // the last line returned was cut
	const char *ini_ultima = nullptr; // where the last line returned began, for devuelve_linea
	bool salta_resto = false;         // the rest of a cut line is still to skip
	const char *base = nullptr;       // in memory: the input's first byte
	size_t n = 0;                     // in memory: its size
	struct stat st = {};              // from a descriptor: the file, and the block size
	size_t tam_bloque = 0;
	off_t hasta = -1; // from a descriptor: where this source's part of the file ends (-1: at its end)
};

// A source over n bytes in memory (nothing is copied).
void lineas_de_memoria(Lineas &s, const char *datos, size_t n);

// A source over the regular file open at fd from its start, in blocks of
// tam_bloque bytes.  False when there is no memory (s.error says so).
bool lineas_de_descriptor(Lineas &s, int fd, const struct stat &st, size_t tam_bloque);

// The offset in the input of the next byte to read, and a jump to another.
off_t posicion(const Lineas &s);
void reposiciona(Lineas &s, off_t desde);

// Goes on from where a run of numbers stopped: there if only white space
// stands between it and its line's start, else at the next line, so that the
// lines read next never depend on where inside a line the numbers ended.
void reposiciona_tras_numeros(Lineas &s, off_t desde);

void cierra_lineas(Lineas &s);

// The next line without its line end (nor the carriage return before it), in
// [*ini, *fin), valid until the next call.  False at the end or on an error.
bool siguiente_linea(Lineas &s, const char **ini, const char **fin);

// Gives the last line back, so that the next call returns it again.
void devuelve_linea(Lineas &s);

// Up to n bytes of the input from where s stands, as they are, whatever
// lines they make, into destino: how many, fewer only at the end or on an
// error (s.error says which).
size_t lee_bytes(Lineas &s, char *destino, size_t n);

// [ini, fin) without the white space at either end.
void recorta(const char **ini, const char **fin);

// The end-of-file byte that DOS programs wrote after the text.
constexpr char FIN_DOS = '\x1A';

// White space as a line's fields are parted by; a decimal digit.
bool es_blanco_c(char c);
bool es_cifra(char c);

// Whether [ini, fin), less the white space around it, is exactly one number
// as "%f" reads it; with coma_decimal a comma in it is its decimal point, a
// Fortran exponent (1.5D+03, 2d0) is read as one, and `miles`, when not 0, is
// a thousands mark that must stand between groups of three digits.
bool numero_exacto(const char *ini, const char *fin, bool coma_decimal, float *x, char miles = 0);

// The bytes of a thousands mark `miles` at q (before fin), or 0 for none.
size_t marca_de_miles(const char *q, const char *fin, char miles);

// The number's text as "%f" reads it: decimal comma as point, Fortran
// exponent as e, thousands marks out; into copia (largo bytes at most).  Its
// length, or 0 when a thousands mark stands out of place.
size_t normaliza_numero(const char *ini, size_t largo, bool coma_decimal, char miles, char *copia);

// The same for "%i", for channel numbers.
bool entero_exacto(const char *ini, const char *fin, int *v);

// Reads up to n white-space-separated numbers of the line into v; how many
// were read before the first that is not one (or the line's end).
int numeros_de_linea(const char *ini, const char *fin, float *v, int n);
