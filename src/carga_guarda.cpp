// The load and save commands.  Reading and writing the files is the formats'
// library's (fichero.h: lee_espectro, escribe_espectro), committing what was
// read the spectrum's (confirma_carga); this module runs their dialogs,
// shows the result and writes the picture and the table of peaks.
#include "carga_guarda.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <unistd.h>

#include <allegro.h>
#include <loadpng.h>

#include "adime.h"
#include "avisos.h"
#include "disposicion.h"
#include "estado.h"
#include "fichero.h"
#include "importa.h"
#include "informes.h"
#include "linea_estado.h"
#include "mensajes.h"
#include "pinta.h"
#include "textos.h"
#include "titulo_ventana.h"

namespace {

constexpr int RESULTADO_OK = 1;

// The file the last load refused, until a load succeeds: key I opens on it.
char fichero_rechazado[TAM_NOMBRE];

const char *const EXTENSIONES_IMAGEN[] = {"bmp", "pcx", "tga", "png"};

bool hay_espectro()
{
	return Li != nullptr && nptL > 0;
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
		      filename_bmp, filename_bmp);
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
		avisa("No se pudo escribir la imagen", filename_bmp, filename_bmp);
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

// The table of x and intensity of what the view shows (the net samples in
// the net view), for other programs; an existing file other than the table
// last exported is replaced only when the user says so.
void exporta_tabla_xy(const char *nombre)
{
	if (!hay_espectro()) {
		avisa(AVISO_SIN_DATOS);
		return;
	}
	if (existe(nombre) && !mismo_fichero(nombre, tabla_exportada) &&
	    !confirma_reemplazo(nombre, false, "la tabla"))
		return;
	std::string cabecera = std::string(al != 0 ? TABLA_X_LONGITUD : TABLA_X_CANAL) + "," +
	                       (vista_neta ? TABLA_Y_NETA : TABLA_Y);
	int error = exporta_tabla(nombre, cabecera.c_str(), muestras_vistas(), nptL, calibracion());
	if (error != 0) {
		avisa(mensaje_error_fichero(error, nombre), nullptr, nombre);
		return;
	}
	std::snprintf(tabla_exportada, sizeof tabla_exportada, "%s", nombre);
}

// The table of the measured peaks through a new file that replaces the old
// one only once complete; false when it could not.
bool guarda_tabla_picos(const char *ruta)
{
	std::string t = tabla_picos(picos, conocidas, calibracion());
	return reemplaza_fichero(ruta, ".tsv", [&t](const std::string &, int fd) {
		size_t hecho = 0;
		while (hecho < t.size()) {
			ssize_t n = write(fd, t.data() + hecho, t.size() - hecho);
			if (n <= 0)
				return false;
			hecho += static_cast<size_t>(n);
		}
		return true;
	});
}

void guarda_datos(const char *nombre)
{
	if (!hay_espectro()) {
		avisa(AVISO_SIN_DATOS);
		return;
	}
	if (!puede_reemplazar(nombre))
		return;
	int error = vista_neta
	                ? escribe_espectro(nombre, titulo_neto().c_str(), Neto.data(), nptL, calibracion())
	                : escribe_espectro(nombre, comment, Li, nptL, calibracion());
	if (error != 0) {
		avisa(mensaje_error_fichero(error, nombre), nullptr, nombre);
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
	if (lee_o_avisa(ruta, &l))
		return muestra_leido(ruta, &l);
	std::snprintf(fichero_rechazado, sizeof fichero_rechazado, "%s", ruta);
	return false;
}

bool muestra_leido(const char *ruta, Lectura *l, bool preguntar)
{
	if (preguntar && l->ambigua() && !elige_lectura(ruta, l))
		return false;
	// Everything that needs memory comes first, while the old spectrum stands.
	// The path is copied too: it may be one of the names rewritten below (key
	// I passes the loaded file's own), and a copy onto itself would empty it.
	std::string nombre, titulo, aviso;
	try {
		nombre = ruta;
		titulo = titulo_de_ventana(nombre);
		if (const char *texto = mensaje_aviso(*l, nombre.c_str()))
			aviso = texto;
	} catch (const std::bad_alloc &) {
		libera_lectura(l);
		avisa_sin_memoria(ruta);
		return false;
	}
	bool con_fondo = confirma_carga(l);
	pide_redibujo();
	std::snprintf(fichero_cargado, sizeof fichero_cargado, "%s", nombre.c_str());
	fichero_rechazado[0] = '\0';
	std::snprintf(filename_esp, sizeof filename_esp, "%s", nombre.c_str());
	recuerda_nombres(nombre.c_str(), l->formato);
	pon_titulo_ventana(titulo);
	nombre_tabla_picos(nombre.c_str(), filename_picos);
	nombre_tabla_xy(nombre.c_str(), filename_tabla);
	borra_linea_info_2();
	pinta_L();
	escribe_titulo();
	if (!con_fondo)
		avisa_sin_memoria(fichero_fondo);
	pon_estado(aviso);
	return true;
}

int comando_carga()
{
	if (adime_dialogf(DIALOGO_CARGA.titulo, DIALOGO_CARGA.x, DIALOGO_CARGA.y, DIALOGO_CARGA.ancho_campo,
	                  DIALOGO_CARGA.formato, filename_esp) == RESULTADO_OK)
		carga_espectro(filename_esp);
	return 0;
}

// A file that a load refused, but that may be text, opens the view too: there
// the user can say how it reads.
void comando_importa()
{
	const char *ruta = fichero_rechazado[0] ? fichero_rechazado
	                   : fichero_cargado[0] ? fichero_cargado
	                                        : filename_esp;
	Lectura l;
	int error = lee_fichero(ruta, &l);
	if (!se_puede_importar(error)) {
		avisa(mensaje_error_fichero(error, ruta, l.linea_ilegible), nullptr, ruta);
		libera_lectura(&l);
		return;
	}
	if (elige_lectura(ruta, &l, error))
		muestra_leido(ruta, &l, false);
}

// With a peak measured the dialog has a last row, ticked, for their table.
int comando_guarda()
{
	int imagen = 0, datos = 0, exporta = 0, tabla = picos.empty() ? 0 : 1;
	char *nombre_datos = cargado_extranjero ? filename_dat : filename_esp;
	const Dialogo &d = tabla ? DIALOGO_GUARDA_PICOS : DIALOGO_GUARDA_TABLA;
	if (adime_dialogf(d.titulo, d.x, d.y, d.ancho_campo, d.formato, &imagen, filename_bmp, &datos,
	                  nombre_datos, &exporta, filename_tabla, &tabla, filename_picos) != RESULTADO_OK)
		return 0;
	if (imagen)
		guarda_imagen();
	if (datos)
		guarda_datos(nombre_datos);
	if (exporta)
		exporta_tabla_xy(filename_tabla);
	if (tabla && puede_escribir_tabla(filename_picos)) {
		if (guarda_tabla_picos(filename_picos))
			std::snprintf(tabla_guardada, sizeof tabla_guardada, "%s", filename_picos);
		else
			avisa("No se pudo escribir la tabla de picos", filename_picos, filename_picos);
	}
	return 0;
}
