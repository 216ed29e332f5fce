// Start-up, the command menu with its dispatch and its idle hook, the exit
// command with the help text, and shutdown.  Read inicializo_graficos, then
// bucle_menu.
#include "menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "adime.h"
#include "calibra.h"
#include "carga_guarda.h"
#include "disposicion.h"
#include "estado.h"
#include "hojea.h"
#include "navega.h"
#include "pinta.h"

namespace {

constexpr int FALLO = 1;

constexpr int X_MENU = 175;
constexpr int Y_MENU = 5;
constexpr int ANCHO_MENU = 650;
constexpr const char *FORMATO_MENU = "%buttonrow[&Leer Datos;L,&Calibrar;C,Guardar;G,Salida+Help;ESC]";

enum Boton { BOTON_CARGA = 1, BOTON_CALIBRA = 2, BOTON_GUARDA = 3, BOTON_SALIDA = 4 };
constexpr int MENU_SIGUE = 0;
constexpr int MENU_TERMINA = 4;

constexpr int X_SALIDA = 20;
constexpr int Y_SALIDA = 10;
constexpr int ANCHO_SALIDA = 200;
constexpr const char *TITULO_SALIDA = "(confirmar OK para abandonar el programa, C o ESC para continuar)";
constexpr int RESULTADO_CANCELAR = 2;

TeclasPagina paginas_antes; // as the menu's hook last saw them

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

} // namespace

int inicializo_graficos()
{
	if (allegro_init() != 0) {
		std::printf("Error instalando ALLEGRO\n");
		return FALLO;
	}
	if (install_timer() != 0)
		return falla("Fallo al instalar timer.\n");
	if (install_keyboard() != 0)
		return falla("Fallo al instalar teclado.\n");
	if (install_mouse() == -1)
		return falla("Fallo al instalar ratón.\n");
	set_color_depth(24);
	calcula_tamano_ventana();
	if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, pwx, pwy, 0, 0) != 0)
		return falla(allegro_error);
	// Let the window system draw the pointer: a pointer drawn into the screen
	// would be caught by the exclusive-or cursor bar and the saved picture.
	enable_hardware_cursor();
	crea_colores();
	if (adime_init() != 0) {
		set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
		return falla("Fallo iniciando Adime.\n");
	}
	wx = pwx - MENOS_ANCHO_GRAFICA;
	wy = pwy - MENOS_ALTO_GRAFICA;
	dibuja_decoracion();
	return 0;
}

void vigila_menu(DIALOG *d)
{
	TeclasPagina ahora;
	ahora.abajo = key[KEY_PGDN];
	ahora.arriba = key[KEY_PGUP];
	int sentido = sentido_pedido(ahora, &paginas_antes);
	if (sentido != 0)
		hojea(sentido);
	else
		vigila_escala(d);
}

void bucle_menu()
{
	adime_callback = vigila_menu;
	adime_lowlevel_dialogf("Opciones", X_MENU, Y_MENU, ANCHO_MENU, FORMATO_MENU, menu_principal);
}

int menu_principal(DIALOG *, int boton_n)
{
	adime_callback = nullptr;
	int resultado = MENU_SIGUE;
	switch (boton_n) {
	case BOTON_CARGA:
		comando_carga();
		break;
	case BOTON_CALIBRA:
		comando_calibra();
		break;
	case BOTON_GUARDA:
		comando_guarda();
		break;
	case BOTON_SALIDA:
		resultado = comando_salida();
		break;
	default:
		break;
	}
	adime_callback = vigila_menu;
	return resultado;
}

int comando_salida()
{
	int r = adime_dialogf(TITULO_SALIDA, X_SALIDA, Y_SALIDA, ANCHO_SALIDA, info);
	return r == RESULTADO_CANCELAR ? MENU_SIGUE : MENU_TERMINA;
}

void termina_programa()
{
	std::free(Li);
	Li = nullptr;
	grafica = nullptr;
	allegro_exit();
}

// The help text: three blocks, each closed by an entry with no field and a rule.
const char *const info =
    "Orquilo      Vers. 3.1.2   "
    "%nothing[]%line[]"
    "Flechas UP/DOWN del teclado cambian escala horizontal y (shift) vertical. \n"
    "Flechas <-/-> del teclado mueven el cursor rapido y (shift) lento. \n"
    "Tecla TAB cambia entre escalas lineal y logaritmica. \n"
    "Ctrl+flechas: al pico siguiente.  AvPag/RePag: fichero siguiente/anterior.\n"
    "\n"
    "Abreviaturas que aparecen en la parte superior de la ventana:\n"
    "  cn.ini, cn.fin, lo.ini, lo.fin : Extremos inicial y final del intervalo mostrado en canales o "
    "longitudes de onda.\n"
    "  cn.cur, lo.cur: canal (o longitud de onda) en que se encuentra situado el cursor.\n"
    "  In.cur: intensidad del canal en que se encuentra el cursor.\n"
    "  lo.div: intervalo de longitudes de onda por cada division menor de la escala.\n"
    "\n"
    "Al elegir 'Guardar' marque las opciones que desee grabar\n"
    "\n"
    "El formato de entrada es una secuencia de numeros en un fichero ASCII. \n"
    "Los ficheros con calibracion incluyen dos lineas de encabezamiento (la primera un texto arbitrario "
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
