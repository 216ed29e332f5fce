// Where everything of a dialog goes: the window with its title bar, one row per
// field (label column right-aligned, fields beside it, text blocks and rules
// across), OK and Cancel below.  Pure geometry from the parsed format and a text
// measure, so that it can be checked without a screen.  Start with dispone.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "adime_formato.h"

namespace adime {

struct Rect {
	int x = 0, y = 0, w = 0, h = 0;
	int derecha() const { return x + w; }
	int abajo() const { return y + h; }
};

// Compact rows for the built-in 8-pixel font.
constexpr int BORDE = 1;
constexpr int ALTO_BARRA = 12;
constexpr int MARGEN_TITULO = 4;
constexpr int MARGEN = 4;
constexpr int ALTO_LINEA = 9;
constexpr int ALTO_TEXTO = 8;
constexpr int ALTO_EDICION = 12;
constexpr int ALTO_BOTON = 14;
constexpr int LADO_CASILLA = 10;
constexpr int ALTO_REGLA = 5;
constexpr int SEPARACION_FILAS = 3;
constexpr int SEPARACION_ETIQUETA = 4;
constexpr int SEPARACION_BOTONES = 4;
constexpr int ANCHO_EXAMINAR = 24;
constexpr int ANCHO_MINIMO_EDICION = 16;
// A field narrowed to keep its window on the screen keeps room for six
// characters of the built-in font (or the width asked, when that is less).
constexpr int ANCHO_USABLE_CAMPO = 48;
constexpr int RELLENO_BOTON = 8;
constexpr int RELLENO_ELECCION = 2; // between a %choice's frame and its name
constexpr int ANCHO_MINIMO_OK = 64;
constexpr int SEPARACION_OK = 6;

struct FilaDispuesta {
	Rect etiqueta;             // right-aligned label, or a left-aligned text block
	bool bloque = false;       // the label is a text block (%nothing, %line)
	Rect campo;                // edit box, check box or rule
	Rect examinar;             // %filename's "..." button
	std::vector<Rect> botones; // %buttonrow
};

struct Disposicion {
	Rect ventana, barra;
	std::vector<FilaDispuesta> filas; // one per field, in format order
	bool con_ok_cancelar = false;
	Rect ok, cancelar;
};

struct Peticion {
	std::string titulo;
	int x = 0, y = 0;
	int ancho_campo = 0;
	bool ok_cancelar = false;
	int ancho_pantalla = 0, alto_pantalla = 0;
	std::function<int(const std::string &)> ancho_texto; // pixels of a plain text
};

extern const char *const TEXTO_OK;
extern const char *const TEXTO_CANCELAR;
extern const char *const TEXTO_EXAMINAR;

// The window at (x, y).  A text block never widens it past the screen's
// width (its lines are cut there, see recorta_linea) unless the other rows
// need that width anyway.  One that would still cross the edge gets
// narrower fields (down to ANCHO_USABLE_CAMPO, or what their contents need);
// if it still does not fit it is moved only as far as needed to keep it on
// the screen (to the top-left corner when it is larger than the screen).
Disposicion dispone(const std::vector<Campo> &campos, const Peticion &p);

// A line as a box `ancho` pixels wide shows it: whole when it fits, else its
// longest head of whole UTF-8 characters that fits with "..." after it.
std::string recorta_linea(const std::string &linea, int ancho,
                          const std::function<int(const std::string &)> &mide);

// A %choice's name as its box shows it, between the arrows that change it.
std::string texto_de_eleccion(const std::string &nombre);

// A button text as shown: "&&" is one ampersand, a lone '&' is not drawn.
std::string sin_ampersand(const std::string &texto);

} // namespace adime
