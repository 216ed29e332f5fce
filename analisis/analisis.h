// Analysis of a spectrum's samples, as the program sees it: finding its
// lines (the line test and the search that Ctrl with an arrow runs),
// measuring one (its centroid, width and net area, by a Poisson fit) and the
// multiplet it belongs to, and the calibration line through measured lines
// of known wavelength.  Its contract: pure functions of the samples they are
// given, which they never change; no display, no program state, no file.  It
// builds as orq_analisis.  Start at pico_siguiente (picos.cpp), mide_pico
// and mide_multiplete (medida.cpp).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// A stop (a peak) is the top of a line that stands clear of counting noise.
// Lines are tried at each half-width h of ANCHOS_PICO, so that one from a
// channel or two wide to tens of channels wide fits one of them.  At channel
// c and half-width h:
// - P is the sum of the 2h + 1 channels about c (the peak window);
// - the background is the straight line through the means of two side
//   windows, the channels 2h + 2 to 4h + 2 away on either side, each mean
//   standing at its window's middle, and B its sum under the peak window.
//   Where a side window is cut by the spectrum's end to less than its half
//   (c within 3h + 2 of an end), or a window holds a sample that is not a
//   finite number, the width is not tried; nor where the peak window's mean
//   does not stand above both side windows' means (an edge, a shoulder),
//   save at the narrowest h: there, when it stands above one of them only
//   and a valley the counts resolve has its lowest point between c and the
//   farther end of the higher side window (that window holds another
//   line), the background is the lower side window's mean, flat, and
//   var B follows from that window alone;
// - the net counts N = P - B; their variance under Poisson statistics is
//   var N = P + var B, var B following from the side windows' sums.  In a
//   net view (a background subtracted, FondoRestado below) each window's
//   variance is its gross counts plus factor squared times its background
//   counts: the net counts plus factor + factor^2 times the background's.
// A valley that the counts resolve: with the counts smoothed by weights
// k + 1 - |j| at distance j, two peaks that both fall to the lowest point
// between them by SIGMAS_PICO standard deviations of the difference (each
// smoothed count's variance from its channels' counting variance), seen at
// k = 1, 2, 4 ... up to max(1, h / DIVISOR_VALLE) for a window of half-width h.
// The width that fits c is, of those whose next two narrower widths also net
// N > 0 and whose peak window spans no valley (none with its lowest point
// within h/2 of c, its tops looked for within 2h, nor with both tops in the
// window), the one with the largest N / sqrt(2h + 1).  Channel c passes
// when, at that width, N >= SIGMAS_PICO * sqrt(max(1, var N)).  A line is
// found at c when c passes and no channel within 2h of it (h the width that
// fits c) passes with a larger N / sqrt(2h + 1) (at equal, the lower channel)
// with no valley between them (its lowest point between the two, its tops
// looked for within h beyond them): a line across a valley from a stronger
// one is a line of its own.  Its stop is its top: of the channels within h
// of c, the one where the counts weighted 2h + 1 - |j| at distance j stand
// highest over that straight line (at equal, the lower); but when a valley
// lies between that top and c, or within h/2 of the top, the stop is where
// the climb from c over the counts smoothed at k = max(1, h / DIVISOR_VALLE)
// ends (no neighbour higher), no farther than 2h from c.  A top that sits
// in a dip of those smoothed counts (below one neighbour, above neither)
// whose climb ends SIGMAS_HONDONADA standard deviations of the difference
// higher is a stop at the climb's end: two lines too close to part give one
// stop on the higher, not between them.  Channels 1 to 4 and the last four
// are never stops.
constexpr int ANCHOS_PICO[] = {1, 2, 4, 8, 16, 32};
constexpr double SIGMAS_PICO = 5;
constexpr double SIGMAS_HONDONADA = 2;
constexpr int DIVISOR_VALLE = 4;

struct FondoRestado;

// The first stop after channel desde towards higher channels (sentido 1) or
// lower ones (-1), searching to the spectrum Li[1..n]'s end; 0 when there is
// none.  fondo: the background subtracted from Li, when Li is net counts.
int pico_siguiente(const float *Li, int n, int desde, int sentido, const FondoRestado *fondo = nullptr);

// The same stop when it lies no farther than channel hasta, else 0: the
// search reads only as far past hasta as a stop before it can need, so a
// search near a peak costs the same in 10^3 channels as in 10^9.
int pico_hasta(const float *Li, int n, int desde, int sentido, long long hasta,
               const FondoRestado *fondo = nullptr);

