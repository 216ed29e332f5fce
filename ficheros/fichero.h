// The file formats, as the program sees them: reading a spectrum file, in any
// format the program knows, into a Lectura (never into the program state: the
// load command commits it) and writing one in the own format safely.  Its
// contract: a load returns a code and, on success, the whole spectrum; on any
// failure nothing is left allocated; a save either completes or leaves the
// old file as it was.  No display and no program state: it builds, over the
// number engine in ../lector/ (lector.h), as orq_ficheros.  Start at
// lee_espectro and escribe_espectro; formatos.h has the readers inside.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analisis.h"
#include "reemplazo.h"

// Bytes of each file name and of the title, terminator included.
#define ORQ_TAM_NOMBRE 1000
constexpr int TAM_NOMBRE = ORQ_TAM_NOMBRE;

// The formats a file may be in, told apart by content (see formatos.cpp).
enum Formato {
	FORMATO_PROPIO,
	FORMATO_SPE,
	FORMATO_MCA,
	FORMATO_COLUMNAS,
	FORMATO_CHN,   // ORTEC's binary .chn
	FORMATO_N42,   // ANSI N42.42 XML
	FORMATO_JCAMP, // JCAMP-DX
	FORMATO_IEC,   // IEC 1455, records "A004"
	FORMATO_EMSA,  // EMSA/MAS
	FORMATO_TKA,   // Canberra .tka: live and real time, then the counts
};

// Bytes of a reader's note on what it did, terminator included.
constexpr int TAM_NOTA = 256;

// The thousands mark that stands for a no-break space, as French
// spreadsheets group digits: U+00A0 or the narrow U+202F, in UTF-8.
constexpr char MILES_ESPACIO = '\xA0';

// How a file of columns is read, or is to be read: what an import view shows
// of a load and lets the user change before loading again with
// lee_espectro_con_forma.  A plain list of numbers (the own format, counts
// several to a row) has lista set and no x.
struct FormaLectura {
	bool lista = false;     // every number in order, row after row: no columns
	bool etiquetas = false; // with lista: each row's first number labels its first channel: no count
	int cabecera = 0;       // lines skipped as header (blank lines and # comments not counted)
	char separador = ' ';   // ';', '\t', ',' or ' ' for any run of white space
	char decimal = '.';     // the decimal mark: '.' or ','
	char miles = 0;         // the thousands mark (',', '.', '\xA0' for a no-break space), or 0
	int columnas = 1;       // fields a row has
	int columna_x = -1;     // 0-based; -1: no x, the samples are channels
	int columna_y = 0;      // 0-based: the intensity
};

// Readings of one file that give different spectra: the first is the one a
// load uses, the others what the file may also mean.
constexpr int MAX_FORMAS = 4;

// A spectrum: what every reader gives, what a background is and what the
// program's state holds.
struct Espectro {
	float *Li = nullptr; // malloc'd, nptL + 1 slots, slot 0 unused
	int nptL = 0;
	float maxL = 0;                // largest finite sample, never below 0
	char comment[TAM_NOMBRE] = ""; // the quoted title line, or the placeholder "\"...\""
	Calibracion cal;               // a line (channel c at (c + cal.bl) · cal.al) or a curve
	double tiempo_vivo = 0; // the counting's live time in seconds, from an instrument's file; 0: unknown
};

// A spectrum read from a file, not yet in the program state, with how the
// reading went.
struct Lectura : Espectro {
	int formato = FORMATO_PROPIO;
	int linea_ilegible = 0;   // the line that stopped the load, or 0 (kept on FICHERO_SIN_MUESTRAS)
	bool x_vuelve = false;    // that line is a row of a table whose x repeats or turns back
	int cuenta_ilegible = 0;  // the same for a count of a .Spe or .mca, by its place
	double desvio_x = 0;      // columns whose x is not linear: how far it misses its line, in steps
	int infinitas = 0;        // samples that are ±inf (written so, or past a float's range)
	int primera_infinita = 0; // the first of them
	char nota[TAM_NOTA] = ""; // what else the reader did (columns used, a reading of commas, a
	                          // range or calibration of a .Spe), without the file's name
	// How the file was read, for a table or a plain list (formas[0]); with more
	// than one, the file is ambiguous: formas[1..] read it otherwise.
	int n_formas = 0;
	FormaLectura formas[MAX_FORMAS];
	bool ambigua() const { return n_formas > 1; }
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
	FICHERO_BINARIO,       // binary, of no kind known
	FICHERO_GZIP,          // compressed with gzip
	FICHERO_ZIP,           // a zip archive
	FICHERO_FITS,          // FITS
	FICHERO_CNF,           // Canberra's binary CNF
	FICHERO_CHN_DANADO,    // an ORTEC .chn cut short or with a header that does not fit it
};

