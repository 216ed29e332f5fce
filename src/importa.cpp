// The import view's dialog: the file's first lines, the readings a load found
// and the fields of one, then the file read again with the reading chosen.  What a
// reading means is the formats' (FormaLectura, lee_espectro_con_forma); the
// words are mensajes.cpp's.  Start at elige_lectura.
#include "importa.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "adime.h"
#include "avisos.h"
#include "estado.h"
#include "mensajes.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;
constexpr int LINEAS_VISTAS = 12;
constexpr size_t TAM_VISTA = 4096;

// The fields of the dialog, as the dialog layer binds them.
struct Campos {
	float lectura = 1; // which of the readings found; 0: the fields below
	int lista = 0;
	float cabecera = 0, separador = 0, decimal = 0, miles = 0, columna_x = 0, columna_y = 0;
};

const char SEPARADORES[] = {';', '\t', ',', ' '}; // 1 to 4 in the field
const char MARCAS[] = {0, '.', ',', MILES_ESPACIO}; // 0 to 3: none, point, comma, no-break space

int indice(const char *tabla, size_t n, char c, int base)
{
	for (size_t i = 0; i < n; i++)
		if (tabla[i] == c)
			return static_cast<int>(i) + base;
	return base;
}

char de_indice(const char *tabla, size_t n, float v, int base)
{
	long i = std::lround(v) - base;
	return i >= 0 && static_cast<size_t>(i) < n ? tabla[i] : tabla[0];
}

Campos campos_de(const FormaLectura &f)
{
	Campos c;
	c.lista = f.lista ? 1 : 0;
	c.cabecera = static_cast<float>(f.cabecera);
	c.separador = static_cast<float>(indice(SEPARADORES, sizeof SEPARADORES, f.separador, 1));
	c.decimal = f.decimal == ',' ? 2 : 1;
	c.miles = static_cast<float>(indice(MARCAS, sizeof MARCAS, f.miles, 0));
	c.columna_x = static_cast<float>(f.columna_x + 1);
	c.columna_y = static_cast<float>(f.columna_y + 1);
	return c;
}

// The reading the fields describe; columns counted from 1, 0 for no x.
FormaLectura forma_de(const Campos &c, const FormaLectura &base)
{
	FormaLectura f = base;
	f.lista = c.lista != 0;
	f.cabecera = static_cast<int>(std::lround(c.cabecera));
	f.separador = de_indice(SEPARADORES, sizeof SEPARADORES, c.separador, 1);
	f.decimal = std::lround(c.decimal) == 2 ? ',' : '.';
	f.miles = de_indice(MARCAS, sizeof MARCAS, c.miles, 0);
	f.columna_x = static_cast<int>(std::lround(c.columna_x)) - 1;
	f.columna_y = static_cast<int>(std::lround(c.columna_y)) - 1;
	f.columnas = std::max({f.columnas, f.columna_x + 1, f.columna_y + 1});
	return f;
}

bool misma_forma(const FormaLectura &a, const FormaLectura &b)
{
	return a.lista == b.lista && a.cabecera == b.cabecera && a.separador == b.separador &&
	       a.decimal == b.decimal && a.miles == b.miles && a.columna_x == b.columna_x &&
	       a.columna_y == b.columna_y;
}

// The reading chosen: one of those found, or the fields'.
FormaLectura elegida(const Campos &c, const Lectura &l)
{
	long k = std::lround(c.lectura);
	if (k >= 2 && k <= l.n_formas)
		return l.formas[k - 1];
	return forma_de(c, l.n_formas > 0 ? l.formas[0] : FormaLectura{});
}

// Why a file did not read, naming it by its base name as the view's first line does.
std::string motivo_de(int error, const char *ruta, const Lectura &l)
{
	if (error == FICHERO_BIEN)
		return std::string();
	const char *barra = std::strrchr(ruta, '/');
	return mensaje_error_fichero(error, barra ? barra + 1 : ruta, l.linea_ilegible);
}

// Asks; false on Esc.
bool pregunta_forma(const char *ruta, const Lectura &l, int error, Campos *c)
{
	char lineas[TAM_VISTA];
	if (primeras_lineas(ruta, lineas, sizeof lineas, LINEAS_VISTAS) < 0)
		lineas[0] = '\0';
	std::vector<FormaLectura> formas(l.formas, l.formas + l.n_formas);
	std::string formato = formato_importa(ruta, lineas, formas, motivo_de(error, ruta, l));
	const Dialogo &d = DIALOGO_IMPORTA;
	if (formas.size() > 1) // a field that picks one of them comes first
		return adime_dialogf(d.titulo, d.x, d.y, d.ancho_campo, formato.c_str(), &c->lectura,
		                     &c->lista, &c->cabecera, &c->separador, &c->decimal, &c->miles,
		                     &c->columna_x, &c->columna_y) == RESULTADO_OK;
	return adime_dialogf(d.titulo, d.x, d.y, d.ancho_campo, formato.c_str(), &c->lista, &c->cabecera,
	                     &c->separador, &c->decimal, &c->miles, &c->columna_x,
	                     &c->columna_y) == RESULTADO_OK;
}

// *l read again the way f says; false (with the message) when it cannot be.
bool relee(const char *ruta, const FormaLectura &f, Lectura *l)
{
	libera_lectura(l);
	return lee_o_avisa(ruta, l, &f);
}

} // namespace

bool se_puede_importar(int error)
{
	return error == FICHERO_BIEN || error == FICHERO_SIN_MUESTRAS || error == FICHERO_BINARIO;
}

bool elige_lectura(const char *ruta, Lectura *l, int error)
{
	Campos c = campos_de(l->n_formas > 0 ? l->formas[0] : FormaLectura{});
	bool si = false;
	try {
		si = pregunta_forma(ruta, *l, error, &c);
	} catch (const std::bad_alloc &) {
		avisa_sin_memoria(ruta);
	}
	if (!si) {
		libera_lectura(l);
		return false;
	}
	FormaLectura f = elegida(c, *l);
	// The reading it was read with (an instrument's file: its own format, the
	// fields untouched): nothing to read again.
	if (error == FICHERO_BIEN && misma_forma(f, l->n_formas > 0 ? l->formas[0] : FormaLectura{}))
		return true;
	return relee(ruta, f, l);
}
