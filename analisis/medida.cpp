// Measuring one peak and the multiplet it belongs to: the stop under the
// cursor or the climb to a top, the region around it (kept clear of the
// other stops), the Poisson fit of lines sharing one sigma (and a low-side
// tail and a step) on a straight (or quadratic) background (GSL's nonlinear
// least squares on the deviance's residuals; for net counts, the
// quasi-likelihood of the difference's variance), the likelihood-ratio
// tests that add a quadratic term, a tail, a step or a line, the lines that
// stand too little dropped, the second-order bias taken off a multiplet's
// fit, and the summed counts when no fit can be made.  Start at mide_pico
// and mide_multiplete.
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_sf_erf.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <vector>

#include "analisis.h"

namespace {

enum Parametro { P_AREA, P_MU, P_SIGMA, P_A, P_B, N_PARAM };

// What is fitted: `lineas` lines sharing one sigma on a straight line,
// with a quadratic term when cuadratico, a low-side tail shared by the lines
// when cola (its fraction of each line's area and its slope in sigmas) and
// a step under each line when escalon (its height a fraction of the line's
// peak height).  The first line's area and mu, the sigma and the line come
// first (the one-line fit's parameters), then each further line's area and
// mu, then the quadratic term, the tail's two and the step's.
struct Forma {
	int lineas = 1;
	bool cuadratico = false, cola = false, escalon = false;
	int extras() const { return (cuadratico ? 1 : 0) + (cola ? 2 : 0) + (escalon ? 1 : 0); }
	int parametros() const { return N_PARAM + 2 * (lineas - 1) + extras(); }
	int area(int k) const { return k == 0 ? P_AREA : N_PARAM + 2 * (k - 1); }
	int mu(int k) const { return area(k) + (k == 0 ? P_MU - P_AREA : 1); }
	int cuadrado() const { return N_PARAM + 2 * (lineas - 1); }
	int fraccion_cola() const { return cuadrado() + (cuadratico ? 1 : 0); }
	int pendiente_cola() const { return fraccion_cola() + 1; }
	int escalon_() const { return fraccion_cola() + (cola ? 2 : 0); }
	bool simple() const { return !cola && !escalon; }
};
constexpr int MAX_PARAMETROS = N_PARAM + 2 * (MAX_LINEAS - 1) + 4;

constexpr int MAX_ITERACIONES = 200;      // of the solver, for one set of weights
constexpr int MAX_REGIONES = 5;           // refits over a region that moved
constexpr int MAX_DESCENSO = 5000;        // channels walked down a flank for the first width
constexpr double SERIE_DESVIACION = 1e-3; // m within this share of y: the deviance by its series
constexpr double RESIDUO_NULO = 1e-8;     // a residual this share of sqrt m counts as none
constexpr double TOLERANCIA_X = 1e-8;
constexpr double TOLERANCIA_G = 1e-10;
constexpr double VARIANZA_MINIMA = 1e-3; // the model's variance floor, for an empty channel
constexpr double SIGMA_INICIAL_MINIMA = 0.5;
constexpr double PARTIDA = 0.75;          // half the distance of a line parted in two, in sigmas of the line
constexpr double CONOCIDAS_FWHM = 16;     // the stops a multiplet walks for at once, FWHM either side
constexpr double COLA_INICIAL = 0.05;     // a tail's first fraction of its line
constexpr double PENDIENTE_INICIAL = 1.5; // and its first slope, in sigmas
constexpr double COLA_MAXIMA = 0.5;       // a tail holds less of its line than this
constexpr double PENDIENTE_MAXIMA = 4;    // in sigmas: a slower one is a step or background

constexpr double ANCHOS_DEBIL[] = {8, 16};   // channels: a weak line's last starting widths
constexpr double MAS_CERCA_DEBIL = 1;        // a weak line's fit lies this many FWHM from the cursor at most
constexpr double P_CORTADA = 1e-6;           // a cut region's fit that holds worse than this is no line
constexpr double CORRELACION_PARTIDA = 0.95; // two lines' areas this anticorrelated are one line
constexpr double PUNTAJE_MINIMO = 0.5;       // of a ratio's threshold: the score that asks for a fit
constexpr double PENDIENTES_PRUEBA[] = {0.75, 1.5, 3}; // the slopes, in sigmas, a tail's score is taken at

const double RAIZ_2PI = std::sqrt(2 * M_PI);
constexpr double PENDIENTE_MINIMA = 0.05; // the tail's scale, in sigmas, is never narrower

struct Region {
	long long desde, hasta;
	bool cortada = false; // cut by the spectrum's end
	bool operator==(const Region &o) const { return desde == o.desde && hasta == o.hasta; }
};

// The region r within the spectrum's n channels: a line near an end is
// fitted on the channels there are.
Region recortada(const Region &r, long long n)
{
	Region c{std::max(1LL, r.desde), std::min(n, r.hasta)};
	c.cortada = r.cortada || c.desde != r.desde || c.hasta != r.hasta;
	return c;
}

// The channels of a region that hold a number, with the region's middle;
// for a net spectrum, in each the subtracted background (factor times its
// counts) and that background's variance (factor squared times them).
// The lines' values at the edges of the data's channels (channel i spans
// x - 0.5 to x + 0.5): erf of the edge less mu over sigma * sqrt 2 and, for
// the Jacobian, the edge in sigmas from mu and the normal density there; the
// tail's and the step's primitives there when the shape has them;
// [line * channels + i], low edge and high.  A channel next to the one
// before shares its low edge with that one's high, computed once.  `clave`:
// the sigma, tail slope and mus they hold, so that a Jacobian at the point
// the residuals were just taken at computes no erf anew.
struct Borde {
	std::vector<double> erf, z, densidad, cola, escalon;
};

struct Bordes {
	std::vector<double> clave;
	Borde bajo, alto;
	bool con_densidad = false;
};

struct Datos {
	std::vector<double> x, y, restado, varianza_restado;
	double medio = 0;
	Forma forma;
	mutable Bordes bordes; // a cache of what the fit last computed
	// The variance of channel i when esperado counts (net) are expected there.
	double varianza(size_t i, double esperado, double minima) const;
};

double Datos::varianza(size_t i, double esperado, double minima) const
{
	if (restado.empty())
		return std::max(esperado, minima);
	return std::max(esperado + restado[i], minima) + varianza_restado[i];
}

// A fit: its parameters and their errors and covariance, its mus measured
// from channel 0, its line's value at channel 0 and slope, its quadratic
// term about the channel `origen`; the deviance and its degrees of freedom.
struct Ajuste {
	bool bien = false;
	Forma forma;
	double origen = 0;
	double p[MAX_PARAMETROS] = {};
	double error[MAX_PARAMETROS] = {};
	double cov[MAX_PARAMETROS][MAX_PARAMETROS] = {};
	double chi2_gl = 0, desviacion = 0;
	int gl = 0;
};

// The counts smoothed by a running mean of 2 * radio + 1 channels, and the
// background subtracted from them (none: null).
// The stops of a stretch of the spectrum, desde to hasta, found in one walk
// for the many searches a multiplet makes about it.
struct Paradas {
	long long desde = 0, hasta = -1;
	std::vector<long long> lista;
};

struct Suave {
	const float *Li;
	int n, radio;
	const FondoRestado *fondo;
	const Paradas *paradas = nullptr; // the stops already known, if any
	double en(long long c) const;
	double ruido(long long c, double valor) const;
	long long siguiente(long long desde, int paso, long long hasta) const;
};

// The mean of the samples within radio of c that are finite numbers; NaN when none does.
double Suave::en(long long c) const
{
	double suma = 0;
	int validas = 0;
	for (long long j = std::max(1LL, c - radio); j <= std::min<long long>(n, c + radio); j++)
		if (std::isfinite(Li[j])) {
			suma += Li[j];
			validas++;
		}
	return validas > 0 ? suma / validas : NAN;
}

// The counting noise of the smoothed counts at c, valor (net) counts expected in each channel.
double Suave::ruido(long long c, double valor) const
{
	double restado = 0, varianza_restado = 0;
	if (fondo) {
		long long desde = std::max(1LL, c - radio), hasta = std::min<long long>(n, c + radio);
		for (long long j = desde; j <= hasta; j++)
			if (std::isfinite(fondo->cuentas[j])) {
				restado += fondo->factor * fondo->cuentas[j];
				varianza_restado += fondo->factor * fondo->factor * fondo->cuentas[j];
			}
		restado /= static_cast<double>(hasta - desde + 1);
		varianza_restado /= static_cast<double>(hasta - desde + 1);
	}
	return std::sqrt((std::max(valor + restado, 1.0) + varianza_restado) / (2 * radio + 1));
}

// The first stop past desde the way of paso, no farther than hasta (0 when
// none): from the stops known when they cover the search, else by a walk.
long long Suave::siguiente(long long desde, int paso, long long hasta) const
{
	const Paradas *p = paradas;
	if (!p || std::min(desde, hasta) < p->desde || std::max(desde, hasta) > p->hasta)
		return pico_hasta(Li, n, static_cast<int>(desde), paso, hasta, fondo);
	const std::vector<long long> &l = p->lista;
	if (paso > 0) {
		auto i = std::upper_bound(l.begin(), l.end(), desde);
		return i != l.end() && *i <= hasta ? *i : 0;
	}
	auto i = std::lower_bound(l.begin(), l.end(), desde);
	return i != l.begin() && *(i - 1) >= hasta ? *(i - 1) : 0;
}

// The stops of Li[desde..hasta] (clipped to the spectrum), in one walk.
Paradas paradas_en(const float *Li, int n, const FondoRestado *fondo, long long desde, long long hasta)
{
	Paradas p{std::max(1LL, desde), std::min<long long>(n, hasta), {}};
	for (int c = static_cast<int>(p.desde - 1); (c = pico_hasta(Li, n, c, 1, p.hasta, fondo)) != 0;)
		p.lista.push_back(c);
	return p;
}

// Whether a is above b, NaN being below everything.
bool encima(double a, double b)
{
	return !std::isnan(a) && (std::isnan(b) || a > b);
}

// Where the smoothed counts stop falling from the top the way of paso.
long long pie(const Suave &s, long long cima, int paso)
{
	long long j = cima;
	for (int k = 0; k < MAX_DESCENSO && j + paso >= 1 && j + paso <= s.n; k++, j += paso)
		if (encima(s.en(j + paso), s.en(j)))
			break;
	return j;
}

// Where the smoothed counts cross `mitad` going from the top the way of paso
// down to the foot, interpolated; NaN when they do not.
double cruce(const Suave &s, long long cima, long long hasta, int paso, double mitad)
{
	double antes = s.en(cima);
	for (long long j = cima + paso; paso * (hasta - j) >= 0; j += paso) {
		double v = s.en(j);
		if (v < mitad)
			return static_cast<double>(j) - paso * (mitad - v) / (antes - v);
		if (!std::isnan(v))
			antes = v;
	}
	return NAN;
}

// The width at half height of the smoothed top, over the lower of its feet;
// 0 when the top does not stand out.  *realce: how many standard deviations
// of the smoothed counts the top stands above that foot.
double ancho_a_media_altura(const Suave &s, long long cima, double *realce)
{
	long long izq = pie(s, cima, -1), der = pie(s, cima, 1);
	double alto = s.en(cima), base = std::min(s.en(izq), s.en(der));
	*realce = (alto - base) / s.ruido(s.en(izq) < s.en(der) ? izq : der, base);
	if (!(alto > base))
		return 0;
	double mitad = (alto + base) / 2;
	double a = cruce(s, cima, izq, -1, mitad), b = cruce(s, cima, der, 1, mitad);
	if (std::isnan(a) && std::isnan(b))
		return 0;
	if (std::isnan(a))
		return 2 * (b - cima);
	if (std::isnan(b))
		return 2 * (cima - a);
	return b - a;
}

Region region_en_torno(double mu, double fwhm)
{
	double medio_ancho = std::max(REGION_FWHM * fwhm, static_cast<double>(REGION_MINIMA));
	return {std::llround(mu - medio_ancho), std::llround(mu + medio_ancho)};
}

// The background's expected counts in channel c: the mean of its channels
// within VECINOS_FONDO of c that hold a number, c left out; 0 where c holds
// none.  A channel's own counts are in its difference, and weights that fell
// as they rose would bias the fit as weights from the data do.
double fondo_esperado(const FondoRestado &f, int n, long long c)
{
	if (!std::isfinite(f.cuentas[c]))
		return 0;
	double suma = 0;
	int validas = 0;
	for (long long j = std::max(1LL, c - VECINOS_FONDO); j <= std::min<long long>(n, c + VECINOS_FONDO);
	     j++)
		if (j != c && std::isfinite(f.cuentas[j])) {
			suma += f.cuentas[j];
			validas++;
		}
	return validas > 0 ? suma / validas : f.cuentas[c];
}

Datos datos_de(const Suave &s, const Region &r)
{
	Datos d;
	d.medio = (r.desde + r.hasta) / 2.0;
	for (long long c = r.desde; c <= r.hasta; c++) {
		if (!std::isfinite(s.Li[c]))
			continue;
		d.x.push_back(static_cast<double>(c));
		d.y.push_back(s.Li[c]);
		if (s.fondo) {
			double b = fondo_esperado(*s.fondo, s.n, c);
			d.restado.push_back(s.fondo->factor * b);
			d.varianza_restado.push_back(s.fondo->factor * s.fondo->factor * b);
		}
	}
	return d;
}

double normal(double z)
{
	return std::exp(-z * z / 2) / RAIZ_2PI;
}

// The share of a unit Gaussian at mu, sigma that falls in the channel at x.
double fraccion(double x, double mu, double sigma)
{
	return 0.5 *
	       (std::erf((x + 0.5 - mu) / (sigma * M_SQRT2)) - std::erf((x - 0.5 - mu) / (sigma * M_SQRT2)));
}

// The low-side tail's part of its cumulative share at t channels from mu:
// the line's tail is the Gaussian convolved with a falling exponential of
// scale beta (a Gaussian passing smoothly into e^(t / beta) below it), whose
// share up to t is the Gaussian's and this, 1/2 e^(t/beta + s^2/2beta^2)
// erfc((t/s + s/beta) / sqrt 2), taken in logarithms so that no factor
// overflows.
double cola_hasta(double t, double s, double beta)
{
	double u = (t / s + s / beta) / M_SQRT2;
	return 0.5 * std::exp(t / beta + s * s / (2 * beta * beta) + gsl_sf_log_erfc(u));
}

// The primitive of a unit step 1/2 erfc(t / (s sqrt 2)) at t, given erf there.
double escalon_hasta(double t, double s, double erf_t)
{
	return 0.5 * t * (1 - erf_t) - s * normal(t / s);
}

// What the edges hold beyond erf: the sigma, the tail's scale (0: none),
// the step, and whether the Jacobian's density is wanted.
struct Perfil {
	double s, beta;
	bool escalon, con_densidad;
};

// The value of edge t (in channels from mu) for a line of profile f, into b[j].
void borde_en(double t, const Perfil &f, Borde *b, size_t j)
{
	double s = f.s;
	b->erf[j] = std::erf(t / (s * M_SQRT2));
	if (f.con_densidad) {
		b->z[j] = t / s;
		b->densidad[j] = normal(t / s);
	}
	if (f.beta > 0)
		b->cola[j] = cola_hasta(t, s, f.beta);
	if (f.escalon)
		b->escalon[j] = escalon_hasta(t, s, b->erf[j]);
}

void copia_borde(const Borde &de, size_t i, Borde *a, size_t j)
{
	a->erf[j] = de.erf[i];
	for (auto v : {&Borde::z, &Borde::densidad, &Borde::cola, &Borde::escalon})
		if (!(a->*v).empty())
			(a->*v)[j] = (de.*v)[i];
}

void dimensiona(Borde *b, size_t n, const Perfil &f)
{
	b->erf.resize(n);
	b->z.resize(f.con_densidad ? n : 0);
	b->densidad.resize(f.con_densidad ? n : 0);
	b->cola.resize(f.beta > 0 ? n : 0);
	b->escalon.resize(f.escalon ? n : 0);
}

// The tail's slope, in sigmas, that the parameter tau stands for: held
// within PENDIENTE_MINIMA and PENDIENTE_MAXIMA, so that a fit that runs to
// either bound stays a fit there (a slower tail, spread past the region,
// would put counts of a step or the background into the line's area).
double pendiente(double tau)
{
	return std::clamp(std::fabs(tau), PENDIENTE_MINIMA, PENDIENTE_MAXIMA);
}

// The tail's scale in channels for parameters p of shape f; 0 without a tail.
double escala_cola(const Forma &f, const double *p)
{
	return f.cola ? pendiente(p[f.pendiente_cola()]) * std::fabs(p[P_SIGMA]) : 0;
}

// The edges' values for parameters p, each computed as fraccion computes
// its erf, so that the model is the same to the bit from edges shared or not.
void toma_bordes(const Datos &d, const double *p, bool con_densidad)
{
	Bordes &b = d.bordes;
	const Forma &f = d.forma;
	Perfil perfil{std::fabs(p[P_SIGMA]), escala_cola(f, p), f.escalon, con_densidad};
	std::vector<double> clave{perfil.s, perfil.beta, f.escalon ? 1.0 : 0.0};
	for (int k = 0; k < f.lineas; k++)
		clave.push_back(p[f.mu(k)]);
	if (clave == b.clave && (b.con_densidad || !con_densidad))
		return;
	size_t n = d.x.size();
	dimensiona(&b.bajo, f.lineas * n, perfil);
	dimensiona(&b.alto, f.lineas * n, perfil);
	for (int k = 0; k < f.lineas; k++)
		for (size_t i = 0; i < n; i++) {
			double u = d.x[i] - d.medio, mu = clave[3 + k];
			size_t j = k * n + i;
			if (i > 0 && d.x[i] == d.x[i - 1] + 1)
				copia_borde(b.alto, j - 1, &b.bajo, j);
			else
				borde_en(u - 0.5 - mu, perfil, &b.bajo, j);
			borde_en(u + 0.5 - mu, perfil, &b.alto, j);
		}
	b.clave = clave;
	b.con_densidad = con_densidad;
}

// The model's counts in channel i of the data, from the edges taken for p:
// each line's Gaussian share, its tail's (a fraction of its area moved from
// the Gaussian into the tail) and its step's.
double modelo_en(const Datos &d, const double *p, size_t i)
{
	const Forma &f = d.forma;
	const Bordes &b = d.bordes;
	double u = d.x[i] - d.medio;
	double total = p[P_A] + p[P_B] * u + (f.cuadratico ? p[f.cuadrado()] * u * u : 0);
	double eta = f.cola ? p[f.fraccion_cola()] : 0;
	double paso = f.escalon ? p[f.escalon_()] / (RAIZ_2PI * std::fabs(p[P_SIGMA])) : 0;
	for (int k = 0; k < f.lineas; k++) {
		size_t j = k * d.x.size() + i;
		double parte = 0.5 * (b.alto.erf[j] - b.bajo.erf[j]);
		if (f.cola)
			parte += eta * (b.alto.cola[j] - b.bajo.cola[j]);
		total += p[f.area(k)] * parte;
		if (f.escalon)
			total += paso * p[f.area(k)] * (b.alto.escalon[j] - b.bajo.escalon[j]);
	}
	return total;
}

// The derivatives of a line's tail and step parts in channel i (line k's
// edges j) at parameters p, added into J's row i: the tail's share up to an
// edge depends on z = t / sigma and r = 1 / slope alone, with dC/dz =
// r C - phi(z) and dC/dr = (z + r) C - phi(z); the step's primitive is
// sigma F(z), with dF/dz = 1/2 erfc(z / sqrt 2).
void derivadas_de_forma(const Datos &d, const double *p, int k, size_t i, gsl_matrix *J)
{
	const Forma &f = d.forma;
	const Bordes &b = d.bordes;
	size_t j = k * d.x.size() + i;
	double s = std::fabs(p[P_SIGMA]), signo = p[P_SIGMA] < 0 ? -1 : 1, area = p[f.area(k)];
	double zb = b.bajo.z[j], za = b.alto.z[j], nb = b.bajo.densidad[j], na = b.alto.densidad[j];
	double d_area = 0, d_mu = 0, d_sigma = 0;
	if (f.cola) {
		double eta = p[f.fraccion_cola()], tau = p[f.pendiente_cola()];
		double r = 1 / pendiente(tau);
		double cb = b.bajo.cola[j], ca = b.alto.cola[j];
		double czb = r * cb - nb, cza = r * ca - na;
		d_area += eta * (ca - cb);
		d_mu -= eta * area * (cza - czb) / s;
		d_sigma -= signo * eta * area * (za * cza - zb * czb) / s;
		gsl_matrix_set(J, i, f.fraccion_cola(),
		               gsl_matrix_get(J, i, f.fraccion_cola()) + area * (ca - cb));
		double d_r = ((za + r) * ca - na) - ((zb + r) * cb - nb);
		double d_tau = pendiente(tau) == std::fabs(tau) ? -(tau < 0 ? -1 : 1) * r * r * d_r : 0;
		gsl_matrix_set(J, i, f.pendiente_cola(),
		               gsl_matrix_get(J, i, f.pendiente_cola()) + eta * area * d_tau);
	}
	if (f.escalon) {
		double h = p[f.escalon_()] / RAIZ_2PI;
		double fb = b.bajo.escalon[j] / s, fa = b.alto.escalon[j] / s;
		double pb = 0.5 * (1 - b.bajo.erf[j]), pa = 0.5 * (1 - b.alto.erf[j]);
		d_area += h * (fa - fb);
		d_mu -= h * area * (pa - pb) / s;
		d_sigma -= signo * h * area * (za * pa - zb * pb) / s;
		gsl_matrix_set(J, i, f.escalon_(),
		               gsl_matrix_get(J, i, f.escalon_()) + area * (fa - fb) / RAIZ_2PI);
	}
	gsl_matrix_set(J, i, f.area(k), gsl_matrix_get(J, i, f.area(k)) + d_area);
	gsl_matrix_set(J, i, f.mu(k), gsl_matrix_get(J, i, f.mu(k)) + d_mu);
	gsl_matrix_set(J, i, P_SIGMA, gsl_matrix_get(J, i, P_SIGMA) + d_sigma);
}

// The model's Jacobian at p into J, worked out: Gaussians on a polynomial,
// with their tails and steps.
void jacobiano(const Datos &d, const double *p, gsl_matrix *J)
{
	const Forma &f = d.forma;
	const Bordes &b = d.bordes;
	toma_bordes(d, p, true);
	gsl_matrix_set_zero(J);
	double s = std::fabs(p[P_SIGMA]), signo = p[P_SIGMA] < 0 ? -1 : 1;
	for (size_t i = 0; i < d.x.size(); i++) {
		double x = d.x[i] - d.medio, ds = 0;
		for (int k = 0; k < f.lineas; k++) {
			size_t j = k * d.x.size() + i;
			double area = p[f.area(k)], zb = b.bajo.z[j], za = b.alto.z[j];
			double nb = b.bajo.densidad[j], na = b.alto.densidad[j];
			gsl_matrix_set(J, i, f.area(k), 0.5 * (b.alto.erf[j] - b.bajo.erf[j]));
			gsl_matrix_set(J, i, f.mu(k), area * (nb - na) / s);
			ds += signo * area * (zb * nb - za * na) / s;
		}
		gsl_matrix_set(J, i, P_SIGMA, ds);
		gsl_matrix_set(J, i, P_A, 1);
		gsl_matrix_set(J, i, P_B, x);
		if (f.cuadratico)
			gsl_matrix_set(J, i, f.cuadrado(), x * x);
		if (!f.simple())
			for (int k = 0; k < f.lineas; k++)
				derivadas_de_forma(d, p, k, i, J);
	}
}

// The Poisson deviance's term for a channel of y counts where m are
// expected (m > 0): 2 (m - y - y ln(m / y)), by its series where m is
// near y, so that the fit's residuals lose no digits at its minimum.
double termino(double y, double m)
{
	if (y <= 0)
		return 2 * m;
	double x = (m - y) / y;
	if (std::fabs(x) < SERIE_DESVIACION)
		return 2 * y * x * x * (0.5 - x * (1.0 / 3 - x * (0.25 - x * 0.2)));
	return 2 * y * (x - std::log1p(x));
}

// The deviance's term for the fit and its derivative in m: below the
// expectation's floor m0, the term's second-order expansion there, so that
// a model that falls to nothing in a channel that holds counts is pushed
// back up, where a term held at the floor would tell the fit nothing (in
// an empty channel, as if it held m0 counts: its term then stays positive).
double termino_y_derivada(double y, double m, double m0, double *derivada)
{
	if (m >= m0) {
		*derivada = 2 * (1 - y / m);
		return termino(y, m);
	}
	double d1 = 2 * (1 - y / m0), d2 = 2 * std::max(y, m0) / (m0 * m0), h = m - m0;
	*derivada = d1 + d2 * h;
	return termino(y, m0) + d1 * h + d2 * h * h / 2;
}

// Channel i's counts y and expectation m for the deviance, and the floor m0
// below which its term is extended: a net channel's are shifted by the
// subtracted background and its variance, so that the expectation is the
// difference's variance and the deviance the quasi-likelihood's, whose
// minimum weighs each channel by one over it.
void cuentas_de(const Datos &d, size_t i, double modelo, double *y, double *m, double *m0)
{
	double k = d.restado.empty() ? 0 : d.restado[i] + d.varianza_restado[i];
	*y = std::max(d.y[i] + k, 0.0);
	*m = modelo + k;
	*m0 = VARIANZA_MINIMA + (d.restado.empty() ? 0 : d.varianza_restado[i]);
}

// Channel i's residual, the deviance term's square root signed as its
// derivative, and that residual's derivative in the model.
double residuo_de(const Datos &d, size_t i, double modelo, double *derivada)
{
	double y, m, m0, d1;
	cuentas_de(d, i, modelo, &y, &m, &m0);
	double r = std::sqrt(std::max(termino_y_derivada(y, m, m0, &d1), 0.0));
	if (d1 < 0)
		r = -r;
	*derivada =
	    std::fabs(r) > RESIDUO_NULO * std::sqrt(m) ? d1 / (2 * r) : 1 / std::sqrt(std::max(m, m0));
	return r;
}

// The fit minimises the deviance itself: its residuals are the deviance's
// signed square roots, so their sum of squares is the deviance.
int residuos(const gsl_vector *v, void *datos, gsl_vector *f)
{
	const Datos &d = *static_cast<const Datos *>(datos);
	toma_bordes(d, v->data, false);
	double derivada;
	for (size_t i = 0; i < d.x.size(); i++)
		gsl_vector_set(f, i, residuo_de(d, i, modelo_en(d, v->data, i), &derivada));
	return GSL_SUCCESS;
}

// The residuals' Jacobian: the model's, each row times the derivative of
// its residual in the model.
int jacobiano_desviacion(const gsl_vector *v, void *datos, gsl_matrix *J)
{
	const Datos &d = *static_cast<const Datos *>(datos);
	jacobiano(d, v->data, J);
	toma_bordes(d, v->data, false);
	for (size_t i = 0; i < d.x.size(); i++) {
		double derivada;
		residuo_de(d, i, modelo_en(d, v->data, i), &derivada);
		gsl_vector_view fila = gsl_matrix_row(J, i);
		gsl_vector_scale(&fila.vector, derivada);
	}
	return GSL_SUCCESS;
}

// The Poisson deviance, twice the log-likelihood ratio against a model that
// hits every count: chi-squared distributed, and sound at low counts.  Net
// counts are no Poisson counts: for them, Pearson's sum of squared residuals
// over the model's variance.
double desviacion(const Datos &d, const double *p)
{
	double chi2 = 0;
	toma_bordes(d, p, false);
	for (size_t i = 0; i < d.x.size(); i++) {
		double m = modelo_en(d, p, i), y = d.y[i];
		if (!d.restado.empty())
			chi2 += (y - m) * (y - m) / d.varianza(i, m, VARIANZA_MINIMA);
		else
			chi2 += termino(y, std::max(m, VARIANZA_MINIMA));
	}
	return chi2;
}

// The parameters' covariance at p: the inverse of the Fisher information,
// the model's Jacobian weighed by one over each channel's variance.
bool covarianza(const Datos &d, Ajuste *a)
{
	size_t n = d.x.size(), np = static_cast<size_t>(a->forma.parametros());
	gsl_matrix *J = gsl_matrix_alloc(n, np), *cov = gsl_matrix_alloc(np, np);
	jacobiano(d, a->p, J);
	toma_bordes(d, a->p, false);
	for (size_t i = 0; i < n; i++) {
		gsl_vector_view fila = gsl_matrix_row(J, i);
		gsl_vector_scale(&fila.vector,
		                 1 / std::sqrt(d.varianza(i, modelo_en(d, a->p, i), VARIANZA_MINIMA)));
	}
	gsl_multifit_nlinear_covar(J, 0, cov);
	bool bien = true;
	for (size_t j = 0; j < np; j++) {
		a->error[j] = std::sqrt(gsl_matrix_get(cov, j, j));
		for (size_t k = 0; k < np; k++)
			a->cov[j][k] = gsl_matrix_get(cov, j, k);
		bien = bien && std::isfinite(a->p[j]) && std::isfinite(a->error[j]);
	}
	gsl_matrix_free(cov);
	gsl_matrix_free(J);
	return bien;
}

// The Poisson likelihood's maximum from a's parameters, by GSL's trust-region
// Levenberg-Marquardt on the deviance's residuals.  A step is taken only
// when it lowers the deviance, which is bounded below, so the fit cannot
// cycle as reweighted least squares can (each solve's weights from the last
// one's model, a map that a strong line on a shape it does not match sends
// back and forth between two points).
bool minimiza(Datos &d, Ajuste *a)
{
	size_t n = d.x.size();
	auto n_param = static_cast<size_t>(d.forma.parametros());
	gsl_multifit_nlinear_fdf fdf{};
	fdf.f = residuos;
	fdf.df = jacobiano_desviacion;
	fdf.n = n;
	fdf.p = n_param;
	fdf.params = &d;
	gsl_multifit_nlinear_parameters parametros = gsl_multifit_nlinear_default_parameters();
	parametros.solver = gsl_multifit_nlinear_solver_cholesky; // few parameters: the normal equations are
	                                                          // cheap and well scaled
	gsl_multifit_nlinear_workspace *w =
	    gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parametros, n, n_param);
	gsl_vector_view inicio = gsl_vector_view_array(a->p, n_param);
	gsl_multifit_nlinear_init(&inicio.vector, &fdf, w);
	int info = 0;
	int estado = gsl_multifit_nlinear_driver(MAX_ITERACIONES, TOLERANCIA_X, TOLERANCIA_G, 0, nullptr,
	                                         nullptr, &info, w);
	// No step at all that lowers the cost: the start is already the minimum.
	bool sin_paso = estado == GSL_EMAXITER && info == GSL_ENOPROG && gsl_multifit_nlinear_niter(w) <= 1;
	const gsl_vector *x = gsl_multifit_nlinear_position(w);
	std::copy(x->data, x->data + n_param, a->p);
	gsl_multifit_nlinear_free(w);
	return (estado == GSL_SUCCESS || sin_paso) && covarianza(d, a);
}

