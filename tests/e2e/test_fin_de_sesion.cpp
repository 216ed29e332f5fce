// The end of a desktop session: the X server goes away and the program gets
// SIGTERM at the same moment.  Whatever it is showing (the command menu, a
// dialog, a message box), it must end, and at once.
#include <gtest/gtest.h>

#include <signal.h>

#include "e2e.h"

namespace {

// A session manager waits about this long before it kills what is left.
constexpr double PLAZO_S = 2;

// Ends the server and the program together; whether the program was gone in time.
bool termina_con_la_sesion(Sesion &s)
{
	kill(s.x().pid(), SIGTERM);
	kill(s.programa().pid(), SIGTERM);
	return s.programa().espera_salida(PLAZO_S).has_value();
}

} // namespace

TEST(FinDeSesion, EnElMenuTerminaAlMomento)
{
	Sesion s;
	EXPECT_TRUE(termina_con_la_sesion(s));
}

TEST(FinDeSesion, EnUnDialogoTerminaAlMomento)
{
	Sesion s;
	s.abre_dialogo("l", DIALOGO_CARGA.titulo);
	EXPECT_TRUE(termina_con_la_sesion(s));
}

TEST(FinDeSesion, EnUnMensajeTerminaAlMomento)
{
	Sesion s;
	s.abre_dialogo("l", DIALOGO_CARGA.titulo);
	s.reemplaza_campo("no-existe.txt");
	s.abre_dialogo("Return", DIALOGO_AVISO.titulo);
	EXPECT_TRUE(termina_con_la_sesion(s));
}
