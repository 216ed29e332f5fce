// The command line: which arguments open the window (and with which file),
// which answer without one, and which are mistakes; and the picture names
// that the save command accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "carga_guarda.h"
#include "estado.h"
#include "linea_ordenes.h"

namespace {

Ordenes analiza(std::vector<std::string> args)
{
	return analiza_ordenes(args);
}

} // namespace

TEST(LineaOrdenes, SinArgumentosArrancaSinFichero)
{
	Ordenes o = analiza({});
	EXPECT_EQ(o.accion, Ordenes::arranca);
	EXPECT_EQ(o.fichero, "");
}

TEST(LineaOrdenes, UnFicheroArrancaYLoCarga)
{
	Ordenes o = analiza({"ejemplo/datos.txt"});
	EXPECT_EQ(o.accion, Ordenes::arranca);
	EXPECT_EQ(o.fichero, "ejemplo/datos.txt");
}

TEST(LineaOrdenes, DosGuionesDejanPasarUnFicheroQueEmpiezaPorGuion)
{
	Ordenes o = analiza({"--", "--help"});
	EXPECT_EQ(o.accion, Ordenes::arranca);
	EXPECT_EQ(o.fichero, "--help");
	EXPECT_EQ(analiza({"-"}).fichero, "-"); // a lone dash is a name, not an option
}

TEST(LineaOrdenes, HelpYVersionNoAbrenVentana)
{
	EXPECT_EQ(analiza({"--help"}).accion, Ordenes::ayuda);
	EXPECT_EQ(analiza({"--version"}).accion, Ordenes::version);
	EXPECT_EQ(analiza({"--version", "--help"}).accion, Ordenes::version); // the first one asked
	EXPECT_EQ(analiza({"datos.txt", "--help"}).accion, Ordenes::ayuda);
}

TEST(LineaOrdenes, OpcionDesconocidaEsUnErrorQueLaNombra)
{
	for (const char *opcion : {"-h", "--ayuda", "--help=1", "-V"}) {
		Ordenes o = analiza({opcion});
		EXPECT_EQ(o.accion, Ordenes::error) << opcion;
		EXPECT_NE(o.problema.find(opcion), std::string::npos) << o.problema;
	}
	EXPECT_EQ(analiza({"--help", "--nada"}).accion, Ordenes::error);
}

TEST(LineaOrdenes, MasDeUnFicheroEsUnError)
{
	Ordenes o = analiza({"a.txt", "b.txt"});
	EXPECT_EQ(o.accion, Ordenes::error);
	EXPECT_NE(o.problema.find("b.txt"), std::string::npos) << o.problema;
}

TEST(LineaOrdenes, UnNombreQueNoCabeEnElDialogoEsUnError)
{
	// The load dialog's field holds TAM_NOMBRE - 1 bytes: a longer name would be cut.
	EXPECT_EQ(analiza({std::string(TAM_NOMBRE - 1, 'a')}).accion, Ordenes::arranca);
	EXPECT_EQ(analiza({std::string(TAM_NOMBRE, 'a')}).accion, Ordenes::error);
	EXPECT_EQ(analiza({""}).accion, Ordenes::error);
}

TEST(LineaOrdenes, ElUsoEstaEnCastellanoYLaVersionEsLaDelPrograma)
{
	std::string uso = texto_de_uso();
	EXPECT_EQ(uso.rfind("Uso: orquilo [FICHERO]\n", 0), 0u);
	EXPECT_NE(uso.find("--help"), std::string::npos);
	EXPECT_NE(uso.find("--version"), std::string::npos);
	EXPECT_EQ(uso.back(), '\n');
	EXPECT_EQ(texto_de_version(), std::string("orquilo ") + ORQ_VERSION + "\n");
}

TEST(ExtensionImagen, AceptaPngBmpPcxYTgaEnCualquierCaja)
{
	for (const char *n : {"a.png", "a.PNG", "dir.x/a.Png", "a.bmp", "a.BMP", "a.pcx", "a.tga"})
		EXPECT_TRUE(extension_de_imagen_valida(n)) << n;
	for (const char *n : {"a.jpg", "a.gif", "a", "png", "a.png.txt", "a.pngx"})
		EXPECT_FALSE(extension_de_imagen_valida(n)) << n;
}
