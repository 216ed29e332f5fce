// The channel-to-wavelength mapping of the program-wide state.
#include <gtest/gtest.h>

#include "estado.h"

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
