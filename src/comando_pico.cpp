// The peak key's command: the measure of the multiplet at the cursor (the
// spectrum's mide_y_anota), the "Pico" report with the fit and each line's
// curve drawn over the plot, and what its fields do to the calibration
// points.  Start at comando_pico.
#include "comando_pico.h"

#include <algorithm>
#include <string>
#include <vector>

#include "adime.h"
#include "calibra.h"
#include "estado.h"
#include "informes.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;

bool mismo_punto(const PuntoCalibracion &a, const PuntoCalibracion &b)
{
	return a.canal == b.canal && a.longitud == b.longitud;
}

// The report of the measure a; the fields, for its line nearest the cursor
// (picos[i]), on OK make it a calibration point or no longer one.  It opens on
// the point's wavelength, ticked, when the line is one.
void pregunta_pico(const MedidaAnotada &a, size_t i)
{
	std::string informe = informe_medida(a.medida, a.lugares, calibracion());
	const PicoConocido *k = conocida_de(i);
	float longitud = k ? k->longitud : 0;
	int usar = k ? 1 : 0;
	if (adime_dialogf(DIALOGO_PICO.titulo, DIALOGO_PICO.x, DIALOGO_PICO.y, DIALOGO_PICO.ancho_campo,
	                  informe.c_str(), &longitud, &usar) == RESULTADO_OK &&
	    picos[i].ajustado)
		anota_conocida(i, usar != 0, longitud);
}

} // namespace

void comando_pico()
{
	if (Li == nullptr || nptL <= 0)
		return;
	std::vector<PuntoCalibracion> antes = puntos_calibracion();
	MedidaAnotada a = mide_y_anota(ch_c);
	size_t i = a.lugares[static_cast<size_t>(a.medida.cercana)];
	pide_redibujo();
	pinta_L();
	dibuja_ajuste(a.medida);
	pregunta_pico(a, i);
	pide_redibujo(); // takes the fit away
	pinta_L();
	std::vector<PuntoCalibracion> despues = puntos_calibracion();
	if (!std::equal(antes.begin(), antes.end(), despues.begin(), despues.end(), mismo_punto))
		calibra_con_picos();
}
