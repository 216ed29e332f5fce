// A small program of the dialog layer for the dialog tests: `adime_prueba
// <scenario> [pantalla=WxH] [valor=X]` opens the scenario's dialog(s) in a
// window and prints what came back, one "name=value" line per fact, flushed at
// once.  The idle hook announces each dialog it sees ("abierto=<name> ventana=..
// ok=.. cancelar=.."), so a test knows when to press keys and where things are.
// Scenarios: real, guardar, cargar, casilla, menu, salida, enorme, fondo,
// malformado.
#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "adime.h"
#include "adime_dialogo.h"
#include "textos.h"

namespace {

constexpr int ANCHO_DEFECTO = 640, ALTO_DEFECTO = 480;
constexpr int SEGUNDOS_ESPERA_TECLA = 60;
constexpr int MS_POR_SONDEO = 10;

int fondo_pantalla;              // the background every scenario starts on
const char *nombre_dialogo = ""; // what the hook calls the dialog it sees
const DIALOG *visto = nullptr;
long pasadas = 0;

void linea(const std::string &s)
{
	std::printf("%s\n", s.c_str());
	std::fflush(stdout);
}

std::string rect_de(const DIALOG *d)
{
	if (!d)
		return "-";
	return std::to_string(d->x) + "," + std::to_string(d->y) + "," + std::to_string(d->w) + "," +
	       std::to_string(d->h);
}

const DIALOG *boton(const DIALOG *d, const char *texto)
{
	for (; d->proc; d++)
		if (d->proc == adime::boton_proc && d->dp &&
		    std::strcmp(static_cast<const char *>(d->dp), texto) == 0)
			return d;
	return nullptr;
}

// Counts passes, says when it first sees Right held in Allegro's key array
// (as the program's own hook polls it), and announces each newly seen dialog
// with its geometry.
void gancho(DIALOG *d)
{
	pasadas++;
	static bool derecha_vista = false;
	if (key[KEY_RIGHT] && !derecha_vista) {
		derecha_vista = true;
		linea("tecla_derecha");
	}
	if (d == visto)
		return;
	visto = d;
	linea(std::string("abierto=") + nombre_dialogo + " ventana=" + rect_de(d) + " ok=" +
	      rect_de(boton(d, adime::TEXTO_OK)) + " cancelar=" + rect_de(boton(d, adime::TEXTO_CANCELAR)));
}

void nombra(const char *nombre)
{
	nombre_dialogo = nombre;
	visto = nullptr;
}

// Waits for the given key, without blocking forever if no test presses it.
bool espera_tecla(int scancode)
{
	for (int ms = 0; ms < SEGUNDOS_ESPERA_TECLA * 1000; ms += MS_POR_SONDEO) {
		if (keypressed() && (readkey() >> 8) == scancode)
			return true;
		rest(MS_POR_SONDEO);
	}
	return false;
}

std::string flotante(float v)
{
	char buf[64];
	std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
	return buf;
}

int escenario_real(float inicial)
{
	float v = inicial;
	nombra("real");
	int r = adime_dialogf(DIALOGO_CALIBRA_1.titulo, DIALOGO_CALIBRA_1.x, DIALOGO_CALIBRA_1.y,
	                      DIALOGO_CALIBRA_1.ancho_campo, DIALOGO_CALIBRA_1.formato, &v);
	linea("resultado=" + std::to_string(r) + " valor=" + flotante(v));
	return 0;
}

int escenario_guardar()
{
	int imagen = 0, datos = 0;
	char bmp[TAM_NOMBRE] = "espectro.bmp", esp[TAM_NOMBRE] = "datos.txt";
	nombra("guardar");
	int r = adime_dialogf(DIALOGO_GUARDA.titulo, DIALOGO_GUARDA.x, DIALOGO_GUARDA.y,
	                      DIALOGO_GUARDA.ancho_campo, DIALOGO_GUARDA.formato, &imagen, bmp, &datos, esp);
	linea("resultado=" + std::to_string(r) + " imagen=" + std::to_string(imagen) +
	      " fichero_imagen=" + bmp + " datos=" + std::to_string(datos) + " fichero_datos=" + esp);
	return 0;
}

int escenario_cargar()
{
	char esp[TAM_NOMBRE] = "datos.txt";
	nombra("cargar");
	int r = adime_dialogf(DIALOGO_CARGA.titulo, DIALOGO_CARGA.x, DIALOGO_CARGA.y,
	                      DIALOGO_CARGA.ancho_campo, DIALOGO_CARGA.formato, esp);
	linea("resultado=" + std::to_string(r) + " fichero=" + esp);
	return 0;
}

int escenario_casilla()
{
	int marcada = 0;
	nombra("casilla");
	int r = adime_dialogf("Casilla", 40, 40, 100, "Marcar %bool[]", &marcada);
	linea("resultado=" + std::to_string(r) + " casilla=" + std::to_string(marcada));
	return 0;
}

// Button 1 keeps the menu, 2 closes it with -7, 3 opens a nested dialog,
// 4 (Esc) closes it with 4.
int llamada_menu(DIALOG *, int n)
{
	linea("boton=" + std::to_string(n));
	if (n == 2)
		return -7;
	if (n == 4)
		return 4;
	if (n == 3) {
		float v = 0;
		nombra("anidado");
		int r = adime_dialogf("Anidado", DIALOGO_CALIBRA_1.x, DIALOGO_CALIBRA_1.y,
		                      DIALOGO_CALIBRA_1.ancho_campo, DIALOGO_CALIBRA_1.formato, &v);
		linea("anidado=" + std::to_string(r) + " valor=" + flotante(v));
		nombra("menu");
	}
	return 0;
}

int escenario_menu()
{
	nombra("menu");
	int r = adime_lowlevel_dialogf(DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y,
	                               DIALOGO_MENU.ancho_campo, DIALOGO_MENU.formato, llamada_menu);
	linea("resultado=" + std::to_string(r) + " pasadas=" + std::to_string(pasadas));
	return 0;
}

const char *const AYUDA = "Programa      Vers. 1.0   %nothing[]%line[]"
                          "Primera linea de ayuda. \n"
                          "Segunda linea, algo mas larga que la primera. \n"
                          "\n"
                          "Tras una linea vacia, la ultima."
                          "%nothing[]%line[]"
                          "Autor\n\nHerramientas\n%nothing[]%line[]";

int escenario_salida()
{
	nombra("salida");
	int r = adime_dialogf(DIALOGO_SALIDA.titulo, DIALOGO_SALIDA.x, DIALOGO_SALIDA.y,
	                      DIALOGO_SALIDA.ancho_campo, AYUDA);
	linea("resultado=" + std::to_string(r));
	return 0;
}

// A dialog far larger than the window, in both directions.
int escenario_enorme()
{
	std::string formato;
	std::string larga(150, 'x');
	for (int i = 0; i < 60; i++)
		formato += "Fila " + std::to_string(i) + " " + larga + "\n";
	formato += "%nothing[]%line[]Valor %float[,]";
	float v = 1;
	nombra("enorme");
	int r = adime_dialogf("Enorme", 20, 10, 200, formato.c_str(), &v);
	linea("resultado=" + std::to_string(r) + " valor=" + flotante(v));
	return 0;
}

// Stripes and squares in many colours, to see that a dialog restores them.
void dibuja_patron()
{
	for (int y = 0; y < SCREEN_H; y += 8)
		for (int x = 0; x < SCREEN_W; x += 8)
			rectfill(screen, x, y, x + 7, y + 7,
			         makecol((x * 3) & 255, (y * 5) & 255, ((x + y) * 7) & 255));
}

// Draws a pattern, opens a dialog on 'a' and reports on 'q' after it closes,
// so that a test can compare the screen before and after.
int escenario_fondo()
{
	dibuja_patron();
	linea("patron");
	if (!espera_tecla(KEY_A))
		return 1;
	escenario_real(0);
	linea(std::string("fondo_texto=") + (_textmode == fondo_pantalla ? "igual" : "cambiado"));
	espera_tecla(KEY_Q);
	return 0;
}

int escenario_malformado()
{
	float v = 3;
	int r = adime_dialogf("Mal", 0, 0, 100, "Valor %real[] %float[0,]", &v);
	linea("resultado=" + std::to_string(r) + " valor=" + flotante(v));
	return 0;
}

int ejecuta(const std::string &escenario, float valor)
{
	if (escenario == "real")
		return escenario_real(valor);
	if (escenario == "guardar")
		return escenario_guardar();
	if (escenario == "cargar")
		return escenario_cargar();
	if (escenario == "casilla")
		return escenario_casilla();
	if (escenario == "menu")
		return escenario_menu();
	if (escenario == "salida")
		return escenario_salida();
	if (escenario == "enorme")
		return escenario_enorme();
	if (escenario == "fondo")
		return escenario_fondo();
	if (escenario == "malformado")
		return escenario_malformado();
	linea("escenario desconocido: " + escenario);
	return 2;
}

bool arranca(int ancho, int alto)
{
	if (allegro_init() != 0 || install_timer() != 0 || install_keyboard() != 0 || install_mouse() < 0)
		return false;
	set_color_depth(24);
	if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, ancho, alto, 0, 0) != 0)
		return false;
	fondo_pantalla = makecol(170, 200, 255);
	clear_to_color(screen, fondo_pantalla);
	_textmode = fondo_pantalla;
	return adime_init() == 0;
}

} // namespace

int main(int argc, char **argv)
{
	if (argc < 2)
		return 2;
	int ancho = ANCHO_DEFECTO, alto = ALTO_DEFECTO;
	float valor = 0;
	for (int i = 2; i < argc; i++) {
		if (std::sscanf(argv[i], "pantalla=%dx%d", &ancho, &alto) == 2)
			continue;
		std::sscanf(argv[i], "valor=%f", &valor);
	}
	if (!arranca(ancho, alto)) {
		linea(std::string("sin arranque: ") + allegro_error);
		return 1;
	}
	adime_callback = gancho;
	int estado = ejecuta(argv[1], valor);
	allegro_exit();
	linea(std::string("gancho_tras_salida=") + (adime_callback ? "puesto" : "nulo"));
	return estado;
}
END_OF_MAIN()
