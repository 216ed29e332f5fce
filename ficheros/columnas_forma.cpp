// How a file's first lines say to read its columns: where the header ends
// (the first line of numbers and nothing else, however long the header),
// the separator, the decimal and thousands marks, whether rows without a
// header are a table (an x that moves smoothly, far from the number after it)
// or counts several to a row, which columns are x and the intensity (by the
// header's names, never an error, fit or background), and the other
// readings a file allows when it is ambiguous.  Start at detecta_columnas.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <strings.h>
#include <vector>

#include "columnas.h"
#include "formatos.h"
#include "lector.h"

namespace {

// x moves smoothly when each step is within this factor of the one before.
constexpr double RAZON_PASO_SUAVE = 3;
// Smooth steps from the first row on that make x a scan, whatever follows.
constexpr int PASOS_DE_BARRIDO = 4;
// Rows without a header: the number after x lies this many of x's steps from
// it, or more, in a table; closer, the numbers may run on as counts do.
constexpr double SALTO_DE_TABLA_DUDOSA = 2, SALTO_DE_TABLA_CLARA = 8;
// Numbers a row under a header that names no column, from which they may be
// counts several to a row rather than a table's columns.
constexpr int CUENTAS_BAJO_UN_TITULO = 4;

// The lines of the start of a file that hold rows (not blank, not comments),
// without a last line that may be cut short.
std::vector<Linea> filas_del_prefijo(const char *p, size_t n, bool completo)
{
	std::vector<Linea> filas;
	const char *e = p + n;
	while (p < e) {
		auto nl = static_cast<const char *>(std::memchr(p, '\n', e - p));
		if (!nl && !completo)
			break;
		Linea l{p, nl ? nl : e};
		recorta(&l.ini, &l.fin);
		if (!sin_fila(l.ini, l.fin))
			filas.push_back(l);
		p = nl ? nl + 1 : e;
	}
	return filas;
}

char separador_desde(const std::vector<Linea> &filas, size_t desde)
{
	for (char sep : {PUNTO_Y_COMA, TABULADOR, COMA})
		for (size_t i = desde; i < filas.size(); i++)
			if (std::memchr(filas[i].ini, sep, filas[i].fin - filas[i].ini))
				return sep;
	return BLANCO;
}

// Whether a line starts as a number does (perhaps inside a quote): the first
// such line is the first row, and the lines before it are the header.
bool empieza_numero(const Linea &l)
{
	const char *p = l.ini;
	p += p < l.fin && *p == COMILLA;
	p += p < l.fin && (*p == '-' || *p == '+');
	p += p < l.fin && *p == PUNTO;
	return p < l.fin && es_cifra(*p);
}

// What may stand between the numbers of a row, whatever its separator.
bool entre_numeros(char c)
{
	return es_blanco_c(c) || c == COMA || c == PUNTO_Y_COMA || c == COMILLA;
}

// A number as a row may hold it: plain, or with its thousands parted by a
// no-break space.
bool numero_suelto(const char *p, const char *e)
{
	float y;
	return numero_exacto(p, e, false, &y) || numero_exacto(p, e, false, &y, MILES_ESPACIO);
}

// A channel's label that opens a row of a report's listing: "17:".
bool etiqueta_con_dos_puntos(const char *p, const char *e)
{
	int v;
	return e - p >= 2 && e[-1] == ':' && entero_exacto(p, e - 1, &v);
}

// How many numbers a line holds when it holds numbers and nothing else (read
// whole, a Fortran exponent too; commas, semicolons and quotes between them;
// a channel's label first), else 0: the first such line is the first row,
// and the lines before it are the header, even one that starts with a date
// or a figure ("2024-05-01 ...", "532 nm").
int numeros_de_fila(const Linea &l)
{
	int numeros = 0;
	for (const char *p = l.ini; p < l.fin;) {
		while (p < l.fin && entre_numeros(*p))
			p++;
		const char *e = p;
		while (e < l.fin && !entre_numeros(*e) && !signo_pegado(p, e))
			e++;
		bool etiqueta = numeros == 0 && p == l.ini && etiqueta_con_dos_puntos(p, e);
		if (e > p && !etiqueta && !numero_suelto(p, e))
			return 0;
		numeros += e > p;
		p = e;
	}
	return numeros;
}

bool fila_numerica(const Linea &l)
{
	return numeros_de_fila(l) > 0;
}

// A spreadsheet's "sep=;" line in the header, or 0.
char separador_indicado(const std::vector<Linea> &cabecera)
{
	for (const Linea &l : cabecera)
		if (char sep = separador_indicado_en(l))
			return sep;
	return 0;
}

// "digits,digits" alone: a comma that may separate two columns or be a decimal point.
bool coma_ambigua(const Linea &l)
{
	const char *p = l.ini + (*l.ini == '-'),
	           *coma = static_cast<const char *>(std::memchr(l.ini, COMA, l.fin - l.ini));
	if (!coma || coma == p || coma + 1 == l.fin)
		return false;
	for (const char *q = p; q < l.fin; q++)
		if (q != coma && !es_cifra(*q))
			return false;
	return true;
}

// Whether the first field (x) rises at every row, or falls at every row.
bool x_siempre_en_un_sentido(const std::vector<Linea> &filas, const FormaColumnas &f)
{
	double v[MAX_COLUMNAS], previo = 0;
	int sentido = 0;
	for (size_t i = 0; i < filas.size(); i++) {
		if (campos_numericos(filas[i].ini, filas[i].fin, f, v) < 2)
			return false;
		int s = v[0] > previo ? 1 : v[0] < previo ? -1 : 0;
		if (i > 0 && (s == 0 || (i > 1 && s != sentido)))
			return false;
		sentido = s;
		previo = v[0];
	}
	return filas.size() >= 2;
}

void anota(FormaColumnas &f, const char *texto)
{
	std::snprintf(f.nota, sizeof f.nota, "%s", texto);
}

// Another reading of the file, offered beside the one chosen.
void ofrece(FormaColumnas &f, const FormaColumnas &otra)
{
	if (f.n_otras < MAX_FORMAS - 1)
		f.otras[f.n_otras++] = descripcion_de(otra);
}

// A comma in every row and no header to tell: two columns if they make an x
// that rises or falls throughout, else one column with decimal commas; the
// other reading is offered.
void resuelve_comas(const std::vector<Linea> &filas, FormaColumnas &f)
{
	FormaColumnas dos = f, una = f;
	una.separador = BLANCO;
	una.coma_decimal = una.sin_x = true;
	una.columnas = 1;
	una.col_y = 0;
	bool separa = x_siempre_en_un_sentido(filas, f);
	f = separa ? dos : una;
	ofrece(f, separa ? una : dos);
	anota(f, separa ? "cada coma separa dos columnas (la primera sube o baja siempre)"
	                : "las comas se leen como decimales de una sola columna");
}

// "digits,ddd" with one to three digits before each comma and exactly three
// after: a number that a thousands mark may have written.
bool parece_miles(const Linea &c)
{
	float y;
	return std::memchr(c.ini, COMA, c.fin - c.ini) && numero_exacto(c.ini, c.fin, false, &y, COMA);
}

// Whether `mira` holds for every field of the rows.
template <typename Mira> bool cada_campo(const std::vector<Linea> &filas, const FormaColumnas &f, Mira mira)
{
	for (const Linea &l : filas) {
		Linea c[MAX_COLUMNAS + 1];
		int n = std::min(parte_fila(l.ini, l.fin, f.separador, c, MAX_COLUMNAS), MAX_COLUMNAS);
		for (int i = 0; i < n; i++)
			if (!mira(c[i]))
				return false;
	}
	return true;
}

bool contiene_c(const Linea &c, char caracter)
{
	return std::memchr(c.ini, caracter, size_t(c.fin - c.ini)) != nullptr;
}

// Commas read as decimal points where every comma of the rows could as well
// mark thousands ("1,050"): they are read as thousands, never as decimals,
// and the decimal reading is offered.
void elige_miles(const std::vector<Linea> &filas, FormaColumnas &f)
{
	if (!f.coma_decimal || f.sin_x)
		return;
	int con_coma = 0;
	bool todas = cada_campo(filas, f, [&](const Linea &c) {
		con_coma += contiene_c(c, COMA);
		return !contiene_c(c, COMA) || parece_miles(c);
	});
	if (!todas || con_coma == 0)
		return;
	ofrece(f, f);
	f.coma_decimal = false;
	f.miles = COMA;
	anota(f, "las comas se leen como separador de miles");
}

// Where a comma is seen to be the decimal mark (it cannot mark thousands),
// a point is no decimal point: every point of the rows, standing before
// groups of three digits, marks thousands ("1.037" is 1037).
void elige_miles_con_punto(const std::vector<Linea> &filas, FormaColumnas &f)
{
	if (!f.coma_decimal || f.miles)
		return;
	bool coma_decimal = false, con_punto = false;
	bool todos = cada_campo(filas, f, [&](const Linea &c) {
		float y;
		coma_decimal |= contiene_c(c, COMA) && (contiene_c(c, PUNTO) || !parece_miles(c));
		con_punto |= contiene_c(c, PUNTO);
		return !contiene_c(c, PUNTO) || numero_exacto(c.ini, c.fin, true, &y, PUNTO);
	});
	if (todos && coma_decimal && con_punto)
		f.miles = PUNTO;
}

// Digits parted by a no-break space, as French spreadsheets write them, are
// thousands.
void elige_miles_con_espacio(const std::vector<Linea> &filas, FormaColumnas &f)
{
	bool con_espacio = false;
	bool todos = cada_campo(filas, f, [&](const Linea &c) {
		bool hay = false;
		for (const char *q = c.ini; q < c.fin && !hay; q++)
			hay = marca_de_miles(q, c.fin, MILES_ESPACIO) > 0;
		float y;
		con_espacio |= hay;
		return !hay || numero_exacto(c.ini, c.fin, f.coma_decimal, &y, MILES_ESPACIO);
	});
	if (todos && con_espacio && !f.miles)
		f.miles = MILES_ESPACIO;
}

// Separator and decimal point: a "sep=" line, else the first of ';', tab and
// ',' that a row holds (a comma in a number is then a decimal point but for
// ','), else white space; commas between numbers split by white space are
// decimal points.
void elige_separador(const std::vector<Linea> &cabecera, const std::vector<Linea> &filas, FormaColumnas &f)
{
	char sep = separador_indicado(cabecera);
	f.separador = sep ? sep : separador_desde(filas, 0);
	f.coma_decimal = f.separador == PUNTO_Y_COMA || f.separador == TABULADOR;
	if (f.separador != COMA || sep)
		return;
	FormaColumnas blancos;
	blancos.separador = BLANCO;
	blancos.coma_decimal = true;
	const Linea &l = filas[0];
	if (campos_numericos(l.ini, l.fin, f) < 0 && campos_numericos(l.ini, l.fin, blancos) >= 2) {
		f.separador = BLANCO;
		f.coma_decimal = true;
		anota(f, "las comas se leen como decimales");
		return;
	}
	bool cabecera_con_comas = false;
	for (const Linea &c : cabecera)
		cabecera_con_comas |= std::memchr(c.ini, COMA, c.fin - c.ini) != nullptr;
	if (!cabecera_con_comas && std::all_of(filas.begin(), filas.end(), coma_ambigua))
		resuelve_comas(filas, f);
}

// The middle of the values (their upper median); 0 for none.
double mediana(std::vector<double> v)
{
	if (v.empty())
		return 0;
	std::nth_element(v.begin(), v.begin() + ptrdiff_t(v.size() / 2), v.end());
	return v[v.size() / 2];
}

// How x moves down the rows that have `campos` numbers: its steps that keep
// the main direction and stay within a factor of the step before (smooth),
// all of its steps, and how far each row's next number lies from its x.
struct MovimientoX {
	int suaves = 0, pasos = 0;
	int iniciales = 0; // smooth steps before the first that is not
	std::vector<double> tamanos, saltos;
};

// Whether step d follows `previo` smoothly (same direction, a size within
// RAZON_PASO_SUAVE of it).
bool paso_suave(double previo, double d)
{
	double r = d / previo;
	return r > 0 && r <= RAZON_PASO_SUAVE && r >= 1 / RAZON_PASO_SUAVE;
}

// Smooth throughout, for most steps (the rest breaking the table), or for a
// run from the start long enough to be a scan (that may turn back).
bool es_suave(const MovimientoX &m)
{
	return m.suaves >= 1 && (m.suaves == m.pasos || (m.suaves >= 2 && 2 * m.suaves > m.pasos) ||
	                         m.iniciales >= PASOS_DE_BARRIDO);
}

MovimientoX movimiento_x(const std::vector<Linea> &filas, const FormaColumnas &f, int campos)
{
	MovimientoX m;
	double v[MAX_COLUMNAS], previo = 0, paso = 0;
	bool hay_previo = false;
	for (const Linea &l : filas) {
		if (campos_numericos(l.ini, l.fin, f, v) != campos) {
			hay_previo = false;
			continue;
		}
		if (f.col_x + 1 < campos)
			m.saltos.push_back(std::fabs(v[f.col_x + 1] - v[f.col_x]));
		double d = v[f.col_x] - previo;
		if (hay_previo && d != 0 && (paso == 0 || paso_suave(paso, d))) {
			m.suaves++;
			m.iniciales += m.iniciales == m.pasos;
			m.tamanos.push_back(std::fabs(d));
			paso = d;
		}
		m.pasos += hay_previo;
		previo = v[f.col_x];
		hay_previo = true;
	}
	return m;
}

// Rows without a header claimed as a table: all with the same count (two or
// more) of numbers and an x that moves smoothly, or most of them so, the rest
// breaking the table where the load will stop; and the number after x lies
// far from x against x's step.  Counts written several to a row run on from
// one number to the next instead: they are a plain list.  Between the two,
// the other reading is offered.
bool reclama_filas(const std::vector<Linea> &filas, FormaColumnas &f, int campos)
{
	if (filas.size() < 2 || f.col_x + 1 >= campos)
		return false;
	MovimientoX m = movimiento_x(filas, f, campos);
	bool suave = es_suave(m);
	double razon = mediana(m.saltos) / mediana(m.tamanos);
	if (!suave || razon < SALTO_DE_TABLA_DUDOSA)
		return false;
	if (razon < SALTO_DE_TABLA_CLARA)
		ofrece(f, como_lista(f));
	return true;
}

// Whether column j holds no value in any row (a spacer between columns).
bool columna_vacia(const std::vector<Linea> &filas, const FormaColumnas &f, int j)
{
	double v[MAX_COLUMNAS];
	for (const Linea &l : filas)
		if (campos_numericos(l.ini, l.fin, f, v) > j && !std::isnan(v[j]))
			return false;
	return true;
}

// Whether column j holds nothing but consecutive channel numbers.
bool son_canales(const std::vector<Linea> &filas, const FormaColumnas &f, int j)
{
	double v[MAX_COLUMNAS], previo = 0;
	int vistas = 0;
	for (const Linea &l : filas) {
		if (campos_numericos(l.ini, l.fin, f, v) != f.columnas)
			continue;
		if (v[j] != std::floor(v[j]) || (vistas > 0 && v[j] != previo + 1))
			return false;
		previo = v[j];
		vistas++;
	}
	return vistas >= 2;
}

// The leading columns that hold one value down the first rows while a later
// one changes: the place of a map's spectrum, never its x.
int columnas_de_posicion(const std::vector<Linea> &filas, const FormaColumnas &f, int campos)
{
	constexpr size_t FILAS_QUE_MIRAR = 3;
	double primera[MAX_COLUMNAS], v[MAX_COLUMNAS];
	if (filas.size() < FILAS_QUE_MIRAR || campos < 3 ||
	    campos_numericos(filas[0].ini, filas[0].fin, f, primera) != campos)
		return 0;
	int fijas = campos;
	for (size_t i = 1; i < FILAS_QUE_MIRAR; i++) {
		if (campos_numericos(filas[i].ini, filas[i].fin, f, v) != campos)
			return 0;
		int j = 0;
		while (j < fijas && v[j] == primera[j])
			j++;
		fijas = j;
	}
	return fijas <= campos - 2 ? fijas : 0;
}

// What a column's name says it holds.
enum Papel { PAPEL_DESCONOCIDO, PAPEL_X, PAPEL_INTENSIDAD, PAPEL_OTRO };

// Whether the lowercase name contains any of the words.
bool contiene(const std::string &nombre, std::initializer_list<const char *> palabras)
{
	for (const char *p : palabras)
		if (nombre.find(p) != std::string::npos)
			return true;
	return false;
}

bool es_una_de(const std::string &nombre, std::initializer_list<const char *> palabras)
{
	for (const char *p : palabras)
		if (nombre == p)
			return true;
	return false;
}

// Never the intensity: what is measured beside it (errors, fits, background)
// comes first; then the words of an intensity and of an axis.
Papel papel_de(std::string nombre)
{
	for (char &c : nombre)
		c = char(std::tolower(static_cast<unsigned char>(c)));
	if (contiene(nombre, {"uncert", "sigma", "error", "err", "fit", "model", "background", "bkg", "fondo",
	                      "ivar", "incert", "resid", "std", "weight", "peso", "mask", "cps", "rate"}) ||
	    es_una_de(nombre, {"dy", "unc", "var", "s"}))
		return PAPEL_OTRO;
	if (contiene(nombre, {"count", "cuenta", "intens", "flux", "signal", "señal", "senal", "cts",
	                      "amplitud", "absorb", "transm", "reflect", "radiance", "irradiance"}) ||
	    es_una_de(nombre, {"y", "i", "int", "n", "data", "value", "valor"}))
		return PAPEL_INTENSIDAD;
	if (contiene(nombre, {"chan",  "canal",  "energ", "wave",   "lambda", "length", "longitud",
	                      "onda",  "kev",    "raman", "shift",  "pixel",  "freq",   "theta",
	                      "angle", "angulo", "time",  "tiempo", "wn",     "nm"}) ||
	    es_una_de(nombre, {"x", "e", "ch", "wl", "ev", "t"}))
		return PAPEL_X;
	return PAPEL_DESCONOCIDO;
}

// The fields of a line that may name the columns, a comment mark before
// them aside: tables that astronomy and many scripts write name their
// columns in a comment.  Empty unless there is one per column.
std::vector<std::string> nombres_en(const Linea &l, const FormaColumnas &f)
{
	const char *ini = l.ini;
	if (ini < l.fin && *ini == COMENTARIO)
		for (ini++; ini < l.fin && es_blanco_c(*ini);)
			ini++;
	Linea c[MAX_COLUMNAS + 1];
	if (parte_fila(ini, l.fin, f.separador, c, MAX_COLUMNAS) != f.columnas)
		return {};
	std::vector<std::string> nombres;
	for (int j = 0; j < f.columnas; j++)
		nombres.emplace_back(c[j].ini, c[j].fin);
	return nombres;
}

// The names of the columns: in the comment just before the first row
// (comentario, when there is one), else in the header's last line.
std::vector<std::string> nombres_columnas(const std::vector<Linea> &cabecera, const Linea *comentario,
                                          const FormaColumnas &f)
{
	std::vector<std::string> nombres;
	if (comentario)
		nombres = nombres_en(*comentario, f);
	if (nombres.empty() && !cabecera.empty())
		nombres = nombres_en(cabecera.back(), f);
	return nombres;
}

// The line at *p, up to a line end or e, trimmed; *p moves past it.
Linea toma_linea(const char **p, const char *e)
{
	auto nl = static_cast<const char *>(std::memchr(*p, '\n', e - *p));
	Linea l{*p, nl ? nl : e};
	recorta(&l.ini, &l.fin);
	*p = nl ? nl + 1 : e;
	return l;
}

// Where the rows start in a file whose header holds lines of bare numbers
// and ends at a "#DATA" line (PerkinElmer's ASCII spectra): past that line;
// else the prefix's start.
const char *tras_marca_de_datos(const char *inicio, size_t n)
{
	constexpr const char MARCA[] = "#DATA";
	for (const char *p = inicio, *e = inicio + n; p < e;) {
		Linea l = toma_linea(&p, e);
		if (size_t(l.fin - l.ini) == std::strlen(MARCA) &&
		    std::memcmp(l.ini, MARCA, std::strlen(MARCA)) == 0)
			return p;
	}
	return inicio;
}

// The comment line just before the first row (which starts at fila), with
// only blank lines between them.
bool comentario_antes(const char *p, const char *fila, Linea *comentario)
{
	Linea ultima{nullptr, nullptr};
	while (p < fila)
		if (Linea l = toma_linea(&p, fila); l.ini != l.fin)
			ultima = l;
	if (!ultima.ini || *ultima.ini != COMENTARIO)
		return false;
	*comentario = ultima;
	return true;
}

Papel papel(const std::vector<std::string> &nombres, int j)
{
	return nombres.empty() ? PAPEL_DESCONOCIDO : papel_de(nombres[size_t(j)]);
}

// After consecutive channel numbers, x is the first column that is not one,
// unless its name makes it an intensity; a first column named as an
// intensity, with no column named as an axis, leaves the file without x.
void elige_x(const std::vector<Linea> &filas, const std::vector<std::string> &nombres, FormaColumnas &f)
{
	int desde = f.col_x;
	bool con_eje = false;
	for (int j = desde; j < f.columnas; j++)
		con_eje |= papel(nombres, j) == PAPEL_X;
	if (!con_eje && papel(nombres, desde) == PAPEL_INTENSIDAD) {
		f.sin_x = true;
		return;
	}
	if (!son_canales(filas, f, desde))
		return;
	for (int j = desde + 1; j < f.columnas - 1 && f.col_x == desde; j++)
		if (!son_canales(filas, f, j) && papel(nombres, j) != PAPEL_INTENSIDAD &&
		    papel(nombres, j) != PAPEL_OTRO && !columna_vacia(filas, f, j))
			f.col_x = j;
}

// Whether column j may be the intensity: not x, no channel count, and not
// named as something measured beside it.
bool candidata(const std::vector<Linea> &filas, const std::vector<std::string> &nombres,
               const FormaColumnas &f, int j)
{
	return (f.sin_x || j != f.col_x) && papel(nombres, j) != PAPEL_OTRO && papel(nombres, j) != PAPEL_X &&
	       !(j < f.col_x && son_canales(filas, f, j)) && !columna_vacia(filas, f, j);
}

// The intensity: the first column named as one, else the first after x that
// may be one.  Other columns that may be it are offered.
void elige_y(const std::vector<Linea> &filas, const std::vector<std::string> &nombres, FormaColumnas &f)
{
	int nombrada = -1, primera = -1;
	std::vector<int> posibles;
	for (int j = f.sin_x ? f.col_x : f.col_x + 1; j < f.columnas; j++) {
		if (!candidata(filas, nombres, f, j))
			continue;
		posibles.push_back(j);
		if (nombrada < 0 && papel(nombres, j) == PAPEL_INTENSIDAD)
			nombrada = j;
		if (primera < 0)
			primera = j;
	}
	f.col_y = nombrada >= 0 ? nombrada : primera >= 0 ? primera : f.columnas - 1;
	for (int j : posibles) {
		bool dudosa = nombrada < 0 || papel(nombres, j) == PAPEL_INTENSIDAD;
		if (j == f.col_y || !dudosa)
			continue;
		FormaColumnas otra = f;
		otra.col_y = j;
		ofrece(f, otra);
	}
}

// Two columns: named, the first as an intensity, and neither as an axis.
bool sin_eje_y_nombrada_primero(const std::vector<std::string> &nombres)
{
	return !nombres.empty() && papel(nombres, 0) == PAPEL_INTENSIDAD && papel(nombres, 1) != PAPEL_X;
}

std::string entre_parentesis(const std::vector<std::string> &nombres, int j)
{
	return nombres.empty() ? std::string() : " (" + nombres[size_t(j)] + ")";
}

// Three columns or more: x and the intensity by the names of the header (or
// of a comment just before the first row) and by what the columns hold (see
// elige_x and elige_y).  The note names the columns used.
void elige_columnas(const std::vector<Linea> &cabecera, const Linea *comentario,
                    const std::vector<Linea> &filas, FormaColumnas &f)
{
	std::vector<std::string> nombres = nombres_columnas(cabecera, comentario, f);
	if (f.columnas < 2 || (f.columnas == 2 && !sin_eje_y_nombrada_primero(nombres)))
		return;
	int posiciones = f.col_x;
	elige_x(filas, nombres, f);
	elige_y(filas, nombres, f);
	std::string x = f.sin_x ? std::string("ninguna (canales)")
	                        : "la " + std::to_string(f.col_x + 1) + entre_parentesis(nombres, f.col_x);
	std::snprintf(f.nota, sizeof f.nota, "de %d columnas, x es %s y la intensidad la %d%s%s", f.columnas,
	              x.c_str(), f.col_y + 1, entre_parentesis(nombres, f.col_y).c_str(),
	              posiciones > 0 ? "; varios espectros en columnas de posición: se carga el primero"
	                             : "");
}

// A header of two lines or more (a "sep=" line aside) starts with the title.
// A first line that opens a quote it does not close is a cell that goes on
// in the next line: no title.
bool cabecera_con_titulo(const std::vector<Linea> &cabecera)
{
	auto sin_sep = std::find_if(cabecera.begin(), cabecera.end(),
	                            [](const Linea &l) { return !indica_separador(l); });
	return cabecera.end() - sin_sep >= 2 && std::count(sin_sep->ini, sin_sep->fin, COMILLA) % 2 == 0;
}

// One number a row.  The own format reads it, unless the own format would
// cut it: a header line that starts with a figure (which it would take for a
// sample) or a number it does not read whole (a Fortran exponent); then it is
// a table of one column, without x.
bool una_columna(const std::vector<Linea> &cabecera, const Linea &fila, FormaColumnas f, FormaColumnas *forma)
{
	float y;
	const char *ini = fila.ini, *fin = fila.fin;
	recorta(&ini, &fin);
	bool cortaria = std::any_of(cabecera.begin(), cabecera.end(), empieza_numero) ||
	                lee_float_como_scanf(ini, fin, &y) != size_t(fin - ini);
	if (!cortaria)
		return false;
	f.sin_x = true;
	f.columnas = 1;
	f.col_y = 0;
	*forma = f;
	return true;
}

// Rows of numbers that are no table: the own format reads every number in
// order.  Rows that all hold the same count of numbers might still be a
// table: the note says how they were read, and the table is offered.
bool lista_de_numeros(const std::vector<Linea> &filas, const FormaColumnas &f, int campos,
                      FormaColumnas *forma)
{
	for (const Linea &fila : filas)
		if (campos_numericos(fila.ini, fila.fin, f) != campos)
			return false;
	FormaColumnas l = como_lista(f);
	ofrece(l, f);
	std::snprintf(l.nota, sizeof l.nota,
	              "cada fila tiene %d números: se leen todos, fila a fila, como cuentas", campos);
	*forma = l;
	return false;
}

// A lone number between two lines of text is a header written as key and
// value lines, not the first row.
bool valor_de_clave(const std::vector<Linea> &lineas, size_t i)
{
	return numeros_de_fila(lineas[i]) == 1 && i > 0 && !fila_numerica(lineas[i - 1]) &&
	       i + 1 < lineas.size() && !fila_numerica(lineas[i + 1]);
}

// The first row: the first line of numbers that is no header value, at or
// after `datos`.
std::vector<Linea>::const_iterator primera_fila(const std::vector<Linea> &lineas, const char *datos)
{
	for (size_t i = 0; i < lineas.size(); i++)
		if (lineas[i].ini >= datos && fila_numerica(lineas[i]) && !valor_de_clave(lineas, i))
			return lineas.begin() + ptrdiff_t(i);
	return lineas.end();
}

// A header that ends in "_COUNTS" (an XRD .uxd) puts counts after it,
// several to a row, in order.
bool cuentas_tras_la_cabecera(const std::vector<Linea> &cabecera)
{
	constexpr const char CUENTAS[] = "_COUNTS";
	return !cabecera.empty() &&
	       size_t(cabecera.back().fin - cabecera.back().ini) == std::strlen(CUENTAS) &&
	       strncasecmp(cabecera.back().ini, CUENTAS, std::strlen(CUENTAS)) == 0;
}

// A row of a channel's label ("10" or "10:") and the counts after it: the
// label and how many counts; false for another row.
bool fila_etiquetada(const Linea &l, const FormaColumnas &f, int *etiqueta, int *cuentas)
{
	Linea c[MAX_COLUMNAS + 1];
	int n = parte_fila(l.ini, l.fin, BLANCO, c, MAX_COLUMNAS);
	if (n < 2 || n > MAX_COLUMNAS || !entero_exacto(c[0].ini, c[0].fin - (c[0].fin[-1] == ':'), etiqueta))
		return false;
	float y;
	for (int i = 1; i < n; i++)
		if (!numero_de_campo(c[i], f, &y))
			return false;
	*cuentas = n - 1;
	return true;
}

// Rows of two counts or more, each after the label of its first channel: the
// label moves on by the counts of the row before, down every row (the last
// may be short, text may follow).
bool con_etiquetas_de_canal(const std::vector<Linea> &filas, const FormaColumnas &f)
{
	int previa = 0, cuentas_previas = 0;
	size_t i = 0;
	for (; i < filas.size(); i++) {
		int etiqueta, cuentas;
		if (!fila_etiquetada(filas[i], f, &etiqueta, &cuentas))
			break;
		if ((i > 0 && (etiqueta != int64_t(previa) + cuentas_previas || cuentas_previas < 2)))
			return false;
		previa = etiqueta;
		cuentas_previas = cuentas;
	}
	return i >= 2 && (i == filas.size() || i >= 3);
}

// The decimals x is written with in the row, or -1 when it cannot be told.
int decimales_de_x(const Linea &l, const FormaColumnas &f)
{
	Linea c[MAX_COLUMNAS + 1];
	if (parte_fila(l.ini, l.fin, f.separador, c, MAX_COLUMNAS) <= f.col_x)
		return -1;
	const Linea &x = c[f.col_x];
	for (const char *q = x.ini; q < x.fin; q++)
		if (es_punto(*q, f.coma_decimal)) {
			const char *e = q + 1;
			while (e < x.fin && es_cifra(*e))
				e++;
			return e == x.fin ? int(e - q - 1) : -1;
		}
	return 0;
}

// x printed rounded to its last digit, finer steps than that below it: it
// keeps its direction, moving by one unit of that digit or repeating (step
// 0.05 printed with one decimal).  That unit, or 0 for another x.
double paso_impreso(const std::vector<Linea> &filas, const FormaColumnas &f)
{
	constexpr double TOLERANCIA = 1e-6;
	constexpr size_t FILAS_MINIMAS = 4;
	double v[MAX_COLUMNAS], previo = 0;
	int repetidas = 0, pasos = 0, sentido = 0, decimales = -1;
	size_t vistas = 0;
	for (const Linea &l : filas) {
		if (campos_numericos(l.ini, l.fin, f, v) != f.columnas)
			continue;
		int d = decimales_de_x(l, f);
		if (d < 0 || (decimales >= 0 && d != decimales))
			return 0;
		decimales = d;
		double paso = v[f.col_x] - previo, unidad = std::pow(10.0, -decimales);
		int s = paso > 0 ? 1 : paso < 0 ? -1 : 0;
		if (vistas > 0 && s == 0)
			repetidas++;
		else if (vistas > 0 && ((sentido != 0 && s != sentido) ||
		                        std::fabs(std::fabs(paso) - unidad) >
		                            TOLERANCIA * std::max(std::fabs(v[f.col_x]), unidad)))
			return 0;
		else if (vistas > 0)
			pasos++;
		sentido = vistas > 0 && s != 0 ? s : sentido;
		previo = v[f.col_x];
		vistas++;
	}
	return vistas >= FILAS_MINIMAS && repetidas > 0 && pasos > 0 ? std::pow(10.0, -decimales) : 0;
}

} // namespace

