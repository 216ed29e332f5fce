// Helpers shared by the data-file tests: a private temporary folder, whole-file
// reads and writes, and bit-for-bit float comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "fichero.h"

inline bool mismos_bits(float a, float b)
{
	return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::string contenido(const std::string &ruta)
{
	std::ifstream f(ruta, std::ios::binary);
	std::ostringstream s;
	s << f.rdbuf();
	return s.str();
}

inline void escribe_bytes(const std::string &ruta, const std::string &bytes)
{
	std::ofstream f(ruta, std::ios::binary);
	f << bytes;
}

// A folder of its own for each test, removed with everything in it.
class CarpetaTemporal {
public:
	CarpetaTemporal()
	{
		char plantilla[] = "/tmp/orq-fichero-XXXXXX";
		ruta_ = mkdtemp(plantilla);
	}
	~CarpetaTemporal()
	{
		std::string orden = "chmod -R u+w '" + ruta_ + "' && rm -rf '" + ruta_ + "'";
		if (std::system(orden.c_str()) != 0)
			std::fprintf(stderr, "no se pudo borrar %s\n", ruta_.c_str());
	}
	std::string operator/(const std::string &nombre) const { return ruta_ + "/" + nombre; }
	const std::string &ruta() const { return ruta_; }

private:
	std::string ruta_;
};

// Reads bytes through a file, so that both paths of the reader are exercised.
inline int lee_texto(const CarpetaTemporal &dir, const std::string &bytes, Lectura *l)
{
	std::string ruta = dir / "datos.txt";
	escribe_bytes(ruta, bytes);
	return lee_espectro(ruta.c_str(), l);
}
