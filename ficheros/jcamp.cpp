// JCAMP-DX: labelled data records ("##LABEL= value") and the first table
// of the spectrum, either ##XYDATA=(X++(Y..Y)) (each line an abscissa and
// the ordinates from it on, in free-format numbers or the compressed ASDF
// forms: SQZ pseudo-digits for a value, DIF for a difference from the last,
// DUP for a repeat, and after a line ending in DIF the next line's first
// ordinate repeating its last as a check) or ##XYPOINTS=(XY..XY), pairs.
// Values are scaled by ##XFACTOR and ##YFACTOR; x comes from ##FIRSTX,
// ##LASTX and ##NPOINTS (or ##DELTAX).  Start at lee_jcamp.
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
constexpr size_t LARGO_MAXIMO_VALOR = 60; // digits of one compressed value
constexpr size_t LARGO_ETIQUETA = 32;     // a label's letters that matter

enum Clase { NINGUNO, VALOR, DIFERENCIA, REPETICION, FALTA, ILEGIBLE };
enum Tabla { SIN_TABLA, TABLA_XYDATA, TABLA_XYPOINTS };

struct Token {
	Clase clase = NINGUNO;
	double v = 0;
};

struct Jcamp {
	double xfactor = 1, yfactor = 1, firstx = NAN, lastx = NAN, deltax = NAN, x_primera = NAN;
	int npoints = 0, tablas = 0;
	Tabla tabla = SIN_TABLA;   // the table being read: only the first is
	Tabla primera = SIN_TABLA; // the kind of that first table
	double y = 0;              // the last ordinate, in the file's units
	bool acaba_en_diferencia = false;
	std::vector<double> xs; // the x of (XY..XY) pairs
	double x_pendiente = NAN;
};

bool es_separador(char c)
{
	return c == ' ' || c == '\t' || c == ',' || c == ';';
}

// A free-format number: sign, digits and point, and an exponent only as
// E+dd or E-dd (a bare E is the SQZ digit 5).
Token libre(const char **p, const char *fin)
{
	const char *q = *p + (**p == '+' || **p == '-');
	while (q < fin && (std::isdigit(static_cast<unsigned char>(*q)) || *q == '.'))
		q++;
	if (fin - q >= 3 && (*q == 'E' || *q == 'e') && (q[1] == '+' || q[1] == '-') &&
	    std::isdigit(static_cast<unsigned char>(q[2])))
		for (q += 2; q < fin && std::isdigit(static_cast<unsigned char>(*q));)
			q++;
	Token t;
	t.clase = lee_decimal(*p, q, &t.v) == size_t(q - *p) ? VALOR : ILEGIBLE;
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
Token comprimido(const char **p, const char *fin, Clase clase, int cifra, bool negativo)
{
	char texto[LARGO_MAXIMO_VALOR + 2];
	size_t n = 0;
	texto[n++] = char('0' + cifra);
	const char *q = *p + 1;
	for (; q < fin && (std::isdigit(static_cast<unsigned char>(*q)) || *q == '.'); q++)
		if (n <= LARGO_MAXIMO_VALOR)
			texto[n++] = *q;
	*p = q;
	Token t;
	t.clase = n <= LARGO_MAXIMO_VALOR && lee_decimal(texto, texto + n, &t.v) == n ? clase : ILEGIBLE;
	t.v = negativo ? -t.v : t.v;
	return t;
}

// The next value of a data line from *p, past the separators before it.
Token siguiente_token(const char **p, const char *fin)
{
	while (*p < fin && es_separador(**p))
		(*p)++;
	Token t;
	if (*p == fin)
		return t;
	char c = **p;
	Clase clase;
	int cifra;
	bool negativo;
	if (c == '+' || c == '-' || c == '.' || std::isdigit(static_cast<unsigned char>(c)))
		return libre(p, fin);
	if (c == '?') {
		(*p)++;
		t.clase = FALTA;
		return t;
	}
	if (pseudo_cifra(c, &clase, &cifra, &negativo))
		return comprimido(p, fin, clase, cifra, negativo);
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

// A line of (X++(Y..Y)): false when it cannot be read (*sin_memoria says
// if for want of memory).
bool linea_xydata(const char *p, const char *fin, Jcamp &e, Acumulador &a, bool *sin_memoria)
{
	fin = sin_comentario(p, fin);
	Token x = siguiente_token(&p, fin), previo;
	if (x.clase == NINGUNO)
		return true;
	if (x.clase != VALOR)
		return false;
	if (std::isnan(e.x_primera))
		e.x_primera = x.v;
	bool control = e.acaba_en_diferencia; // the first ordinate repeats the last
	for (Token t; (t = siguiente_token(&p, fin)).clase != NINGUNO; control = false) {
		if (t.clase == ILEGIBLE || (t.clase == REPETICION && previo.clase == NINGUNO))
			return false;
		if (control && t.clase == VALOR) {
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
	for (Token t; (t = siguiente_token(&p, fin)).clase != NINGUNO;) {
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
	bool leida = e.tabla == TABLA_XYDATA ? linea_xydata(ini, fin, e, a, sin_memoria)
	                                     : linea_xypoints(ini, fin, e, a, sin_memoria);
	if (!leida) {
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

double numero_de(const char *v, const char *fin)
{
	double x = NAN;
	recorta(&v, &fin);
	return lee_decimal(v, fin, &x) > 0 && std::isfinite(x) ? x : NAN;
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
	} else if (e.tablas == 0) {
		double x = numero_de(v, sin_comentario(v, fin));
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
// the points, or DELTAX.
void calibra_xydata(const Jcamp &e, int n, Lectura &l)
{
	double primera = !std::isnan(e.firstx) ? e.firstx : e.x_primera * e.xfactor;
	int puntos = e.npoints > 1 ? e.npoints : n;
	double paso = !std::isnan(e.lastx) && puntos > 1 ? (e.lastx - primera) / (puntos - 1) : e.deltax;
	if (std::isfinite(primera) && std::isfinite(paso))
		calibracion_lineal(l, primera, paso, 0);
}

void concluye(const Jcamp &e, int n, Lectura &l)
{
	if (e.primera == TABLA_XYDATA)
		calibra_xydata(e, n, l);
	else if (e.primera == TABLA_XYPOINTS)
		calibra_x(l, e.xs.data(), int(e.xs.size()));
	if (l.nota[0] || l.cuenta_ilegible)
		return;
	if (e.npoints > 0 && n != e.npoints)
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
