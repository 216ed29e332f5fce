// The hand-over of the dialogs' idle hook (adime_callback).  See gancho.h.
#include "gancho.h"

#include "adime.h"
#include "raton.h"

// Whatever the mouse did while a command ran was meant for it.
void activa_navegacion(void (*gancho)(DIALOG *d))
{
	olvida_raton();
	adime_callback = gancho;
}

void suspende_navegacion()
{
	adime_callback = nullptr;
}
