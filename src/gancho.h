// Who holds the dialogs' idle hook.  The command menu gives it to navigation
// (wrapped in its own hook, which also answers the menu's keys and the
// window's close button); each command takes it away while its own dialogs
// are open (a file name typed in the load dialog must not zoom the plot), and
// the calibration command hands it back for its dialogs, where the cursor
// must be placed.  The menu hands it back after every command, whatever the
// command did.  Presses not yet served stay queued either way: they are
// served in order once a hook serves navigation again (pulsaciones.h says
// which presses a dialog takes instead).
#pragma once

#include <allegro.h>

void activa_navegacion(void (*gancho)(DIALOG *d));
void suspende_navegacion();

// A dialog's own idle hook, which serves no navigation (the import view's
// preview): its dialog keeps the keyboard as one with no hook does.  Gives
// back the hook it replaced, for devuelve_gancho once the dialog closed.
void (*pon_gancho_propio(void (*gancho)(DIALOG *d)))(DIALOG *d);
void devuelve_gancho(void (*gancho)(DIALOG *d));

// Whether a dialog opened with this idle hook leaves navigation its keys.
bool sirve_navegacion(void (*gancho)(DIALOG *d));
