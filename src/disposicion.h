// The window's fixed layout, in pixels from its top-left corner (y is the top
// of a text line in Allegro's built-in 8-pixel font).
#pragma once

// Window size from the desktop: the desktop less a margin, but never below 640x480.
constexpr double MARGEN_ESCRITORIO = 200;
constexpr double ANCHO_MINIMO = 640;
constexpr double ALTO_MINIMO = 480;

// Header lines, top left.
constexpr int X_CABECERA = 5;
constexpr int Y_CABECERA_1 = 15;
constexpr int Y_CABECERA_2 = 35;
constexpr int Y_CABECERA_3 = 45;
constexpr const char *CABECERA_1 = "Velmora";
constexpr const char *CABECERA_2 = "Dpto.";
constexpr const char *CABECERA_3 = "Tarquen";

// Info lines: channels (1) and wavelengths (2), four fields each.
constexpr int Y_INFO_1 = 65;
constexpr int Y_INFO_2 = 75;
constexpr int ALTO_LINEA_INFO = 10;
constexpr int X_CAMPO_INICIO = 5;
constexpr int X_CAMPO_CURSOR = 265;
constexpr int X_CAMPO_TERCERO = 385;
constexpr int MARGEN_CAMPO_FIN = 125; // the last field stands at pwx - this

// Graph area: from (5, 90), as wide as the window less 10 and as tall less 95.
constexpr int X_GRAFICA = 5;
constexpr int Y_GRAFICA = 90;
constexpr int MENOS_ANCHO_GRAFICA = 10;
constexpr int MENOS_ALTO_GRAFICA = 95;

// The title of a loaded file, inside the graph area.
constexpr int X_TITULO = 5;
constexpr int Y_TITULO = 5;
constexpr int Y_TITULO_FONDO = 15; // the background's title and factor, under it

// The mark of a measured peak, in the graph area: a tick rising from
// MARCA_HUECO pixels above the sample at its centroid, MARCA_LARGO long,
// under its number.  Never higher than MARCA_TECHO from the area's top.
constexpr int MARCA_HUECO = 4;
constexpr int MARCA_LARGO = 8;
constexpr int MARCA_TEXTO = 9; // a line of the built-in font and a pixel of space
constexpr int MARCA_TECHO = MARCA_LARGO + MARCA_TEXTO;

// The saved picture is the window from this row down.
constexpr int Y_IMAGEN = 60;

// The status line: how the last file was read, what was left out or
// assumed.  Under the header and the command menu, above the info lines and
// the saved picture, across the window.
constexpr int X_ESTADO = 72; // right of the header's words, whose last line it would touch
constexpr int Y_ESTADO = 52;
