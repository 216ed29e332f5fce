// The formats that detectors' own software writes: ORTEC/Maestro and IAEA
// ASCII .Spe (blocks under "$NAME:" lines) and Amptek .mca (sections under
// "<<NAME>>" lines).  Counts, calibration and title; nothing in a header
// sizes an allocation past what the file can hold.  Start at lee_spe.
#include <algorithm>
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

constexpr int MAX_COEFICIENTES = 8; // $MCA_CAL terms read; real files carry 2 or 3
constexpr size_t MAX_PARES = 4096;  // <<CALIBRATION>> pairs used; real files carry a few
constexpr char MARCA_BLOQUE = '$';
constexpr const char *SEPARADOR_CLAVE = " - ";

// Keywords and section names match in any letter case.
bool es_linea(const char *ini, const char *fin, const char *texto)
{
	size_t n = std::strlen(texto);
	return size_t(fin - ini) == n && strncasecmp(ini, texto, n) == 0;
}

// The next line of the current block, trimmed; false at the next "$" line
// (left for the caller) or at the end.
bool linea_del_bloque(Lineas &s, const char **ini, const char **fin)
{
	if (!siguiente_linea(s, ini, fin))
		return false;
	recorta(ini, fin);
	if (*ini < *fin && **ini == MARCA_BLOQUE) {
		devuelve_linea(s);
		return false;
	}
	return true;
}

// The counts of a data block, read the fast way, up to `limite` of them; a
// token that does not end the block (a line starting with `marca`) but is no
// number is told by its place among the counts.
void lee_cuentas(Lineas &s, int limite, size_t cota, Acumulador &a, const char *marca, Lectura &l)
{
	int error = lee_numeros(s, limite, cota, a);
	if (error) {
		s.error = error;
		return;
	}
	const char *ini, *fin;
	if (a.n >= limite || !siguiente_linea(s, &ini, &fin))
		return;
	recorta(&ini, &fin);
	size_t n = std::strlen(marca);
	if (size_t(fin - ini) < n || std::memcmp(ini, marca, n) != 0)
		l.cuenta_ilegible = a.n + 1;
	devuelve_linea(s);
}

struct Spe {
	int primero = 0; // the file's channel of the first count
	bool hay_datos = false;
	float fit[2] = {0, 0}; // $ENER_FIT: offset, slope
	bool hay_fit = false;
	float cal[MAX_COEFICIENTES] = {};
	int n_cal = 0;
	std::vector<double> canales, energias; // $ENER_DATA's points
};

// A range that disagrees with the counts present: counts beyond it are left
// out (the text after them with them), and the note says what was loaded.
void acota_al_rango(long long cuantas, Acumulador &a, Lectura &l)
{
	if (a.n > cuantas) {
		long long mas = a.n - cuantas;
		conserva(a, 0, int(cuantas));
		l.cuenta_ilegible = 0;
		std::snprintf(l.nota, sizeof l.nota,
		              "$DATA: anuncia %lld cuentas y hay %lld más; se cargan las %lld del rango",
		              cuantas, mas, cuantas);
	} else if (a.n < cuantas && l.cuenta_ilegible == 0) { // a count that stopped it says why
		std::snprintf(l.nota, sizeof l.nota,
		              "$DATA: anuncia %lld cuentas y hay %d; se cargan esas %d", cuantas, a.n, a.n);
	}
}

// $DATA: first and last channel, then the counts: all that the block holds
// are read, so that a range that disagrees with them can be told.
void lee_datos_spe(Lineas &s, Spe &e, Acumulador &a, size_t cota, Lectura &l)
{
	const char *ini, *fin;
	float rango[2];
	if (e.hay_datos || !linea_del_bloque(s, &ini, &fin) || numeros_de_linea(ini, fin, rango, 2) != 2)
		return;
	if (!(rango[0] >= 0 && rango[0] <= rango[1] && rango[1] < float(INT32_MAX)))
		return;
	long long cuantas = static_cast<long long>(rango[1]) - static_cast<long long>(rango[0]) + 1;
	e.primero = static_cast<int>(rango[0]);
	e.hay_datos = true;
	if (!prepara(a, size_t(cuantas), cota)) { // room for the range's counts; more grow as they come
		s.error = FICHERO_SIN_MEMORIA;
		return;
	}
	lee_cuentas(s, INT32_MAX - 1, cota, a, "$", l);
	if (!s.error)
		acota_al_rango(cuantas, a, l);
}

