// What the tables' detection (columnas_forma.cpp) and reading
// (columnas.cpp) share: the separators, a row's fields and their numbers,
// each read exactly as "%f" reads it.  Inside the file formats only.
#pragma once

#include <cstddef>

#include "formatos.h"

constexpr char PUNTO_Y_COMA = ';';
constexpr char TABULADOR = '\t';
constexpr char COMA = ',';
constexpr char BLANCO = ' '; // the separator "any run of white space"
constexpr char COMENTARIO = '#';
constexpr char PUNTO = '.';
constexpr char COMILLA = '"';
constexpr int MAX_COLUMNAS = 64; // fields of a row looked at
constexpr const char *INDICA_SEPARADOR = "sep=";

// A piece of a line: [ini, fin).
struct Linea {
	const char *ini, *fin;
};

// A decimal point: '.', or ',' with coma_decimal.
bool es_punto(char c, bool coma_decimal);

// Blank lines and comments carry no row.
bool sin_fila(const char *ini, const char *fin);

// A spreadsheet's "sep=;" line.
bool indica_separador(const Linea &l);

// The fields of a row, unquoted, into c (at most `hasta`; a row with more
// gives hasta + 1); how many, empty cells at its end left out.
int parte_fila(const char *ini, const char *fin, char sep, Linea *c, int hasta);

// A field that "%f" reads whole (as the form reads its marks): its float in
// *y and, when x is wanted, its value in double precision.
bool numero_de_campo(Linea c, const FormaColumnas &f, float *y, double *x = nullptr);

// How many fields of the row are numbers, empty cells at its end left out; -1
// when one is not.  Their values in v (MAX_COLUMNAS slots) when given.
int campos_numericos(const char *ini, const char *fin, const FormaColumnas &f, double *v = nullptr);
