// Harness implementation: processes with fork/exec, xdotool for input, Xlib for
// reading pixels.  See arnes.h.
#include "arnes.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace arnes {

namespace {

constexpr int ESPERA_SONDEO_MS = 20;
constexpr int SONDEO_TECLA_MS = 2; // a held key is let go this soon after the change

// The folders carpeta_temporal made, for the test program's exit to remove.
std::vector<std::string> carpetas_hechas;

void borra_carpetas_hechas()
{
	for (const std::string &c : carpetas_hechas) {
		std::error_code error; // a folder already gone is no error
		std::filesystem::remove_all(c, error);
	}
}

// Runs a command with DISPLAY set and waits for it.
int ejecuta(const Xvfb &x, const std::vector<std::string> &args)
{
	pid_t pid = fork();
	if (pid == 0) {
		setenv("DISPLAY", x.display().c_str(), 1);
		int nulo = open("/dev/null", O_WRONLY);
		dup2(nulo, 1);
		std::vector<char *> argv;
		for (const auto &a : args)
			argv.push_back(const_cast<char *>(a.c_str()));
		argv.push_back(nullptr);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	int estado = 0;
	waitpid(pid, &estado, 0);
	return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

void termina(int pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	for (int i = 0; i < 100; i++) {
		if (waitpid(pid, nullptr, WNOHANG) == pid)
			return;
		duerme_ms(ESPERA_SONDEO_MS);
	}
	kill(pid, SIGKILL);
	waitpid(pid, nullptr, 0);
}

// Xlib connection for one call; errors from vanished windows are ignored.
struct Conexion {
	Display *d;
	explicit Conexion(const Xvfb &x) : d(XOpenDisplay(x.display().c_str())) {}
	~Conexion()
	{
		if (d)
			XCloseDisplay(d);
	}
};

int ignora_errores(Display *, XErrorEvent *)
{
	return 0;
}

bool sondea(const std::function<bool()> &condicion, double segundos, int cada_ms)
{
	auto fin = std::chrono::steady_clock::now() + std::chrono::duration<double>(segundos);
	while (std::chrono::steady_clock::now() < fin) {
		if (condicion())
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(cada_ms));
	}
	return condicion();
}

} // namespace

void duerme_ms(int ms)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool espera_hasta(const std::function<bool()> &condicion, double segundos)
{
	return sondea(condicion, segundos, ESPERA_SONDEO_MS);
}

bool pulsa_hasta(const Xvfb &x, const std::string &teclas, const std::function<bool()> &condicion,
                 double segundos)
{
	baja_tecla(x, teclas);
	bool visto = sondea(condicion, segundos, SONDEO_TECLA_MS);
	sube_tecla(x, teclas);
	return visto;
}

Xvfb::Xvfb(int ancho, int alto) : ancho_(ancho), alto_(alto)
{
	int tubo[2];
	if (pipe(tubo) != 0)
		throw std::runtime_error("pipe");
	std::string pantalla = std::to_string(ancho) + "x" + std::to_string(alto) + "x24";
	pid_ = fork();
	if (pid_ == 0) {
		close(tubo[0]);
		int nulo = open("/dev/null", O_WRONLY);
		dup2(nulo, 1);
		dup2(nulo, 2);
		std::string fd = std::to_string(tubo[1]);
		execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", pantalla.c_str(), "-noreset",
		       "-nolisten", "tcp", static_cast<char *>(nullptr));
		_exit(127);
	}
	close(tubo[1]);
	// Xvfb may write the number and its newline apart; closing the pipe before
	// the newline arrives makes that second write fail, and Xvfb quits.
	std::string numero;
	char c;
	while (read(tubo[0], &c, 1) == 1 && c != '\n')
		numero += c;
	close(tubo[0]);
	if (numero.empty())
		throw std::runtime_error("Xvfb did not start (is it installed?)");
	display_ = ":" + numero;
}

Xvfb::~Xvfb()
{
	termina(pid_);
}

void Xvfb::usa_en_este_proceso() const
{
	setenv("DISPLAY", display_.c_str(), 1);
}

