// Everything the program draws on its window outside the dialogs: the fixed
// decoration, the spectrum plot pinta_L with its cursor, info lines and tick
// marks, and the loaded file's title.
#pragma once

#include <cstddef>

#include "analisis.h" // MedidaPico

struct BITMAP;

// Clears the window to BLUE, prints the header and makes the white graph area.
void dibuja_decoracion();

// Draws the current view: moves the cursor bar, reprints the info lines and,
// when the window or the scale changed since the last full redraw, redraws the
// samples and the tick marks.  Nothing (and no pause) before a load.
void pinta_L();

// The curves of a full redraw of the current view, the samples over their
// background, into bmp (of the graph area's size): `resumidas` as the plot
// draws them, a dense window from summaries of the samples; else every
// sample through the curve engine.  The two agree pixel for pixel; the
// tests and the benchmark compare them.
void dibuja_curvas(BITMAP *bmp, bool resumidas);

// Whether a full redraw draws a dense window from the summaries (the
// program's way) or every sample: the benchmark times both.
void redibuja_con_resumenes(bool si);

// Bytes that the summaries of the samples take now.
size_t bytes_de_resumenes();

// Draws the fit of m (the curve of all its lines and, for a multiplet, each
// line's on the background, when fitted) and its region's two ends over the
// graph area as it stands; the next full redraw takes them away.
void dibuja_ajuste(const MedidaMultiplete &m);

// Blanks info line 2 (a load does it, since an uncalibrated spectrum never
// reprints it).
void borra_linea_info_2();

// Prints the title of the loaded file inside the graph area.
void escribe_titulo();
