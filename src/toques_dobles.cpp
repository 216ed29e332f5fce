// See toques_dobles.h.  The events are read off Xlib's queue and put back in
// the same order, so that Allegro's input handler reads them as they came.
#include "toques_dobles.h"

#include <atomic>
#include <vector>

#include <allegro.h>
// Allegro's X header, meant for programs: its display and its lock.
#include <xalleg.h>

#include <X11/XKBlib.h>

namespace {

std::atomic<bool> detectable{false};

// Whether a and then b are the release and press that Allegro would take
// for an auto-repeat.
bool par_de_repeticion(const XEvent &a, const XEvent &b)
{
	return a.type == KeyRelease && b.type == KeyPress && a.xkey.keycode == b.xkey.keycode &&
	       a.xkey.time == b.xkey.time && a.xkey.time > 0;
}

} // namespace

void activa_repeticion_detectable()
{
	XLOCK();
	Bool concedida = False;
	if (_xwin.display)
		XkbSetDetectableAutoRepeat(_xwin.display, True, &concedida);
	XUNLOCK();
	detectable = concedida == True;
}

void separa_toques_dobles()
{
	Display *d = _xwin.display;
	if (!detectable || !d)
		return;
	int n = XEventsQueued(d, QueuedAlready);
	if (n < 2)
		return;
	std::vector<XEvent> eventos(static_cast<size_t>(n));
	for (XEvent &e : eventos)
		XNextEvent(d, &e);
	for (size_t i = 0; i + 1 < eventos.size(); i++)
		if (par_de_repeticion(eventos[i], eventos[i + 1]))
			eventos[i].xkey.time--;
	for (size_t i = eventos.size(); i-- > 0;)
		XPutBackEvent(d, &eventos[i]);
}
