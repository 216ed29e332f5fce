// The program-wide state of the window: what the plot drew last, the screen
// geometry, the colours and the file names.  The spectrum and everything tied
// to its channels (samples, calibration, view, background, peaks) is the
// spectrum library's (canales.h), which this header brings in.  estado.cpp
// defines these and resets them all.
#pragma once

#include <allegro.h>

#include "canales.h"
#include "textos.h" // TAM_NOMBRE, the size of each file-name buffer

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

// The file of the last load, empty before any: browsing goes through its
// folder.  filename_esp can differ, once the save dialog has changed it.
extern char fichero_cargado[TAM_NOMBRE];

// The data file of the last save, empty before any: saving over it, as over
// fichero_cargado, asks nothing.
extern char fichero_guardado[TAM_NOMBRE];
// The same for the table of measured peaks.
extern char tabla_guardada[TAM_NOMBRE];
// Where the save dialog proposes to write the table of measured peaks.
extern char filename_picos[TAM_NOMBRE];
// Where it proposes to export the table of x and intensity, and the table
// last exported, which an export replaces without asking.
extern char filename_tabla[TAM_NOMBRE];
extern char tabla_exportada[TAM_NOMBRE];

// Puts every variable above, and the spectrum's, back to its initial value
// (frees Li, forgets grafica).  The program starts from these values; tests
// call it between cases.
void reinicia_estado();

// Asks the next plot for a full redraw rather than a cursor-only update: the
// plot compares amplia_y with amplia_y0, and amplia_y is never 0 once a
// spectrum is loaded.  Every change that the cursor-only path would miss (a
// load, a calibration, the scale) goes through here.
void pide_redibujo();

// Makes the five colours; needs the colour depth set to 24 bits.
void crea_colores();
