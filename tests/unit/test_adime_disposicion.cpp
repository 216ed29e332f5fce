// Dialog geometry, measured with the built-in font's 8 pixels per character:
// placement, rows, labels, the command menu's height, windows that do not fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "adime_disposicion.h"
#include "mensajes.h"
#include "disposicion.h"
#include "textos.h"

using adime::Disposicion;
using adime::Rect;

namespace {

constexpr int PIXELES_POR_CARACTER = 8;

Disposicion dispone(const char *formato, const std::string &titulo, int x, int y, int ancho_campo,
                    bool ok_cancelar, int ancho_pantalla = 1024, int alto_pantalla = 768)
{
	std::vector<adime::Campo> campos;
	std::string error;
	EXPECT_TRUE(adime::analiza_formato(formato, campos, error)) << error;
	adime::Peticion p;
	p.titulo = titulo;
	p.x = x;
	p.y = y;
	p.ancho_campo = ancho_campo;
	p.ok_cancelar = ok_cancelar;
	p.ancho_pantalla = ancho_pantalla;
	p.alto_pantalla = alto_pantalla;
	p.ancho_texto = [](const std::string &s) {
		return static_cast<int>(s.size()) * PIXELES_POR_CARACTER;
	};
	return adime::dispone(campos, p);
}

bool dentro(const Rect &r, const Rect &marco)
{
	return r.x >= marco.x && r.y >= marco.y && r.derecha() <= marco.derecha() &&
	       r.abajo() <= marco.abajo();
}

bool se_solapan(const Rect &a, const Rect &b)
{
	return a.x < b.derecha() && b.x < a.derecha() && a.y < b.abajo() && b.y < a.abajo();
}

const char *const MENU = DIALOGO_MENU.formato;
const char *const GUARDAR = DIALOGO_GUARDA.formato;

} // namespace

TEST(AdimeDisposicion, LaEsquinaDeLaVentanaConSuBarraEstaDondeSePide)
{
	Disposicion d = dispone(DIALOGO_CALIBRA_1.formato, DIALOGO_CALIBRA_1.titulo, DIALOGO_CALIBRA_1.x,
	                        DIALOGO_CALIBRA_1.y, DIALOGO_CALIBRA_1.ancho_campo, true);
	EXPECT_EQ(d.ventana.x, DIALOGO_CALIBRA_1.x);
	EXPECT_EQ(d.ventana.y, DIALOGO_CALIBRA_1.y);
	EXPECT_EQ(d.barra.y, d.ventana.y + adime::BORDE);
	EXPECT_GE(d.barra.w, 44 * PIXELES_POR_CARACTER); // the whole title fits its bar
	ASSERT_EQ(d.filas.size(), 1u);
	EXPECT_EQ(d.filas[0].campo.w, DIALOGO_CALIBRA_1.ancho_campo);
	EXPECT_GE(d.filas[0].campo.y, d.barra.abajo());
}

TEST(AdimeDisposicion, ElMenuQuedaEnSuEsquinaYEncimaDeLaFila60EnCualquierVentana)
{
	for (int ancho : {1720, 824, 640}) {
		Disposicion d = dispone(MENU, DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y,
		                        DIALOGO_MENU.ancho_campo, false, ancho, 480);
		EXPECT_EQ(d.ventana.x, DIALOGO_MENU.x) << ancho;
		EXPECT_EQ(d.ventana.y, DIALOGO_MENU.y);
		EXPECT_LE(d.ventana.abajo(), 60) << ancho;
		EXPECT_LE(d.ventana.derecha(), ancho);
		ASSERT_EQ(d.filas[0].botones.size(), 4u);
		// Narrowed rows still hold every label.
		EXPECT_GE(d.filas[0].botones[0].w, 10 * PIXELES_POR_CARACTER);
	}
	EXPECT_EQ(dispone(MENU, DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y, DIALOGO_MENU.ancho_campo,
	                  false, 1720, 1000)
	              .filas[0]
	              .campo.w,
	          DIALOGO_MENU.ancho_campo);
}

TEST(AdimeDisposicion, LoQueNoSePuedeEstrecharSeDesplazaDentroDeLaPantalla)
{
	Disposicion d = dispone(MENU, DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y,
	                        DIALOGO_MENU.ancho_campo, false, 500, 480);
	EXPECT_LT(d.ventana.x, DIALOGO_MENU.x);
	EXPECT_LE(d.ventana.derecha(), 500);
	std::string titulo(70, 't');
	d = dispone("x%float[]", titulo, 300, 10, 100, true, 640, 480);
	EXPECT_EQ(d.ventana.derecha(), 640);
	EXPECT_GE(d.filas[0].campo.w, adime::ANCHO_MINIMO_EDICION);
}

