// The calibration line through measured lines of known wavelength, their
// residuals, and a measure carried over to a mirrored spectrum.  Start at
// recta_calibracion.
#include <gsl/gsl_errno.h>
#include <gsl/gsl_fit.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analisis.h"

namespace {

bool hay_canal_repetido(const PuntoCalibracion *p, size_t n)
{
	std::vector<double> canales(n);
	for (size_t i = 0; i < n; i++)
		canales[i] = p[i].canal;
	std::sort(canales.begin(), canales.end());
	return std::adjacent_find(canales.begin(), canales.end()) != canales.end();
}

} // namespace

// The fit runs on channels less their mean; the line is then put in the
// program's form, whose offset is the mean wavelength's channel.
AjusteCalibracion recta_calibracion(const PuntoCalibracion *p, size_t n)
{
	AjusteCalibracion r;
	if (n < 2)
		return r; // pocos_puntos
	if (hay_canal_repetido(p, n)) {
		r.fallo = FalloRecta::mismo_canal;
		return r;
	}
	std::vector<double> x(n), y(n);
	for (size_t i = 0; i < n; i++) {
		x[i] = p[i].canal;
		y[i] = p[i].longitud;
	}
	double a, pendiente;
	bool recta = recta_minimos_cuadrados(x.data(), y.data(), n, &a, &pendiente);
	r.cal = {pendiente, a / pendiente};
	bool con_pendiente = recta && pendiente != 0 && std::isfinite(r.cal.al) && std::isfinite(r.cal.bl);
	r.fallo = con_pendiente ? FalloRecta::ninguno : FalloRecta::sin_pendiente;
	return r;
}

// The fit runs on x less its mean, where it is best conditioned.  Rows'
// indices have their sums in closed form.
bool recta_minimos_cuadrados(const double *x, const double *v, size_t n, double *a, double *b)
{
	if (n < 2)
		return false;
	double suma_v = 0, suma_x = 0;
	for (size_t i = 0; i < n; i++) {
		suma_v += v[i];
		suma_x += x ? x[i] : 0;
	}
	double media_v = suma_v / double(n), media_x = x ? suma_x / double(n) : (double(n) - 1) / 2;
	if (x) {
		std::vector<double> centrada(n);
		for (size_t i = 0; i < n; i++)
			centrada[i] = x[i] - media_x;
		double c0, cov00, cov01, cov11, sumsq;
		if (gsl_fit_linear(centrada.data(), 1, v, 1, n, &c0, b, &cov00, &cov01, &cov11, &sumsq) !=
		    GSL_SUCCESS)
			return false;
		*a = c0 - *b * media_x;
	} else {
		double sxv = 0, di = 0; // the index as a double, counted rather than converted
		for (size_t i = 0; i < n; i++, di++)
			sxv += (di - media_x) * (v[i] - media_v);
		*b = sxv / (double(n) * (double(n) * double(n) - 1) / 12); // over the sum of (i - media)^2
		*a = media_v - *b * media_x;
	}
	return std::isfinite(*a) && std::isfinite(*b);
}

double residuo(const Calibracion &cal, const PuntoCalibracion &p)
{
	return p.longitud - longitud_en(cal, p.canal);
}

double rms_residuos(const Calibracion &cal, const PuntoCalibracion *p, size_t n)
{
	if (n == 0)
		return 0;
	double suma = 0;
	for (size_t i = 0; i < n; i++)
		suma += residuo(cal, p[i]) * residuo(cal, p[i]);
	return std::sqrt(suma / static_cast<double>(n));
}

MedidaPico reflejada(const MedidaPico &m, int n)
{
	MedidaPico r = m;
	double espejo = static_cast<double>(n) + 1;
	r.cima = n + 1 - m.cima;
	r.desde = n + 1 - m.hasta;
	r.hasta = n + 1 - m.desde;
	r.centroide = espejo - m.centroide;
	// The background line a + b c, with c = n + 1 - c'.
	r.fondo_a = m.fondo_a + m.fondo_b * espejo;
	r.fondo_b = -m.fondo_b;
	return r;
}