void lee_titulo_spe(Lineas &s, Lectura &l)
{
	const char *ini, *fin;
	if (linea_del_bloque(s, &ini, &fin))
		pon_titulo(l, ini, fin);
}

void lee_fit(Lineas &s, Spe &e)
{
	const char *ini, *fin;
	e.hay_fit = linea_del_bloque(s, &ini, &fin) && numeros_de_linea(ini, fin, e.fit, 2) == 2;
}

// $MCA_CAL: the number of terms, then the terms from the constant up (a unit may follow).
void lee_mca_cal(Lineas &s, Spe &e)
{
	const char *ini, *fin;
	int n;
	if (!linea_del_bloque(s, &ini, &fin) || !entero_exacto(ini, fin, &n) || n < 1 ||
	    !linea_del_bloque(s, &ini, &fin))
		return;
	e.n_cal = numeros_de_linea(ini, fin, e.cal, n < MAX_COEFICIENTES ? n : MAX_COEFICIENTES);
}

// $ENER_DATA: the number of points, then a line "channel energy" for each.
void lee_ener_data(Lineas &s, Spe &e)
{
	const char *ini, *fin;
	int n;
	float par[2];
	if (!linea_del_bloque(s, &ini, &fin) || !entero_exacto(ini, fin, &n))
		return;
	for (int i = 0; i < n && e.canales.size() < MAX_PARES && linea_del_bloque(s, &ini, &fin); i++)
		if (numeros_de_linea(ini, fin, par, 2) == 2) {
			e.canales.push_back(par[0]);
			e.energias.push_back(par[1]);
		}
}

// $MCA_CAL when it bends (every term kept: $ENER_FIT is only its straight
// part), else $ENER_FIT, else a straight $MCA_CAL, else the least-squares
// line through $ENER_DATA's points.
void calibra_spe(const Spe &e, int n, Lectura &l)
{
	double a, b;
	bool mca = e.n_cal >= 2 && e.cal[1] != 0;
	bool curva =
	    mca && std::any_of(e.cal + 2, e.cal + std::max(e.n_cal, 2), [](float t) { return t != 0; });
	if (curva || (mca && !(e.hay_fit && e.fit[1] != 0))) {
		double terminos[MAX_COEFICIENTES];
		std::copy(e.cal, e.cal + e.n_cal, terminos);
		calibra_polinomio(l, terminos, e.n_cal, e.primero, n);
	} else if (e.hay_fit && e.fit[1] != 0) {
		calibracion_lineal(l, e.fit[0], e.fit[1], e.primero);
	} else if (recta_minimos_cuadrados(e.canales.data(), e.energias.data(), int(e.canales.size()), &a,
	                                   &b)) {
		calibracion_lineal(l, a, b, e.primero);
	}
}

enum SeccionMca { MCA_CABECERA, MCA_CALIBRACION, MCA_DATOS, MCA_OTRA };

struct Mca {
	SeccionMca seccion = MCA_CABECERA;
	bool datos_leidos = false;
	std::vector<double> canales, valores;
	std::string descripcion, etiqueta;
	double tiempo_vivo = 0;
};

// A "<<NAME>>" line: the section it opens.
bool cambia_seccion(const char *ini, const char *fin, Mca &m)
{
	if (fin - ini < 4 || std::memcmp(ini, "<<", 2) != 0 || std::memcmp(fin - 2, ">>", 2) != 0)
		return false;
	if (m.seccion == MCA_DATOS)
		m.datos_leidos = true;
	if (es_linea(ini, fin, "<<PMCA SPECTRUM>>"))
		m.seccion = MCA_CABECERA;
	else if (es_linea(ini, fin, "<<CALIBRATION>>"))
		m.seccion = MCA_CALIBRACION;
	else if (es_linea(ini, fin, "<<DATA>>") && !m.datos_leidos)
		m.seccion = MCA_DATOS;
	else
		m.seccion = MCA_OTRA;
	return true;
}

