// The window's title bar.  Allegro's set_window_title hands X the title as
// plain ASCII (an em dash arrives as '^'), so the title is then set again in
// UTF-8, as window managers read it: _NET_WM_NAME, and WM_NAME in the X text
// type that holds it.
#include "titulo_ventana.h"

#include <allegro.h>
// Allegro's X header, meant for programs: its display, its window and its lock.
#include <xalleg.h>

#include <X11/Xutil.h>

namespace {

// Sets both names of window w; the caller holds Allegro's X lock.
void nombra_ventana(Display *d, Window w, const std::string &titulo)
{
	char *lista[] = {const_cast<char *>(titulo.c_str())};
	XTextProperty texto;
	if (Xutf8TextListToTextProperty(d, lista, 1, XStdICCTextStyle, &texto) == Success) {
		XSetWMName(d, w, &texto);
		XFree(texto.value);
	}
	XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
	                PropModeReplace, reinterpret_cast<const unsigned char *>(titulo.data()),
	                static_cast<int>(titulo.size()));
	XFlush(d);
}

} // namespace

void pon_titulo_ventana(const std::string &titulo)
{
	set_window_title(titulo.c_str()); // Allegro keeps its own copy
	XLOCK();
	if (_xwin.display && _xwin.wm_window != None)
		nombra_ventana(_xwin.display, _xwin.wm_window, titulo);
	XUNLOCK();
}