FormaColumnas como_lista(const FormaColumnas &f)
{
	FormaColumnas l = f;
	l.lista = l.sin_x = true;
	l.separador = BLANCO;
	l.cabecera = 0;
	l.columnas = 1;
	l.col_y = 0;
	return l;
}

// Counts after channel labels: a list whose rows' first numbers are not read.
FormaColumnas con_etiquetas(const FormaColumnas &f)
{
	FormaColumnas l = f;
	l.lista = l.etiquetas = l.sin_x = true;
	l.columnas = 1;
	l.col_x = l.col_y = 0;
	anota(l, "cada fila empieza por la etiqueta de su primer canal: se leen las cuentas que la siguen");
	return l;
}

bool detecta_columnas(const char *prefijo, size_t n, bool completo, FormaColumnas *forma)
{
	std::vector<Linea> lineas = filas_del_prefijo(prefijo, n, completo);
	auto primera = primera_fila(lineas, tras_marca_de_datos(prefijo, n));
	if (primera == lineas.end())
		return false;
	std::vector<Linea> cabecera(lineas.cbegin(), primera), filas(primera, lineas.cend());
	FormaColumnas f;
	f.cabecera = int(cabecera.size());
	f.titulo = cabecera_con_titulo(cabecera);
	if (cuentas_tras_la_cabecera(cabecera)) {
		*forma = como_lista(f);
		anota(*forma, "tras _COUNTS, cada número es una cuenta");
		return false;
	}
	elige_separador(cabecera, filas, f);
	elige_miles(filas, f);
	elige_miles_con_punto(filas, f);
	elige_miles_con_espacio(filas, f);
	if (f.separador == BLANCO && con_etiquetas_de_canal(filas, f)) {
		*forma = con_etiquetas(f);
		return true;
	}
	if (f.sin_x) {
		*forma = f;
		return true;
	}
	int campos = campos_numericos(filas[0].ini, filas[0].fin, f);
	bool por_separador = f.separador == COMA || f.separador == PUNTO_Y_COMA;
	if (campos == 1)
		return una_columna(cabecera, filas[0], f, forma);
	if (campos < 0 && !por_separador && f.cabecera == 0)
		return false;                 // text after numbers: the own format
	f.columnas = campos < 0 ? 2 : campos; // a first row that breaks the table ends it at once
	f.col_x = campos > 0 ? columnas_de_posicion(filas, f, campos) : 0;
	Linea comentario;
	bool con_comentario = comentario_antes(prefijo, primera->ini, &comentario);
	// Rows of several numbers under a header that does not name them (a
	// title) may be counts as much as rows without a header.
	bool sin_nombres = f.cabecera == 0 ||
	                   (campos >= CUENTAS_BAJO_UN_TITULO &&
	                    nombres_columnas(cabecera, con_comentario ? &comentario : nullptr, f).empty());
	if (campos > 0 && !por_separador && sin_nombres) {
		f.paso_impreso = paso_impreso(filas, f);
		if (f.paso_impreso == 0 && !reclama_filas(filas, f, campos))
			return lista_de_numeros(filas, f, campos, forma);
		f.solo_si_regulares = true;
	}
	elige_columnas(cabecera, con_comentario ? &comentario : nullptr, filas, f);
	// x that scans (moves smoothly) must keep its direction; x in no order is
	// read whole; x printed rounded keeps its direction but may repeat.
	f.paso_impreso = f.sin_x ? 0 : paso_impreso(filas, f);
	f.x_en_un_sentido = !f.sin_x && (f.paso_impreso > 0 || es_suave(movimiento_x(filas, f, f.columnas)));
	*forma = f;
	return true;
}

