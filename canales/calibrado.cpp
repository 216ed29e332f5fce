// The calibration of the loaded spectrum: setting it (from two points, from
// the least-squares line through the calibration points, or as read), and
// turning the spectrum end for end when it falls, with everything tied to its
// channels.  Start at fija_calibracion.
#include <algorithm>
#include <cmath>
#include <utility>

#include "canales.h"

namespace {

constexpr double TOLERANCIA_DOS_PUNTOS = 1e-3; // channels

// Whether a value is held exactly in single precision.
bool es_simple(double v)
{
	return static_cast<double>(static_cast<float>(v)) == v;
}

// The offset that keeps each sample's wavelength once channel c is channel
// n + 1 - c.  A calibration held in single precision (two points, a file)
// stays in single precision, as it always was; a fitted one stays whole.
double bl_espejado(double b, int n, bool simple)
{
	double nuevo = -b - n - 1;
	return simple ? static_cast<double>(static_cast<float>(nuevo)) : nuevo;
}

// Whether cal puts both points within a thousandth of a channel of their
// wavelengths.  A float holds the line as it always was but on a range too
// narrow for its offset (0.1 nm at 500 nm over 2048 channels), where it is
// held whole instead.
bool pasa_por(const Calibracion &cal, int c1, float l1, int c2, float l2)
{
	double paso = std::fabs(cal.al) * TOLERANCIA_DOS_PUNTOS;
	return std::fabs(longitud_en(cal, c1) - l1) <= paso && std::fabs(longitud_en(cal, c2) - l2) <= paso;
}

} // namespace

Calibracion calibracion()
{
	return sesion.espectro.cal;
}

float longitud_de_onda(double c)
{
	return static_cast<float>(longitud_en(calibracion(), c));
}

bool fija_calibracion(const Calibracion &cal)
{
	sesion.espectro.cal = cal;
	if (al < 0 && nptL > 0)
		return espeja();
	return reproyecta_fondo();
}

bool calibra_dos_puntos(int c1, float l1, int c2, float l2)
{
	if (c1 == c2)
		return true;
	float a = static_cast<float>((static_cast<double>(l2) - l1) / (c2 - c1));
	// No slope leaves no offset; bl would be a division by zero.
	float b = a != 0 ? static_cast<float>(static_cast<double>(l1) / static_cast<double>(a) - c1) : 0.0f;
	Calibracion cal{a, b};
	if (a != 0 && !pasa_por(cal, c1, l1, c2, l2)) {
		cal.al = (static_cast<double>(l2) - l1) / (c2 - c1);
		cal.bl = l1 / cal.al - c1;
	}
	conocidas.clear(); // the marks stay, as plain measured peaks
	return fija_calibracion(cal);
}

bool espeja()
{
	for (int i = 1; i <= nptL / 2; i++)
		std::swap(Li[i], Li[nptL + 1 - i]);
	version_muestras++;
	bool simple = es_simple(al) && es_simple(bl);
	al = -al;
	bl = bl_espejado(bl, nptL, simple);
	espeja_curva(sesion.espectro.cal, nptL);
	ch_i = 1;
	ch_f = nptL;
	ch_c = nptL - ch_c + 1;
	espejado = !espejado;
	for (MedidaPico &p : picos) // the marks, and the calibration points with them
		p = reflejada(p, nptL);
	return reproyecta_fondo();
}

const PicoConocido *conocida_de(size_t pico)
{
	for (const PicoConocido &k : conocidas)
		if (k.pico == pico)
			return &k;
	return nullptr;
}

void anota_conocida(size_t pico, bool usar, float longitud)
{
	conocidas.erase(std::remove_if(conocidas.begin(), conocidas.end(),
	                               [pico](const PicoConocido &k) { return k.pico == pico; }),
	                conocidas.end());
	if (usar)
		conocidas.push_back({pico, longitud});
}

std::vector<PuntoCalibracion> puntos_calibracion()
{
	std::vector<PuntoCalibracion> p;
	for (const PicoConocido &k : conocidas)
		p.push_back({posicion(picos[k.pico]), k.longitud});
	std::sort(p.begin(), p.end(),
	          [](const PuntoCalibracion &a, const PuntoCalibracion &b) { return a.canal < b.canal; });
	return p;
}

AjusteCalibracion calibra_con_conocidas(bool *con_fondo)
{
	std::vector<PuntoCalibracion> p = puntos_calibracion();
	AjusteCalibracion r = recta_calibracion(p.data(), p.size());
	if (r.fallo == FalloRecta::ninguno)
		*con_fondo = fija_calibracion(r.cal);
	return r;
}
