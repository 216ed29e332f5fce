#include "formatos.h"
#include <cstring>
int lee_jcamp(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
int lee_iec(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
int lee_emsa(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
int lee_tka(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
int formato_instrumento(const char *ini, const char *fin, const char *p, size_t n)
{
	return ini < fin && *ini == '<' && memmem(p, n, "ChannelData", 11) ? FORMATO_N42 : -1;
}
