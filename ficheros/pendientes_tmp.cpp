#include "formatos.h"
int lee_jcamp(Lineas &, size_t, Lectura *)
{
	return FICHERO_SIN_MUESTRAS;
}
