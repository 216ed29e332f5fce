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

namespace {
void (*gancho_propio)(DIALOG *d) = nullptr;
}

void (*pon_gancho_propio(void (*gancho)(DIALOG *d)))(DIALOG *d)
{
	void (*antes)(DIALOG * d) = adime_callback;
	gancho_propio = gancho;
	adime_callback = gancho;
	return antes;
}

void devuelve_gancho(void (*gancho)(DIALOG *d))
{
	gancho_propio = nullptr;
	adime_callback = gancho;
}

bool sirve_navegacion(void (*gancho)(DIALOG *d))
{
	return gancho != nullptr && gancho != gancho_propio;
}
