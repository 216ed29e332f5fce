// The curve engine as the plot sees it: a spectrum's samples drawn as dots
// joined by lines, fast.  Its contract: the picture is pixel-identical to
// drawing every dot, then every line, in order (each sample's dot, then the
// line that reaches it) with Allegro's circlefill and line, which is what
// dibuja_curva_referencia in curva_motor.h does.  The engine's own files, its
// tests and its benchmark use curva_motor.h too; start reading at
// dibuja_curva in curva_dibujo.cpp.
#pragma once

struct BITMAP;

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
// modo_dibujo is the Allegro drawing mode the caller has set: only in
// DRAW_MODE_SOLID does the last primitive decide a pixel, which the fast
// drawing rests on; in any other mode the curve is drawn primitive by
// primitive.
void dibuja_curva(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea,
                  int modo_dibujo);

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
// get clamped; see the notes at the top of curva_dibujo.cpp.
constexpr int COORD_MAXIMA = 1 << 22;
