// The curve engine's two drawings: the reference, primitive by primitive, and
// the backwards painting; dibuja_curva picks one.  Start with dibuja_curva at
// the bottom, then dibuja_curva_rapida and dibuja_corrida.
//
// With two colours the last primitive to touch a pixel decides it, so going
// through the primitives backwards and painting only pixels that nothing has
// painted yet leaves the same picture.  A dense window has thousands of
// samples per column; backwards, the first few of them cover their column and
// the rest land on painted rows, so each costs a couple of comparisons
// against the run of rows known painted in its column.  Within one column's
// run of samples, the dots are the only thing that reaches the side columns,
// and in one colour, so their union is painted there in one go.
//
// bench_curva measures each speed-up on and off against the reference at
// 10^3, 10^5 and 10^7 samples (those inside the backwards painting through
// the switches of AjustesCurva); one that stops paying at those sizes goes.
//
// Clamping (see COORD_MAXIMA): a line that keeps one end inside the area
// keeps its visible pixels when its far end is clamped, for any window of 19
// channels or more.  Two cases can still shift by a column or more, both
// needing a sample more negative than about 1400 × maxL / amplification on a
// 3000-row area (6000 × on 700 rows), the only samples ever clamped: a line
// that crosses the whole area from a sample far above to such a sample (its
// slope changes), and the lines of a spectrum of under 20 samples, whose
// window is wider per channel.
#include <allegro.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "curva_motor.h"

