// Pictures saved as PNG: the same pixels as the window from row 60 down, read
// back with libpng, in whatever case the extension is written; and the
// message that names the four picture formats.
#include <gtest/gtest.h>

#include <png.h>

#include <fstream>
#include <vector>

#include "disposicion.h"
#include "e2e.h"

namespace {

constexpr int BYTES_RGB = 3;

// The pixels of an 8-bit RGB PNG file, top row first; empty if it is not one.
arnes::Imagen lee_png(const std::string &ruta)
{
	png_image png{};
	png.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&png, ruta.c_str()))
		return {};
	bool rgb = png.format == PNG_FORMAT_RGB;
	png.format = PNG_FORMAT_RGB;
	std::vector<png_byte> b(PNG_IMAGE_SIZE(png));
	if (!rgb || !png_image_finish_read(&png, nullptr, b.data(), 0, nullptr)) {
		png_image_free(&png);
		return {};
	}
	arnes::Imagen img;
	img.ancho = static_cast<int>(png.width);
	img.alto = static_cast<int>(png.height);
	for (size_t p = 0; p + BYTES_RGB <= b.size(); p += BYTES_RGB)
		img.px.push_back(static_cast<uint32_t>(b[p]) << 16 | b[p + 1] << 8 | b[p + 2]);
	return img;
}

size_t pixeles_distintos(const arnes::Imagen &png, const arnes::Imagen &ventana)
{
	size_t distintos = 0;
	for (int y = 0; y < png.alto; y++)
		for (int x = 0; x < png.ancho; x++)
			distintos += png.en(x, y) != ventana.en(x, y + Y_IMAGEN);
	return distintos;
}

} // namespace

TEST_F(EjemploCargado, GuardaLaImagenEnPngConLosPixelesDeLaVentana)
{
	s.tecla("Right"); // the cursor bar away from the middle
	ASSERT_TRUE(s.espera_texto(X_CAMPO_CURSOR, Y_INFO_1, "cn.cur=849 "));
	s.tecla("Tab"); // log scale: a curve unlike the default view
	arnes::Imagen pantalla = s.captura();
	s.guarda(true, false, "vista.png");
	arnes::Imagen png;
	ASSERT_TRUE(arnes::espera_hasta([&] { return !(png = lee_png(s.ruta("vista.png"))).vacia(); },
	                                Sesion::ESPERA));
	ASSERT_EQ(png.ancho, PWX);
	ASSERT_EQ(png.alto, PWY - Y_IMAGEN);
	EXPECT_EQ(pixeles_distintos(png, pantalla), 0u);
	// Not a blank picture that would match a blank window.
	EXPECT_NE(png.en(X_CAMPO_CURSOR, Y_INFO_1 - Y_IMAGEN + 4), png.en(1, 1));
}

TEST_F(EjemploCargado, UnaExtensionPngEnMayusculasTambienEscribePng)
{
	arnes::Imagen pantalla = s.captura();
	s.guarda(true, false, "VISTA.PNG");
	arnes::Imagen png;
	ASSERT_TRUE(arnes::espera_hasta([&] { return !(png = lee_png(s.ruta("VISTA.PNG"))).vacia(); },
	                                Sesion::ESPERA));
	ASSERT_EQ(png.ancho, PWX);
	EXPECT_EQ(pixeles_distintos(png, pantalla), 0u);
}

TEST_F(EjemploCargado, ExtensionDeImagenNoAdmitidaNoEscribeNadaYNombraLosCuatroFormatos)
{
	s.guarda(true, false, "imagen.jpg");
	EXPECT_TRUE(
	    s.espera_en_pantalla("No se guarda la imagen: su nombre debe acabar en .bmp, .pcx, .tga o .png"));
	std::ifstream f(s.ruta("imagen.jpg"));
	EXPECT_FALSE(f.good());
	s.tecla("Return"); // closes the message
	EXPECT_TRUE(arnes::espera_hasta([&] { return !busca_texto(s.captura(), "No se guarda").has_value(); },
	                                Sesion::ESPERA));
}
