// The plot: pinta_L and its helpers, the window decoration, the title.
// Read pinta_L first.  Scales and wavelengths are kept in single precision;
// every expression built from them is evaluated in double and truncated once.
#include "pinta.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "curva.h"
#include "piramide.h"
#include "disposicion.h"
#include "estado.h"
#include "informes.h"
#include "textos.h"

namespace {

constexpr int PAUSA_MS = 100;
constexpr double MEDIO_ANCHO_CURSOR = 1; // the bar spans one column either side
constexpr int LARGO_TICK_MAYOR = 15;
constexpr int LARGO_TICK_MENOR = 3;
constexpr int MAX_TICKS = 1000; // far above any real scale; stops a spacing that no longer advances
constexpr int TAM_CAMPO = 256;
constexpr double TOPE_SIN_POSITIVAS = 1; // the scale's top when no sample is above 0
constexpr int TAM_LINEA_FONDO = 64;      // the background line's words and factor, besides its title
// Points handed to the curve engine at a time: any window of up to a million
// channels goes in one call.
constexpr size_t MUESTRAS_POR_TANDA = size_t{1} << 20;
// Below this many samples per column a window is drawn sample by sample:
// the summaries start to pay near a thousand (measured on 1014 columns).
constexpr int MUESTRAS_POR_COLUMNA = 1024;

struct Escalas {
	float x;          // pixels per channel
	float menos_ch_i; // the window's first channel, negated
	float offset;     // added to a plotted value before scaling
	float y;          // rows per plotted unit (negative: larger values go up)
};

struct Longitudes {
	float ini, fin, cur; // wavelengths of ch_i, ch_f, ch_c
	float div;           // the decade of the window's span: the major tick spacing
};

// The info-line fields, and how long each one's last text was: a shorter text
// is padded to cover it, so no stale digits stay behind.
enum Campo { CN_INI, CN_CUR, IN_CUR, CN_FIN, LO_INI, LO_CUR, LO_DIV, LO_FIN, N_CAMPOS };
int largo_previo[N_CAMPOS];

bool con_resumenes = true; // see redibuja_con_resumenes

// Truncates a pixel coordinate toward zero, clamped to what the drawing
// primitives take safely; NaN (a degenerate scale) lands below the area.
int trunca(double v)
{
	if (std::isnan(v) || v > COORD_MAXIMA)
		return COORD_MAXIMA;
	if (v < -COORD_MAXIMA)
		return -COORD_MAXIMA;
	return static_cast<int>(v);
}

Escalas calcula_escalas()
{
	Escalas e;
	int ancho = ch_f - ch_i;
	e.x = ancho != 0 ? static_cast<float>(static_cast<double>(wx) / ancho) : 0.0f;
	e.menos_ch_i = static_cast<float>(-ch_i);
	// A spectrum with nothing above 0 is still shown, its zeros on the bottom
	// edge, against a top of one count.
	float maximo = maximo_visto();
	double tope = maximo > 0 ? static_cast<double>(maximo) : TOPE_SIN_POSITIVAS;
	if (elog)
		e.offset = static_cast<float>(-std::log(tope + 1.0));
	else
		e.offset = static_cast<float>(-tope / amplia_y);
	e.y = static_cast<float>(wy / static_cast<double>(e.offset));
	return e;
}

// The last sample of the batch that starts at `inicio`, without passing `ultimo`.
int ultimo_de_tanda(int inicio, int ultimo)
{
	return static_cast<int>(
	    std::min<long long>(static_cast<long long>(inicio) + MUESTRAS_POR_TANDA - 1, ultimo));
}

int columna(const Escalas &e, double canal)
{
	return trunca((canal + e.menos_ch_i) * e.x);
}

// The plotted value of a sample; in the log scale a sample of -1 or less has
// no logarithm and lies on the bottom edge with the zeros, and so does a net
// sample of 0 or less, which stands for no counts left.
float valor_pintado(float s)
{
	if (!elog)
		return s;
	if (s <= -1 || (vista_neta && s <= 0))
		return 0;
	return static_cast<float>(std::log(static_cast<double>(s) + 1.0));
}

int fila(const Escalas &e, float s)
{
	return trunca((static_cast<double>(valor_pintado(s)) + e.offset) * e.y);
}

// The cursor bar at a channel, in exclusive-or: drawing it twice restores the pixels.
void barra_cursor(const Escalas &e, int canal)
{
	double x = (static_cast<double>(canal) + e.menos_ch_i) * e.x;
	drawing_mode(DRAW_MODE_XOR, nullptr, 0, 0);
	rectfill(grafica, trunca(x - MEDIO_ANCHO_CURSOR), 0, trunca(x + MEDIO_ANCHO_CURSOR), wy, BACK);
	solid_mode();
}

__attribute__((format(printf, 4, 5))) void escribe_campo(Campo campo, int x, int y, const char *formato, ...)
{
	char texto[TAM_CAMPO];
	va_list args;
	va_start(args, formato);
	std::vsnprintf(texto, sizeof texto, formato, args);
	va_end(args);
	int largo = static_cast<int>(std::strlen(texto));
	char relleno[TAM_CAMPO];
	std::snprintf(relleno, sizeof relleno, "%-*s", largo_previo[campo], texto);
	textout_ex(screen, font, relleno, x, y, BLACK, BLUE);
	largo_previo[campo] = largo;
}

void escribe_linea_1()
{
	escribe_campo(CN_INI, X_CAMPO_INICIO, Y_INFO_1, "cn.ini=%-4i", ch_i);
	escribe_campo(CN_CUR, X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=%-4i", ch_c);
	escribe_campo(IN_CUR, X_CAMPO_TERCERO, Y_INFO_1, "In.cur=%-8.1f",
	              static_cast<double>(muestras_vistas()[ch_c]));
	escribe_campo(CN_FIN, pwx - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=%-4i", ch_f);
}

Longitudes calcula_longitudes()
{
	Longitudes l;
	l.ini = longitud_de_onda(ch_i);
	l.fin = longitud_de_onda(ch_f);
	l.cur = longitud_de_onda(ch_c);
	double span = static_cast<double>(l.fin) - l.ini;
	l.div = static_cast<float>(std::pow(10.0, std::floor(std::log10(span))));
	return l;
}

void escribe_linea_2(const Longitudes &l)
{
	escribe_campo(LO_INI, X_CAMPO_INICIO, Y_INFO_2, "lo.ini=%-8.2f", static_cast<double>(l.ini));
	escribe_campo(LO_CUR, X_CAMPO_CURSOR, Y_INFO_2, "lo.cur=%-8.2f", static_cast<double>(l.cur));
	escribe_campo(LO_DIV, X_CAMPO_TERCERO, Y_INFO_2, "lo.div=%-8.2f", l.div / 10.0);
	escribe_campo(LO_FIN, pwx - MARGEN_CAMPO_FIN, Y_INFO_2, "lo.fin=%-8.2f", static_cast<double>(l.fin));
}

// One batch through the curve engine; false when the engine found no memory
// for its own bookkeeping, and the rest of the curve is left out.
bool dibuja_tanda(BITMAP *bmp, const PuntoCurva *p, int n, int desde, int color_punto, int color_linea)
{
	try {
		// barra_cursor hands the solid mode back, and nothing between changes it.
		dibuja_curva(bmp, p, n, desde, color_punto, color_linea, DRAW_MODE_SOLID);
		return true;
	} catch (const std::bad_alloc &) {
		return false;
	}
}

// A curve as the plot draws it: its samples v[c], scaled by `factor` for a
// background.
struct Serie {
	const float *v;
	bool escalada;
	double factor;
	float valor(float muestra) const { return escalada ? static_cast<float>(factor * muestra) : muestra; }
	float valor_en(int c) const { return valor(v[c]); }
};

PuntoCurva punto_de(const Escalas &e, const Serie &s, int c)
{
	float v = s.valor_en(c);
	return {columna(e, c), fila(e, v), std::isfinite(v) != 0};
}

// The curve of the window's values from ch_i to ch_f - 1 (a one-channel
// window draws its one sample); when ch_i > 1 the sample left of it feeds
// the first line.  The curve engine takes them in batches, each led in by the
// last point of the batch before: it draws each sample's dot and then the
// line that reaches it, in order, so the batches draw exactly what one call
// would, and a window of any width needs no more memory than one batch.
void dibuja_serie(BITMAP *bmp, const Escalas &e, const Serie &s, int color_punto, int color_linea)
{
	int primero = ch_i > 1 ? ch_i - 1 : ch_i;
	int ultimo = ch_f > ch_i ? ch_f - 1 : ch_i;
	std::vector<PuntoCurva> p;
	try {
		p.resize(std::min<size_t>(static_cast<size_t>(ultimo - primero) + 1, MUESTRAS_POR_TANDA));
	} catch (const std::bad_alloc &) {
		return; // the graph stays blank rather than the program ending
	}
	int inicio = primero, desde = ch_i - primero;
	for (;;) {
		int fin = ultimo_de_tanda(inicio, ultimo);
		for (int c = inicio; c <= fin; c++)
			p[c - inicio] = punto_de(e, s, c);
		if (!dibuja_tanda(bmp, p.data(), fin - inicio + 1, desde, color_punto, color_linea) ||
		    fin == ultimo)
			return;
		inicio = fin; // the batch's last point leads the next one in
		desde = 1;
	}
}

// A curve's samples with the summary of their minima and maxima, for the
// curve engine to leave out those that change no pixel.
class SerieResumida : public SerieCurva {
public:
	SerieResumida(const Escalas &e, const Serie &s, const Piramide &p) : e_(e), s_(s), p_(p) {}
	void puntos(int a, int b, PuntoCurva *p) const override
	{
		for (int k = a; k <= b; k++)
			p[k - a] = punto_de(e_, s_, k);
	}
	int columna(int k) const override { return ::columna(e_, k); }
	// The rows of the bounds of a..b bound the rows of every sample there,
	// as long as the way from a sample to its row never turns back.
	bool filas(int a, int b, int *arriba, int *abajo) const override
	{
		float minimo, maximo;
		if (!p_.cotas(a, b, &minimo, &maximo))
			return false;
		float lo = s_.valor(minimo), hi = s_.valor(maximo);
		if (!std::isfinite(lo) || !std::isfinite(hi))
			return false;
		if (lo > hi)
			std::swap(lo, hi); // a negative factor
		if (elog && !vista_neta && lo <= -1 && hi > -1)
			return false; // -1 and below lie with the zeros, above the samples just over -1
		int f1 = fila(e_, lo), f2 = fila(e_, hi);
		*arriba = std::min(f1, f2);
		*abajo = std::max(f1, f2);
		return true;
	}

private:
	const Escalas &e_;
	const Serie &s_;
	const Piramide &p_;
};

// The summary of one array of samples, made again when the array or the
// version of the samples moves on.
struct Resumen {
	const float *datos = nullptr;
	int n = 0;
	unsigned version = 0;
	bool hecho = false;
	Piramide piramide;
};
Resumen resumen_vistas, resumen_fondo;

const Piramide *resumen_de(Resumen &r, const float *datos)
{
	if (r.hecho && r.datos == datos && r.n == nptL && r.version == version_muestras)
		return &r.piramide;
	r.hecho = false;
	try {
		r.piramide.construye(datos, nptL);
	} catch (const std::bad_alloc &) {
		r.piramide.olvida();
		return nullptr; // every sample is drawn, as without summaries
	}
	r.datos = datos;
	r.n = nptL;
	r.version = version_muestras;
	r.hecho = true;
	return &r.piramide;
}

// Whether a window has so many samples per column that the summaries pay.
bool ventana_densa(const Escalas &e)
{
	return static_cast<long long>(ch_f) - ch_i >= static_cast<long long>(MUESTRAS_POR_COLUMNA) * wx &&
	       std::isfinite(e.y) && e.y != 0;
}

// The curve of a series: from its summary when the window is dense and the
// summary is at hand, else every sample.
void dibuja_curva_de(BITMAP *bmp, const Escalas &e, const Serie &s, Resumen &r, bool resumida,
                     int color_punto, int color_linea)
{
	const Piramide *p = resumida && ventana_densa(e) ? resumen_de(r, s.v) : nullptr;
	if (p != nullptr) {
		int primero = ch_i > 1 ? ch_i - 1 : ch_i;
		SerieResumida sr(e, s, *p);
		try {
			// barra_cursor hands the solid mode back, and nothing between changes it.
			if (dibuja_curva_resumida(bmp, sr, primero, ch_i, ch_f - 1, color_punto, color_linea,
			                          DRAW_MODE_SOLID))
				return;
		} catch (const std::bad_alloc &) {
			return; // as dibuja_tanda: the rest of the curve is left out
		}
	}
	dibuja_serie(bmp, e, s, color_punto, color_linea);
}

int color_fondo()
{
	return makecol24(RGB_FONDO.r, RGB_FONDO.g, RGB_FONDO.b);
}

// The spectrum's samples (or the net ones), over its scaled background, which
// the net view leaves out; where the background has no data it is not drawn.
void dibuja_muestras(BITMAP *bmp, const Escalas &e, bool resumidas)
{
	if (!fondo_canal.empty() && !vista_neta) {
		Serie fondo_escalado{fondo_canal.data(), true, factor_fondo};
		dibuja_curva_de(bmp, e, fondo_escalado, resumen_fondo, resumidas, color_fondo(),
		                color_fondo());
	}
	dibuja_curva_de(bmp, e, Serie{muestras_vistas(), false, 1}, resumen_vistas, resumidas, RED, BACK);
}

// Column, inside the graph area, of the tick for wavelength t.
int columna_de_longitud(double t, float escala_x)
{
	double canal = canal_de(sesion.espectro.cal, t) - ch_i;
	return trunca(canal * escala_x);
}

// One series of ticks hanging from the top edge, from `desde` by `paso`
// (added in single precision) while not past `hasta`.
void serie_ticks(BITMAP *bmp, const Escalas &e, float desde, float hasta, float paso, int largo)
{
	int n = 0;
	for (float t = desde; t <= hasta && n < MAX_TICKS; t += paso, n++) {
		int x = columna_de_longitud(t, e.x);
		line(bmp, x, largo, x, 0, BLACK);
	}
}

void dibuja_ticks(BITMAP *bmp, const Escalas &e, const Longitudes &l)
{
	float div = l.div;
	float hi = static_cast<float>(std::floor(static_cast<double>(l.fin) / div) * div);
	float lo = static_cast<float>(hi - std::floor((static_cast<double>(hi) - l.ini) / div) * div);
	serie_ticks(bmp, e, lo, hi, div, LARGO_TICK_MAYOR);
	float div2 = static_cast<float>(div / 10.0);
	float lo2 = static_cast<float>(lo - std::floor((static_cast<double>(lo) - l.ini) / div2) * div2);
	float hi2 = static_cast<float>(hi + std::floor((static_cast<double>(l.fin) - hi) / div2) * div2);
	serie_ticks(bmp, e, lo2, hi2, div2, LARGO_TICK_MENOR);
}

// The marks of the measured peaks whose place is inside the window: a tick
// above the sample there, under the peak's number (and a calibration point's
// known wavelength).
void dibuja_marcas(BITMAP *bmp, const Escalas &e)
{
	char numero[TAM_CAMPO];
	for (size_t i = 0; i < picos.size(); i++) {
		double canal = posicion(picos[i]);
		if (canal < ch_i || canal > ch_f)
			continue;
		int x = columna(e, canal);
		float muestra = Li[std::lround(canal)];
		int tope = std::isfinite(muestra) ? fila(e, muestra) : 0; // a NaN sample: from the top
		int arriba = std::max(tope - MARCA_HUECO - MARCA_LARGO, MARCA_TEXTO);
		line(bmp, x, arriba, x, arriba + MARCA_LARGO, BLACK);
		const PicoConocido *k = conocida_de(i);
		if (k)
			std::snprintf(numero, sizeof numero, MARCA_CONOCIDA, i + 1,
			              static_cast<double>(k->longitud));
		else
			std::snprintf(numero, sizeof numero, "%zu", i + 1);
		textout_centre_ex(bmp, font, numero, x, arriba - MARCA_TEXTO, BLACK, -1);
	}
}

// Draws samples and ticks off screen and puts them on the graph area at once;
// straight onto the area if there is no memory for the off-screen copy.
void redibujo_completo(const Escalas &e, const Longitudes &l)
{
	BITMAP *lienzo = create_bitmap(wx, wy);
	BITMAP *destino = lienzo ? lienzo : grafica;
	clear_to_color(destino, WHITE);
	dibuja_muestras(destino, e, con_resumenes);
	if (al != 0)
		dibuja_ticks(destino, e, l);
	dibuja_marcas(destino, e);
	if (lienzo) {
		blit(lienzo, grafica, 0, 0, 0, 0, wx, wy);
		destroy_bitmap(lienzo);
	}
	show_mouse(screen);
	unscare_mouse();
	ch_i0 = ch_i;
	ch_f0 = ch_f;
	amplia_y0 = amplia_y;
}

// A fitted curve, channel to channel over [desde, hasta].
template <class Cuentas>
void curva_ajustada(const Escalas &e, int desde, int hasta, int color, Cuentas cuentas)
{
	for (int c = desde + 1; c <= hasta; c++)
		line(grafica, columna(e, c - 1), fila(e, static_cast<float>(cuentas(c - 1))), columna(e, c),
		     fila(e, static_cast<float>(cuentas(c))), color);
}

} // namespace

void dibuja_curvas(BITMAP *bmp, bool resumidas)
{
	if (nptL > 0)
		dibuja_muestras(bmp, calcula_escalas(), resumidas);
}

void redibuja_con_resumenes(bool si)
{
	con_resumenes = si;
}

size_t bytes_de_resumenes()
{
	return resumen_vistas.piramide.bytes() + resumen_fondo.piramide.bytes();
}

void dibuja_decoracion()
{
	clear_to_color(screen, BLUE);
	textout_ex(screen, font, CABECERA_1, X_CABECERA, Y_CABECERA_1, BLACK, BLUE);
	textout_ex(screen, font, CABECERA_2, X_CABECERA, Y_CABECERA_2, BLACK, BLUE);
	textout_ex(screen, font, CABECERA_3, X_CABECERA, Y_CABECERA_3, BLACK, BLUE);
	grafica = create_sub_bitmap(screen, X_GRAFICA, Y_GRAFICA, wx, wy);
	if (grafica)
		clear_to_color(grafica, WHITE);
}

void pinta_L()
{
	if (nptL == 0) // nothing loaded yet
		return;
	Escalas e = calcula_escalas();
	barra_cursor(e, ch_c0);
	escribe_linea_1();
	Longitudes l{}; // used only when calibrated
	if (al != 0) {
		l = calcula_longitudes();
		escribe_linea_2(l);
	}
	if (ch_i != ch_i0 || ch_f != ch_f0 || amplia_y != amplia_y0)
		redibujo_completo(e, l);
	barra_cursor(e, ch_c);
	ch_c0 = ch_c;
	rest(PAUSA_MS);
}

void dibuja_ajuste(const MedidaMultiplete &m)
{
	Escalas e = calcula_escalas();
	if (m.ajustado) {
		int color_linea = makecol24(RGB_LINEA_AJUSTE.r, RGB_LINEA_AJUSTE.g, RGB_LINEA_AJUSTE.b);
		for (size_t i = 0; m.lineas.size() > 1 && i < m.lineas.size(); i++)
			curva_ajustada(e, m.desde, m.hasta, color_linea, [&m, i](double c) {
				return cuentas_de_linea(m, static_cast<int>(i), c);
			});
		curva_ajustada(e, m.desde, m.hasta, BLACK,
		               [&m](double c) { return cuentas_ajustadas(m, c); });
	}
	for (double borde : {m.desde - 0.5, m.hasta + 0.5})
		line(grafica, columna(e, borde), 0, columna(e, borde), wy, BLACK);
}

void borra_linea_info_2()
{
	rectfill(screen, X_CAMPO_INICIO, Y_INFO_2, pwx, Y_INFO_2 + ALTO_LINEA_INFO, BLUE);
	for (int c = LO_INI; c <= LO_FIN; c++)
		largo_previo[c] = 0;
}

void escribe_titulo()
{
	textout_ex(grafica, font, comment, X_TITULO, Y_TITULO, BLACK, BLUE);
	char linea[TAM_NOMBRE + TAM_LINEA_FONDO];
	if (linea_de_fondo(linea, sizeof linea))
		textout_ex(grafica, font, linea, X_TITULO, Y_TITULO_FONDO, color_fondo(), BLUE);
}
