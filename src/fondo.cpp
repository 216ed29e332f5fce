// The background under the spectrum: its dialog, its factor, its counts on the
// spectrum's channels and the net samples.  What is drawn is the plot's; this
// module keeps the state it draws from up to date.  Start at comando_fondo.
#include "fondo.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "adime.h"
#include "analisis.h"
#include "carga_guarda.h"
#include "estado.h"
#include "pinta.h"
#include "textos.h"

namespace {

constexpr int RESULTADO_OK = 1;

void olvida_canales()
{
	std::vector<float>().swap(fondo_canal);
	std::vector<float>().swap(Neto);
}

void quita_fondo()
{
	libera_lectura(&fondo);
	fichero_fondo[0] = '\0';
	olvida_canales();
	vista_neta = 0;
	factor_tecleado = false;
}

// The net samples of the view, and their top (never below 0, as maxL).
void rehace_neto()
{
	std::vector<float>().swap(Neto);
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

// The file at ruta becomes the background; false (and a message) when it
// cannot be read, the old background staying.
bool lee_fondo(const char *ruta)
{
	Lectura l;
	int error = lee_espectro(ruta, &l);
	if (error != FICHERO_BIEN) {
		avisa(mensaje_error_fichero(error, ruta), nullptr);
		return false;
	}
	libera_lectura(&fondo);
	fondo = l;
	std::snprintf(fichero_fondo, sizeof fichero_fondo, "%s", ruta);
	return true;
}

// Takes the dialog's answer: a factor changed in the dialog is the user's,
// any other follows the live times of whichever background is now chosen.
void adopta_respuesta(const char *nombre, float factor, float factor_mostrado)
{
	if (nombre[0] == '\0') {
		quita_fondo();
		return;
	}
	if (!lee_fondo(nombre))
		return;
	if (factor != factor_mostrado) {
		factor_fondo = factor;
		factor_tecleado = true;
	}
	actualiza_fondo(!factor_tecleado);
}

void redibuja()
{
	pide_redibujo();
	pinta_L();
	escribe_titulo();
}

} // namespace

void comando_fondo()
{
	char nombre[TAM_NOMBRE];
	std::snprintf(nombre, sizeof nombre, "%s", fichero_fondo);
	float factor = factor_fondo;
	if (adime_dialogf(DIALOGO_FONDO.titulo, DIALOGO_FONDO.x, DIALOGO_FONDO.y, DIALOGO_FONDO.ancho_campo,
	                  DIALOGO_FONDO.formato, nombre, &factor) != RESULTADO_OK)
		return;
	adopta_respuesta(nombre, factor, factor_fondo);
	redibuja();
}

void conmuta_neto()
{
	if (fondo.nptL == 0 || nptL == 0)
		return;
	vista_neta = 1 - vista_neta;
	try {
		rehace_neto();
	} catch (const std::bad_alloc &) {
		vista_neta = 0;
		avisa(mensaje_error_fichero(FICHERO_SIN_MEMORIA, fichero_fondo), nullptr);
	}
	redibuja();
}

void actualiza_fondo(bool nuevo_espectro)
{
	olvida_canales();
	if (fondo.nptL == 0 || nptL == 0)
		return;
	if (nuevo_espectro && !factor_tecleado)
		factor_fondo = factor_de_tiempos(tiempo_vivo, fondo.tiempo_vivo);
	try {
		fondo_canal = proyecta_fondo(fondo.Li, fondo.nptL, {fondo.al, fondo.bl}, nptL, {al, bl});
		rehace_neto();
	} catch (const std::bad_alloc &) {
		avisa(mensaje_error_fichero(FICHERO_SIN_MEMORIA, fichero_fondo), nullptr);
		quita_fondo();
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

MedidaPico mide_visto(int c)
{
	if (!vista_neta || Neto.empty())
		return mide_pico(Li, nptL, c);
	FondoRestado restado{fondo_canal.data(), factor_fondo};
	return mide_pico(Neto.data(), nptL, c, &restado);
}

bool linea_de_fondo(char *texto, int n)
{
	if (fondo.nptL == 0)
		return false;
	std::snprintf(texto, static_cast<size_t>(n), "Fondo %s x %.6g%s", fondo.comment,
	              static_cast<double>(factor_fondo), vista_neta ? " (restado)" : "");
	return true;
}

float factor_de_tiempos(double vivo_espectro, double vivo_fondo)
{
	if (!(vivo_espectro > 0) || !(vivo_fondo > 0))
		return 1;
	return static_cast<float>(vivo_espectro / vivo_fondo);
}
