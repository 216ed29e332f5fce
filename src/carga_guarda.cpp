// The load and save commands.  The reader and writer live in fichero.cpp; this
// module runs their dialogs, commits what was read and writes the picture.
#include "carga_guarda.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include <allegro.h>
#include <loadpng.h>

#include "adime.h"
#include "disposicion.h"
#include "estado.h"
#include "fichero.h"
#include "fondo.h"
#include "mensajes.h"
#include "medidas.h"
#include "pinta.h"
#include "textos.h"
#include "titulo_ventana.h"

namespace {

constexpr int RESULTADO_OK = 1;

const char *const EXTENSIONES_IMAGEN[] = {"bmp", "pcx", "tga", "png"};

// Only the "Reemplazar" button (or its letter) replaces: Enter on the first
// and Esc, which presses no button, both keep the file.
constexpr int BOTON_REEMPLAZAR = 2;
constexpr int TECLA_REEMPLAZAR = 'r';

// What a message box takes beyond its longest line: its frame and margins,
// with room to spare on either side of it.
constexpr int MARGEN_AVISO = 48;

// The dialog layer's message box with one or two buttons (boton2 and linea2
// may be null); the pressed button's number, or 0 for Esc.
int pregunta(const char *linea1, const char *linea2, const char *boton1, const char *boton2, int tecla2)
{
	const char *const lineas[] = {linea1, linea2, nullptr};
	const char *const botones[] = {boton1, boton2, nullptr};
	const int teclas[] = {0, tecla2};
	return adime_alert(DIALOGO_AVISO.titulo, DIALOGO_AVISO.x, DIALOGO_AVISO.y, lineas, botones, teclas);
}

int ancho_en_pantalla(const std::string &texto)
{
	return text_length(font, texto.c_str());
}

// A line of a message box that names ruta, its path shortened in the middle
// when the line would be wider than the window leaves for the box.
std::string cabe(const std::string &linea, const char *ruta)
{
	return acorta_ruta(linea, ruta, SCREEN_W - MARGEN_AVISO, ancho_en_pantalla);
}

// A message about the file at ruta, which it names.
void avisa_de(const char *mensaje, const char *ruta)
{
	avisa(cabe(mensaje, ruta).c_str(), nullptr);
}

bool hay_espectro()
{
	return Li != nullptr && nptL > 0;
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
	tiempo_vivo = l->tiempo_vivo;
	std::memcpy(comment, l->comment, sizeof comment);
	picos.clear();
	conocidas.clear();
	vista_inicial();
}

// The net spectrum's title: the spectrum's, with " (neto)" inside its quotes
// (the title cut to make room).
std::string titulo_neto()
{
	constexpr const char *NETO = " (neto)";
	std::string t = comment;
	size_t cierre = t.size() >= 2 && t.back() == '"' ? t.size() - 1 : t.size();
	size_t cabe = TAM_NOMBRE - 1 - std::strlen(NETO) - 1;
	t = t.substr(0, std::min(cierre, cabe)) + NETO + "\"";
	return t;
}

// The picture goes through a new file beside the old one, like the data, so a
// failed save never leaves a broken picture in place of a good one.
void guarda_imagen()
{
	if (!extension_de_imagen_valida(filename_bmp)) {
		avisa("No se guarda la imagen: su nombre debe acabar en .bmp, .pcx, .tga o .png",
		      cabe(filename_bmp, filename_bmp).c_str());
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
		avisa("No se pudo escribir la imagen", cabe(filename_bmp, filename_bmp).c_str());
}

// Whether anything, even a dangling link, stands at this name.
bool existe(const char *nombre)
{
	std::error_code error;
	return std::filesystem::exists(std::filesystem::symlink_status(nombre, error));
}

// Whether the two names lead to the same file: both made absolute, with ".",
// ".." and symbolic links resolved as far as they exist.
bool mismo_fichero(const char *a, const char *b)
{
	if (b[0] == '\0')
		return false;
	std::error_code ea, eb;
	std::filesystem::path ca = std::filesystem::weakly_canonical(a, ea);
	std::filesystem::path cb = std::filesystem::weakly_canonical(b, eb);
	return ea || eb ? std::strcmp(a, b) == 0 : ca == cb;
}

// Asks before a save replaces the existing file `nombre` with `que`: true
// only for the "Reemplazar" button or its letter.
bool confirma_reemplazo(const char *nombre, bool ajeno, const char *que)
{
	Pregunta p = pregunta_de_reemplazo(nombre, ajeno, que);
	return pregunta(cabe(p.linea1, nombre).c_str(), p.linea2.c_str(), "Cancelar", "Reemplazar",
	                TECLA_REEMPLAZAR) == BOTON_REEMPLAZAR;
}

// An existing file is replaced only when the user says so, whatever it
// holds; Enter and Esc both keep it.  Only the file last loaded or saved goes
// without a question, and only when it is in the own format: an instrument's
// file is never replaced unasked.
bool puede_reemplazar(const char *nombre)
{
	if (!existe(nombre))
		return true;
	int formato = formato_de_fichero(nombre);
	bool ajeno = formato >= 0 && formato != FORMATO_PROPIO;
	if (!ajeno && (mismo_fichero(nombre, fichero_cargado) || mismo_fichero(nombre, fichero_guardado)))
		return true;
	return confirma_reemplazo(nombre, ajeno, "los datos");
}

// The table of peaks replaces an existing file only when the user says so,
// unless it is the table last written.
bool puede_escribir_tabla(const char *nombre)
{
	return !existe(nombre) || mismo_fichero(nombre, tabla_guardada) ||
	       confirma_reemplazo(nombre, false, "la tabla de picos");
}

void guarda_datos(const char *nombre)
{
	if (!hay_espectro()) {
		avisa(AVISO_SIN_DATOS, nullptr);
		return;
	}
	if (!puede_reemplazar(nombre))
		return;
	int error = vista_neta ? escribe_espectro(nombre, titulo_neto().c_str(), Neto.data(), nptL, al, bl)
	                       : escribe_espectro(nombre, comment, Li, nptL, al, bl);
	if (error != 0) {
		avisa_de(mensaje_error_fichero(error, nombre), nombre);
		return;
	}
	std::snprintf(fichero_guardado, sizeof fichero_guardado, "%s", nombre);
}

// Where the next save proposes to write the data.
void recuerda_nombres(const char *ruta, int formato)
{
	cargado_extranjero = formato != FORMATO_PROPIO;
	if (cargado_extranjero)
		nombre_para_guardar(ruta, filename_dat);
}

} // namespace

void avisa(const char *linea1, const char *linea2)
{
	pregunta(linea1, linea2, "OK", nullptr, 0);
}

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
	int error;
	try {
		error = lee_espectro(ruta, &l);
	} catch (const std::bad_alloc &) {
		libera_lectura(&l);
		error = FICHERO_SIN_MEMORIA;
	}
	if (error != 0) {
		avisa_de(mensaje_error_fichero(error, ruta, l.linea_ilegible), ruta);
		return false;
	}
	return muestra_leido(ruta, &l);
}