namespace {

// "Painted up to the clip edge": beyond any clamped coordinate and dot radius.
constexpr int TAPADO = 1 << 30;
// A column's run of this many samples paints its dots' side columns as one union.
constexpr int UMBRAL_EN_BLOQUE = 8;
constexpr int LADO_PUNTO = 2 * RADIO_PUNTO + 1;
constexpr int BITS = 64;
// A marked row: the top bit of a byte, which SSE2 gathers sixteen at a time.
constexpr unsigned char MARCA = 0x80;
// Below this many pixels of dots and lines per column of the clip, drawing
// them one by one costs less than the backwards painting's bookkeeping of
// the columns (measured: the two meet near 5000 samples on 1014 columns).
constexpr long long TRABAJO_POR_COLUMNA = 100;
constexpr long long PIXELES_DE_PUNTO = 21; // a dot of RADIO_PUNTO, as Allegro fills it

int acota(int v)
{
	return std::clamp(v, -COORD_MAXIMA, COORD_MAXIMA);
}

// Every row of [lo, hi] is painted; lo > hi when nothing is known.  Rows
// outside the clip count as painted, so a run reaching the edge goes to ±TAPADO.
struct Cubierto {
	int lo, hi;
};

// The dot as rows [arriba, abajo] around its centre, per column offset.
struct FormaPunto {
	int arriba[LADO_PUNTO], abajo[LADO_PUNTO];
};

// Taken from a dot that Allegro draws, so the two agree by construction;
// false when there is no memory for it.
bool mide_punto(FormaPunto *forma)
{
	FormaPunto &f = *forma;
	BITMAP *b = create_bitmap_ex(8, LADO_PUNTO, LADO_PUNTO);
	if (b == nullptr)
		return false;
	clear_to_color(b, 0);
	circlefill(b, RADIO_PUNTO, RADIO_PUNTO, RADIO_PUNTO, 1);
	for (int c = 0; c < LADO_PUNTO; c++) {
		f.arriba[c] = LADO_PUNTO;
		f.abajo[c] = -LADO_PUNTO;
		for (int r = 0; r < LADO_PUNTO; r++) {
			if (getpixel(b, c, r) == 0)
				continue;
			f.arriba[c] = std::min(f.arriba[c], r - RADIO_PUNTO);
			f.abajo[c] = std::max(f.abajo[c], r - RADIO_PUNTO);
		}
	}
	destroy_bitmap(b);
	return true;
}

// The painted set of one call, kept between calls to reuse its memory.
struct Capa {
	BITMAP *bmp;
	unsigned char **filas; // the bitmap's rows, when directo
	Recorte r;
	int alto, palabras = 0; // rows of the clip; words of a column's bits
	bool directo;           // a 24-bit memory bitmap: write through its rows
	int color_punto, color_linea;
	FormaPunto punto;
	// A column run's rows are clamped to [base, tope]: beyond them a dot misses the clip.
	int base, tope;
	std::vector<uint64_t> bits; // a bit per painted pixel, column by column
	std::vector<Cubierto> cubierto;
	// Rows (from base) that hold a dot of the column run being drawn: a byte
	// each while the run is read, then packed to bits for its side columns.
	std::vector<unsigned char> marcas;
	std::vector<uint64_t> marcas_bits;
};

Capa capa;
AjustesCurva ajustes;
const Cubierto TAPADA = {-TAPADO, TAPADO};
const Cubierto NADA = {1, 0};

void escribe(int x, int y, int color)
{
	if (!capa.directo) {
		putpixel(capa.bmp, x, y, color);
		return;
	}
	unsigned char *d = capa.filas[y] + 3 * x;
	d[0] = (unsigned char)color;
	d[1] = (unsigned char)(color >> 8);
	d[2] = (unsigned char)(color >> 16);
}

// Paints the bits of m in word w of column ci that were not painted yet.
void pinta_bits(int ci, int w, uint64_t m, int color)
{
	uint64_t *b = &capa.bits[(size_t)ci * capa.palabras + w];
	uint64_t nuevo = m & ~*b;
	*b |= m;
	for (; nuevo; nuevo &= nuevo - 1)
		escribe(capa.r.cl + ci, capa.r.ct + w * BITS + __builtin_ctzll(nuevo), color);
}

// Bits a..b (clip rows) that fall in word w.
uint64_t mascara(int w, int a, int b)
{
	int lo = std::max(a - w * BITS, 0), hi = std::min(b - w * BITS, BITS - 1);
	return (~0ULL << lo) & (~0ULL >> (BITS - 1 - hi));
}

// First row of the painted run that holds row a.
int inicio_de_corrida(const uint64_t *b, int a)
{
	int w = a / BITS;
	uint64_t libres = ~b[w] & ((1ULL << (a % BITS)) - 1);
	while (libres == 0 && w > 0)
		libres = ~b[--w];
	if (libres == 0)
		return 0;
	return w * BITS + (BITS - 1 - __builtin_clzll(libres)) + 1;
}

// Last row of the painted run that holds row a.
int fin_de_corrida(const uint64_t *b, int a)
{
	int w = a / BITS;
	uint64_t libres = ~b[w] & ~((2ULL << (a % BITS)) - 1);
	while (libres == 0 && w + 1 < capa.palabras)
		libres = ~b[++w];
	if (libres == 0)
		return capa.alto - 1;
	return std::min(w * BITS + __builtin_ctzll(libres) - 1, capa.alto - 1);
}

int largo_visible(Cubierto c)
{
	return std::min(c.hi, capa.r.cb - 1) - std::max(c.lo, capa.r.ct);
}

// Clip rows a..b as rows known painted, the clip edge standing for all beyond.
Cubierto cubierto_de(int a, int b)
{
	return Cubierto{a == 0 ? -TAPADO : capa.r.ct + a, b == capa.alto - 1 ? TAPADO : capa.r.ct + b};
}

// Clip rows a..b of column ci are painted now: grow the known run with them,
// or take them if they are longer.  Cheap: no search of the bits.
void amplia(int ci, int a, int b)
{
	Cubierto n = cubierto_de(a, b);
	Cubierto &c = capa.cubierto[ci];
	if (c.lo <= c.hi && n.lo <= c.hi + 1 && c.lo - 1 <= n.hi)
		c = Cubierto{std::min(c.lo, n.lo), std::max(c.hi, n.hi)};
	else if (c.lo > c.hi || largo_visible(n) > largo_visible(c))
		c = n;
}

// The same, searching the bits for the whole painted run around a..b.
void amplia_hasta_huecos(int ci, int a, int b)
{
	const uint64_t *bits = &capa.bits[(size_t)ci * capa.palabras];
	amplia(ci, inicio_de_corrida(bits, a), fin_de_corrida(bits, b));
}

// Rows r0..r1 of column ci, where some row may not be painted yet.
void pinta_tramo_lento(int ci, int r0, int r1, int color)
{
	int a = std::max(r0, capa.r.ct) - capa.r.ct, b = std::min(r1, capa.r.cb - 1) - capa.r.ct;
	if (a > b)
		return;
	for (int w = a / BITS; w <= b / BITS; w++)
		pinta_bits(ci, w, mascara(w, a, b), color);
	amplia(ci, a, b);
}

void pinta_tramo(int x, int r0, int r1, int color)
{
	if (x < capa.r.cl || x >= capa.r.cr || r1 < capa.r.ct || r0 >= capa.r.cb)
		return;
	int ci = x - capa.r.cl;
	const Cubierto &c = capa.cubierto[ci];
	if (c.lo <= r0 && r1 <= c.hi)
		return;
	pinta_tramo_lento(ci, r0, r1, color);
}

void pinta_tramo_de_linea(void *, int x, int fila0, int fila1)
{
	pinta_tramo(x, fila0, fila1, capa.color_linea);
}

void pinta_pixel_de_linea(BITMAP *, int x, int y, int)
{
	pinta_tramo(x, y, y, capa.color_linea);
}

void pinta_linea(const PuntoCurva &a, const PuntoCurva &b)
{
	if (!ajustes.lineas_calculadas) {
		do_line(capa.bmp, acota(a.x), acota(a.y), acota(b.x), acota(b.y), 0, pinta_pixel_de_linea);
		return;
	}
	recorre_linea(acota(a.x), acota(a.y), acota(b.x), acota(b.y), capa.r, pinta_tramo_de_linea, nullptr);
}

// The dot's columns except its centre one.
void pinta_lados_de_punto(int x, int y)
{
	for (int d = -RADIO_PUNTO; d <= RADIO_PUNTO; d++)
		if (d != 0)
			pinta_tramo(x + d, y + capa.punto.arriba[d + RADIO_PUNTO],
			            y + capa.punto.abajo[d + RADIO_PUNTO], capa.color_punto);
}

void pinta_punto(const PuntoCurva &p)
{
	int x = acota(p.x), y = acota(p.y);
	pinta_tramo(x, y + capa.punto.arriba[RADIO_PUNTO], y + capa.punto.abajo[RADIO_PUNTO],
	            capa.color_punto);
	pinta_lados_de_punto(x, y);
}

// Marks from index i0 to i1 (inclusive), as indices into capa.marcas.
struct Marcadas {
	int i0, i1;
};

// Packs the byte marks of words w0..w1 into capa.marcas_bits.
void empaca_marcas(int w0, int w1)
{
	for (int w = w0; w <= w1; w++) {
		const unsigned char *m = &capa.marcas[(size_t)w * BITS];
		uint64_t v = 0;
#ifdef __SSE2__
		if (ajustes.marcas_sse2) {
			for (int i = 0; i < BITS; i += 16) {
				__m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m + i));
				v |= (uint64_t)(unsigned)_mm_movemask_epi8(bytes) << i;
			}
			capa.marcas_bits[w] = v;
			continue;
		}
#endif
		for (int i = 0; i < BITS; i++)
			v |= (uint64_t)(m[i] != 0) << i;
		capa.marcas_bits[w] = v;
	}
}

