// Every message box of the program: a notice or a failure with an OK button,
// and the question before a save replaces a file.  A line that names a path
// has the path shortened in its middle, and a line still wider than the
// window is broken between words, so every part of a message shows whole.
#pragma once

#include "fichero.h"

// A message box with an OK button: one or two lines (linea2 may be null),
// which may name the path ruta (null: none).
void avisa(const char *linea1, const char *linea2 = nullptr, const char *ruta = nullptr);

// Reads the file at ruta into *l, the way forma says when given: fichero.h's
// result code, FICHERO_SIN_MEMORIA too when memory ran out on the way.
int lee_fichero(const char *ruta, Lectura *l, const FormaLectura *forma = nullptr);

// The same; on a failure it says why, naming the line, and leaves *l empty.
bool lee_o_avisa(const char *ruta, Lectura *l, const FormaLectura *forma = nullptr);

// The message that the file at ruta does not fit in memory.
void avisa_sin_memoria(const char *ruta);

// Asks before a save replaces the existing file `nombre` with `que` (`ajeno`:
// it is in another format than the program's own): true only for the
// "Reemplazar" button or its letter; Enter on the first button and Esc keep it.
bool confirma_reemplazo(const char *nombre, bool ajeno, const char *que);
