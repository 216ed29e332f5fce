// A background spectrum under the loaded one: choosing it (key F), the scale
// factor from the counting times, its counts brought onto the spectrum's
// channels, and the net view (key R).  Start at comando_fondo and
// actualiza_fondo; the plot draws what this keeps in the state.
#pragma once

#include "analisis.h"

// The background dialog: a file (empty: no background) and the scale factor.
// A file that cannot be read gets the load's message and the old background
// stays.  Redraws the view.
void comando_fondo();

// Switches between the spectrum over its background and the net spectrum;
// nothing without a background.  Redraws the view.
void conmuta_neto();

// Brings the background onto the spectrum's channels again and remakes the
// net samples: after a load (nuevo_espectro: the factor is taken again from
// the live times unless the user typed one), a calibration or a mirroring.
// Out of memory the background is dropped, with a message.
void actualiza_fondo(bool nuevo_espectro);

// The samples on show (the net ones in the net view, else Li) and their top.
const float *muestras_vistas();
float maximo_visto();

// Measures the peak at channel c of what the view shows: in the net view the
// net counts, each channel weighted with the variance of the difference.
MedidaPico mide_visto(int c);

// The line shown under the spectrum's title: the background's title and its
// factor.  Into texto (n bytes); false without a background.
bool linea_de_fondo(char *texto, int n);

// The factor the counting times give: the spectrum's live time over the
// background's, or 1 when either is unknown.
float factor_de_tiempos(double vivo_espectro, double vivo_fondo);
