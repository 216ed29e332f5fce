// Building a dialog: from the parsed format and its layout to the array of
// Allegro objects, with the edit buffers loaded from the caller's variables and
// written back by copia_a_variables.  Start with construye_objetos.
#include "adime_dialogo.h"

#include <algorithm>
#include <cstring>

#include "adime_objetos.h"

namespace adime {

namespace {

// Characters a %float edit box holds.
constexpr int CARACTERES_REAL = 64;
// Allegro's edit box needs room for its widest encoding per character.
constexpr int BYTES_POR_CARACTER = 4;

int caracteres_de(const Campo &campo)
{
	return campo.tipo == TipoCampo::fichero ? campo.bytes - 1 : CARACTERES_REAL;
}

// The edit buffer of a field, loaded with the variable's current value.
std::vector<char> texto_inicial(const Campo &campo, const Enlace &e)
{
	std::vector<char> texto(static_cast<size_t>(caracteres_de(campo) + 1) * BYTES_POR_CARACTER, '\0');
	std::string valor;
	if (campo.tipo == TipoCampo::fichero && e.variable) {
		const char *nombre = static_cast<const char *>(e.variable);
		valor.assign(nombre, strnlen(nombre, static_cast<size_t>(campo.bytes) - 1));
	} else if (campo.tipo == TipoCampo::real) {
		valor = texto_de_float(e.variable ? *static_cast<const float *>(e.variable) : 0.0f);
	}
	ustrzcpy(texto.data(), static_cast<int>(texto.size()), valor.c_str());
	return texto;
}

bool es_edicion(TipoCampo t)
{
	return t == TipoCampo::fichero || t == TipoCampo::real;
}

class Constructor {
public:
	explicit Constructor(Contexto &c) : c_(c), col_(colores_de_dialogo()) {}

	void construye()
	{
		c_.objetos.clear();
		c_.acciones.clear();
		c_.objeto_de_campo.assign(c_.campos.size(), -1);
		c_.objeto_de_etiqueta.assign(c_.campos.size(), -1);
		c_.foco = -1;
		pon_marco();
		agrega(atajos_proc, Rect{}, col_.texto, col_.fondo);
		for (size_t i = 0; i < c_.campos.size(); i++)
			pon_campo(i);
		if (c_.ok_cancelar) {
			pon_boton(c_.disposicion.ok, TEXTO_OK,
			          accion(TipoAccion::ok, {atajo_tecla(KEY_ENTER), atajo_alt_ctrl('o')}));
			pon_boton(c_.disposicion.cancelar, TEXTO_CANCELAR,
			          accion(TipoAccion::cancelar, atajos_cancelar()));
		}
		c_.objetos.push_back(DIALOG{});
		enlaza();
	}

private:
	Contexto &c_;
	Colores col_;

	int agrega(DIALOG_PROC proc, const Rect &r, int fg, int bg)
	{
		DIALOG d{};
		d.proc = proc;
		d.x = r.x;
		d.y = r.y;
		d.w = r.w;
		d.h = r.h;
		d.fg = fg;
		d.bg = bg;
		c_.objetos.push_back(d);
		return static_cast<int>(c_.objetos.size()) - 1;
	}

	// The first object in format order that takes the focus gets it at the start.
	int agrega_enfocable(DIALOG_PROC proc, const Rect &r, int fg, int bg)
	{
		int i = agrega(proc, r, fg, bg);
		if (c_.foco < 0)
			c_.foco = i;
		return i;
	}

	void pon_marco()
	{
		int i = agrega(marco_proc, c_.disposicion.ventana, col_.borde, col_.fondo);
		c_.objetos[i].d1 = col_.barra;
		c_.objetos[i].d2 = col_.texto_barra;
		c_.objetos[i].dp = const_cast<char *>(c_.titulo.c_str());
	}

	// Its object's index, or -1 for no text.
	int pon_texto(const std::string &texto, const Rect &r, bool a_la_derecha)
	{
		if (texto.empty())
			return -1;
		int i = agrega(texto_proc, r, col_.texto, col_.fondo);
		c_.objetos[i].d1 = a_la_derecha;
		c_.objetos[i].dp = const_cast<std::string *>(&texto);
		return i;
	}

	// With no edit box to type into, plain C is free, and cancels too.
	std::vector<Atajo> atajos_cancelar() const
	{
		std::vector<Atajo> atajos{atajo_tecla(KEY_ESC), atajo_alt_ctrl('c')};
		if (std::none_of(c_.campos.begin(), c_.campos.end(),
		                 [](const Campo &f) { return es_edicion(f.tipo); }))
			atajos.push_back(Atajo{Atajo::letra, 'c'});
		return atajos;
	}

	Accion accion(TipoAccion tipo, std::vector<Atajo> atajos)
	{
		Accion a;
		a.tipo = tipo;
		a.atajos = std::move(atajos);
		return a;
	}

	void pon_boton(const Rect &r, const char *texto, Accion a)
	{
		a.objeto = agrega_enfocable(boton_proc, r, col_.texto, col_.fondo);
		c_.objetos[a.objeto].flags = D_EXIT;
		c_.objetos[a.objeto].dp = const_cast<char *>(texto);
		c_.acciones.push_back(a);
	}

