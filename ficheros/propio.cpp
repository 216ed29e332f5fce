// The own format of the spectrum data file: the title line of a calibrated
// file, its header (count, al, bl), then the samples, which the number reader
// (lector.h) reads exactly as scanf's "%f" reads them, fast; lines of text
// before the first sample are skipped, and text that ends the samples is
// named by its line.  Also the fast way through a foreign format's block of
// counts, and the words for each result.  Start at lee_fuente.  The writer is in fichero_escribe.cpp.
#include "fichero.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "formatos.h"
#include "lector.h"

namespace {

constexpr int SIN_LIMITE = INT_MAX - 1; // samples, so that nptL + 1 slots fit an int
constexpr char COMILLA = '"';
constexpr char TITULO_SIN_CALIBRAR[] = "\"...\"";
constexpr size_t LARGO_TITULO = TAM_NOMBRE - 1;
constexpr size_t TAM_MENSAJE = TAM_NOMBRE + 128;
constexpr size_t TAM_TROZO_LINEAS = size_t(1) << 14;
constexpr int CIFRAS_FLOAT = 9;      // what it takes to write any float so that it reads back
constexpr size_t DECIMALES_DE_F = 6; // what "%f" writes after the point

// The engine's reasons to stop, as the file's result codes.
int codigo_de(int error)
{
	return error == LECTOR_SIN_MEMORIA ? FICHERO_SIN_MEMORIA
	       : error                     ? FICHERO_ERROR_LECTURA
	                                   : FICHERO_BIEN;
}

// The title is the line without its line end (nor a carriage return before
// it), cut to what comment holds; the rest of a longer line is skipped.
void lee_titulo(Fuente &f, char *titulo)
{
	while (size_t(f.fin - f.p) <= LARGO_TITULO + 1 && !std::memchr(f.p, '\n', f.fin - f.p) &&
	       recarga(f)) {
	}
	size_t ventana = f.fin - f.p;
	auto nl = static_cast<const char *>(std::memchr(f.p, '\n', ventana));
	size_t largo = nl ? size_t(nl - f.p) : ventana;
	if (largo > 0 && f.p[largo - 1] == '\r')
		largo--;
	largo = largo < LARGO_TITULO ? largo : LARGO_TITULO;
	std::memcpy(titulo, f.p, largo);
	titulo[largo] = '\0';
	salta_linea(f);
}

// Significant digits of a decimal number's text, leading zeros aside, and
// a fraction's trailing zeros where "%f" put them (six decimals or fewer);
// 0 for anything else (hexadecimal, inf).  Longer fractions keep them: the
// writer puts 0.01 held in double as 0.010000000000000000.
int cifras_significativas(const char *p, const char *fin)
{
	std::string mantisa(p, std::find_if(p, fin, [](char c) { return c == 'e' || c == 'E'; }));
	if (mantisa.find_first_of("xXnN") != std::string::npos)
		return 0;
	size_t primera = mantisa.find_first_of("123456789");
	if (primera == std::string::npos)
		return 0;
	size_t punto = mantisa.find('.');
	bool ceros_de_f = punto != std::string::npos && mantisa.size() - punto - 1 <= DECIMALES_DE_F;
	size_t ultima = ceros_de_f ? mantisa.find_last_of("123456789") : mantisa.find_last_of("0123456789");
	return static_cast<int>(std::count_if(mantisa.begin() + primera, mantisa.begin() + ultima + 1,
	                                      [](char c) { return c >= '0' && c <= '9'; }));
}

// A calibration term: read as "%f" reads it, unless its text carries more
// digits than a float holds (as the writer puts a calibration that a float
// cannot hold): then whole, in double.
bool lee_termino(Fuente &f, double *x)
{
	float simple;
	if (!lee_float(f, &simple))
		return false;
	const char *ini = f.p;
	while (ini > f.inicio && !es_blanco(static_cast<unsigned char>(ini[-1])))
		ini--;
	*x = simple;
	if (cifras_significativas(ini, f.p) > CIFRAS_FLOAT)
		*x = std::strtod(std::string(ini, f.p).c_str(), nullptr);
	return true;
}

// The header line: count, al and bl, wherever their line ends fall.
bool lee_cabecera(Fuente &f, int *cuenta, double *al, double *bl)
{
	return lee_entero(f, cuenta) && lee_termino(f, al) && lee_termino(f, bl);
}

// Room for the samples expected, but never more than the input can hold.
bool reserva_inicial(Fuente &f, Muestras &m, size_t esperadas, size_t cota)
{
	if (reserva(m, (esperadas < cota ? esperadas : cota) + 1))
		return true;
	f.error = LECTOR_SIN_MEMORIA;
	return false;
}

// The 1-based line of the file at the byte where the window stands.
int linea_actual(const Fuente &f)
{
	if (f.fd < 0)
		return 1 + int(std::count(f.inicio, f.p, '\n'));
	char trozo[TAM_TROZO_LINEAS];
	off_t hasta = posicion(f), leido = 0;
	int lineas = 1;
	while (leido < hasta) {
		size_t quiero = size_t(std::min(hasta - leido, off_t(sizeof trozo)));
		ssize_t r = pread(f.fd, trozo, quiero, leido);
		if (r <= 0)
			break;
		lineas += int(std::count(trozo, trozo + r, '\n'));
		leido += r;
	}
	return lineas;
}

// Text that stopped the samples is named by its line.
void anota_parada(Parada p, Fuente &f, Lectura &l)
{
	if (p == ILEGIBLE)
		l.linea_ilegible = linea_actual(f);
}

// A calibrated file: title, header, then as many samples as the header counts
// (all that are there for a count of 0 or below, or one larger than the file).
void lee_calibrado(Fuente &f, Muestras &m, Lectura &l, size_t cota)
{
	lee_titulo(f, l.comment);
	int cuenta = 0;
	if (!lee_cabecera(f, &cuenta, &l.cal.al, &l.cal.bl))
		return;
	int limite = cuenta > 0 && cuenta < SIN_LIMITE ? cuenta : SIN_LIMITE;
	if (!reserva_inicial(f, m, cuenta > 0 ? size_t(limite) : CAPACIDAD_INICIAL, cota))
		return;
	Parada p = lee_muestras(f, m, limite);
	anota_parada(p, f, l);
	if (p == LIMITE && cuenta > 0 && !f.error)
		lee_curva(f, m.n, l);
}

// Every number of the file; lines of text before the first (a heading,
// comments) are skipped.
void lee_sin_calibrar(Fuente &f, Muestras &m, Lectura &l, size_t cota)
{
	std::strcpy(l.comment, TITULO_SIN_CALIBRAR);
	if (!reserva_inicial(f, m, CAPACIDAD_INICIAL, cota))
		return;
	Parada p;
	while ((p = lee_muestras(f, m, SIN_LIMITE)) == ILEGIBLE && m.n == 0)
		salta_linea(f);
	anota_parada(p, f, l);
}

// Hands over the samples, shrunk to fit, or reports why there are none.
int entrega(Fuente &f, Muestras &m, Lectura &l)
{
	int error = f.error ? codigo_de(f.error) : m.n == 0 ? FICHERO_SIN_MUESTRAS : FICHERO_BIEN;
	if (error) {
		std::free(m.v);
		l = Lectura();
		return error;
	}
	reserva(m, size_t(m.n) + 1);
	l.Li = m.v;
	l.nptL = m.n;
	l.maxL = m.max;
	return FICHERO_BIEN;
}

// cota bounds the samples the input can hold (each needs two bytes but the
// last), so that no count in a header makes us allocate more.
int lee_fuente(Fuente &f, size_t cota, Lectura *l)
{
	*l = Lectura();
	if (f.p == f.fin)
		return f.error ? codigo_de(f.error) : FICHERO_VACIO;
	Muestras m;
	if (*f.p == COMILLA)
		lee_calibrado(f, m, *l, cota);
	else
		lee_sin_calibrar(f, m, *l, cota);
	return entrega(f, m, *l);
}

} // namespace

