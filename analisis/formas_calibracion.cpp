// The three forms of a calibration (a line, a polynomial in the channel, a
// table of one wavelength per channel): the wavelength and the dispersion at
// any channel, the channel of a wavelength, a curve's best line and the
// check that it never turns back.  Start at longitud_en.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "analisis.h"

namespace {

constexpr int PUNTOS_LAGRANGE = 4;         // a cubic between samples
constexpr size_t MAX_PUNTOS_RECTA = 65536; // where a polynomial's best line is fitted
constexpr int MAX_AMPLIACIONES = 200;      // doublings of a bracket around a wavelength
constexpr int MAX_BISECCIONES = 200;

// The polynomial's value at u, and its derivative with respect to u.
double horner(const Calibracion &cal, double u)
{
	double v = 0;
	for (int k = cal.grado; k >= 0; k--)
		v = v * u + cal.coef[k];
	return v;
}

double derivada_horner(const Calibracion &cal, double u)
{
	double v = 0;
	for (int k = cal.grado; k >= 1; k--)
		v = v * u + k * cal.coef[k];
	return v;
}

// The samples the cubic at channel c goes through: the first (0-based) and how many.
std::pair<long long, int> ventana_lagrange(long long n, double canal)
{
	int m = static_cast<int>(std::min<long long>(PUNTOS_LAGRANGE, n));
	long long i = static_cast<long long>(std::floor(canal)) - 2; // channel floor(c) - 1, 0-based
	return {std::clamp<long long>(i, 0, n - m), m};
}

// The interpolating polynomial through the window's samples at channel c
// (sample j at channel j + 1): its value, or with derivada its slope.
double lagrange(const std::vector<double> &x, double canal, bool derivada)
{
	auto [j0, m] = ventana_lagrange(static_cast<long long>(x.size()), canal);
	double t = canal - 1 - static_cast<double>(j0); // the window's own abscissa, 0..m-1
	double suma = 0;
	for (int j = 0; j < m; j++) {
		double denominador = 1, producto = 1, pendiente = 0;
		for (int k = 0; k < m; k++)
			if (k != j) {
				denominador *= j - k;
				pendiente = pendiente * (t - k) + producto;
				producto *= t - k;
			}
		suma += x[static_cast<size_t>(j0 + j)] * (derivada ? pendiente : producto) / denominador;
	}
	return suma;
}

double longitud_tabla(const std::vector<double> &x, double canal)
{
	double n = static_cast<double>(x.size());
	if (canal >= 1 && canal <= n && canal == std::floor(canal))
		return x[static_cast<size_t>(canal) - 1];
	if (canal < 1)
		return x[0] + (canal - 1) * (x[1] - x[0]);
	if (canal > n)
		return x.back() + (canal - n) * (x.back() - x[x.size() - 2]);
	return lagrange(x, canal, false);
}

double dispersion_tabla(const std::vector<double> &x, double canal)
{
	if (canal < 1)
		return x[1] - x[0];
	if (canal > static_cast<double>(x.size()))
		return x.back() - x[x.size() - 2];
	return lagrange(x, canal, true);
}

// The channel in [lo, hi], whose wavelengths bracket t, where the curve
// reaches t: halved until the bracket holds no double between its ends.
double biseca(const Calibracion &cal, double t, double lo, double hi)
{
	bool sube = longitud_en(cal, hi) >= longitud_en(cal, lo);
	for (int i = 0; i < MAX_BISECCIONES; i++) {
		double medio = lo + (hi - lo) / 2;
		if (medio <= lo || medio >= hi)
			break;
		if ((longitud_en(cal, medio) < t) == sube)
			lo = medio;
		else
			hi = medio;
	}
	return std::fabs(longitud_en(cal, lo) - t) <= std::fabs(longitud_en(cal, hi) - t) ? lo : hi;
}

// The sample interval of a table that holds t: binary search either way.
double canal_tabla(const Calibracion &cal, double t)
{
	const std::vector<double> &x = *cal.x;
	bool sube = x.back() > x[0];
	auto antes = [sube](double a, double b) { return sube ? a < b : a > b; };
	if (antes(t, x[0]))
		return 1 + (t - x[0]) / (x[1] - x[0]);
	if (antes(x.back(), t))
		return static_cast<double>(x.size()) + (t - x.back()) / (x.back() - x[x.size() - 2]);
	size_t j = static_cast<size_t>(std::upper_bound(x.begin(), x.end(), t, antes) - x.begin());
	j = std::clamp<size_t>(j, 1, x.size() - 1); // x[j - 1] <= t < x[j]: channels j and j + 1
	return biseca(cal, t, static_cast<double>(j), static_cast<double>(j) + 1);
}

// A polynomial's channel of t: its bracket grown from the best line's guess.
double canal_polinomio(const Calibracion &cal, double t)
{
	double guia = t / cal.al - cal.bl;
	if (!std::isfinite(guia))
		return guia;
	double lo = guia, hi = guia, paso = 1;
	bool sube = cal.al > 0;
	for (int i = 0; i < MAX_AMPLIACIONES; i++, paso *= 2) {
		if ((longitud_en(cal, lo) > t) == sube)
			lo -= paso;
		else if ((longitud_en(cal, hi) < t) == sube)
			hi += paso;
		else
			return biseca(cal, t, lo, hi);
	}
	return guia;
}

// The least-squares line through the wavelengths at the channels c[i], put
// in the program's form.
void recta_de(Calibracion &cal, const std::vector<double> &c)
{
	std::vector<double> v(c.size());
	for (size_t i = 0; i < c.size(); i++)
		v[i] = longitud_en(cal, c[i]);
	double a, b;
	bool hay = recta_minimos_cuadrados(c.data(), v.data(), c.size(), &a, &b) && b != 0;
	cal.al = hay ? b : 0;
	cal.bl = hay ? a / b : 0;
}

// The first channel of 1..n where the wavelength stops going the way it
// starts (or stands still), or a polynomial's dispersion does; 0 when it
// never does.
int primer_giro(const Calibracion &cal, int n)
{
	double anterior = longitud_en(cal, 1), sentido = longitud_en(cal, 2) - anterior;
	if (!(sentido != 0) || !std::isfinite(anterior))
		return 1;
	for (int c = 2; c <= n; c++) {
		double v = longitud_en(cal, c);
		bool derivada =
		    cal.forma != FormaCalibracion::polinomio || dispersion_en(cal, c) * sentido > 0;
		if (!((v - anterior) * sentido > 0) || !derivada)
			return c;
		anterior = v;
	}
	return 0;
}

} // namespace

