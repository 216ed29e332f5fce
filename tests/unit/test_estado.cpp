// The program-wide state starts, and resets to, the documented initial values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "estado.h"

TEST(Estado, ReiniciaVuelveALosValoresIniciales)
{
	Li = static_cast<float *>(std::malloc(4 * sizeof(float)));
	nptL = 3;
	maxL = 7;
	al = 2;
	bl = 3;
	ch_i = 4;
	elog = 1;
	std::strcpy(filename_esp, "otro.txt");
	std::strcpy(comment, "\"x\"");
	std::strcpy(filename_dat, "kelp.txt");
	cargado_extranjero = true;
	reinicia_estado();
	EXPECT_EQ(Li, nullptr);
	EXPECT_EQ(nptL, 0);
	EXPECT_EQ(maxL, 0);
	EXPECT_EQ(al, 0);
	EXPECT_EQ(bl, 0);
	EXPECT_EQ(ch_i, 0);
	EXPECT_EQ(elog, 0);
	EXPECT_STREQ(filename_esp, "datos.txt");
	EXPECT_STREQ(filename_bmp, "espectro.bmp");
	EXPECT_STREQ(comment, "");
	EXPECT_STREQ(filename_dat, "");
	EXPECT_FALSE(cargado_extranjero);
}

TEST(Estado, LongitudDeOndaEnDoblePrecisionGuardadaEnSimple)
{
	reinicia_estado();
	al = 0.5f;
	bl = 900;
	EXPECT_EQ(longitud_de_onda(1), 450.5f);
	al = 0.1f;
	bl = 0.3f;
	// The product is taken in double from the stored floats, then rounded once.
	EXPECT_EQ(longitud_de_onda(7), static_cast<float>((7 + double(0.3f)) * double(0.1f)));
	reinicia_estado();
}