TEST(AdimeDisposicion, LosBotonesDeUnaFilaSeRepartenElAnchoDelCampoEnOrden)
{
	Disposicion d = dispone(MENU, DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y,
	                        DIALOGO_MENU.ancho_campo, false, 1720, 1000);
	const auto &b = d.filas[0].botones;
	int total = b.back().derecha() - b.front().x;
	EXPECT_EQ(total, DIALOGO_MENU.ancho_campo);
	for (size_t i = 1; i < b.size(); i++) {
		EXPECT_LE(std::abs(b[i].w - b[0].w), 1);
		EXPECT_GT(b[i].x, b[i - 1].derecha());
		EXPECT_EQ(b[i].y, b[0].y);
	}
}

TEST(AdimeDisposicion, UnaFilaEstrechaEnsanchaSusBotonesHastaSusTextos)
{
	Disposicion d = dispone("%buttonrow[Un texto bastante largo,B]", "T", 0, 0, 20, false);
	for (const auto &b : d.filas[0].botones)
		EXPECT_GE(b.w, 23 * PIXELES_POR_CARACTER);
}

TEST(AdimeDisposicion, LasEtiquetasSeAlineanALaDerechaJuntoASusCampos)
{
	Disposicion d = dispone(GUARDAR, DIALOGO_GUARDA.titulo, DIALOGO_GUARDA.x, DIALOGO_GUARDA.y,
	                        DIALOGO_GUARDA.ancho_campo, true);
	ASSERT_EQ(d.filas.size(), 4u);
	for (size_t i = 0; i < d.filas.size(); i++) {
		const auto &f = d.filas[i];
		EXPECT_FALSE(f.bloque);
		EXPECT_EQ(f.etiqueta.derecha(), d.filas[0].etiqueta.derecha()) << i;
		EXPECT_LT(f.etiqueta.derecha(), f.campo.x) << i;
		EXPECT_EQ(f.campo.x, d.filas[0].campo.x) << i;
		if (i > 0) {
			EXPECT_GE(f.campo.y, d.filas[i - 1].campo.abajo()) << i;
		}
	}
	// A file name is an edit box and its "..." button, together the field width.
	EXPECT_EQ(d.filas[1].examinar.derecha() - d.filas[1].campo.x, 300);
	EXPECT_GT(d.filas[1].examinar.x, d.filas[1].campo.derecha());
	EXPECT_EQ(d.filas[1].campo.w, d.filas[3].campo.w);
}

TEST(AdimeDisposicion, OkYCancelarVanDebajoDeLosCamposSinSolaparse)
{
	Disposicion d = dispone(GUARDAR, DIALOGO_GUARDA.titulo, DIALOGO_GUARDA.x, DIALOGO_GUARDA.y,
	                        DIALOGO_GUARDA.ancho_campo, true);
	ASSERT_TRUE(d.con_ok_cancelar);
	for (const auto &f : d.filas) {
		EXPECT_GE(d.ok.y, f.campo.abajo());
		EXPECT_GE(d.ok.y, f.examinar.abajo());
	}
	EXPECT_EQ(d.ok.y, d.cancelar.y);
	EXPECT_LT(d.ok.derecha(), d.cancelar.x);
	EXPECT_TRUE(dentro(d.ok, d.ventana));
	EXPECT_TRUE(dentro(d.cancelar, d.ventana));
}

TEST(AdimeDisposicion, LosBloquesDeTextoOcupanUnaLineaPorSaltoYLaReglaCruzaElDialogo)
{
	Disposicion d = dispone("Titulo   %nothing[]%line[]uno\ndos\n\ncuatro%nothing[]%line[]", "Ayuda", 20,
	                        10, 200, true);
	ASSERT_EQ(d.filas.size(), 4u);
	EXPECT_TRUE(d.filas[0].bloque);
	EXPECT_EQ(d.filas[0].etiqueta.h, adime::ALTO_LINEA);
	EXPECT_EQ(d.filas[2].etiqueta.h, 4 * adime::ALTO_LINEA);
	EXPECT_EQ(d.filas[0].etiqueta.x, d.ventana.x + adime::BORDE + adime::MARGEN);
	EXPECT_EQ(d.filas[1].campo.w, d.ventana.w - 2 * (adime::BORDE + adime::MARGEN));
	EXPECT_GE(d.filas[2].etiqueta.y, d.filas[1].campo.abajo());
}

TEST(AdimeDisposicion, UnTextoDe120CaracteresEnsanchaLaVentana)
{
	std::string formato = std::string(120, 'a') + "\nb%nothing[]%line[]";
	Disposicion d = dispone(formato.c_str(), "T", 20, 10, 200, true, 1720, 1000);
	EXPECT_GE(d.ventana.w, 120 * PIXELES_POR_CARACTER);
	EXPECT_EQ(d.ventana.x, 20);
}

