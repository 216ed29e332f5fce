// The first rows of a file split as a reading splits them, for an import view
// to show before the file is read again: the same fields (parte_fila) and
// the same numbers (valor_de_campo) as the table's reader, so that what the
// view shows is what Enter would read.  Start at vista_de_tabla.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "columnas.h"
#include "fichero.h"
#include "lineas.h"

namespace {

// Digits enough to tell apart the numbers a user reads off a table.
constexpr const char *FORMATO_NUMERO = "%.10g";
constexpr size_t TAM_NUMERO = 32;

CeldaVista celda_de(const Linea &c, const FormaColumnas &f)
{
	CeldaVista celda;
	celda.texto.assign(c.ini, c.fin);
	float y;
	double x;
	celda.numero = valor_de_campo(c, f, &y, &x);
	if (celda.numero && !std::isnan(x)) {
		char numero[TAM_NUMERO];
		std::snprintf(numero, sizeof numero, FORMATO_NUMERO, x);
		celda.texto = numero;
	}
	return celda;
}

std::vector<Linea> campos_de(const char *ini, const char *fin, const FormaColumnas &f)
{
	Linea c[MAX_COLUMNAS + 1];
	int todas = 0;
	int n = parte_fila(ini, fin, f.lista ? BLANCO : f.separador, c, MAX_COLUMNAS, &todas);
	n = std::min(std::max(n, todas), MAX_COLUMNAS);
	return std::vector<Linea>(c, c + n);
}

} // namespace

VistaTabla vista_de_tabla(const char *texto, const FormaLectura &forma, int max_filas)
{
	VistaTabla v;
	FormaColumnas f = forma_de(forma);
	int cabecera = f.cabecera;
	for (const char *p = texto ? texto : ""; *p && static_cast<int>(v.filas.size()) < max_filas;) {
		const char *fin = std::strchr(p, '\n');
		if (!fin)
			fin = p + std::strlen(p);
		const char *ini = p, *corte = fin;
		p = *fin ? fin + 1 : fin;
		recorta(&ini, &corte);
		if (sin_fila(ini, corte))
			continue;
		std::vector<Linea> campos = campos_de(ini, corte, f);
		if (cabecera > 0) { // the header's last line names the columns
			cabecera--;
			v.nombres.clear();
			for (const Linea &c : campos)
				v.nombres.emplace_back(c.ini, c.fin);
			continue;
		}
		std::vector<CeldaVista> fila;
		for (const Linea &c : campos)
			fila.push_back(celda_de(c, f));
		v.filas.push_back(fila);
	}
	return v;
}
