// Inside the curve engine: its two ways of drawing, which dibuja_curva
// chooses between, the column-by-column model of Allegro's line that the
// fast one rests on, and the switches that turn its speed-ups off for the
// benchmark.  For the engine's own files, its tests and its benchmark; the
// program goes through curva.h only.
#pragma once

#include "curva.h"

// The same picture as dibuja_curva, always painted backwards over the
// columns: each pixel once, and the hidden part of a dense curve skipped.
// Pixel-identical to the reference; in a drawing mode other than solid it
// draws the reference.
void dibuja_curva_rapida(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea,
                         int modo_dibujo);

// The same picture drawn primitive by primitive, in Allegro's current drawing
// mode: the reference for tests and benchmarks.  It clamps coordinates like
// dibuja_curva, so the two agree for any input.
void dibuja_curva_referencia(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                             int color_linea);

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

// The speed-ups inside the backwards painting, each of which the benchmark
// turns off to measure what it buys; the program leaves them all on.
struct AjustesCurva {
	bool corridas = true;          // a column's run of samples in one tight loop
	bool orden_sin_saltos = true;  // that loop orders a line's ends without a branch
	bool lados_en_bloque = true;   // that run's dots paint their side columns as one union
	bool marcas_sse2 = true;       // the dots' marks packed sixteen at a time
	bool escritura_directa = true; // 24-bit memory bitmaps written through their rows
	bool lineas_calculadas = true; // lines computed per column, not stepped pixel by pixel
};

void ajusta_curva(const AjustesCurva &ajustes);
