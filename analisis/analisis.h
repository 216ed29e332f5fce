// Analysis of a spectrum's samples, as the program sees it: finding its
// lines (the peak test and the search that Ctrl with an arrow runs).  Its
// contract: pure functions of the samples they are given, which they never
// change; no display, no program state, no file.  It builds as orq_analisis.
// Start at pico_siguiente (picos.cpp).
#pragma once

// A peak is a channel whose sample is the highest within RADIO_PICO channels
// on each side (the leftmost of equal highest ones) and stands above the local
// background b by at least SIGMAS_PICO * max(1, sqrt(b)): three standard
// deviations of counting noise, never less than three counts.  b is the
// median of the samples FONDO_DESDE to FONDO_HASTA channels away on both
// sides, past the flanks of the line itself.
constexpr int RADIO_PICO = 5;
constexpr int FONDO_DESDE = 21;
constexpr int FONDO_HASTA = 60;
constexpr double SIGMAS_PICO = 3;

// Whether channel c of Li[1..n] is a peak.  Samples beyond the ends (and NaN
// ones in the background) are left out; with no background sample at all
// there is no peak.
bool es_pico(const float *Li, int n, int c);

// The first peak after channel desde towards higher channels (sentido 1) or
// lower ones (-1), searching to the spectrum's end; 0 when there is none.
int pico_siguiente(const float *Li, int n, int desde, int sentido);
