// The peak command, its report and the table of measured peaks.  The
// measure itself is the analysis's (mide_pico); this module keeps the list,
// words the report and writes the table.  Start at comando_pico.
#include "medidas.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "adime.h"
#include "estado.h"
#include "fondo.h"
#include "pinta.h"
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

double longitud(double canal, float a_l, float b_l)
{
	return (canal + static_cast<double>(b_l)) * static_cast<double>(a_l);
}

std::string fila_de(const MedidaPico &m, float a_l, float b_l)
{
	bool ajuste = m.ajustado, calibrado = a_l != 0;
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
	    "",
	    ""};
	std::string fila = columnas[0];
	for (size_t i = 1; i < std::size(columnas); i++)
		fila += "\t" + columnas[i];
	return fila + "\n";
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
		return t + "\n" + DIALOGO_PICO.formato;
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
	return t + "\n" + DIALOGO_PICO.formato;
}

std::string tabla_picos(std::vector<MedidaPico> lista, float a_l, float b_l)
{
	std::stable_sort(lista.begin(), lista.end(),
	                 [](const MedidaPico &a, const MedidaPico &b) { return posicion(a) < posicion(b); });
	std::string t = std::string(CABECERA_PICOS) + "\n";
	for (const MedidaPico &m : lista)
		t += fila_de(m, a_l, b_l);
	return t;
}

bool guarda_tabla_picos(const char *ruta)
{
	std::string t = tabla_picos(picos, al, bl);
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
	MedidaPico m = mide_visto(ch_c);
	anota_pico(picos, m);
	pide_redibujo();
	pinta_L();
	dibuja_ajuste(m);
	std::string informe = informe_pico(m, al, bl);
	adime_dialogf(DIALOGO_PICO.titulo, DIALOGO_PICO.x, DIALOGO_PICO.y, DIALOGO_PICO.ancho_campo,
	              informe.c_str());
	pide_redibujo(); // takes the fit away
	pinta_L();
}
