#include "formatos.h"
int lee_n42(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
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
int formato_instrumento(const char *, const char *, const char *, size_t)
{
	return -1;
}
