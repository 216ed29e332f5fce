// How Allegro's threads are kept cheap while the window is idle.  Left as
// they are, they cost more than the program itself: the input thread wakes
// every millisecond and, every 10 ms, waits for the X server to answer a
// round trip (XSync) before it looks at its event queue; the timer thread
// wakes every 20 ms for the dialogs' double-click clock.
#include "reposo.h"

#include <allegro.h>
#include <sys/prctl.h>
// Allegro's X header, meant for programs: the input hook, the display, and
// the handler that Allegro runs when no hook is set.
#include <xalleg.h>

#include "toques_dobles.h"

namespace {

// Timer slack lets the kernel fire a sleeping thread's wake-up up to this
// late, together with other wake-ups due by then.  Threads inherit it when
// they are made, so it is set before Allegro makes each of its threads and
// taken back once they are all made: this thread's own pauses (the dialogs'
// short sleep, the plot's pace) stay exact.
//
// X events still reach the program within about 15 ms, well inside the
// shortest key tap.  Nothing in the program runs on Allegro's timers, which
// count the time that really passed however late they wake; only the
// dialogs' double click is timed by them.
constexpr unsigned long HOLGURA_ENTRADA_NS = 15000000;
constexpr unsigned long HOLGURA_RELOJ_NS = 100000000;
constexpr unsigned long HOLGURA_NORMAL = 0; // the kernel's default

// Allegro's own handler flushes the drawing requests and then waits for the
// server to answer before it reads its queue.  XPending flushes too but only
// reads what the server has already sent, so the round trip is paid only
// when there is an event to handle.  Allegro calls this with its X lock held.
void entrada_x()
{
	if (_xwin.display && XPending(_xwin.display) > 0) {
		separa_toques_dobles();
		_xwin_private_handle_input();
	}
}

} // namespace

void antes_de_allegro()
{
	prctl(PR_SET_TIMERSLACK, HOLGURA_ENTRADA_NS);
}

void antes_del_reloj()
{
	prctl(PR_SET_TIMERSLACK, HOLGURA_RELOJ_NS);
}

void ya_hay_ventana()
{
	prctl(PR_SET_TIMERSLACK, HOLGURA_NORMAL);
	_xwin_input_handler = entrada_x;
}
