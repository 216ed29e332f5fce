// Dialog geometry; see adime_disposicion.h.  Rows are first laid out from the
// window's own corner, then the whole is moved onto the screen.
#include "adime_disposicion.h"

#include <algorithm>
#include <limits>

namespace adime {

const char *const TEXTO_OK = "&OK";
const char *const TEXTO_CANCELAR = "&Cancel";
const char *const TEXTO_EXAMINAR = "...";

namespace {

class Disponedor {
public:
	Disponedor(const std::vector<Campo> &campos, const Peticion &p) : campos_(campos), p_(p) {}

	Disposicion dispone()
	{
		columna_ = ancho_columna_etiquetas();
		ancho_interior_ = ancho_interior();
		d_.con_ok_cancelar = p_.ok_cancelar;
		int y = BORDE + ALTO_BARRA + MARGEN;
		for (size_t i = 0; i < campos_.size(); i++) {
			if (i > 0)
				y += SEPARACION_FILAS;
			y = pon_fila(campos_[i], y);
		}
		if (p_.ok_cancelar)
			y += SEPARACION_OK + ALTO_BOTON;
		d_.ventana = Rect{0, 0, ancho_interior_ + 2 * (MARGEN + BORDE), y + MARGEN + BORDE};
		d_.barra = Rect{BORDE, BORDE, d_.ventana.w - 2 * BORDE, ALTO_BARRA};
		mueve_a_la_pantalla();
		if (p_.ok_cancelar)
			pon_ok_cancelar(y - ALTO_BOTON);
		return d_;
	}

private:
	const std::vector<Campo> &campos_;
	const Peticion &p_;
	Disposicion d_;
	int columna_ = 0, ancho_interior_ = 0;

	int mide(const std::string &s) const { return p_.ancho_texto(s); }

	int ancho_lineas(const std::string &texto) const
	{
		int ancho = 0;
		for (const auto &l : lineas_de(texto))
			ancho = std::max(ancho, mide(l));
		return ancho;
	}

	int ancho_columna_etiquetas() const
	{
		int ancho = 0;
		for (const auto &c : campos_)
			if (toma_argumento(c.tipo))
				ancho = std::max(ancho, ancho_lineas(c.etiqueta));
		return ancho;
	}

	int x_campo() const { return BORDE + MARGEN + columna_ + (columna_ > 0 ? SEPARACION_ETIQUETA : 0); }

	int ancho_minimo_boton(const Campo &c) const
	{
		int minimo = 0;
		for (const auto &b : c.botones)
			minimo = std::max(minimo, mide(sin_ampersand(b.texto)) + 2 * RELLENO_BOTON);
		return minimo;
	}

	// A choice shows its longest name whole, between its arrows.
	int ancho_eleccion(const Campo &c) const
	{
		int ancho = 0;
		for (const auto &n : c.nombres)
			ancho = std::max(ancho, mide(texto_de_eleccion(n)));
		return ancho + 2 * RELLENO_ELECCION;
	}

	// The field width, unless the widest label needs more for every button.
	int ancho_fila_botones(const Campo &c) const
	{
		int n = static_cast<int>(c.botones.size());
		int huecos = std::max(0, n - 1) * SEPARACION_BOTONES;
		return std::max(p_.ancho_campo, n * ancho_minimo_boton(c) + huecos);
	}

	int ancho_de_campo(const Campo &c) const
	{
		switch (c.tipo) {
		case TipoCampo::fila_botones:
			return ancho_fila_botones(c);
		case TipoCampo::casilla:
			return LADO_CASILLA;
		case TipoCampo::eleccion:
			return std::max(p_.ancho_campo, ancho_eleccion(c));
		case TipoCampo::fichero:
			return std::max(p_.ancho_campo,
			                ANCHO_MINIMO_EDICION + SEPARACION_BOTONES + ANCHO_EXAMINAR);
		default:
			return std::max(p_.ancho_campo, ANCHO_MINIMO_EDICION);
		}
	}

	int ancho_ok_cancelar() const { return 2 * ancho_boton_ok() + SEPARACION_BOTONES; }

	int ancho_boton_ok() const
	{
		int texto = std::max(mide(sin_ampersand(TEXTO_OK)), mide(sin_ampersand(TEXTO_CANCELAR)));
		return std::max(ANCHO_MINIMO_OK, texto + 2 * RELLENO_BOTON);
	}

	// What the window's inside may take: the screen's width.  A window that
	// needs it is moved left rather than have its text cut sooner.
	int ancho_disponible() const
	{
		return p_.ancho_pantalla > 0 ? p_.ancho_pantalla - 2 * (MARGEN + BORDE)
		                             : std::numeric_limits<int>::max();
	}

	// The text blocks take the width the other rows need, and more only as far
	// as the screen goes: their lines are cut when drawn.
	int ancho_interior() const
	{
		int otros = mide(p_.titulo) + 2 * MARGEN_TITULO - 2 * MARGEN, bloques = 0;
		if (p_.ok_cancelar)
			otros = std::max(otros, ancho_ok_cancelar());
		for (const auto &c : campos_) {
			if (toma_argumento(c.tipo))
				otros = std::max(otros, x_campo() - BORDE - MARGEN + ancho_de_campo(c));
			else
				bloques = std::max(bloques, ancho_lineas(c.etiqueta));
		}
		return std::max(otros, std::min(bloques, ancho_disponible()));
	}

	static int alto_de_campo(TipoCampo t)
	{
		switch (t) {
		case TipoCampo::fila_botones:
			return ALTO_BOTON;
		case TipoCampo::casilla:
			return LADO_CASILLA;
		default:
			return ALTO_EDICION;
		}
	}

