// The sample curve of a full redraw: a dot at each sample and a line from the
// previous sample to it, drawn fast but pixel-identical to drawing every dot
// and line in order.  Start with dibuja_curva.
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
// of the window).
void dibuja_curva(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea);

// The same picture drawn primitive by primitive: the reference for tests and
// benchmarks.
void dibuja_curva_referencia(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                             int color_linea);

// Largest coordinate magnitude that the plot hands to dibuja_curva; values
// beyond it are clamped before they reach the drawing primitives.
constexpr int COORD_MAXIMA = 1 << 20;
