// Keyboard navigation: the dialogs' idle hook polls which keys are down and
// zooms, scrolls, moves the cursor (to the next peak with Ctrl) and changes
// the vertical scale.
#pragma once

#include <allegro.h>

// The keys that navigation looks at; shift and control are either such key.
struct Teclas {
	bool tab, arriba, abajo, derecha, izquierda, shift, control;
};

// Applies the first navigation rule that the keys match to the view.  True
// when one applied (the view must be plotted, changed or not).
bool navega(const Teclas &t);

// The idle hook: reads Allegro's key-state array, navigates and plots.  The
// running dialog is ignored and the keys are left for it too.
void vigila_escala(DIALOG *d);

// Who holds the dialogs' idle hook.  The command menu gives it to navigation
// (wrapped in its own hook, which also answers the window's close button);
// each command takes it away while its own dialogs are open (a file name
// typed in the load dialog must not zoom the plot), and the calibration
// command hands it back for its dialogs, where the cursor must be placed.
// The menu hands it back after every command, whatever the command did.
void activa_navegacion(void (*gancho)(DIALOG *d) = vigila_escala);
void suspende_navegacion();
