// The spectrum's state record declared in canales.h and its reset,
// committing a load, the view of a whole spectrum and the
// measured peaks.  Start at confirma_carga.
#include "canales.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

Sesion sesion;
unsigned version_muestras;

void reinicia_espectro()
{
	libera_espectro(&sesion.espectro);
	libera_espectro(&sesion.fondo);
	sesion = Sesion();
	version_muestras++;
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
	libera_espectro(&sesion.espectro);
	sesion.espectro = *l;
	l->Li = nullptr;
	version_muestras++;
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
