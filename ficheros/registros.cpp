// Instrument formats of keyed or fixed records: IEC 1455 (every line an
// "A004" record: times and channel count on the second, the energy
// calibration on the fourth, then the counts five to a record after their
// first channel), EMSA/MAS ("#KEYWORD : value" lines, then the data between
// #SPECTRUM and #ENDOFDATA, as Y or X,Y) and Canberra .tka (live and real
// time, then the counts).  Also which of the newer formats a file's first
// line opens.  Start at formato_instrumento.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "formatos.h"
#include "lector.h"

namespace {

constexpr char MARCA_IEC[] = "A004";
constexpr size_t LARGO_MARCA_IEC = 4;
constexpr size_t ANCHO_COEFICIENTE_IEC = 15; // E15.8 fields, not always apart
constexpr int TERMINOS_IEC = 4;
constexpr size_t ANCHO_CANAL_IEC = 6, ANCHO_CUENTA_IEC = 10;
constexpr int CUENTAS_POR_REGISTRO_IEC = 5;
constexpr int REGISTRO_TIEMPOS_IEC = 2, REGISTRO_ENERGIA_IEC = 4, REGISTRO_TITULO_IEC = 6;

constexpr char MARCA_EMSA = '#';
constexpr const char *FORMATO_EMSA_TEXTO = "EMSA/MAS";
constexpr int MAX_VALORES_FILA = 64; // EMSA's rows carry at most NCOLUMNS (≤ 5) values

constexpr const char *MARCAS_N42[] = {"RadInstrumentData", "N42InstrumentData", "ChannelData"};
constexpr const char *MARCA_JCAMP = "##";

bool empieza_por(const char *ini, const char *fin, const char *texto)
{
	size_t n = std::strlen(texto);
	return size_t(fin - ini) >= n && strncasecmp(ini, texto, n) == 0;
}

// ---- IEC 1455 -------------------------------------------------------------

struct Iec {
	double coef[TERMINOS_IEC] = {};
	int n_coef = 0;
	int anunciadas = 0;
	bool en_datos = false;
};

// A count as the own format reads a sample.
bool cuenta_de(const char *a, const char *b, double *v)
{
	float x;
	bool leida = numero_exacto(a, b, false, &x);
	*v = x;
	return leida;
}

// A coefficient, whole: a float would move a high channel's energy.
bool coeficiente_de(const char *a, const char *b, double *v)
{
	return a < b && lee_decimal(a, b, v) == size_t(b - a);
}

// Fixed-width fields of the record after its mark: how many read as numbers.
int campos_fijos(const char *ini, const char *fin, size_t ancho, int n, double *v,
                 bool (*lee)(const char *, const char *, double *))
{
	int leidos = 0;
	for (const char *p = ini; leidos < n && p < fin; p += ancho, leidos++) {
		const char *q = p + ancho < fin ? p + ancho : fin, *a = p, *b = q;
		recorta(&a, &b);
		if (!lee(a, b, &v[leidos]))
			break;
	}
	return leidos;
}

// A record of counts: its first channel, equal to the counts so far, and
// up to five counts.  False when the record is not the next of the counts.
bool registro_de_cuentas(const char *ini, const char *fin, Acumulador &a, bool *error_memoria)
{
	const char *cuentas = ini + ANCHO_CANAL_IEC < fin ? ini + ANCHO_CANAL_IEC : fin, *c = ini,
	           *fc = cuentas;
	recorta(&c, &fc);
	int canal;
	if (!entero_exacto(c, fc, &canal) || canal != a.n)
		return false;
	double v[CUENTAS_POR_REGISTRO_IEC];
	int n = campos_fijos(cuentas, fin, ANCHO_CUENTA_IEC, CUENTAS_POR_REGISTRO_IEC, v, cuenta_de);
	for (int i = 0; i < n && !*error_memoria; i++)
		*error_memoria = !acumula(a, float(v[i]));
	return n > 0;
}

// Counts past the channels the header gives fill the last record: left out,
// with a note unless they are the zeros that pad it.
void acota_iec(const Iec &e, Acumulador &a, Lectura &l)
{
	int mas = a.n - e.anunciadas, distintas = 0;
	for (int i = e.anunciadas + 1; i <= a.n; i++)
		distintas += a.v[i] != 0;
	conserva(a, 0, e.anunciadas);
	if (distintas > 0 && !l.nota[0])
		std::snprintf(l.nota, sizeof l.nota,
		              "anuncia %d cuentas y hay %d más; se cargan las %d anunciadas", e.anunciadas,
		              mas, e.anunciadas);
}

// The header records: times, channels, calibration, title.
void cabecera_iec(int registro, const char *ini, const char *fin, Iec &e, Lectura &l)
{
	if (registro == REGISTRO_TIEMPOS_IEC) {
		float v[3];
		int n = numeros_de_linea(ini, fin, v, 3);
		l.tiempo_vivo = n >= 1 && v[0] > 0 && std::isfinite(v[0]) ? v[0] : 0;
		e.anunciadas = n == 3 && v[2] > 0 && v[2] < float(INT32_MAX) ? int(v[2]) : 0;
	} else if (registro == REGISTRO_ENERGIA_IEC) {
		e.n_coef =
		    campos_fijos(ini, fin, ANCHO_COEFICIENTE_IEC, TERMINOS_IEC, e.coef, coeficiente_de);
	} else if (registro == REGISTRO_TITULO_IEC) {
		recorta(&ini, &fin);
		if (ini < fin)
			pon_titulo(l, ini, fin);
	}
}

// One record, after its mark; false once a record breaks the counts.
bool registro_iec(int registro, const char *ini, const char *fin, Iec &e, Acumulador &a, Lectura &l,
                  bool *error_memoria)
{
	if (registro <= REGISTRO_TITULO_IEC) {
		cabecera_iec(registro, ini, fin, e, l);
		return true;
	}
	bool cuentas = registro_de_cuentas(ini, fin, a, error_memoria);
	e.en_datos = e.en_datos || cuentas;
	if (e.en_datos && !cuentas) {
		recorta(&ini, &fin);
		if (ini < fin) // a record that is not the next counts, and not a blank one
			l.cuenta_ilegible = a.n + 1;
		return false;
	}
	return true;
}

int lee_iec_en(Lineas &s, Acumulador &a, Lectura *l)
{
	Iec e;
	const char *ini, *fin;
	bool sin_memoria = false;
	// Blank lines are no records: counting them would shift the header's.
	for (int registro = 0; !s.error && !sin_memoria && siguiente_linea(s, &ini, &fin);) {
		recorta(&ini, &fin);
		if (ini == fin)
			continue;
		registro++;
		if (!empieza_por(ini, fin, MARCA_IEC)) {
			l->cuenta_ilegible = a.n + 1; // a line of no record ends them
			break;
		}
		if (!registro_iec(registro, ini + LARGO_MARCA_IEC, fin, e, a, *l, &sin_memoria))
			break;
	}
	if (e.anunciadas > 0 && a.n > e.anunciadas)
		acota_iec(e, a, *l);
	calibra_polinomio(*l, e.coef, e.n_coef, 0, a.n);
	if (e.anunciadas > 0 && a.n < e.anunciadas && !l->nota[0] && l->cuenta_ilegible == 0)
		std::snprintf(l->nota, sizeof l->nota, "anuncia %d cuentas y hay %d; se cargan esas %d",
		              e.anunciadas, a.n, a.n);
	return entrega_acumulado(a, sin_memoria ? FICHERO_SIN_MEMORIA : s.error, l);
}

// ---- EMSA/MAS -------------------------------------------------------------

struct Emsa {
	double por_canal = 0, desplazamiento = 0;
	bool xy = false;
	int anunciadas = 0;
	std::vector<double> x;
};

// "#KEYWORD -unit : value": the keyword into [*clave, *fin_clave), the value into [*valor, fin).
bool linea_clave(const char *ini, const char *fin, const char **fin_clave, const char **valor)
{
	if (ini == fin || *ini != MARCA_EMSA)
		return false;
	auto dos_puntos = static_cast<const char *>(std::memchr(ini, ':', fin - ini));
	const char *k = ini + 1;
	while (k < fin && *k != ' ' && *k != '\t' && *k != '-' && *k != ':')
		k++;
	*fin_clave = k;
	*valor = dos_puntos ? dos_puntos + 1 : fin;
	return true;
}

bool es_clave(const char *ini, const char *fin_clave, const char *nombre)
{
	size_t n = std::strlen(nombre);
	return size_t(fin_clave - ini - 1) == n && strncasecmp(ini + 1, nombre, n) == 0;
}

double valor_decimal(const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	double v = 0;
	return lee_decimal(ini, fin, &v) > 0 && std::isfinite(v) ? v : 0;
}

void clave_emsa(const char *ini, const char *fin_clave, const char *v, const char *fin, Emsa &e, Lectura &l)
{
	recorta(&v, &fin);
	if (es_clave(ini, fin_clave, "TITLE") && v < fin)
		pon_titulo(l, v, fin);
	else if (es_clave(ini, fin_clave, "XPERCHAN"))
		e.por_canal = valor_decimal(v, fin);
	else if (es_clave(ini, fin_clave, "OFFSET"))
		e.desplazamiento = valor_decimal(v, fin);
	else if (es_clave(ini, fin_clave, "DATATYPE"))
		e.xy = empieza_por(v, fin, "XY");
	else if (es_clave(ini, fin_clave, "NPOINTS"))
		e.anunciadas = int(std::fmin(valor_decimal(v, fin), INT32_MAX));
	else if (es_clave(ini, fin_clave, "LIVETIME"))
		l.tiempo_vivo = std::fmax(valor_decimal(v, fin), 0);
}

// The numbers of a data row, apart by commas or white space: how many, or -1
// when a field is not one (or there are more than a row holds).
int valores_de_fila(const char *ini, const char *fin, float *v)
{
	auto separa = [](char c) { return c == ',' || es_blanco(static_cast<unsigned char>(c)); };
	int n = 0;
	for (const char *p = ini;;) {
		while (p < fin && separa(*p))
			p++;
		if (p == fin)
			return n;
		const char *q = p;
		while (q < fin && !separa(*q))
			q++;
		if (n == MAX_VALORES_FILA || !numero_exacto(p, q, false, &v[n++]))
			return -1;
		p = q;
	}
}

// A data row: its values as samples, or as x,y pairs; false when it is none.
bool fila_emsa(const char *ini, const char *fin, Emsa &e, Acumulador &a, bool *sin_memoria)
{
	float v[MAX_VALORES_FILA];
	int n = valores_de_fila(ini, fin, v);
	if (n < 0 || (e.xy && n % 2 != 0))
		return false;
	for (int i = 0; i < n && !*sin_memoria; i += e.xy ? 2 : 1) {
		if (e.xy)
			e.x.push_back(v[i]);
		*sin_memoria = !acumula(a, v[e.xy ? i + 1 : i]);
	}
	return true;
}

void calibra_emsa(const Emsa &e, int n, Lectura &l)
{
	if (e.xy)
		calibra_x(l, e.x.data(), int(e.x.size()));
	else
		calibracion_lineal(l, e.desplazamiento, e.por_canal, 0);
	if (e.anunciadas > 0 && n != e.anunciadas && !l.nota[0] && l.cuenta_ilegible == 0)
		std::snprintf(l.nota, sizeof l.nota,
		              "#NPOINTS anuncia %d valores y hay %d; se cargan esos %d", e.anunciadas, n, n);
}

int lee_emsa_en(Lineas &s, Acumulador &a, Lectura *l)
{
	Emsa e;
	const char *ini, *fin, *fin_clave, *valor;
	bool datos = false, sin_memoria = false;
	while (!s.error && !sin_memoria && siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (linea_clave(ini, fin, &fin_clave, &valor)) {
			if (es_clave(ini, fin_clave, "ENDOFDATA"))
				break;
			datos = datos || es_clave(ini, fin_clave, "SPECTRUM");
			clave_emsa(ini, fin_clave, valor, fin, e, *l);
		} else if (datos && ini < fin && !fila_emsa(ini, fin, e, a, &sin_memoria)) {
			l->cuenta_ilegible = a.n + 1;
			break;
		}
	}
	calibra_emsa(e, a.n, *l);
	return entrega_acumulado(a, sin_memoria ? FICHERO_SIN_MEMORIA : s.error, l);
}

// ---- Canberra .tka --------------------------------------------------------

constexpr int TIEMPOS_TKA = 2; // live time, real time

// Whether a line that is not blank follows.
bool queda_texto(Lineas &s)
{
	const char *ini, *fin;
	while (siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (ini < fin)
			return true;
	}
	return false;
}

int lee_tka_en(Lineas &s, size_t cota, Acumulador &a, Lectura *l)
{
	int r = lee_numeros(s, INT32_MAX - 1, cota, a);
	if (r == FICHERO_BIEN && a.n >= TIEMPOS_TKA && queda_texto(s))
		l->cuenta_ilegible = a.n - TIEMPOS_TKA + 1;
	if (a.n <= TIEMPOS_TKA) // its times alone, or less: no count
		a.n = 0;
	if (r != FICHERO_BIEN || a.n == 0)
		return entrega_acumulado(a, r, l);
	float vivo = a.v[1];
	l->tiempo_vivo = vivo > 0 && std::isfinite(vivo) ? vivo : 0;
	conserva(a, TIEMPOS_TKA, a.n - TIEMPOS_TKA);
	return entrega_acumulado(a, FICHERO_BIEN, l);
}

} // namespace

int formato_instrumento(const char *ini, const char *fin, const char *p, size_t n)
{
	if (empieza_por(ini, fin, MARCA_JCAMP))
		return FORMATO_JCAMP;
	if (empieza_por(ini, fin, MARCA_IEC))
		return FORMATO_IEC;
	if (ini < fin && *ini == MARCA_EMSA && memmem(ini, fin - ini, FORMATO_EMSA_TEXTO, 8))
		return FORMATO_EMSA;
	if (ini == fin || *ini != '<')
		return -1;
	for (const char *marca : MARCAS_N42)
		if (memmem(p, n, marca, std::strlen(marca)))
			return FORMATO_N42;
	return -1;
}

int lee_iec(Lineas &s, size_t, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_iec_en(s, a, l); });
}

int lee_emsa(Lineas &s, size_t, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_emsa_en(s, a, l); });
}

int lee_tka(Lineas &s, size_t cota, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_tka_en(s, cota, a, l); });
}
