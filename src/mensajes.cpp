// See mensajes.h.  Start at acorta_ruta.
#include "mensajes.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "textos.h"

namespace {

constexpr const char *PUNTOS = "...";
constexpr size_t LARGO_LINEA_VISTA = 100; // characters of a file's line the import view shows

// Where each UTF-8 character of s starts, and s.size() at the end.
std::vector<size_t> inicios_de_caracter(const std::string &s)
{
	constexpr unsigned char MASCARA_CONTINUACION = 0xC0, CONTINUACION = 0x80;
	std::vector<size_t> inicios;
	for (size_t i = 0; i < s.size(); i++)
		if ((static_cast<unsigned char>(s[i]) & MASCARA_CONTINUACION) != CONTINUACION)
			inicios.push_back(i);
	inicios.push_back(s.size());
	return inicios;
}

// The path kept to its first `cabeza` and last `cola` characters.
std::string sin_el_medio(const std::string &ruta, const std::vector<size_t> &inicios, size_t cabeza,
                         size_t cola)
{
	size_t n = inicios.size() - 1;
	return ruta.substr(0, inicios[cabeza]) + PUNTOS + ruta.substr(inicios[n - cola]);
}

// Bytes of the UTF-8 character that starts at s[i], or 0 when none does
// there (overlong three- and four-byte forms are let through).
size_t largo_utf8(const std::string &s, size_t i)
{
	unsigned char c = static_cast<unsigned char>(s[i]);
	size_t n = c < 0x80 ? 1 : c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
	if (n == 0 || i + n > s.size())
		return 0;
	for (size_t k = 1; k < n; k++)
		if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
			return 0;
	return n;
}

// s with '?' for each byte that starts no UTF-8 character: X takes a title
// as UTF-8, and a file's name need not be.
std::string como_utf8(const std::string &s)
{
	std::string r;
	for (size_t i = 0; i < s.size();) {
		size_t n = largo_utf8(s, i);
		r += n == 0 ? std::string("?") : s.substr(i, n);
		i += n == 0 ? 1 : n;
	}
	return r;
}

// The longest head of `palabra` (whole characters, at least one) that fits.
size_t cabeza_que_cabe(const std::string &palabra, int ancho, const AnchoDeTexto &ancho_de)
{
	std::vector<size_t> inicios = inicios_de_caracter(palabra);
	size_t k = 1;
	while (k + 1 < inicios.size() && ancho_de(palabra.substr(0, inicios[k + 1])) <= ancho)
		k++;
	return inicios[std::min(k, inicios.size() - 1)];
}

// One line of no line breaks, broken between words, or inside a word wider
// than the box by itself.
void parte_renglon(std::string resto, int ancho, const AnchoDeTexto &ancho_de, std::vector<std::string> *r)
{
	while (ancho_de(resto) > ancho) {
		size_t corte = resto.size();
		while (corte != std::string::npos && corte > 0 && ancho_de(resto.substr(0, corte)) > ancho)
			corte = resto.rfind(' ', corte - 1);
		if (corte == std::string::npos || corte == 0) {
			size_t n = cabeza_que_cabe(resto, ancho, ancho_de);
			r->push_back(resto.substr(0, n));
			resto = resto.substr(n);
			continue;
		}
		r->push_back(resto.substr(0, corte));
		resto = resto.substr(corte + 1);
	}
	r->push_back(resto);
}

// The text with each '%' doubled, as a dialog's format shows it.
std::string con_por_ciento(const std::string &s)
{
	std::string r;
	for (char c : s)
		r += c == '%' ? std::string("%%") : std::string(1, c);
	return r;
}

// The lines of a text, without their line ends.
std::vector<std::string> parte(const char *texto)
{
	std::vector<std::string> r;
	std::string s = texto;
	size_t desde = 0;
	while (desde < s.size()) {
		size_t fin = s.find('\n', desde);
		r.push_back(s.substr(desde, fin == std::string::npos ? std::string::npos : fin - desde));
		if (!r.back().empty() && r.back().back() == '\r') // a CRLF line end
			r.back().pop_back();
		desde = fin == std::string::npos ? s.size() : fin + 1;
	}
	return r;
}

// Bytes of s's first n characters (whole UTF-8 characters).  A character
// that the end of s cuts short (the file's text is read up to a byte count)
// is left out with what follows.
size_t inicio_de_corte(const std::string &s, size_t n)
{
	std::vector<size_t> inicios = inicios_de_caracter(s);
	size_t k = std::min(n, inicios.size() - 1);
	bool cortado = k == inicios.size() - 1 && k > 0 && largo_utf8(s, inicios[k - 1]) == 0 &&
	               static_cast<unsigned char>(s[inicios[k - 1]]) >= 0xC2;
	return inicios[cortado ? k - 1 : k];
}

// printf's text of the format and its arguments, however long it comes out:
// a fixed buffer would cut a file's name, inside a character too.
template <class... Datos> std::string con_formato(const char *formato, Datos... datos)
{
	int n = std::snprintf(nullptr, 0, formato, datos...);
	if (n < 0)
		return std::string();
	std::string t(static_cast<size_t>(n) + 1, '\0');
	std::snprintf(t.data(), t.size(), formato, datos...);
	t.pop_back();
	return t;
}

// A reading of a file in words: a list of numbers, or a table with its
// separator, marks, header lines and columns (counted from 1).
std::string texto_de_forma(const FormaLectura &f)
{
	if (f.lista)
		return "lista de números, fila tras fila";
	auto marca = [](char c) { return c == ',' ? "coma" : c == '.' ? "punto" : "no"; };
	const char *sep = f.separador == ';'    ? "punto y coma"
	                  : f.separador == '\t' ? "tabulador"
	                  : f.separador == ','  ? "coma"
	                                        : "espacios";
	std::string x = f.columna_x < 0 ? "canales" : "col. " + std::to_string(f.columna_x + 1);
	return con_formato("tabla (%s, decimal %s, miles %s, %d cab.): x %s, intensidad col. %d", sep,
	                   marca(f.decimal), marca(f.miles), f.cabecera, x.c_str(), f.columna_y + 1);
}

} // namespace

