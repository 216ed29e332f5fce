// Definitions and initial values of the spectrum's state declared in
// canales.h, committing a load, the view of a whole spectrum and the
// measured peaks.  Start at confirma_carga.
#include "canales.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

float *Li;
int nptL;
float maxL;
char comment[TAM_NOMBRE];
double al, bl;
int ch_i, ch_f, ch_c;
float amplia_y;
int elog;
double tiempo_vivo;
bool espejado;
Lectura fondo;
char fichero_fondo[TAM_NOMBRE];
std::vector<float> fondo_canal;
float factor_fondo = 1;
bool factor_tecleado;
int vista_neta;
std::vector<float> Neto;
float maxNeto;
unsigned version_muestras;
std::vector<MedidaPico> picos;
std::vector<PicoConocido> conocidas;

void reinicia_espectro()
{
	std::free(Li);
	Li = nullptr;
	version_muestras++;
	nptL = 0;
	maxL = 0;
	comment[0] = '\0';
	al = bl = 0;
	ch_i = ch_f = ch_c = 0;
	amplia_y = 0;
	elog = 0;
	tiempo_vivo = 0;
	espejado = false;
	quita_fondo();
	factor_fondo = 1;
	picos.clear();
	conocidas.clear();
}

void vista_inicial()
{
	ch_i = 1;
	ch_f = nptL;
	// In 64 bits: the two ends of the largest spectrum add up beyond an int.
	ch_c = static_cast<int>((static_cast<long long>(ch_f) + ch_i) / 2);
	amplia_y = 1;
}

bool confirma_carga(Lectura *l)
{
	std::free(Li);
	Li = l->Li;
	l->Li = nullptr;
	version_muestras++;
	nptL = l->nptL;
	maxL = l->maxL;
	tiempo_vivo = l->tiempo_vivo;
	std::memcpy(comment, l->comment, sizeof comment);
	al = l->al;
	bl = l->bl;
	espejado = false;
	picos.clear();
	conocidas.clear();
	vista_inicial();
	if (fondo.nptL != 0 && !factor_tecleado)
		factor_fondo = factor_de_tiempos(tiempo_vivo, fondo.tiempo_vivo);
	return fija_calibracion(calibracion());
}

size_t anota_pico(std::vector<MedidaPico> &lista, const MedidaPico &m, const std::vector<size_t> &aparte)
{
	for (size_t i = 0; i < lista.size(); i++) {
		if (std::find(aparte.begin(), aparte.end(), i) != aparte.end())
			continue;
		double cerca = std::max({fwhm_de(lista[i]) / 2, fwhm_de(m) / 2, 1.0});
		if (std::fabs(posicion(lista[i]) - posicion(m)) <= cerca) {
			lista[i] = m;
			return i;
		}
	}
	lista.push_back(m);
	return lista.size() - 1;
}

MedidaAnotada mide_y_anota(int c)
{
	static int ultimo_grupo = 0;
	MedidaAnotada r{mide_visto(c), {}};
	int grupo = r.medida.lineas.size() > 1 ? ++ultimo_grupo : 0;
	for (MedidaPico &linea : r.medida.lineas) {
		linea.grupo = grupo;
		size_t i = anota_pico(picos, linea, r.lugares);
		if (!linea.ajustado)
			anota_conocida(i, false, 0); // no centroid, no calibration point
		r.lugares.push_back(i);
	}
	return r;
}
