// Loading and saving through the real dialogs: the example spectrum, a
// calibrated file, the picture and the data written by "Guardar".
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

std::vector<float> numeros(const std::string &texto)
{
	std::vector<float> v;
	std::istringstream in(texto);
	std::string palabra;
	while (in >> palabra)
		v.push_back(std::strtof(palabra.c_str(), nullptr));
	return v;
}

uint32_t le32(const std::string &b, size_t en)
{
	return static_cast<uint8_t>(b[en]) | static_cast<uint8_t>(b[en + 1]) << 8 |
	       static_cast<uint8_t>(b[en + 2]) << 16 |
	       static_cast<uint32_t>(static_cast<uint8_t>(b[en + 3])) << 24;
}

// The pixels of an uncompressed 24-bit BMP, top row first; empty if it is not one.
arnes::Imagen lee_bmp(const std::string &b)
{
	arnes::Imagen img;
	if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || (static_cast<uint8_t>(b[28]) != 24) ||
	    le32(b, 30) != 0)
		return img;
	img.ancho = static_cast<int>(le32(b, 18));
	img.alto = static_cast<int>(le32(b, 22));
	size_t datos = le32(b, 10), fila = (static_cast<size_t>(img.ancho) * 3 + 3) / 4 * 4;
	if (b.size() < datos + fila * img.alto)
		return arnes::Imagen{};
	for (int y = img.alto - 1; y >= 0; y--)
		for (int x = 0; x < img.ancho; x++) {
			size_t p = datos + fila * y + 3 * x;
			img.px.push_back(static_cast<uint8_t>(b[p + 2]) << 16 |
			                 static_cast<uint8_t>(b[p + 1]) << 8 | static_cast<uint8_t>(b[p]));
		}
	return img;
}

} // namespace

TEST_F(EjemploCargado, CargaElEjemploConSuTituloProvisional)
{
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_1, 11), "cn.ini=1   ");
	EXPECT_EQ(s.lee(X_CAMPO_CURSOR, Y_INFO_1, 11), "cn.cur=750 ");
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, 5), "\"...\"");
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 7), "       "); // uncalibrated: line 2 blank
}

TEST(Espectro, CargaUnFicheroCalibradoConSuTituloYLongitudesDeOnda)
{
	Sesion s;
	std::string contenido = arnes::lee_fichero(datos_prueba("real/hpge-pottery-16384-kev.txt"));
	arnes::escribe_fichero(s.ruta("kev.txt"), contenido);
	std::istringstream in(contenido);
	std::string titulo;
	std::getline(in, titulo);
	int n;
	float a, b;
	in >> n >> a >> b;
	s.carga("kev.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=16384"));
	char esperado[64];
	std::snprintf(esperado, sizeof esperado, "lo.ini=%-8.2f",
	              static_cast<double>(static_cast<float>((1 + static_cast<double>(b)) * a)));
	EXPECT_EQ(s.lee(X_CAMPO_INICIO, Y_INFO_2, 15), esperado);
	std::string visible = titulo.substr(0, 60);
	EXPECT_EQ(s.lee(X_GRAFICA + X_TITULO, Y_GRAFICA + Y_TITULO, static_cast<int>(visible.size())),
	          visible);
	// Ticks hang from the top edge of the graph area.
	arnes::Imagen img = s.captura();
	int negros = 0;
	for (int x = X_GRAFICA; x < PWX - X_GRAFICA; x++)
		negros += img.en(x, Y_GRAFICA + 1) == NEGRO_E2E;
	EXPECT_GT(negros, 5);
	EXPECT_EQ(s.sal(), 0);
}

TEST_F(EjemploCargado, GuardaLaImagenYLosDatosQueVuelvenACargarseIgual)
{
	std::string original = arnes::lee_fichero(s.ruta("datos.txt"));
	s.tecla("Right"); // a cursor away from the middle, so the reload shows a change back
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=849 "));
	arnes::Imagen pantalla = s.captura();
	s.guarda(true, true);
	ASSERT_TRUE(arnes::espera_hasta([&] { return arnes::lee_fichero(s.ruta("datos.txt")) != original; },
	                                Sesion::ESPERA));
	arnes::Imagen bmp = lee_bmp(arnes::lee_fichero(s.ruta("espectro.bmp")));
	ASSERT_EQ(bmp.ancho, PWX);
	ASSERT_EQ(bmp.alto, PWY - Y_IMAGEN);
	size_t distintos = 0;
	for (int y = 0; y < bmp.alto; y++)
		for (int x = 0; x < bmp.ancho; x++)
			distintos += bmp.en(x, y) != pantalla.en(x, y + Y_IMAGEN);
	EXPECT_EQ(distintos, 0u);

	std::istringstream guardado(arnes::lee_fichero(s.ruta("datos.txt")));
	std::string titulo, cabecera, resto;
	std::getline(guardado, titulo);
	std::getline(guardado, cabecera);
	EXPECT_EQ(titulo, "\"...\"");
	EXPECT_EQ(cabecera, "1500  0.000000  0.000000 ");
	std::getline(guardado, resto, '\0');
	EXPECT_EQ(numeros(resto), numeros(original));

	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=750 "));
	EXPECT_EQ(s.lee(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, 11), "cn.fin=1500");
}