// 64 packed marks from bit pos on.
uint64_t ventana(int pos)
{
	int w = pos / BITS, s = pos % BITS;
	uint64_t v = capa.marcas_bits[w] >> s;
	return s ? v | capa.marcas_bits[w + 1] << (BITS - s) : v;
}

// Longest run of set bits in a column, fed word by word from the top.
struct MasLarga {
	int a = 0, b = -1;   // the longest so far
	int abierta_en = -1; // start of the run still open
	void cierra(int fin)
	{
		if (fin - abierta_en > b - a) {
			a = abierta_en;
			b = fin;
		}
		abierta_en = -1;
	}
	void agrega(uint64_t u, int base)
	{
		for (int pos = 0; pos < BITS;) {
			uint64_t resto = (abierta_en >= 0 ? ~u : u) >> pos;
			if (resto == 0)
				return;
			int t = __builtin_ctzll(resto);
			if (abierta_en >= 0)
				cierra(base + pos + t - 1);
			else
				abierta_en = base + pos + t;
			pos += t;
		}
	}
};

// Column ci gets the union of the marked dots' rows at column offset d,
// over clip words w0..w1.
void pinta_union(int ci, int d, int w0, int w1)
{
	int e0 = capa.punto.arriba[d + RADIO_PUNTO], e1 = capa.punto.abajo[d + RADIO_PUNTO];
	int sobra = capa.palabras * BITS - capa.alto;
	MasLarga larga;
	for (int w = w0; w <= w1; w++) {
		uint64_t u = 0;
		for (int e = e0; e <= e1; e++)
			u |= ventana(w * BITS + capa.r.ct - capa.base - e);
		if (w == capa.palabras - 1)
			u &= ~0ULL >> sobra;
		if (u)
			pinta_bits(ci, w, u, capa.color_punto);
		larga.agrega(u, w * BITS);
	}
	if (larga.abierta_en >= 0)
		larga.cierra(std::min(w1 * BITS + BITS - 1, capa.alto - 1));
	if (larga.a <= larga.b)
		amplia_hasta_huecos(ci, larga.a, larga.b);
}

