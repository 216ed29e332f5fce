// See anuncios.h.  The dialog layer reports each dialog once it is drawn.
#include "anuncios.h"

#include <cstdio>
#include <cstdlib>

#include "adime.h"

namespace {

constexpr const char *VARIABLE = "ORQUILO_ANUNCIOS";

void anuncia_dialogo(const char *titulo)
{
	std::printf("dialogo: %s\n", titulo);
	std::fflush(stdout);
}

} // namespace

void activa_anuncios()
{
	if (std::getenv(VARIABLE))
		adime_shown_callback = anuncia_dialogo;
}