// The mean sample of the BORDE channels from c inwards (paso 1 from the left
// end, -1 from the right) and the mean channel they stand at.
void borde(const float *Li, const Region &r, int paso, double *x, double *y)
{
	long long c = paso > 0 ? r.desde : r.hasta;
	double sx = 0, sy = 0;
	int validas = 0;
	for (int k = 0; k < BORDE && c >= r.desde && c <= r.hasta; k++, c += paso)
		if (std::isfinite(Li[c])) {
			sx += static_cast<double>(c);
			sy += Li[c];
			validas++;
		}
	*x = validas > 0 ? sx / validas : static_cast<double>(c);
	*y = validas > 0 ? sy / validas : 0;
}

// The straight line through the region's two ends: its value at medio and its slope.
void linea_de_bordes(const float *Li, const Region &r, double medio, double *a, double *b)
{
	double xi, yi, xd, yd;
	borde(Li, r, 1, &xi, &yi);
	borde(Li, r, -1, &xd, &yd);
	if (r.cortada) { // the end that was cut may sit on the line: flat, at the lower end
		*b = 0;
		*a = std::min(yi, yd);
		return;
	}
	*b = xd > xi ? (yd - yi) / (xd - xi) : 0;
	*a = yi + *b * (medio - xi);
}

// Starting values: the line through the ends, the counts above it, the top and width found.
void inicio(const float *Li, const Region &r, const Datos &d, double mu, double fwhm, Ajuste *a)
{
	linea_de_bordes(Li, r, d.medio, &a->p[P_A], &a->p[P_B]);
	double neto = 0;
	for (size_t i = 0; i < d.x.size(); i++)
		neto += d.y[i] - (a->p[P_A] + a->p[P_B] * (d.x[i] - d.medio));
	a->p[P_AREA] = std::max(neto, 1.0);
	a->p[P_MU] = mu - d.medio;
	a->p[P_SIGMA] = std::max(fwhm / FWHM_POR_SIGMA, SIGMA_INICIAL_MINIMA);
}

