// The hooks that serve the keys of the program's one table.  A press waits in
// the queue of pulsaciones.cpp until a pass serves it; a pass with none
// waiting reads the navigation keys held down, as navigation always did.
// Start at vigila_teclas.
#include "teclado.h"

#include "adime.h"
#include "gancho.h"
#include "linea_estado.h"
#include "navega.h"
#include "pinta.h"
#include "raton.h"

namespace {

// A key held this long repeats, at the plot's pace.  Shorter holds act once,
// by their press: a press and release that reach the program late (a busy
// machine, a remote desktop) never count twice.
constexpr int RETARDO_REPETICION_MS = 300;

const FilaTecla *tabla = nullptr;
size_t filas = 0;

bool interesa(int tecla)
{
	return fila_de_tecla(tecla, Ambito::navegacion) || fila_de_tecla(tecla, Ambito::menu);
}

bool sostenida(int tecla)
{
	return tecla_sostenida(tecla, RETARDO_REPETICION_MS);
}

// The navigation keys for which abajo(key) holds, with the modifiers given.
template <class Abajo> Teclas teclas_de(Abajo abajo, bool shift, bool control)
{
	Teclas t{};
	t.tab = abajo(KEY_TAB);
	t.arriba = abajo(KEY_UP);
	t.abajo = abajo(KEY_DOWN);
	t.derecha = abajo(KEY_RIGHT);
	t.izquierda = abajo(KEY_LEFT);
	t.shift = shift;
	t.control = control;
	return t;
}

// The navigation keys held down now, as the rules take them.
Teclas sostenidas()
{
	return teclas_de(sostenida, key[KEY_LSHIFT] || key[KEY_RSHIFT],
	                 key[KEY_LCONTROL] || key[KEY_RCONTROL]);
}

// A press as the rules take it: its key alone, with its modifiers.
Teclas de_pulsacion(const Pulsacion &p)
{
	return teclas_de([&p](int tecla) { return p.tecla == tecla; }, p.shift, p.control);
}

// A menu key's command, with navigation off.  The presses queued behind it
// wait, and are served in order once it is done.
void corre_orden(const FilaTecla &f, const Pulsacion &p)
{
	void (*gancho)(DIALOG *) = adime_callback;
	suspende_navegacion();
	if (p.tecla != TECLA_AVISO)
		borra_estado();
	f.accion(p);
	activa_navegacion(gancho);
}

} // namespace

void pon_teclas(const FilaTecla *t, size_t n)
{
	tabla = t;
	filas = n;
	pon_interes(interesa);
}

const FilaTecla *fila_de_tecla(int tecla, Ambito ambito)
{
	for (size_t i = 0; i < filas; i++)
		if (tabla[i].tecla == tecla && tabla[i].ambito == ambito)
			return &tabla[i];
	return nullptr;
}

const FilaTecla *fila_de_boton(int n)
{
	for (size_t i = 0; i < filas; i++)
		if (tabla[i].ambito == Ambito::boton && --n == 0)
			return &tabla[i];
	return nullptr;
}

int navega_y_pinta(const Pulsacion &p)
{
	if (navega(de_pulsacion(p)))
		pinta_L();
	return 0;
}

std::string ayuda_de_teclas(const FilaTecla *t, size_t n)
{
	std::string texto, linea;
	for (size_t i = 0; i < n; i++) {
		if (!t[i].ayuda)
			continue;
		linea += (linea.empty() ? "" : "  ") + std::string(t[i].ayuda);
		if (t[i].fin_de_linea) {
			texto += linea + "\n";
			linea.clear();
		}
	}
	return linea.empty() ? texto : texto + linea + "\n";
}

void vigila_teclas(bool en_menu)
{
	Pulsacion p;
	while (siguiente_pulsacion(&p)) {
		if (const FilaTecla *f = fila_de_tecla(p.tecla, Ambito::navegacion)) {
			f->accion(p);
			return;
		}
		const FilaTecla *f = fila_de_tecla(p.tecla, Ambito::menu);
		if (f && en_menu) {
			corre_orden(*f, p);
			return;
		}
	}
	if (navega(sostenidas()))
		pinta_L();
}

void orden_de_menu(int tecla)
{
	if (const FilaTecla *f = fila_de_tecla(tecla, Ambito::menu))
		corre_orden(*f, Pulsacion{tecla});
}

void vigila_escala(DIALOG *d)
{
	vigila_raton(d, false);
	vigila_teclas(false);
}
