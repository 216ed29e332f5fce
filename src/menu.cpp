// Start-up, the command menu with its dispatch and its idle hook, the exit
// command with the help text, and shutdown.  Read inicializo_graficos, then
// bucle_menu.
#include "menu.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "adime.h"
#include "anuncios.h"
#include "calibra.h"
#include "carga_guarda.h"
#include "disposicion.h"
#include "estado.h"
#include "fondo.h"
#include "fin_de_sesion.h"
#include "hojea.h"
#include "medidas.h"
#include "navega.h"
#include "pinta.h"
#include "reposo.h"
#include "textos.h"

namespace {

constexpr int FALLO = 1;

enum Boton { BOTON_CARGA = 1, BOTON_CALIBRA = 2, BOTON_GUARDA = 3, BOTON_SALIDA = 4 };
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

TeclasPagina paginas_antes; // as the menu's hook last saw them

// Letter keys that only the menu answers (a dialog's text field takes
// letters), each once a press (a held key acts once), and whether each was
// down when last seen.  Navigation is off while their dialogs are up.
struct TeclaMenu {
	int tecla;
	void (*orden)();
	bool antes;
};
TeclaMenu teclas_menu[] = {
    {KEY_P, comando_pico, false}, {KEY_F, comando_fondo, false}, {KEY_R, conmuta_neto, false}};

// Runs the command of a letter key just pressed; false when there is none.
// Its letter is dropped, so that no field of the command's dialog takes it.
bool atiende_letras()
{
	for (TeclaMenu &t : teclas_menu) {
		bool ahora = key[t.tecla];
		bool pulsada = ahora && !t.antes;
		t.antes = ahora;
		if (!pulsada)
			continue;
		clear_keybuf();
		suspende_navegacion();
		t.orden();
		activa_navegacion(vigila_menu);
		return true;
	}
	return false;
}

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
	if (install_mouse() == -1)
		return falla("Fallo al instalar ratón.\n");
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
	if (atiende_letras())
		return;
	TeclasPagina ahora;
	ahora.abajo = key[KEY_PGDN];
	ahora.arriba = key[KEY_PGUP];
	int sentido = sentido_pedido(ahora, &paginas_antes);
	if (sentido != 0)
		hojea(sentido);
	else
		vigila_escala(d);
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
	std::free(Li);
	Li = nullptr;
	libera_lectura(&fondo);
	grafica = nullptr;
	allegro_exit();
}

// The help text: three blocks, each closed by an entry with no field and a rule.
const char *const info = ORQ_CABECERA_AYUDA
    "%nothing[]%line[]"
    "Flechas UP/DOWN del teclado cambian escala horizontal y (shift) vertical. \n"
    "Flechas <-/-> del teclado mueven el cursor rapido y (shift) lento. \n"
    "Tecla TAB cambia entre escalas lineal y logaritmica. \n"
    "Ctrl+flechas: al pico siguiente.  AvPag/RePag: fichero siguiente/anterior.  P: medir el pico.\n"
    "F: espectro de fondo.  R: restar el fondo o volver a verlo debajo.\n"
    "Calibrar con muchos picos: en cada uno P, su longitud de onda, Tab, Espacio, Enter.\n"
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