// The side columns of many dots in column x at once, from their marks.
void pinta_lados_en_bloque(int x, Marcadas m)
{
	// Clip rows that a mark can reach, and the words that hold them.
	int margen = capa.r.ct - capa.base;
	int a = std::max(m.i0 - margen - RADIO_PUNTO, 0),
	    b = std::min(m.i1 - margen + RADIO_PUNTO, capa.alto - 1);
	if (a > b)
		return;
	int w0 = a / BITS, w1 = b / BITS;
	empaca_marcas(w0, w1 + 1);
	for (int d = -RADIO_PUNTO; d <= RADIO_PUNTO; d++)
		if (d != 0 && x + d >= capa.r.cl && x + d < capa.r.cr)
			pinta_union(x + d - capa.r.cl, d, w0, w1);
	std::fill(capa.marcas_bits.begin() + w0, capa.marcas_bits.begin() + w1 + 2, 0);
}

// The side columns of the dots of samples a+1..b, all in column x; clears their marks.
void pinta_lados_de_corrida(const PuntoCurva *p, int a, int b, int x, Marcadas m)
{
	bool alcanza = x >= capa.r.cl - RADIO_PUNTO && x < capa.r.cr + RADIO_PUNTO;
	if (ajustes.lados_en_bloque && b - a >= UMBRAL_EN_BLOQUE && alcanza)
		pinta_lados_en_bloque(x, m);
	else if (alcanza)
		for (int k = a + 1; k <= b; k++)
			pinta_lados_de_punto(x, acota(p[k].y));
	std::fill(capa.marcas.begin() + m.i0, capa.marcas.begin() + m.i1 + 1, 0);
}

// Paints rows r0..r1 of column ci unless known painted or outside the clip.
void tramo_de_columna(int ci, int r0, int r1, int color)
{
	const Cubierto &c = capa.cubierto[ci];
	if ((c.lo > r0 || r1 > c.hi) && r1 >= capa.r.ct && r0 < capa.r.cb)
		pinta_tramo_lento(ci, r0, r1, color);
}

// Line k (from row yp) then dot k (at row yk) in column ci, where the hot
// loop could not tell them hidden; the column's known run after them.
Cubierto linea_y_punto(int ci, int yp, int yk)
{
	tramo_de_columna(ci, std::min(yp, yk), std::max(yp, yk), capa.color_linea);
	tramo_de_columna(ci, yk + capa.punto.arriba[RADIO_PUNTO], yk + capa.punto.abajo[RADIO_PUNTO],
	                 capa.color_punto);
	return capa.cubierto[ci];
}

// The hot loop: column x's own lines and dots of the run that ends at b,
// backwards, marking the dots' rows for the side columns.  Rows are clamped
// to [base, tope], which changes nothing inside the clip, and counted from
// base.  Returns the run's first sample.  SIN_SALTOS orders each line's ends
// without a branch: which end is higher is a coin toss, and a branch there
// mispredicts half the time (the loop then runs about twice as long, measured).
template <bool SIN_SALTOS> int recorre_columna(const PuntoCurva *p, int b, int desde, Marcadas *m)
{
	const int x = p[b].x, base = capa.base;
	const int sube = -capa.punto.arriba[RADIO_PUNTO], baja = capa.punto.abajo[RADIO_PUNTO];
	bool dentro = x >= capa.r.cl && x < capa.r.cr;
	int ci = dentro ? x - capa.r.cl : 0;
	Cubierto c = dentro ? capa.cubierto[ci] : TAPADA;
	int clo = c.lo - base, chi = c.hi - base, fila_ct = capa.r.ct - base, fila_cb = capa.r.cb - base;
	unsigned char *marcas = capa.marcas.data();
	int yk = std::clamp(p[b].y, base, capa.tope) - base, mn = yk, mx = yk;
	int k = b;
	for (; k > desde; k--) {
		const PuntoCurva &q = p[k - 1];
		if (!q.visible | (q.x != x))
			break;
		int yp = std::clamp(q.y, base, capa.tope) - base;
		marcas[yk] = MARCA;
		int lo, hi;
		if constexpr (SIN_SALTOS) {
			int d = yp - yk, signo = d >> 31;
			lo = yk + (d & signo);
			hi = yp - (d & signo);
		} else {
			lo = std::min(yp, yk);
			hi = std::max(yp, yk);
		}
		mn = std::min(mn, lo);
		mx = std::max(mx, hi);
		int a = std::min(lo, yk - sube), z = std::max(hi, yk + baja);
		if ((a < clo || z > chi) && z >= fila_ct && a < fila_cb) {
			c = linea_y_punto(ci, yp + base, yk + base);
			clo = c.lo - base;
			chi = c.hi - base;
		}
		yk = yp;
	}
	*m = Marcadas{mn, mx};
	return k;
}

