// The background under the spectrum: the file chosen, its counts on the
// spectrum's channels (by wavelength when both are calibrated, else by
// channel number, turned with the spectrum), its factor and the net view.
// Start at pon_fondo, then reproyecta_fondo.
#include <cmath>
#include <cstdio>
#include <new>

#include "canales.h"

namespace {

void olvida_canales()
{
	std::vector<float>().swap(fondo_canal);
	std::vector<float>().swap(Neto);
	version_muestras++;
}

// The net samples of the view, and their top (never below 0, as maxL).
void rehace_neto()
{
	std::vector<float>().swap(Neto);
	version_muestras++;
	if (!vista_neta || fondo_canal.empty())
		return;
	Neto.resize(static_cast<size_t>(nptL) + 1);
	maxNeto = 0;
	for (int c = 1; c <= nptL; c++) {
		float f = fondo_canal[c];
		double neto = static_cast<double>(Li[c]) - (std::isnan(f) ? 0.0 : double(factor_fondo) * f);
		Neto[c] = static_cast<float>(neto);
		if (std::isfinite(Neto[c]) && Neto[c] > maxNeto)
			maxNeto = Neto[c];
	}
}

// The background's samples go; its path stays, for the message that says so.
void suelta_fondo()
{
	libera_espectro(&fondo);
	olvida_canales();
	vista_neta = 0;
	factor_tecleado = false;
}

} // namespace

void quita_fondo()
{
	suelta_fondo();
	fichero_fondo[0] = '\0';
}

bool reproyecta_fondo()
{
	olvida_canales();
	if (fondo.nptL == 0 || nptL == 0)
		return true;
	try {
		fondo_canal =
		    proyecta_fondo(fondo.Li, fondo.nptL, fondo.cal, nptL, sesion.espectro.cal, espejado);
		rehace_neto();
		return true;
	} catch (const std::bad_alloc &) {
		suelta_fondo();
		return false;
	}
}

bool pon_fondo(Lectura *l, const char *ruta, float factor, bool tecleado)
{
	libera_espectro(&fondo);
	fondo = *l;
	l->Li = nullptr;
	libera_lectura(l);
	std::snprintf(fichero_fondo, sizeof fichero_fondo, "%s", ruta);
	factor_tecleado = tecleado;
	factor_fondo = tecleado ? factor : factor_de_tiempos(tiempo_vivo, fondo.tiempo_vivo);
	return reproyecta_fondo();
}

bool conmuta_neto()
{
	if (fondo.nptL == 0 || nptL == 0)
		return true;
	vista_neta = 1 - vista_neta;
	try {
		rehace_neto();
		return true;
	} catch (const std::bad_alloc &) {
		vista_neta = 0;
		std::vector<float>().swap(Neto);
		return false;
	}
}

const float *muestras_vistas()
{
	return vista_neta && !Neto.empty() ? Neto.data() : Li;
}

float maximo_visto()
{
	return vista_neta && !Neto.empty() ? maxNeto : maxL;
}

const FondoRestado *fondo_restado()
{
	static FondoRestado restado;
	if (!vista_neta || Neto.empty())
		return nullptr;
	restado = {fondo_canal.data(), factor_fondo};
	return &restado;
}

MedidaMultiplete mide_visto(int c)
{
	return mide_multiplete(muestras_vistas(), nptL, c, fondo_restado());
}

float factor_de_tiempos(double vivo_espectro, double vivo_fondo)
{
	if (!(vivo_espectro > 0) || !(vivo_fondo > 0))
		return 1;
	return static_cast<float>(vivo_espectro / vivo_fondo);
}
