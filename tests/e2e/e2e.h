// Support for the end-to-end tests: the real program started on its own
// Xvfb in a scratch folder, and reading text back off its window with the
// same built-in font that drew it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "arnes.h"
#include "disposicion.h"
#include "textos.h"

// Colours of the program's window, as 0xRRGGBB.
constexpr uint32_t AZUL_FONDO = RGB_BLUE.hex();
constexpr uint32_t BLANCO_E2E = RGB_WHITE.hex();
constexpr uint32_t NEGRO_E2E = RGB_BLACK.hex();

// The window on the default 1024x768 desktop of a session.
constexpr int ESCRITORIO_X = 1024, ESCRITORIO_Y = 768;
constexpr int PWX = ESCRITORIO_X - static_cast<int>(MARGEN_ESCRITORIO);
constexpr int PWY = ESCRITORIO_Y - static_cast<int>(MARGEN_ESCRITORIO);

// One run of orquilo: an Xvfb of the given desktop size, a scratch folder
// (with the example spectrum as datos.txt unless told otherwise), the program
// started in it (with `args` on its command line) with its window found, the
// pointer out of it and the menu up.
class Sesion {
public:
	explicit Sesion(int ancho = ESCRITORIO_X, int alto = ESCRITORIO_Y, bool con_ejemplo = true,
	                const std::vector<std::string> &args = {});
	~Sesion(); // ends the program and the Xvfb, and removes the scratch folder
	arnes::Xvfb &x() { return *xvfb_; }
	arnes::Proceso &programa() { return *proceso_; }
	const std::string &carpeta() const { return carpeta_; }
	std::string ruta(const std::string &nombre) const { return carpeta_ + "/" + nombre; }
	arnes::Imagen captura() { return arnes::captura(*xvfb_); }
	void tecla(const std::string &t, int pulsar_ms = 40, int despues_ms = 200)
	{
		arnes::tecla(*xvfb_, t, pulsar_ms, despues_ms);
	}
	void escribe(const std::string &t) { arnes::escribe(*xvfb_, t); }
	// Waits until the window shows `texto` at (x, y); false after the time.
	bool espera_texto(int x, int y, const std::string &texto, double segundos = ESPERA);
	// Text of n character cells at (x, y), '?' where a cell is no character.
	std::string lee(int x, int y, int n);
	// Presses keys that open a dialog and waits until the program announces it
	// by its title; throws if it does not open.
	void abre_dialogo(const std::string &teclas, const std::string &titulo);
	// How often the program has announced `que` (a whole line) on its output.
	int anuncios(const std::string &que) const;
	// Waits until it has announced `que` more than `previos` times.
	bool espera_anuncio(const std::string &que, int previos, double segundos = ESPERA);
	// Whether the load dialog, opened and then closed with Esc, proposes `nombre`.
	bool carga_propone(const std::string &nombre);
	// Opens the load dialog, puts `nombre` in its field and confirms.
	void carga(const std::string &nombre);
	// Opens the save dialog, ticks what is asked (with other names if given)
	// and confirms.
	void guarda(bool imagen, bool datos, const std::string &nombre_imagen = "",
	            const std::string &nombre_datos = "");
	// Clears the focused text field and types `texto` in it.
	void reemplaza_campo(const std::string &texto);
	// Waits until `texto` shows in the window, or in a rectangle of it.
	bool espera_en_pantalla(const std::string &texto, double segundos = ESPERA,
	                        const arnes::Zona &zona = TODA);
	// Confirms the exit and waits for the program to end: its exit status.
	std::optional<int> sal();

	static constexpr double ESPERA = 20; // generous: only a failing test waits it out
	static constexpr arnes::Zona TODA{0, 0, 1 << 16, 1 << 16};

private:
	[[noreturn]] void falla(const std::string &que) const;
	bool espera_titulo(const std::string &titulo);
	std::unique_ptr<arnes::Xvfb> xvfb_;
	std::string carpeta_;
	std::unique_ptr<arnes::Proceso> proceso_;
};

// A session whose first act is loading the example spectrum (1500 channels),
// and whose last is a confirmed exit with status 0.
class EjemploCargado : public ::testing::Test {
protected:
	Sesion s;
	void SetUp() override;
	void TearDown() override { EXPECT_EQ(s.sal(), 0); }
};

// Reads the n characters at (x, y) of an image: black glyphs on the light blue
// text background, '?' where a cell matches no character.
std::string lee_texto(const arnes::Imagen &img, int x, int y, int n);

// Where `texto` stands in the image in any two colours; nothing if nowhere.
std::optional<std::pair<int, int>> busca_texto(const arnes::Imagen &img, const std::string &texto);

// The path of a file of the project or of the shared test data.
std::string ejemplo();

// The numbers of a file's text after its first `saltar` lines.
std::vector<float> numeros_tras(const std::string &texto, int saltar);
std::string datos_prueba(const std::string &nombre);
