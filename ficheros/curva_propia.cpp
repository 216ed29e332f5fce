// A curved calibration in the own format: after the samples the header
// counts, where a reader that reads that many never looks, a block with every
// coefficient or every x in digits that read back as the same double, and a
// last line giving the block's length, so that it is found from the file's
// end whatever way the samples were read.  The header keeps the best line.
// Start at escribe_curva and lee_curva.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "formatos.h"

namespace {

constexpr char MARCA_BLOQUE[] = "#orquilo-calibracion";
constexpr char MARCA_FINAL[] = "#orquilo-calibracion-bytes";
constexpr char POLINOMIO[] = "polinomio", TABLA[] = "tabla";
constexpr const char *DOBLE_EXACTO = "%.17g";
constexpr size_t TAM_COLA = 64; // bytes at the end that hold the last line

// The last line, [ini, fin) ending in a line end: the block's length in bytes.
bool largo_del_bloque(const char *ini, const char *fin, long long *largo)
{
	while (fin > ini && (fin[-1] == '\n' || fin[-1] == '\r'))
		fin--;
	const char *linea = fin;
	while (linea > ini && linea[-1] != '\n')
		linea--;
	size_t marca = sizeof MARCA_FINAL - 1;
	std::string texto(linea, fin);
	if (texto.compare(0, marca, MARCA_FINAL) != 0 || texto.size() <= marca || texto[marca] != ' ')
		return false;
	char *resto;
	errno = 0;
	*largo = std::strtoll(texto.c_str() + marca + 1, &resto, 10);
	return errno == 0 && *resto == '\0' && *largo > 0;
}

// The file's last bytes and the block before them, as text; empty when the
// file does not end in a block.
std::string bloque_de(const Fuente &f)
{
	off_t tamano = f.fd >= 0 ? f.tamano : off_t(f.fin - f.inicio);
	size_t cola = size_t(std::min<off_t>(tamano, off_t(TAM_COLA)));
	std::string fin(cola, '\0');
	if (f.fd < 0)
		std::memcpy(fin.data(), f.inicio + (tamano - off_t(cola)), cola);
	else if (pread(f.fd, fin.data(), cola, tamano - off_t(cola)) != ssize_t(cola))
		return "";
	long long largo;
	size_t ultima = fin.find_last_of('\n', fin.size() > 1 ? fin.size() - 2 : 0);
	if (ultima == std::string::npos || !largo_del_bloque(fin.data(), fin.data() + fin.size(), &largo))
		return "";
	off_t desde = tamano - off_t(cola - ultima - 1) - off_t(largo);
	if (desde < 0)
		return "";
	std::string bloque(size_t(largo), '\0');
	if (f.fd >= 0)
		return pread(f.fd, bloque.data(), bloque.size(), desde) == ssize_t(bloque.size()) ? bloque
		                                                                                  : "";
	std::memcpy(bloque.data(), f.inicio + desde, bloque.size());
	return bloque;
}

// Every number of the block after its marks, each a whole double.
bool numeros(const char *p, std::vector<double> *v)
{
	for (;;) {
		while (*p && es_blanco(static_cast<unsigned char>(*p)))
			p++;
		if (!*p)
			return true;
		char *fin;
		double x = std::strtod(p, &fin);
		if (fin == p || !std::isfinite(x))
			return false;
		v->push_back(x);
		p = fin;
	}
}

// The curve a block holds, over n channels, with the header's line as its best line.
bool curva_de(const std::string &bloque, int n, Calibracion *cal)
{
	char forma[16] = "";
	int usados = 0;
	if (std::sscanf(bloque.c_str(), "#orquilo-calibracion %15s%n", forma, &usados) != 1)
		return false;
	std::vector<double> v;
	if (!numeros(bloque.c_str() + usados, &v))
		return false;
	Calibracion c(cal->al, cal->bl);
	if (std::strcmp(forma, TABLA) == 0 && v.size() == size_t(n)) {
		int giro;
		Calibracion t = calibracion_de_tabla(std::move(v), &giro);
		if (giro != 0)
			return false;
		c.forma = FormaCalibracion::tabla;
		c.x = t.x;
	} else if (std::strcmp(forma, POLINOMIO) == 0 && v.size() >= 5 && v.size() <= 3 + GRADO_MAXIMO + 1 &&
	           v[0] == double(v.size()) - 4 && v[0] >= 2 && std::fabs(v[1]) == 1) {
		c.forma = FormaCalibracion::polinomio;
		c.grado = int(v[0]);
		c.signo = v[1];
		c.origen = v[2];
		std::copy(v.begin() + 3, v.end(), c.coef);
		if (giro_de(c, n) != 0)
			return false;
	} else {
		return false;
	}
	*cal = c;
	return true;
}

} // namespace

bool escribe_curva(FILE *f, const Calibracion &cal)
{
	if (cal.forma == FormaCalibracion::recta)
		return true;
	long desde = std::ftell(f);
	if (cal.forma == FormaCalibracion::tabla) {
		std::fprintf(f, "%s %s\n", MARCA_BLOQUE, TABLA);
		for (double x : *cal.x) {
			std::fprintf(f, DOBLE_EXACTO, x);
			std::fputc('\n', f);
		}
	} else {
		std::fprintf(f, "%s %s\n%d %g ", MARCA_BLOQUE, POLINOMIO, cal.grado, cal.signo);
		std::fprintf(f, DOBLE_EXACTO, cal.origen);
		for (int k = 0; k <= cal.grado; k++) {
			std::fputc(' ', f);
			std::fprintf(f, DOBLE_EXACTO, cal.coef[k]);
		}
		std::fputc('\n', f);
	}
	long hasta = std::ftell(f);
	if (desde < 0 || hasta < 0)
		return false;
	std::fprintf(f, "%s %ld\n", MARCA_FINAL, hasta - desde);
	return true;
}

void lee_curva(const Fuente &f, int n, Lectura &l)
{
	if (l.cal.al == 0 || n < 2)
		return;
	try {
		std::string bloque = bloque_de(f);
		if (!bloque.empty())
			curva_de(bloque, n, &l.cal);
	} catch (const std::bad_alloc &) {
		// the best line stands
	}
}
