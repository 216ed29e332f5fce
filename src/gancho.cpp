// The hand-over of the dialogs' idle hook (adime_callback).  See gancho.h.
#include "gancho.h"

#include "adime.h"

void activa_navegacion(void (*gancho)(DIALOG *d))
{
	adime_callback = gancho;
}

void suspende_navegacion()
{
	adime_callback = nullptr;
}
