// See e2e.h.  Text is read back by comparing 8x8 cells with the glyphs of
// Allegro's built-in font, rendered in this process without a display.
#include "e2e.h"

#include "disposicion.h"

#include <allegro.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

constexpr int CELDA = 8;
constexpr int PRIMER_CARACTER = 32;
constexpr int ULTIMO_CARACTER = 126;
constexpr double ESPERA_ARRANQUE = 40; // generous: sanitizer builds start slowly

using Mascara = uint64_t; // one bit a pixel of an 8x8 cell

// A text's pixels in the built-in font: true where the glyphs are.
std::vector<std::vector<bool>> dibuja_texto(const std::string &texto)
{
	static bool listo = false;
	if (!listo) {
		install_allegro(SYSTEM_NONE, &errno, atexit);
		listo = true;
	}
	int ancho = CELDA * static_cast<int>(texto.size());
	BITMAP *b = create_bitmap_ex(8, ancho, CELDA);
	clear_to_color(b, 0);
	textout_ex(b, font, texto.c_str(), 0, 0, 1, 0);
	std::vector<std::vector<bool>> px(CELDA, std::vector<bool>(ancho));
	for (int y = 0; y < CELDA; y++)
		for (int x = 0; x < ancho; x++)
			px[y][x] = getpixel(b, x, y) != 0;
	destroy_bitmap(b);
	return px;
}

const std::array<Mascara, 128> &glifos()
{
	static std::array<Mascara, 128> g{};
	static bool hechos = false;
	if (!hechos) {
		for (int c = PRIMER_CARACTER; c <= ULTIMO_CARACTER; c++) {
			auto px = dibuja_texto(std::string(1, static_cast<char>(c)));
			for (int i = 0; i < CELDA * CELDA; i++)
				if (px[i / CELDA][i % CELDA])
					g[c] |= Mascara{1} << i;
		}
		hechos = true;
	}
	return g;
}

// The cell's mask, or nothing if a pixel is neither black nor the background.
std::optional<Mascara> mascara_celda(const arnes::Imagen &img, int x, int y)
{
	Mascara m = 0;
	for (int i = 0; i < CELDA * CELDA; i++) {
		int px = x + i % CELDA, py = y + i / CELDA;
		if (px < 0 || py < 0 || px >= img.ancho || py >= img.alto)
			return std::nullopt;
		uint32_t c = img.en(px, py);
		if (c == NEGRO_E2E)
			m |= Mascara{1} << i;
		else if (c != AZUL_FONDO)
			return std::nullopt;
	}
	return m;
}

bool texto_en(const arnes::Imagen &img, const std::vector<std::vector<bool>> &px, int x, int y)
{
	int ancho = static_cast<int>(px[0].size());
	std::optional<uint32_t> tinta, fondo;
	for (int j = 0; j < CELDA; j++)
		for (int i = 0; i < ancho; i++) {
			uint32_t c = img.en(x + i, y + j);
			auto &esperado = px[j][i] ? tinta : fondo;
			if (!esperado)
				esperado = c;
			else if (*esperado != c)
				return false;
		}
	return tinta && fondo && *tinta != *fondo;
}

// Runs xdotool with extra words on the session's display.
void xdotool(const arnes::Xvfb &x, const std::string &args)
{
	std::string orden = "DISPLAY=" + x.display() + " xdotool " + args + " >/dev/null 2>&1";
	if (std::system(orden.c_str()) != 0)
		throw std::runtime_error("xdotool failed: " + args);
}

} // namespace

std::string lee_texto(const arnes::Imagen &img, int x, int y, int n)
{
	std::string s;
	for (int k = 0; k < n; k++) {
		auto m = mascara_celda(img, x + CELDA * k, y);
		char c = '?';
		for (int g = PRIMER_CARACTER; m && g <= ULTIMO_CARACTER; g++)
			if (glifos()[g] == *m) {
				c = static_cast<char>(g);
				break;
			}
		s += c;
	}
	return s;
}