Proceso::Proceso(const Xvfb &x, const std::string &programa, const std::string &carpeta,
                 const std::vector<std::string> &args, const std::vector<std::string> &entorno)
{
	out_ = carpeta + "/.stdout";
	err_ = carpeta + "/.stderr";
	pid_ = fork();
	if (pid_ == 0) {
		setenv("DISPLAY", x.display().c_str(), 1);
		for (const auto &v : entorno)
			putenv(const_cast<char *>(v.c_str()));
		if (chdir(carpeta.c_str()) != 0)
			_exit(126);
		int o = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		int e = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		dup2(o, 1);
		dup2(e, 2);
		std::vector<char *> argv{const_cast<char *>(programa.c_str())};
		for (const auto &a : args)
			argv.push_back(const_cast<char *>(a.c_str()));
		argv.push_back(nullptr);
		execv(programa.c_str(), argv.data());
		_exit(127);
	}
}

Proceso::~Proceso()
{
	if (!estado_)
		termina(pid_);
}

std::optional<int> Proceso::espera_salida(double segundos)
{
	espera_hasta([this] { return !vivo(); }, segundos);
	return estado_;
}

bool Proceso::vivo()
{
	if (estado_)
		return false;
	int estado = 0;
	if (waitpid(pid_, &estado, WNOHANG) != pid_)
		return true;
	estado_ = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
	return false;
}

std::string Proceso::salida() const
{
	return lee_fichero(out_);
}
std::string Proceso::errores() const
{
	return lee_fichero(err_);
}

std::optional<Ventana> busca_ventana(const Xvfb &x)
{
	Conexion c(x);
	if (!c.d)
		return std::nullopt;
	XSetErrorHandler(ignora_errores);
	Window raiz = DefaultRootWindow(c.d), padre, *hijos = nullptr;
	unsigned n = 0;
	std::optional<Ventana> mejor;
	if (!XQueryTree(c.d, raiz, &raiz, &padre, &hijos, &n))
		return std::nullopt;
	for (unsigned i = 0; i < n; i++) {
		XWindowAttributes a;
		if (!XGetWindowAttributes(c.d, hijos[i], &a) || a.map_state != IsViewable)
			continue;
		if (!mejor || a.width * a.height > mejor->ancho * mejor->alto)
			mejor = Ventana{hijos[i], a.x, a.y, a.width, a.height};
	}
	if (hijos)
		XFree(hijos);
	return mejor;
}

std::string titulo_ventana(const Xvfb &x)
{
	auto v = busca_ventana(x);
	Conexion c(x);
	if (!v || !c.d)
		return std::string();
	XSetErrorHandler(ignora_errores);
	Atom tipo;
	int formato;
	unsigned long n = 0, quedan;
	unsigned char *datos = nullptr;
	std::string titulo;
	Atom nombre = XInternAtom(c.d, "_NET_WM_NAME", False), utf8 = XInternAtom(c.d, "UTF8_STRING", False);
	if (XGetWindowProperty(c.d, v->id, nombre, 0, 4096, False, utf8, &tipo, &formato, &n, &quedan,
	                       &datos) == Success &&
	    datos && tipo == utf8)
		titulo.assign(reinterpret_cast<char *>(datos), n);
	else if (char *antiguo = nullptr; XFetchName(c.d, v->id, &antiguo) && antiguo) {
		titulo = antiguo;
		XFree(antiguo);
	}
	if (datos)
		XFree(datos);
	return titulo;
}

std::optional<Ventana> espera_ventana(const Xvfb &x, double segundos)
{
	std::optional<Ventana> v;
	espera_hasta([&] { return (v = busca_ventana(x)).has_value(); }, segundos);
	return v;
}

Imagen captura(const Xvfb &x)
{
	return captura(x, Zona{0, 0, 1 << 16, 1 << 16});
}

Imagen captura(const Xvfb &x, const Zona &zona)
{
	Imagen img;
	auto v = busca_ventana(x);
	Conexion c(x);
	if (!v || !c.d)
		return img;
	int x0 = std::max(zona.x, 0), y0 = std::max(zona.y, 0);
	int ancho = std::min(zona.x + zona.ancho, v->ancho) - x0;
	int alto = std::min(zona.y + zona.alto, v->alto) - y0;
	if (ancho <= 0 || alto <= 0)
		return img;
	XSetErrorHandler(ignora_errores);
	XImage *xi = XGetImage(c.d, v->id, x0, y0, ancho, alto, AllPlanes, ZPixmap);
	if (!xi)
		return img;
	img.x0 = x0;
	img.y0 = y0;
	img.ancho = ancho;
	img.alto = alto;
	img.px.resize(static_cast<size_t>(img.ancho) * img.alto);
	// A 32-bit little-endian image is read row by row; anything else pixel by pixel.
	bool directa = xi->bits_per_pixel == 32 && xi->byte_order == LSBFirst;
	for (int y = 0; y < img.alto; y++) {
		uint32_t *destino = &img.px[static_cast<size_t>(y) * img.ancho];
		if (directa)
			std::memcpy(destino, xi->data + static_cast<size_t>(y) * xi->bytes_per_line,
			            4 * img.ancho);
		for (int xx = 0; xx < img.ancho; xx++)
			destino[xx] = (directa ? destino[xx] : XGetPixel(xi, xx, y)) & 0xFFFFFF;
	}
	XDestroyImage(xi);
	return img;
}

