// The queue of key presses, filled by Allegro's low-level keyboard callback on
// its input thread and emptied by the idle hook on the program's: one
// producer, one consumer, so two atomic counters suffice.  Start at
// registra_evento, then dialogo_abierto.
#include "pulsaciones.h"

#include <allegro.h>

#include <atomic>
#include <chrono>
#include <utility>
#include <vector>

#include "adime.h"
#include "cola.h"
#include "gancho.h"

namespace {

constexpr int SOLTADA = 0x80; // bit 7 of a scancode: the key went up
constexpr int CODIGO = 0x7F;
constexpr unsigned CAPACIDAD = 256; // presses waiting; more are dropped

Cola<Pulsacion, CAPACIDAD> cola;
std::atomic<bool> abajo[CODIGO + 1];
std::atomic<long long> bajada_ms[CODIGO + 1]; // when each key last went down

long long ahora_ms()
{
	using namespace std::chrono;
	return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
bool (*interes)(int) = nullptr;

// Whether a dialog that serves no navigation has the keyboard: what is typed
// then is its own.  Set on the program's thread, read on the input thread.
std::atomic<bool> al_dialogo{false};
std::vector<bool> antes_del_dialogo; // al_dialogo under each dialog open, innermost last

bool es_de_la_cola(int tecla)
{
	return interes && interes(tecla);
}

bool modificador_abajo(int a, int b)
{
	return abajo[a].load() || abajo[b].load();
}

void encola(int tecla)
{
	cola.pon({tecla, modificador_abajo(KEY_LSHIFT, KEY_RSHIFT),
	          modificador_abajo(KEY_LCONTROL, KEY_RCONTROL)});
}

// Keys of the queue typed before a dialog opened wait there for after it, so
// Allegro's buffer, from which the dialog reads, gives them up; whatever else
// was typed ahead stays there for the dialog, in its order.
void deja_al_dialogo_lo_suyo()
{
	if (!keyboard_driver)
		return;
	std::vector<std::pair<int, int>> suyas;
	while (keypressed()) {
		int scancode = 0;
		int caracter = ureadkey(&scancode);
		if (!es_de_la_cola(scancode))
			suyas.emplace_back(caracter, scancode);
	}
	for (const auto &[caracter, scancode] : suyas)
		simulate_ukeypress(caracter, scancode);
}

} // namespace

void engancha_pulsaciones()
{
	keyboard_lowlevel_callback = registra_evento;
	adime_open_callback = dialogo_abierto;
}

void dialogo_abierto(int abierto)
{
	if (!abierto) {
		al_dialogo = !antes_del_dialogo.empty() && antes_del_dialogo.back();
		if (!antes_del_dialogo.empty())
			antes_del_dialogo.pop_back();
		return;
	}
	antes_del_dialogo.push_back(al_dialogo.load());
	bool suyo = !sirve_navegacion(adime_callback);
	al_dialogo = suyo;
	if (suyo)
		deja_al_dialogo_lo_suyo();
}

void pon_interes(bool (*interesa)(int tecla))
{
	interes = interesa;
}

void registra_evento(int scancode)
{
	int tecla = scancode & CODIGO;
	if (scancode & SOLTADA) {
		abajo[tecla] = false;
		return;
	}
	// Queued before it shows as down: a hook that sees the key held finds
	// its press waiting, and never serves the press twice.
	if (abajo[tecla].load())
		return;
	bajada_ms[tecla] = ahora_ms();
	if (es_de_la_cola(tecla) && !al_dialogo.load())
		encola(tecla);
	abajo[tecla] = true;
}

bool siguiente_pulsacion(Pulsacion *p)
{
	return cola.toma(p);
}

bool tecla_sostenida(int tecla, int ms)
{
	int t = tecla & CODIGO;
	return abajo[t].load() && key[t] && ahora_ms() - bajada_ms[t].load() >= ms;
}
