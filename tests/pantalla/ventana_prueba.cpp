// See ventana_prueba.h.
#include "ventana_prueba.h"

#include <cstdlib>
#include <memory>

#include "estado.h"
#include "menu.h"

namespace {
constexpr int ANCHO_XVFB = 1024;
constexpr int ALTO_XVFB = 768;
std::unique_ptr<arnes::Xvfb> xvfb;
bool abierta = false;
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
	abierta = true;
}
