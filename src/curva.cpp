// Placeholder: the reference drawing serves until the fast renderer lands.
#include "curva.h"

void dibuja_curva_referencia(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                             int color_linea)
{
	for (int k = desde; k < n; k++) {
		if (!p[k].visible)
			continue;
		circlefill(bmp, p[k].x, p[k].y, RADIO_PUNTO, color_punto);
		if (k > 0 && p[k - 1].visible)
			line(bmp, p[k - 1].x, p[k - 1].y, p[k].x, p[k].y, color_linea);
	}
}

void dibuja_curva(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea)
{
	dibuja_curva_referencia(bmp, p, n, desde, color_punto, color_linea);
}
