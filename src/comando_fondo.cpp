// The background's commands: the F dialog, which reads the file chosen as a
// load does and hands it to the spectrum with its factor, and R, the net
// view.  Start at comando_fondo.
#include "comando_fondo.h"

#include <cstdio>

#include "adime.h"
#include "avisos.h"
#include "estado.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;

// Takes the dialog's answer: a factor changed in the dialog is the user's,
// any other follows the live times of whichever background is now chosen.
// A file that cannot be read leaves the old background, with the load's message.
void adopta_respuesta(const char *nombre, float factor, float factor_mostrado)
{
	if (nombre[0] == '\0') {
		quita_fondo();
		return;
	}
	Lectura l;
	if (!lee_o_avisa(nombre, &l))
		return;
	bool tecleado = factor_tecleado || factor != factor_mostrado;
	if (!pon_fondo(&l, nombre, factor, tecleado))
		avisa_sin_memoria(nombre);
}

void redibuja()
{
	pide_redibujo();
	pinta_L();
	escribe_titulo();
}

} // namespace

void comando_fondo()
{
	char nombre[TAM_NOMBRE];
	std::snprintf(nombre, sizeof nombre, "%s", fichero_fondo);
	float factor = factor_fondo;
	if (adime_dialogf(DIALOGO_FONDO.titulo, DIALOGO_FONDO.x, DIALOGO_FONDO.y, DIALOGO_FONDO.ancho_campo,
	                  DIALOGO_FONDO.formato, nombre, &factor) != RESULTADO_OK)
		return;
	adopta_respuesta(nombre, factor, factor_fondo);
	redibuja();
}

void comando_neto()
{
	if (fondo.nptL == 0 || nptL == 0)
		return;
	if (!conmuta_neto())
		avisa_sin_memoria(fichero_fondo);
	redibuja();
}