// A live time in seconds as the text [ini, fin) gives it; 0 (unknown) for
// anything but one positive number.
double tiempo_valido(const char *ini, const char *fin)
{
	float t;
	return numeros_de_linea(ini, fin, &t, 1) == 1 && t > 0 && std::isfinite(t) ? t : 0;
}

// $MEAS_TIM: the live time, then the real time.
void lee_tiempo_spe(Lineas &s, Lectura &l)
{
	const char *ini, *fin;
	if (linea_del_bloque(s, &ini, &fin))
		l.tiempo_vivo = tiempo_valido(ini, fin);
}

// "KEY - value" of the header: the value of the title's keys.
void lee_clave(const char *ini, const char *fin, Mca &m)
{
	const char *sep = static_cast<const char *>(memmem(ini, fin - ini, SEPARADOR_CLAVE, 3));
	if (!sep)
		return;
	const char *v = sep + 3;
	recorta(&v, &fin);
	if (es_linea(ini, sep, "DESCRIPTION"))
		m.descripcion.assign(v, fin);
	else if (es_linea(ini, sep, "TAG"))
		m.etiqueta.assign(v, fin);
	else if (es_linea(ini, sep, "LIVE_TIME"))
		m.tiempo_vivo = tiempo_valido(v, fin);
}

void lee_par(const char *ini, const char *fin, Mca &m)
{
	float par[2];
	if (m.canales.size() < MAX_PARES && numeros_de_linea(ini, fin, par, 2) == 2) {
		m.canales.push_back(par[0]);
		m.valores.push_back(par[1]);
	}
}

void titula_y_calibra_mca(const Mca &m, Lectura &l)
{
	const std::string &t = m.descripcion.empty() ? m.etiqueta : m.descripcion;
	if (!t.empty())
		pon_titulo(l, t.data(), t.data() + t.size());
	double a, b;
	if (recta_minimos_cuadrados(m.canales.data(), m.valores.data(), int(m.canales.size()), &a, &b))
		calibracion_lineal(l, a, b, 0);
}

} // namespace

namespace {

int lee_spe_en(Lineas &s, size_t cota, Acumulador &a, Lectura *l)
{
	Spe e;
	const char *ini, *fin;
	while (!s.error && siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (es_linea(ini, fin, "$SPEC_ID:"))
			lee_titulo_spe(s, *l);
		else if (es_linea(ini, fin, "$DATA:"))
			lee_datos_spe(s, e, a, cota, *l);
		else if (es_linea(ini, fin, "$ENER_FIT:"))
			lee_fit(s, e);
		else if (es_linea(ini, fin, "$MCA_CAL:"))
			lee_mca_cal(s, e);
		else if (es_linea(ini, fin, "$ENER_DATA:"))
			lee_ener_data(s, e);
		else if (es_linea(ini, fin, "$MEAS_TIM:"))
			lee_tiempo_spe(s, *l);
	}
	calibra_spe(e, a.n, *l);
	return entrega_acumulado(a, s.error, l);
}

int lee_mca_en(Lineas &s, size_t cota, Acumulador &a, Lectura *l)
{
	Mca m;
	const char *ini, *fin;
	while (!s.error && siguiente_linea(s, &ini, &fin)) {
		recorta(&ini, &fin);
		if (cambia_seccion(ini, fin, m)) {
			if (m.seccion == MCA_DATOS)
				lee_cuentas(s, INT32_MAX - 1, cota, a, "<<", *l);
		} else if (m.seccion == MCA_CABECERA) {
			lee_clave(ini, fin, m);
		} else if (m.seccion == MCA_CALIBRACION) {
			lee_par(ini, fin, m);
		}
	}
	titula_y_calibra_mca(m, *l);
	l->tiempo_vivo = m.tiempo_vivo;
	return entrega_acumulado(a, s.error, l);
}

} // namespace

// Out of memory in a header's points or names ends the load with nothing kept.
int lee_spe(Lineas &s, size_t cota, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_spe_en(s, cota, a, l); });
}

int lee_mca(Lineas &s, size_t cota, Lectura *l)
{
	Acumulador a;
	return sin_abortar(a, l, [&] { return lee_mca_en(s, cota, a, l); });
}