std::optional<std::pair<int, int>> busca_texto(const arnes::Imagen &img, const std::string &texto)
{
	auto px = dibuja_texto(texto);
	int ancho = static_cast<int>(px[0].size());
	for (int y = 0; y + CELDA <= img.alto; y++)
		for (int x = 0; x + ancho <= img.ancho; x++)
			if (texto_en(img, px, x, y))
				return std::make_pair(x, y);
	return std::nullopt;
}

std::string ejemplo()
{
	return std::string(ORQ_FUENTE) + "/ejemplo/datos.txt";
}
std::string datos_prueba(const std::string &nombre)
{
	return std::string(ORQ_DATOS_PRUEBA) + "/" + nombre;
}

Sesion::Sesion(int ancho, int alto, bool con_ejemplo, const std::vector<std::string> &args)
{
	xvfb_ = std::make_unique<arnes::Xvfb>(ancho, alto);
	carpeta_ = arnes::carpeta_temporal("e2e");
	if (con_ejemplo)
		arnes::escribe_fichero(ruta("datos.txt"), arnes::lee_fichero(ejemplo()));
	proceso_ = std::make_unique<arnes::Proceso>(*xvfb_, ORQ_BINARIO, carpeta_, args);
	if (!arnes::espera_ventana(*xvfb_, ESPERA_ARRANQUE)) {
		bool vivo = proceso_->vivo();
		throw std::runtime_error(std::string("the program opened no window on ") + xvfb_->display() +
		                         "; " + (vivo ? "still running" : "it ended") + "; stdout: " +
		                         proceso_->salida() + "; stderr: " + proceso_->errores());
	}
	arnes::raton_fuera(*xvfb_);
	if (!espera_en_pantalla("eer Datos", ESPERA_ARRANQUE))
		throw std::runtime_error("the command menu did not show");
}

Sesion::~Sesion()
{
	proceso_.reset();
	xvfb_.reset();
	std::error_code error;
	std::filesystem::remove_all(carpeta_, error);
}

bool Sesion::espera_texto(int x, int y, const std::string &texto, double segundos)
{
	return arnes::espera_hasta([&] { return lee(x, y, static_cast<int>(texto.size())) == texto; },
	                           segundos);
}

std::string Sesion::lee(int x, int y, int n)
{
	return lee_texto(captura(), x, y, n);
}

void Sesion::carga(const std::string &nombre)
{
	tecla("l");
	espera_en_pantalla("Fichero con datos");
	if (nombre != "datos.txt")
		reemplaza_campo(nombre);
	tecla("Return");
}

void Sesion::reemplaza_campo(const std::string &texto)
{
	tecla("End");
	xdotool(*xvfb_, "key --delay 5 --repeat 120 BackSpace");
	escribe(texto);
}

bool Sesion::espera_en_pantalla(const std::string &texto, double segundos)
{
	return arnes::espera_hasta([&] { return busca_texto(captura(), texto).has_value(); }, segundos);
}

// Focus order of the save dialog: image box, its name, its browse button,
// data box, its name, its browse button, OK, Cancel.
void Sesion::guarda(bool imagen, bool datos, const std::string &nombre_imagen,
                    const std::string &nombre_datos)
{
	tecla("g");
	espera_en_pantalla("Fichero para guardar resultados");
	if (imagen)
		tecla("space");
	tecla("Tab");
	if (!nombre_imagen.empty())
		reemplaza_campo(nombre_imagen);
	tecla("Tab");
	tecla("Tab");
	if (datos)
		tecla("space");
	if (!nombre_datos.empty()) {
		tecla("Tab");
		reemplaza_campo(nombre_datos);
	}
	tecla("Return");
}

std::optional<int> Sesion::sal()
{
	tecla("Escape");
	espera_en_pantalla("Vers. 3.1.2");
	tecla("Return");
	return proceso_->espera_salida(10);
}

void EjemploCargado::SetUp()
{
	s.carga("datos.txt");
	constexpr int PWX = 824; // the window on the default 1024x768 desktop
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
}
