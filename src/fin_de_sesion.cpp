// See fin_de_sesion.h.  Allegro's handler for SIGTERM (and SIGINT) runs
// allegro_exit, which draws and flushes to the X server.  When the server goes
// away at the same moment, as at the end of a desktop session, Xlib's default
// handler for the lost connection then calls exit, which runs allegro_exit
// again from the atexit list and waits for ever on the lock that the first
// call holds.  Here neither path goes through Allegro: the process simply
// ends.  A save under way is cut before its rename, so the old file stays as
// it was, and its half-written temporary is removed.
#include "fin_de_sesion.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <X11/Xlib.h>

#include "reemplazo.h"

namespace {

constexpr int SENALES[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int ESTADO_SIN_SERVIDOR = 1;
constexpr size_t TAM_AVISO = 256;
constexpr const char *AVISO_SIN_SERVIDOR = "orquilo: se ha perdido la conexión con el servidor X %s\n";

// Ends the process by the signal itself, so that whoever waits for it sees
// why.  Only async-signal-safe calls: the signal may land anywhere.
void termina_por_senal(int senal)
{
	borra_temporal_en_curso();
	struct sigaction por_defecto = {};
	por_defecto.sa_handler = SIG_DFL;
	sigaction(senal, &por_defecto, nullptr);
	raise(senal); // delivered as this handler returns: it is blocked until then
}

// Xlib calls this on whichever thread found the connection gone, perhaps with
// Allegro's X lock held.  It must not return (Xlib would call exit), and
// nothing can be drawn or asked any more.
int conexion_perdida(Display *pantalla)
{
	borra_temporal_en_curso();
	char aviso[TAM_AVISO];
	std::snprintf(aviso, sizeof aviso, AVISO_SIN_SERVIDOR, pantalla ? DisplayString(pantalla) : "");
	ssize_t escrito = write(STDERR_FILENO, aviso, std::strlen(aviso));
	(void)escrito; // if it cannot be said, there is nowhere else to say it
	_exit(ESTADO_SIN_SERVIDOR);
}

} // namespace

void vigila_fin_de_sesion()
{
	struct sigaction accion = {};
	accion.sa_handler = termina_por_senal;
	sigemptyset(&accion.sa_mask);
	for (int senal : SENALES)
		sigaddset(&accion.sa_mask, senal); // one ending at a time
	for (int senal : SENALES)
		sigaction(senal, &accion, nullptr);
	XSetIOErrorHandler(conexion_perdida);
}
