// Wavelength calibration.  The "Calibrar" command: two dialogs, each taking
// the cursor channel and a known wavelength, then al and bl from the two
// points; navigation stays on while they are open, so the cursor can be
// placed on a line.  The calibration from many lines: the measured peaks
// that the "Pico" dialog gave a known wavelength (conocidas), the
// least-squares line through them and its residuals.  Start at
// comando_calibra, then calibra_con_picos.
#include "calibra.h"

#include <algorithm>
#include <cstdio>

#include "adime.h"
#include "estado.h"
#include "fondo.h"
#include "medidas.h"
#include "navega.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;
constexpr int TAM_TITULO = 64;

// Asks for the wavelength at the cursor and takes the cursor's channel as OK
// is pressed.  False on Cancel.
bool pide_punto(const Dialogo &d, float *lambda, int *canal)
{
	if (adime_dialogf(d.titulo, d.x, d.y, d.ancho_campo, d.formato, lambda) != RESULTADO_OK)
		return false;
	*canal = ch_c;
	return true;
}

} // namespace

void fija_calibracion(double pendiente, double canal, double longitud)
{
	al = static_cast<float>(pendiente);
	// No slope leaves no offset; bl would be a division by zero.
	bl = al != 0 ? static_cast<float>(longitud / static_cast<double>(al) - canal) : 0.0f;
	actualiza_fondo(false); // a background goes by wavelength
}

void calibra_dos_puntos(int c1, float l1, int c2, float l2)
{
	if (c1 == c2)
		return;
	fija_calibracion((static_cast<double>(l2) - l1) / (c2 - c1), c1, l1);
}

int comando_calibra()
{
	// Navigation alone: browsing to another file under an open calibration
	// would pair its points with the wrong spectrum.
	activa_navegacion();
	float l1 = 0, l2 = 0;
	int c1 = 0, c2 = 0;
	if (!pide_punto(DIALOGO_CALIBRA_1, &l1, &c1) || !pide_punto(DIALOGO_CALIBRA_2, &l2, &c2))
		return 0;
	calibra_dos_puntos(c1, l1, c2, l2);
	if (c1 != c2)
		conocidas.clear(); // the marks stay, as plain measured peaks
	pide_redibujo();
	pinta_L();
	return 0;
}

RectaCalibracion recta_de(float a_l, float b_l)
{
	RectaCalibracion r;
	r.fallo = FalloRecta::ninguno;
	r.pendiente = a_l;
	r.canal_medio = -static_cast<double>(b_l);
	return r;
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

void calibra_con_picos()
{
	std::vector<PuntoCalibracion> p = puntos_calibracion();
	if (p.size() < 2)
		return;
	RectaCalibracion r = recta_calibracion(p.data(), p.size());
	if (r.fallo == FalloRecta::ninguno && static_cast<float>(r.pendiente) == 0)
		r.fallo = FalloRecta::sin_pendiente; // too small for al to hold
	if (r.fallo == FalloRecta::ninguno) {
		fija_calibracion(r.pendiente, r.canal_medio, r.longitud_media);
		pide_redibujo();
		pinta_L();                // a falling line turns the spectrum and its peaks round
		p = puntos_calibracion(); // their channels as the plot now has them
	}
	std::string informe = informe_calibracion(p, r.fallo, al, bl);
	char titulo[TAM_TITULO];
	std::snprintf(titulo, sizeof titulo, DIALOGO_CALIBRACION_PICOS.titulo, p.size());
	adime_dialogf(titulo, DIALOGO_CALIBRACION_PICOS.x, DIALOGO_CALIBRACION_PICOS.y,
	              DIALOGO_CALIBRACION_PICOS.ancho_campo, informe.c_str());
}
