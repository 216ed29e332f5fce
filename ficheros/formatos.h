// What the readers of each file format share: the own format's reader
// (propio.cpp), the instruments' .Spe and .mca (instrumentos.cpp), columns
// of numbers (columnas_forma.cpp, columnas.cpp), and the detection that
// picks one by content (formatos.cpp).  The public side is fichero.h.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <new>
#include <sys/stat.h>

#include "analisis.h"
#include "fichero.h"
#include "lector.h"
#include "lineas.h"

// The own format, from memory or from an open regular file.
int lee_propio_memoria(const char *datos, size_t n, Lectura *l);
// From desde on (after a byte-order mark).
int lee_propio_descriptor(int fd, const struct stat &st, size_t tam_bloque, off_t desde, Lectura *l);

// Samples of a foreign reader as they arrive: v[1..n].
using Acumulador = Muestras;

// The foreign readers' fast way through a block of counts: numbers read as
// the own format reads its samples, from where s stands until `limite` of
// them or one that is not a number, appended to a; s is left after the last.
// Room for them all is made at once unless a already has some.  The result
// code.
int lee_numeros(Lineas &s, int limite, size_t cota, Acumulador &a);

// Samples bounded by what the input can hold (each needs two bytes but the last).
size_t cota_de(size_t bytes);

// Room for `esperadas` samples, never more than `cota`.  False: no memory.
bool prepara(Acumulador &a, size_t esperadas, size_t cota);
// Adds one; false when there is no memory (or no int left to count it).
bool acumula(Acumulador &a, float x);
// Keeps the `cuantas` samples after the first `desde`, and the largest of
// them, in place.
void conserva(Acumulador &a, int desde, int cuantas);
// Hands the samples to *l (or frees them and empties *l on an error or none):
// the result code.
int entrega_acumulado(Acumulador &a, int error, Lectura *l);

// A foreign reader's load into a, where running out of memory ends it with
// nothing kept.
template <typename Lector> int sin_abortar(Acumulador &a, Lectura *l, Lector lector)
{
	try {
		return lector();
	} catch (const std::bad_alloc &) {
		return entrega_acumulado(a, FICHERO_SIN_MEMORIA, l);
	}
}

// The title [ini, fin), trimmed, between double quotes, cut to fit comment.
void pon_titulo(Lectura &l, const char *ini, const char *fin);

// The calibration of a file whose value at its channel ch is a + b·ch, its
// first sample being its channel `primero`: Orquilo's channel c is the file's
// primero + c − 1.  A slope of 0 (or not finite) leaves it uncalibrated.
void calibracion_lineal(Lectura &l, double a, double b, double primero);

// A curved calibration in the own format (curva_propia.cpp): written after
// the samples (nothing for a line; false when f cannot tell its place), and
// read back from the end of the file f is over into l.cal when it holds one
// that fits n samples.
bool escribe_curva(FILE *f, const Calibracion &cal);
void lee_curva(const Fuente &f, int n, Lectura &l);

// The readers of each foreign format, from a line source over the whole file.
int lee_spe(Lineas &s, size_t cota, Lectura *l);
int lee_mca(Lineas &s, size_t cota, Lectura *l);

// Columns: how a file's first lines say to read them.
struct FormaColumnas {
	char separador = 0;        // ';', '\t', ',' or ' ' for any white space
	bool coma_decimal = false; // a comma in a number is its decimal point
	char miles = 0;            // a thousands mark in numbers, or 0
	int cabecera = 0;          // lines of header (not blank, not comments) before the first row
	bool titulo = false;       // the header's first line is the title (a header of two lines or more)
	bool solo_si_regulares = false; // claimed by its regular rows: a row that breaks them ends the table
	bool x_en_un_sentido = false;   // a row whose x repeats or turns back ends the table
	int columnas = 2;               // fields a row has; with 2, x and y lead and more are ignored
	int col_x = 0, col_y = 1;       // the fields of x and of the intensity (0-based)
	bool sin_x = false;             // no x column: the samples are channels
	bool lista = false;             // not a table: every number in order (the own format)
	bool etiquetas = false;         // a list whose rows each start with their first channel
	double paso_impreso = 0;        // x printed rounded to this, so that it may repeat; or 0
	char nota[TAM_NOTA] = "";       // how the columns or the commas were read
	int n_otras = 0;                // other readings that give another spectrum
	FormaLectura otras[MAX_FORMAS - 1];
};