std::vector<std::string> parte_linea(const std::string &linea, int ancho, const AnchoDeTexto &ancho_de)
{
	std::vector<std::string> r;
	size_t desde = 0;
	for (;;) {
		size_t salto = linea.find('\n', desde);
		std::string renglon = linea.substr(desde, salto == std::string::npos ? salto : salto - desde);
		if (!renglon.empty() || salto != std::string::npos)
			parte_renglon(renglon, ancho, ancho_de, &r);
		if (salto == std::string::npos || salto + 1 == linea.size())
			return r;
		desde = salto + 1;
	}
}

std::vector<std::string> renglones_de(const std::string &linea, const std::string &ruta, int ancho,
                                      const AnchoDeTexto &ancho_de)
{
	std::string corta = acorta_ruta(linea, ruta, ancho, ancho_de);
	return parte_linea(ancho_de(corta) <= ancho ? corta : linea, ancho, ancho_de);
}

std::string acorta_ruta(const std::string &linea, const std::string &ruta, int ancho,
                        const AnchoDeTexto &ancho_de)
{
	size_t donde = ruta.empty() ? std::string::npos : linea.find(ruta);
	if (donde == std::string::npos || ancho_de(linea) <= ancho)
		return linea;
	std::string antes = linea.substr(0, donde), despues = linea.substr(donde + ruta.size());
	std::vector<size_t> inicios = inicios_de_caracter(ruta);
	// Fewer characters kept each time, the end of the path (its file name)
	// keeping the odd one.
	for (size_t quedan = inicios.size() - 2; quedan > 0; quedan--) {
		std::string corta =
		    antes + sin_el_medio(ruta, inicios, quedan / 2, quedan - quedan / 2) + despues;
		if (ancho_de(corta) <= ancho)
			return corta;
	}
	return antes + PUNTOS + despues;
}

Pregunta pregunta_de_reemplazo(const std::string &nombre, bool ajeno, const char *que)
{
	std::string estado = ajeno ? " no está en el formato de Orquilo." : " ya existe.";
	return {"El fichero " + nombre + estado, std::string("¿Reemplazarlo con ") + que + "?"};
}

