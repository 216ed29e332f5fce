// Writing the spectrum data file: the text of the calibrated form, saved
// through reemplazo.h so that a failed save leaves the old file as it was;
// and the same samples as a table of x and intensity for other programs.
// Start at escribe_espectro.
#include "fichero.h"

#include <cstdio>
#include <functional>
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
// would lose is written with the digits that keep it; a curve after them.
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

// The header row, then "x,y" a channel: x the channel, or its wavelength
// under the calibration (curve or line) with the 17 digits that give the
// double back; y with the digits that give the float back.
bool escribe_tabla_xy(FILE *f, const char *cabecera, const float *v, int n, const Calibracion &cal)
{
	constexpr const char *DOBLE_ENTERO = "%.17g";
	char x[TAM_NUMERO], y[TAM_NUMERO];
	std::fprintf(f, "%s\n", cabecera);
	for (int i = 1; i <= n; i++) {
		if (cal.al != 0)
			std::snprintf(x, sizeof x, DOBLE_ENTERO, longitud_en(cal, i));
		else
			std::snprintf(x, sizeof x, "%d", i);
		formatea_sin_perdida(y, v[i]);
		std::fprintf(f, "%s,%s\n", x, y);
	}
	return std::fflush(f) == 0 && !std::ferror(f);
}

// Through a new file beside ruta (its name ending in sufijo) that replaces
// it once `escribe` has written it whole into a stream on it.
int reemplaza_por_flujo(const char *ruta, const char *sufijo, const std::function<bool(FILE *)> &escribe)
{
	bool bien = reemplaza_fichero(ruta, sufijo, [&](const std::string &, int fd) {
		int copia = dup(fd);
		FILE *f = copia >= 0 ? fdopen(copia, "w") : nullptr;
		if (!f) {
			if (copia >= 0)
				close(copia);
			return false;
		}
		std::setvbuf(f, nullptr, _IOFBF, TAM_SALIDA);
		bool escrito = escribe(f);
		return std::fclose(f) == 0 && escrito;
	});
	return bien ? FICHERO_BIEN : FICHERO_NO_SE_GUARDA;
}

} // namespace

int escribe_espectro(const char *ruta, const char *titulo, const float *v, int n, double a_l, double b_l)
{
	return escribe_espectro(ruta, titulo, v, n, Calibracion(a_l, b_l));
}

int escribe_espectro(const char *ruta, const char *titulo, const float *v, int n, const Calibracion &cal)
{
	return reemplaza_por_flujo(ruta, "", [&](FILE *f) { return escribe_texto(f, titulo, v, n, cal); });
}

int exporta_tabla(const char *ruta, const char *cabecera, const float *v, int n, const Calibracion &cal)
{
	return reemplaza_por_flujo(ruta, ".csv",
	                           [&](FILE *f) { return escribe_tabla_xy(f, cabecera, v, n, cal); });
}
