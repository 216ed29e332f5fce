// Test harness for everything that needs a display: a private Xvfb, the program
// under test started inside it, keys pressed with xdotool, and the window's
// pixels read back through Xlib.  Start with Xvfb and Proceso.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace arnes {

// A virtual X server of the given size at 24 bits, on a free display number;
// ended when this object goes.  Started with -noreset so that short-lived
// clients (xdotool) do not reset it.
class Xvfb {
public:
	Xvfb(int ancho, int alto);
	~Xvfb();
	Xvfb(const Xvfb &) = delete;
	Xvfb &operator=(const Xvfb &) = delete;
	const std::string &display() const { return display_; }
	int ancho() const { return ancho_; }
	int alto() const { return alto_; }
	int pid() const { return pid_; } // for a test that ends the server itself
	// Sets DISPLAY in this process, for tests that open Allegro themselves.
	void usa_en_este_proceso() const;

private:
	int pid_ = -1;
	int ancho_, alto_;
	std::string display_;
};

// A program started on an Xvfb, in a working folder, with extra environment
// variables ("NAME=value"); killed if still running when this object goes.
// Its standard output and error are kept in files.
class Proceso {
public:
	Proceso(const Xvfb &x, const std::string &programa, const std::string &carpeta,
	        const std::vector<std::string> &args = {}, const std::vector<std::string> &entorno = {});
	~Proceso();
	Proceso(const Proceso &) = delete;
	Proceso &operator=(const Proceso &) = delete;
	// Exit status once the program ended within the time, else nothing.
	std::optional<int> espera_salida(double segundos);
	bool vivo();
	std::string salida() const;  // what it wrote on standard output
	std::string errores() const; // what it wrote on standard error
	int pid() const { return pid_; }

private:
	int pid_ = -1;
	std::optional<int> estado_;
	std::string out_, err_;
};

// A rectangle of the window, in pixels from its top-left corner.
struct Zona {
	int x = 0, y = 0, ancho = 0, alto = 0;
};

// Pixels of a window or of a rectangle of it, as 0xRRGGBB.  `en` takes window
// coordinates: (x0, y0) is where the rectangle stands in the window.
struct Imagen {
	int x0 = 0, y0 = 0;
	int ancho = 0, alto = 0;
	std::vector<uint32_t> px;
	uint32_t en(int x, int y) const { return px[static_cast<size_t>(y - y0) * ancho + (x - x0)]; }
	bool contiene(int x, int y) const { return x >= x0 && y >= y0 && x < x0 + ancho && y < y0 + alto; }
	bool vacia() const { return px.empty(); }
};

// Geometry of the program's top-level window (the largest mapped one).
struct Ventana {
	unsigned long id = 0;
	int x = 0, y = 0, ancho = 0, alto = 0;
};
std::optional<Ventana> busca_ventana(const Xvfb &x);
// The title of the program's window as window managers read it
// (_NET_WM_NAME, UTF-8), else its WM_NAME; "" when it has none.
std::string titulo_ventana(const Xvfb &x);
// Waits until a window shows up; its geometry, or nothing after the time.
std::optional<Ventana> espera_ventana(const Xvfb &x, double segundos = 10);
// The window's pixels (empty when there is none).
Imagen captura(const Xvfb &x);
// Only a rectangle of the window, cut to it: far cheaper to read and search.
Imagen captura(const Xvfb &x, const Zona &zona);

// Presses the xdotool key sequence (for example "Right", "shift+Up", "Escape",
// "alt+o"): held for `pulsar_ms`, then released and left for `despues_ms`.
void tecla(const Xvfb &x, const std::string &teclas, int pulsar_ms = 40, int despues_ms = 200);
// Holds keys down (or releases them) without waiting.
void baja_tecla(const Xvfb &x, const std::string &teclas);
// Each key of the list pressed and released at once, as input tools and
// remote desktops send them, `entre_ms` apart.
void teclas_breves(const Xvfb &x, const std::vector<std::string> &teclas, int entre_ms);
void sube_tecla(const Xvfb &x, const std::string &teclas);
// Types text into the focused field.
void escribe(const Xvfb &x, const std::string &texto);
// Moves the pointer to the screen's bottom-right corner, out of the window,
// and gives the window the keyboard focus (with no window manager the focus
// would otherwise follow the pointer out).
void raton_fuera(const Xvfb &x);
// Moves the pointer to (vx, vy) inside the program's window.
void mueve_raton(const Xvfb &x, int vx, int vy);
// Clicks at a point of the window.
void clic(const Xvfb &x, int vx, int vy);
// Runs an xdotool mouse command where the pointer stands ("mousedown 1",
// "click 4" for a wheel step away from the user, "click --repeat 2 1").
void raton(const Xvfb &x, const std::vector<std::string> &orden);

// Polls `condicion` every 20 ms until it holds or the time runs out, and
// checks once more after the deadline: a poll that a busy machine delayed
// past it still counts.
bool espera_hasta(const std::function<bool()> &condicion, double segundos);
// Holds keys down until `condicion` holds (or the time runs out), then lets
// them go at once; whether it held.
bool pulsa_hasta(const Xvfb &x, const std::string &teclas, const std::function<bool()> &condicion,
                 double segundos);
void duerme_ms(int ms);

// A fresh empty folder under /tmp, removed with all it holds when the test
// program ends.
std::string carpeta_temporal(const std::string &prefijo);
std::string lee_fichero(const std::string &ruta);
void escribe_fichero(const std::string &ruta, const std::string &contenido);

// Waits until the program has written `texto` on its standard output.
bool espera_salida_con(const Proceso &p, const std::string &texto, double segundos = 10);

// Clicks at a point of the window holding the button down for `pulsar_ms`:
// Allegro polls the mouse, so an instant click can pass unseen.
void clic_sostenido(const Xvfb &x, int vx, int vy, int pulsar_ms = 80);

} // namespace arnes
