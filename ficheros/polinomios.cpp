// What the instruments' newer formats share: an energy calibration given as
// a polynomial in the file's channel, and a time written as an ISO 8601
// duration.  Start at calibra_polinomio.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "formatos.h"

namespace {

constexpr double FALLO_MAXIMO_X = 0.1; // steps an x may miss its line and still calibrate
constexpr double DIEZ = 10;
constexpr double MAX_EXPONENTE = 400; // past any double's range
constexpr double SEGUNDOS_SEMANA = 604800, SEGUNDOS_DIA = 86400, SEGUNDOS_HORA = 3600, SEGUNDOS_MINUTO = 60;
constexpr double SIN_ESCALA = -1; // years and months: no fixed number of seconds

// Digits from p: their value into *v (times 10 for each), how many.
size_t cifras(const char *p, const char *fin, double *v, int *cuantas)
{
	const char *q = p;
	for (; q < fin && std::isdigit(static_cast<unsigned char>(*q)); q++)
		*v = *v * DIEZ + (*q - '0');
	*cuantas = int(q - p);
	return size_t(q - p);
}

// An exponent e±dd at p: its value into *e, the bytes it takes (0: none).
size_t exponente(const char *p, const char *fin, int *e)
{
	if (p == fin || (*p != 'e' && *p != 'E'))
		return 0;
	const char *q = p + 1;
	bool menos = q < fin && *q == '-';
	q += q < fin && (*q == '-' || *q == '+');
	double v = 0;
	int n;
	q += cifras(q, fin, &v, &n);
	*e = int(std::fmin(v, MAX_EXPONENTE)) * (menos ? -1 : 1);
	return n > 0 ? size_t(q - p) : 0;
}

// Seconds in one of a duration's units (M is minutes after T, months
// before); SIN_ESCALA for years and months, 0 for no unit.
double escala_iso(char unidad, bool tras_t)
{
	switch (unidad) {
	case 'Y':
		return SIN_ESCALA;
	case 'M':
		return tras_t ? SEGUNDOS_MINUTO : SIN_ESCALA;
	case 'W':
		return SEGUNDOS_SEMANA;
	case 'D':
		return SEGUNDOS_DIA;
	case 'H':
		return SEGUNDOS_HORA;
	case 'S':
		return 1;
	default:
		return 0;
	}
}

} // namespace

size_t lee_decimal(const char *p, const char *fin, double *v)
{
	const char *q = p;
	bool menos = q < fin && *q == '-';
	q += q < fin && (*q == '-' || *q == '+');
	double m = 0;
	int enteras, decimales = 0;
	q += cifras(q, fin, &m, &enteras);
	if (q < fin && *q == '.')
		q += 1 + cifras(q + 1, fin, &m, &decimales);
	if (enteras + decimales == 0)
		return 0;
	int e = 0;
	q += exponente(q, fin, &e);
	e -= decimales;
	double con_signo = menos ? -m : m; // dividing by an exact 10^k rounds once
	*v = e < 0 ? con_signo / std::pow(DIEZ, -e) : con_signo * std::pow(DIEZ, e);
	return size_t(q - p);
}

namespace {

// How far the farthest x[i] lies from a + b·k[i].
double fallo_en(const double *x, size_t n, const double *k, double a, double b)
{
	double fallo = 0;
	for (size_t i = 0; i < n; i++)
		fallo = std::fmax(fallo, std::fabs(x[i] - (a + b * k[i])));
	return fallo;
}

// The same with k = i, the rows of a table that may hold 10^7: four at once
// (the largest is the same in any order), the index counted as a double.
double fallo_por_filas(const double *x, size_t n, double a, double b)
{
	constexpr int CARRILES = 4;
	double m[CARRILES] = {}, di = 0;
	size_t i = 0;
	for (; i + CARRILES <= n; i += CARRILES, di += CARRILES)
		for (int c = 0; c < CARRILES; c++)
			m[c] = std::max(m[c], std::fabs(x[i + c] - (a + b * (di + c))));
	for (; i < n; i++, di++)
		m[0] = std::max(m[0], std::fabs(x[i] - (a + b * di)));
	return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

} // namespace

// A curve that turns back, or terms that cannot be used, leave the linear
// part, as a file without the higher terms would have been read.
void calibra_polinomio(Lectura &l, const double *coef, int n, double primero, int canales)
{
	if (n < 2 || !(coef[1] != 0) || !std::isfinite(coef[0]) || !std::isfinite(coef[1]))
		return;
	int giro = 0;
	Calibracion curva = calibracion_polinomica(coef, n, primero, canales, &giro);
	if (giro == 0) {
		l.cal = curva;
		return;
	}
	calibracion_lineal(l, coef[0], coef[1], primero);
	if (l.nota[0] || canales < 2)
		return;
	if (giro > 0)
		std::snprintf(
		    l.nota, sizeof l.nota,
		    "su calibración de energía vuelve atrás en el canal %d: se toma su parte lineal", giro);
	else
		std::snprintf(
		    l.nota, sizeof l.nota,
		    "su calibración de energía tiene términos que no son números finitos o más de %d: "
		    "se toma su parte lineal",
		    GRADO_MAXIMO + 1);
}

// An x that misses its line but never turns back is the table it is.
void calibra_x(Lectura &l, const double *x, size_t n, const double *k, double holgura)
{
	double a, b;
	if (!recta_minimos_cuadrados(k, x, n, &a, &b))
		return;
	double fallo = k ? fallo_en(x, n, k, a, b) : fallo_por_filas(x, n, a, b);
	if (b != 0 && std::isfinite(fallo) && fallo <= FALLO_MAXIMO_X * std::fabs(b) + holgura) {
		calibracion_lineal(l, a, b, 0);
		return;
	}
	int giro = -1;
	Calibracion tabla = k ? Calibracion() : calibracion_de_tabla(std::vector<double>(x, x + n), &giro);
	if (giro == 0)
		l.cal = tabla;
	else
		l.desvio_x = b != 0 ? fallo / std::fabs(b) : HUGE_VAL;
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
		double v;
		size_t usados = lee_decimal(p, fin, &v);
		if (usados == 0 || p + usados >= fin)
			return 0;
		p += usados;
		double escala = escala_iso(*p++, tras_t);
		if (escala == SIN_ESCALA && v == 0)
			continue; // P0Y0M…: no years nor months, which have no fixed length
		if (escala <= 0 || !(v >= 0))
			return 0;
		total += v * escala;
	}
	return std::isfinite(total) ? total : 0;
}