// A fit's parameters measured from medio instead: its mus, and its
// background about medio.
void hacia_medio(const Ajuste &previo, double medio, double *p)
{
	const Forma &f = previo.forma;
	std::copy(previo.p, previo.p + f.parametros(), p);
	for (int k = 0; k < f.lineas; k++)
		p[f.mu(k)] -= medio;
	p[P_A] += p[P_B] * medio;
	if (f.cuadratico) {
		double d = medio - previo.origen;
		p[P_A] += p[f.cuadrado()] * d * d;
		p[P_B] += 2 * p[f.cuadrado()] * d;
	}
}

// Fits the data of a region from the parameters in a (measured from the
// data's middle), and brings them back to channel 0.
void ajusta_datos(Datos &d, Ajuste *a)
{
	int n_param = a->forma.parametros();
	d.forma = a->forma;
	a->bien = minimiza(d, a);
	a->gl = static_cast<int>(d.x.size()) - n_param;
	a->desviacion = a->bien ? desviacion(d, a->p) : 0;
	a->chi2_gl = a->bien ? a->desviacion / a->gl : 0;
	for (int k = 0; k < a->forma.lineas; k++)
		a->p[a->forma.mu(k)] += d.medio;
	a->p[P_SIGMA] = std::fabs(a->p[P_SIGMA]);
	a->p[P_A] -= a->p[P_B] * d.medio; // the line now at channel 0
	a->origen = d.medio;
}

