// The sample curve of a full redraw: a dot at each sample and a line from the
// previous sample to it, drawn fast but pixel-identical to drawing every dot
// and line in order.  Start with dibuja_curva; recorre_linea is the exact
// column-by-column model of Allegro's line that the fast drawing rests on.
#pragma once

#include <allegro.h>

constexpr int RADIO_PUNTO = 2; // radius of a sample's dot

// The pixel of one sample inside the graph area.  `visible` is false for a
// sample that is neither drawn nor joined (infinite or NaN).
struct PuntoCurva {
	int x, y;
	bool visible;
};

// Draws the curve into bmp (clipped to its clip rectangle).  For k from
// `desde` to n - 1, in order: a filled circle of RADIO_PUNTO in color_punto
// at p[k]; then, if k > 0, a line in color_linea from p[k - 1] to p[k] (both
// visible).  With desde = 1, p[0] only feeds the first line (the sample left
// of the window).  Coordinates beyond ±COORD_MAXIMA are clamped to it.
// Draws with dibuja_curva_rapida, or primitive by primitive when the curve
// touches so few pixels that this is cheaper.
void dibuja_curva(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea);

// The same picture, always painted backwards over the columns: each pixel
// once, and the hidden part of a dense curve skipped.  Pixel-identical to the
// reference; in a drawing mode other than solid it draws the reference.
void dibuja_curva_rapida(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                         int color_linea);

// The same picture drawn primitive by primitive: the reference for tests and
// benchmarks.  It clamps coordinates like dibuja_curva, so the two agree for
// any input.
void dibuja_curva_referencia(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                             int color_linea);

// Largest coordinate magnitude that the plot hands to dibuja_curva; values
// beyond it are clamped before they reach the drawing primitives.
//
// Why 2^22: Allegro's line steps with int error terms of about twice the
// line's length, so it stays exact up to lengths near 2^30, and its clipped
// line is exactly do_line's pixels cut to the clip rectangle at any length
// (measured).  But line() walks every pixel of the line, visible or not: about
// 2 ms per million pixels here, so a line between ±2^22 costs some 15 ms in
// the reference (the backwards painting computes only the visible part, whatever the
// length).  A larger bound would only make the reference slower.
//
// A smaller bound would change pictures: a line from inside the area to a
// clamped end is steep, and its visible pixels keep their columns as long as
// its length exceeds 2 × (its width in columns) × (the area's height).  With
// the narrowest zoomed window (19 channels) on a 4000 × 3000 area that is
// 2 × 211 × 3000 ≈ 1.3e6, and the highest amplification (200) puts samples
// at most about 200 × 3000 = 6e5 rows above the area, never clamped.  Only
// samples more negative than about (2^22 / height) × maxL / amplification
// get clamped; see the notes at the top of curva.cpp.
constexpr int COORD_MAXIMA = 1 << 22;

// Columns [cl, cr) and rows [ct, cb) of a clip rectangle.
struct Recorte {
	int cl, ct, cr, cb;
};

// Receives the rows [fila0, fila1] (fila0 <= fila1) of a line in column x.
using FuncionTramo = void (*)(void *datos, int x, int fila0, int fila1);

// Walks the pixels that Allegro's do_line visits from (x1, y1) to (x2, y2),
// cut to r, as one run of rows per column, in order of column from x1's side.
// The cost grows with the columns the line crosses inside r, not with its
// length.  Exact for coordinates within ±2^29.
void recorre_linea(int x1, int y1, int x2, int y2, const Recorte &r, FuncionTramo f, void *datos);