TEST_F(EjemploCargado, DatosQueNoSePuedenEscribirLoDicenYNoTocanNada)
{
	std::string original = arnes::lee_fichero(s.ruta("datos.txt"));
	s.guarda(false, true, "", "falta/datos.txt");
	EXPECT_TRUE(s.espera_en_pantalla("No se puede guardar el fichero falta/datos.txt"));
	s.tecla("Return");
	EXPECT_EQ(arnes::lee_fichero(s.ruta("datos.txt")), original);
}

TEST_F(EjemploCargado, FicheroQueNoExisteDejaElEspectroYLoDice)
{
	s.carga("no-existe.txt");
	EXPECT_TRUE(s.espera_en_pantalla("no-existe.txt"));
	s.tecla("Return");
	EXPECT_EQ(s.lee(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, 11), "cn.fin=1500");
}

// Before any load "Guardar datos" writes nothing, not even over the example,
// and says so; the picture is still saved.
TEST(Guarda, SinEspectroNoSeGuardanLosDatosPeroSiLaImagen)
{
	Sesion s;
	std::string original = arnes::lee_fichero(s.ruta("datos.txt"));
	s.guarda(true, true);
	ASSERT_TRUE(s.espera_en_pantalla("No se guardan los datos"));
	s.tecla("Return");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !arnes::lee_fichero(s.ruta("espectro.bmp")).empty(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("datos.txt")), original);
	EXPECT_EQ(s.sal(), 0);
}

// A text note typed as the data file's name is asked about; Esc keeps it.
TEST_F(EjemploCargado, ReemplazarUnaNotaDeTextoSePreguntaYEscLaGuarda)
{
	const std::string nota = "Llamar a Marta: el detector 2 vuelve el lunes.\n";
	arnes::escribe_fichero(s.ruta("nota.txt"), nota);
	s.guarda(false, true, "", "nota.txt");
	ASSERT_TRUE(s.espera_en_pantalla("nota.txt ya existe."));
	s.tecla("Escape");
	ASSERT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "ya existe").has_value(); },
	                                Sesion::ESPERA));
	EXPECT_EQ(arnes::lee_fichero(s.ruta("nota.txt")), nota);
}

// The file of the last save is replaced again without a question, whatever
// it holds by then.
TEST_F(EjemploCargado, ElFicheroGuardadoUltimoSeReemplazaSinPreguntar)
{
	s.guarda(false, true, "", "copia.txt");
	std::string copia;
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return !(copia = arnes::lee_fichero(s.ruta("copia.txt"))).empty(); }, Sesion::ESPERA));
	arnes::escribe_fichero(s.ruta("copia.txt"), "otra cosa\n");
	s.guarda(false, true, "", "copia.txt");
	EXPECT_TRUE(arnes::espera_hasta([&] { return arnes::lee_fichero(s.ruta("copia.txt")) == copia; },
	                                Sesion::ESPERA));
}

// A 96-character path on a 1280-pixel desktop, in a notice that it makes far
// wider than the window, shown whole from the status line: the box keeps
// the notice's start, the file's name and the notice's end.
TEST(Mensajes, UnaRutaLargaSeAcortaEnMedioYElMotivoSeVeEntero)
{
	Sesion s(1280, 1024);
	const std::string carpeta =
	    "medidas-de-la-campana-de-invierno/detector-de-germanio-numero-dos/sin-blindaje";
	const std::string ruta = carpeta + "/fondo-de-0003.csv";
	ASSERT_EQ(ruta.size(), 96u);
	std::filesystem::create_directories(s.ruta(carpeta));
	arnes::escribe_fichero(s.ruta(ruta), "nm,I\n400,5\n401,7\n403,9\n402,6\n"); // x turns back
	s.carga(ruta);
	ASSERT_TRUE(s.espera_en_pantalla("(N: entero)")); // on the status line, cut
	s.tecla("n");
	ASSERT_TRUE(s.espera_en_pantalla("se carga lo anterior")); // whole, in its box
	arnes::Imagen img = s.captura();
	EXPECT_TRUE(busca_texto(img, "La x de la l").has_value());
	EXPECT_TRUE(busca_texto(img, "fondo-de-0003.csv se repite").has_value());
	EXPECT_TRUE(busca_texto(img, "se carga lo anterior").has_value());
	s.tecla("Return");
	EXPECT_EQ(s.sal(), 0);
}