void baja_tecla(const Xvfb &x, const std::string &teclas)
{
	ejecuta(x, {"xdotool", "keydown", teclas});
}
void sube_tecla(const Xvfb &x, const std::string &teclas)
{
	ejecuta(x, {"xdotool", "keyup", teclas});
}

void teclas_breves(const Xvfb &x, const std::vector<std::string> &teclas, int entre_ms)
{
	std::vector<std::string> orden = {"xdotool", "key", "--delay", std::to_string(entre_ms)};
	orden.insert(orden.end(), teclas.begin(), teclas.end());
	ejecuta(x, orden);
}

void tecla(const Xvfb &x, const std::string &teclas, int pulsar_ms, int despues_ms)
{
	baja_tecla(x, teclas);
	duerme_ms(pulsar_ms);
	sube_tecla(x, teclas);
	duerme_ms(despues_ms);
}

void escribe(const Xvfb &x, const std::string &texto)
{
	ejecuta(x, {"xdotool", "type", "--delay", "60", texto});
	duerme_ms(200);
}

void raton_fuera(const Xvfb &x)
{
	ejecuta(x, {"xdotool", "mousemove", std::to_string(x.ancho() - 1), std::to_string(x.alto() - 1)});
	auto v = busca_ventana(x);
	Conexion c(x);
	if (!v || !c.d)
		return;
	XSetErrorHandler(ignora_errores);
	XSetInputFocus(c.d, v->id, RevertToPointerRoot, CurrentTime);
	XSync(c.d, False);
}

void mueve_raton(const Xvfb &x, int vx, int vy)
{
	auto v = busca_ventana(x);
	int ox = v ? v->x : 0, oy = v ? v->y : 0;
	ejecuta(x, {"xdotool", "mousemove", std::to_string(ox + vx), std::to_string(oy + vy)});
}

void clic(const Xvfb &x, int vx, int vy)
{
	mueve_raton(x, vx, vy);
	ejecuta(x, {"xdotool", "click", "1"});
	duerme_ms(200);
}

void raton(const Xvfb &x, const std::vector<std::string> &orden)
{
	std::vector<std::string> args = {"xdotool"};
	args.insert(args.end(), orden.begin(), orden.end());
	ejecuta(x, args);
}

std::string carpeta_temporal(const std::string &prefijo)
{
	std::string plantilla = "/tmp/orq-" + prefijo + "-XXXXXX";
	std::vector<char> buf(plantilla.begin(), plantilla.end());
	buf.push_back('\0');
	if (!mkdtemp(buf.data()))
		throw std::runtime_error("mkdtemp");
	if (carpetas_hechas.empty())
		std::atexit(borra_carpetas_hechas);
	carpetas_hechas.push_back(buf.data());
	return buf.data();
}

std::string lee_fichero(const std::string &ruta)
{
	std::ifstream f(ruta, std::ios::binary);
	std::stringstream s;
	s << f.rdbuf();
	return s.str();
}

void escribe_fichero(const std::string &ruta, const std::string &contenido)
{
	std::ofstream f(ruta, std::ios::binary);
	f << contenido;
}

bool espera_salida_con(const Proceso &p, const std::string &texto, double segundos)
{
	return espera_hasta([&] { return p.salida().find(texto) != std::string::npos; }, segundos);
}

void clic_sostenido(const Xvfb &x, int vx, int vy, int pulsar_ms)
{
	mueve_raton(x, vx, vy);
	duerme_ms(pulsar_ms);
	ejecuta(x, {"xdotool", "mousedown", "1"});
	duerme_ms(pulsar_ms);
	ejecuta(x, {"xdotool", "mouseup", "1"});
	duerme_ms(200);
}

} // namespace arnes