FormaLectura descripcion_de(const FormaColumnas &f)
{
	FormaLectura d;
	d.lista = f.lista;
	d.cabecera = f.cabecera;
	d.separador = f.separador;
	d.decimal = f.coma_decimal ? COMA : PUNTO;
	d.miles = f.miles;
	d.columnas = f.columnas;
	d.etiquetas = f.etiquetas;
	d.columna_x = f.sin_x ? -1 : f.col_x;
	d.columna_y = f.col_y;
	return d;
}

FormaColumnas forma_de(const FormaLectura &d)
{
	FormaColumnas f;
	f.lista = d.lista;
	f.etiquetas = d.lista && d.etiquetas;
	f.cabecera = std::max(d.cabecera, 0);
	f.separador = d.separador;
	f.coma_decimal = d.decimal == COMA;
	f.miles = d.miles;
	f.columnas = std::clamp(d.columnas, 1, MAX_COLUMNAS);
	f.sin_x = d.columna_x < 0 || d.columna_x >= f.columnas || f.etiquetas;
	f.col_x = f.sin_x ? 0 : d.columna_x;
	f.col_y = std::clamp(d.columna_y, 0, f.columnas - 1);
	f.x_en_un_sentido = !f.sin_x;
	f.solo_si_regulares = f.columnas != 2 || f.sin_x || f.col_x != 0 || f.col_y != 1;
	return f;
}

bool es_fila_de_numeros(const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	return !sin_fila(ini, fin) && fila_numerica(Linea{ini, fin});
}

bool fila_en_la_primera_mitad(const char *p, size_t n)
{
	std::vector<Linea> lineas = filas_del_prefijo(p, n / 2, false);
	return std::any_of(lineas.begin(), lineas.end(), fila_numerica);
}
