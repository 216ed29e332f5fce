// See e2e.h.  Text is read back by comparing 8x8 cells with the glyphs of
// Allegro's built-in font, rendered in this process without a display.
#include "e2e.h"

#include "disposicion.h"
#include "textos.h"

#include <allegro.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr int CELDA = 8;
constexpr int PRIMER_CARACTER = 32;
constexpr int ULTIMO_CARACTER = 126;
constexpr double ESPERA_ARRANQUE = 60; // generous: sanitizer builds start slowly
// The program announces each dialog it opens when this is in its environment.
constexpr const char *ANUNCIOS = "ORQUILO_ANUNCIOS=1";
constexpr const char *ANUNCIO_DIALOGO = "dialogo: ";
constexpr size_t CARACTERES_DE_TITULO = 24; // enough to tell the dialogs apart

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
		if (!img.contiene(px, py))
			return std::nullopt;
		uint32_t c = img.en(px, py);
		if (c == NEGRO_E2E)
			m |= Mascara{1} << i;
		else if (c != AZUL_FONDO)
			return std::nullopt;
	}
	return m;
}

// A text as drawn, with one ink and one background pixel to read the two
// colours from first.
struct Dibujo {
	std::vector<std::vector<bool>> px;
	int ancho = 0;
	int tinta_x = -1, tinta_y = -1, fondo_x = -1, fondo_y = -1;
};

Dibujo prepara_dibujo(const std::string &texto)
{
	Dibujo d;
	d.px = dibuja_texto(texto);
	d.ancho = static_cast<int>(d.px[0].size());
	for (int j = 0; j < CELDA; j++)
		for (int i = 0; i < d.ancho; i++) {
			int &px = d.px[j][i] ? d.tinta_x : d.fondo_x;
			if (px < 0) {
				px = i;
				(d.px[j][i] ? d.tinta_y : d.fondo_y) = j;
			}
		}
	return d;
}

// Whether the text stands at (x, y) in two different colours; it gives up at
// the first pixel that disagrees, so a plain area costs a couple of reads.
bool texto_en(const arnes::Imagen &img, const Dibujo &d, int x, int y)
{
	if (d.tinta_x < 0 || d.fondo_x < 0)
		return false;
	uint32_t tinta = img.en(x + d.tinta_x, y + d.tinta_y);
	uint32_t fondo = img.en(x + d.fondo_x, y + d.fondo_y);
	if (tinta == fondo)
		return false;
	for (int j = 0; j < CELDA; j++)
		for (int i = 0; i < d.ancho; i++)
			if (img.en(x + i, y + j) != (d.px[j][i] ? tinta : fondo))
				return false;
	return true;
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
	Dibujo d = prepara_dibujo(texto);
	for (int y = img.y0; y + CELDA <= img.y0 + img.alto; y++)
		for (int x = img.x0; x + d.ancho <= img.x0 + img.ancho; x++)
			if (texto_en(img, d, x, y))
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
	proceso_ = std::make_unique<arnes::Proceso>(*xvfb_, ORQ_BINARIO, carpeta_, args,
	                                            std::vector<std::string>{ANUNCIOS});
	if (!arnes::espera_ventana(*xvfb_, ESPERA_ARRANQUE)) {
		bool vivo = proceso_->vivo();
		throw std::runtime_error(std::string("the program opened no window on ") + xvfb_->display() +
		                         "; " + (vivo ? "still running" : "it ended") + "; stdout: " +
		                         proceso_->salida() + "; stderr: " + proceso_->errores());
	}
	arnes::raton_fuera(*xvfb_);
	if (!espera_anuncio(ANUNCIO_DIALOGO + std::string(DIALOGO_MENU.titulo), 0, ESPERA_ARRANQUE) ||
	    !espera_titulo(DIALOGO_MENU.titulo))
		falla("the command menu did not show");
}