// The run of samples in column x that ends at b, backwards: its own column
// one primitive at a time, then its dots' side columns, then the line that
// enters the run and the run's first dot.  Returns the run's first sample.
int dibuja_corrida(const PuntoCurva *p, int b, int desde)
{
	Marcadas m;
	int a = ajustes.orden_sin_saltos ? recorre_columna<true>(p, b, desde, &m)
	                                 : recorre_columna<false>(p, b, desde, &m);
	pinta_lados_de_corrida(p, a, b, p[b].x, m);
	if (a > 0 && p[a - 1].visible)
		pinta_linea(p[a - 1], p[a]);
	pinta_punto(p[a]);
	return a;
}

// Sample k alone, backwards: its line, then its dot.
int dibuja_primitivas(const PuntoCurva *p, int k)
{
	if (k > 0 && p[k - 1].visible)
		pinta_linea(p[k - 1], p[k]);
	pinta_punto(p[k]);
	return k;
}

Recorte recorte_de(BITMAP *bmp)
{
	if (bmp->clip)
		return Recorte{bmp->cl, bmp->ct, bmp->cr, bmp->cb};
	return Recorte{0, 0, bmp->w, bmp->h};
}

// The dot's shape, measured once.
bool conoce_el_punto()
{
	static bool medido = false;
	if (!medido)
		medido = mide_punto(&capa.punto);
	return medido;
}

// Sizes the painted set for bmp, with nothing painted; false when the clip
// is empty.  Clearing the whole area costs microseconds even for a tiny
// window (measured), so every call starts from a clean set.
bool prepara_capa(BITMAP *bmp, int color_punto, int color_linea)
{
	capa.bmp = bmp;
	capa.r = recorte_de(bmp);
	int ancho = capa.r.cr - capa.r.cl, alto = capa.r.cb - capa.r.ct;
	if (ancho <= 0 || alto <= 0)
		return false;
	capa.palabras = (alto + BITS - 1) / BITS;
	capa.bits.assign((size_t)ancho * capa.palabras, 0);
	capa.cubierto.assign(ancho, NADA);
	// Marks run from base to tope; packing reads whole words, two past the clip.
	capa.marcas.assign((size_t)(capa.palabras + 3) * BITS, 0);
	capa.marcas_bits.assign(capa.palabras + 3, 0);
	capa.alto = alto;
	capa.directo = ajustes.escritura_directa && is_memory_bitmap(bmp) && bitmap_color_depth(bmp) == 24;
	capa.filas = bmp->line;
	capa.color_punto = color_punto;
	capa.color_linea = color_linea;
	capa.base = capa.r.ct - RADIO_PUNTO - 1;
	capa.tope = capa.r.cb + RADIO_PUNTO;
	return true;
}

// Pixels that Allegro walks for the line from a to b.
long long largo_de_linea(const PuntoCurva &a, const PuntoCurva &b)
{
	long long dx = (long long)acota(b.x) - acota(a.x), dy = (long long)acota(b.y) - acota(a.y);
	return std::max(std::llabs(dx), std::llabs(dy)) + 1;
}

