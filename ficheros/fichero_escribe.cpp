// Writing the spectrum data file: the text of the calibrated form, saved
// through reemplazo.h so that a failed save leaves the old file as it was.
// Start at escribe_espectro.
#include "fichero.h"

#include <cstdio>
#include <string>
#include <unistd.h>

#include "formatos.h"
#include "lector.h"
#include "reemplazo.h"

namespace {

constexpr size_t TAM_SALIDA = size_t(1) << 20;
// More than a float's nine digits, trailing zeros kept: the reader takes
// fewer as a float, and 0.01 as a double written "0.01" would come back as 0.01f.
constexpr const char *DOBLE_SIN_PERDIDA = "%#.17g";

// A calibration term: as a float is written when a float holds it exactly
// (every calibration read or made from two points), else whole.
void formatea_termino(char *buf, double v)
{
	float f = static_cast<float>(v);
	if (static_cast<double>(f) == v || v != v)
		formatea_sin_perdida(buf, f);
	else
		std::snprintf(buf, TAM_NUMERO, DOBLE_SIN_PERDIDA, v);
}

// The title as its line holds it: a line end inside it (a .chn's description
// or a file's name may carry one) would end the line early and the header
// would not read, so every control byte but the tab becomes a space.
std::string linea_de_titulo(const char *titulo)
{
	constexpr unsigned char PRIMERO_VISIBLE = 0x20, BORRAR = 0x7F;
	std::string t = titulo;
	for (char &c : t) {
		unsigned char u = static_cast<unsigned char>(c);
		if ((u < PRIMERO_VISIBLE && c != '\t') || u == BORRAR)
			c = ' ';
	}
	return t;
}

// "%s\n", "%i  %f  %f \n" and "%f\n" a sample, except that a number "%f"
// would lose is written with the digits that keep it.
bool escribe_texto(FILE *f, const char *titulo, const float *v, int n, const Calibracion &cal)
{
	char a[TAM_NUMERO], b[TAM_NUMERO];
	formatea_termino(a, cal.al);
	formatea_termino(b, cal.bl);
	std::fprintf(f, "%s\n%i  %s  %s \n", linea_de_titulo(titulo).c_str(), n, a, b);
	for (int i = 1; i <= n; i++) {
		int largo = formatea_sin_perdida(a, v[i]);
		a[largo] = '\n';
		std::fwrite(a, 1, largo + 1, f);
	}
	return escribe_curva(f, cal) && std::fflush(f) == 0 && !std::ferror(f);
}

// Writes everything and closes f in every case.
bool escribe_y_cierra(FILE *f, const char *titulo, const float *v, int n, const Calibracion &cal)
{
	std::setvbuf(f, nullptr, _IOFBF, TAM_SALIDA);
	bool bien = escribe_texto(f, titulo, v, n, cal);
	return std::fclose(f) == 0 && bien;
}

} // namespace

int escribe_espectro(const char *ruta, const char *titulo, const float *v, int n, double a_l, double b_l)
{
	return escribe_espectro(ruta, titulo, v, n, Calibracion(a_l, b_l));
}

int escribe_espectro(const char *ruta, const char *titulo, const float *v, int n, const Calibracion &cal)
{
	bool bien = reemplaza_fichero(ruta, "", [&](const std::string &, int fd) {
		int copia = dup(fd);
		FILE *f = copia >= 0 ? fdopen(copia, "w") : nullptr;
		if (!f) {
			if (copia >= 0)
				close(copia);
			return false;
		}
		return escribe_y_cierra(f, titulo, v, n, cal);
	});
	return bien ? FICHERO_BIEN : FICHERO_NO_SE_GUARDA;
}