namespace {

// Columns and characters of a cell the preview shows at most.
constexpr size_t COLUMNAS_VISTA = 16;
constexpr size_t ANCHO_CELDA = 24;
constexpr size_t HUECO_CELDAS = 2;

size_t caracteres(const std::string &s)
{
	return inicios_de_caracter(s).size() - 1;
}

std::string celda(const std::string &s, size_t ancho)
{
	std::string r = s.substr(0, inicio_de_corte(s, ANCHO_CELDA));
	return r + std::string(ancho - std::min(ancho, caracteres(r)), ' ');
}

std::vector<std::string> cabezas_de(const VistaTabla &v, const FormaLectura &f, size_t n)
{
	std::vector<std::string> cabezas;
	for (size_t j = 0; j < n; j++) {
		std::string c = con_formato(IMPORTA_COLUMNA, static_cast<int>(j) + 1);
		if (j < v.nombres.size() && !v.nombres[j].empty())
			c += " " + v.nombres[j];
		if (!f.lista && static_cast<int>(j) == f.columna_x)
			c += IMPORTA_MARCA_X;
		if (!f.lista && static_cast<int>(j) == f.columna_y)
			c += IMPORTA_MARCA_Y;
		cabezas.push_back(c);
	}
	return cabezas;
}

// Every row's cells as shown, the heads first.
std::vector<std::vector<std::string>> celdas_de(const VistaTabla &v, const FormaLectura &f)
{
	size_t n = v.nombres.size();
	if (!f.lista)
		n = std::max({n, static_cast<size_t>(std::max(f.columna_x, f.columna_y) + 1)});
	for (const auto &fila : v.filas)
		n = std::max(n, fila.size());
	n = std::min(n, COLUMNAS_VISTA);
	std::vector<std::vector<std::string>> celdas{cabezas_de(v, f, n)};
	for (const auto &fila : v.filas) {
		celdas.emplace_back();
		for (size_t j = 0; j < fila.size() && j < n; j++)
			celdas.back().push_back(fila[j].texto + (fila[j].numero ? "" : IMPORTA_NO_NUMERO));
	}
	return celdas;
}

} // namespace

std::string texto_vista_previa(const VistaTabla &v, const FormaLectura &forma)
{
	std::vector<std::vector<std::string>> celdas = celdas_de(v, forma);
	std::vector<size_t> anchos(celdas[0].size(), 0);
	for (const auto &fila : celdas)
		for (size_t j = 0; j < fila.size(); j++)
			anchos[j] =
			    std::max(anchos[j], std::min(caracteres(fila[j]), ANCHO_CELDA) + HUECO_CELDAS);
	std::string t = std::string(forma.lista ? IMPORTA_VISTA_LISTA : IMPORTA_VISTA_TABLA) + "\n";
	for (size_t k = 0; k < 1 + FILAS_VISTA_PREVIA; k++) {
		std::string linea = " "; // never empty: a blank line keeps its place
		if (k < celdas.size())
			for (size_t j = 0; j < celdas[k].size(); j++)
				linea += celda(celdas[k][j], anchos[j]);
		t += linea + "\n";
	}
	return t;
}

std::string formato_importa(const std::string &ruta, const char *lineas,
                            const std::vector<FormaLectura> &formas, const std::string &motivo,
                            const std::string &vista)
{
	size_t barra = ruta.rfind('/');
	std::string nombre = ruta.substr(barra == std::string::npos ? 0 : barra + 1);
	std::string t = con_por_ciento(con_formato(IMPORTA_PRIMERAS, nombre.c_str())) + "\n";
	for (const std::string &l : parte(lineas))
		t += con_por_ciento(l.substr(0, inicio_de_corte(l, LARGO_LINEA_VISTA))) + "\n";
	t += "%nothing[]%line[]";
	if (!motivo.empty())
		t += con_por_ciento(motivo) + ".\n" + IMPORTA_SIN_LEER + "\n%nothing[]";
	else if (formas.empty())
		t += std::string(IMPORTA_POR_SU_FORMATO) + "\n%nothing[]";
	if (formas.size() > 1) {
		t += con_formato(IMPORTA_MANERAS, formas.size()) + "\n";
		for (size_t k = 0; k < formas.size(); k++)
			t += con_por_ciento(
			         con_formato(IMPORTA_MANERA, k + 1, texto_de_forma(formas[k]).c_str())) +
			     (k == 0 ? IMPORTA_ELEGIDA : "") + "\n";
		t += "%nothing[]" + con_formato(IMPORTA_CAMPO_LECTURA, formas.size());
	}
	t += IMPORTA_CAMPOS;
	return vista.empty() ? t : t + "%line[]" + con_por_ciento(vista) + "%nothing[]";
}

std::string titulo_de_ventana(const std::string &ruta)
{
	size_t barra = ruta.rfind('/');
	return TITULO_VENTANA_CARGADO + como_utf8(ruta.substr(barra == std::string::npos ? 0 : barra + 1));
}
