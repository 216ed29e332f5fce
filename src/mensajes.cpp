// See mensajes.h.  Start at acorta_ruta.
#include "mensajes.h"

#include <vector>

#include "textos.h"

namespace {

constexpr const char *PUNTOS = "...";

// Where each UTF-8 character of s starts, and s.size() at the end.
std::vector<size_t> inicios_de_caracter(const std::string &s)
{
	constexpr unsigned char MASCARA_CONTINUACION = 0xC0, CONTINUACION = 0x80;
	std::vector<size_t> inicios;
	for (size_t i = 0; i < s.size(); i++)
		if ((static_cast<unsigned char>(s[i]) & MASCARA_CONTINUACION) != CONTINUACION)
			inicios.push_back(i);
	inicios.push_back(s.size());
	return inicios;
}

// The path kept to its first `cabeza` and last `cola` characters.
std::string sin_el_medio(const std::string &ruta, const std::vector<size_t> &inicios, size_t cabeza,
                         size_t cola)
{
	size_t n = inicios.size() - 1;
	return ruta.substr(0, inicios[cabeza]) + PUNTOS + ruta.substr(inicios[n - cola]);
}

} // namespace

std::string acorta_ruta(const std::string &linea, const std::string &ruta, int ancho,
                        const AnchoDeTexto &ancho_de)
{
	size_t donde = ruta.empty() ? std::string::npos : linea.find(ruta);
	if (donde == std::string::npos || ancho_de(linea) <= ancho)
		return linea;
	std::string antes = linea.substr(0, donde), despues = linea.substr(donde + ruta.size());
	std::vector<size_t> inicios = inicios_de_caracter(ruta);
	// Fewer characters kept each time, the end of the path (its file name)
	// keeping the odd one.
	for (size_t quedan = inicios.size() - 2; quedan > 0; quedan--) {
		std::string corta =
		    antes + sin_el_medio(ruta, inicios, quedan / 2, quedan - quedan / 2) + despues;
		if (ancho_de(corta) <= ancho)
			return corta;
	}
	return antes + PUNTOS + despues;
}

Pregunta pregunta_de_reemplazo(const std::string &nombre, bool ajeno)
{
	std::string estado = ajeno ? " no está en el formato de Orquilo." : " ya existe.";
	return {"El fichero " + nombre + estado, "¿Reemplazarlo con los datos?"};
}

std::string titulo_de_ventana(const std::string &ruta)
{
	size_t barra = ruta.rfind('/');
	return TITULO_VENTANA_CARGADO + ruta.substr(barra == std::string::npos ? 0 : barra + 1);
}