// Whether the dots and lines, drawn one by one, touch so few pixels that
// this is the cheaper way.  Stops counting as soon as they are too many.
bool pocos_pixeles(BITMAP *bmp, const PuntoCurva *p, int n, int desde)
{
	desde = std::max(desde, 0);
	Recorte r = recorte_de(bmp);
	long long limite = TRABAJO_POR_COLUMNA * std::max(r.cr - r.cl, 1);
	long long trabajo = 0;
	for (int k = desde; k < n && trabajo <= limite; k++) {
		if (!p[k].visible)
			continue;
		trabajo += PIXELES_DE_PUNTO;
		if (k > 0 && p[k - 1].visible)
			trabajo += largo_de_linea(p[k - 1], p[k]);
	}
	return trabajo <= limite;
}

// Whether every row from r0 to r1 of column x is painted; rows and columns
// outside the clip count as painted, since nothing shows there.
bool filas_pintadas(int x, int r0, int r1)
{
	if (x < capa.r.cl || x >= capa.r.cr)
		return true;
	int a = std::max(r0, capa.r.ct) - capa.r.ct, b = std::min(r1, capa.r.cb - 1) - capa.r.ct;
	if (a > b)
		return true;
	int ci = x - capa.r.cl;
	const Cubierto &c = capa.cubierto[ci];
	if (c.lo <= capa.r.ct + a && capa.r.ct + b <= c.hi)
		return true;
	const uint64_t *bits = &capa.bits[(size_t)ci * capa.palabras];
	for (int w = a / BITS; w <= b / BITS; w++) {
		uint64_t m = mascara(w, a, b);
		if ((bits[w] & m) != m)
			return false;
	}
	return true;
}

} // namespace

void dibuja_curva_referencia(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto,
                             int color_linea)
{
	for (int k = std::max(desde, 0); k < n; k++) {
		if (!p[k].visible)
			continue;
		circlefill(bmp, acota(p[k].x), acota(p[k].y), RADIO_PUNTO, color_punto);
		if (k > 0 && p[k - 1].visible)
			line(bmp, acota(p[k - 1].x), acota(p[k - 1].y), acota(p[k].x), acota(p[k].y),
			     color_linea);
	}
}

void dibuja_curva_rapida(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea,
                         int modo_dibujo)
{
	if (bmp == nullptr || p == nullptr || n <= 0)
		return;
	if (!empieza_curva_por_partes(bmp, color_punto, color_linea, modo_dibujo)) {
		dibuja_curva_referencia(bmp, p, n, desde, color_punto, color_linea);
		return;
	}
	pinta_parte(p, n, desde);
}

bool empieza_curva_por_partes(BITMAP *bmp, int color_punto, int color_linea, int modo_dibujo)
{
	// Backwards painting needs each pixel to take the colour of the last primitive.
	if (bmp == nullptr || modo_dibujo != DRAW_MODE_SOLID || !conoce_el_punto())
		return false;
	if (!prepara_capa(bmp, color_punto, color_linea))
		capa.bmp = nullptr; // an empty clip: every part paints nothing
	return true;
}

void pinta_parte(const PuntoCurva *p, int n, int desde)
{
	if (capa.bmp == nullptr || p == nullptr)
		return;
	desde = std::max(desde, 0);
	for (int k = n - 1; k >= desde; k--)
		if (p[k].visible)
			k = ajustes.corridas ? dibuja_corrida(p, k, desde) : dibuja_primitivas(p, k);
}

bool parte_oculta(int x, int y_min, int y_max)
{
	if (capa.bmp == nullptr)
		return true;
	x = acota(x);
	y_min = acota(y_min);
	y_max = acota(y_max);
	const FormaPunto &f = capa.punto;
	for (int d = -RADIO_PUNTO; d <= RADIO_PUNTO; d++)
		if (!filas_pintadas(x + d, y_min + f.arriba[d + RADIO_PUNTO],
		                    y_max + f.abajo[d + RADIO_PUNTO]))
			return false;
	return true;
}

void ajusta_curva(const AjustesCurva &a)
{
	ajustes = a;
}

void dibuja_curva(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea,
                  int modo_dibujo)
{
	if (bmp == nullptr || p == nullptr || n <= 0)
		return;
	if (pocos_pixeles(bmp, p, n, desde))
		dibuja_curva_referencia(bmp, p, n, desde, color_punto, color_linea);
	else
		dibuja_curva_rapida(bmp, p, n, desde, color_punto, color_linea, modo_dibujo);
}
