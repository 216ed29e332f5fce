// The words of what the peak key and the calibration from many lines
// report, of the table of measured peaks and of the background's line under
// the title: text only, from the measures and the calibration they are
// given.  Start at informe_pico.
#include "informes.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "textos.h"

namespace {

constexpr int TAM_LINEA = 256;

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

std::string fila_de(const MedidaPico &m, const PicoConocido *k, const Calibracion &cal)
{
	bool ajuste = m.ajustado, calibrado = cal.al != 0;
	PuntoCalibracion punto{posicion(m), k ? static_cast<double>(k->longitud) : 0};
	double fwhm = fwhm_de(m);
	double area = ajuste ? m.area : m.neto;
	const std::string columnas[] = {numero(posicion(m)),
	                                numero(m.error_centroide, ajuste),
	                                numero(longitud_en(cal, posicion(m)), calibrado),
	                                numero(fwhm, ajuste),
	                                numero(fwhm * std::fabs(cal.al), ajuste && calibrado),
	                                numero(area),
	                                numero(m.error_area, ajuste),
	                                numero(m.fondo),
	                                numero(m.chi2_gl, ajuste),
	                                numero(punto.longitud, k),
	                                numero(residuo(cal, punto), k && calibrado)};
	std::string fila = columnas[0];
	for (size_t i = 1; i < std::size(columnas); i++)
		fila += "\t" + columnas[i];
	return fila + "\n";
}

} // namespace

std::string informe_pico(const MedidaPico &m, const Calibracion &cal)
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
	if (cal.al != 0)
		anade(&t, PICO_CENTROIDE_LO, longitud_en(cal, m.centroide),
		      m.error_centroide * std::fabs(cal.al));
	t += "\n";
	anade(&t, PICO_FWHM, fwhm_de(m));
	if (cal.al != 0)
		anade(&t, PICO_FWHM_LO, fwhm_de(m) * std::fabs(cal.al));
	t += "\n";
	anade(&t, PICO_AREA, m.area, m.error_area);
	t += "\n";
	anade(&t, PICO_FONDO, m.fondo);
	t += "\n";
	anade(&t, PICO_CHI2, m.chi2_gl);
	return t + "\n" + DIALOGO_PICO.formato + PICO_CAMPOS_CALIBRA;
}

std::string informe_calibracion(const std::vector<PuntoCalibracion> &p, FalloRecta fallo,
                                const Calibracion &cal)
{
	bool recta = fallo == FalloRecta::ninguno;
	std::string t = std::string(recta ? CALIBRACION_CABECERA : CALIBRACION_CABECERA_FALLO) + "\n";
	for (const PuntoCalibracion &q : p) {
		if (recta)
			anade(&t, CALIBRACION_FILA, q.canal, q.longitud, longitud_en(cal, q.canal),
			      residuo(cal, q));
		else
			anade(&t, CALIBRACION_FILA_FALLO, q.canal, q.longitud);
		t += "\n";
	}
	if (recta)
		anade(&t, CALIBRACION_RMS, rms_residuos(cal, p.data(), p.size()));
	else
		t += fallo == FalloRecta::mismo_canal ? CALIBRACION_MISMO_CANAL : CALIBRACION_SIN_PENDIENTE;
	return t + "\n" + DIALOGO_CALIBRACION_PICOS.formato;
}

std::string tabla_picos(const std::vector<MedidaPico> &lista, const std::vector<PicoConocido> &puntos,
                        const Calibracion &cal)
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
		t += fila_de(lista[i], k != puntos.end() ? &*k : nullptr, cal);
	}
	return t;
}

bool linea_de_fondo(char *texto, int n)
{
	if (fondo.nptL == 0)
		return false;
	std::snprintf(texto, static_cast<size_t>(n), "Fondo %s x %.6g%s", fondo.comment,
	              static_cast<double>(factor_fondo), vista_neta ? " (restado)" : "");
	return true;
}