// Fits the region from a start (mu, fwhm), or from the last fit when there is one.
Ajuste ajusta(const Suave &s, const Region &r, double mu, double fwhm, const Ajuste *previo)
{
	Datos d = datos_de(s, r);
	Ajuste a;
	if (previo)
		a.forma = previo->forma;
	if (d.x.size() <= static_cast<size_t>(a.forma.parametros()))
		return a;
	inicio(s.Li, r, d, mu, fwhm, &a);
	if (previo)
		hacia_medio(*previo, d.medio, a.p);
	ajusta_datos(d, &a);
	return a;
}

double fondo_en(const Ajuste &a, double c)
{
	double u = c - a.origen;
	return a.p[P_A] + a.p[P_B] * c + (a.forma.cuadratico ? a.p[a.forma.cuadrado()] * u * u : 0);
}

// The nearest local maximum of the smoothed counts the way of paso, past
// VECINO_FWHM * fwhm from mu, that stands out of the fit; 0 when none.
long long vecino(const Suave &s, const Region &r, const Ajuste &a, int paso)
{
	double fwhm = FWHM_POR_SIGMA * a.p[P_SIGMA];
	long long desde = std::llround(a.p[P_MU] + paso * VECINO_FWHM * fwhm);
	for (long long c = desde; c >= r.desde && c <= r.hasta; c += paso) {
		double v = s.en(c);
		if (encima(s.en(c - 1), v) || encima(s.en(c + 1), v))
			continue;
		double m =
		    fondo_en(a, static_cast<double>(c)) + a.p[P_AREA] * fraccion(c, a.p[P_MU], a.p[P_SIGMA]);
		if (v - m > SIGMAS_VECINO * s.ruido(c, m))
			return c;
	}
	return 0;
}

// The side of r the way of paso kept clear of the nearest stop past the
// line's own: past `parada` when the measure started from that stop, else
// past margen from mu (a stop nearer is the line's own).  It ends margen
// short of that stop, never nearer the line than half-way to it.
long long lado_sin_paradas(const Suave &s, const Region &r, const Ajuste &a, long long parada, int paso,
                           long long margen)
{
	long long extremo = std::clamp<long long>(paso > 0 ? r.hasta : r.desde, 1, s.n);
	long long linea = parada != 0 ? parada : std::llround(a.p[P_MU]);
	long long desde = parada != 0 ? parada : linea + paso * margen;
	long long v = paso * (extremo - desde) > 0
	                  ? pico_hasta(s.Li, s.n, static_cast<int>(desde), paso, extremo, s.fondo)
	                  : 0;
	if (v == 0)
		return paso > 0 ? r.hasta : r.desde;
	long long medio = linea + (v - linea) / 2;
	return paso > 0 ? std::max(medio, v - margen) : std::min(medio, v + margen);
}

// The region a fit asks for, with each side kept clear of a neighbouring
// peak and of the stops other than the line's own.
Region region_de_ajuste(const Suave &s, const Ajuste &a, long long parada)
{
	int n = s.n;
	double fwhm = FWHM_POR_SIGMA * a.p[P_SIGMA];
	Region r = region_en_torno(a.p[P_MU], fwhm);
	Region dentro = {std::max(1LL, r.desde), std::min<long long>(n, r.hasta)};
	long long margen = std::llround(VECINO_FWHM * fwhm);
	long long cerca_izq = std::llround(a.p[P_MU]) - margen, cerca_der = std::llround(a.p[P_MU]) + margen;
	if (long long v = vecino(s, dentro, a, -1))
		r.desde = std::min(cerca_izq, std::max(r.desde, v + margen));
	if (long long v = vecino(s, dentro, a, 1))
		r.hasta = std::max(cerca_der, std::min(r.hasta, v - margen));
	r.desde = std::max(r.desde, lado_sin_paradas(s, r, a, parada, -1, margen));
	r.hasta = std::min(r.hasta, lado_sin_paradas(s, r, a, parada, 1, margen));
	return r;
}

// Whether the fit's Gaussian lies in its region, as wide as a line can be
// there (which also keeps every channel computed from it in range).
bool cabe(const Ajuste &a, const Region &r)
{
	return a.p[P_MU] >= r.desde && a.p[P_MU] <= r.hasta && a.p[P_SIGMA] >= SIGMA_MINIMA &&
	       a.p[P_SIGMA] <= static_cast<double>(r.hasta - r.desde);
}

// The fit's p-value, chi-squared with its degrees of freedom.
double p_valor(const Ajuste &a)
{
	return a.gl > 0 ? gsl_cdf_chisq_Q(a.desviacion, a.gl) : 1;
}

// Whether a fit over a region the spectrum's end cut holds: a line that
// does not match the counts there (a detector's threshold, the rise of
// counts from the empty channels below it, read as a wide line) is none.
bool cortada_valida(const Ajuste &a, const Region &r)
{
	return !r.cortada || p_valor(a) >= P_CORTADA;
}

bool es_un_pico(const Ajuste &a, const Region &r)
{
	return a.bien && cabe(a, r) && a.p[P_AREA] >= SIGNIFICANCIA * a.error[P_AREA] && cortada_valida(a, r);
}

// Gross counts over the region (clipped to the spectrum) and net of the line through its ends.
void suma_region(const float *Li, int n, Region r, MedidaPico *m)
{
	r = {std::max(1LL, r.desde), std::min<long long>(n, r.hasta)};
	m->desde = static_cast<int>(r.desde);
	m->hasta = static_cast<int>(r.hasta);
	double a, b, medio = (r.desde + r.hasta) / 2.0;
	linea_de_bordes(Li, r, medio, &a, &b);
	m->bruto = m->fondo = 0;
	for (long long c = r.desde; c <= r.hasta; c++)
		if (std::isfinite(Li[c])) {
			m->bruto += Li[c];
			m->fondo += a + b * (static_cast<double>(c) - medio);
		}
	m->neto = m->bruto - m->fondo;
}

void adopta_ajuste(const Ajuste &a, MedidaPico *m)
{
	m->ajustado = true;
	m->area = a.p[P_AREA];
	m->error_area = a.error[P_AREA];
	m->centroide = a.p[P_MU];
	m->error_centroide = a.error[P_MU];
	m->sigma = a.p[P_SIGMA];
	m->error_sigma = a.error[P_SIGMA];
	m->chi2_gl = a.chi2_gl;
	m->fondo_a = a.p[P_A];
	m->fondo_b = a.p[P_B];
	m->fondo = 0;
	for (int c = m->desde; c <= m->hasta; c++)
		m->fondo += fondo_en(a, c);
}

} // namespace

namespace {

long long sube(const Suave &s, long long j)
{
	for (int k = 0; k < s.n; k++) {
		double v = s.en(j), izq = s.en(j - 1), der = s.en(j + 1);
		if (j < s.n && encima(der, v) && !encima(izq, der))
			j++;
		else if (j > 1 && encima(izq, v))
			j--;
		else
			break;
	}
	return j;
}

// The top, its width and the smoothing that found them.
struct Cumbre {
	long long cima;
	double fwhm;
	Suave s;
};

bool ultimo_suavizado(const Cumbre &t);

// Climbs from t's top with t's smoothing; then with ever wider smoothing,
// each climb from the last top, until the top found stands out of its noise.
void cumbre(Cumbre *t)
{
	for (;; t->s.radio *= 2) {
		t->cima = sube(t->s, t->cima);
		double realce = 0;
		t->fwhm = ancho_a_media_altura(t->s, t->cima, &realce);
		if (realce >= SIGMAS_CUMBRE || ultimo_suavizado(*t))
			return;
	}
}

bool ultimo_suavizado(const Cumbre &t)
{
	return 2 * t.s.radio > SUAVIZADO_MAXIMO;
}

// The fit over a region that follows it until it stays put, from a top (the
// stop measured, or else the climb's) and a first width; the region it ends
// on goes into *r.
bool sigue_region(const Cumbre &t, long long parada, double fwhm, Region *r, Ajuste *a)
{
	long long cima = parada != 0 ? parada : t.cima;
	*r = recortada(region_en_torno(static_cast<double>(cima), fwhm), t.s.n);
	if (fwhm <= 0)
		return false;
	*a = Ajuste{};
	for (int k = 0; k < MAX_REGIONES; k++) {
		Ajuste previo = *a;
		double mu = previo.bien ? previo.p[P_MU] : static_cast<double>(cima);
		*a = ajusta(t.s, *r, mu, fwhm, previo.bien ? &previo : nullptr);
		if (!a->bien || !cabe(*a, *r))
			return false;
		Region nueva = recortada(region_de_ajuste(t.s, *a, parada), t.s.n);
		if (nueva == *r || k + 1 == MAX_REGIONES)
			break; // a stays the fit over r
		*r = nueva;
	}
	return es_un_pico(*a, *r);
}

// The measure from channel c, of the stop `parada` when it is not 0: from
// the width found, or half of it when that gives no peak, then from the
// width (and, without a stop, the top) that wider smoothing reaches; every
// way out with no peak gives the summed counts of the last region tried.
MedidaPico mide_desde(const float *Li, int n, const FondoRestado *fondo, long long c, long long parada)
{
	MedidaPico m;
	Cumbre t{c, 0, {Li, n, SUAVIZADO, fondo}};
	cumbre(&t);
	Region r{};
	Ajuste a;
	bool bien = false;
	for (;;) {
		bien = sigue_region(t, parada, t.fwhm, &r, &a) || sigue_region(t, parada, t.fwhm / 2, &r, &a);
		if (bien || ultimo_suavizado(t))
			break;
		t.s.radio *= 2; // a narrow bump on a wide line: climb on over more smoothing
		cumbre(&t);
	}
	m.cima = static_cast<int>(parada != 0 ? parada : t.cima);
	m.cortada = r.cortada;
	suma_region(Li, n, r, &m);
	if (bien)
		adopta_ajuste(a, &m);
	return m;
}

// The measure from c of a line too weak to stand SIGNIFICANCIA standard
// deviations clear: the fit from the climb's top (its width found, twice,
// half or four times it, or ANCHOS_DEBIL) over the region that follows it,
// its line in the region and within MAS_CERCA_DEBIL FWHM of c (or
// 2 CERCA_MINIMA channels), however small its area; not fitted
// when none holds.  Refusing the weak ones would leave only those that
// came out high.
MedidaPico mide_debil(const float *Li, int n, const FondoRestado *fondo, long long c)
{
	MedidaPico m;
	Cumbre t{c, 0, {Li, n, SUAVIZADO, fondo}};
	t.cima = sube(t.s, c);
	double realce = 0;
	t.fwhm = ancho_a_media_altura(t.s, t.cima, &realce);
	for (double ancho : {t.fwhm, 2 * t.fwhm, t.fwhm / 2, 4 * t.fwhm, ANCHOS_DEBIL[0], ANCHOS_DEBIL[1]}) {
		Region r{};
		Ajuste a;
		sigue_region(t, 0, ancho, &r, &a);
		double fwhm = FWHM_POR_SIGMA * a.p[P_SIGMA];
		if (!(a.bien && cabe(a, r) && cortada_valida(a, r)) ||
		    std::fabs(a.p[P_MU] - c) > std::max(MAS_CERCA_DEBIL * fwhm, 2.0 * CERCA_MINIMA))
			continue;
		m.cima = static_cast<int>(t.cima);
		m.cortada = r.cortada;
		suma_region(Li, n, r, &m);
		adopta_ajuste(a, &m);
		return m;
	}
	return m;
}

} // namespace

