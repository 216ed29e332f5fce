// The load and save commands.  The reader and writer live in fichero.cpp; this
// module runs their dialogs, commits what was read and writes the picture.
#include "carga_guarda.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <allegro.h>
#include <loadpng.h>

#include "adime.h"
#include "disposicion.h"
#include "estado.h"
#include "fichero.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;

const char *const EXTENSIONES_IMAGEN[] = {"bmp", "pcx", "tga", "png"};

// Allegro's message box answers 3 for Esc whatever its buttons: never the second.
constexpr int BOTON_REEMPLAZAR = 2;
constexpr int TECLA_REEMPLAZAR = 'r';

// Allegro's message box with one or two buttons; the pressed button's number,
// or 3 for Esc.  As in every other dialog the focus stays on the button the
// keyboard is on: left to follow the pointer, a pointer that leaves the box
// takes the focus with it, and Enter then does nothing.
int pregunta(const char *linea1, const char *linea2, const char *boton1, const char *boton2, int tecla2)
{
	int foco_raton = gui_mouse_focus;
	gui_mouse_focus = FALSE;
	int boton = alert3(linea1, linea2, nullptr, boton1, boton2, nullptr, 0, tecla2, 0);
	gui_mouse_focus = foco_raton;
	return boton;
}

// A message box with an OK button.
void avisa(const char *linea1, const char *linea2)
{
	pregunta(linea1, linea2, "OK", nullptr, 0);
}

// The read spectrum replaces the old one, with a fresh view of all of it.
void adopta(Lectura *l)
{
	std::free(Li);
	Li = l->Li;
	l->Li = nullptr;
	nptL = l->nptL;
	al = l->al;
	bl = l->bl;
	maxL = l->maxL;
	std::memcpy(comment, l->comment, sizeof comment);
	vista_inicial();
}

// The picture goes through a new file beside the old one, like the data, so a
// failed save never leaves a broken picture in place of a good one.
void guarda_imagen()
{
	if (!extension_de_imagen_valida(filename_bmp)) {
		avisa("No se guarda la imagen: su nombre debe acabar en .bmp, .pcx, .tga o .png",
		      filename_bmp);
		return;
	}
	show_mouse(nullptr);
	BITMAP *ventana = create_sub_bitmap(screen, 0, Y_IMAGEN, pwx, pwy - Y_IMAGEN);
	std::string extension = std::string(".") + get_extension(filename_bmp);
	bool bien = ventana &&
	            reemplaza_fichero(filename_bmp, extension, [ventana](const std::string &temporal, int) {
		            return save_bitmap(temporal.c_str(), ventana, nullptr) == 0;
	            });
	if (ventana)
		destroy_bitmap(ventana);
	show_mouse(screen);
	if (!bien)
		avisa("No se pudo escribir la imagen", filename_bmp);
}

// A file of another format (an instrument's, a table) is replaced only when
// the user says so; Enter and Esc both keep it.
bool puede_reemplazar(const char *nombre)
{
	int formato = formato_de_fichero(nombre);
	if (formato < 0 || formato == FORMATO_PROPIO)
		return true;
	std::string aviso = std::string("El fichero ") + nombre + " no está en el formato de Orquilo.";
	return pregunta(aviso.c_str(), "¿Reemplazarlo con los datos?", "Cancelar", "Reemplazar",
	                TECLA_REEMPLAZAR) == BOTON_REEMPLAZAR;
}

void guarda_datos(const char *nombre)
{
	if (!puede_reemplazar(nombre))
		return;
	int error = escribe_espectro(nombre, comment, Li, nptL, al, bl);
	if (error != 0)
		avisa(mensaje_error_fichero(error, nombre), nullptr);
}

// Where the next save proposes to write the data.
void recuerda_nombres(const char *ruta, int formato)
{
	cargado_extranjero = formato != FORMATO_PROPIO;
	if (cargado_extranjero)
		nombre_para_guardar(ruta, filename_dat);
}

} // namespace

void activa_formatos_de_imagen()
{
	register_png_file_type();
}

bool extension_de_imagen_valida(const char *nombre)
{
	const char *ext = get_extension(nombre);
	for (const char *valida : EXTENSIONES_IMAGEN)
		if (ustricmp(ext, valida) == 0)
			return true;
	return false;
}

bool carga_espectro(const char *ruta)
{
	Lectura l;
	int error = lee_espectro(ruta, &l);
	if (error != 0) {
		avisa(mensaje_error_fichero(error, ruta, l.linea_ilegible), nullptr);
		return false;
	}
	muestra_leido(ruta, &l);
	return true;
}

void muestra_leido(const char *ruta, Lectura *l)
{
	adopta(l);
	std::snprintf(fichero_cargado, sizeof fichero_cargado, "%s", ruta);
	if (ruta != filename_esp)
		std::snprintf(filename_esp, sizeof filename_esp, "%s", ruta);
	recuerda_nombres(ruta, l->formato);
	borra_linea_info_2();
	pinta_L();
	escribe_titulo();
	if (const char *aviso = mensaje_aviso(*l, ruta))
		avisa(aviso, nullptr);
}

int comando_carga()
{
	if (adime_dialogf(DIALOGO_CARGA.titulo, DIALOGO_CARGA.x, DIALOGO_CARGA.y, DIALOGO_CARGA.ancho_campo,
	                  DIALOGO_CARGA.formato, filename_esp) == RESULTADO_OK)
		carga_espectro(filename_esp);
	return 0;
}

int comando_guarda()
{
	int imagen = 0, datos = 0;
	char *nombre_datos = cargado_extranjero ? filename_dat : filename_esp;
	if (adime_dialogf(DIALOGO_GUARDA.titulo, DIALOGO_GUARDA.x, DIALOGO_GUARDA.y,
	                  DIALOGO_GUARDA.ancho_campo, DIALOGO_GUARDA.formato, &imagen, filename_bmp, &datos,
	                  nombre_datos) != RESULTADO_OK)
		return 0;
	if (imagen)
		guarda_imagen();
	if (datos)
		guarda_datos(nombre_datos);
	return 0;
}
