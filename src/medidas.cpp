// The peak command, its report and the table of measured peaks.  The
// measure itself is the analysis's (mide_pico); this module keeps the list,
// words the reports (the peak's, and the residuals of the calibration from
// many lines) and writes the table.  Start at comando_pico.
#include "medidas.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "adime.h"
#include "calibra.h"
#include "estado.h"
#include "fondo.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int TAM_LINEA = 256;
constexpr int RESULTADO_OK = 1;

double fwhm_de(const MedidaPico &m)
{
	return m.ajustado ? FWHM_POR_SIGMA * m.sigma : 0;
}

__attribute__((format(printf, 2, 3))) void anade(std::string *texto, const char *formato, ...)
{
	char linea[TAM_LINEA];
	va_list args;
	va_start(args, formato);
	std::vsnprintf(linea, sizeof linea, formato, args);
	va_end(args);
	*texto += linea;
}

// A number that reads back as the same double; empty when there is none.
std::string numero(double v, bool hay = true)
{
	if (!hay)
		return "";
	char texto[TAM_LINEA];
	std::snprintf(texto, sizeof texto, "%.17g", v);
	return texto;
}

double longitud(double canal, float a_l, float b_l)
{
	return (canal + static_cast<double>(b_l)) * static_cast<double>(a_l);
}

std::string fila_de(const MedidaPico &m, const PicoConocido *k, float a_l, float b_l)
{
	bool ajuste = m.ajustado, calibrado = a_l != 0;
	PuntoCalibracion punto{posicion(m), k ? static_cast<double>(k->longitud) : 0};
	double fwhm = fwhm_de(m);
	double area = ajuste ? m.area : m.neto;
	const std::string columnas[] = {
	    numero(posicion(m)),
	    numero(m.error_centroide, ajuste),
	    numero(longitud(posicion(m), a_l, b_l), calibrado),
	    numero(fwhm, ajuste),
	    numero(fwhm * std::fabs(static_cast<double>(a_l)), ajuste && calibrado),
	    numero(area),
	    numero(m.error_area, ajuste),
	    numero(m.fondo),
	    numero(m.chi2_gl, ajuste),
	    numero(punto.longitud, k),
	    numero(residuo(recta_de(a_l, b_l), punto), k && calibrado)};
	std::string fila = columnas[0];
	for (size_t i = 1; i < std::size(columnas); i++)
		fila += "\t" + columnas[i];
	return fila + "\n";
}

bool mismo_punto(const PuntoCalibracion &a, const PuntoCalibracion &b)
{
	return a.canal == b.canal && a.longitud == b.longitud;
}

// The report of picos[i]; a fitted peak's fields, on OK, make it a
// calibration point or no longer one.  It opens on the point's wavelength,
// ticked, when the peak is one.
void pregunta_pico(size_t i)
{
	std::string informe = informe_pico(picos[i], al, bl);
	const PicoConocido *k = conocida_de(i);
	float longitud = k ? k->longitud : 0;
	int usar = k ? 1 : 0;
	if (adime_dialogf(DIALOGO_PICO.titulo, DIALOGO_PICO.x, DIALOGO_PICO.y, DIALOGO_PICO.ancho_campo,
	                  informe.c_str(), &longitud, &usar) == RESULTADO_OK &&
	    picos[i].ajustado)
		anota_conocida(i, usar != 0, longitud);
}

} // namespace

size_t anota_pico(std::vector<MedidaPico> &lista, const MedidaPico &m)
{
	for (size_t i = 0; i < lista.size(); i++) {
		double cerca = std::max({fwhm_de(lista[i]) / 2, fwhm_de(m) / 2, 1.0});
		if (std::fabs(posicion(lista[i]) - posicion(m)) <= cerca) {
			lista[i] = m;
			return i;
		}
	}
	lista.push_back(m);
	return lista.size() - 1;
}

