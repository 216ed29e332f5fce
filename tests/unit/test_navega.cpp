// Navigation rules, without a display: which rule wins, how far the window and
// the cursor move, and where they stop.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <initializer_list>

#include "estado.h"
#include "navega.h"

namespace {

// A loaded spectrum of n channels with the given window and cursor.
void vista(int n, int i, int f, int c)
{
	reinicia_estado();
	nptL = n;
	ch_i = i;
	ch_f = f;
	ch_c = c;
	amplia_y = 1;
}

// A loaded spectrum of n channels at 1 with 50 at each channel of picos, seen
// through the given window and cursor.
void espectro(int n, std::initializer_list<int> picos, int i, int f, int c)
{
	vista(n, i, f, c);
	Li = static_cast<float *>(std::malloc((n + 1) * sizeof(float)));
	for (int k = 0; k <= n; k++)
		Li[k] = 1;
	for (int p : picos)
		Li[p] = 50;
	maxL = 50;
}

Teclas teclas(const char *que)
{
	Teclas t{};
	for (const char *p = que; *p; p++) {
		switch (*p) {
		case 'T':
			t.tab = true;
			break;
		case 'U':
			t.arriba = true;
			break;
		case 'D':
			t.abajo = true;
			break;
		case 'R':
			t.derecha = true;
			break;
		case 'L':
			t.izquierda = true;
			break;
		case 'S':
			t.shift = true;
			break;
		case 'C':
			t.control = true;
			break;
		}
	}
	return t;
}

} // namespace

TEST(Navega, TabGanaATodoYFuerzaRedibujo)
{
	vista(1000, 1, 1000, 500);
	amplia_y0 = 1;
	EXPECT_TRUE(navega(teclas("TUDRLS")));
	EXPECT_EQ(elog, 1);
	EXPECT_EQ(amplia_y0, 0);
	EXPECT_EQ(amplia_y, 1);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
	EXPECT_EQ(ch_c, 500);
	EXPECT_TRUE(navega(teclas("T")));
	EXPECT_EQ(elog, 0);
}

TEST(Navega, AmplificacionAntesQueZoomYDerechaAntesQueIzquierda)
{
	vista(1000, 1, 1000, 500);
	EXPECT_TRUE(navega(teclas("SUD")));
	EXPECT_EQ(amplia_y, 2);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
	EXPECT_TRUE(navega(teclas("RL")));
	EXPECT_EQ(ch_c, 500 + 999 / 15);
}

TEST(Navega, AmplificacionDoblaHasta200YMediaHasta1)
{
	vista(1000, 1, 1000, 500);
	const float subida[] = {2, 4, 8, 16, 32, 64, 128, 200, 200};
	for (float esperado : subida) {
		navega(teclas("SU"));
		EXPECT_EQ(amplia_y, esperado);
	}
	const float bajada[] = {100, 50, 25, 12.5f, 6.25f, 3.125f, 1.5625f, 1, 1};
	for (float esperado : bajada) {
		navega(teclas("SD"));
		EXPECT_EQ(amplia_y, esperado);
	}
}

TEST(Navega, EscalaLogaritmicaIgnoraShiftArribaYAbajo)
{
	vista(1000, 1, 1000, 500);
	elog = 1;
	EXPECT_FALSE(navega(teclas("SU")));
	EXPECT_FALSE(navega(teclas("SD")));
	EXPECT_EQ(amplia_y, 1);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
	// Shift still slows the cursor keys that come after.
	EXPECT_TRUE(navega(teclas("SUR")));
	EXPECT_EQ(ch_c, 501);
}

TEST(Navega, ZoomHaciaElCursorDesdeCadaLado)
{
	vista(1000, 1, 1000, 800); // right half: cut from the left
	navega(teclas("U"));
	EXPECT_EQ(ch_i, 1 + 3 * 66);
	EXPECT_EQ(ch_f, 1000);
	vista(1000, 1, 1000, 100); // left half: cut from the right
	navega(teclas("U"));
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000 - 3 * 66);
	vista(1000, 1, 1000, 520); // just right of the middle: both sides
	navega(teclas("U"));
	EXPECT_EQ(ch_i, 199);
	EXPECT_EQ(ch_f, 802);
	navega(teclas("D")); // and back out by the new step
	EXPECT_EQ(ch_i, 199 - 3 * 40);
	EXPECT_EQ(ch_f, 802 + 3 * 40);
}

