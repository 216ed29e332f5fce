// The public entry of the dialog layer (see adime.h): readiness, shutdown with
// Allegro, and the two dialog calls, which bind the variable arguments to the
// format's fields and hand over to adime_dialogo.h.
#include "adime.h"

// The one private Allegro header in the tree: Allegro 4 has no public way to
// be told of allegro_exit(), and the layer must shut down with it, so it
// registers an exit function (_add_exit_func / _remove_exit_func) as
// Allegro's own add-ons do.
#include <allegro/internal/aintern.h>

#include <cstdarg>

#include "adime_dialogo.h"

void (*adime_callback)(DIALOG *d) = nullptr;
void (*adime_shown_callback)(const char *title) = nullptr;
void (*adime_open_callback)(int open) = nullptr;

namespace {

bool iniciada = false;

// Registered with Allegro: allegro_exit ends the layer too.
void adime_exit(void)
{
	adime_callback = nullptr;
	adime_shown_callback = nullptr;
	adime_open_callback = nullptr;
	iniciada = false;
	_remove_exit_func(adime_exit);
}

// One argument per field that takes one, in format order.
void lee_enlaces(adime::Contexto &c, va_list &args)
{
	c.enlaces.assign(c.campos.size(), adime::Enlace{});
	for (size_t i = 0; i < c.campos.size(); i++) {
		switch (c.campos[i].tipo) {
		case adime::TipoCampo::fila_botones:
			c.enlaces[i].llamada = va_arg(args, adime_buttonrow_callback);
			break;
		case adime::TipoCampo::fichero:
			c.enlaces[i].variable = va_arg(args, char *);
			break;
		case adime::TipoCampo::real:
			c.enlaces[i].variable = va_arg(args, float *);
			break;
		case adime::TipoCampo::casilla:
		case adime::TipoCampo::eleccion:
			c.enlaces[i].variable = va_arg(args, int *);
			break;
		default:
			break;
		}
	}
}

int dialogo(bool ok_cancelar, const char *titulo, int x, int y, int ancho_campo, const char *formato,
            va_list &args)
{
	adime::Contexto c;
	c.ok_cancelar = ok_cancelar;
	std::string error;
	if (!adime::analiza_y_dispone(c, titulo, x, y, ancho_campo, formato, error))
		return adime::RESULTADO_ERROR;
	lee_enlaces(c, args);
	adime::construye_objetos(c);
	int resultado = adime::ejecuta_dialogo(c);
	if (!ok_cancelar || resultado == adime::RESULTADO_OK)
		adime::copia_a_variables(c);
	return resultado;
}

} // namespace

int adime_init(void)
{
	if (!system_driver)
		return -1;
	if (!iniciada) {
		_add_exit_func(adime_exit, "adime_exit");
		iniciada = true;
	}
	return 0;
}

int adime_dialogf(const char *title, int x, int y, int field_w, const char *format, ...)
{
	va_list args;
	va_start(args, format);
	int r = dialogo(true, title, x, y, field_w, format, args);
	va_end(args);
	return r;
}

int adime_lowlevel_dialogf(const char *title, int x, int y, int field_w, const char *format, ...)
{
	va_list args;
	va_start(args, format);
	int r = dialogo(false, title, x, y, field_w, format, args);
	va_end(args);
	return r;
}