std::string informe_pico(const MedidaPico &m, float a_l, float b_l)
{
	std::string t;
	if (!m.ajustado) {
		t = std::string(PICO_FALLIDO) + "\n";
		anade(&t, PICO_BRUTAS, m.bruto);
		t += "\n";
		anade(&t, PICO_NETAS, m.neto);
		return t + "\n" + PICO_SIN_CALIBRA + "\n" + DIALOGO_PICO.formato;
	}
	anade(&t, PICO_CENTROIDE, m.centroide, m.error_centroide);
	if (a_l != 0)
		anade(&t, PICO_CENTROIDE_LO, longitud(m.centroide, a_l, b_l),
		      m.error_centroide * std::fabs(static_cast<double>(a_l)));
	t += "\n";
	anade(&t, PICO_FWHM, fwhm_de(m));
	if (a_l != 0)
		anade(&t, PICO_FWHM_LO, fwhm_de(m) * std::fabs(static_cast<double>(a_l)));
	t += "\n";
	anade(&t, PICO_AREA, m.area, m.error_area);
	t += "\n";
	anade(&t, PICO_FONDO, m.fondo);
	t += "\n";
	anade(&t, PICO_CHI2, m.chi2_gl);
	return t + "\n" + DIALOGO_PICO.formato + PICO_CAMPOS_CALIBRA;
}

std::string informe_calibracion(const std::vector<PuntoCalibracion> &p, FalloRecta fallo, float a_l,
                                float b_l)
{
	bool recta = fallo == FalloRecta::ninguno;
	std::string t = std::string(recta ? CALIBRACION_CABECERA : CALIBRACION_CABECERA_FALLO) + "\n";
	RectaCalibracion r = recta_de(a_l, b_l);
	for (const PuntoCalibracion &q : p) {
		if (recta)
			anade(&t, CALIBRACION_FILA, q.canal, q.longitud, longitud_en_recta(r, q.canal),
			      residuo(r, q));
		else
			anade(&t, CALIBRACION_FILA_FALLO, q.canal, q.longitud);
		t += "\n";
	}
	if (recta)
		anade(&t, CALIBRACION_RMS, rms_residuos(r, p.data(), p.size()));
	else
		t += fallo == FalloRecta::mismo_canal ? CALIBRACION_MISMO_CANAL : CALIBRACION_SIN_PENDIENTE;
	return t + "\n" + DIALOGO_CALIBRACION_PICOS.formato;
}

std::string tabla_picos(const std::vector<MedidaPico> &lista, const std::vector<PicoConocido> &puntos,
                        float a_l, float b_l)
{
	std::vector<size_t> orden(lista.size());
	for (size_t i = 0; i < orden.size(); i++)
		orden[i] = i;
	std::stable_sort(orden.begin(), orden.end(),
	                 [&lista](size_t a, size_t b) { return posicion(lista[a]) < posicion(lista[b]); });
	std::string t = std::string(CABECERA_PICOS) + "\n";
	for (size_t i : orden) {
		auto k = std::find_if(puntos.begin(), puntos.end(),
		                      [i](const PicoConocido &p) { return p.pico == i; });
		t += fila_de(lista[i], k != puntos.end() ? &*k : nullptr, a_l, b_l);
	}
	return t;
}

bool guarda_tabla_picos(const char *ruta)
{
	std::string t = tabla_picos(picos, conocidas, al, bl);
	return reemplaza_fichero(ruta, ".tsv", [&t](const std::string &, int fd) {
		size_t hecho = 0;
		while (hecho < t.size()) {
			ssize_t n = write(fd, t.data() + hecho, t.size() - hecho);
			if (n <= 0)
				return false;
			hecho += static_cast<size_t>(n);
		}
		return true;
	});
}

void comando_pico()
{
	if (Li == nullptr || nptL <= 0)
		return;
	std::vector<PuntoCalibracion> antes = puntos_calibracion();
	MedidaPico m = mide_visto(ch_c);
	size_t i = anota_pico(picos, m);
	if (!m.ajustado)
		anota_conocida(i, false, 0); // no centroid, no calibration point
	pide_redibujo();
	pinta_L();
	dibuja_ajuste(m);
	pregunta_pico(i);
	pide_redibujo(); // takes the fit away
	pinta_L();
	std::vector<PuntoCalibracion> despues = puntos_calibracion();
	if (!std::equal(antes.begin(), antes.end(), despues.begin(), despues.end(), mismo_punto))
		calibra_con_picos();
}
