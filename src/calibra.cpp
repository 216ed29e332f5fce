// The calibration command: two dialogs, each taking the cursor channel and a
// known wavelength, then al and bl from the two points.  Navigation stays on
// while the dialogs are open, so the cursor can be placed on a line.
#include "calibra.h"

#include "adime.h"
#include "estado.h"
#include "fondo.h"
#include "navega.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;

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

void calibra_dos_puntos(int c1, float l1, int c2, float l2)
{
	if (c1 == c2)
		return;
	al = static_cast<float>((static_cast<double>(l2) - l1) / (c2 - c1));
	// Equal wavelengths leave no slope; bl would be a division by zero.
	bl = al != 0 ? static_cast<float>(l1 / static_cast<double>(al) - c1) : 0.0f;
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
	actualiza_fondo(false);
	pide_redibujo();
	pinta_L();
	return 0;
}
