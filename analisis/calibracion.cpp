// The calibration line through measured lines of known wavelength, their
// residuals, and a measure carried over to a mirrored spectrum.  Start at
// recta_calibracion.
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
	double suma = 0;
	for (size_t i = 0; i < n; i++)
		suma += p[i].canal;
	double canal_medio = suma / static_cast<double>(n);
	std::vector<double> x(n), y(n);
	for (size_t i = 0; i < n; i++) {
		x[i] = p[i].canal - canal_medio;
		y[i] = p[i].longitud;
	}
	double longitud_media, pendiente, cov00, cov01, cov11, sumsq;
	gsl_fit_linear(x.data(), 1, y.data(), 1, n, &longitud_media, &pendiente, &cov00, &cov01, &cov11,
	               &sumsq);
	r.cal = {pendiente, longitud_media / pendiente - canal_medio};
	bool con_pendiente = pendiente != 0 && std::isfinite(r.cal.al) && std::isfinite(r.cal.bl);
	r.fallo = con_pendiente ? FalloRecta::ninguno : FalloRecta::sin_pendiente;
	return r;
}

double longitud_en(const Calibracion &cal, double canal)
{
	return (canal + cal.bl) * cal.al;
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
