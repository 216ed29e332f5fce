// Drawing of the dialog's own object kinds; see adime_objetos.h.  Text is drawn
// with an explicit background so that the program's text mode is never touched.
#include "adime_objetos.h"

#include <string>
#include <vector>

#include "adime_disposicion.h"
#include "adime_formato.h"

namespace adime {

namespace {

struct Rgb {
	int r, g, b;
};

constexpr Rgb RGB_TEXTO{0, 0, 0};
constexpr Rgb RGB_FONDO{212, 208, 200};
constexpr Rgb RGB_MEDIO{128, 128, 128};
constexpr Rgb RGB_BARRA{10, 36, 106};
constexpr Rgb RGB_TEXTO_BARRA{255, 255, 255};
constexpr Rgb RGB_EDICION{255, 255, 255};
constexpr Rgb RGB_BORDE{64, 64, 64};
// Width of one character of the built-in font.
constexpr int ANCHO_CARACTER = 8;

int color(const Rgb &c)
{
	return makecol(c.r, c.g, c.b);
}

void dibuja_marco(const DIALOG *d)
{
	BITMAP *b = gui_get_screen();
	int x2 = d->x + d->w - 1, y2 = d->y + d->h - 1;
	rectfill(b, d->x, d->y, x2, y2, d->bg);
	rect(b, d->x, d->y, x2, y2, d->fg);
	int barra_y2 = d->y + BORDE + ALTO_BARRA - 1;
	rectfill(b, d->x + BORDE, d->y + BORDE, x2 - BORDE, barra_y2, d->d1);
	const char *titulo = static_cast<const char *>(d->dp);
	textout_ex(b, font, titulo ? titulo : "", d->x + BORDE + MARGEN_TITULO,
	           d->y + BORDE + (ALTO_BARRA - ALTO_TEXTO) / 2, d->d2, d->d1);
}

void dibuja_texto(const DIALOG *d)
{
	const auto *texto = static_cast<const std::string *>(d->dp);
	if (!texto)
		return;
	BITMAP *b = gui_get_screen();
	auto mide = [](const std::string &s) { return text_length(font, s.c_str()); };
	// A text changed while the dialog runs is drawn over the old one.
	rectfill(b, d->x, d->y, d->x + d->w - 1, d->y + d->h - 1, d->bg);
	int y = d->y;
	for (const auto &entera : lineas_de(*texto)) {
		if (y + ALTO_TEXTO > d->y + d->h)
			break;
		std::string linea = recorta_linea(entera, d->w, mide);
		if (d->d1)
			textout_right_ex(b, font, linea.c_str(), d->x + d->w, y, d->fg, d->bg);
		else
			textout_ex(b, font, linea.c_str(), d->x, y, d->fg, d->bg);
		y += ALTO_LINEA;
	}
}

void vacia(DIALOG *d, char *texto)
{
	texto[0] = '\0';
	d->d2 = 0;
	d->flags &= ~TEXTO_SELECCIONADO;
}

// A key that the box used (a cursor move) ends the selection.
int quita_seleccion_si_usa(DIALOG *d, int r)
{
	if ((r & D_USED_CHAR) && (d->flags & TEXTO_SELECCIONADO)) {
		d->flags &= ~TEXTO_SELECCIONADO;
		object_message(d, MSG_DRAW, 0);
	}
	return r;
}

// The selected text in the title bar's colours, its tail when it is longer
// than the box (where the box would show it with the cursor at the end).
void dibuja_seleccion(const DIALOG *d)
{
	const char *texto = static_cast<const char *>(d->dp);
	while (*texto && text_length(font, texto) > d->w - ANCHO_CARACTER)
		texto += uwidth(texto);
	Colores col = colores_de_dialogo();
	textout_ex(gui_get_screen(), font, texto, d->x, d->y, col.texto_barra, col.barra);
}

int dibuja_edicion(DIALOG *d, bool seleccion)
{
	BITMAP *b = gui_get_screen();
	int x1 = d->x - HUECO_EDICION, y1 = d->y - HUECO_EDICION;
	int x2 = d->x + d->w - 1 + HUECO_EDICION, y2 = d->y + d->h - 1 + HUECO_EDICION;
	rectfill(b, x1, y1, x2, y2, d->bg);
	rect(b, x1, y1, x2, y2, d->fg);
	if (!seleccion)
		return d_edit_proc(MSG_DRAW, d, 0);
	dibuja_seleccion(d);
	return D_O_K;
}

// Its tick: a cross inset from the box, two pixels thick.
constexpr int MARGEN_CRUZ = 2;

void dibuja_casilla(const DIALOG *d)
{
	BITMAP *b = gui_get_screen();
	int x2 = d->x + d->w - 1, y2 = d->y + d->h - 1;
	rectfill(b, d->x, d->y, x2, y2, d->bg);
	rect(b, d->x, d->y, x2, y2, d->fg);
	if (d->flags & D_SELECTED) {
		for (int grueso = 0; grueso < 2; grueso++) {
			line(b, d->x + MARGEN_CRUZ + grueso, d->y + MARGEN_CRUZ,
			     x2 - MARGEN_CRUZ + grueso - 1, y2 - MARGEN_CRUZ, d->fg);
			line(b, x2 - MARGEN_CRUZ - grueso, d->y + MARGEN_CRUZ,
			     d->x + MARGEN_CRUZ - grueso + 1, y2 - MARGEN_CRUZ, d->fg);
		}
	}
	int anillo = (d->flags & D_GOTFOCUS) ? d->fg : d->d2;
	rect(b, d->x - HUECO_FOCO, d->y - HUECO_FOCO, x2 + HUECO_FOCO, y2 + HUECO_FOCO, anillo);
}

const std::vector<std::string> &nombres_de(const DIALOG *d)
{
	return *static_cast<const std::vector<std::string> *>(d->dp);
}

void dibuja_eleccion(const DIALOG *d)
{
	BITMAP *b = gui_get_screen();
	Colores col = colores_de_dialogo();
	int x2 = d->x + d->w - 1, y2 = d->y + d->h - 1;
	bool foco = d->flags & D_GOTFOCUS;
	rectfill(b, d->x, d->y, x2, y2, foco ? col.barra : d->bg);
	rect(b, d->x, d->y, x2, y2, d->fg);
	const auto &nombres = nombres_de(d);
	std::string texto = nombres.empty() ? "" : texto_de_eleccion(nombres[static_cast<size_t>(d->d1)]);
	textout_ex(b, font, texto.c_str(), d->x + RELLENO_ELECCION, d->y + (d->h - ALTO_TEXTO) / 2,
	           foco ? col.texto_barra : d->fg, foco ? col.barra : d->bg);
}

// The name `paso` places on, going round.
int cambia_eleccion(DIALOG *d, int paso)
{
	int n = static_cast<int>(nombres_de(d).size());
	if (n > 0)
		d->d1 = ((d->d1 + paso) % n + n) % n;
	object_message(d, MSG_DRAW, 0);
	return D_O_K;
}

int tecla_de_eleccion(DIALOG *d, int c)
{
	switch (c >> 8) {
	case KEY_RIGHT:
	case KEY_SPACE:
		return cambia_eleccion(d, 1) | D_USED_CHAR;
	case KEY_LEFT:
		return cambia_eleccion(d, -1) | D_USED_CHAR;
	default:
		return D_O_K;
	}
}

} // namespace

int eleccion_proc(int msg, DIALOG *d, int c)
{
	switch (msg) {
	case MSG_DRAW:
		dibuja_eleccion(d);
		return D_O_K;
	case MSG_WANTFOCUS:
		return D_WANTFOCUS;
	case MSG_GOTFOCUS:
	case MSG_LOSTFOCUS:
		return D_REDRAWME;
	case MSG_CHAR:
		return tecla_de_eleccion(d, c);
	case MSG_CLICK:
		cambia_eleccion(d, 1);
		while (gui_mouse_b())
			rest(1);
		return D_O_K;
	default:
		return D_O_K;
	}
}

Colores colores_de_dialogo()
{
	return Colores{color(RGB_TEXTO),       color(RGB_FONDO),   color(RGB_MEDIO), color(RGB_BARRA),
	               color(RGB_TEXTO_BARRA), color(RGB_EDICION), color(RGB_BORDE)};
}

int marco_proc(int msg, DIALOG *d, int)
{
	if (msg == MSG_DRAW)
		dibuja_marco(d);
	return D_O_K;
}

int texto_proc(int msg, DIALOG *d, int)
{
	if (msg == MSG_DRAW)
		dibuja_texto(d);
	return D_O_K;
}

int casilla_proc(int msg, DIALOG *d, int c)
{
	if (msg == MSG_DRAW) {
		dibuja_casilla(d);
		return D_O_K;
	}
	// Allegro's button without D_EXIT toggles D_SELECTED on its key and click.
	return d_button_proc(msg, d, c);
}

int regla_proc(int msg, DIALOG *d, int)
{
	if (msg == MSG_DRAW)
		hline(gui_get_screen(), d->x, d->y + d->h / 2, d->x + d->w - 1, d->fg);
	return D_O_K;
}

// While its whole text is selected the box draws in the selection colours and
// the first character typed replaces the text, as Backspace and Delete erase it.
int edicion_proc(int msg, DIALOG *d, int c)
{
	char *texto = static_cast<char *>(d->dp);
	bool seleccion = d->flags & TEXTO_SELECCIONADO;
	switch (msg) {
	case MSG_DRAW:
		return dibuja_edicion(d, seleccion && (d->flags & D_GOTFOCUS));
	case MSG_GOTFOCUS:
		d->flags |= TEXTO_SELECCIONADO;
		break;
	case MSG_CLICK:
		d->flags &= ~TEXTO_SELECCIONADO;
		break;
	case MSG_UCHAR:
		if (seleccion && c >= ' ')
			vacia(d, texto);
		break;
	case MSG_CHAR:
		if (seleccion && ((c >> 8) == KEY_BACKSPACE || (c >> 8) == KEY_DEL)) {
			vacia(d, texto);
			object_message(d, MSG_DRAW, 0);
			return D_USED_CHAR;
		}
		return quita_seleccion_si_usa(d, d_edit_proc(msg, d, c));
	}
	return d_edit_proc(msg, d, c);
}

} // namespace adime
