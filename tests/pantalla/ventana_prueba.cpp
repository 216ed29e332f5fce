// See ventana_prueba.h.
#include "ventana_prueba.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <allegro.h>

#include "disposicion.h"
#include "estado.h"
#include "menu.h"

namespace {

constexpr int ANCHO_XVFB = 1024;
constexpr int ALTO_XVFB = 768;
std::unique_ptr<arnes::Xvfb> xvfb;
bool abierta = false;

// What start-up fixed, kept across the state resets between cases.
struct Geometria {
	int pwx, pwy, wx, wy;
	BITMAP *grafica;
	int colores[5];
} geo;

uint32_t rgb(int c)
{
	return static_cast<uint32_t>(getr24(c) << 16 | getg24(c) << 8 | getb24(c));
}

} // namespace

const arnes::Xvfb &xvfb_prueba()
{
	if (!xvfb) {
		xvfb = std::make_unique<arnes::Xvfb>(ANCHO_XVFB, ALTO_XVFB);
		xvfb->usa_en_este_proceso();
	}
	return *xvfb;
}

void abre_ventana_prueba()
{
	if (abierta)
		return;
	xvfb_prueba();
	reinicia_estado();
	if (inicializo_graficos() != 0)
		std::abort();
	geo = {pwx, pwy, wx, wy, grafica, {WHITE, BLUE, BLACK, RED, BACK}};
	abierta = true;
}

void prepara_caso()
{
	abre_ventana_prueba();
	reinicia_estado();
	pwx = geo.pwx;
	pwy = geo.pwy;
	wx = geo.wx;
	wy = geo.wy;
	grafica = geo.grafica;
	WHITE = geo.colores[0];
	BLUE = geo.colores[1];
	BLACK = geo.colores[2];
	RED = geo.colores[3];
	BACK = geo.colores[4];
	rectfill(screen, 0, Y_IMAGEN, pwx, Y_GRAFICA - 1, BLUE);
	clear_to_color(grafica, WHITE);
}

void carga_muestras(const std::vector<float> &muestras, float al_, float bl_)
{
	nptL = static_cast<int>(muestras.size());
	Li = static_cast<float *>(std::malloc((muestras.size() + 1) * sizeof(float)));
	std::copy(muestras.begin(), muestras.end(), Li + 1);
	maxL = 0;
	for (float m : muestras)
		if (std::isfinite(m))
			maxL = std::max(maxL, m);
	al = al_;
	bl = bl_;
	vista_inicial();
	pide_redibujo();
}

uint32_t pixel(int x, int y)
{
	return rgb(getpixel(grafica, x, y));
}

bool muestra_texto(int x, int y, const char *texto)
{
	int ancho = text_length(font, texto), alto = text_height(font);
	BITMAP *esperado = create_bitmap_ex(24, ancho, alto);
	textout_ex(esperado, font, texto, 0, 0, BLACK, BLUE);
	bool igual = true;
	for (int j = 0; j < alto && igual; j++)
		for (int i = 0; i < ancho && igual; i++)
			igual = rgb(getpixel(screen, x + i, y + j)) == rgb(getpixel(esperado, i, j));
	destroy_bitmap(esperado);
	return igual;
}