// Reads the file at ruta, which must be a regular file.  0 on success, else one of the codes above, with *l
// left empty (nothing allocated) but for linea_ilegible: a line that stopped
// a table before any row.  Every line is accounted for: read, skipped as a
// header or comment, or the place where the load stopped, which a load that
// succeeded names in mensaje_aviso.
int lee_espectro(const char *ruta, Lectura *l);

// The same, reading the file in blocks of tam_bloque bytes (tests try tiny ones).
int lee_espectro_en_bloques(const char *ruta, Lectura *l, size_t tam_bloque);

// The same, from the n bytes at datos; `nombre` stands for the file's name
// (a table of columns takes it as its title).
int lee_espectro_memoria(const char *datos, size_t n, Lectura *l, const char *nombre = "");

// The same, read the way `forma` says rather than as detection would: what
// an import view loads once the user has chosen.  *l then holds that form
// alone in formas[0].  tam_bloque as for lee_espectro_en_bloques.
int lee_espectro_con_forma(const char *ruta, const FormaLectura &forma, Lectura *l,
                           size_t tam_bloque = size_t(1) << 20);
int lee_espectro_memoria_con_forma(const char *datos, size_t n, const FormaLectura &forma, Lectura *l,
                                   const char *nombre = "");

// The file's first lines as text, for an import view to show: at most
// max_lineas lines and tam - 1 bytes (a line cut there ends the text), into
// texto, ending in '\0'; a UTF-8 mark skipped, UTF-16 and lone carriage
// returns converted as a load converts them, NUL bytes shown as '?'.  The
// lines given, or -1 when the file cannot be opened or read.
int primeras_lineas(const char *ruta, char *texto, size_t tam, int max_lineas);

// One field of a row as a reading takes it: the number it reads (written
// plainly, marks undone), or the field's own text when it reads none.
struct CeldaVista {
	std::string texto;
	bool numero = false;
};

// The first rows of a file as a reading splits them.
struct VistaTabla {
	std::vector<std::string> nombres;           // the header's last line split, or none
	std::vector<std::vector<CeldaVista>> filas; // the first rows, field by field
};

// The lines of texto (a file's first lines, as primeras_lineas gives them)
// split into columns by `forma` as the table's reader splits them: the
// header lines it skips (the last one naming the columns) and up to
// max_filas rows, blank lines and comments left out.  A list is split at
// white space.
VistaTabla vista_de_tabla(const char *texto, const FormaLectura &forma, int max_filas);

// Frees the samples and leaves *l empty.
void libera_lectura(Lectura *l);
void libera_espectro(Espectro *e);

// Writes the spectrum Li[1..nptL] to ruta in the calibrated form, through a new
// file beside it that replaces the old one only once complete.  0 on success.
// A calibration held in single precision is written as it always was; one
// that a float cannot hold, with the digits that read it back whole.
int escribe_espectro(const char *ruta, const char *comment, const float *Li, int nptL, double al, double bl);
// The same under any calibration: the header holds its best line, and a
// curve is kept whole after the samples, where only this reader looks.
int escribe_espectro(const char *ruta, const char *comment, const float *Li, int nptL,
                     const Calibracion &cal);

// Writes Li[1..nptL] as a comma-separated table for other programs, through
// the same safe replacement: the line `cabecera`, then a row a channel, x
// the channel number when uncalibrated, else its wavelength under cal (a curve too) with 17
// significant digits, and the sample with the digits that read back whole.
// Read back, it gives the same samples and, calibrated, the same
// wavelengths.  0 on success, else FICHERO_NO_SE_GUARDA.
int exporta_tabla(const char *ruta, const char *cabecera, const float *Li, int nptL, const Calibracion &cal);

// What the user should know about a load that succeeded (a line that stopped
// it, an x that could not calibrate, the reader's note), naming the file;
// nullptr when nothing.
// A static buffer, valid until the next call.
const char *mensaje_aviso(const Lectura &l, const char *ruta);

// The format of the file at ruta by its content, or -1 when it cannot be read.
int formato_de_fichero(const char *ruta);

// The name the save dialog proposes after loading a foreign file: its
// extension replaced by .txt, or "-orquilo.txt" added when that would be the
// same name.  Into nombre (TAM_NOMBRE bytes).
void nombre_para_guardar(const char *cargado, char *nombre);

// The name the save dialog proposes for the table of measured peaks: the
// loaded file's with its extension replaced by "-picos.tsv".  Into nombre
// (TAM_NOMBRE bytes).
void nombre_tabla_picos(const char *cargado, char *nombre);

// The same for the exported table of x and intensity: "-tabla.csv".
void nombre_tabla_xy(const char *cargado, char *nombre);

// The message for a code above, naming the file and, when not 0, the line
// that stopped the load (a static buffer, valid until the next call).
const char *mensaje_error_fichero(int error, const char *ruta, int linea = 0);
