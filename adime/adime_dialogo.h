// One dialog from format to result: the parsed fields, the caller's variables,
// the geometry, the Allegro objects with their edit buffers, and what each
// button does.  analiza_y_dispone and construye_objetos build it all,
// ejecuta_dialogo runs it (adime_bucle.cpp), the button and shortcut objects
// live in adime_acciones.cpp, the message box in adime_aviso.cpp.
#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "adime.h"
#include "adime_atajos.h"
#include "adime_disposicion.h"
#include "adime_formato.h"

namespace adime {

// What a field is bound to: a variable, or a %buttonrow's callback.
struct Enlace {
	void *variable = nullptr;
	adime_buttonrow_callback llamada = nullptr;
};

struct Contexto;

enum class TipoAccion { fila, ok, cancelar, examinar };

// What pressing one button does.
struct Accion {
	TipoAccion tipo = TipoAccion::ok;
	Contexto *contexto = nullptr;
	int objeto = -1; // the button's index among the objects
	int indice = 0;  // fila: 1-based place in its row
	adime_buttonrow_callback llamada = nullptr;
	size_t campo = 0; // examinar: its %filename field
	std::vector<Atajo> atajos;
};

// Its objects point into it: it stays where it was made.
struct Contexto {
	Contexto() = default;
	Contexto(const Contexto &) = delete;
	Contexto &operator=(const Contexto &) = delete;

	std::string titulo;
	bool ok_cancelar = false;
	bool esc_cierra = false; // Esc closes it with RESULTADO_ESC (a message box)
	std::vector<Campo> campos;
	std::vector<Enlace> enlaces; // one per field
	Disposicion disposicion;
	std::vector<std::vector<char>> textos; // edit buffers, one per field (empty if none)
	std::vector<int> objeto_de_campo;      // each field's main object, or -1
	std::vector<int> objeto_de_etiqueta;   // each field's label object, or -1
	std::vector<Accion> acciones;
	std::vector<DIALOG> objetos; // ends with the null object
	int foco = -1;               // first object that takes the focus
	int resultado = 0;
};

// Dialog results.
constexpr int RESULTADO_OK = 1;
constexpr int RESULTADO_CANCELAR = 2;
constexpr int RESULTADO_ERROR = -1;
constexpr int RESULTADO_ESC = 0; // a message box closed with Esc

// Parses the format and lays the dialog out for the current screen; false with
// a message when the format is malformed.  `enlaces` is filled by the caller
// from the variable arguments before the objects are built.
bool analiza_y_dispone(Contexto &c, const char *titulo, int x, int y, int ancho_campo, const char *formato,
                       std::string &error);

// Lays out fields already in c.campos, as analiza_y_dispone does after parsing.
void dispone_campos(Contexto &c, const char *titulo, int x, int y, int ancho_campo);

// Builds the Allegro objects, loading the edit buffers from the variables.
void construye_objetos(Contexto &c);

// The value field i holds now, written to v as its variable would take it.
void escribe_valor(const Contexto &c, size_t i, void *v);

// Copies the edited values back into the caller's variables.
void copia_a_variables(const Contexto &c);

// Runs the dialog until a button closes it; its result (see adime.h).
int ejecuta_dialogo(Contexto &c);

// The objects of the buttons and the invisible shortcut keeper.
int boton_proc(int msg, DIALOG *d, int c);
int atajos_proc(int msg, DIALOG *d, int c);

} // namespace adime
