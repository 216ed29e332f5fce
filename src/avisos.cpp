// The message boxes, over the dialog layer's: each line fitted to the window
// (a path shortened in its middle, then the rest broken between words).  The
// words themselves are mensajes.cpp's.  Start at avisa.
#include "avisos.h"

#include <new>
#include <string>
#include <vector>

#include <allegro.h>

#include "adime.h"
#include "fichero.h"
#include "mensajes.h"
#include "textos.h"

namespace {

// Only the "Reemplazar" button (or its letter) replaces: Enter on the first
// and Esc, which presses no button, both keep the file.
constexpr int BOTON_REEMPLAZAR = 2;
constexpr int TECLA_REEMPLAZAR = 'r';

// What a message box takes beyond its longest line: its frame and margins,
// with room to spare on either side of it.
constexpr int MARGEN_AVISO = 48;

int ancho_en_pantalla(const std::string &texto)
{
	return text_length(font, texto.c_str());
}

// The lines of a box, each as wide as the window leaves for it at most.
std::vector<std::string> renglones(const char *const lineas[], const char *ruta)
{
	int ancho = SCREEN_W - MARGEN_AVISO;
	std::vector<std::string> r;
	for (int i = 0; lineas[i]; i++)
		for (std::string &parte : renglones_de(lineas[i], ruta ? ruta : "", ancho, ancho_en_pantalla))
			r.push_back(std::move(parte));
	return r;
}

// The dialog layer's message box with one or two buttons (boton2 may be
// null); the pressed button's number, or 0 for Esc.  Without memory to fit
// the lines, they go as they are.
int pregunta(const char *linea1, const char *linea2, const char *ruta, const char *boton1, const char *boton2,
             int tecla2)
{
	const char *const lineas[] = {linea1, linea2, nullptr};
	const char *const botones[] = {boton1, boton2, nullptr};
	const int teclas[] = {0, tecla2};
	std::vector<const char *> punteros;
	std::vector<std::string> texto;
	try {
		texto = renglones(lineas, ruta);
		for (const std::string &t : texto)
			punteros.push_back(t.c_str());
		punteros.push_back(nullptr);
	} catch (const std::bad_alloc &) {
		return adime_alert(DIALOGO_AVISO.titulo, DIALOGO_AVISO.x, DIALOGO_AVISO.y, lineas, botones,
		                   teclas);
	}
	return adime_alert(DIALOGO_AVISO.titulo, DIALOGO_AVISO.x, DIALOGO_AVISO.y, punteros.data(), botones,
	                   teclas);
}

} // namespace

void avisa(const char *linea1, const char *linea2, const char *ruta)
{
	pregunta(linea1, linea2, ruta, "OK", nullptr, 0);
}

void avisa_sin_memoria(const char *ruta)
{
	// The message's own buffer is static, so this needs no memory of its own
	// unless the path must be shortened.
	avisa(mensaje_error_fichero(FICHERO_SIN_MEMORIA, ruta), nullptr, ruta);
}

int lee_fichero(const char *ruta, Lectura *l, const FormaLectura *forma)
{
	try {
		return forma ? lee_espectro_con_forma(ruta, *forma, l) : lee_espectro(ruta, l);
	} catch (const std::bad_alloc &) {
		return FICHERO_SIN_MEMORIA;
	}
}

bool lee_o_avisa(const char *ruta, Lectura *l, const FormaLectura *forma)
{
	int error = lee_fichero(ruta, l, forma);
	if (error == FICHERO_BIEN)
		return true;
	avisa(mensaje_error_fichero(error, ruta, l->linea_ilegible), nullptr, ruta);
	libera_lectura(l);
	return false;
}

bool confirma_reemplazo(const char *nombre, bool ajeno, const char *que)
{
	Pregunta p = pregunta_de_reemplazo(nombre, ajeno, que);
	return pregunta(p.linea1.c_str(), p.linea2.c_str(), nombre, "Cancelar", "Reemplazar",
	                TECLA_REEMPLAZAR) == BOTON_REEMPLAZAR;
}
