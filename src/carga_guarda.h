// The "Leer Datos" and "Guardar" commands: their dialogs, committing a read
// spectrum to the state, and writing the picture and the data.
#pragma once

#include "fichero.h"

// Asks for a file name and loads it; on any failure the old spectrum stays and
// a message says why.  Always 0 (the menu stays open).
int comando_carga();

// Reads the file, in any format the reader knows, and shows it with a fresh
// view and its title; a message tells of a row that stopped the load or an x
// that could not calibrate.  After a foreign format the save proposes a name
// of its own.  On failure (out of memory included) the old spectrum stays
// and a message box says why (false).
bool carga_espectro(const char *ruta);

// What a load does once the file at ruta has been read into *l: the spectrum
// replaces the old one and shows with a fresh view and its title, the
// window's title names the file, and ruta becomes the loaded file and the
// name the load dialog proposes.  Without memory for this the old spectrum
// stays, *l is freed and a message says so (false).  A file that reads two
// ways that give different spectra first opens the import view (when
// preguntar), on the program's pick: Esc there loads nothing (false).
bool muestra_leido(const char *ruta, Lectura *l, bool preguntar = true);

// Key I: the import view for the file a load has just refused, else the file
// last loaded, or the one the load dialog names; Enter loads it as the
// view's fields say, Esc changes nothing.  A file that did not read but may
// be text opens the view too, saying why; any other only says why.
void comando_importa();

// Asks what to save and where; writes the picture of the window and/or the
// data.  With nothing loaded the data are not written and a message says so;
// an existing file is replaced only after the user says so, unless it is the
// one last loaded or saved and in the own format.  Always 0.
int comando_guarda();

// Teaches Allegro's bitmap saver the PNG type (loadpng); once, at start-up.
void activa_formatos_de_imagen();

// Whether Allegro's bitmap saver writes this name: bmp, pcx, tga or png, any case.
bool extension_de_imagen_valida(const char *nombre);
