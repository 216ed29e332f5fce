// Start-up, the command menu with its dispatch and its idle hook, the table of
// every key the program answers, the exit command with the help text, and
// shutdown.  Read inicializo_graficos, then bucle_menu and TECLAS.
#include "menu.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "adime.h"
#include "anuncios.h"
#include "calibra.h"
#include "carga_guarda.h"
#include "comando_fondo.h"
#include "comando_pico.h"
#include "disposicion.h"
#include "estado.h"
#include "fin_de_sesion.h"
#include "gancho.h"
#include "hojea.h"
#include "linea_estado.h"
#include "pinta.h"
#include "pulsaciones.h"
#include "raton.h"
#include "reposo.h"
#include "teclado.h"
#include "textos.h"
#include "toques_dobles.h"

namespace {

constexpr int FALLO = 1;

constexpr int MENU_SIGUE = 0;
constexpr int MENU_TERMINA = 4;

constexpr int RESULTADO_CANCELAR = 2;

// Esc as the keyboard buffer holds it: scancode above, character below.
constexpr int ASCII_ESC = 27;
constexpr int PULSACION_ESC = KEY_ESC << 8 | ASCII_ESC;

// Set by the window's close button, from Allegro's input thread; the command
// menu's idle hook answers it.
std::atomic<bool> cierre_pedido{false};

// Allegro's close-button callback runs on its input thread, where no dialog
// may be drawn: it only leaves word for the menu.
void pide_cierre()
{
	cierre_pedido = true;
}

// The actions of the table's rows, as the hooks and the menu call them: a
// button's command says what the menu does next; after the others it goes on.
template <int (*ORDEN)()> int boton(const Pulsacion &)
{
	return ORDEN();
}
template <void (*ORDEN)()> int sigue(const Pulsacion &)
{
	ORDEN();
	return MENU_SIGUE;
}
void siguiente()
{
	hojea(1);
}
void anterior()
{
	hojea(-1);
}

// Every key the program answers.  The buttons come in the order of the
// menu's format, which names their shortcuts; the help words of the keys
// beyond the arrows and Tab make the help text's key lines, in this order.
constexpr FilaTecla TECLAS[] = {
    {KEY_L, Ambito::boton, boton<comando_carga>, nullptr, false},
    {KEY_C, Ambito::boton, boton<comando_calibra>, nullptr, false},
    {KEY_G, Ambito::boton, boton<comando_guarda>, nullptr, false},
    {KEY_ESC, Ambito::boton, boton<comando_salida>, nullptr, false},
    {KEY_TAB, Ambito::navegacion, navega_y_pinta, nullptr, false},
    {KEY_UP, Ambito::navegacion, navega_y_pinta, nullptr, false},
    {KEY_DOWN, Ambito::navegacion, navega_y_pinta, nullptr, false},
    {KEY_RIGHT, Ambito::navegacion, navega_y_pinta, nullptr, false},
    {KEY_LEFT, Ambito::navegacion, navega_y_pinta, "Ctrl+flechas: al pico siguiente.", false},
    {KEY_PGDN, Ambito::menu, sigue<siguiente>, "AvPag/RePag: fichero siguiente/anterior.", false},
    {KEY_PGUP, Ambito::menu, sigue<anterior>, nullptr, false},
    {KEY_P, Ambito::menu, sigue<comando_pico>, "P: medir el pico.", true},
    {KEY_F, Ambito::menu, sigue<comando_fondo>, "F: espectro de fondo.", false},
    {KEY_R, Ambito::menu, sigue<comando_neto>, "R: restar el fondo o volver a verlo debajo.", true},
    {KEY_I, Ambito::menu, sigue<comando_importa>, "I: ver y cambiar cómo se lee el fichero.", false},
    {TECLA_AVISO, Ambito::menu, sigue<muestra_estado_entero>, "N: el aviso de la línea de estado, entero.",
     true},
};

// Shows a start-up failure in Allegro's message box; the exit status to use.
int falla(const char *mensaje)
{
	allegro_message("%s", mensaje);
	return FALLO;
}

// The window: the desktop less a margin, never below the minimum size.
void calcula_tamano_ventana()
{
	get_desktop_resolution(&pwx, &pwy);
	pwx = static_cast<int>(std::max(pwx - MARGEN_ESCRITORIO, ANCHO_MINIMO));
	pwy = static_cast<int>(std::max(pwy - MARGEN_ESCRITORIO, ALTO_MINIMO));
}

// The keys: the table and the presses caught as they happen.
void prepara_teclas()
{
	pon_teclas(TECLAS, std::size(TECLAS));
	engancha_pulsaciones();
}

// The help text: three blocks, each closed by an entry with no field and a
// rule; the key lines come from the table.
std::string texto_de_ayuda()
{
	return std::string(ORQ_CABECERA_AYUDA
	                   "%nothing[]%line[]"
	                   "Flechas UP/DOWN del teclado cambian escala horizontal y (shift) vertical. \n"
	                   "Flechas <-/-> del teclado mueven el cursor rapido y (shift) lento. \n"
	                   "Tecla TAB cambia entre escalas lineal y logaritmica. \n") +
	       ayuda_de_teclas(TECLAS, std::size(TECLAS)) +
	       "Calibrar con muchos picos: en cada uno P, su longitud de onda, Tab, Espacio, Enter.\n"
	       "\n"
	       "Abreviaturas que aparecen en la parte superior de la ventana:\n"
	       "  cn.ini, cn.fin, lo.ini, lo.fin : Extremos inicial y final del intervalo mostrado en "
	       "canales o "
	       "longitudes de onda.\n"
	       "  cn.cur, lo.cur: canal (o longitud de onda) en que se encuentra situado el cursor.\n"
	       "  In.cur: intensidad del canal en que se encuentra el cursor.\n"
	       "  lo.div: intervalo de longitudes de onda por cada division menor de la escala.\n"
	       "\n"
	       "Al elegir 'Guardar' marque las opciones que desee grabar\n"
	       "\n"
	       "El formato de entrada es una secuencia de numeros en un fichero ASCII. \n"
	       "Los ficheros con calibracion incluyen dos lineas de encabezamiento (la primera un texto "
	       "arbitrario "
	       "entre \"\")\n"
	       "\n"
	       "(En windows 7 o vista puede ser necesario reducir la resolucion de la pantalla)"
	       "%nothing[]%line[]"
	       "Orquilo: Velmora, Dpto. Tarquen\n"
	       "\n"
	       "Hecho con Allegro 4 y su capa de dialogos propia (adime/)\n"
	       "Manual de Allegro 4: /usr/share/doc/allegro4-doc\n"
	       "Uso, formato y pruebas: README.md del proyecto\n"
	       "%nothing[]%line[]";
}

const std::string ayuda = texto_de_ayuda();

} // namespace

