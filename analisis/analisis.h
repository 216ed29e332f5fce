// Analysis of a spectrum's samples, as the program sees it: finding its
// lines (the peak test and the search that Ctrl with an arrow runs) and
// measuring one (its centroid, width and net area, by a Poisson fit).  Its
// contract: pure functions of the samples they are given, which they never
// change; no display, no program state, no file.  It builds as orq_analisis.
// Start at pico_siguiente (picos.cpp) and mide_pico (medida.cpp).
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

// Measuring one peak (medida.cpp): a Gaussian of net area A, centroid mu and
// width sigma, integrated over each channel (channel c spans c - 0.5 to
// c + 0.5), on a straight-line background, fitted by Poisson maximum
// likelihood: least squares weighted by the model's own variance, the weights
// refreshed from the fit until the parameters settle (the fixed point is the
// likelihood's maximum, so small areas carry no bias).  Uncertainties are one
// standard deviation, from the inverse of the Fisher information at the fit;
// chi2_gl is the Poisson deviance (twice the log-likelihood ratio to a
// model that hits every count, chi-squared distributed) per degree of freedom.
// NaN samples are left out.
//
// The peak at channel c: the top reached by climbing from c over the counts
// smoothed by a running mean of 2 * r + 1 channels, one channel at a time
// towards the higher neighbour until neither is higher.  r starts at
// SUAVIZADO, so a narrow line is found as it is, and doubles (up to
// SUAVIZADO_MAXIMO), each climb starting from the last top, until the top
// stands SIGMAS_CUMBRE standard deviations of the smoothed counting noise
// above the lower of the points where the smoothed counts stop falling on
// either side: a wide line (NaI) is climbed over its noise.  A top from which
// no peak can be fitted (below) is climbed on in the same way, the smoothing
// doubled, while it is not yet SUAVIZADO_MAXIMO.  The rule is this file's
// own: Ctrl with an arrow stops at the peaks of es_pico.
//
// The region: from the top's width at half height over that point, at that
// smoothing (or half that width, when no fit can be made with it), then from
// each fit, mu +- REGION_FWHM * FWHM rounded to whole channels (never under
// REGION_MINIMA channels each side), fitted again until it stays put.  A
// neighbouring peak (a local maximum of the smoothed counts standing
// SIGMAS_VECINO standard deviations above the fit, more than
// VECINO_FWHM * FWHM from mu) shortens that side to end VECINO_FWHM * FWHM
// short of it, never nearer mu than that.
//
// The fit fails (ajustado false) when the region reaches past either end of
// the spectrum, the solver does not converge, or the result is no peak:
// A below SIGNIFICANCIA standard deviations, mu outside the region, or sigma
// under SIGMA_MINIMA or above the region's width.  The region's gross and net
// counts are then what it gives: net is gross less a straight line through
// the means of the BORDE channels at each end of the region.
constexpr int SUAVIZADO = 2;
constexpr int SUAVIZADO_MAXIMO = 32;
constexpr double SIGMAS_CUMBRE = 5;
constexpr double REGION_FWHM = 3;
constexpr int REGION_MINIMA = 5;
constexpr double SIGMAS_VECINO = 4;
constexpr double VECINO_FWHM = 1.5;
constexpr double SIGNIFICANCIA = 3;
constexpr double SIGMA_MINIMA = 0.3;
constexpr int BORDE = 3;

// FWHM of a Gaussian per unit sigma: 2 sqrt(2 ln 2).
constexpr double FWHM_POR_SIGMA = 2.3548200450309493;

struct MedidaPico {
	bool ajustado = false;
	int cima = 0;                              // the top the climb reached
	int desde = 0, hasta = 0;                  // the region, channels inclusive (clipped to the spectrum)
	double area = 0, error_area = 0;           // net area, counts
	double centroide = 0, error_centroide = 0; // channels
	double sigma = 0, error_sigma = 0;         // channels
	double fondo = 0;                          // background counts summed over the region
	double chi2_gl = 0;                        // chi-squared per degree of freedom
	double bruto = 0, neto = 0; // counts summed over the region, and less the straight background
	// The fitted background line: fondo_a + fondo_b * c counts in channel c.
	double fondo_a = 0, fondo_b = 0;
};

// The top reached by climbing from channel c of Li[1..n] (c is clipped to the spectrum).
int cima_de(const float *Li, int n, int c);

// Measures the peak at channel c of Li[1..n], n >= 1.
MedidaPico mide_pico(const float *Li, int n, int c);

// The fitted counts in channel c, background and peak (for a fitted m).
double cuentas_ajustadas(const MedidaPico &m, double c);

// The channel a peak is found at: its centroid when fitted, else its top.
double posicion(const MedidaPico &m);