// The public description of a form, and the form of a description.
FormaLectura descripcion_de(const FormaColumnas &f);
FormaColumnas forma_de(const FormaLectura &d);
// The file read as a plain list of numbers, counts several to a row, with
// f's marks.
FormaColumnas como_lista(const FormaColumnas &f);

// Whether the line [ini, fin) is a row of numbers (not blank, no comment),
// the first of which ends a header.
bool es_fila_de_numeros(const char *ini, const char *fin);

// Whether the first half of the n bytes at p holds a row of numbers: a header
// longer than that needs a longer look.
bool fila_en_la_primera_mitad(const char *p, size_t n);

// Whether the lines of `prefijo` (the file's start) make it a file of columns.
bool detecta_columnas(const char *prefijo, size_t n, bool completo, FormaColumnas *forma);

// Reads the rows, to the end or to the row that breaks the table.
int lee_columnas(Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre, Lectura *l);

// Binary files (binarios.cpp): the kind of one by its first n bytes.
enum ClaseBinaria {
	NO_BINARIO,
	BINARIO_CHN,
	BINARIO_GZIP,
	BINARIO_ZIP,
	BINARIO_FITS,
	BINARIO_CNF,
	BINARIO_OTRO
};
int clase_binaria(const char *datos, size_t n);
// The bytes from the start of a file of `tamano` bytes that its reader needs,
// told by its first n: 0 for a kind that is refused unread.
size_t bytes_de_binario(int clase, const char *cabecera, size_t n, size_t tamano);
// A binary file's n bytes from its start: a .chn read, any other kind
// refused with its code.
int lee_binario(int clase, const char *datos, size_t n, Lectura *l);
int lee_chn(const unsigned char *p, size_t n, Lectura *l);

// The newer text formats of instruments (n42.cpp, jcamp.cpp, registros.cpp),
// from a line source over the whole file.
int lee_n42(Lineas &s, size_t cota, Lectura *l);
int lee_jcamp(Lineas &s, size_t cota, Lectura *l);
int lee_iec(Lineas &s, size_t cota, Lectura *l);
int lee_emsa(Lineas &s, size_t cota, Lectura *l);
int lee_tka(Lineas &s, size_t cota, Lectura *l);

// Samples that a compressed form (N42's CountedZeroes, JCAMP's DUP) may
// unfold to, at most: far past any detector, and a bound on what a few
// bytes can make a load hold.
constexpr int MAX_MUESTRAS_DESPLEGADAS = 1 << 24;

// Which of those the first non-blank line [ini, fin) of the n bytes at p
// opens, or -1 for none.
int formato_instrumento(const char *ini, const char *fin, const char *p, size_t n);

// An energy calibration coef[0] + coef[1]·ch + coef[2]·ch² + … (n terms)
// over the file's channels primero … primero + canales − 1, every term kept
// (up to GRADO_MAXIMO); its linear part, with a note, when it turns back over
// those channels or a term is not a finite number.
void calibra_polinomio(Lectura &l, const double *coef, int n, double primero, int canales);

// The x of n samples as their calibration: a line when they lie on one over
// the samples' order (their 0-based indices k, or 0, 1, … when k is null) to
// a tenth of a step and `holgura` more (what x was rounded to); else, with
// one x per sample (k null) that never turns back, that x as a table; else
// desvio_x says how far they miss their line, in steps.
void calibra_x(Lectura &l, const double *x, size_t n, const double *k = nullptr, double holgura = 0);

// A decimal number at p (sign, digits, point, exponent) as the nearest
// double when it has at most 15 digits; the bytes it takes, 0 for none.
size_t lee_decimal(const char *p, const char *fin, double *v);

// Seconds in an ISO 8601 duration such as PT900.5S, P1DT2H or
// P0Y0M0DT1H0M0.5S; 0 when it is none, or names years or months other than 0.
double duracion_iso(const char *ini, const char *fin);