double longitud_en(const Calibracion &cal, double canal)
{
	switch (cal.forma) {
	case FormaCalibracion::polinomio:
		return horner(cal, cal.signo * canal + cal.origen);
	case FormaCalibracion::tabla:
		return longitud_tabla(*cal.x, canal);
	default:
		return (canal + cal.bl) * cal.al;
	}
}

double dispersion_en(const Calibracion &cal, double canal)
{
	switch (cal.forma) {
	case FormaCalibracion::polinomio:
		return cal.signo * derivada_horner(cal, cal.signo * canal + cal.origen);
	case FormaCalibracion::tabla:
		return dispersion_tabla(*cal.x, canal);
	default:
		return cal.al;
	}
}

double canal_de(const Calibracion &cal, double longitud)
{
	switch (cal.forma) {
	case FormaCalibracion::polinomio:
		return canal_polinomio(cal, longitud);
	case FormaCalibracion::tabla:
		return canal_tabla(cal, longitud);
	default:
		return longitud / cal.al - cal.bl;
	}
}

Calibracion calibracion_polinomica(const double *coef, int n, double primero, int canales, int *giro)
{
	Calibracion cal;
	*giro = -1;
	while (n > 0 && coef[n - 1] == 0)
		n--;
	if (n > GRADO_MAXIMO + 1 || n < 2 || canales < 2 ||
	    !std::all_of(coef, coef + n, [](double v) { return std::isfinite(v); }))
		return cal;
	cal.forma = FormaCalibracion::polinomio;
	cal.grado = n - 1;
	std::copy(coef, coef + n, cal.coef);
	cal.origen = primero - 1;
	size_t m = std::min<size_t>(static_cast<size_t>(canales), MAX_PUNTOS_RECTA);
	std::vector<double> c(m);
	for (size_t i = 0; i < m; i++)
		c[i] = 1 + static_cast<double>(i) * (canales - 1) / static_cast<double>(m - 1);
	recta_de(cal, c);
	*giro = primer_giro(cal, canales);
	if (cal.grado == 1) // a line, held as the readers always held one
		cal = Calibracion{coef[1], coef[0] / coef[1] + primero - 1};
	return cal;
}

Calibracion calibracion_de_tabla(std::vector<double> x, int *giro)
{
	Calibracion cal;
	*giro = -1;
	if (x.size() < 2 || x.size() > static_cast<size_t>(std::numeric_limits<int>::max()) ||
	    !std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
		return cal;
	double a, b;
	if (!recta_minimos_cuadrados(nullptr, x.data(), x.size(), &a, &b) || b == 0)
		return cal;
	cal.forma = FormaCalibracion::tabla;
	cal.al = b;
	cal.bl = a / b - 1; // row i is channel i + 1
	int n = static_cast<int>(x.size());
	cal.x = std::make_shared<const std::vector<double>>(std::move(x));
	*giro = primer_giro(cal, n);
	return cal;
}

int giro_de(const Calibracion &cal, int canales)
{
	return canales < 2 ? 0 : primer_giro(cal, canales);
}

void espeja_curva(Calibracion &cal, int n)
{
	if (cal.forma == FormaCalibracion::polinomio) {
		cal.origen += cal.signo * (static_cast<double>(n) + 1);
		cal.signo = -cal.signo;
	} else if (cal.forma == FormaCalibracion::tabla) {
		cal.x = std::make_shared<const std::vector<double>>(cal.x->rbegin(), cal.x->rend());
	}
}
