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

// The same picture painted backwards in parts, for a caller that can tell,
// from summaries of its samples, which of them change nothing and leaves them
// out.  empieza_curva_por_partes starts a curve (false in a drawing mode
// other than solid: draw it with dibuja_curva then).  Each pinta_parte then
// takes samples that all come before those of the parts already painted:
// the dots of p[desde..n-1] and the lines that reach them, as dibuja_curva
// would draw them.  parte_oculta says whether dots at rows y_min..y_max of
// column x and lines within those rows would paint nothing that the parts so
// far have not painted: then the part can be left out, and the picture is
// still pixel for pixel that of every sample.
bool empieza_curva_por_partes(BITMAP *bmp, int color_punto, int color_linea, int modo_dibujo);
void pinta_parte(const PuntoCurva *p, int n, int desde);
bool parte_oculta(int x, int y_min, int y_max);

// A curve's samples as dibuja_curva_resumida reads them, numbered k from
// the caller's first to its last: the pixels of a run of samples, sample k's
// column alone (which never falls as k grows), and the rows of a run.
class SerieCurva {
public:
	// The pixels of samples a..b into p[0..b - a].
	virtual void puntos(int a, int b, PuntoCurva *p) const = 0;
	virtual int columna(int k) const = 0;
	// The least and the greatest row of samples a..b when every one of them
	// is visible; false when some is not, or when it cannot tell cheaply.
	virtual bool filas(int a, int b, int *arriba, int *abajo) const = 0;

protected:
	~SerieCurva() = default;
};

// The picture of dibuja_curva for samples primero..ultimo of s, drawn from
// `desde` (primero or primero + 1, which then only leads the first line in),
// at a cost that grows with the columns rather than the samples when many
// samples share a column.  False in a drawing mode other than solid, where it
// draws nothing.
bool dibuja_curva_resumida(BITMAP *bmp, const SerieCurva &s, int primero, int desde, int ultimo,
                           int color_punto, int color_linea, int modo_dibujo);

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