// A calibration: the wavelength of every channel, fractional ones included,
// in one of three forms.  al, bl always hold a straight line: the calibration
// itself (recta), or a curve's best straight line over its channels, which
// is what the own format's header and the two-point calibration know;
// al == 0 is uncalibrated.  Kept in double: a line fitted through many lines
// loses nothing to rounding.
// - recta: channel c at (c + bl) * al;
// - polinomio: at the sum of coef[k] * u^k, k = 0..grado, u = signo * c +
//   origen (the file's own channel, so that its coefficients stay as written,
//   and a turned spectrum keeps them);
// - tabla: (*x)[c - 1] at channel c, strictly monotonic, shared by every copy;
//   between samples the cubic through the four nearest (a cubic x exactly),
//   past the ends the straight line through the last two.
enum class FormaCalibracion { recta, polinomio, tabla };
constexpr int GRADO_MAXIMO = 5;

struct Calibracion {
	Calibracion() = default;
	Calibracion(double a, double b) : al(a), bl(b) {} // a straight line
	double al = 0, bl = 0;
	FormaCalibracion forma = FormaCalibracion::recta;
	int grado = 0;
	double coef[GRADO_MAXIMO + 1] = {};
	double signo = 1, origen = 0;
	std::shared_ptr<const std::vector<double>> x;
};

// The wavelength of channel c under cal.
double longitud_en(const Calibracion &cal, double canal);

// The local dispersion, wavelength per channel, at channel c (al for a line).
double dispersion_en(const Calibracion &cal, double canal);

// The channel whose wavelength is `longitud`: for a line longitud / al - bl;
// for a curve found between the channels that bracket it.
double canal_de(const Calibracion &cal, double longitud);

// A polynomial calibration from the file's terms coef[0..n-1] in its channel
// primero + c - 1, over `canales` channels, with its best line.  *giro: 0,
// or the first channel where it turns back (it is then no calibration), or
// -1 for terms that are not finite or too many.  Terms past the last
// non-zero one are left out; fewer than three make it a line.
Calibracion calibracion_polinomica(const double *coef, int n, double primero, int canales, int *giro);

// A table calibration over x.size() channels, with its best line; *giro as
// above (a repeated x is a turn too).
Calibracion calibracion_de_tabla(std::vector<double> x, int *giro);

// The first channel of 1..canales where cal turns back or stands still (a
// polynomial's dispersion too), 0 when it never does.
int giro_de(const Calibracion &cal, int canales);

// The curve of cal carried over to the spectrum turned end for end over n
// channels (channel c becomes n + 1 - c); al and bl are left to the caller.
void espeja_curva(Calibracion &cal, int n);

// Brings a background F[1..m] onto the n channels of a spectrum: slot c of
// the result (slot 0 unused) is the background at channel c.  When both are
// calibrated it goes by wavelength: a channel c covers the wavelengths from
// c - 1/2 to c + 1/2 under its own calibration, and each background channel's
// counts go to the spectrum channels its interval overlaps, in proportion to
// the overlap, so the total is kept.  Otherwise channel c goes to channel c.
// When the spectrum has been turned end for end since it was read (invertido)
// and the two do not go by wavelength, background channel c goes to channel
// n + 1 - c instead: it stays beside the sample it was read against.
// A channel that no background sample reaches (past the background's ends, or
// under its NaN samples) is NaN.  Linear in m + n.  May throw bad_alloc.
std::vector<float> proyecta_fondo(const float *F, int m, const Calibracion &cal_fondo, int n,
                                  const Calibracion &cal_espectro, bool invertido = false);

// The stop that a measurement at channel c means, the top of the line that c
// stands on: c itself if it is a stop, else the nearer of the nearest stops
// on either side (at equal distance, the lower); 0 when Li[1..n] has none.
// A c outside 1..n counts as the nearest end.
int pico_cercano(const float *Li, int n, int c, const FondoRestado *fondo = nullptr);

// The stop pico_cercano gives for c when it lies within radio of c, else 0,
// reading no farther than that needs.
int pico_cercano_en(const float *Li, int n, int c, long long radio, const FondoRestado *fondo = nullptr);