size_t cota_de(size_t bytes)
{
	return bytes / 2 + 1;
}

int lee_propio_memoria(const char *datos, size_t n, Lectura *l)
{
	Fuente f;
	ventana_de_memoria(f, datos, n);
	return lee_fuente(f, cota_de(n), l);
}

int lee_numeros(Lineas &s, int limite, size_t cota, Acumulador &a)
{
	Fuente f;
	off_t desde = posicion(s);
	if (s.fd >= 0) {
		abre_ventana(f, s.fd, s.st, s.tam_bloque, desde);
	} else {
		ventana_de_memoria(f, s.base + desde, s.n - size_t(desde));
	}
	size_t sitio = std::min(size_t(limite), cota) + 1;
	if (!f.error && (a.cap > 0 || reserva_inicial(f, a, sitio, cota))) // room made before stands
		lee_muestras(f, a, limite);
	off_t hasta = s.fd >= 0 ? posicion(f) : f.p - s.base;
	cierra_ventana(f);
	reposiciona_tras_numeros(s, hasta);
	return codigo_de(f.error);
}

int lee_propio_descriptor(int fd, const struct stat &st, size_t tam_bloque, off_t desde, Lectura *l)
{
	Fuente f;
	abre_ventana(f, fd, st, tam_bloque, desde);
	int r = lee_fuente(f, cota_de(st.st_size), l);
	cierra_ventana(f);
	return r;
}