	// Lays out one row from `y`; returns the row's bottom.
	int pon_fila(const Campo &c, int y)
	{
		FilaDispuesta f;
		int lineas = static_cast<int>(lineas_de(c.etiqueta).size());
		int izquierda = BORDE + MARGEN;
		if (!toma_argumento(c.tipo)) {
			f.bloque = true;
			f.etiqueta = Rect{izquierda, y, ancho_interior_, lineas * ALTO_LINEA};
			if (c.tipo == TipoCampo::linea)
				f.campo = Rect{izquierda, f.etiqueta.abajo(), ancho_interior_, ALTO_REGLA};
			else
				f.campo = Rect{izquierda, f.etiqueta.abajo(), ancho_interior_, 0};
			d_.filas.push_back(f);
			return f.campo.abajo();
		}
		int alto = alto_de_campo(c.tipo);
		int sangria = (alto - ALTO_TEXTO) / 2;
		f.etiqueta = Rect{izquierda, y + sangria, columna_, lineas * ALTO_LINEA};
		f.campo = Rect{x_campo(), y, ancho_de_campo(c), alto};
		if (c.tipo == TipoCampo::fichero) {
			f.campo.w -= ANCHO_EXAMINAR + SEPARACION_BOTONES;
			f.examinar = Rect{f.campo.derecha() + SEPARACION_BOTONES, y, ANCHO_EXAMINAR, alto};
		}
		if (c.tipo == TipoCampo::fila_botones)
			pon_botones(c, f);
		d_.filas.push_back(f);
		return std::max(f.campo.abajo(), f.etiqueta.abajo());
	}

	// The buttons share the row equally, the odd pixels going to the first ones.
	void pon_botones(const Campo &c, FilaDispuesta &f) const
	{
		int n = static_cast<int>(c.botones.size());
		int libre = f.campo.w - std::max(0, n - 1) * SEPARACION_BOTONES;
		int x = f.campo.x;
		for (int i = 0; i < n; i++) {
			int ancho = libre / n + (i < libre % n ? 1 : 0);
			f.botones.push_back(Rect{x, f.campo.y, ancho, ALTO_BOTON});
			x += ancho + SEPARACION_BOTONES;
		}
	}

	static int acota_posicion(int pos, int tamano, int pantalla)
	{
		return std::max(0, std::min(pos, pantalla - tamano));
	}

	static void desplaza(Rect &r, int dx, int dy)
	{
		r.x += dx;
		r.y += dy;
	}

	void mueve_a_la_pantalla()
	{
		int dx = acota_posicion(p_.x, d_.ventana.w, p_.ancho_pantalla);
		int dy = acota_posicion(p_.y, d_.ventana.h, p_.alto_pantalla);
		desplaza(d_.ventana, dx, dy);
		desplaza(d_.barra, dx, dy);
		for (auto &f : d_.filas) {
			desplaza(f.etiqueta, dx, dy);
			desplaza(f.campo, dx, dy);
			desplaza(f.examinar, dx, dy);
			for (auto &b : f.botones)
				desplaza(b, dx, dy);
		}
	}

	// Centred in the part of the window that the screen shows, and raised over
	// the last rows of a window taller than the screen, so that they stay in view.
	void pon_ok_cancelar(int y_relativo)
	{
		int izquierda = std::max(d_.ventana.x, 0) + BORDE + MARGEN;
		int derecha = std::min(d_.ventana.derecha(), p_.ancho_pantalla) - BORDE - MARGEN;
		int ancho = ancho_boton_ok();
		int x = std::max(izquierda, (izquierda + derecha - ancho_ok_cancelar()) / 2);
		int y = std::min(d_.ventana.y + y_relativo, p_.alto_pantalla - BORDE - MARGEN - ALTO_BOTON);
		d_.ok = Rect{x, y, ancho, ALTO_BOTON};
		d_.cancelar = Rect{x + ancho + SEPARACION_BOTONES, y, ancho, ALTO_BOTON};
	}
};

} // namespace

Disposicion dispone(const std::vector<Campo> &campos, const Peticion &p)
{
	Disposicion d = Disponedor(campos, p).dispone();
	int sobra = d.ventana.w - (p.ancho_pantalla - std::max(p.x, 0));
	if (sobra <= 0 || p.ancho_campo <= 0)
		return d;
	// Narrower fields first, so that the window can stay where it was asked.
	Peticion estrecha = p;
	estrecha.ancho_campo = std::max(std::min(p.ancho_campo, ANCHO_USABLE_CAMPO), p.ancho_campo - sobra);
	return Disponedor(campos, estrecha).dispone();
}

std::string recorta_linea(const std::string &linea, int ancho,
                          const std::function<int(const std::string &)> &mide)
{
	constexpr const char *MARCA = "...";
	if (mide(linea) <= ancho)
		return linea;
	auto continua = [&linea](size_t i) { return (static_cast<unsigned char>(linea[i]) & 0xC0) == 0x80; };
	std::string cabe;
	for (size_t fin = 1; fin <= linea.size(); fin++) {
		if (fin < linea.size() && continua(fin))
			continue; // inside a character
		std::string cabeza = linea.substr(0, fin) + MARCA;
		if (mide(cabeza) > ancho)
			break;
		cabe = cabeza;
	}
	return cabe.empty() && mide(MARCA) <= ancho ? MARCA : cabe;
}

std::string sin_ampersand(const std::string &texto)
{
	std::string r;
	for (size_t i = 0; i < texto.size(); i++) {
		if (texto[i] == '&' && i + 1 < texto.size())
			i++;
		else if (texto[i] == '&')
			continue;
		r += texto[i];
	}
	return r;
}

std::string texto_de_eleccion(const std::string &nombre)
{
	return "< " + nombre + " >";
}

} // namespace adime
