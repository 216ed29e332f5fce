// JCAMP-DX: labelled data records ("##LABEL= value") and the first table
// of the spectrum, either ##XYDATA=(X++(Y..Y)) (each line an abscissa and
// the ordinates from it on, in free-format numbers or the compressed ASDF
// forms: SQZ pseudo-digits for a value, DIF for a difference from the last,
// DUP for a repeat, and after a line ending in DIF the next line's first
// ordinate repeating its last as a check) or ##XYPOINTS=(XY..XY), pairs.
// Values are scaled by ##XFACTOR and ##YFACTOR; x comes from ##FIRSTX,
// ##LASTX and ##NPOINTS (or ##DELTAX), or else from the x that opens each
// line.  A file written with decimal commas says so in its labels.  Of a
// JCAMP-DX 5 ##NTUPLES file (an NMR spectrum's real and imaginary pages)
// the first page is read, scaled by its ##FACTOR.  Start at lee_jcamp.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

#include "formatos.h"

namespace {

constexpr const char *MARCA_ETIQUETA = "##";
constexpr const char *MARCA_COMENTARIO = "$$";
constexpr size_t LARGO_MAXIMO_VALOR = 60;   // digits of one compressed value
constexpr size_t LARGO_ETIQUETA = 32;       // a label's letters that matter
constexpr int MAX_VARIABLES = 16;           // columns of an ##NTUPLES table
constexpr size_t LARGO_VARIABLE = 40;       // a variable's name as a note gives it
constexpr double CERCA_DE_UN_INDICE = 0.25; // how near an index a line's x must fall to name it

enum Clase { NINGUNO, VALOR, DIFERENCIA, REPETICION, FALTA, ILEGIBLE };
enum Tabla { SIN_TABLA, TABLA_XYDATA, TABLA_XYPOINTS };

struct Token {
	Clase clase = NINGUNO;
	double v = 0;
};

// The lists of an ##NTUPLES table, one entry a variable.
struct Variables {
	int n = 0;
	char simbolo[MAX_VARIABLES] = {};
	char nombre[MAX_VARIABLES][LARGO_VARIABLE] = {};
	double factor[MAX_VARIABLES], primera[MAX_VARIABLES], ultima[MAX_VARIABLES], dimension[MAX_VARIABLES];
	Variables()
	{
		std::fill_n(factor, MAX_VARIABLES, 1.0);
		std::fill_n(primera, MAX_VARIABLES, NAN);
		std::fill_n(ultima, MAX_VARIABLES, NAN);
		std::fill_n(dimension, MAX_VARIABLES, 0.0);
	}
};

struct Jcamp {
	double xfactor = 1, yfactor = 1, firstx = NAN, lastx = NAN, deltax = NAN, x_primera = NAN;
	int npoints = 0, tablas = 0;
	Tabla tabla = SIN_TABLA;   // the table being read: only the first is
	Tabla primera = SIN_TABLA; // the kind of that first table
	double y = 0;              // the last ordinate, in the file's units
	bool acaba_en_diferencia = false;
	bool coma_decimal = false; // the labels' numbers are written with a decimal comma
	std::vector<double> xs;    // the x of (XY..XY) pairs
	double x_pendiente = NAN;
	std::vector<double> x_lineas, k_lineas; // each (X++(Y..Y)) line's x and its first sample
	bool paginas = false;                   // an ##NTUPLES file
	Variables var;
	char pagina[LARGO_VARIABLE] = ""; // the name of the page read
};

bool es_separador(char c, bool coma_decimal)
{
	return c == ' ' || c == '\t' || (c == ',' && !coma_decimal) || c == ';';
}

bool es_cifra_o_punto(char c, bool coma_decimal)
{
	return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || (c == ',' && coma_decimal);
}

// [p, fin) as a decimal, a comma read as the point: the bytes it takes.
size_t decimal_de(const char *p, const char *fin, double *v)
{
	char texto[LARGO_MAXIMO_VALOR + 2];
	size_t n = std::min(size_t(fin - p), LARGO_MAXIMO_VALOR + 1);
	for (size_t i = 0; i < n; i++)
		texto[i] = p[i] == ',' ? '.' : p[i];
	return lee_decimal(texto, texto + n, v);
}

// A free-format number: sign, digits and point, and an exponent only as
// E+dd or E-dd (a bare E is the SQZ digit 5).
Token libre(const char **p, const char *fin, bool coma_decimal)
{
	const char *q = *p + (**p == '+' || **p == '-');
	while (q < fin && es_cifra_o_punto(*q, coma_decimal))
		q++;
	if (fin - q >= 3 && (*q == 'E' || *q == 'e') && (q[1] == '+' || q[1] == '-') &&
	    std::isdigit(static_cast<unsigned char>(q[2])))
		for (q += 2; q < fin && std::isdigit(static_cast<unsigned char>(*q));)
			q++;
	Token t;
	t.clase = decimal_de(*p, q, &t.v) == size_t(q - *p) ? VALOR : ILEGIBLE;
	*p = q;
	return t;
}

// The class and first digit a pseudo-digit stands for; false when c is none.
bool pseudo_cifra(char c, Clase *clase, int *cifra, bool *negativo)
{
	static const char *const POSITIVOS[] = {"@ABCDEFGHI", "%JKLMNOPQR", " STUVWXYZs"};
	static const char *const NEGATIVOS[] = {" abcdefghi", " jklmnopqr"};
	static const Clase CLASES[] = {VALOR, DIFERENCIA, REPETICION};
	for (int k = 0; k < 3; k++) {
		const char *en = std::strchr(POSITIVOS[k], c);
		const char *neg = k < 2 ? std::strchr(NEGATIVOS[k], c) : nullptr;
		if (c != ' ' && c != '\0' && (en || neg)) {
			*clase = CLASES[k];
			*negativo = neg != nullptr;
			*cifra = int((en ? en - POSITIVOS[k] : neg - NEGATIVOS[k]));
			return true;
		}
	}
	return false;
}

// A compressed value: its pseudo-digit, then plain digits (and a point).
Token comprimido(const char **p, const char *fin, Clase clase, int cifra, bool negativo, bool coma_decimal)
{
	char texto[LARGO_MAXIMO_VALOR + 2];
	size_t n = 0;
	texto[n++] = char('0' + cifra);
	const char *q = *p + 1;
	for (; q < fin && es_cifra_o_punto(*q, coma_decimal); q++)
		if (n <= LARGO_MAXIMO_VALOR)
			texto[n++] = *q == ',' ? '.' : *q;
	*p = q;
	Token t;
	t.clase = n <= LARGO_MAXIMO_VALOR && lee_decimal(texto, texto + n, &t.v) == n ? clase : ILEGIBLE;
	t.v = negativo ? -t.v : t.v;
	return t;
}

// The next value of a data line from *p, past the separators before it.
Token siguiente_token(const char **p, const char *fin, bool coma_decimal)
{
	while (*p < fin && es_separador(**p, coma_decimal))
		(*p)++;
	Token t;
	if (*p == fin)
		return t;
	char c = **p;
	Clase clase;
	int cifra;
	bool negativo;
	if (c == '+' || c == '-' || c == '.' || std::isdigit(static_cast<unsigned char>(c)))
		return libre(p, fin, coma_decimal);
	if (c == '?') {
		(*p)++;
		t.clase = FALTA;
		return t;
	}
	if (pseudo_cifra(c, &clase, &cifra, &negativo))
		return comprimido(p, fin, clase, cifra, negativo, coma_decimal);
	t.clase = ILEGIBLE;
	return t;
}

// An ordinate as a sample; false without memory (or past what a file may unfold to).
bool anade(Jcamp &e, Acumulador &a, double y)
{
	return a.n < MAX_MUESTRAS_DESPLEGADAS && acumula(a, float(y * e.yfactor));
}

// One value, difference or missing value applied to the running ordinate.
bool aplica(const Token &t, Jcamp &e, Acumulador &a)
{
	if (t.clase == FALTA)
		return anade(e, a, NAN);
	e.y = t.clase == DIFERENCIA ? e.y + t.v : t.v;
	return anade(e, a, e.y);
}

// The line [ini, fin) without a trailing $$ comment.
const char *sin_comentario(const char *ini, const char *fin)
{
	auto c = static_cast<const char *>(memmem(ini, fin - ini, MARCA_COMENTARIO, 2));
	return c ? c : fin;
}

// The first x and the step that the labels give, when they give both.
bool x_etiquetada(const Jcamp &e, int n, double *primera, double *paso)
{
	*primera = !std::isnan(e.firstx) ? e.firstx : e.x_primera * e.xfactor;
	int puntos = e.npoints > 1 ? e.npoints : n;
	*paso = !std::isnan(e.lastx) && puntos > 1 ? (e.lastx - *primera) / (puntos - 1) : e.deltax;
	return std::isfinite(*primera) && std::isfinite(*paso) && *paso != 0;
}

// Whether a line's first ordinate, after a line that ended in a difference,
// is the check that repeats the last one (n so far): some writers leave the
// check out.  The line's x tells, where the labels give the step; else the
// value, equal to the last.
bool es_control(const Jcamp &e, double x, const Token &t, int n)
{
	double primera, paso;
	if (!std::isnan(e.firstx) && x_etiquetada(e, 0, &primera, &paso)) {
		double k = (x * e.xfactor - primera) / paso;
		if (std::fabs(k - (n - 1)) < CERCA_DE_UN_INDICE)
			return true;
		if (std::fabs(k - n) < CERCA_DE_UN_INDICE)
			return false;
	}
	return t.v == e.y;
}

// A line of (X++(Y..Y)): false when it cannot be read (*sin_memoria says
// if for want of memory).
bool linea_xydata(const char *p, const char *fin, Jcamp &e, Acumulador &a, bool *sin_memoria)
{
	fin = sin_comentario(p, fin);
	Token x = siguiente_token(&p, fin, e.coma_decimal), previo;
	if (x.clase == NINGUNO)
		return true;
	if (x.clase != VALOR)
		return false;
	if (std::isnan(e.x_primera))
		e.x_primera = x.v;
	e.x_lineas.push_back(x.v * e.xfactor);
	e.k_lineas.push_back(a.n);
	bool control = e.acaba_en_diferencia; // the first ordinate may repeat the last
	for (Token t; (t = siguiente_token(&p, fin, e.coma_decimal)).clase != NINGUNO; control = false) {
		if (t.clase == ILEGIBLE || (t.clase == REPETICION && previo.clase == NINGUNO))
			return false;
		if (control && t.clase == VALOR && es_control(e, x.v, t, a.n)) {
			e.k_lineas.back() = a.n - 1;
			previo = t;
			continue;
		}
		int veces = t.clase == REPETICION ? int(std::fmin(t.v, MAX_MUESTRAS_DESPLEGADAS)) - 1 : 1;
		const Token &hecho = t.clase == REPETICION ? previo : t;
		for (int k = 0; k < veces; k++)
			if (!aplica(hecho, e, a))
				return !(*sin_memoria = true);
		previo = hecho;
	}
	e.acaba_en_diferencia = previo.clase == DIFERENCIA;
	return true;
}

// A line of (XY..XY): pairs, which may wrap from one line to the next.
bool linea_xypoints(const char *p, const char *fin, Jcamp &e, Acumulador &a, bool *sin_memoria)
{
	fin = sin_comentario(p, fin);
	for (Token t; (t = siguiente_token(&p, fin, e.coma_decimal)).clase != NINGUNO;) {
		if (t.clase != VALOR && !(t.clase == FALTA && !std::isnan(e.x_pendiente)))
			return false;
		if (std::isnan(e.x_pendiente)) {
			e.x_pendiente = t.v;
			continue;
		}
		e.xs.push_back(e.x_pendiente * e.xfactor);
		e.x_pendiente = NAN;
		if (!(t.clase == FALTA ? anade(e, a, NAN) : anade(e, a, t.v)))
			return !(*sin_memoria = true);
	}
	return true;
}

// A line of the table, read whole or not at all: a line that cannot be
// read leaves the samples as they were before it.
bool linea_de_tabla(const char *ini, const char *fin, Jcamp &e, Acumulador &a, bool *sin_memoria)
{
	double y = e.y, x_pendiente = e.x_pendiente;
	bool acaba_en_diferencia = e.acaba_en_diferencia;
	int n = a.n;
	float max = a.max;
	size_t lineas = e.x_lineas.size();
	bool leida = e.tabla == TABLA_XYDATA ? linea_xydata(ini, fin, e, a, sin_memoria)
	                                     : linea_xypoints(ini, fin, e, a, sin_memoria);
	if (!leida) {
		e.x_lineas.resize(lineas);
		e.k_lineas.resize(lineas);
		a.n = n;
		a.max = max;
		e.y = y;
		e.x_pendiente = x_pendiente;
		e.acaba_en_diferencia = acaba_en_diferencia;
		e.xs.resize(std::min(e.xs.size(), size_t(n)));
	}
	return leida;
}

// A label's name as it compares: letters and digits only, in capitals.
void normaliza(const char *ini, const char *fin, char *nombre)
{
	size_t n = 0;
	for (const char *p = ini; p < fin && n + 1 < LARGO_ETIQUETA; p++)
		if (std::isalnum(static_cast<unsigned char>(*p)))
			nombre[n++] = char(std::toupper(static_cast<unsigned char>(*p)));
	nombre[n] = '\0';
}

double numero_de(const char *v, const char *fin, bool coma_decimal)
{
	double x = NAN;
	recorta(&v, &fin);
	size_t leidos = coma_decimal ? decimal_de(v, fin, &x) : lee_decimal(v, fin, &x);
	return leidos > 0 && std::isfinite(x) ? x : NAN;
}

// Whether a label's value is one number with a decimal comma ("400,5"), as
// a writer in a comma locale puts it.
bool con_coma_decimal(const char *v, const char *fin)
{
	recorta(&v, &fin);
	auto coma = static_cast<const char *>(std::memchr(v, ',', size_t(fin - v)));
	if (!coma || coma == v || coma + 1 == fin || !std::isdigit(static_cast<unsigned char>(coma[-1])) ||
	    !std::isdigit(static_cast<unsigned char>(coma[1])))
		return false;
	double x;
	return decimal_de(v, fin, &x) == size_t(fin - v);
}

// The values of an ##NTUPLES list, comma-separated, as numbers or text.
int lista_de(const char *v, const char *fin, double *numeros, char (*textos)[LARGO_VARIABLE])
{
	int n = 0;
	for (const char *p = v; p <= fin && n < MAX_VARIABLES; n++) {
		auto coma = static_cast<const char *>(std::memchr(p, ',', size_t(fin - p)));
		const char *a = p, *b = coma ? coma : fin;
		recorta(&a, &b);
		if (numeros)
			numeros[n] = numero_de(a, b, false);
		if (textos)
			std::snprintf(textos[n], LARGO_VARIABLE, "%.*s", int(b - a), a);
		if (!coma)
			return n + 1;
		p = coma + 1;
	}
	return n;
}

// An ##NTUPLES label: the variables' lists.
void etiqueta_de_paginas(const char *nombre, const char *v, const char *fin, Jcamp &e)
{
	Variables &w = e.var;
	char simbolos[MAX_VARIABLES][LARGO_VARIABLE];
	if (std::strcmp(nombre, "NTUPLES") == 0)
		e.paginas = true;
	else if (std::strcmp(nombre, "VARNAME") == 0)
		lista_de(v, fin, nullptr, w.nombre);
	else if (std::strcmp(nombre, "SYMBOL") == 0) {
		w.n = lista_de(v, fin, nullptr, simbolos);
		for (int i = 0; i < w.n; i++)
			w.simbolo[i] = simbolos[i][0];
	} else if (std::strcmp(nombre, "FACTOR") == 0)
		lista_de(v, fin, w.factor, nullptr);
	else if (std::strcmp(nombre, "FIRST") == 0)
		lista_de(v, fin, w.primera, nullptr);
	else if (std::strcmp(nombre, "LAST") == 0)
		lista_de(v, fin, w.ultima, nullptr);
	else if (std::strcmp(nombre, "VARDIM") == 0)
		lista_de(v, fin, w.dimension, nullptr);
}

// The variable whose symbol is c, or -1.
int variable(const Variables &w, char c)
{
	for (int i = 0; i < w.n; i++)
		if (std::toupper(static_cast<unsigned char>(w.simbolo[i])) ==
		    std::toupper(static_cast<unsigned char>(c)))
			return i;
	return -1;
}

// The first page's table "(X++(R..R))": its x and ordinate as the lists give them.
void abre_pagina(const char *v, const char *fin, Jcamp &e)
{
	const Variables &w = e.var;
	const char *q = v;
	while (q < fin && (*q == ' ' || *q == '('))
		q++;
	auto interior = static_cast<const char *>(memmem(v, size_t(fin - v), "++(", 3));
	int ix = q < fin ? variable(w, *q) : -1;
	int iy = interior && interior + 3 < fin ? variable(w, interior[3]) : -1;
	if (ix >= 0) {
		e.xfactor = std::isfinite(w.factor[ix]) ? w.factor[ix] : 1;
		e.firstx = w.primera[ix];
		e.lastx = w.ultima[ix];
		if (e.npoints == 0 && w.dimension[ix] > 0 && w.dimension[ix] < INT32_MAX)
			e.npoints = int(w.dimension[ix]);
	}
	if (iy >= 0) {
		e.yfactor = std::isfinite(w.factor[iy]) ? w.factor[iy] : 1;
		std::snprintf(e.pagina, sizeof e.pagina, "%s", w.nombre[iy]);
	}
}

// A table's record: the first (X++(Y..Y)) or (XY..XY) is read.
void abre_tabla(const char *v, const char *fin, Jcamp &e)
{
	e.tablas++;
	e.tabla = SIN_TABLA;
	if (e.tablas > 1)
		return;
	bool xydata = memmem(v, fin - v, "++", 2) != nullptr;
	bool pares = memmem(v, fin - v, "XY..XY", 6) != nullptr;
	e.tabla = xydata ? TABLA_XYDATA : pares ? TABLA_XYPOINTS : SIN_TABLA;
	e.primera = e.tabla;
}

// A labelled record "##LABEL= value".
void etiqueta(const char *ini, const char *fin, Jcamp &e, Lectura &l)
{
	auto igual = static_cast<const char *>(std::memchr(ini, '=', fin - ini));
	const char *v = igual ? igual + 1 : fin;
	char nombre[LARGO_ETIQUETA];
	normaliza(ini + 2, igual ? igual : fin, nombre);
	e.tabla = SIN_TABLA;
	if (std::strcmp(nombre, "TITLE") == 0) {
		if (l.comment[0] == '\0')
			pon_titulo(l, v, sin_comentario(v, fin));
	} else if (std::strcmp(nombre, "XYDATA") == 0 || std::strcmp(nombre, "XYPOINTS") == 0) {
		abre_tabla(v, fin, e);
	} else if (std::strcmp(nombre, "DATATABLE") == 0) {
		abre_tabla(v, fin, e);
		if (e.tablas == 1)
			abre_pagina(v, sin_comentario(v, fin), e);
	} else if (e.tablas == 0) {
		etiqueta_de_paginas(nombre, v, sin_comentario(v, fin), e);
		e.coma_decimal = e.coma_decimal || (std::strcmp(nombre, "FIRSTX") == 0 &&
		                                    con_coma_decimal(v, sin_comentario(v, fin)));
		double x = numero_de(v, sin_comentario(v, fin), e.coma_decimal);
		double *campo = std::strcmp(nombre, "XFACTOR") == 0   ? &e.xfactor
		                : std::strcmp(nombre, "YFACTOR") == 0 ? &e.yfactor
		                : std::strcmp(nombre, "FIRSTX") == 0  ? &e.firstx
		                : std::strcmp(nombre, "LASTX") == 0   ? &e.lastx
		                : std::strcmp(nombre, "DELTAX") == 0  ? &e.deltax
		                                                      : nullptr;
		if (campo && !std::isnan(x))
			*campo = x;
		if (std::strcmp(nombre, "NPOINTS") == 0 && x > 0 && x < INT32_MAX)
			e.npoints = int(x);
	}
}

// x of (X++(Y..Y)) from the labels: FIRSTX on, by (LASTX − FIRSTX) over
// the points, or DELTAX; without them, the line through the x that opens
// each line, when they keep to one (desvio_x says how far they miss).
void calibra_xydata(const Jcamp &e, int n, Lectura &l)
{
	double primera, paso;
	if (x_etiquetada(e, n, &primera, &paso)) {
		calibracion_lineal(l, primera, paso, 0);
		return;
	}
	calibra_x(l, e.x_lineas.data(), e.x_lineas.size(), e.k_lineas.data());
}

void concluye(const Jcamp &e, int n, Lectura &l)
{
	if (e.primera == TABLA_XYDATA)
		calibra_xydata(e, n, l);
	else if (e.primera == TABLA_XYPOINTS)
		calibra_x(l, e.xs.data(), int(e.xs.size()));
	if (l.nota[0] || l.cuenta_ilegible)
		return;
	if (e.paginas)
		std::snprintf(l.nota, sizeof l.nota, "tiene %d páginas (##NTUPLES): se carga la primera%s%s",
		              e.tablas, e.pagina[0] ? ", " : "", e.pagina);
	else if (e.npoints > 0 && n != e.npoints)
		std::snprintf(l.nota, sizeof l.nota,
		              "##NPOINTS anuncia %d puntos y hay %d; se cargan esos %d", e.npoints, n, n);
	else if (e.tablas > 1)
		std::snprintf(l.nota, sizeof l.nota, "tiene %d tablas de datos: se carga la primera",
		              e.tablas);
}

int lee_jcamp_en(Lineas &s, Acumulador &a, Lectura *l)
{
	Jcamp e;
	const char *ini, *fin;
	bool sin_memoria = false;
	while (!s.error && !sin_memoria && siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (fin - ini >= 2 && std::memcmp(ini, MARCA_ETIQUETA, 2) == 0) {
			etiqueta(ini, fin, e, *l);
			continue;
		}
		if (e.tabla != SIN_TABLA && !linea_de_tabla(ini, fin, e, a, &sin_memoria) && !sin_memoria) {
			l->cuenta_ilegible = a.n + 1; // the table ends at a line it cannot read
			e.tabla = SIN_TABLA;
		}
	}
	concluye(e, a.n, *l);
	return entrega_acumulado(a, sin_memoria ? FICHERO_SIN_MEMORIA : s.error, l);
}

} // namespace

int lee_jcamp(Lineas &s, size_t, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_jcamp_en(s, a, l); });
}
