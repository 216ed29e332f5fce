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

// Blank lines, comments and a DOS end-of-file byte carry no row.
bool sin_fila(const char *ini, const char *fin);

// A spreadsheet's "sep=;" line (Excel may quote it): its separator, or 0.
char separador_indicado_en(const Linea &l);
bool indica_separador(const Linea &l);

// Whether the '-' at q starts a number that touches the one that began at
// ini, as Fortran's fixed-width columns write a negative one ("1.25-0.50").
bool signo_pegado(const char *ini, const char *q);

// The fields of a row, unquoted, into c (at most `hasta`; a row with more
// gives hasta + 1); how many, empty cells at its end left out.  *todas, when
// given, gets them with those cells.
int parte_fila(const char *ini, const char *fin, char sep, Linea *c, int hasta, int *todas = nullptr);

// A field that "%f" reads whole (as the form reads its marks): its float in
// *y and, when x is wanted, its value in double precision.
bool numero_de_campo(Linea c, const FormaColumnas &f, float *y, double *x = nullptr);

// The same, where a missing value (an empty cell, NA, a spreadsheet's
// error such as #N/A) is NaN: what an intensity may hold.
bool valor_de_campo(Linea c, const FormaColumnas &f, float *y, double *x = nullptr);

// How many fields of the row are values (valor_de_campo), empty cells at its
// end left out; -1 when one is not.  Their values in v (MAX_COLUMNAS slots)
// when given.
int campos_numericos(const char *ini, const char *fin, const FormaColumnas &f, double *v = nullptr);
