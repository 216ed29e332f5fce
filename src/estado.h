// The program-wide state: the loaded spectrum, its calibration, the view, what
// the plot drew last, the screen geometry, the colours and the file names.
// Every module reads and writes these by name; estado.cpp defines them.
#pragma once

#include <allegro.h>

#include <vector>

#include "analisis.h" // MedidaPico
#include "fichero.h"  // Lectura
#include "textos.h"   // TAM_NOMBRE, the size of each file-name buffer and of comment

// Spectrum: Li[1..nptL]; slot 0 is never used.  nptL == 0: nothing loaded.
// maxL is the largest finite sample, 0 when none is above 0.
extern float *Li;
extern int nptL;
extern float maxL;
extern char comment[TAM_NOMBRE];

// Calibration: wavelength of channel c is (c + bl) * al; al == 0 is uncalibrated.
extern float al, bl;

// View window, cursor, vertical scale.
extern int ch_i, ch_f, ch_c;
extern float amplia_y;
extern int elog;

// What the last plot drew (the trailing 0 marks the drawn copy).
extern int ch_i0, ch_f0, ch_c0;
extern float amplia_y0;

// Screen geometry, fixed at start-up.
extern int pwx, pwy, wx, wy;
extern BITMAP *grafica;

// Colours, made at 24-bit depth.
extern int WHITE, BLUE, BLACK, RED, BACK;

extern char filename_esp[TAM_NOMBRE]; // the data file the load dialog proposes
extern char filename_bmp[TAM_NOMBRE];
// After a load of a foreign format the save dialog proposes a name of its own,
// so that a plain OK never writes over the instrument's file; after any other
// load it proposes filename_esp, as the load dialog does.
extern char filename_dat[TAM_NOMBRE];
extern bool cargado_extranjero;

// The spectrum's live time in seconds, 0 when its file gives none.
extern double tiempo_vivo;

// A background spectrum, compared with whatever spectrum is loaded: the file as
// read (its own samples, calibration, title and live time; fondo.nptL == 0:
// none) and its path; fondo_canal[1..nptL], its counts brought onto the
// spectrum's channels (NaN where it has none; empty without a background);
// the factor it is scaled by, and whether the user typed it rather than
// taking the ratio of live times.
extern Lectura fondo;
extern char fichero_fondo[TAM_NOMBRE];
extern std::vector<float> fondo_canal;
extern float factor_fondo;
extern bool factor_tecleado;

// The net view: the plot, the cursor's reading, the peak keys and the data
// saved show Neto[1..nptL] = spectrum - factor * background (the spectrum
// alone where the background has no data), whose top is maxNeto; Neto is
// empty outside the net view.
extern int vista_neta;
extern std::vector<float> Neto;
extern float maxNeto;

// The file of the last load, empty before any: browsing goes through its
// folder.  filename_esp can differ, once the save dialog has changed it.
extern char fichero_cargado[TAM_NOMBRE];

// The data file of the last save, empty before any: saving over it, as over
// fichero_cargado, asks nothing.
extern char fichero_guardado[TAM_NOMBRE];
// The same for the table of measured peaks.
extern char tabla_guardada[TAM_NOMBRE];
// The peaks measured since the last load, each marked on the plot with its
// place in this list (1, 2, ...), and where the save dialog proposes to write
// their table.
extern std::vector<MedidaPico> picos;
extern char filename_picos[TAM_NOMBRE];
// The measured peaks given a known wavelength, the points of the calibration
// from many lines: each one's place in picos and that wavelength.  Ends with
// the next load, and with a two-point calibration.
struct PicoConocido {
	size_t pico;
	float longitud;
};
extern std::vector<PicoConocido> conocidas;

// Puts every variable above back to its initial value (frees Li, forgets
// grafica).  The program starts from these values; tests call it between cases.
void reinicia_estado();

// Asks the next plot for a full redraw rather than a cursor-only update: the
// plot compares amplia_y with amplia_y0, and amplia_y is never 0 once a
// spectrum is loaded.  Every change that the cursor-only path would miss (a
// load, a calibration, the scale) goes through here.
void pide_redibujo();

// The view after a load: the whole spectrum, the cursor in the middle, no
// amplification, and a full redraw due.  The log scale stays as it was.
void vista_inicial();

// Makes the five colours; needs the colour depth set to 24 bits.
void crea_colores();

// Wavelength of channel c under the current calibration.
float longitud_de_onda(double c);