TEST(AdimeDisposicion, UnaVentanaQueNoCabeSeMueveDentroYSusBotonesSeVen)
{
	Disposicion d = dispone("x%float[]", "Un titulo", 600, 470, 100, true, 640, 480);
	EXPECT_LE(d.ventana.derecha(), 640);
	EXPECT_LE(d.ventana.abajo(), 480);
	EXPECT_TRUE(dentro(d.ok, d.ventana));

	std::string enorme;
	for (int i = 0; i < 80; i++)
		enorme += std::string(150, 'x') + "\n";
	enorme += "%nothing[]%line[]Valor %float[,]";
	d = dispone(enorme.c_str(), "Enorme", 20, 10, 200, true, 640, 480);
	EXPECT_LE(d.ventana.derecha(), 640); // its lines cut at the screen's edge
	EXPECT_EQ(d.ventana.y, 0);
	Rect pantalla{0, 0, 640, 480};
	EXPECT_TRUE(dentro(d.ok, pantalla));
	EXPECT_TRUE(dentro(d.cancelar, pantalla));
	EXPECT_FALSE(se_solapan(d.ok, d.cancelar));
}

// The import view on the smallest window: lines of 100 characters do not
// push it off the screen, and its fields keep room to type in.
TEST(AdimeDisposicion, LaVistaDeImportacionCabeEn640x480ConCamposUsables)
{
	std::string lineas;
	for (int i = 0; i < 12; i++)
		lineas += std::string(100, static_cast<char>('a' + i)) + "\n";
	FormaLectura forma;
	std::string vista =
	    texto_vista_previa(vista_de_tabla(lineas.c_str(), forma, FILAS_VISTA_PREVIA), forma);
	std::string formato = formato_importa("/datos/ancho.txt", lineas.c_str(), {}, "", vista);
	Disposicion d = dispone(formato.c_str(), DIALOGO_IMPORTA.titulo, DIALOGO_IMPORTA.x, DIALOGO_IMPORTA.y,
	                        DIALOGO_IMPORTA.ancho_campo, true, 640, 480);
	Rect pantalla{0, 0, 640, 480};
	EXPECT_TRUE(dentro(d.ventana, pantalla));
	for (const auto &f : d.filas) {
		EXPECT_TRUE(dentro(f.etiqueta, d.ventana));
		EXPECT_TRUE(dentro(f.campo, d.ventana));
		if (!f.bloque && f.campo.h == adime::ALTO_EDICION) { // an edit box
			EXPECT_GE(f.campo.w, std::min(DIALOGO_IMPORTA.ancho_campo, 6 * PIXELES_POR_CARACTER));
		}
	}
}

// A line too wide for its box is cut between whole characters, with a mark,
// as wide as the box allows; one that fits is left whole.
TEST(AdimeDisposicion, UnaLineaQueNoCabeSeCortaEntreCaracteresConUnaMarca)
{
	auto mide = [](const std::string &s) {
		int n = 0;
		for (unsigned char c : s)
			n += (c & 0xC0) != 0x80;
		return n * PIXELES_POR_CARACTER;
	};
	const std::string linea = "a\xc3\xb1o \xe2\x80\x94 cuentas"; // "año — cuentas"
	EXPECT_EQ(adime::recorta_linea(linea, mide(linea), mide), linea);
	for (int ancho = 3 * PIXELES_POR_CARACTER; ancho < mide(linea); ancho++) {
		std::string corta = adime::recorta_linea(linea, ancho, mide);
		ASSERT_GE(corta.size(), 3u);
		EXPECT_EQ(corta.substr(corta.size() - 3), "...") << ancho;
		std::string cabeza = corta.substr(0, corta.size() - 3);
		EXPECT_EQ(linea.compare(0, cabeza.size(), cabeza), 0) << ancho;
		EXPECT_NE(static_cast<unsigned char>(linea[cabeza.size()]) & 0xC0, 0x80) << ancho;
		EXPECT_LE(mide(corta), ancho);
		EXPECT_GT(mide(corta) + PIXELES_POR_CARACTER, ancho); // one more would not fit
	}
}

TEST(AdimeDisposicion, LosAmpersandsNoOcupanSitio)
{
	EXPECT_EQ(adime::sin_ampersand("&Leer Datos"), "Leer Datos");
	EXPECT_EQ(adime::sin_ampersand("A && B"), "A & B");
	EXPECT_EQ(adime::sin_ampersand("Fin&"), "Fin");
	EXPECT_EQ(adime::sin_ampersand("Salida+Help"), "Salida+Help");
}

TEST(AdimeDisposicion, LaLineaDeEstadoQuedaBajoElMenuYSobreLaImagen)
{
	Disposicion d = dispone(DIALOGO_MENU.formato, DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y,
	                        DIALOGO_MENU.ancho_campo, false);
	EXPECT_LE(d.ventana.y + d.ventana.h, Y_ESTADO) << d.ventana.y << " " << d.ventana.h;
	EXPECT_LE(Y_ESTADO + PIXELES_POR_CARACTER, Y_IMAGEN);
	EXPECT_GE(Y_ESTADO, Y_CABECERA_3 + PIXELES_POR_CARACTER - 1); // beside the header's last row at most
	EXPECT_GE(X_ESTADO, X_CABECERA + PIXELES_POR_CARACTER * int(std::string(CABECERA_3).size()));
}