void libera_espectro(Espectro *e)
{
	std::free(e->Li);
	*e = Espectro();
}

void libera_lectura(Lectura *l)
{
	std::free(l->Li);
	*l = Lectura();
}

const char *mensaje_error_fichero(int error, const char *ruta, int linea)
{
	static char mensaje[TAM_MENSAJE];
	const char *formato;
	switch (error) {
	case FICHERO_NO_SE_ABRE:
		formato = "No se puede abrir el fichero %s";
		break;
	case FICHERO_NO_REGULAR:
		formato = "El fichero %s no es un fichero regular";
		break;
	case FICHERO_VACIO:
		formato = "El fichero %s está vacío";
		break;
	case FICHERO_SIN_MUESTRAS:
		formato = linea > 0
		              ? "El fichero %s no tiene datos antes de su línea %d, que no se puede leer"
		              : "El fichero %s no contiene ningún dato legible";
		break;
	case FICHERO_ERROR_LECTURA:
		formato = "Error al leer el fichero %s";
		break;
	case FICHERO_SIN_MEMORIA:
		formato = "No hay memoria suficiente para leer el fichero %s";
		break;
	case FICHERO_BINARIO:
		formato = "El fichero %s es binario, no de texto: no se puede leer";
		break;
	case FICHERO_GZIP:
		formato = "El fichero %s está comprimido con gzip: hay que descomprimirlo para leerlo";
		break;
	case FICHERO_ZIP:
		formato = "El fichero %s es un archivo zip: hay que extraer de él el espectro para leerlo";
		break;
	case FICHERO_FITS:
		formato = "El fichero %s es un FITS (binario): no se puede leer";
		break;
	case FICHERO_CNF:
		formato = "El fichero %s es un Canberra CNF (binario): no se puede leer";
		break;
	case FICHERO_CHN_DANADO:
		formato = "El fichero %s es un ORTEC .chn incompleto o dañado: no se puede leer";
		break;
	case FICHERO_NO_SE_GUARDA:
		formato = "No se puede guardar el fichero %s";
		break;
	default:
		formato = "Error desconocido con el fichero %s";
		break;
	}
	std::snprintf(mensaje, sizeof mensaje, formato, ruta, linea);
	return mensaje;
}
