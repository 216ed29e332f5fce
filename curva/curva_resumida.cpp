// A dense curve drawn backwards, column by column, leaving out the blocks of
// samples whose dots and lines would paint only pixels already painted by
// later ones; the rest go to the backwards painting as they are.  A block is
// left out only when parte_oculta proves it changes nothing, from bounds on
// its rows (and those of the sample before it, whose line reaches it), so
// the picture is that of every sample by construction.  In a column of
// thousands of samples the last few cover nearly all it will show, and the
// rest goes in a few look-ups of the caller's summaries.
#include <algorithm>
#include <vector>

#include "curva.h"

namespace {

// A block this short that is not hidden is drawn whole: the backwards
// painting's run of a column goes through it faster than halving it, below
// the summaries' smallest block, would prove its halves hidden (measured on
// noisy counts and on a curve that sweeps each column).
constexpr int HOJA = 128;

struct Recorrido {
	const SerieCurva &s;
	int primero;
	std::vector<PuntoCurva> p;
};

// Samples a..b to the backwards painting, led in by a - 1 when there is one.
void pinta_muestras(Recorrido &r, int a, int b)
{
	bool guia = a > r.primero;
	int desde = guia ? a - 1 : a;
	r.p.resize(static_cast<size_t>(b - desde) + 1);
	r.s.puntos(desde, b, r.p.data());
	pinta_parte(r.p.data(), static_cast<int>(r.p.size()), guia ? 1 : 0);
}

// Whether samples a..b of column x paint nothing new: their dots, their
// lines, and the line from a - 1 (in the same column) into a.
bool oculto(const Recorrido &r, int x, int a, int b)
{
	int arriba, abajo;
	return r.s.filas(a - 1, b, &arriba, &abajo) && parte_oculta(x, arriba, abajo);
}

// The largest power of two that divides k + 1 and is at most `largo`.
int bloque_alineado(int k, int largo)
{
	unsigned siguiente = static_cast<unsigned>(k) + 1;
	unsigned tam = siguiente & (~siguiente + 1);
	while (tam > static_cast<unsigned>(largo))
		tam >>= 1;
	return static_cast<int>(tam);
}

// Samples lo..b of column x, backwards, where sample lo - 1 is in column x
// too: aligned blocks left out when hidden, else halved down to a few samples.
void recorre_columna(Recorrido &r, int x, int lo, int b)
{
	for (int k = b; k >= lo;) {
		int tam = bloque_alineado(k, k - lo + 1);
		while (tam > HOJA && !oculto(r, x, k - tam + 1, k))
			tam /= 2;
		if (tam > HOJA || (tam == HOJA && oculto(r, x, k - tam + 1, k))) {
			k -= tam;
			continue;
		}
		int resto = (k + 1) % HOJA; // a leaf ends where a block of HOJA would
		int a = std::max(lo, k - (resto ? resto : HOJA) + 1);
		pinta_muestras(r, a, k);
		k = a - 1;
	}
}

// The first sample from `primero` on in the column of sample b: the columns
// never fall, so the search gallops back from b and then halves.
int primera_de_columna(const SerieCurva &s, int primero, int b)
{
	int x = s.columna(b), dentro = b, paso = 1;
	int fuera = primero - 1; // a sample known to lie left of the column, or before primero
	while (dentro > primero) {
		int t = std::max(primero, dentro - paso);
		if (s.columna(t) != x) {
			fuera = t;
			break;
		}
		dentro = t;
		paso *= 2;
	}
	while (dentro - fuera > 1) {
		int m = fuera + (dentro - fuera) / 2;
		if (s.columna(m) == x)
			dentro = m;
		else
			fuera = m;
	}
	return dentro;
}

} // namespace

bool dibuja_curva_resumida(BITMAP *bmp, const SerieCurva &s, int primero, int desde, int ultimo,
                           int color_punto, int color_linea, int modo_dibujo)
{
	if (!empieza_curva_por_partes(bmp, color_punto, color_linea, modo_dibujo))
		return false;
	Recorrido r{s, primero, {}};
	r.p.reserve(HOJA + 1);
	for (int b = ultimo; b >= desde;) {
		int a = primera_de_columna(s, primero, b);
		int lo = std::max(a + 1, desde);
		if (lo <= b)
			recorre_columna(r, s.columna(b), lo, b);
		if (a >= desde)
			pinta_muestras(r, a, a);
		b = a - 1;
	}
	return true;
}
