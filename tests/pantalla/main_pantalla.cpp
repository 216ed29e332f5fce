// Entry of the drawing and dialog tests: one Xvfb of 1024x768 for the tests
// that draw in this process (see ventana_prueba.h).
#include <gtest/gtest.h>

#include "ventana_prueba.h"

int main(int argc, char **argv)
{
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
