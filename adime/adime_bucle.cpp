// The loop of a running dialog: Allegro's dialog player, the idle hook on every
// pass with no key waiting, a short sleep between passes in which nothing
// happened, and the screen and GUI settings put back when it closes.  Start
// with ejecuta_dialogo.
#include "adime_dialogo.h"
#include "adime_fondo.h"
#include "adime_objetos.h"

namespace adime {

namespace {

// An idle dialog sleeps this long between passes: short enough that a tapped
// key (held some tens of milliseconds) is still seen by the idle hook, long
// enough that an open window costs next to nothing.
constexpr int REPOSO_MS = 10;

// What the pointer was doing: a change is activity, like a key.
struct Raton {
	int x, y, z, b;
	bool operator==(const Raton &o) const { return x == o.x && y == o.y && z == o.z && b == o.b; }
};

Raton raton_ahora()
{
	return Raton{mouse_x, mouse_y, mouse_z, mouse_b};
}

// Whether a key is down: a held navigation key must keep its pace, so a pass
// after which the hook may step again does not sleep.
bool tecla_abajo()
{
	for (int k = 0; k < KEY_MAX; k++)
		if (key[k])
			return true;
	return false;
}

// Whether an object still waits to be drawn.
bool hay_sucios(const DIALOG *objetos)
{
	for (const DIALOG *o = objetos; o->proc; o++)
		if (o->flags & D_DIRTY)
			return true;
	return false;
}

// Allegro's GUI globals that a dialog sets, restored when it closes.  The text
// background is the program's own and must survive every dialog.
class AjustesGui {
public:
	explicit AjustesGui(const Colores &col)
	    : fg_(gui_fg_color), mg_(gui_mg_color), bg_(gui_bg_color), foco_raton_(gui_mouse_focus),
	      fondo_texto_(_textmode)
	{
		gui_fg_color = col.texto;
		gui_mg_color = col.medio;
		gui_bg_color = col.fondo;
		// The focus stays where the keyboard put it, wherever the pointer rests.
		gui_mouse_focus = FALSE;
	}
	~AjustesGui()
	{
		gui_fg_color = fg_;
		gui_mg_color = mg_;
		gui_bg_color = bg_;
		gui_mouse_focus = foco_raton_;
		_textmode = fondo_texto_;
	}
	AjustesGui(const AjustesGui &) = delete;
	AjustesGui &operator=(const AjustesGui &) = delete;

private:
	int fg_, mg_, bg_, foco_raton_, fondo_texto_;
};

// Tells the program's open hook that a dialog runs, for as long as it does.
class Abierto {
public:
	Abierto()
	{
		if (adime_open_callback)
			adime_open_callback(1);
	}
	~Abierto()
	{
		if (adime_open_callback)
			adime_open_callback(0);
	}
	Abierto(const Abierto &) = delete;
	Abierto &operator=(const Abierto &) = delete;
};

} // namespace

int ejecuta_dialogo(Contexto &c)
{
	Abierto abierto;
	FondoGuardado fondo(c.disposicion.ventana);
	AjustesGui ajustes(colores_de_dialogo());
	DIALOG *objetos = c.objetos.data();
	DIALOG_PLAYER *jugador = init_dialog(objetos, c.foco);
	Raton raton = raton_ahora();
	for (bool primera = true;; primera = false) {
		bool tecla = keypressed();
		if (!tecla && adime_callback)
			adime_callback(objetos);
		if (!update_dialog(jugador))
			break;
		if (primera && adime_shown_callback)
			adime_shown_callback(c.titulo.c_str());
		Raton ahora = raton_ahora();
		// Only a pass in which nothing happened sleeps: typing and pointing
		// keep their pace, and a held navigation key paces itself.
		bool activo = tecla || tecla_abajo() || !(ahora == raton) || hay_sucios(objetos);
		rest(activo ? 0 : REPOSO_MS);
		raton = ahora;
	}
	shutdown_dialog(jugador);
	return c.resultado;
}

} // namespace adime
