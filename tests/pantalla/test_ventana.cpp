// The window as the X server shows it: what the program draws gets there by
// itself, with no key or pointer event to carry it.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>

#include "arnes.h"
#include "disposicion.h"
#include "ventana_prueba.h"

namespace {

constexpr double ESPERA = 20;
constexpr int ASENTAR_MS = 500; // for the events of moving the pointer away
constexpr int R = 0x12, G = 0x34, B = 0x56;
constexpr uint32_t COLOR = R << 16 | G << 8 | B;
const arnes::Zona ZONA{X_GRAFICA + 20, Y_GRAFICA + 20, 40, 20};

bool zona_pintada(const arnes::Xvfb &x)
{
	arnes::Imagen img = arnes::captura(x, ZONA);
	return !img.px.empty() &&
	       std::all_of(img.px.begin(), img.px.end(), [](uint32_t p) { return p == COLOR; });
}

} // namespace

// Drawing only queues requests in the program's X connection: something has
// to send them while the window waits for input.
TEST(Ventana, LoDibujadoLlegaAXSinQueLlegueNingunEvento)
{
	prepara_caso();
	const arnes::Xvfb &x = xvfb_prueba();
	arnes::raton_fuera(x);
	arnes::duerme_ms(ASENTAR_MS);
	ASSERT_FALSE(zona_pintada(x));
	rectfill(screen, ZONA.x, ZONA.y, ZONA.x + ZONA.ancho - 1, ZONA.y + ZONA.alto - 1, makecol(R, G, B));
	EXPECT_TRUE(arnes::espera_hasta([&] { return zona_pintada(x); }, ESPERA));
}
