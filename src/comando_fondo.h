// The background's keys: F chooses a background spectrum and its scale
// factor, R switches the net view.  The background itself is the
// spectrum's (canales.h); the plot draws it.
#pragma once

// The background dialog: a file (empty: no background) and the scale factor.
// A file that cannot be read gets the load's message and the old background
// stays.  Redraws the view.
void comando_fondo();

// Switches between the spectrum over its background and the net spectrum;
// nothing without a background.  Redraws the view.
void comando_neto();
