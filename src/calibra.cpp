// Wavelength calibration's commands.  "Calibrar": two dialogs, each taking
// the cursor channel and a known wavelength; navigation stays on while they
// are open, so the cursor can be placed on a line.  The calibration from many
// lines: the least-squares line through the calibration points, then the
// dialog of its residuals.  Start at comando_calibra, then calibra_con_picos.
#include "calibra.h"

#include <cstdio>
#include <string>
#include <vector>

#include "adime.h"
#include "avisos.h"
#include "estado.h"
#include "informes.h"
#include "gancho.h"
#include "pinta.h"
#include "teclado.h"
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

// A new calibration shows whole; a background it dropped for lack of memory
// is named in a message.
void muestra_calibracion(bool con_fondo)
{
	pide_redibujo();
	pinta_L();
	if (!con_fondo)
		avisa_sin_memoria(fichero_fondo);
}

} // namespace

int comando_calibra()
{
	// Navigation alone: browsing to another file under an open calibration
	// would pair its points with the wrong spectrum.
	activa_navegacion(vigila_escala);
	float l1 = 0, l2 = 0;
	int c1 = 0, c2 = 0;
	if (!pide_punto(DIALOGO_CALIBRA_1, &l1, &c1) || !pide_punto(DIALOGO_CALIBRA_2, &l2, &c2))
		return 0;
	muestra_calibracion(calibra_dos_puntos(c1, l1, c2, l2));
	return 0;
}

void calibra_con_picos()
{
	if (puntos_calibracion().size() < 2)
		return;
	bool con_fondo = true;
	AjusteCalibracion r = calibra_con_conocidas(&con_fondo);
	if (r.fallo == FalloRecta::ninguno)
		muestra_calibracion(con_fondo);
	// Their channels as the calibration left them: a falling line turns them.
	std::vector<PuntoCalibracion> p = puntos_calibracion();
	std::string informe = informe_calibracion(p, r.fallo, calibracion());
	char titulo[TAM_TITULO];
	std::snprintf(titulo, sizeof titulo, DIALOGO_CALIBRACION_PICOS.titulo, p.size());
	adime_dialogf(titulo, DIALOGO_CALIBRACION_PICOS.x, DIALOGO_CALIBRACION_PICOS.y,
	              DIALOGO_CALIBRACION_PICOS.ancho_campo, informe.c_str());
}