// The program has drawn the dialog, but X shows Allegro's screen a little
// later: wait for its title bar too, so the next capture holds it.
bool Sesion::espera_titulo(const std::string &titulo)
{
	return espera_en_pantalla(titulo.substr(0, CARACTERES_DE_TITULO));
}

void Sesion::falla(const std::string &que) const
{
	throw std::runtime_error(que + " (display " + xvfb_->display() + "; stdout: " + proceso_->salida() +
	                         "; stderr: " + proceso_->errores() + ")");
}

int Sesion::anuncios(const std::string &que) const
{
	std::string salida = proceso_->salida(), linea = que + "\n";
	int n = 0;
	for (size_t p = salida.find(linea); p != std::string::npos; p = salida.find(linea, p + 1))
		n += p == 0 || salida[p - 1] == '\n';
	return n;
}

bool Sesion::espera_anuncio(const std::string &que, int previos, double segundos)
{
	return arnes::espera_hasta([&] { return anuncios(que) > previos; }, segundos);
}

void Sesion::abre_dialogo(const std::string &teclas, const std::string &titulo)
{
	std::string anuncio = ANUNCIO_DIALOGO + titulo;
	int previos = anuncios(anuncio);
	tecla(teclas);
	if (!espera_anuncio(anuncio, previos) || !espera_titulo(titulo))
		falla("the dialog \"" + titulo + "\" did not open");
}

Sesion::~Sesion()
{
	proceso_.reset();
	xvfb_.reset();
}

bool Sesion::espera_texto(int x, int y, const std::string &texto, double segundos)
{
	return arnes::espera_hasta([&] { return lee(x, y, static_cast<int>(texto.size())) == texto; },
	                           segundos);
}

std::string Sesion::lee(int x, int y, int n)
{
	return lee_texto(arnes::captura(*xvfb_, arnes::Zona{x, y, CELDA * n, CELDA}), x, y, n);
}

void Sesion::carga(const std::string &nombre)
{
	abre_dialogo("l", DIALOGO_CARGA.titulo);
	if (nombre != "datos.txt")
		reemplaza_campo(nombre);
	tecla("Return");
}

bool Sesion::carga_propone(const std::string &nombre)
{
	abre_dialogo("l", DIALOGO_CARGA.titulo);
	bool propone = espera_en_pantalla(nombre);
	tecla("Escape");
	return propone;
}

void Sesion::reemplaza_campo(const std::string &texto)
{
	tecla("End");
	xdotool(*xvfb_, "key --delay 5 --repeat 120 BackSpace");
	escribe(texto);
}

bool Sesion::espera_en_pantalla(const std::string &texto, double segundos, const arnes::Zona &zona)
{
	return arnes::espera_hasta(
	    [&] { return busca_texto(arnes::captura(*xvfb_, zona), texto).has_value(); }, segundos);
}

// Focus order of the save dialog: image box, its name, its browse button,
// data box, its name, its browse button, OK, Cancel.
void Sesion::guarda(bool imagen, bool datos, const std::string &nombre_imagen,
                    const std::string &nombre_datos)
{
	abre_dialogo("g", DIALOGO_GUARDA.titulo);
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
	abre_dialogo("Escape", DIALOGO_SALIDA.titulo);
	tecla("Return");
	return proceso_->espera_salida(ESPERA_ARRANQUE);
}

void EjemploCargado::SetUp()
{
	s.carga("datos.txt");
	ASSERT_TRUE(s.espera_texto(PWX - MARGEN_CAMPO_FIN, Y_INFO_1, "cn.fin=1500"));
}

// The numbers of a file after its first `saltar` lines.
std::vector<float> numeros_tras(const std::string &texto, int saltar)
{
	std::istringstream in(texto);
	std::string linea;
	for (int i = 0; i < saltar; i++)
		std::getline(in, linea);
	std::vector<float> v;
	while (in >> linea)
		v.push_back(std::strtof(linea.c_str(), nullptr));
	return v;
}
