// A background spectrum brought onto the channels of the spectrum it is
// compared with.  A background channel's interval lands on an interval of
// the spectrum's channel axis (through a straight map when both calibrations
// are lines, else through each edge's wavelength), and one walk through the
// background, with its target channels advancing with it, shares every count
// out by overlap.  Start at proyecta_fondo.
#include "analisis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Channel c of a spectrum covers [c - 1/2, c + 1/2) of its channel axis.
constexpr double MEDIO_CANAL = 0.5;

// Where a background channel edge lands on the spectrum's channel axis:
// x = pendiente * borde + origen.
struct Recta {
	double pendiente, origen;
};

// The background's channel axis in the spectrum's, through the wavelength:
// (e + bf) * af is the wavelength of background position e, and the
// spectrum's position of a wavelength w is w / a - b.
Recta recta_entre(const Calibracion &fondo, const Calibracion &espectro)
{
	double p = fondo.al / espectro.al;
	return {p, fondo.bl * p - espectro.bl};
}

// Adds v spread evenly over [x0, x1) of the spectrum's axis to suma[1..n];
// a channel still NaN (nothing reached it yet) starts from 0.
void reparte(double v, double x0, double x1, int n, std::vector<double> &suma)
{
	double largo = x1 - x0;
	double desde = std::max(1.0, std::floor(x0 + MEDIO_CANAL));
	double hasta = std::min(static_cast<double>(n), std::floor(x1 + MEDIO_CANAL));
	if (!(desde <= hasta)) // off the spectrum, or not a number
		return;
	for (long long c = static_cast<long long>(desde); c <= static_cast<long long>(hasta); c++) {
		double solape = std::min(x1, c + MEDIO_CANAL) - std::max(x0, c - MEDIO_CANAL);
		if (solape <= 0)
			continue;
		if (std::isnan(suma[c]))
			suma[c] = 0;
		suma[c] += largo > 0 ? v * (solape / largo) : v;
	}
}

} // namespace

std::vector<float> proyecta_fondo(const float *F, int m, const Calibracion &cal_fondo, int n,
                                  const Calibracion &cal_espectro, bool invertido)
{
	std::vector<double> suma(static_cast<size_t>(n) + 1, std::numeric_limits<double>::quiet_NaN());
	bool por_longitud = cal_fondo.al != 0 && cal_espectro.al != 0;
	Recta por_canal = invertido ? Recta{-1, static_cast<double>(n) + 1} : Recta{1, 0};
	Recta r = por_longitud ? recta_entre(cal_fondo, cal_espectro) : por_canal;
	bool rectas =
	    cal_fondo.forma == FormaCalibracion::recta && cal_espectro.forma == FormaCalibracion::recta;
	auto borde = [&](double e) {
		return por_longitud && !rectas ? canal_de(cal_espectro, longitud_en(cal_fondo, e))
		                               : r.pendiente * e + r.origen;
	};
	for (int k = 1; k <= m; k++) {
		if (!std::isfinite(F[k]))
			continue;
		double a = borde(k - MEDIO_CANAL);
		double b = borde(k + MEDIO_CANAL);
		reparte(static_cast<double>(F[k]), std::min(a, b), std::max(a, b), n, suma);
	}
	return std::vector<float>(suma.begin(), suma.end());
}
