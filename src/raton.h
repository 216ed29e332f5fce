// The mouse on the plot, a shortcut beside the keys: a click puts the cursor
// on the channel under the pointer, the wheel zooms as Up and Down do around
// it, a drag zooms to the channels it crossed, a double click measures the
// line there (P).  Only on the graph area, only while the menu waits, but
// for the click, which also places the cursor in a calibration dialog.
// Allegro's mouse callback catches every press, release and wheel step where
// and when it happened; the idle hook serves them.
#pragma once

#include <allegro.h>

// Starts catching the mouse's events; once, after install_mouse.
void engancha_raton();

// Drops every event not yet served: those made while a command ran (a load,
// a dialog of its own) were meant for it or for the picture it replaced.
void olvida_raton();

// Serves the events waiting, with d the open dialog (whose own objects keep
// their clicks); en_menu: the command menu, where everything acts.  True when
// a double click asks for the line under it to be measured, which the caller
// runs as the key P (the cursor is already there).
bool vigila_raton(DIALOG *d, bool en_menu);

// The channel under the graph area's pixel column px in the current window:
// the one whose column lies nearest.
int canal_en_columna(int px);
