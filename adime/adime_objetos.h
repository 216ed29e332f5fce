// The drawn pieces of a dialog that Allegro's GUI lacks: the window with its
// title bar, multi-line labels, the rule, the framed edit box; and the colours
// they are drawn in.  Each is a DIALOG_PROC; the fields they read are listed.
#pragma once

#include <allegro.h>

namespace adime {

struct Colores {
	int texto, fondo, medio, barra, texto_barra, edicion, borde;
};

// The dialog colours at the current colour depth.
Colores colores_de_dialogo();

// The window: fg border, bg inside; d1 title-bar colour, d2 title colour,
// dp the title (const char *).
int marco_proc(int msg, DIALOG *d, int c);

// A label: dp is a const std::string *, one line per newline; d1 non-zero
// aligns the lines to the right edge, else to the left.
int texto_proc(int msg, DIALOG *d, int c);

// A horizontal rule through the middle of the object, in fg.
int regla_proc(int msg, DIALOG *d, int c);

// Allegro's edit box inside a one-pixel frame drawn just outside the object.
// It opens with its text selected (flag TEXTO_SELECCIONADO), and selects it
// again whenever it gets the focus: typing then replaces the text.
int edicion_proc(int msg, DIALOG *d, int c);
constexpr int TEXTO_SELECCIONADO = D_USER;

// A check box filling the object, ticked when D_SELECTED; its focus ring lies
// just outside, drawn in fg, or in d2 (the dialog's background) to erase it.
int casilla_proc(int msg, DIALOG *d, int c);

// A %choice: d1 the place of the name shown, dp its names (a const
// std::vector<std::string> *).  Framed like an edit box, the name in the
// selection's colours while it has the focus; Right, Space and a click show
// the next name, Left the one before, going round.
int eleccion_proc(int msg, DIALOG *d, int c);

// Pixels between an edit box's frame and its text area.
constexpr int HUECO_EDICION = 2;
// Pixels between a check box and its focus ring.
constexpr int HUECO_FOCO = 2;

} // namespace adime
