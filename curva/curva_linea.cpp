// Part of the curve engine: Allegro's line as runs of rows per column,
// computed instead of stepped, so that a line reaching far outside the area
// costs only its visible part.  Start with recorre_linea at the bottom.
//
// do_line walks the major axis (x when |dx| >= |dy|, ties included) one step
// at a time from (x1, y1); at step i the minor axis has moved
// floor((2·A·i + D) / (2·D)) pixels, with D and A the major and minor
// lengths.  That closed form was checked against do_line in every octant, and
// the unit tests keep checking it.
#include "curva_motor.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct Linea {
	long long p1, s1; // start on the major and the minor axis
	long long largo;  // D: steps along the major axis
	long long ancho;  // A: pixels along the minor axis
	int signo_p, signo_s;
	bool x_mayor;
};

struct Pasos {
	long long desde, hasta; // inclusive; empty when desde > hasta
};

Linea describe(int x1, int y1, int x2, int y2)
{
	long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
	Linea l;
	l.x_mayor = std::llabs(dx) >= std::llabs(dy);
	long long dp = l.x_mayor ? dx : dy, ds = l.x_mayor ? dy : dx;
	l.p1 = l.x_mayor ? x1 : y1;
	l.s1 = l.x_mayor ? y1 : x1;
	l.largo = std::llabs(dp);
	l.ancho = std::llabs(ds);
	l.signo_p = dp >= 0 ? 1 : -1;
	l.signo_s = ds >= 0 ? 1 : -1;
	return l;
}

// Minor-axis offset at step i.
long long desplazamiento(const Linea &l, long long i)
{
	return (2 * l.ancho * i + l.largo) / (2 * l.largo);
}

// First step whose minor-axis offset reaches j; past the end when it never does.
long long primer_paso(const Linea &l, long long j)
{
	if (j <= 0)
		return 0;
	if (j > l.ancho)
		return l.largo + 1;
	return (2 * l.largo * j - l.largo + 2 * l.ancho - 1) / (2 * l.ancho);
}

// Steps whose coordinate start + signo × step lies in [lo, hi].
Pasos pasos_dentro(long long inicio, int signo, long long lo, long long hi, long long largo)
{
	Pasos r = signo > 0 ? Pasos{lo - inicio, hi - inicio} : Pasos{inicio - hi, inicio - lo};
	r.desde = std::max(r.desde, 0LL);
	r.hasta = std::min(r.hasta, largo);
	return r;
}

// Steps whose minor-axis coordinate lies in [lo, hi].
Pasos pasos_con_menor_en(const Linea &l, long long lo, long long hi)
{
	Pasos j = pasos_dentro(l.s1, l.signo_s, lo, hi, l.ancho);
	if (j.desde > j.hasta)
		return Pasos{1, 0};
	return Pasos{primer_paso(l, j.desde), primer_paso(l, j.hasta + 1) - 1};
}

// One pixel per column: step the error term from the first visible column.
void recorre_x_mayor(const Linea &l, const Recorte &r, FuncionTramo f, void *datos)
{
	Pasos en_x = pasos_dentro(l.p1, l.signo_p, r.cl, r.cr - 1, l.largo);
	Pasos en_y = pasos_con_menor_en(l, r.ct, r.cb - 1);
	long long i = std::max(en_x.desde, en_y.desde), fin = std::min(en_x.hasta, en_y.hasta);
	if (i > fin)
		return;
	long long dos_d = 2 * l.largo, num = 2 * l.ancho * i + l.largo;
	long long s = num / dos_d, resto = num % dos_d;
	for (; i <= fin; i++) {
		int y = (int)(l.s1 + l.signo_s * s);
		f(datos, (int)(l.p1 + l.signo_p * i), y, y);
		resto += 2 * l.ancho;
		if (resto >= dos_d) {
			resto -= dos_d;
			s++;
		}
	}
}

// A run of rows per column: the steps that share one minor-axis offset.
void recorre_y_mayor(const Linea &l, const Recorte &r, FuncionTramo f, void *datos)
{
	Pasos en_y = pasos_dentro(l.p1, l.signo_p, r.ct, r.cb - 1, l.largo);
	Pasos en_x = pasos_dentro(l.s1, l.signo_s, r.cl, r.cr - 1, l.ancho);
	if (en_y.desde > en_y.hasta)
		return;
	long long j = std::max(en_x.desde, desplazamiento(l, en_y.desde));
	long long fin = std::min(en_x.hasta, desplazamiento(l, en_y.hasta));
	for (; j <= fin; j++) {
		long long a = std::max(en_y.desde, primer_paso(l, j));
		long long b = std::min(en_y.hasta, primer_paso(l, j + 1) - 1);
		long long ya = l.p1 + l.signo_p * a, yb = l.p1 + l.signo_p * b;
		f(datos, (int)(l.s1 + l.signo_s * j), (int)std::min(ya, yb), (int)std::max(ya, yb));
	}
}

} // namespace

void recorre_linea(int x1, int y1, int x2, int y2, const Recorte &r, FuncionTramo f, void *datos)
{
	Linea l = describe(x1, y1, x2, y2);
	if (l.largo == 0) {
		if (x1 >= r.cl && x1 < r.cr && y1 >= r.ct && y1 < r.cb)
			f(datos, x1, y1, y1);
		return;
	}
	if (l.x_mayor)
		recorre_x_mayor(l, r, f, datos);
	else
		recorre_y_mayor(l, r, f, datos);
}
