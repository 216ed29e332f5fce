// Analysis of a spectrum's samples, as the program sees it: finding its
// lines (the peak test and the search that Ctrl with an arrow runs).  Its
// contract: pure functions of the samples they are given, which they never
// change; no display, no program state, no file.  It builds as orq_analisis.
// Start at pico_siguiente (picos.cpp).
#pragma once

#include <vector>

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

// A straight-line calibration as the program keeps it: the wavelength of
// channel c is (c + bl) * al; al == 0 is uncalibrated.
struct CalibracionLineal {
	double al = 0, bl = 0;
};

// Brings a background F[1..m] onto the n channels of a spectrum: slot c of
// the result (slot 0 unused) is the background at channel c.  When both are
// calibrated it goes by wavelength: a channel c covers the wavelengths from
// c - 1/2 to c + 1/2 under its own calibration, and each background channel's
// counts go to the spectrum channels its interval overlaps, in proportion to
// the overlap, so the total is kept.  Otherwise channel c goes to channel c.
// A channel that no background sample reaches (past the background's ends, or
// under its NaN samples) is NaN.  Linear in m + n.  May throw bad_alloc.
std::vector<float> proyecta_fondo(const float *F, int m, const CalibracionLineal &cal_fondo, int n,
                                  const CalibracionLineal &cal_espectro);
