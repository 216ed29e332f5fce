// The import view's dialog: the file's first lines, the readings a load found
// and the fields of one, with the first rows split as those fields read them
// (kept in step by the dialogs' idle hook while they are edited), then the
// file read again with the reading chosen.  What a reading means is the
// formats' (FormaLectura, vista_de_tabla, lee_espectro_con_forma); the words
// are mensajes.cpp's.  Start at elige_lectura.
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
#include "gancho.h"
#include "mensajes.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;
constexpr int LINEAS_VISTAS = 12;
constexpr size_t TAM_VISTA = 4096;

// The fields of the dialog, as the dialog layer binds them: the choices are
// places in the tables below, in the order IMPORTA_CAMPOS names them.
struct Campos {
	float lectura = 1; // which of the readings found; 0: the fields below
	int lista = 0;     // 0 a table, 1 a list
	float cabecera = 0;
	int separador = 0, decimal = 0, miles = 0;
	float columna_x = 0, columna_y = 0;
};

const char SEPARADORES[] = {';', '\t', ',', ' '};   // semicolon, tab, comma, white space
const char DECIMALES[] = {'.', ','};                // point, comma
const char MARCAS[] = {0, '.', ',', MILES_ESPACIO}; // none, point, comma, no-break space

int indice(const char *tabla, size_t n, char c)
{
	for (size_t i = 0; i < n; i++)
		if (tabla[i] == c)
			return static_cast<int>(i);
	return 0;
}

char de_indice(const char *tabla, size_t n, int i)
{
	return i >= 0 && static_cast<size_t>(i) < n ? tabla[i] : tabla[0];
}

Campos campos_de(const FormaLectura &f)
{
	Campos c;
	c.lista = f.lista ? 1 : 0;
	c.cabecera = static_cast<float>(f.cabecera);
	c.separador = indice(SEPARADORES, sizeof SEPARADORES, f.separador);
	c.decimal = indice(DECIMALES, sizeof DECIMALES, f.decimal);
	c.miles = indice(MARCAS, sizeof MARCAS, f.miles);
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
	f.separador = de_indice(SEPARADORES, sizeof SEPARADORES, c.separador);
	f.decimal = de_indice(DECIMALES, sizeof DECIMALES, c.decimal);
	f.miles = de_indice(MARCAS, sizeof MARCAS, c.miles);
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

// What the preview follows while the dialog is open: the file's first lines,
// the load's readings, the fields' variables and the reading last shown.
struct Vista {
	const char *lineas = nullptr;
	const Lectura *lectura = nullptr;
	const Campos *campos = nullptr;
	FormaLectura mostrada;
};

Vista *vista_abierta = nullptr;

std::string texto_de_vista(const char *lineas, const FormaLectura &f)
{
	return texto_vista_previa(vista_de_tabla(lineas, f, FILAS_VISTA_PREVIA), f);
}

// The fields as the dialog holds them now (those it does not have, as they were).
Campos campos_ahora(DIALOG *d, const Campos &c)
{
	Campos ahora = c;
	adime_peek(d, &c.lectura, &ahora.lectura);
	adime_peek(d, &c.lista, &ahora.lista);
	adime_peek(d, &c.cabecera, &ahora.cabecera);
	adime_peek(d, &c.separador, &ahora.separador);
	adime_peek(d, &c.decimal, &ahora.decimal);
	adime_peek(d, &c.miles, &ahora.miles);
	adime_peek(d, &c.columna_x, &ahora.columna_x);
	adime_peek(d, &c.columna_y, &ahora.columna_y);
	return ahora;
}

// The idle hook while the view is open: the preview redone when the reading
// the fields describe has changed.  The preview is the format's last field.
void sigue_campos(DIALOG *d)
{
	Vista &v = *vista_abierta;
	FormaLectura f = elegida(campos_ahora(d, *v.campos), *v.lectura);
	if (misma_forma(f, v.mostrada))
		return;
	v.mostrada = f;
	try {
		adime_set_text(d, -1, texto_de_vista(v.lineas, f).c_str());
	} catch (const std::bad_alloc &) {
		// the preview stays as it was: the fields still read as they say
	}
}

// The idle hook given to the preview for as long as the dialog is open.
class GanchoDeVista {
public:
	explicit GanchoDeVista(Vista *v)
	{
		vista_abierta = v;
		antes_ = pon_gancho_propio(sigue_campos);
	}
	~GanchoDeVista()
	{
		devuelve_gancho(antes_);
		vista_abierta = nullptr;
	}
	GanchoDeVista(const GanchoDeVista &) = delete;
	GanchoDeVista &operator=(const GanchoDeVista &) = delete;

private:
	void (*antes_)(DIALOG *) = nullptr;
};

// Asks; false on Esc.
bool pregunta_forma(const char *ruta, const Lectura &l, int error, Campos *c)
{
	char lineas[TAM_VISTA];
	if (primeras_lineas(ruta, lineas, sizeof lineas, LINEAS_VISTAS) < 0)
		lineas[0] = '\0';
	std::vector<FormaLectura> formas(l.formas, l.formas + l.n_formas);
	Vista vista{lineas, &l, c, elegida(*c, l)};
	std::string formato = formato_importa(ruta, lineas, formas, motivo_de(error, ruta, l),
	                                      texto_de_vista(lineas, vista.mostrada));
	GanchoDeVista gancho(&vista);
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
