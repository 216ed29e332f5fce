// What the instruments' newer formats share: an energy calibration given as
// a polynomial in the file's channel, and a time written as an ISO 8601
// duration.  Start at calibra_polinomio.
#include <cmath>
#include <cstdio>

#include "formatos.h"

namespace {

constexpr double DESPLAZAMIENTO_MAXIMO = 0.1; // channels the higher terms may shift unnoticed
constexpr double SEGUNDOS_DIA = 86400, SEGUNDOS_HORA = 3600, SEGUNDOS_MINUTO = 60;

// How far, in channels, the terms past the linear one move the channel ch.
double desplazamiento(const double *coef, int n, double ch)
{
	double resto = 0;
	for (int k = n - 1; k >= 2; k--)
		resto = (resto + coef[k]) * ch;
	return std::fabs(resto * ch / coef[1]);
}

} // namespace

void calibra_polinomio(Lectura &l, const double *coef, int n, double primero, int canales)
{
	if (n < 2 || !(coef[1] != 0) || !std::isfinite(coef[0]) || !std::isfinite(coef[1]))
		return;
	double mayor = 0;
	for (int i = 0; i < canales; i++)
		mayor = std::fmax(mayor, desplazamiento(coef, n, primero + i));
	calibracion_lineal(l, coef[0], coef[1], primero);
	if (!(mayor <= DESPLAZAMIENTO_MAXIMO) && !l.nota[0])
		std::snprintf(l.nota, sizeof l.nota,
		              "su calibración de energía tiene términos no lineales que mueven algún canal "
		              "%.3g canales: se toma su parte lineal",
		              mayor);
}

double duracion_iso(const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	if (ini == fin || *ini != 'P')
		return 0;
	double total = 0;
	bool tras_t = false;
	for (const char *p = ini + 1; p < fin;) {
		if (*p == 'T') {
			tras_t = true;
			p++;
			continue;
		}
		float v;
		size_t usados = lee_float_como_scanf(p, fin, &v);
		if (usados == 0 || p + usados >= fin)
			return 0;
		p += usados;
		char unidad = *p++;
		double escala = unidad == 'D'             ? SEGUNDOS_DIA
		                : unidad == 'H'           ? SEGUNDOS_HORA
		                : unidad == 'M' && tras_t ? SEGUNDOS_MINUTO
		                : unidad == 'S'           ? 1
		                                          : -1;
		if (escala < 0 || !(v >= 0))
			return 0;
		total += v * escala;
	}
	return std::isfinite(total) ? total : 0;
}