// Measuring one peak (medida.cpp): a Gaussian of net area A, centroid mu and
// width sigma, integrated over each channel (channel c spans c - 0.5 to
// c + 0.5), on a straight-line background, fitted by Poisson maximum
// likelihood: GSL's trust-region least squares on the deviance's signed
// square roots, so that it minimises the deviance itself and every step it
// takes lowers it (it cannot cycle, and small areas carry no bias).  Uncertainties are one
// standard deviation, from the inverse of the Fisher information at the fit;
// chi2_gl is the Poisson deviance (twice the log-likelihood ratio to a
// model that hits every count, chi-squared distributed) per degree of freedom.
// Samples that are not finite numbers (NaN, +-inf) are left out.
//
// The peak at channel c is the stop that c stands on or next to, when there
// is one: the stop pico_cercano gives for c, if it lies within CERCA_MAXIMA
// channels of c and within max(CERCA_MINIMA, FWHM) of c, the FWHM that of the
// measure from that stop (none when it fits nothing).  The measure from a
// stop keeps the stop as its top; the climb below gives it only widths.  So
// P after Ctrl and an arrow measures the line the cursor stopped on.
// Otherwise the peak is the top reached by climbing from c over the counts
// smoothed by a running mean of 2 * r + 1 channels, one channel at a time
// towards the higher neighbour until neither is higher.  r starts at
// SUAVIZADO, so a narrow line is found as it is, and doubles (up to
// SUAVIZADO_MAXIMO), each climb starting from the last top, until the top
// stands SIGMAS_CUMBRE standard deviations of the smoothed counting noise
// above the lower of the points where the smoothed counts stop falling on
// either side: a wide line (NaI) is climbed over its noise.  A top from which
// no peak can be fitted (below) is climbed on in the same way, the smoothing
// doubled, while it is not yet SUAVIZADO_MAXIMO.
//
// The region: from the top's width at half height over that point, at that
// smoothing (or half that width, when no fit can be made with it), then from
// each fit, mu +- REGION_FWHM * FWHM rounded to whole channels (never under
// REGION_MINIMA channels each side), fitted again until it stays put.  A
// neighbouring peak (a local maximum of the smoothed counts standing
// SIGMAS_VECINO standard deviations above the fit, more than
// VECINO_FWHM * FWHM from mu) shortens that side to end VECINO_FWHM * FWHM
// short of it, never nearer mu than that.  So does, on each side, the
// nearest stop other than the line's own (the stop measured; without one,
// the stops within VECINO_FWHM * FWHM of mu), but never nearer the line (the
// stop, or mu) than half-way to it: a measure from a stop fits that stop's
// line, not its neighbour's, or nothing.
//
// A region that reaches past an end of the spectrum is fitted on the
// channels there are, and says so (cortada); its fit is no peak when its
// deviance's p-value is under 10^-6 (the rise of counts from a detector's
// threshold, which no line matches).  The fit fails (ajustado false)
// when the solver does not converge, or the result is no peak:
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
constexpr int CERCA_MINIMA = 2;
// As wide as the widest line the line test fits.
constexpr int CERCA_MAXIMA = 2 * ANCHOS_PICO[sizeof ANCHOS_PICO / sizeof ANCHOS_PICO[0] - 1];

// FWHM of a Gaussian per unit sigma: 2 sqrt(2 ln 2).
constexpr double FWHM_POR_SIGMA = 2.3548200450309493;

struct MedidaPico {
	bool ajustado = false;
	int cima = 0;                              // the top: the stop measured, or the climb's
	int desde = 0, hasta = 0;                  // the region, channels inclusive (clipped to the spectrum)
	bool cortada = false;                      // whether the spectrum's end cut the region
	double area = 0, error_area = 0;           // net area, counts
	double centroide = 0, error_centroide = 0; // channels
	double sigma = 0, error_sigma = 0;         // channels
	double fondo = 0;                          // background counts summed over the region
	double chi2_gl = 0;                        // chi-squared per degree of freedom
	double bruto = 0, neto = 0; // counts summed over the region, and less the straight background
	// The fitted background line: fondo_a + fondo_b * c counts in channel c.
	double fondo_a = 0, fondo_b = 0;
	// Left to the caller: a tag shared by the lines measured together as one
	// multiplet (0: a line measured alone).
	int grupo = 0;
};

// The background subtracted from a net spectrum: its samples are a
// spectrum's counts less factor times cuentas[1..n], the background's counts
// in each channel (NaN where it has none, and nothing is subtracted there).
// A net channel's counts vary by the difference's variance: the spectrum's
// expected counts (the net model plus factor times the background's counts)
// plus factor squared times the background's counts, the background's
// counts in a channel taken as the mean of its VECINOS_FONDO channels either
// side, itself left out (weights that fell as its own counts rose would bias
// the area, by nearly 1% with a factor of 2; these, independent of the
// channel's own counts, do not).  The fit weighs each channel by one over
// that variance, the net model's part refreshed from the fit as the Poisson
// weights are; the errors come from the same weights, and chi2_gl is
// Pearson's: the squared residuals over that variance, per degree of
// freedom.  The climb's and the neighbour rule's noise add the same two
// background terms, averaged over the smoothing window.  A channel where
// cuentas is NaN weighs as a spectrum's.  The stops are Li's own, the net
// counts', as Ctrl and an arrow search them in a net view.
constexpr int VECINOS_FONDO = 4;

