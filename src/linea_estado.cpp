// The status line, drawn on the screen between the command menu and the
// info lines, outside the saved picture.  See linea_estado.h.
#include "linea_estado.h"

#include <cstdio>
#include <cstdlib>

#include "avisos.h"
#include "disposicion.h"
#include "estado.h"
#include "textos.h"

namespace {

constexpr const char *ANUNCIOS = "ORQUILO_ANUNCIOS";

std::string aviso;

// The notice as long as the line takes, in whole characters, with the hint
// at its end when cut.
std::string recortado(const std::string &texto, int ancho)
{
	if (text_length(font, texto.c_str()) <= ancho)
		return texto;
	int sitio = ancho - text_length(font, ESTADO_CORTADO);
	std::string s;
	for (size_t i = 0; i < texto.size();) {
		size_t n = 1;
		while (i + n < texto.size() && (static_cast<unsigned char>(texto[i + n]) & 0xC0) == 0x80)
			n++;
		if (text_length(font, (s + texto.substr(i, n)).c_str()) > sitio)
			break;
		s += texto.substr(i, n);
		i += n;
	}
	return s + ESTADO_CORTADO;
}

void dibuja()
{
	if (!screen)
		return;
	int ancho = pwx - X_ESTADO;
	rectfill(screen, X_ESTADO, Y_ESTADO, pwx - 1, Y_ESTADO + text_height(font) - 1, BLUE);
	if (!aviso.empty())
		textout_ex(screen, font, recortado(aviso, ancho).c_str(), X_ESTADO, Y_ESTADO, BLACK, BLUE);
}

// For tests, which cannot read every accent off the screen: the whole notice.
void anuncia()
{
	if (std::getenv(ANUNCIOS)) {
		std::printf("estado: %s\n", aviso.c_str());
		std::fflush(stdout);
	}
}

} // namespace

void pon_estado(const std::string &texto)
{
	aviso = texto;
	dibuja();
	anuncia();
}

void borra_estado()
{
	if (aviso.empty())
		return;
	aviso.clear();
	dibuja();
}

const std::string &texto_estado()
{
	return aviso;
}

void muestra_estado_entero()
{
	if (!aviso.empty())
		avisa(aviso.c_str());
}
