// The keys: each press caught once, with the modifiers it came with, however
// soon it was let go; and the one table, whose buttons are the menu's.
#include <gtest/gtest.h>

#include <allegro.h>

#include <string>

#include "adime.h"
#include "menu.h"
#include "pulsaciones.h"
#include "teclado.h"
#include "textos.h"

namespace {

constexpr int SOLTADA = 0x80;

bool todas(int)
{
	return true;
}

void vacia_la_cola()
{
	Pulsacion p;
	while (siguiente_pulsacion(&p)) {
	}
}

} // namespace

TEST(Teclas, CadaPulsacionUnaVezConLosModificadoresDeSuMomento)
{
	pon_interes(todas);
	vacia_la_cola();
	registra_evento(KEY_LSHIFT);
	registra_evento(KEY_RIGHT);
	registra_evento(KEY_RIGHT | SOLTADA);
	registra_evento(KEY_LSHIFT | SOLTADA); // Shift up before anyone looked
	registra_evento(KEY_RIGHT);
	registra_evento(KEY_RIGHT); // the keyboard's repeat: no new press
	registra_evento(KEY_RIGHT | SOLTADA);
	Pulsacion p;
	ASSERT_TRUE(siguiente_pulsacion(&p));
	EXPECT_EQ(p.tecla, KEY_LSHIFT);
	ASSERT_TRUE(siguiente_pulsacion(&p));
	EXPECT_EQ(p.tecla, KEY_RIGHT);
	EXPECT_TRUE(p.shift);
	ASSERT_TRUE(siguiente_pulsacion(&p));
	EXPECT_EQ(p.tecla, KEY_RIGHT);
	EXPECT_FALSE(p.shift);
	EXPECT_FALSE(siguiente_pulsacion(&p));
}

// A dialog with no navigation takes the keyboard: what is typed while it
// shows is its own, what was queued before waits for after it.
TEST(Teclas, UnDialogoTomaLoQueSeTecleaMientrasEstaYNadaMas)
{
	pon_interes(todas);
	vacia_la_cola();
	adime_callback = nullptr;
	registra_evento(KEY_RIGHT);
	registra_evento(KEY_RIGHT | SOLTADA);
	dialogo_abierto(1);
	registra_evento(KEY_P); // typed into the dialog's field
	registra_evento(KEY_P | SOLTADA);
	dialogo_abierto(0);
	registra_evento(KEY_LEFT);
	registra_evento(KEY_LEFT | SOLTADA);
	Pulsacion p;
	ASSERT_TRUE(siguiente_pulsacion(&p));
	EXPECT_EQ(p.tecla, KEY_RIGHT);
	ASSERT_TRUE(siguiente_pulsacion(&p));
	EXPECT_EQ(p.tecla, KEY_LEFT);
	EXPECT_FALSE(siguiente_pulsacion(&p));
}

// The buttons' rows, in order, carry the shortcuts of the menu's format.
TEST(Teclas, LosBotonesDeLaTablaSonLosDelMenu)
{
	size_t n = 0;
	const FilaTecla *t = teclas_del_programa(&n);
	pon_teclas(t, n);
	const std::string formato = DIALOGO_MENU.formato;
	const char *const atajos[] = {";L", ";C", ";G", ";ESC"};
	const int teclas[] = {KEY_L, KEY_C, KEY_G, KEY_ESC};
	for (int b = 1; b <= 4; b++) {
		ASSERT_NE(fila_de_boton(b), nullptr);
		EXPECT_EQ(fila_de_boton(b)->tecla, teclas[b - 1]);
		EXPECT_NE(formato.find(atajos[b - 1]), std::string::npos);
	}
	EXPECT_EQ(fila_de_boton(5), nullptr);
	EXPECT_NE(fila_de_tecla(KEY_P, Ambito::menu), nullptr);
	EXPECT_EQ(fila_de_tecla(KEY_P, Ambito::navegacion), nullptr);
}