struct FondoRestado {
	const float *cuentas;
	double factor;
};

// Measures the peak at channel c of Li[1..n], n >= 1; of the net spectrum
// Li when fondo is the background subtracted from it.
MedidaPico mide_pico(const float *Li, int n, int c, const FondoRestado *fondo = nullptr);

// The fitted counts in channel c, background and peak (for a fitted m).
double cuentas_ajustadas(const MedidaPico &m, double c);

// The channel a peak is found at: its centroid when fitted, else its top.
double posicion(const MedidaPico &m);

// A peak's FWHM in channels; 0 when it was not fitted.
double fwhm_de(const MedidaPico &m);

// Measuring the multiplet the cursor is in (medida.cpp).  The line at the
// cursor is mide_pico's.  Its group: every stop whose reach (GRUPO_FWHM
// FWHM either side) overlaps that of a line already in it, starting from
// that line and chained, a stop within MISMA_LINEA_FWHM FWHM of a line being
// that line's.  When the stop nearest the cursor chains to others and the
// cursor lies within their span (a FWHM beyond it at most), the group is
// chained from that stop whichever line the cursor is on, and again from
// each of its stops with that stop's own width: of the groups that differ,
// the fit with the higher p-value is kept.  The region: from GRUPO_FWHM FWHM below the group's first
// line to as far above its last (never under REGION_MINIMA channels), each
// side ending VECINO_FWHM FWHM short of the nearest stop outside the group
// (inside that span or up to VECINO_FWHM FWHM beyond it), the FWHM and
// lines those of the last fit, fitted again until it stays put.  The lines
// share one sigma on one straight-line background, fitted as mide_pico
// fits one line (Poisson likelihood; for net counts, the difference's
// variance).  Then, by likelihood-ratio tests on the region's fit:
// - the background takes a quadratic term when, over the region widened
//   AMPLIADA times (cut by the stops beyond as the region is), it lowers
//   the deviance by UMBRAL_CUADRATICO at least (chi-squared with one degree
//   of freedom at 99%): within the region alone a curvature that biases the
//   area by several percent is hardly seen;
// - a lone line whose region a neighbouring peak with no stop cut short:
//   that peak, tried as a line over the region the group would have, when
//   the test for one more line (below) takes it;
// - a low-side tail shared by the lines (its share of each line's area, and
//   its slope in sigmas, held within 0.05 to 4) and a step under each line
//   (a share of its peak height), each tried when its score statistic
//   reaches half its threshold (the tail's at a slope of 0.75, 1.5 or 3) and
//   taken when it lowers the deviance by UMBRAL_COLA (two degrees of
//   freedom at 99%) or UMBRAL_CUADRATICO (one): of the two, the one that
//   fits better; both when each lowers the deviance so much from the other;
//   neither before the line test when one more line fits better still (the
//   test is made again after the lines);
// - one more line, where the residuals weighted by a line of the fit's
//   sigma stand highest, joins the group when it lowers the deviance by
//   UMBRAL_LINEA at least, below the fit with a step, and with a tail
//   when it lies below a line, by as much, its area is SIGNIFICANCIA
//   standard deviations, no two lines' areas correlate under -0.95 (one
//   line parted in two) and the fit holds (every line in the region, sigma
//   as mide_pico allows); again, up to MAX_LINEAS lines.  The line is tried where the residuals
//   call for one, and as the line nearest there parted in two; the better
//   fit counts.  UMBRAL_LINEA is the chi-squared with two degrees of
//   freedom at 0.1%; on lone lines (sigma 2, areas 100 to 10^5 on 5 and 50
//   counts a channel) it adds a line to 5 spectra in 4000.
// Then, while any line stands under SIGNIFICANCIA standard deviations, the
// one that stands least clear is dropped and the group fitted again.
// Uncertainties and the covariances between lines come from the fit's
// covariance (the Fisher information's inverse).  A lone line (a group of
// one, no line added, no quadratic term, tail or step) is mide_pico's
// measure as it is; the second-order bias is taken off the others' areas,
// centroids and sigma when they have no tail or step.  The fit is poor (pobre) when the
// deviance's p-value, chi-squared with the fit's degrees of freedom, is
// under P_POBRE.  When the group's fit fails, the measure is mide_pico's;
// when mide_pico fits no line at the cursor, the weak line's fit there
// (debil, below) when one holds.
constexpr int MAX_LINEAS = 8;
constexpr double GRUPO_FWHM = 3;
constexpr double MISMA_LINEA_FWHM = 0.5;
constexpr double UMBRAL_CUADRATICO = 6.634896601021214;
constexpr double UMBRAL_LINEA = 13.815510557964274;
constexpr double UMBRAL_COLA = 9.210340371976184;
constexpr double AMPLIADA = 2;
constexpr double P_POBRE = 0.001;
constexpr double LIMITE_SIGMAS = 1.6448536269514722; // one-sided 95%