// The stop the cursor stands on or next to when there is one, else the climb.
MedidaPico mide_pico(const float *Li, int n, int c, const FondoRestado *fondo)
{
	gsl_set_error_handler_off(); // GSL's default handler would end the program
	c = std::clamp(c, 1, n);
	if (long long parada = pico_cercano_en(Li, n, c, CERCA_MAXIMA, fondo)) {
		MedidaPico m = mide_desde(Li, n, fondo, parada, parada);
		double ancho = fwhm_de(m);
		if (std::llabs(c - parada) <= std::max(static_cast<double>(CERCA_MINIMA), ancho))
			return m;
	}
	return mide_desde(Li, n, fondo, c, 0);
}

double cuentas_ajustadas(const MedidaPico &m, double c)
{
	return m.fondo_a + m.fondo_b * c + m.area * fraccion(c, m.centroide, m.sigma);
}

double posicion(const MedidaPico &m)
{
	return m.ajustado ? m.centroide : m.cima;
}

double fwhm_de(const MedidaPico &m)
{
	return m.ajustado ? FWHM_POR_SIGMA * m.sigma : 0;
}

// ---- The multiplet ----

namespace {

// The channel c, rounded, as a channel of the spectrum's span.
long long canal(double c)
{
	return std::llround(c);
}

// The group's lines as found: their positions and the stops that gave them (0: none).
struct Grupo {
	std::vector<double> mu;
	std::vector<long long> parada;
};

// Adds to g the stops chained from `desde` the way of paso, each within
// twice the reach of the last line, skipping those of a line already there.
void encadena(const Suave &s, double fwhm, double desde, int paso, Grupo *g)
{
	double ultimo = desde, alcance = 2 * GRUPO_FWHM * fwhm;
	long long busca = canal(desde + paso * MISMA_LINEA_FWHM * fwhm);
	while (g->mu.size() < static_cast<size_t>(MAX_LINEAS)) {
		long long p = s.siguiente(busca, paso, canal(ultimo + paso * alcance));
		if (p == 0)
			return;
		g->mu.push_back(static_cast<double>(p));
		g->parada.push_back(p);
		ultimo = static_cast<double>(p);
		busca = p;
	}
}

Grupo grupo_de(const Suave &s, const MedidaPico &m)
{
	Grupo g{{m.centroide}, {m.cima}};
	double fwhm = FWHM_POR_SIGMA * m.sigma;
	encadena(s, fwhm, m.centroide, 1, &g);
	encadena(s, fwhm, m.centroide, -1, &g);
	return g;
}

// The lines' lowest and highest centroids.
std::pair<double, double> extremos(const Ajuste &a)
{
	double menor = a.p[P_MU], mayor = a.p[P_MU];
	for (int k = 1; k < a.forma.lineas; k++) {
		menor = std::min(menor, a.p[a.forma.mu(k)]);
		mayor = std::max(mayor, a.p[a.forma.mu(k)]);
	}
	return {menor, mayor};
}

// One side of the group's region: `alcance` FWHM past its outermost line
// the way of paso, ending VECINO_FWHM FWHM short of the first stop past it
// that is no line of the group.
long long lado_del_grupo(const Suave &s, const Ajuste &a, double linea, int paso, double alcance)
{
	double fwhm = FWHM_POR_SIGMA * a.p[P_SIGMA], margen = VECINO_FWHM * fwhm;
	double medio_ancho = std::max(alcance * fwhm, static_cast<double>(REGION_MINIMA));
	long long extremo = canal(linea + paso * medio_ancho);
	long long desde = canal(linea + paso * MISMA_LINEA_FWHM * fwhm);
	long long hasta = std::clamp<long long>(canal(extremo + paso * margen), 1, s.n);
	long long v = paso * (hasta - desde) > 0 ? s.siguiente(desde, paso, hasta) : 0;
	if (v == 0)
		return extremo;
	long long corte = canal(static_cast<double>(v) - paso * margen);
	return paso > 0 ? std::min(extremo, corte) : std::max(extremo, corte);
}

Region region_del_grupo(const Suave &s, const Ajuste &a, double alcance = GRUPO_FWHM)
{
	auto [menor, mayor] = extremos(a);
	return {lado_del_grupo(s, a, menor, -1, alcance), lado_del_grupo(s, a, mayor, 1, alcance)};
}

// Whether every line of the fit lies in the region, as wide as a line can be there.
bool caben(const Ajuste &a, const Region &r)
{
	auto [menor, mayor] = extremos(a);
	return a.bien && menor >= r.desde && mayor <= r.hasta && a.p[P_SIGMA] >= SIGMA_MINIMA &&
	       a.p[P_SIGMA] <= static_cast<double>(r.hasta - r.desde);
}

// Fits the region from a's parameters into a; false when it fails or a line leaves it.
bool ajusta_region(const Suave &s, const Region &r, Ajuste *a)
{
	if (r.desde < 1 || r.hasta > s.n)
		return false; // a group cut by the spectrum's end is measured as its line alone
	Datos d = datos_de(s, r);
	if (d.x.size() <= static_cast<size_t>(a->forma.parametros()))
		return false;
	Ajuste previo = *a;
	hacia_medio(previo, d.medio, a->p);
	ajusta_datos(d, a);
	return caben(*a, r);
}

// The group's fit over a region that follows it until it stays put.
bool sigue_grupo(const Suave &s, Ajuste *a, Region *r)
{
	*r = region_del_grupo(s, *a);
	for (int k = 0; k < MAX_REGIONES; k++) {
		if (!ajusta_region(s, *r, a))
			return false;
		Region nueva = region_del_grupo(s, *a);
		if (nueva == *r)
			return true;
		*r = nueva;
	}
	return ajusta_region(s, *r, a);
}

// Each line of a from `desde` on starts at its stop, with the counts there
// over a's background as a line of a's sigma would hold them.
void areas_de_inicio(const float *Li, const Grupo &g, int desde, Ajuste *a)
{
	double alto = RAIZ_2PI * a->p[P_SIGMA];
	for (int k = desde; k < a->forma.lineas; k++) {
		double sobre = Li[g.parada[k]] - (a->p[P_A] + a->p[P_B] * g.mu[k]);
		a->p[a->forma.area(k)] = std::max(1.0, sobre * alto);
		a->p[a->forma.mu(k)] = g.mu[k];
	}
}

// The fit of the group's lines from the measure of the line at the cursor:
// each stop's line starts at the stop with the counts over that line's
// background there, all with its sigma.
Ajuste inicio_del_grupo(const float *Li, const MedidaPico &m, const Grupo &g)
{
	Ajuste a;
	a.forma.lineas = static_cast<int>(g.mu.size());
	a.p[P_AREA] = m.area;
	a.p[P_MU] = m.centroide;
	a.p[P_SIGMA] = m.sigma;
	a.p[P_A] = m.fondo_a;
	a.p[P_B] = m.fondo_b;
	areas_de_inicio(Li, g, 1, &a);
	return a;
}

} // namespace

