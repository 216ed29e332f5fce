// The window's close button, pressed the way a window manager does it (a
// WM_DELETE_WINDOW request from another X client), and plain C in the exit
// dialog.  Both must behave as Esc does there.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <stdexcept>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr const char *AYUDA = "Orquilo      Vers. " ORQ_VERSION;

// What a window manager sends when the title bar's close button is clicked.
void pulsa_cerrar(const arnes::Xvfb &x)
{
	auto ventana = arnes::busca_ventana(x);
	Display *d = XOpenDisplay(x.display().c_str());
	if (!ventana || !d)
		throw std::runtime_error("no window to close on " + x.display());
	XEvent e{};
	e.xclient.type = ClientMessage;
	e.xclient.window = ventana->id;
	e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
	e.xclient.format = 32;
	e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
	e.xclient.data.l[1] = CurrentTime;
	XSendEvent(d, ventana->id, False, NoEventMask, &e);
	// Delivered before any key pressed after this returns.
	XSync(d, False);
	XCloseDisplay(d);
}

void carga_ejemplo(Sesion &s)
{
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=750 "));
}

// Whether the menu's hook is still navigating: the cursor moves one channel,
// then another.  Had a pending close press opened the exit dialog on the
// hook's first pass, the second move would find navigation off.
bool el_menu_sigue(Sesion &s)
{
	s.tecla("shift+Right");
	if (!s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=751 "))
		return false;
	s.tecla("shift+Right");
	return s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=752 ") && !busca_texto(s.captura(), AYUDA);
}

} // namespace

TEST(Cierre, ElBotonDeCerrarAbreLaSalidaYOkTermina)
{
	Sesion s;
	pulsa_cerrar(s.x());
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	EXPECT_TRUE(s.programa().vivo()); // it asks first
	s.tecla("Return");
	EXPECT_EQ(s.programa().espera_salida(Sesion::ESPERA), 0);
}

TEST(Cierre, CancelarTrasElBotonDeCerrarVuelveAlMenuSinCambios)
{
	Sesion s;
	carga_ejemplo(s);
	arnes::Imagen antes = s.captura();
	pulsa_cerrar(s.x());
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return s.captura().px == antes.px; }, Sesion::ESPERA));
	EXPECT_TRUE(el_menu_sigue(s)); // the press is spent once answered
	EXPECT_EQ(s.sal(), 0);
}

TEST(Cierre, UnaPulsacionConLaPreguntaYaAbiertaQuedaContestadaPorElla)
{
	Sesion s;
	carga_ejemplo(s);
	arnes::Imagen antes = s.captura();
	s.tecla("Escape");
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	pulsa_cerrar(s.x());
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return s.captura().px == antes.px; }, Sesion::ESPERA));
	EXPECT_TRUE(el_menu_sigue(s));
	EXPECT_EQ(s.sal(), 0);
}

TEST(Cierre, ConElDialogoDeCargaAbiertoEsperaAQueVuelvaElMenu)
{
	Sesion s;
	s.abre_dialogo("l", DIALOGO_CARGA.titulo);
	pulsa_cerrar(s.x());
	// The load dialog still has the keys: Enter loads the offered file.
	s.tecla("Return");
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	s.tecla("Escape");
	EXPECT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
	EXPECT_EQ(s.sal(), 0);
}

TEST(Cierre, DuranteLaCalibracionEsperaAQueVuelvaElMenu)
{
	Sesion s;
	carga_ejemplo(s);
	s.abre_dialogo("c", DIALOGO_CALIBRA_1.titulo);
	pulsa_cerrar(s.x());
	// The first point is taken, so the press did not cancel the calibration.
	s.escribe("500");
	s.abre_dialogo("Return", DIALOGO_CALIBRA_2.titulo);
	s.tecla("Escape");
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	s.tecla("Return");
	EXPECT_EQ(s.programa().espera_salida(Sesion::ESPERA), 0);
}

TEST(Cierre, LaCSolaEnLaSalidaContinuaComoEsc)
{
	Sesion s;
	arnes::Imagen antes = s.captura();
	s.tecla("Escape");
	ASSERT_TRUE(s.espera_en_pantalla(AYUDA));
	s.tecla("c");
	ASSERT_TRUE(arnes::espera_hasta([&] { return s.captura().px == antes.px; }, Sesion::ESPERA));
	EXPECT_TRUE(s.programa().vivo());
	EXPECT_EQ(s.sal(), 0);
}