const char *const info = ayuda.c_str();

const FilaTecla *teclas_del_programa(size_t *n)
{
	*n = std::size(TECLAS);
	return TECLAS;
}

int inicializo_graficos()
{
	antes_de_allegro();
	if (allegro_init() != 0) {
		std::printf("Error instalando ALLEGRO\n");
		return FALLO;
	}
	vigila_fin_de_sesion(); // in place of the handlers that allegro_init set
	antes_del_reloj();
	if (install_timer() != 0)
		return falla("Fallo al instalar timer.\n");
	if (install_keyboard() != 0)
		return falla("Fallo al instalar teclado.\n");
	prepara_teclas();
	if (install_mouse() == -1)
		return falla("Fallo al instalar ratón.\n");
	engancha_raton();
	set_color_depth(24);
	calcula_tamano_ventana();
	if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, pwx, pwy, 0, 0) != 0)
		return falla(allegro_error);
	set_close_button_callback(pide_cierre);
	activa_formatos_de_imagen();
	// Let the window system draw the pointer: a pointer drawn into the screen
	// would be caught by the exclusive-or cursor bar and the saved picture.
	enable_hardware_cursor();
	ya_hay_ventana(); // Allegro's threads are all made by now
	activa_repeticion_detectable();
	crea_colores();
	if (adime_init() != 0) {
		set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
		return falla("Fallo iniciando Adime.\n");
	}
	activa_anuncios();
	wx = pwx - MENOS_ANCHO_GRAFICA;
	wy = pwy - MENOS_ALTO_GRAFICA;
	dibuja_decoracion();
	return 0;
}

// A close press goes through the menu's own "Salida+Help" button, as Esc.
void vigila_menu(DIALOG *d)
{
	if (cierre_pedido.exchange(false))
		simulate_keypress(PULSACION_ESC);
	if (vigila_raton(d, true))
		orden_de_menu(KEY_P);
	vigila_teclas(true);
}

void carga_al_arrancar(const char *ruta)
{
	// The load dialog then offers this file, as if it had been typed there.
	// Byte for byte: the shell's name need not be in Allegro's encoding.
	std::snprintf(filename_esp, sizeof filename_esp, "%s", ruta);
	carga_espectro(filename_esp);
}

void bucle_menu()
{
	activa_navegacion(vigila_menu);
	adime_lowlevel_dialogf(DIALOGO_MENU.titulo, DIALOGO_MENU.x, DIALOGO_MENU.y, DIALOGO_MENU.ancho_campo,
	                       DIALOGO_MENU.formato, menu_principal);
}

int menu_principal(DIALOG *, int boton_n)
{
	suspende_navegacion();
	borra_estado();
	const FilaTecla *f = fila_de_boton(boton_n);
	int resultado = f ? f->accion(Pulsacion{f->tecla}) : MENU_SIGUE;
	activa_navegacion(vigila_menu);
	return resultado;
}

int comando_salida()
{
	int r = adime_dialogf(DIALOGO_SALIDA.titulo, DIALOGO_SALIDA.x, DIALOGO_SALIDA.y,
	                      DIALOGO_SALIDA.ancho_campo, info);
	// A close press made while this question was up has had its answer.
	cierre_pedido = false;
	return r == RESULTADO_CANCELAR ? MENU_SIGUE : MENU_TERMINA;
}

void termina_programa()
{
	reinicia_espectro(); // frees the samples and the background
	grafica = nullptr;
	allegro_exit();
}