TEST(Navega, VentanaEstrechaNoSeAcercaMasYCaeALasFlechas)
{
	vista(1000, 100, 130, 115);
	EXPECT_FALSE(navega(teclas("U")));
	EXPECT_EQ(ch_i, 100);
	EXPECT_EQ(ch_f, 130);
	EXPECT_TRUE(navega(teclas("UR")));
	EXPECT_EQ(ch_c, 117); // step 30 / 15 = 2
	vista(1000, 100, 131, 115);
	EXPECT_TRUE(navega(teclas("U")));
	EXPECT_LT(ch_f - ch_i, 31);
}

TEST(Navega, AlejarEnLaVentanaCompletaNoCambiaNadaPeroPinta)
{
	vista(1000, 1, 1000, 500);
	EXPECT_TRUE(navega(teclas("D")));
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
	vista(1000, 10, 990, 500); // clamped at both ends
	navega(teclas("D"));
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1000);
}

TEST(Navega, PasoCeroEnVentanasDeMenosDe15Canales)
{
	vista(12, 1, 12, 6);
	EXPECT_TRUE(navega(teclas("R")));
	EXPECT_EQ(ch_c, 6);
	EXPECT_TRUE(navega(teclas("L")));
	EXPECT_EQ(ch_c, 6);
	EXPECT_TRUE(navega(teclas("SR")));
	EXPECT_EQ(ch_c, 7);
	EXPECT_TRUE(navega(teclas("D")));
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 12);
}

TEST(Navega, DesplazaTresDecimosDeLaVentana)
{
	vista(1000, 1, 101, 85);
	navega(teclas("R")); // step 6: cursor at 91, inside the last sixth
	EXPECT_EQ(ch_c, 91);
	EXPECT_EQ(ch_i, 31);
	EXPECT_EQ(ch_f, 131);
	vista(5000, 1, 1024, 1000);
	navega(teclas("R"));
	EXPECT_EQ(ch_i, 1 + 306);
	EXPECT_EQ(ch_f, 1024 + 306);
	vista(5000, 2000, 3023, 2050);
	navega(teclas("L"));
	EXPECT_EQ(ch_i, 2000 - 306);
	EXPECT_EQ(ch_f, 3023 - 306);
}

TEST(Navega, NoDesplazaMientrasElCursorNoLlegaAlUltimoSexto)
{
	vista(1000, 1, 101, 50);
	navega(teclas("R"));
	EXPECT_EQ(ch_c, 56);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 101);
}

TEST(Navega, CursorYVentanaSeParanEnLosExtremos)
{
	vista(1010, 900, 1000, 1008);
	navega(teclas("R"));
	EXPECT_EQ(ch_c, 1010);
	EXPECT_EQ(ch_f, 1010); // the scroll is cut to what is left
	EXPECT_EQ(ch_i, 910);
	navega(teclas("R"));
	EXPECT_EQ(ch_c, 1010);
	EXPECT_EQ(ch_f, 1010);
	vista(1000, 1, 101, 3);
	navega(teclas("L"));
	EXPECT_EQ(ch_c, 1);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 101);
}

TEST(Navega, SinTeclasNoHaceNada)
{
	vista(1000, 1, 1000, 500);
	EXPECT_FALSE(navega(teclas("")));
	EXPECT_FALSE(navega(teclas("S")));
}

TEST(Navega, AntesDeCargarCambiaLosValores)
{
	reinicia_estado(); // nothing loaded: everything 0
	EXPECT_TRUE(navega(teclas("T")));
	EXPECT_EQ(elog, 1);
	elog = 0;
	EXPECT_TRUE(navega(teclas("SU")));
	EXPECT_EQ(amplia_y, 0); // doubling only caps from above
	EXPECT_TRUE(navega(teclas("SD")));
	EXPECT_EQ(amplia_y, 1); // halving raises it to the minimum
	EXPECT_TRUE(navega(teclas("R")));
	EXPECT_EQ(ch_c, 0); // step 0, held at nptL = 0
	reinicia_estado();
}

