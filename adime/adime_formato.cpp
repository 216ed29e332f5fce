// The format parser: splits a format into labelled fields and reads each
// field's arguments.  Start with analiza_formato; the language is described in
// adime_formato.h.
#include "adime_formato.h"

#include <cstdlib>

namespace adime {

namespace {

struct NombreCampo {
	const char *nombre;
	TipoCampo tipo;
};

const NombreCampo CAMPOS[] = {
    {"buttonrow", TipoCampo::fila_botones}, {"filename", TipoCampo::fichero}, {"float", TipoCampo::real},
    {"bool", TipoCampo::casilla},           {"nothing", TipoCampo::nada},     {"line", TipoCampo::linea},
    {"choice", TipoCampo::eleccion},
};

// The largest buffer a %filename may declare; guards against a mistyped size.
constexpr long BYTES_MAXIMOS = 1 << 20;

std::vector<std::string> parte(const std::string &s, char separador)
{
	std::vector<std::string> trozos(1);
	for (char c : s) {
		if (c == separador)
			trozos.emplace_back();
		else
			trozos.back() += c;
	}
	return trozos;
}

bool tipo_de_nombre(const std::string &nombre, TipoCampo &tipo)
{
	for (const auto &c : CAMPOS) {
		if (nombre == c.nombre) {
			tipo = c.tipo;
			return true;
		}
	}
	return false;
}

// "label;KEY": the shortcut follows the last semicolon; none without one.
bool lee_boton(const std::string &arg, BotonFila &boton, std::string &error)
{
	size_t punto_y_coma = arg.rfind(';');
	boton.texto = arg.substr(0, punto_y_coma);
	if (punto_y_coma == std::string::npos)
		return true;
	std::string nombre = arg.substr(punto_y_coma + 1);
	Atajo atajo;
	if (!atajo_de_nombre(nombre, atajo)) {
		error = "atajo desconocido: " + nombre;
		return false;
	}
	boton.atajos.push_back(atajo);
	return true;
}

bool lee_limite(const std::string &arg, bool &hay, double &valor, std::string &error)
{
	hay = !arg.empty();
	if (hay && !evalua_expresion(arg.c_str(), valor)) {
		error = "limite no numerico: " + arg;
		return false;
	}
	return true;
}

bool lee_fichero(Campo &c, std::string &error)
{
	char *fin = nullptr;
	long bytes = std::strtol(c.args[0].c_str(), &fin, 10);
	if (c.args[0].empty() || *fin != '\0' || bytes < 1 || bytes > BYTES_MAXIMOS) {
		error = "tamano de %filename no valido: " + c.args[0];
		return false;
	}
	c.bytes = static_cast<int>(bytes);
	c.extension = c.args.size() > 1 ? c.args[1] : "";
	c.titulo = c.args.size() > 2 ? c.args[2] : "";
	return true;
}

// A %choice needs a name for every place.
bool lee_nombres(Campo &c, std::string &error)
{
	for (const auto &nombre : c.args)
		if (nombre.empty()) {
			error = "%choice con un nombre vacio";
			return false;
		}
	c.nombres = c.args;
	return true;
}

// Reads the arguments that the field's type gives a meaning to.
bool lee_argumentos(Campo &c, std::string &error)
{
	switch (c.tipo) {
	case TipoCampo::fila_botones:
		for (const auto &arg : c.args) {
			c.botones.emplace_back();
			if (!lee_boton(arg, c.botones.back(), error))
				return false;
		}
		return true;
	case TipoCampo::fichero:
		return lee_fichero(c, error);
	case TipoCampo::real:
		return lee_limite(c.args[0], c.limites.con_min, c.limites.min, error) &&
		       lee_limite(c.args.size() > 1 ? c.args[1] : "", c.limites.con_max, c.limites.max,
		                  error);
	case TipoCampo::eleccion:
		return lee_nombres(c, error);
	default:
		return true;
	}
}

// Reads "name[args]" after a '%'; `p` ends past the closing bracket.
bool lee_campo(const char *&p, Campo &c, std::string &error)
{
	const char *corchete = p;
	while (*corchete && *corchete != '[')
		corchete++;
	std::string nombre(p, corchete);
	if (!tipo_de_nombre(nombre, c.tipo)) {
		error = "campo desconocido: %" + nombre;
		return false;
	}
	const char *cierre = corchete;
	while (*cierre && *cierre != ']')
		cierre++;
	if (*corchete != '[' || *cierre != ']') {
		error = "faltan los corchetes de %" + nombre;
		return false;
	}
	c.args = parte(std::string(corchete + 1, cierre), ',');
	p = cierre + 1;
	return lee_argumentos(c, error);
}

} // namespace

bool toma_argumento(TipoCampo t)
{
	return t != TipoCampo::nada && t != TipoCampo::linea;
}

bool analiza_formato(const char *formato, std::vector<Campo> &campos, std::string &error)
{
	campos.clear();
	std::string texto;
	for (const char *p = formato ? formato : ""; *p;) {
		if (p[0] != '%') {
			texto += *p++;
		} else if (p[1] == '%') {
			texto += '%';
			p += 2;
		} else {
			p++;
			Campo c;
			if (!lee_campo(p, c, error))
				return false;
			c.etiqueta = texto;
			texto.clear();
			campos.push_back(c);
		}
	}
	return true;
}

std::vector<std::string> lineas_de(const std::string &texto)
{
	if (texto.empty())
		return {};
	std::vector<std::string> lineas = parte(texto, '\n');
	if (lineas.back().empty())
		lineas.pop_back();
	return lineas;
}

} // namespace adime
