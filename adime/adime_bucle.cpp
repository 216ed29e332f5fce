// The loop of a running dialog: Allegro's dialog player, the idle hook on every
// pass with no key waiting, one yield of the processor between passes, and the
// screen and GUI settings put back when it closes.  Start with ejecuta_dialogo.
#include "adime_dialogo.h"
#include "adime_fondo.h"
#include "adime_objetos.h"

namespace adime {

namespace {

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

} // namespace

int ejecuta_dialogo(Contexto &c)
{
	FondoGuardado fondo(c.disposicion.ventana);
	AjustesGui ajustes(colores_de_dialogo());
	DIALOG *objetos = c.objetos.data();
	DIALOG_PLAYER *jugador = init_dialog(objetos, c.foco);
	for (;;) {
		if (!keypressed() && adime_callback)
			adime_callback(objetos);
		if (!update_dialog(jugador))
			break;
		rest(0);
	}
	shutdown_dialog(jugador);
	return c.resultado;
}

} // namespace adime
