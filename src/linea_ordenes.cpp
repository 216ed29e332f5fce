// The command line (see linea_ordenes.h): analiza_ordenes reads it, and
// responde_sin_ventana answers --help, --version and mistakes.
#include "linea_ordenes.h"

#include <cstdio>

#include "estado.h"

namespace {

constexpr const char *USO = "Uso: orquilo [FICHERO]\n"
                            "     orquilo --help | --version\n"
                            "\n"
                            "Visor de espectros unidimensionales.  Sin argumentos abre la ventana con el\n"
                            "menú de órdenes; con FICHERO, además lo carga como \"Leer Datos\".\n"
                            "\n"
                            "  --help      muestra esta ayuda y termina\n"
                            "  --version   muestra la versión y termina\n"
                            "  --          lo que sigue es el nombre del fichero, aunque empiece por -\n"
                            "\n"
                            "Necesita una pantalla X.  Manual: man orquilo\n";

Ordenes con_error(const std::string &mensaje)
{
	Ordenes o;
	o.accion = Ordenes::error;
	o.problema = mensaje;
	return o;
}

bool es_opcion(const std::string &a)
{
	return a.size() > 1 && a[0] == '-';
}

} // namespace

Ordenes analiza_ordenes(const std::vector<std::string> &args)
{
	Ordenes o;
	bool fin_de_opciones = false, hay_fichero = false;
	for (const std::string &a : args) {
		if (!fin_de_opciones && a == "--") {
			fin_de_opciones = true;
		} else if (!fin_de_opciones && (a == "--help" || a == "--version")) {
			if (o.accion == Ordenes::arranca)
				o.accion = a == "--help" ? Ordenes::ayuda : Ordenes::version;
		} else if (!fin_de_opciones && es_opcion(a)) {
			return con_error("opción desconocida: " + a);
		} else if (hay_fichero) {
			return con_error("sobra un fichero: " + a + " (solo se abre uno)");
		} else if (a.empty() || a.size() >= static_cast<size_t>(TAM_NOMBRE)) {
			return con_error("nombre de fichero vacío o demasiado largo");
		} else {
			hay_fichero = true;
			o.fichero = a;
		}
	}
	return o;
}

const char *texto_de_uso()
{
	return USO;
}

std::string texto_de_version()
{
	return std::string("orquilo ") + ORQ_VERSION + "\n";
}

int responde_sin_ventana(const Ordenes &o)
{
	switch (o.accion) {
	case Ordenes::ayuda:
		std::fputs(texto_de_uso(), stdout);
		return ESTADO_CORRECTO;
	case Ordenes::version:
		std::fputs(texto_de_version().c_str(), stdout);
		return ESTADO_CORRECTO;
	default:
		std::fprintf(stderr, "orquilo: %s\n%s", o.problema.c_str(), texto_de_uso());
		return ESTADO_USO_INCORRECTO;
	}
}