TEST(Navega, ControlYFlechaVanAlPicoSiguienteSinMoverLaVentanaQueLoMuestra)
{
	espectro(10000, {500, 700}, 1, 1001, 300);
	EXPECT_TRUE(navega(teclas("CR")));
	EXPECT_EQ(ch_c, 500);
	EXPECT_TRUE(navega(teclas("CSR"))); // Ctrl wins over Shift
	EXPECT_EQ(ch_c, 700);
	EXPECT_TRUE(navega(teclas("CL")));
	EXPECT_EQ(ch_c, 500);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, 1001);
	reinicia_estado();
}

TEST(Navega, UnPicoFueraDeLaVentanaLaCentraConSuAnchuraHastaLosExtremos)
{
	espectro(10000, {500, 5000, 9990}, 1, 1001, 500);
	navega(teclas("CR"));
	EXPECT_EQ(ch_c, 5000);
	EXPECT_EQ(ch_i, 4500);
	EXPECT_EQ(ch_f, 5500);
	navega(teclas("CR"));
	EXPECT_EQ(ch_c, 9990);
	EXPECT_EQ(ch_i, 9000); // held at the end
	EXPECT_EQ(ch_f, 10000);
	navega(teclas("CL"));
	navega(teclas("CL"));
	EXPECT_EQ(ch_c, 500);
	EXPECT_EQ(ch_i, 1); // held at the start
	EXPECT_EQ(ch_f, 1001);
	reinicia_estado();
}

TEST(Navega, SinPicoDelanteElCursorSeQuedaPeroPinta)
{
	espectro(1000, {500}, 1, 1000, 500);
	EXPECT_TRUE(navega(teclas("CR")));
	EXPECT_EQ(ch_c, 500);
	EXPECT_TRUE(navega(teclas("CL")));
	EXPECT_EQ(ch_c, 500);
	EXPECT_FALSE(navega(teclas("C"))); // Ctrl alone is no key of ours
	reinicia_estado();
}

TEST(Navega, TabYZoomGananAControlYFlecha)
{
	espectro(1000, {900}, 1, 1000, 500);
	navega(teclas("CRT"));
	EXPECT_EQ(elog, 1);
	EXPECT_EQ(ch_c, 500);
	navega(teclas("CRU"));
	EXPECT_EQ(ch_f, 1000 - 3 * 66);
	EXPECT_EQ(ch_c, 500);
	reinicia_estado();
}

TEST(Navega, ControlYFlechaAntesDeCargarNoHacenNada)
{
	reinicia_estado();
	EXPECT_FALSE(navega(teclas("CR")));
	EXPECT_FALSE(navega(teclas("CL")));
	EXPECT_EQ(ch_c, 0);
	EXPECT_EQ(ch_i, 0);
	EXPECT_EQ(ch_f, 0);
}

// The largest spectrum a load accepts, walked with the plain keys (which read
// no samples, so none are allocated): zoomed in, the cursor reaches the last
// channel and the first with the window scrolling after it, and zooming out
// brings back the whole spectrum, the view always inside it.
TEST(Navega, ElEspectroMasGrandeSeRecorreEnteroSinSalirseDeEl)
{
	const int n = INT_MAX - 1;
	vista(n, 1, n, n / 2);
	auto dentro = [&] { return 1 <= ch_i && ch_i < ch_f && ch_f <= n && ch_i <= ch_c && ch_c <= ch_f; };
	navega(teclas("U"));
	navega(teclas("U"));
	ASSERT_TRUE(dentro());
	ASSERT_GT(ch_f - ch_i, INT_MAX / 3); // three times the width passes an int
	for (int k = 0; k < 1000 && ch_c < n; k++) {
		navega(teclas("R"));
		ASSERT_TRUE(dentro()) << ch_i << " " << ch_c << " " << ch_f;
	}
	EXPECT_EQ(ch_c, n);
	EXPECT_EQ(ch_f, n);
	for (int k = 0; k < 1000 && ch_c > 1; k++) {
		navega(teclas("L"));
		ASSERT_TRUE(dentro()) << ch_i << " " << ch_c << " " << ch_f;
	}
	EXPECT_EQ(ch_c, 1);
	EXPECT_EQ(ch_i, 1);
	for (int k = 0; k < 100 && ch_f - ch_i < n - 1; k++) {
		navega(teclas("D"));
		ASSERT_TRUE(dentro()) << ch_i << " " << ch_c << " " << ch_f;
	}
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, n);
	reinicia_estado();
}
