// The words of what the peak key and the calibration from many lines
// report, of the table of measured peaks and of the background's line under
// the title: text only, from the measures and the calibration they are
// given.  Start at informe_medida.
#include "informes.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <map>

#include "textos.h"

namespace {

constexpr int TAM_LINEA = 256;
// The report is a dialog's format, where a percent sign is written twice.
constexpr const char *PICO_COLA = "Cola baja: %.2f ± %.2f %%%% del área, pendiente %.2f ± %.2f sigma";
constexpr const char *PICO_SIN_COLA = "Sin cola ni escalón: gaussiana";
constexpr const char *PICO_ESCALON = "Escalón: %.2f ± %.2f %%%% de la altura de la línea";
constexpr const char *PICO_CORTADA = "Región cortada por el extremo del espectro";
constexpr const char *PICO_DEBIL = "Línea bajo 3 sigma: área %.1f ± %.1f, límite superior (95 %%%%) %.1f";
constexpr double PORCIENTO = 100;

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

std::string fila_de(const MedidaPico &m, const PicoConocido *k, const Calibracion &cal,
                    const std::map<int, size_t> &primeras)
{
	bool ajuste = m.ajustado, calibrado = cal.al != 0;
	PuntoCalibracion punto{posicion(m), k ? static_cast<double>(k->longitud) : 0};
	double fwhm = fwhm_de(m);
	double area = ajuste ? m.area : m.neto;
	const std::string columnas[] = {
	    numero(posicion(m)),
	    numero(m.error_centroide, ajuste),
	    numero(longitud_en(cal, posicion(m)), calibrado),
	    numero(fwhm, ajuste),
	    numero(fwhm * std::fabs(dispersion_en(cal, posicion(m))), ajuste && calibrado),
	    numero(area),
	    numero(m.error_area, ajuste),
	    numero(m.fondo),
	    numero(m.chi2_gl, ajuste),
	    numero(punto.longitud, k),
	    numero(residuo(cal, punto), k && calibrado),
	    m.grupo ? std::to_string(primeras.at(m.grupo) + 1) : ""};
	std::string fila = columnas[0];
	for (size_t i = 1; i < std::size(columnas); i++)
		fila += "\t" + columnas[i];
	return fila + "\n";
}

// A multiplet's rows: each line's mark number, centroid and area with their
// errors (and wavelength once calibrated), the nearest the cursor marked.
std::string filas_de_multiplete(const MedidaMultiplete &m, const std::vector<size_t> &lugares,
                                const Calibracion &cal)
{
	std::string t;
	anade(&t, MULTIPLETE_TITULO, m.lineas.size());
	t += std::string("\n") + MULTIPLETE_CABECERA + (cal.al != 0 ? MULTIPLETE_CABECERA_LO : "") + "\n";
	for (size_t i = 0; i < m.lineas.size(); i++) {
		const MedidaPico &l = m.lineas[i];
		anade(&t, MULTIPLETE_FILA, static_cast<int>(i) == m.cercana ? '*' : ' ', lugares[i] + 1,
		      l.centroide, l.error_centroide, l.area, l.error_area);
		if (cal.al != 0)
			anade(&t, MULTIPLETE_FILA_LO, longitud_en(cal, l.centroide),
			      l.error_centroide * std::fabs(dispersion_en(cal, l.centroide)));
		t += "\n";
	}
	return t + MULTIPLETE_MARCA + "\n";
}

// The number of each multiplet's first line (in channel order) in the
// marks' numbering, by the multiplet's tag.
std::map<int, size_t> primeras_de_grupo(const std::vector<MedidaPico> &lista)
{
	std::map<int, size_t> primera;
	for (size_t i = 0; i < lista.size(); i++) {
		int g = lista[i].grupo;
		if (g == 0)
			continue;
		auto p = primera.find(g);
		if (p == primera.end() || posicion(lista[i]) < posicion(lista[p->second]))
			primera[g] = i;
	}
	return primera;
}

// The report of m under the calibration cal (cal.al == 0: uncalibrated), as
// the "Pico" dialog's format: for a fitted m, with its two calibration fields
// (a float and an int, the known wavelength and the box) after it; for a
// failed fit, with a line saying it cannot calibrate, and no field.
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
		      m.error_centroide * std::fabs(dispersion_en(cal, m.centroide)));
	t += "\n";
	anade(&t, PICO_FWHM, fwhm_de(m));
	if (cal.al != 0)
		anade(&t, PICO_FWHM_LO, fwhm_de(m) * std::fabs(dispersion_en(cal, m.centroide)));
	t += "\n";
	anade(&t, PICO_AREA, m.area, m.error_area);
	t += "\n";
	anade(&t, PICO_FONDO, m.fondo);
	t += "\n";
	anade(&t, PICO_CHI2, m.chi2_gl);
	return t + "\n" + DIALOGO_PICO.formato + PICO_CAMPOS_CALIBRA;
}

