// The words of the program's message boxes and of its window title, apart
// from the boxes themselves: a path shortened in its middle so that the rest
// of a line always shows whole, the question asked before the save replaces
// a file, and the title that names the loaded file.  No display needed: the width of a
// text comes from the caller.
#pragma once

#include <functional>

#include "fichero.h" // FormaLectura
#include <string>
#include <vector>

// Width in pixels of a text as the box would draw it.
using AnchoDeTexto = std::function<int(const std::string &)>;

// The line with the first occurrence of ruta in it shortened in its middle
// ("..." in place of what goes) until the line is at most `ancho` pixels
// wide; the line unchanged when it fits already or holds no ruta.  Only whole
// UTF-8 characters are kept.  When even "..." alone is too wide, that is what
// stands in for the path.
std::string acorta_ruta(const std::string &linea, const std::string &ruta, int ancho,
                        const AnchoDeTexto &ancho_de);

// The line broken into lines at most `ancho` pixels wide: between words where
// it can, inside a word (between whole UTF-8 characters) that is wider by
// itself.  A line break in the text breaks it too; a line that fits is one.
std::vector<std::string> parte_linea(const std::string &linea, int ancho, const AnchoDeTexto &ancho_de);

// A message's line as a box `ancho` pixels wide shows it: its path (ruta)
// shortened when that makes it fit, else the path kept whole and the line
// broken as parte_linea does, so that a name too long to fit is never lost.
std::vector<std::string> renglones_de(const std::string &linea, const std::string &ruta, int ancho,
                                      const AnchoDeTexto &ancho_de);

// The two lines of the question asked before a save replaces an existing
// file with `que` (the data, unless told); `ajeno` when that file is in a
// format other than the program's own.
struct Pregunta {
	std::string linea1, linea2;
};
Pregunta pregunta_de_reemplazo(const std::string &nombre, bool ajeno, const char *que = "los datos");

// The window's title once the file at ruta is loaded: the program's name and
// the file's base name, in UTF-8 ('?' for each byte of the name that is not).
std::string titulo_de_ventana(const std::string &ruta);

// The import view's format: the first lines of the file at ruta (each
// shortened, a '%' kept as itself), the readings found when there is more
// than one (the first the program's) with the field that picks one, or,
// when there is none, why the file did not read (`motivo`, when not empty)
// or a line saying it is read by its own format (an instrument's), then the
// fields of a reading.
// `vista`, when not empty, shows under the fields (see texto_vista_previa).
std::string formato_importa(const std::string &ruta, const char *lineas,
                            const std::vector<FormaLectura> &formas, const std::string &motivo = "",
                            const std::string &vista = "");

// Rows of a table the import view's preview shows.
constexpr int FILAS_VISTA_PREVIA = 4;
// The import view's preview of the rows v that `forma` reads: a heading, the
// columns' heads (number, header's name, x and intensity marked), then the
// rows in aligned columns; always 2 + FILAS_VISTA_PREVIA lines, so that its
// room in the view stays the same whatever the fields say.
std::string texto_vista_previa(const VistaTabla &v, const FormaLectura &forma);
