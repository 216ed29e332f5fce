// The mouse on the plot.  A queue like the keys' (pulsaciones.cpp): Allegro's
// callback, on its input thread, is the one producer, the idle hook the one
// consumer.  Start at registra_raton, then vigila_raton.
#include "raton.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "cola.h"
#include "disposicion.h"
#include "estado.h"
#include "navega.h"
#include "pinta.h"

namespace {

constexpr unsigned CAPACIDAD = 256; // events waiting; more are dropped
constexpr int ARRASTRE_MIN = 5;     // pixels a press must travel to be a drag rather than a click
constexpr int DOBLE_MS = 500;       // a second click this soon after the first, on the same spot,
constexpr int DOBLE_PX = 4;         // makes a double click
constexpr int ANCHO_MIN = 30;       // a drag never leaves a window narrower: Up stops there

enum class Tipo { baja, sube, rueda };
struct Evento {
	Tipo tipo;
	int x, y, dz;
	long long ms;
};

Cola<Evento, CAPACIDAD> cola;
int z_visto = 0; // the wheel's position last seen, on the input thread

// The press being served, and the last click, on the program's thread.
bool pulsado = false;
int x_pulsado = 0;
bool hay_clic = false;
int x_clic = 0, y_clic = 0;
long long ms_clic = 0;
bool medir = false; // a double click in the menu asked for the line there to be measured

long long ahora_ms()
{
	using namespace std::chrono;
	return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void encola(Tipo t, int dz)
{
	cola.pon({t, mouse_x, mouse_y, dz, ahora_ms()});
}

// Allegro's mouse callback: mouse_x, mouse_y and mouse_z already hold the new state.
void registra_raton(int flags)
{
	if (flags & MOUSE_FLAG_MOVE_Z) {
		int z = mouse_z;
		encola(Tipo::rueda, z - z_visto);
		z_visto = z;
	}
	if (flags & MOUSE_FLAG_LEFT_DOWN)
		encola(Tipo::baja, 0);
	if (flags & MOUSE_FLAG_LEFT_UP)
		encola(Tipo::sube, 0);
}
END_OF_FUNCTION(registra_raton)

bool siguiente(Evento *e)
{
	return cola.toma(e);
}

bool en_grafica(int x, int y)
{
	return x >= X_GRAFICA && x < X_GRAFICA + wx && y >= Y_GRAFICA && y < Y_GRAFICA + wy;
}

// Whether an object of the open dialog stands at (x, y): the click is its own.
bool en_dialogo(const DIALOG *d, int x, int y)
{
	for (const DIALOG *o = d; o && o->proc; o++)
		if (x >= o->x && x < o->x + o->w && y >= o->y && y < o->y + o->h)
			return true;
	return false;
}

// The graph's column under x; a drag let go beyond an edge stops at that edge.
int columna(int x)
{
	return std::clamp(x - X_GRAFICA, 0, std::max(wx, 0));
}

// The dragged channels become the window, never narrower than Up leaves it.
void acerca_a(int a, int b)
{
	int ancho = std::min(ANCHO_MIN, nptL - 1);
	if (b - a < ancho) {
		a = std::clamp((a + b) / 2 - ancho / 2, 1, nptL - ancho);
		b = a + ancho;
	}
	ch_i = a;
	ch_f = b;
	if (ch_c < a || ch_c > b)
		ch_c = (a + b) / 2;
	pinta_L();
}

// A click: the cursor to the channel under it; the second of a double click
// in the menu also measures the line there.
void clic(const Evento &e, bool en_menu)
{
	bool doble = hay_clic && e.ms - ms_clic <= DOBLE_MS && std::abs(e.x - x_clic) <= DOBLE_PX &&
	             std::abs(e.y - y_clic) <= DOBLE_PX;
	hay_clic = !doble;
	x_clic = e.x;
	y_clic = e.y;
	ms_clic = e.ms;
	ch_c = canal_en_columna(columna(x_pulsado));
	pinta_L();
	medir = medir || (doble && en_menu);
}

void suelta(const Evento &e, bool en_menu)
{
	if (!pulsado)
		return;
	pulsado = false;
	if (std::abs(e.x - x_pulsado) < ARRASTRE_MIN) {
		clic(e, en_menu);
		return;
	}
	hay_clic = false;
	if (!en_menu)
		return;
	int a = canal_en_columna(columna(std::min(e.x, x_pulsado)));
	int b = canal_en_columna(columna(std::max(e.x, x_pulsado)));
	acerca_a(a, b);
}

// A wheel step is Up (away from the user) or Down with the cursor put under the pointer.
void rueda(const Evento &e)
{
	ch_c = canal_en_columna(columna(e.x));
	for (int i = 0; i < std::abs(e.dz); i++) {
		Teclas t{};
		(e.dz > 0 ? t.arriba : t.abajo) = true;
		navega(t);
	}
	pinta_L();
}

void sirve(const Evento &e, DIALOG *d, bool en_menu)
{
	bool sobre_grafica = en_grafica(e.x, e.y) && !en_dialogo(d, e.x, e.y);
	switch (e.tipo) {
	case Tipo::baja:
		pulsado = sobre_grafica;
		x_pulsado = e.x;
		break;
	case Tipo::sube:
		suelta(e, en_menu);
		break;
	case Tipo::rueda:
		if (sobre_grafica && en_menu && e.dz != 0)
			rueda(e);
		break;
	}
}

} // namespace

void engancha_raton()
{
	LOCK_VARIABLE(cola);
	LOCK_FUNCTION(registra_raton);
	z_visto = mouse_z;
	mouse_callback = registra_raton;
}

void olvida_raton()
{
	cola.vacia();
	pulsado = false;
	hay_clic = false;
}

bool vigila_raton(DIALOG *d, bool en_menu)
{
	medir = false;
	Evento e;
	while (siguiente(&e)) {
		if (Li == nullptr || nptL <= 0) {
			pulsado = false;
			continue;
		}
		sirve(e, d, en_menu);
	}
	return medir;
}

int canal_en_columna(int px)
{
	if (wx <= 0 || ch_f <= ch_i)
		return ch_i;
	double c = ch_i + static_cast<double>(px) * (ch_f - ch_i) / wx;
	return std::clamp(static_cast<int>(std::lround(c)), std::max(ch_i, 1), std::min(ch_f, nptL));
}
