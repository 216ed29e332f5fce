// Browsing the loaded file's folder.  The order is the names' bytes, with no
// locale, so it is the same everywhere; a file counts when the loader's own
// entry point reads it, so every format the loader learns is browsed too.
#include "hojea.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "avisos.h"
#include "carga_guarda.h"
#include "estado.h"

namespace {

// Whether browsing stops at a file, given what the loader said of it: it
// stops at one read, and at one that does not fit in memory, which must be
// said rather than passed over.  Any other failure passes it over.
bool se_para_en(int error)
{
	return error == FICHERO_BIEN || error == FICHERO_SIN_MEMORIA;
}

// The folder part of a path, with its last slash ("" for a bare name).
std::string carpeta_de(const std::string &ruta)
{
	size_t barra = ruta.rfind('/');
	return barra == std::string::npos ? std::string() : ruta.substr(0, barra + 1);
}

// Names of the regular files of a folder ("" is the working folder).  Pipes
// and devices are left out: reading one could wait for ever.
std::vector<std::string> ficheros_de(const std::string &carpeta)
{
	std::vector<std::string> nombres;
	std::error_code error;
	std::filesystem::directory_iterator it(carpeta.empty() ? "." : carpeta, error), fin;
	for (; !error && it != fin; it.increment(error)) {
		std::error_code tipo;
		if (it->is_regular_file(tipo))
			nombres.push_back(it->path().filename().string());
	}
	return nombres;
}

} // namespace

std::vector<std::string> orden_de_hojeo(std::vector<std::string> nombres, const std::string &actual,
                                        int sentido)
{
	auto queda_fuera = [&](const std::string &n) { return sentido > 0 ? n <= actual : n >= actual; };
	nombres.erase(std::remove_if(nombres.begin(), nombres.end(), queda_fuera), nombres.end());
	std::sort(nombres.begin(), nombres.end());
	if (sentido < 0)
		std::reverse(nombres.begin(), nombres.end());
	return nombres;
}

std::string lee_vecino(const std::string &ruta, int sentido, Lectura *l)
{
	std::string carpeta = carpeta_de(ruta);
	std::string actual = ruta.substr(carpeta.size());
	for (const std::string &nombre : orden_de_hojeo(ficheros_de(carpeta), actual, sentido)) {
		std::string vecino = carpeta + nombre;
		if (vecino.size() < TAM_NOMBRE && se_para_en(lee_espectro(vecino.c_str(), l)))
			return vecino;
	}
	return std::string();
}

bool hojea(int sentido)
{
	if (fichero_cargado[0] == '\0')
		return false;
	Lectura l;
	std::string vecino;
	try {
		vecino = lee_vecino(fichero_cargado, sentido, &l);
	} catch (const std::bad_alloc &) { // the folder's names, a path
		libera_lectura(&l);
		avisa_sin_memoria(fichero_cargado);
		return false;
	}
	if (vecino.empty())
		return false;
	if (l.Li == nullptr) {
		avisa_sin_memoria(vecino.c_str());
		return false;
	}
	return muestra_leido(vecino.c_str(), &l);
}
