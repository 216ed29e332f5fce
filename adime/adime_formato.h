// The format language of the dialogs: plain text, then a field written
// %name[arguments], then more text and fields.  The text before a field is its
// label; text after the last field is not shown; "%%" is a literal percent.
//
//   %buttonrow[label;KEY,...]  a row of buttons ('&' marks the underlined letter,
//                              KEY is the shortcut: a letter, digit, ESC, ENTER...)
//   %filename[bytes,ext,title] an edit box for a file name with a "..." button
//   %float[min,max]            an edit box for a number (empty bound: none)
//   %bool[]                    a check box
//   %choice[name,name,...]     one of the names, shown by name: Left and Right
//                              (Space and a click too) go through them
//   %nothing[]                 its label shown as a left-aligned text block
//   %line[]                    a horizontal rule across the dialog
//
// analiza_formato turns a format into Campo records; nothing here draws.
#pragma once

#include <string>
#include <vector>

#include "adime_atajos.h"
#include "adime_expresion.h"

namespace adime {

enum class TipoCampo { fila_botones, fichero, real, casilla, eleccion, nada, linea };

struct BotonFila {
	std::string texto; // as written, with its '&'
	std::vector<Atajo> atajos;
};

struct Campo {
	TipoCampo tipo = TipoCampo::nada;
	std::string etiqueta;
	std::vector<std::string> args;    // the raw bracket arguments
	std::vector<BotonFila> botones;   // %buttonrow
	int bytes = 0;                    // %filename: size of the bound buffer
	std::string extension, titulo;    // %filename: selector filter and caption
	Limites limites;                  // %float
	std::vector<std::string> nombres; // %choice, in order
};

// Whether the field binds one of the caller's variables (or a callback); such
// fields sit beside their label, the others span the dialog.
bool toma_argumento(TipoCampo t);

// False with a message in `error` when the format is malformed.
bool analiza_formato(const char *formato, std::vector<Campo> &campos, std::string &error);

// The lines of a label: one per newline; a newline at the very end closes the
// last line rather than opening an empty one.
std::vector<std::string> lineas_de(const std::string &texto);

} // namespace adime