// The lines' shape as fitted (a low-side tail, a step, or neither) and
// whether the spectrum's end cut the region, and a weak line's area and
// upper limit, a line each.
std::string forma_de(const MedidaMultiplete &m)
{
	std::string t;
	if (!m.ajustado)
		return t;
	if (m.cola) {
		anade(&t, PICO_COLA, PORCIENTO * m.fraccion_cola, PORCIENTO * m.error_fraccion_cola,
		      m.pendiente_cola, m.error_pendiente_cola);
		t += "\n";
	}
	if (m.escalon) {
		anade(&t, PICO_ESCALON, PORCIENTO * m.altura_escalon, PORCIENTO * m.error_altura_escalon);
		t += "\n";
	}
	if (!m.cola && !m.escalon)
		t += std::string(PICO_SIN_COLA) + "\n";
	if (m.cortada)
		t += std::string(PICO_CORTADA) + "\n";
	if (m.debil && !m.lineas.empty()) {
		anade(&t, PICO_DEBIL, m.lineas[0].area, m.lineas[0].error_area, m.limite_area);
		t += "\n";
	}
	return t;
}

} // namespace

std::string informe_medida(const MedidaMultiplete &m, const std::vector<size_t> &lugares,
                           const Calibracion &cal)
{
	std::string pobre = forma_de(m);
	if (m.ajustado && m.pobre) {
		anade(&pobre, PICO_POBRE, m.p_valor);
		pobre += "\n";
	}
	if (m.lineas.size() == 1) {
		std::string t = informe_pico(m.lineas[0], cal);
		return t.insert(t.rfind(DIALOGO_PICO.formato), pobre);
	}
	std::string t = filas_de_multiplete(m, lugares, cal);
	double fwhm = FWHM_POR_SIGMA * m.sigma;
	anade(&t, PICO_FWHM, fwhm);
	if (cal.al != 0)
		anade(&t, PICO_FWHM_LO, fwhm * std::fabs(dispersion_en(cal, m.lineas[m.cercana].centroide)));
	t += "\n";
	anade(&t, MULTIPLETE_FONDO, m.lineas[0].fondo, m.cuadratico ? MULTIPLETE_CUADRATICO : "");
	t += "\n";
	anade(&t, MULTIPLETE_CHI2, m.chi2_gl, m.p_valor);
	return t + "\n" + pobre + DIALOGO_PICO.formato + PICO_CAMPOS_CALIBRA;
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
	std::map<int, size_t> primeras = primeras_de_grupo(lista);
	std::string t = std::string(CABECERA_PICOS) + "\n";
	for (size_t i : orden) {
		auto k = std::find_if(puntos.begin(), puntos.end(),
		                      [i](const PicoConocido &p) { return p.pico == i; });
		t += fila_de(lista[i], k != puntos.end() ? &*k : nullptr, cal, primeras);
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