namespace {

// The fit a in shape f: the lines both have, sigma and the straight
// background as they are; the quadratic term, tail and step carried over
// when both have them, else starting from none (the tail from COLA_INICIAL,
// PENDIENTE_INICIAL).
Ajuste con_forma(const Ajuste &a, const Forma &f)
{
	Ajuste b = a;
	b.forma = f;
	const Forma &g = a.forma;
	for (int k = 1; k < std::min(f.lineas, g.lineas); k++) {
		b.p[f.area(k)] = a.p[g.area(k)];
		b.p[f.mu(k)] = a.p[g.mu(k)];
	}
	if (f.cuadratico)
		b.p[f.cuadrado()] = g.cuadratico ? a.p[g.cuadrado()] : 0;
	if (f.cola) {
		b.p[f.fraccion_cola()] = g.cola ? a.p[g.fraccion_cola()] : COLA_INICIAL;
		b.p[f.pendiente_cola()] = g.cola ? a.p[g.pendiente_cola()] : PENDIENTE_INICIAL;
	}
	if (f.escalon)
		b.p[f.escalon_()] = g.escalon ? a.p[g.escalon_()] : 0;
	return b;
}

Ajuste con_cuadrado(const Ajuste &a)
{
	Forma f = a.forma;
	f.cuadratico = true;
	return con_forma(a, f);
}

// Whether a fitted tail is one: a fraction of the line between 0 and
// COLA_MAXIMA.
bool cola_valida(const Ajuste &a)
{
	const Forma &f = a.forma;
	double eta = a.p[f.fraccion_cola()], tau = std::fabs(a.p[f.pendiente_cola()]);
	return eta > 0 && eta < COLA_MAXIMA && std::isfinite(tau);
}

// The fit a over r with a tail (con_cola) or a step added, into *b; false
// when it fails, its tail is none or its step falls (more counts above the
// line than below it is no step a line leaves).
bool con_extra(const Suave &s, const Region &r, const Ajuste &a, bool con_cola, Ajuste *b)
{
	Forma f = a.forma;
	(con_cola ? f.cola : f.escalon) = true;
	*b = con_forma(a, f);
	return ajusta_region(s, r, b) && (con_cola ? cola_valida(*b) : b->p[f.escalon_()] > 0);
}

// The score statistic, over r, for a tail of slope tau (con_cola) or a step
// added at nothing to a, fitted without it: U^T V U, U the log-likelihood's
// gradient and V the Fisher information's inverse, with the added height
// or fraction among the parameters (a slope tells nothing at no tail: left
// out).  It is the likelihood ratio's value for a small tail or step, at the
// cost of one Jacobian and no fit.
double puntaje(const Suave &s, const Region &r, const Ajuste &a, bool con_cola, double tau)
{
	Forma f = a.forma;
	(con_cola ? f.cola : f.escalon) = true;
	Ajuste b = con_forma(a, f);
	if (con_cola) {
		b.p[f.fraccion_cola()] = 0;
		b.p[f.pendiente_cola()] = tau;
	}
	Datos d = datos_de(s, r);
	d.forma = f;
	size_t n = d.x.size(), np = static_cast<size_t>(f.parametros()), usados = np - (con_cola ? 1 : 0);
	if (n <= np)
		return 0;
	double p[MAX_PARAMETROS], u[MAX_PARAMETROS] = {};
	hacia_medio(b, d.medio, p);
	gsl_matrix *J = gsl_matrix_alloc(n, np), *Jw = gsl_matrix_alloc(n, usados);
	gsl_matrix *V = gsl_matrix_alloc(usados, usados);
	jacobiano(d, p, J);
	toma_bordes(d, p, false);
	for (size_t i = 0; i < n; i++) {
		double m = modelo_en(d, p, i), w = 1 / std::sqrt(d.varianza(i, m, 1.0));
		for (size_t j = 0, k = 0; j < np; j++) {
			if (con_cola && j == static_cast<size_t>(f.pendiente_cola()))
				continue;
			double v = gsl_matrix_get(J, i, j) * w;
			gsl_matrix_set(Jw, i, k, v);
			u[k++] += v * (d.y[i] - m) * w;
		}
	}
	gsl_multifit_nlinear_covar(Jw, 0, V);
	double total = 0;
	for (size_t j = 0; j < usados; j++)
		for (size_t k = 0; k < usados; k++)
			total += u[j] * gsl_matrix_get(V, j, k) * u[k];
	gsl_matrix_free(V);
	gsl_matrix_free(Jw);
	gsl_matrix_free(J);
	return std::isfinite(total) ? total : 0;
}

// Whether the residuals of a over r call for a tail (con_cola) or a step at
// all: the score statistic reaches PUNTAJE_MINIMO of the likelihood ratio's
// threshold, for the tail at any of PENDIENTES_PRUEBA.  A line on which it
// does not is spared the fit, which costs as much as the rest of its
// measure; a tail or step that the ratio would take is all but never missed.
bool lo_piden(const Suave &s, const Region &r, const Ajuste &a, bool con_cola)
{
	if (!con_cola)
		return puntaje(s, r, a, false, 0) >= PUNTAJE_MINIMO * UMBRAL_CUADRATICO;
	for (double tau : PENDIENTES_PRUEBA)
		if (puntaje(s, r, a, true, tau) >= PUNTAJE_MINIMO * UMBRAL_COLA)
			return true;
	return false;
}

bool candidato(const Suave &s, const Region &r, const Ajuste &a, double *mu, double *area);
bool mejor_con_otra(const Suave &s, const Region &r, const Ajuste &a, double mu, double area, Ajuste *b);
bool todas_claras(const Ajuste &a);
bool partida_en_dos(const Ajuste &a);

// Whether one more line, where a's residuals call for one, fits better than
// the tail or step of `extra` and as the line test asks: an unresolved line
// beside a strong one leaves residuals that a tail or step can take up too,
// and then the line is what the counts hold.
bool mejor_una_linea(const Suave &s, const Region &r, const Ajuste &a, const Ajuste &extra)
{
	double mu = 0, area = 0;
	Ajuste b;
	return a.forma.lineas < MAX_LINEAS && candidato(s, r, a, &mu, &area) &&
	       mejor_con_otra(s, r, a, mu, area, &b) && b.desviacion < extra.desviacion &&
	       a.desviacion - b.desviacion >= UMBRAL_LINEA && todas_claras(b) && !partida_en_dos(b);
}

// Gives a, over r, the low-side tail, the step or both when the
// likelihood ratio asks for them at 99% (chi-squared with two degrees of
// freedom for the tail's fraction and slope, one for the step's height;
// both when each lowers the deviance so much from the other alone).  Of a
// tail and a step that each pass (both put counts below the line) the one
// that fits better is taken, not the one tried first.  Before the line
// test (antes_de_lineas), none when one more line fits better still: the
// line test then decides, and this test is made again after it.
void prueba_forma(const Suave &s, const Region &r, Ajuste *a, bool antes_de_lineas)
{
	const double umbral[2] = {UMBRAL_COLA, UMBRAL_CUADRATICO};
	Ajuste con[2];
	bool pasa[2] = {false, false};
	for (int k = 0; k < 2; k++) {
		bool con_cola = k == 0;
		if ((con_cola ? a->forma.cola : a->forma.escalon) || !lo_piden(s, r, *a, con_cola))
			continue;
		pasa[k] =
		    con_extra(s, r, *a, con_cola, &con[k]) && a->desviacion - con[k].desviacion >= umbral[k];
	}
	Ajuste ambos, nuevo;
	if (pasa[0] && pasa[1] && con_extra(s, r, con[0], false, &ambos) && cola_valida(ambos) &&
	    con[0].desviacion - ambos.desviacion >= umbral[1] &&
	    con[1].desviacion - ambos.desviacion >= umbral[0])
		nuevo = ambos;
	else if (pasa[0] || pasa[1])
		nuevo = pasa[0] && (!pasa[1] || con[0].desviacion <= con[1].desviacion) ? con[0] : con[1];
	else
		return;
	if (!antes_de_lineas || !mejor_una_linea(s, r, *a, nuevo))
		*a = nuevo;
}

// The group's fit over r with a quadratic term, when the likelihood ratio
// asks for it over the region widened AMPLIADA times (a curvature the
// region alone hardly shows still biases its area by several percent).
void prueba_cuadratico(const Suave &s, const Region &r, Ajuste *a)
{
	Region ancha = region_del_grupo(s, *a, AMPLIADA * GRUPO_FWHM);
	Ajuste recta = *a, curva = con_cuadrado(*a), q = con_cuadrado(*a);
	bool pide = ajusta_region(s, ancha, &recta) && ajusta_region(s, ancha, &curva) &&
	            recta.desviacion - curva.desviacion >= UMBRAL_CUADRATICO;
	if (pide && ajusta_region(s, r, &q))
		*a = q;
}

// The residuals of a over the data d, and their variance under a.
void residuos_de(Datos &d, const Ajuste &a, std::vector<double> *res, std::vector<double> *var)
{
	double p[MAX_PARAMETROS];
	hacia_medio(a, d.medio, p);
	d.forma = a.forma;
	toma_bordes(d, p, false);
	for (size_t i = 0; i < d.x.size(); i++) {
		double m = modelo_en(d, p, i);
		res->push_back(d.y[i] - m);
		var->push_back(d.varianza(i, m, 1.0));
	}
}

// Where one more line stands highest in the residuals of a over r: the
// channel where they, weighted by a line of a's sigma centred there over
// their variance, sum to the most deviations; with that line's area as
// least squares put it.  False when nowhere is that sum above 0.
bool candidato(const Suave &s, const Region &r, const Ajuste &a, double *mu, double *area)
{
	Datos d = datos_de(s, r);
	std::vector<double> res, var;
	residuos_de(d, a, &res, &var);
	double sigma = a.p[P_SIGMA], mejor = 0, alcance = GRUPO_FWHM * FWHM_POR_SIGMA * sigma / 2;
	for (size_t i = 0; i < d.x.size(); i++) {
		double suma = 0, norma = 0;
		for (size_t j = 0; j < d.x.size(); j++) {
			if (std::fabs(d.x[j] - d.x[i]) > alcance)
				continue;
			double g = fraccion(d.x[j] - d.x[i], 0, sigma);
			suma += res[j] * g / var[j];
			norma += g * g / var[j];
		}
		if (norma > 0 && suma / std::sqrt(norma) > mejor) {
			mejor = suma / std::sqrt(norma);
			*mu = d.x[i];
			*area = suma / norma;
		}
	}
	return mejor > 0;
}

// The fit a with one more line at mu of the given area.
Ajuste con_otra_linea(const Ajuste &a, double mu, double area)
{
	Forma f = a.forma;
	f.lineas++;
	Ajuste b = con_forma(a, f);
	b.p[f.area(f.lineas - 1)] = area;
	b.p[f.mu(f.lineas - 1)] = mu;
	return b;
}

// The fit a with its line j parted in two, PARTIDA sigma either side of its
// centroid, each with half its area, their sigma narrowed so that the pair
// stays as wide: what the residuals of one line fitted over two unresolved
// ones call for, a pattern no single added line matches.
Ajuste partida(const Ajuste &a, int j)
{
	double centro = a.p[a.forma.mu(j)], sigma = a.p[P_SIGMA], t = PARTIDA * sigma;
	Ajuste b = con_otra_linea(a, centro + t, a.p[a.forma.area(j)] / 2);
	b.p[b.forma.area(j)] /= 2;
	b.p[b.forma.mu(j)] = centro - t;
	b.p[P_SIGMA] = sigma * std::sqrt(1 - PARTIDA * PARTIDA);
	return b;
}

// The line of a nearest mu.
int la_mas_cercana(const Ajuste &a, double mu)
{
	int j = 0;
	for (int k = 1; k < a.forma.lineas; k++)
		if (std::fabs(a.p[a.forma.mu(k)] - mu) < std::fabs(a.p[a.forma.mu(j)] - mu))
			j = k;
	return j;
}

// The better fit with one more line, of the starts: a line where the
// residuals call for one, or the line nearest it parted in two (false:
// neither holds).
bool mejor_con_otra(const Suave &s, const Region &r, const Ajuste &a, double mu, double area, Ajuste *b)
{
	bool alguno = false;
	for (bool partir : {false, true}) {
		Ajuste intento = partir ? partida(a, la_mas_cercana(a, mu)) : con_otra_linea(a, mu, area);
		if (ajusta_region(s, r, &intento) && (!alguno || intento.desviacion < b->desviacion)) {
			*b = intento;
			alguno = true;
		}
	}
	return alguno;
}

// Whether every line of a stands SIGNIFICANCIA standard deviations clear.
bool todas_claras(const Ajuste &a)
{
	for (int k = 0; k < a.forma.lineas; k++)
		if (!(a.p[a.forma.area(k)] >= SIGNIFICANCIA * a.error[a.forma.area(k)]))
			return false;
	return true;
}

// Whether two lines of a are one line parted in two: their areas'
// correlation under -CORRELACION_PARTIDA, the fit unable to tell how the
// counts split between them (so that it cannot tell that there are two).
bool partida_en_dos(const Ajuste &a)
{
	const Forma &f = a.forma;
	for (int i = 0; i < f.lineas; i++)
		for (int j = i + 1; j < f.lineas; j++) {
			double vi = a.cov[f.area(i)][f.area(i)], vj = a.cov[f.area(j)][f.area(j)];
			if (a.cov[f.area(i)][f.area(j)] < -CORRELACION_PARTIDA * std::sqrt(vi * vj))
				return true;
		}
	return false;
}

// Whether b, a with one more line, puts counts below a's lines, where a
// tail would: its new line below a's highest, or its lowest line half a
// sigma below a's lowest (a line parted in two).
bool por_debajo(const Ajuste &a, const Ajuste &b)
{
	double nueva = b.p[b.forma.mu(b.forma.lineas - 1)];
	return nueva < extremos(a).second || extremos(b).first < extremos(a).first - a.p[P_SIGMA] / 2;
}

// Whether b, a with one more line, is what the counts over r ask for: it
// lowers the deviance by UMBRAL_LINEA below a's, and below a's with a step
// or a tail when a has none (for the tail, when b's counts lie where it
// would put them: a line's tail or step is no line), every line stands
// clear and no two are one line parted in two.
bool pide_linea(const Suave &s, const Region &r, const Ajuste &a, const Ajuste &b)
{
	if (a.desviacion - b.desviacion < UMBRAL_LINEA || !todas_claras(b) || partida_en_dos(b))
		return false;
	for (bool con_cola : {true, false}) {
		Ajuste t;
		bool tiene = con_cola ? a.forma.cola : a.forma.escalon;
		if (!tiene && (!con_cola || por_debajo(a, b)) && lo_piden(s, r, a, con_cola) &&
		    con_extra(s, r, a, con_cola, &t) && t.desviacion - b.desviacion < UMBRAL_LINEA)
			return false;
	}
	return true;
}

// Adds to the group the line its residuals call for, when pide_linea holds;
// the region then follows the group, and the test is made again over the
// region it ends on, against the group without that line refitted there
// (when that fit holds).
bool prueba_linea(const Suave &s, Region *r, Ajuste *a)
{
	double mu = 0, area = 0;
	Ajuste b;
	if (a->forma.lineas >= MAX_LINEAS || !candidato(s, *r, *a, &mu, &area) ||
	    !mejor_con_otra(s, *r, *a, mu, area, &b) || !pide_linea(s, *r, *a, b))
		return false;
	Ajuste c = b, sin = *a;
	Region rc = *r;
	if (sigue_grupo(s, &c, &rc) && !(rc == *r)) {
		if (ajusta_region(s, rc, &sin) && !pide_linea(s, rc, sin, c))
			return false; // (a group without the line that no longer fits at all wants it)
		b = c;
		*r = rc;
	}
	*a = b;
	return true;
}

// The fit a without its line k.
Ajuste sin_linea(const Ajuste &a, int k)
{
	Forma f = a.forma;
	f.lineas--;
	Ajuste b = a;
	int ultima = a.forma.lineas - 1;
	if (k != ultima) { // the last line's parameters take k's place
		b.p[a.forma.area(k)] = a.p[a.forma.area(ultima)];
		b.p[a.forma.mu(k)] = a.p[a.forma.mu(ultima)];
	}
	return con_forma(b, f);
}

// Drops from a, over r, the line that stands least clear while any stands
// under SIGNIFICANCIA standard deviations (a negative line among them),
// fitting again after each; its group's stops follow.  False when no fit
// holds.
bool quita_dudosas(const Suave &s, const Region &r, Ajuste *a, Grupo *g)
{
	while (g->mu.size() < static_cast<size_t>(a->forma.lineas)) { // lines no stop gave
		g->mu.push_back(a->p[a->forma.mu(static_cast<int>(g->mu.size()))]);
		g->parada.push_back(0);
	}
	while (a->forma.lineas > 1 && !todas_claras(*a)) {
		int peor = 0;
		for (int k = 1; k < a->forma.lineas; k++)
			if (a->p[a->forma.area(k)] / a->error[a->forma.area(k)] <
			    a->p[a->forma.area(peor)] / a->error[a->forma.area(peor)])
				peor = k;
		Ajuste b = sin_linea(*a, peor);
		if (!ajusta_region(s, r, &b))
			return false;
		*a = b;
		g->mu[peor] = g->mu.back();
		g->parada[peor] = g->parada.back();
		g->mu.pop_back();
		g->parada.pop_back();
	}
	return true;
}

// The covariances of parameter `de` of every pair of lines.
std::vector<double> covarianzas(const Ajuste &a, const std::vector<int> &orden, int (Forma::*de)(int) const)
{
	std::vector<double> v;
	for (int i : orden)
		for (int j : orden)
			v.push_back(a.cov[(a.forma.*de)(i)][(a.forma.*de)(j)]);
	return v;
}

// The derivatives of a line's share of channel x (fraccion) in its mu and
// sigma, first and second.
struct Derivadas {
	double m, s, mm, ms, ss;
};

Derivadas derivadas(double x, double mu, double sigma)
{
	double zb = (x - 0.5 - mu) / sigma, za = (x + 0.5 - mu) / sigma;
	double nb = normal(zb), na = normal(za), s2 = sigma * sigma;
	return {(nb - na) / sigma, (zb * nb - za * na) / sigma, (zb * nb - za * na) / s2,
	        ((1 - za * za) * na - (1 - zb * zb) * nb) / s2,
	        (za * na * (2 - za * za) - zb * nb * (2 - zb * zb)) / s2};
}

// The trace of the model's Hessian in channel x against the covariance: how
// much the parameters' scatter moves the expected model there.
double traza(const Forma &f, const double *p, const double (*cov)[MAX_PARAMETROS], double x)
{
	double t = 0;
	for (int k = 0; k < f.lineas; k++) {
		int ia = f.area(k), im = f.mu(k);
		Derivadas d = derivadas(x, p[im], std::fabs(p[P_SIGMA]));
		t +=
		    2 * (cov[ia][im] * d.m + cov[ia][P_SIGMA] * d.s) +
		    p[ia] * (cov[im][im] * d.mm + 2 * cov[im][P_SIGMA] * d.ms + cov[P_SIGMA][P_SIGMA] * d.ss);
	}
	return t;
}

// Takes from a, fitted over r, the second-order bias of its lines' areas,
// centroids and sigma (Box's, which for Poisson counts is the Cox-Snell
// bias of the likelihood's maximum): -1/2 V J^T W t, t the Hessian's trace
// against V.  It grows with the areas' relative variance, some 0.4% of a
// line on a steep continuum once the quadratic term widens its errors.
// None is taken when any would exceed its parameter's error.
void quita_sesgo(const Suave &s, const Region &r, Ajuste *a)
{
	Datos d = datos_de(s, r);
	d.forma = a->forma;
	int np = a->forma.parametros();
	double p[MAX_PARAMETROS];
	hacia_medio(*a, d.medio, p);
	gsl_matrix *J = gsl_matrix_alloc(d.x.size(), static_cast<size_t>(np));
	jacobiano(d, p, J);
	double g[MAX_PARAMETROS] = {};
	for (size_t i = 0; i < d.x.size(); i++) {
		double x = d.x[i] - d.medio;
		double w = traza(a->forma, p, a->cov, x) / d.varianza(i, modelo_en(d, p, i), VARIANZA_MINIMA);
		for (int j = 0; j < np; j++)
			g[j] += gsl_matrix_get(J, i, static_cast<size_t>(j)) * w;
	}
	gsl_matrix_free(J);
	std::vector<int> corregidos{P_SIGMA};
	for (int k = 0; k < a->forma.lineas; k++)
		corregidos.insert(corregidos.end(), {a->forma.area(k), a->forma.mu(k)});
	double sesgo[MAX_PARAMETROS] = {};
	for (int j : corregidos) {
		sesgo[j] = -0.5 * std::inner_product(g, g + np, a->cov[j], 0.0);
		if (!(std::fabs(sesgo[j]) < a->error[j]))
			return; // past the reach of a second-order expansion: the fit as it is
	}
	for (int j : corregidos)
		a->p[j] -= sesgo[j];
}

// The group's measure as a whole: region, sigma, background and the fit's quality.
MedidaMultiplete del_grupo(const Ajuste &a, const Region &r)
{
	MedidaMultiplete mm;
	mm.ajustado = true;
	mm.desde = static_cast<int>(r.desde);
	mm.hasta = static_cast<int>(r.hasta);
	mm.cortada = r.cortada;
	mm.sigma = a.p[P_SIGMA];
	mm.error_sigma = a.error[P_SIGMA];
	mm.fondo_a = a.p[P_A];
	mm.fondo_b = a.p[P_B];
	mm.cuadratico = a.forma.cuadratico;
	mm.fondo_c = a.forma.cuadratico ? a.p[a.forma.cuadrado()] : 0;
	const Forma &f = a.forma;
	mm.cola = f.cola;
	if (f.cola) {
		mm.fraccion_cola = a.p[f.fraccion_cola()];
		mm.error_fraccion_cola = a.error[f.fraccion_cola()];
		mm.pendiente_cola = pendiente(a.p[f.pendiente_cola()]);
		mm.error_pendiente_cola = a.error[f.pendiente_cola()];
	}
	mm.escalon = f.escalon;
	if (f.escalon) {
		mm.altura_escalon = a.p[f.escalon_()];
		mm.error_altura_escalon = a.error[f.escalon_()];
	}
	mm.origen = a.origen;
	mm.chi2_gl = a.chi2_gl;
	mm.grados_libertad = a.gl;
	mm.p_valor = a.gl > 0 ? gsl_cdf_chisq_Q(a.desviacion, a.gl) : 1;
	mm.pobre = mm.p_valor < P_POBRE;
	return mm;
}

// The lines' rows, in channel order: the region's sums, the group's fit and each line's own.
void filas(const float *Li, int n, const Ajuste &a, const Region &r, const Grupo &g, MedidaMultiplete *mm)
{
	std::vector<int> orden(static_cast<size_t>(a.forma.lineas));
	for (int k = 0; k < a.forma.lineas; k++)
		orden[k] = k;
	std::sort(orden.begin(), orden.end(),
	          [&](int i, int j) { return a.p[a.forma.mu(i)] < a.p[a.forma.mu(j)]; });
	MedidaPico base;
	suma_region(Li, n, r, &base);
	adopta_ajuste(a, &base);
	for (int k : orden) {
		MedidaPico m = base;
		m.area = a.p[a.forma.area(k)];
		m.error_area = a.error[a.forma.area(k)];
		m.centroide = a.p[a.forma.mu(k)];
		m.error_centroide = a.error[a.forma.mu(k)];
		bool de_parada = k < static_cast<int>(g.parada.size()) && g.parada[k] != 0;
		m.cima = static_cast<int>(de_parada ? g.parada[k] : canal(m.centroide));
		mm->lineas.push_back(m);
	}
	mm->covarianza_areas = covarianzas(a, orden, &Forma::area);
	mm->covarianza_centroides = covarianzas(a, orden, &Forma::mu);
}

// The index of the line nearest channel c.
int la_mas_cercana(const MedidaMultiplete &mm, int c)
{
	int mejor = 0;
	for (size_t i = 1; i < mm.lineas.size(); i++)
		if (std::fabs(mm.lineas[i].centroide - c) < std::fabs(mm.lineas[mejor].centroide - c))
			mejor = static_cast<int>(i);
	return mejor;
}

// A lone line's measure, mide_pico's as it is, with its fit's quality.
MedidaMultiplete sola(const MedidaPico &m, const Ajuste &a)
{
	MedidaMultiplete mm = del_grupo(a, {m.desde, m.hasta});
	mm.ajustado = m.ajustado;
	mm.lineas = {m};
	mm.cortada = m.cortada;
	mm.sigma = m.sigma;
	mm.error_sigma = m.error_sigma;
	mm.fondo_a = m.fondo_a;
	mm.fondo_b = m.fondo_b;
	mm.chi2_gl = m.chi2_gl;
	mm.covarianza_areas = {m.error_area * m.error_area};
	mm.covarianza_centroides = {m.error_centroide * m.error_centroide};
	if (!m.ajustado)
		mm.p_valor = 1, mm.pobre = false, mm.grados_libertad = 0;
	return mm;
}

// When the line at the cursor cannot be fitted alone (a weak line on the
// flank of a strong one, its region cut half-way to it), a fitted line that
// can seed its group: the measure from the nearer stop either side of its
// top, whose reach takes in that top; not fitted when there is none.
MedidaPico vecina(const Suave &s, const MedidaPico &m)
{
	MedidaPico mejor;
	for (int paso : {-1, 1}) {
		long long v = m.cima != 0 ? s.siguiente(m.cima, paso, m.cima + paso * 2 * CERCA_MAXIMA) : 0;
		if (v == 0)
			continue;
		MedidaPico o = mide_pico(s.Li, s.n, static_cast<int>(v), s.fondo);
		bool alcanza = o.ajustado &&
		               std::fabs(o.centroide - m.cima) <= 2 * GRUPO_FWHM * FWHM_POR_SIGMA * o.sigma;
		if (alcanza && (!mejor.ajustado || std::llabs(v - m.cima) < std::llabs(mejor.cima - m.cima)))
			mejor = o;
	}
	return mejor;
}

// The measure when no line at c stands clear: the weak line's fit, its
// area a value with its error and an upper limit, when one holds; else
// the summed counts of `nada`.
MedidaMultiplete debil(const Suave &s, int c, const MedidaPico &nada)
{
	MedidaPico m = mide_debil(s.Li, s.n, s.fondo, c);
	if (!m.ajustado)
		return sola(nada, Ajuste{});
	MedidaMultiplete mm = sola(m, Ajuste{});
	mm.debil = true;
	mm.limite_area = std::max(m.area, 0.0) + LIMITE_SIGMAS * m.error_area;
	mm.grados_libertad = m.hasta - m.desde + 1 - N_PARAM;
	mm.p_valor =
	    mm.grados_libertad > 0 ? gsl_cdf_chisq_Q(m.chi2_gl * mm.grados_libertad, mm.grados_libertad) : 1;
	mm.pobre = mm.p_valor < P_POBRE;
	return mm;
}

// The group of the stop that the cursor at c means (parada, its smoothed
// top's width fwhm), fitted, when that stop has others within its reach:
// the group chained from it, each line starting at its stop with the counts
// over the straight line through the region's ends.  False when there is
// no such stop, it is alone, or the fit fails.
bool grupo_de_paradas(const Suave &s, int c, long long parada, double fwhm, Grupo *g, Ajuste *a, Region *r)
{
	if (parada == 0 || !(fwhm > 0))
		return false;
	*g = Grupo{{static_cast<double>(parada)}, {parada}};
	encadena(s, fwhm, static_cast<double>(parada), 1, g);
	encadena(s, fwhm, static_cast<double>(parada), -1, g);
	auto [menor, mayor] = std::minmax_element(g->mu.begin(), g->mu.end());
	double holgura = std::max(static_cast<double>(CERCA_MINIMA), fwhm);
	if (g->mu.size() < 2 || c < *menor - holgura || c > *mayor + holgura)
		return false;
	*a = Ajuste{};
	a->forma.lineas = static_cast<int>(g->mu.size());
	a->p[P_SIGMA] = std::max(fwhm / FWHM_POR_SIGMA, SIGMA_INICIAL_MINIMA);
	for (int k = 0; k < a->forma.lineas; k++)
		a->p[a->forma.mu(k)] = g->mu[k];
	*r = region_del_grupo(s, *a);
	if (r->desde < 1 || r->hasta > s.n)
		return false; // a group cut by the spectrum's end is measured as its line alone
	linea_de_bordes(s.Li, *r, 0, &a->p[P_A], &a->p[P_B]);
	areas_de_inicio(s.Li, *g, 0, a);
	return sigue_grupo(s, a, r);
}

// The stops of a group, in channel order.
std::vector<long long> paradas_de(const Grupo &g)
{
	std::vector<long long> v = g.parada;
	std::sort(v.begin(), v.end());
	return v;
}

// The group as chained from each of its other stops, each with its own
// top's width: where that reaches other stops, the fit that holds best (by
// its p-value) is kept, so that which line of the group the cursor is on
// does not decide what the group is.
void mejor_arranque(const Suave &s, int c, Grupo *g, Ajuste *a, Region *r)
{
	std::vector<std::vector<long long>> probados{paradas_de(*g)};
	std::vector<long long> arranques = probados[0];
	for (long long q : arranques) {
		Cumbre t{q, 0, s};
		cumbre(&t);
		Grupo g2;
		Ajuste a2;
		Region r2{};
		if (!(t.fwhm > 0))
			continue;
		encadena(s, t.fwhm, static_cast<double>(q), 1, &g2);
		encadena(s, t.fwhm, static_cast<double>(q), -1, &g2);
		g2.parada.push_back(q);
		if (std::find(probados.begin(), probados.end(), paradas_de(g2)) != probados.end())
			continue;
		probados.push_back(paradas_de(g2));
		if (grupo_de_paradas(s, c, q, t.fwhm, &g2, &a2, &r2) && p_valor(a2) > p_valor(*a)) {
			*g = g2;
			*a = a2;
			*r = r2;
		}
	}
}

// The group of the line that mide_pico measured at the cursor (propia), or
// when that fits nothing, of a fitted neighbour whose group takes it in;
// fitted.  When the group cannot be fitted, the line alone: *solo.  False
// when there is none or no fit holds.
bool grupo_de_medida(const Suave &s, const MedidaPico &propia, Grupo *g, Ajuste *a, Region *r, bool *solo)
{
	MedidaPico semilla = propia.ajustado ? propia : vecina(s, propia);
	if (!semilla.ajustado)
		return false;
	*g = grupo_de(s, semilla);
	*a = inicio_del_grupo(s.Li, semilla, *g);
	*r = {semilla.desde, semilla.hasta};
	*solo = g->mu.size() == 1;
	if (!*solo && sigue_grupo(s, a, r))
		return true;
	*solo = true; // alone, or a group that cannot be fitted (cut by the spectrum's end): the line alone
	*g = Grupo{{propia.centroide}, {propia.cima}};
	*a = inicio_del_grupo(s.Li, propia, *g);
	*r = {propia.desde, propia.hasta};
	return propia.ajustado && ajusta_region(s, *r, a);
}

// A lone line whose region a neighbouring peak with no stop cut short (a
// weak line on a strong one's flank): that peak is tried as a line over the
// region the group would have without it, and kept when pide_linea holds.
bool prueba_vecinas(const Suave &s, Region *r, Ajuste *a)
{
	Region ancha = region_del_grupo(s, *a);
	Ajuste una = *a;
	if (ancha == *r || !ajusta_region(s, ancha, &una))
		return false;
	for (int paso : {-1, 1}) {
		long long v = vecino(s, ancha, una, paso);
		if (v == 0)
			continue;
		double x = static_cast<double>(v);
		double sobre =
		    s.en(v) - fondo_en(una, x) - una.p[P_AREA] * fraccion(x, una.p[P_MU], una.p[P_SIGMA]);
		Ajuste b = con_otra_linea(una, x, std::max(1.0, sobre * RAIZ_2PI * una.p[P_SIGMA]));
		if (ajusta_region(s, ancha, &b) && pide_linea(s, ancha, una, b)) {
			*a = b;
			*r = ancha;
			return true;
		}
	}
	return false;
}

} // namespace

