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

RectaCalibracion recta_calibracion(const PuntoCalibracion *p, size_t n)
{
	RectaCalibracion r;
	if (n < 2)
		return r; // pocos_puntos
	if (hay_canal_repetido(p, n)) {
		r.fallo = FalloRecta::mismo_canal;
		return r;
	}
	double suma = 0;
	for (size_t i = 0; i < n; i++)
		suma += p[i].canal;
	r.canal_medio = suma / static_cast<double>(n);
	std::vector<double> x(n), y(n);
	for (size_t i = 0; i < n; i++) {
		x[i] = p[i].canal - r.canal_medio;
		y[i] = p[i].longitud;
	}
	double cov00, cov01, cov11, sumsq;
	gsl_fit_linear(x.data(), 1, y.data(), 1, n, &r.longitud_media, &r.pendiente, &cov00, &cov01, &cov11,
	               &sumsq);
	bool con_pendiente =
	    r.pendiente != 0 && std::isfinite(r.pendiente) && std::isfinite(r.longitud_media);
	r.fallo = con_pendiente ? FalloRecta::ninguno : FalloRecta::sin_pendiente;
	return r;
}

double longitud_en_recta(const RectaCalibracion &r, double canal)
{
	return r.longitud_media + r.pendiente * (canal - r.canal_medio);
}

double residuo(const RectaCalibracion &r, const PuntoCalibracion &p)
{
	return p.longitud - longitud_en_recta(r, p.canal);
}

double rms_residuos(const RectaCalibracion &r, const PuntoCalibracion *p, size_t n)
{
	if (n == 0)
		return 0;
	double suma = 0;
	for (size_t i = 0; i < n; i++)
		suma += residuo(r, p[i]) * residuo(r, p[i]);
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
