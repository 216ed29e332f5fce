// The hand-over of the dialogs' idle hook (adime_callback).  See gancho.h.
#include "gancho.h"

#include "adime.h"
#include "pulsaciones.h"

void activa_navegacion(void (*gancho)(DIALOG *d))
{
	olvida_pulsaciones();
	adime_callback = gancho;
}

void suspende_navegacion()
{
	olvida_pulsaciones();
	adime_callback = nullptr;
}
