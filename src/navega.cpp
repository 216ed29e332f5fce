// Keyboard navigation.  navega() holds every rule, in the order they are
// tried; the hook that reads the keys and plots is teclado.cpp's.  Channel arithmetic
// is on integers, rounded down; the vertical scale is a float.  The view
// itself is kept in ints, but sums and multiples of channels are taken in 64
// bits: every result lies within the spectrum, yet 6 × a width or the sum of
// two ends overflows an int long before the largest spectrum a load accepts.
#include "navega.h"

#include <algorithm>
#include <cstdint>

#include "estado.h"
#include "analisis.h"

namespace {

constexpr float AMPLIA_MAX = 200;
constexpr float AMPLIA_MIN = 1;
constexpr int FACTOR_AMPLIA = 2;
constexpr int PASOS_POR_VENTANA = 15; // a fast cursor step is this fraction of the window
constexpr int PASOS_ZOOM = 3;         // zooming moves an edge by this many steps
constexpr int ANCHO_MIN_ZOOM = 30;    // no zooming in on a window this narrow
constexpr int SEXTOS = 6;             // the cursor scrolls the window in its outer sixths
constexpr int DECIMOS_SCROLL = 3;     // scrolling moves the window three tenths of its width

using Canal = std::int64_t; // a channel in the middle of a computation

// Back to the view's int: every caller has brought v within the spectrum.
int canal_de(Canal v)
{
	return static_cast<int>(v);
}

// Zoom in towards the cursor: a cursor right of the middle cuts from the
// left, one left of it cuts from the right, one near the middle from both.
void acerca(int paso)
{
	Canal corte = Canal{PASOS_ZOOM} * paso;
	if (2 * Canal{ch_c} >= Canal{ch_f} + ch_i)
		ch_i = canal_de(ch_i + corte);
	if (2 * Canal{ch_c} <= Canal{ch_f} + ch_i)
		ch_f = canal_de(ch_f - corte);
}

void aleja(int paso)
{
	Canal corte = Canal{PASOS_ZOOM} * paso;
	ch_i = canal_de(std::max<Canal>(ch_i - corte, 1));
	ch_f = canal_de(std::min<Canal>(ch_f + corte, nptL));
}

Canal desplazamiento()
{
	return DECIMOS_SCROLL * (Canal{ch_f} - ch_i) / 10;
}

void cursor_derecha(int paso)
{
	ch_c = canal_de(std::min<Canal>(Canal{ch_c} + paso, nptL));
	if (SEXTOS * (Canal{ch_f} - ch_c) > Canal{ch_f} - ch_i)
		return;
	int d = canal_de(std::min<Canal>(desplazamiento(), Canal{nptL} - ch_f));
	ch_f += d;
	ch_i += d;
}

void cursor_izquierda(int paso)
{
	ch_c = canal_de(std::max<Canal>(Canal{ch_c} - paso, 1));
	if (SEXTOS * (Canal{ch_c} - ch_i) > Canal{ch_f} - ch_i)
		return;
	int d = canal_de(std::min<Canal>(desplazamiento(), Canal{ch_i} - 1));
	ch_f -= d;
	ch_i -= d;
}

// Puts the window, with its width, around channel c as far as the spectrum allows.
void centra_ventana(int c)
{
	Canal ancho = Canal{ch_f} - ch_i;
	ch_i = canal_de(std::clamp<Canal>(c - ancho / 2, 1, std::max<Canal>(1, nptL - ancho)));
	ch_f = canal_de(ch_i + ancho);
}

// Ctrl with an arrow: the cursor to the next peak that way, the window after
// it when the peak lies outside.  Nothing to search before a load.
bool salta_a_pico(int sentido)
{
	if (Li == nullptr || nptL <= 0)
		return false;
	int pico = pico_siguiente(muestras_vistas(), nptL, ch_c, sentido, fondo_restado());
	if (pico == 0)
		return true;
	ch_c = pico;
	if (pico < ch_i || pico > ch_f)
		centra_ventana(pico);
	return true;
}

} // namespace

bool navega(const Teclas &t)
{
	int paso = (ch_f - ch_i) / PASOS_POR_VENTANA;
	if (t.tab) {
		elog = 1 - elog;
		pide_redibujo();
	} else if (t.arriba && t.shift && elog == 0) {
		amplia_y = std::min(amplia_y * FACTOR_AMPLIA, AMPLIA_MAX);
	} else if (t.abajo && t.shift && elog == 0) {
		amplia_y = std::max(amplia_y / FACTOR_AMPLIA, AMPLIA_MIN);
	} else if (t.arriba && !t.shift && ch_f - ch_i > ANCHO_MIN_ZOOM) {
		acerca(paso);
	} else if (t.abajo && !t.shift && ch_f - ch_i < nptL) {
		aleja(paso);
	} else if (t.control && (t.derecha || t.izquierda)) {
		return salta_a_pico(t.derecha ? 1 : -1);
	} else if (t.derecha) {
		cursor_derecha(t.shift ? 1 : paso);
	} else if (t.izquierda) {
		cursor_izquierda(t.shift ? 1 : paso);
	} else {
		return false;
	}
	return true;
}