	void pon_edicion(size_t i, const FilaDispuesta &f)
	{
		Rect r{f.campo.x + HUECO_EDICION, f.campo.y + HUECO_EDICION, f.campo.w - 2 * HUECO_EDICION,
		       f.campo.h - 2 * HUECO_EDICION};
		int o = agrega_enfocable(edicion_proc, r, col_.texto, col_.edicion);
		c_.objetos[o].flags = TEXTO_SELECCIONADO;
		c_.objetos[o].d1 = caracteres_de(c_.campos[i]);
		c_.objetos[o].dp = c_.textos[i].data();
		c_.objeto_de_campo[i] = o;
		if (c_.campos[i].tipo == TipoCampo::fichero) {
			Accion a = accion(TipoAccion::examinar, {});
			a.campo = i;
			pon_boton(f.examinar, TEXTO_EXAMINAR, a);
		}
	}

	void pon_casilla(size_t i, const FilaDispuesta &f)
	{
		int o = agrega_enfocable(casilla_proc, f.campo, col_.texto, col_.edicion);
		const int *variable = static_cast<const int *>(c_.enlaces[i].variable);
		c_.objetos[o].flags = variable && *variable ? D_SELECTED : 0;
		c_.objetos[o].d2 = col_.fondo;
		c_.objeto_de_campo[i] = o;
	}

	void pon_eleccion(size_t i, const FilaDispuesta &f)
	{
		int o = agrega_enfocable(eleccion_proc, f.campo, col_.texto, col_.edicion);
		const auto &nombres = c_.campos[i].nombres;
		const int *variable = static_cast<const int *>(c_.enlaces[i].variable);
		int n = static_cast<int>(nombres.size());
		c_.objetos[o].d1 = variable && *variable >= 0 && *variable < n ? *variable : 0;
		c_.objetos[o].dp = const_cast<std::vector<std::string> *>(&nombres);
		c_.objeto_de_campo[i] = o;
	}

	void pon_fila_botones(size_t i, const FilaDispuesta &f)
	{
		const Campo &campo = c_.campos[i];
		for (size_t k = 0; k < campo.botones.size(); k++) {
			Accion a = accion(TipoAccion::fila, campo.botones[k].atajos);
			a.indice = static_cast<int>(k) + 1;
			a.llamada = c_.enlaces[i].llamada;
			pon_boton(f.botones[k], campo.botones[k].texto.c_str(), a);
		}
	}

	void pon_campo(size_t i)
	{
		const Campo &campo = c_.campos[i];
		const FilaDispuesta &f = c_.disposicion.filas[i];
		c_.objeto_de_etiqueta[i] = pon_texto(campo.etiqueta, f.etiqueta, !f.bloque);
		if (es_edicion(campo.tipo))
			pon_edicion(i, f);
		else if (campo.tipo == TipoCampo::casilla)
			pon_casilla(i, f);
		else if (campo.tipo == TipoCampo::eleccion)
			pon_eleccion(i, f);
		else if (campo.tipo == TipoCampo::fila_botones)
			pon_fila_botones(i, f);
		else if (campo.tipo == TipoCampo::linea)
			agrega(regla_proc, f.campo, col_.borde, col_.fondo);
	}

	// Pointers into the vectors, taken once they no longer grow.
	void enlaza()
	{
		for (auto &d : c_.objetos)
			if (d.proc == atajos_proc)
				d.dp3 = &c_;
		for (auto &a : c_.acciones) {
			a.contexto = &c_;
			c_.objetos[a.objeto].dp3 = &a;
		}
	}
};

} // namespace

bool analiza_y_dispone(Contexto &c, const char *titulo, int x, int y, int ancho_campo, const char *formato,
                       std::string &error)
{
	if (!screen) {
		error = "no hay modo grafico";
		return false;
	}
	if (!analiza_formato(formato, c.campos, error))
		return false;
	dispone_campos(c, titulo, x, y, ancho_campo);
	return true;
}

void dispone_campos(Contexto &c, const char *titulo, int x, int y, int ancho_campo)
{
	c.titulo = titulo ? titulo : "";
	Peticion p;
	p.titulo = c.titulo;
	p.x = x;
	p.y = y;
	p.ancho_campo = ancho_campo;
	p.ok_cancelar = c.ok_cancelar;
	p.ancho_pantalla = SCREEN_W;
	p.alto_pantalla = SCREEN_H;
	p.ancho_texto = [](const std::string &s) { return text_length(font, s.c_str()); };
	c.disposicion = dispone(c.campos, p);
}

void construye_objetos(Contexto &c)
{
	c.textos.clear();
	for (size_t i = 0; i < c.campos.size(); i++)
		c.textos.push_back(es_edicion(c.campos[i].tipo) ? texto_inicial(c.campos[i], c.enlaces[i])
		                                                : std::vector<char>());
	Constructor(c).construye();
}

void escribe_valor(const Contexto &c, size_t i, void *v)
{
	const Campo &campo = c.campos[i];
	if (campo.tipo == TipoCampo::fichero)
		ustrzcpy(static_cast<char *>(v), campo.bytes, c.textos[i].data());
	else if (campo.tipo == TipoCampo::real)
		*static_cast<float *>(v) = valor_de_texto(c.textos[i].data(), campo.limites);
	else if (campo.tipo == TipoCampo::casilla)
		*static_cast<int *>(v) = (c.objetos[c.objeto_de_campo[i]].flags & D_SELECTED) ? 1 : 0;
	else if (campo.tipo == TipoCampo::eleccion)
		*static_cast<int *>(v) = c.objetos[c.objeto_de_campo[i]].d1;
}

void copia_a_variables(const Contexto &c)
{
	for (size_t i = 0; i < c.campos.size(); i++)
		if (c.enlaces[i].variable)
			escribe_valor(c, i, c.enlaces[i].variable);
}

} // namespace adime
