// How the program ends when its session does: on SIGTERM, SIGHUP or SIGINT,
// and when the connection to the X server is lost, it ends at once, in any
// state, without Allegro's own shutdown (which talks to the X server, and
// waits for ever when the server is gone).  Start-up calls
// vigila_fin_de_sesion once the window is up.
#pragma once

// Takes over the three signals from Allegro's handlers and sets Xlib's
// handler for a lost connection.
void vigila_fin_de_sesion();
