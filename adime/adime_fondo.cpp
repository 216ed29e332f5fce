// Saving and restoring the screen under a dialog; see adime_fondo.h.
#include "adime_fondo.h"

#include <algorithm>

namespace adime {

FondoGuardado::FondoGuardado(const Rect &r)
{
	BITMAP *pantalla = gui_get_screen();
	x_ = std::max(r.x, 0);
	y_ = std::max(r.y, 0);
	int w = std::min(r.derecha(), pantalla->w) - x_;
	int h = std::min(r.abajo(), pantalla->h) - y_;
	if (w <= 0 || h <= 0)
		return;
	copia_ = create_bitmap_ex(bitmap_color_depth(pantalla), w, h);
	if (!copia_)
		return;
	scare_mouse_area(x_, y_, w, h);
	blit(pantalla, copia_, x_, y_, 0, 0, w, h);
	unscare_mouse();
}

FondoGuardado::~FondoGuardado()
{
	if (!copia_)
		return;
	scare_mouse_area(x_, y_, copia_->w, copia_->h);
	blit(copia_, gui_get_screen(), 0, 0, x_, y_, copia_->w, copia_->h);
	unscare_mouse();
	destroy_bitmap(copia_);
}

Rect FondoGuardado::pantalla_entera()
{
	BITMAP *pantalla = gui_get_screen();
	return Rect{0, 0, pantalla->w, pantalla->h};
}

} // namespace adime
