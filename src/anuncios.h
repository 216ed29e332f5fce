// Announcements for tests: with ORQUILO_ANUNCIOS in its environment the
// program says on standard output, one line each, when a dialog is up
// ("dialogo: " and its title), so a test need not guess from the screen.
// Without the variable it says nothing.
#pragma once

// Reads the environment once, at start-up; needs the dialog layer ready.
void activa_anuncios();