bool muestra_leido(const char *ruta, Lectura *l)
{
	// Everything that needs memory comes first, while the old spectrum stands.
	std::string titulo, aviso;
	try {
		titulo = titulo_de_ventana(ruta);
		if (const char *texto = mensaje_aviso(*l, ruta))
			aviso = cabe(texto, ruta);
	} catch (const std::bad_alloc &) {
		libera_lectura(l);
		avisa_sin_memoria(ruta);
		return false;
	}
	adopta(l);
	std::snprintf(fichero_cargado, sizeof fichero_cargado, "%s", ruta);
	if (ruta != filename_esp)
		std::snprintf(filename_esp, sizeof filename_esp, "%s", ruta);
	recuerda_nombres(ruta, l->formato);
	pon_titulo_ventana(titulo);
	nombre_tabla_picos(ruta, filename_picos);
	actualiza_fondo(true);
	borra_linea_info_2();
	pinta_L();
	escribe_titulo();
	if (!aviso.empty())
		avisa(aviso.c_str(), nullptr);
	return true;
}

void avisa_sin_memoria(const char *ruta)
{
	// The message's own buffer is static, so this needs no memory of its own
	// unless the path must be shortened.
	const char *mensaje = mensaje_error_fichero(FICHERO_SIN_MEMORIA, ruta);
	try {
		avisa_de(mensaje, ruta);
	} catch (const std::bad_alloc &) {
		avisa(mensaje, nullptr);
	}
}

int comando_carga()
{
	if (adime_dialogf(DIALOGO_CARGA.titulo, DIALOGO_CARGA.x, DIALOGO_CARGA.y, DIALOGO_CARGA.ancho_campo,
	                  DIALOGO_CARGA.formato, filename_esp) == RESULTADO_OK)
		carga_espectro(filename_esp);
	return 0;
}

// With a peak measured the dialog has a third row, ticked, for their table.
int comando_guarda()
{
	int imagen = 0, datos = 0, tabla = picos.empty() ? 0 : 1;
	char *nombre_datos = cargado_extranjero ? filename_dat : filename_esp;
	const Dialogo &d = tabla ? DIALOGO_GUARDA_PICOS : DIALOGO_GUARDA;
	if (adime_dialogf(d.titulo, d.x, d.y, d.ancho_campo, d.formato, &imagen, filename_bmp, &datos,
	                  nombre_datos, &tabla, filename_picos) != RESULTADO_OK)
		return 0;
	if (imagen)
		guarda_imagen();
	if (datos)
		guarda_datos(nombre_datos);
	if (tabla && puede_escribir_tabla(filename_picos)) {
		if (guarda_tabla_picos(filename_picos))
			std::snprintf(tabla_guardada, sizeof tabla_guardada, "%s", filename_picos);
		else
			avisa("No se pudo escribir la tabla de picos", filename_picos);
	}
	return 0;
}
