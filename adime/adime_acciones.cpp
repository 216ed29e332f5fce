// What the buttons do (a %buttonrow callback, OK, Cancel, the file selector of
// a %filename) and the invisible object that maps shortcut keys to them.
// Start with boton_proc.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "adime_dialogo.h"
#include "adime_fondo.h"

namespace adime {

namespace {

// The file selector's size, shrunk on a smaller screen.
constexpr int ANCHO_SELECTOR = 480;
constexpr int ALTO_SELECTOR = 320;
// Allegro's selector wants room for 80 characters of the widest encoding.
constexpr size_t BYTES_MINIMOS_SELECTOR = 6 * 80 + 1;

bool es_pulsacion(int tecla)
{
	int scancode = tecla >> 8;
	return scancode == KEY_ENTER || scancode == KEY_ENTER_PAD || scancode == KEY_SPACE;
}

// The dialog's result for a callback's: its absolute value, which INT_MIN lacks.
int valor_absoluto(int r)
{
	return r == INT_MIN ? INT_MAX : std::abs(r);
}

int pulsa_fila(Accion &a, DIALOG *boton)
{
	// Without a callback a button closes the dialog with its own index.
	int r = a.llamada ? a.llamada(boton, a.indice) : a.indice;
	if (r == 0)
		return D_REDRAWME;
	a.contexto->resultado = valor_absoluto(r);
	return D_CLOSE;
}

std::string titulo_del_selector(const Contexto &c, const Campo &campo)
{
	if (!campo.titulo.empty())
		return campo.titulo;
	std::string etiqueta = campo.etiqueta;
	etiqueta.erase(0, etiqueta.find_first_not_of(" \n"));
	etiqueta.erase(etiqueta.find_last_not_of(" \n") + 1);
	return etiqueta.empty() ? c.titulo : etiqueta;
}

// Runs Allegro's file selector on a copy of the edit box's text; a chosen name
// replaces the text only if it fits the caller's buffer whole.
int examina(Accion &a)
{
	Contexto &c = *a.contexto;
	const Campo &campo = c.campos[a.campo];
	std::vector<char> &texto = c.textos[a.campo];
	std::vector<char> ruta(std::max(texto.size(), BYTES_MINIMOS_SELECTOR), '\0');
	ustrzcpy(ruta.data(), static_cast<int>(ruta.size()), texto.data());
	Rect pantalla = FondoGuardado::pantalla_entera();
	int elegido;
	{
		FondoGuardado fondo(pantalla);
		elegido = file_select_ex(titulo_del_selector(c, campo).c_str(), ruta.data(),
		                         campo.extension.empty() ? nullptr : campo.extension.c_str(),
		                         static_cast<int>(ruta.size()), std::min(ANCHO_SELECTOR, pantalla.w),
		                         std::min(ALTO_SELECTOR, pantalla.h));
	}
	if (elegido && ustrsizez(ruta.data()) <= campo.bytes) {
		DIALOG &edicion = c.objetos[c.objeto_de_campo[a.campo]];
		ustrzcpy(texto.data(), static_cast<int>(texto.size()), ruta.data());
		edicion.d2 = ustrlen(texto.data());
		object_message(&edicion, MSG_DRAW, 0);
	}
	return D_REDRAWME;
}

int ejecuta(Accion &a, DIALOG *boton)
{
	switch (a.tipo) {
	case TipoAccion::fila:
		return pulsa_fila(a, boton);
	case TipoAccion::ok:
		a.contexto->resultado = RESULTADO_OK;
		return D_CLOSE;
	case TipoAccion::cancelar:
		a.contexto->resultado = RESULTADO_CANCELAR;
		return D_CLOSE;
	case TipoAccion::examinar:
		return examina(a);
	}
	return D_O_K;
}

bool activo(const DIALOG &d)
{
	return !(d.flags & (D_HIDDEN | D_DISABLED));
}

} // namespace

// Allegro's button, whose closing press runs the button's action instead.  A
// focused button takes Enter and Space itself, before the shortcuts see them.
int boton_proc(int msg, DIALOG *d, int c)
{
	int usada = D_O_K;
	if (msg == MSG_CHAR) {
		if (!es_pulsacion(c))
			return D_O_K;
		msg = MSG_KEY;
		usada = D_USED_CHAR;
	}
	int r = d_button_proc(msg, d, c);
	if (r & D_CLOSE)
		r = (r & ~D_CLOSE) | ejecuta(*static_cast<Accion *>(d->dp3), d);
	return r | usada;
}

// Sees every key that the focused object left unused (Allegro's MSG_XCHAR) and
// presses the button whose shortcut it is.  Esc with no button of its own
// closes a message box with its own result, and is swallowed elsewhere:
// Allegro would otherwise close the dialog without a result.
int atajos_proc(int msg, DIALOG *d, int c)
{
	if (msg != MSG_XCHAR)
		return D_O_K;
	Contexto &ctx = *static_cast<Contexto *>(d->dp3);
	int caracter = c & 0xff, scancode = c >> 8;
	for (const auto &a : ctx.acciones) {
		DIALOG &boton = ctx.objetos[a.objeto];
		for (const auto &atajo : a.atajos)
			if (activo(boton) && coincide(atajo, caracter, scancode))
				return D_USED_CHAR | object_message(&boton, MSG_KEY, c);
	}
	if (scancode != KEY_ESC)
		return D_O_K;
	if (!ctx.esc_cierra)
		return D_USED_CHAR;
	ctx.resultado = RESULTADO_ESC;
	return D_USED_CHAR | D_CLOSE;
}

} // namespace adime
