// The calibration command: two dialogs, each taking the cursor channel and a
// known wavelength, then al and bl from the two points.  Navigation stays on
// while the dialogs are open, so the cursor can be placed on a line.
#include "calibra.h"

#include "adime.h"
#include "estado.h"
#include "navega.h"
#include "pinta.h"

namespace {

constexpr int X_DIALOGO = 125;
constexpr int Y_DIALOGO = 10;
constexpr int ANCHO_CAMPO = 125;
constexpr const char *FORMATO = "Longitud de onda=%float[0,]";
constexpr const char *TITULO_1 = "Poner cursor en primer punto de calibracion ";
constexpr const char *TITULO_2 = "Poner cursor en segundo punto de calibracion ";
constexpr int RESULTADO_OK = 1;

// Asks for the wavelength at the cursor and takes the cursor's channel as OK
// is pressed.  False on Cancel.
bool pide_punto(const char *titulo, float *lambda, int *canal)
{
	if (adime_dialogf(titulo, X_DIALOGO, Y_DIALOGO, ANCHO_CAMPO, FORMATO, lambda) != RESULTADO_OK)
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
	adime_callback = vigila_escala;
	float l1 = 0, l2 = 0;
	int c1 = 0, c2 = 0;
	if (!pide_punto(TITULO_1, &l1, &c1) || !pide_punto(TITULO_2, &l2, &c2))
		return 0;
	calibra_dos_puntos(c1, l1, c2, l2);
	amplia_y0 = 0;
	pinta_L();
	return 0;
}