// The group the line at the cursor belongs to, then the lines and the
// background that the likelihood ratio asks for.
MedidaMultiplete mide_multiplete(const float *Li, int n, int c, const FondoRestado *fondo)
{
	gsl_set_error_handler_off();
	c = std::clamp(c, 1, n);
	Suave s{Li, n, SUAVIZADO, fondo};
	long long parada = pico_cercano_en(Li, n, c, CERCA_MAXIMA, fondo);
	Cumbre t{parada, 0, s};
	if (parada != 0)
		cumbre(&t);
	Paradas conocidas;
	if (t.fwhm > 0) {
		double alcance = CONOCIDAS_FWHM * t.fwhm;
		conocidas = paradas_en(Li, n, fondo, canal(parada - alcance), canal(parada + alcance));
		s.paradas = &conocidas;
	}
	Grupo g;
	Ajuste a;
	Region r{};
	MedidaPico propia;
	bool solo = false;
	if (grupo_de_paradas(s, c, parada, t.fwhm, &g, &a, &r))
		mejor_arranque(s, c, &g, &a, &r);
	else {
		propia = mide_pico(Li, n, c, fondo);
		if (!grupo_de_medida(s, propia, &g, &a, &r, &solo))
			return propia.ajustado ? sola(propia, Ajuste{}) : debil(s, c, propia);
	}
	if (solo)
		prueba_vecinas(s, &r, &a);
	prueba_cuadratico(s, r, &a);
	prueba_forma(s, r, &a, true);
	while (prueba_linea(s, &r, &a))
		continue;
	prueba_forma(s, r, &a, false);
	if (!quita_dudosas(s, r, &a, &g))
		return sola(mide_pico(Li, n, c, fondo), Ajuste{});
	if (solo && a.forma.lineas == 1 && !a.forma.cuadratico && a.forma.simple())
		return sola(propia, a);
	if (a.forma.simple())
		quita_sesgo(s, r, &a);
	MedidaMultiplete mm = del_grupo(a, r);
	filas(Li, n, a, r, g, &mm);
	mm.cercana = la_mas_cercana(mm, c);
	return mm;
}

