// The harness itself: a private Xvfb comes up and a started program's exit
// status is seen.
#include <gtest/gtest.h>

#include "arnes.h"

TEST(Arnes, XvfbArrancaYElProcesoDevuelveSuEstado)
{
	arnes::Xvfb x(640, 480);
	EXPECT_EQ(x.display().front(), ':');
	std::string carpeta = arnes::carpeta_temporal("arnes");
	arnes::Proceso p(x, "/bin/sh", carpeta, {"-c", "echo $DISPLAY; exit 3"});
	auto estado = p.espera_salida(10);
	ASSERT_TRUE(estado.has_value());
	EXPECT_EQ(*estado, 3);
	EXPECT_EQ(p.salida(), x.display() + "\n");
}