struct MedidaMultiplete {
	bool ajustado = false;
	// The lines in channel order: each a MedidaPico with its own area and
	// centroid, the group's sigma, region, background counts, gross and
	// net counts and chi2_gl, and fondo_a, fondo_b the straight part of the
	// group's background; cima is the line's stop, or its rounded centroid
	// for a line that no stop gave.
	std::vector<MedidaPico> lineas;
	int cercana = 0;                   // the index of the line nearest the cursor
	int desde = 0, hasta = 0;          // the region
	bool cortada = false;              // whether the spectrum's end cut it
	double sigma = 0, error_sigma = 0; // shared by the lines
	// The background: fondo_a + fondo_b * c + fondo_c * (c - origen)^2 counts in channel c.
	double fondo_a = 0, fondo_b = 0, fondo_c = 0, origen = 0;
	bool cuadratico = false; // whether fondo_c was fitted
	// The lines' low-side tail, when fitted (cola): the share of each line's
	// area in it and its slope, the exponential's scale in sigmas.
	bool cola = false;
	double fraccion_cola = 0, error_fraccion_cola = 0, pendiente_cola = 0, error_pendiente_cola = 0;
	// The step under each line, when fitted: its height, a share of the line's peak height.
	bool escalon = false;
	double altura_escalon = 0, error_altura_escalon = 0;
	double chi2_gl = 0, p_valor = 1;
	int grados_libertad = 0;
	bool pobre = false; // p_valor under P_POBRE
	// When no line at the cursor stands SIGNIFICANCIA standard deviations
	// clear, the weak line's fit there (its line within a FWHM, or four
	// channels, of the cursor) with its area as it comes, and the area's
	// upper limit: the area (0 when negative) plus LIMITE_SIGMAS errors.
	bool debil = false;
	double limite_area = 0;
	// Covariances between the lines' areas and between their centroids,
	// lineas.size() squared, row after row.
	std::vector<double> covarianza_areas, covarianza_centroides;
};

MedidaMultiplete mide_multiplete(const float *Li, int n, int c, const FondoRestado *fondo = nullptr);

// The fitted counts in channel c: all lines on the background, or line i alone on it.
double cuentas_ajustadas(const MedidaMultiplete &m, double c);
double cuentas_de_linea(const MedidaMultiplete &m, int i, double c);

// Calibrating from many lines (calibracion.cpp): the ordinary least-squares
// line of wavelength on channel through points (a line's centroid, its known
// wavelength).  It is fitted in double, on the channels less their mean, by
// GSL's gsl_fit_linear, so that large channel numbers cost no precision; it
// passes through the points' mean, and through both points when there are
// two.  No line (fallo) from fewer than two points, when two points stand on
// the same channel, or when the slope comes out 0 (or not finite).
struct PuntoCalibracion {
	double canal = 0, longitud = 0;
};
enum class FalloRecta { ninguno, pocos_puntos, mismo_canal, sin_pendiente };
struct AjusteCalibracion {
	FalloRecta fallo = FalloRecta::pocos_puntos;
	Calibracion cal; // the line, when there is one
};

AjusteCalibracion recta_calibracion(const PuntoCalibracion *p, size_t n);

// The least-squares line v = a + b·x through the n points (x[i], v[i]), or,
// with x null, through x = 0, 1, … n − 1 (a table's rows), which then need
// no array of their own: every straight line the program fits, readers'
// included.  False when the x do not span a line (fewer than two distinct)
// or it is not finite.
bool recta_minimos_cuadrados(const double *x, const double *v, size_t n, double *a, double *b);

// The residual of a point, its known wavelength less the calibration's there.
double residuo(const Calibracion &cal, const PuntoCalibracion &p);

// The root mean square of the n points' residuals (divided by n); 0 for none.
double rms_residuos(const Calibracion &cal, const PuntoCalibracion *p, size_t n);

// A measure carried over to the spectrum Li[1..n] turned end for end (channel
// c becomes n + 1 - c), as the plot turns one whose calibration falls.
MedidaPico reflejada(const MedidaPico &m, int n);
