// The import view: how a file is read, shown and changeable.  Key I opens it
// (comando_importa, a load command) for the file last loaded, the one a load
// has just refused, or the one the load dialog names; a load of a file that
// can be read two ways that give different spectra opens it by itself, on
// the program's pick.  It shows the file's first lines and the
// reading (header lines skipped, separator, decimal and thousands marks, the
// x column or none, the intensity column), and Enter loads with it.
#pragma once

#include "fichero.h"

// The view over a file just read into *l (a load's), showing its readings:
// true when the user took one, with *l then holding the spectrum read that
// way (re-read when another was chosen); false on Esc or a failed re-read
// (its message shown), *l freed.  `error` is the read's result: a file that
// did not read (*l empty) shows why, and Enter reads it as the fields say.
bool elige_lectura(const char *ruta, Lectura *l, int error = FICHERO_BIEN);

// Whether the view opens on a file whose read gave `error`: one that read,
// and one that is, or may be, text that the reader could not make out.  A
// file that cannot be opened, an empty one and the binary kinds it knows
// get only their message.
bool se_puede_importar(int error);