namespace {

// Line l's counts in channel c, its tail's and its step's with it.
double de_linea(const MedidaMultiplete &m, const MedidaPico &l, double c)
{
	double t = c - l.centroide, s = m.sigma, total = l.area * fraccion(c, l.centroide, s);
	if (m.cola) {
		double beta = m.pendiente_cola * s;
		total +=
		    l.area * m.fraccion_cola * (cola_hasta(t + 0.5, s, beta) - cola_hasta(t - 0.5, s, beta));
	}
	if (m.escalon) {
		double alto = escalon_hasta(t + 0.5, s, std::erf((t + 0.5) / (s * M_SQRT2)));
		double bajo = escalon_hasta(t - 0.5, s, std::erf((t - 0.5) / (s * M_SQRT2)));
		total += m.altura_escalon * l.area / (RAIZ_2PI * s) * (alto - bajo);
	}
	return total;
}

double fondo_de(const MedidaMultiplete &m, double c)
{
	double u = c - m.origen;
	return m.fondo_a + m.fondo_b * c + m.fondo_c * u * u;
}

} // namespace

double cuentas_de_linea(const MedidaMultiplete &m, int i, double c)
{
	return fondo_de(m, c) + de_linea(m, m.lineas[static_cast<size_t>(i)], c);
}

double cuentas_ajustadas(const MedidaMultiplete &m, double c)
{
	double total = fondo_de(m, c);
	for (const MedidaPico &l : m.lineas)
		total += de_linea(m, l, c);
	return total;
}
