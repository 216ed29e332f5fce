// Files that are not text: told by their first bytes (gzip, zip, FITS,
// Canberra CNF, ORTEC .chn, or NUL bytes where text has none) before any
// text reader sees them.  An ORTEC .chn is read (header, counts as 32-bit
// integers, trailer with the energy calibration); every other kind is
// refused with a code that names it.  Start at clase_binaria.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "formatos.h"

namespace {

constexpr unsigned char FIRMA_GZIP[] = {0x1F, 0x8B};
constexpr const char *FIRMAS_ZIP[] = {"PK\x03\x04", "PK\x05\x06", "PK\x07\x08"};
constexpr size_t LARGO_FIRMA_ZIP = 4;
constexpr char FIRMA_FITS[] = "SIMPLE  =";
constexpr char FIRMA_CNF[] = "Associated"; // the CAM file header's text at its offset
constexpr size_t SITIO_FIRMA_CNF = 0x1E;
constexpr int NULOS_DE_BINARIO = 4; // a stray NUL in a title is text; several are not

// The ORTEC .chn layout: little-endian, a 32-byte header, the counts, a trailer.
constexpr int16_t TIPO_CHN = -1;
constexpr size_t CHN_TIEMPO_VIVO = 12; // in ticks of 20 ms
constexpr double TICS_POR_SEGUNDO = 50;
constexpr size_t CHN_PRIMER_CANAL = 28, CHN_CANALES = 30;
constexpr size_t CHN_CABECERA = 32;
constexpr size_t BYTES_CUENTA = 4;
constexpr int16_t TRAILER_CHN[] = {-101, -102};
constexpr size_t TRAILER_ENERGIA = 4; // three floats: offset, slope, quadratic term
constexpr int TERMINOS_CHN = 3;
constexpr size_t TRAILER_MUESTRA = 0x140; // the sample's description: its length, then its text
constexpr size_t LARGO_MUESTRA = 63;
constexpr size_t TRAILER_MINIMO = 512; // the whole trailer

uint16_t u16(const unsigned char *p)
{
	return uint16_t(p[0] | p[1] << 8);
}

uint32_t u32(const unsigned char *p)
{
	return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float f32(const unsigned char *p)
{
	uint32_t b = u32(p);
	float x;
	std::memcpy(&x, &b, sizeof x);
	return x;
}

bool empieza(const unsigned char *p, size_t n, const void *firma, size_t largo, size_t desde = 0)
{
	return n >= desde + largo && std::memcmp(p + desde, firma, largo) == 0;
}

bool es_zip(const unsigned char *p, size_t n)
{
	for (const char *firma : FIRMAS_ZIP)
		if (empieza(p, n, firma, LARGO_FIRMA_ZIP))
			return true;
	return false;
}

bool es_chn(const unsigned char *p, size_t n)
{
	return n >= CHN_CABECERA && int16_t(u16(p)) == TIPO_CHN;
}

int nulos(const unsigned char *p, size_t n)
{
	int cuantos = 0;
	for (size_t i = 0; i < n && cuantos < NULOS_DE_BINARIO; i++)
		cuantos += p[i] == 0;
	return cuantos;
}

// The counts of a .chn, where the header says, as samples.
int cuentas_chn(const unsigned char *p, size_t canales, Acumulador &a)
{
	if (!prepara(a, canales, canales))
		return FICHERO_SIN_MEMORIA;
	for (size_t i = 0; i < canales; i++)
		guarda(a, float(u32(p + CHN_CABECERA + i * BYTES_CUENTA)));
	return FICHERO_BIEN;
}

// The trailer: the energy calibration and the sample's description as title.
void trailer_chn(const unsigned char *t, double primero, int canales, Lectura &l)
{
	double terminos[TERMINOS_CHN];
	for (int k = 0; k < TERMINOS_CHN; k++)
		terminos[k] = f32(t + TRAILER_ENERGIA + size_t(k) * sizeof(float));
	calibra_polinomio(l, terminos, TERMINOS_CHN, primero, canales);
	size_t largo = t[TRAILER_MUESTRA];
	const char *texto = reinterpret_cast<const char *>(t + TRAILER_MUESTRA + 1);
	if (largo > 0)
		pon_titulo(l, texto, texto + (largo < LARGO_MUESTRA ? largo : LARGO_MUESTRA));
}

bool es_trailer_chn(const unsigned char *t, size_t resto)
{
	if (resto < TRAILER_MINIMO)
		return false;
	int16_t tipo = int16_t(u16(t));
	return tipo == TRAILER_CHN[0] || tipo == TRAILER_CHN[1];
}

// FITS cards each on a line of its own: a text dump of a header (IRAF's
// wspectext writes one over its table), not a FITS file, whose cards run on.
bool tarjetas_en_lineas(const char *datos, size_t n)
{
	constexpr size_t LARGO_TARJETA = 80;
	return std::memchr(datos, '\n', std::min(n, LARGO_TARJETA + 2)) != nullptr;
}

} // namespace

int clase_binaria(const char *datos, size_t n)
{
	auto p = reinterpret_cast<const unsigned char *>(datos);
	if (empieza(p, n, FIRMA_GZIP, sizeof FIRMA_GZIP))
		return BINARIO_GZIP;
	if (es_zip(p, n))
		return BINARIO_ZIP;
	if (empieza(p, n, FIRMA_FITS, sizeof FIRMA_FITS - 1) && !tarjetas_en_lineas(datos, n))
		return BINARIO_FITS;
	if (empieza(p, n, FIRMA_CNF, sizeof FIRMA_CNF - 1, SITIO_FIRMA_CNF))
		return BINARIO_CNF;
	if (es_chn(p, n))
		return BINARIO_CHN;
	return nulos(p, n) >= NULOS_DE_BINARIO ? BINARIO_OTRO : NO_BINARIO;
}

size_t bytes_de_binario(int clase, const char *cabecera, size_t n, size_t tamano)
{
	if (clase != BINARIO_CHN || n < CHN_CABECERA)
		return 0;
	size_t canales = u16(reinterpret_cast<const unsigned char *>(cabecera) + CHN_CANALES);
	size_t todo = CHN_CABECERA + canales * BYTES_CUENTA + TRAILER_MINIMO;
	return todo < tamano ? todo : tamano;
}

int lee_binario(int clase, const char *datos, size_t n, Lectura *l)
{
	*l = Lectura();
	switch (clase) {
	case BINARIO_GZIP:
		return FICHERO_GZIP;
	case BINARIO_ZIP:
		return FICHERO_ZIP;
	case BINARIO_FITS:
		return FICHERO_FITS;
	case BINARIO_CNF:
		return FICHERO_CNF;
	case BINARIO_CHN:
		return lee_chn(reinterpret_cast<const unsigned char *>(datos), n, l);
	default:
		return FICHERO_BINARIO;
	}
}

int lee_chn(const unsigned char *p, size_t n, Lectura *l)
{
	size_t canales = n >= CHN_CABECERA ? u16(p + CHN_CANALES) : 0;
	size_t fin_cuentas = CHN_CABECERA + canales * BYTES_CUENTA;
	if (canales == 0 || n < fin_cuentas || !es_trailer_chn(p + fin_cuentas, n - fin_cuentas))
		return FICHERO_CHN_DANADO;
	Acumulador a;
	int r = cuentas_chn(p, canales, a);
	if (r != FICHERO_BIEN)
		return entrega_acumulado(a, r, l);
	double primero = u16(p + CHN_PRIMER_CANAL);
	trailer_chn(p + fin_cuentas, primero, int(canales), *l);
	l->tiempo_vivo = u32(p + CHN_TIEMPO_VIVO) / TICS_POR_SEGUNDO;
	l->formato = FORMATO_CHN;
	return entrega_acumulado(a, FICHERO_BIEN, l);
}
