// The message box (adime_alert in adime.h): a dialog of two fields made
// without a format, so that no text of the message is read as one: its lines
// as a text block, then its buttons as a row, centred under them.  Start with
// adime_alert.
#include <cctype>

#include "adime_dialogo.h"

namespace adime {

namespace {

// The lines, one per newline, as a text block.
Campo campo_de_lineas(const char *const lineas[])
{
	Campo c;
	c.tipo = TipoCampo::nada;
	for (int i = 0; lineas && lineas[i]; i++)
		c.etiqueta += std::string(lineas[i]) + "\n";
	return c;
}

Campo fila_de_botones(const char *const botones[], const int teclas[])
{
	Campo c;
	c.tipo = TipoCampo::fila_botones;
	for (int i = 0; botones && botones[i]; i++) {
		BotonFila b;
		b.texto = botones[i];
		if (teclas && teclas[i])
			b.atajos.push_back(Atajo{Atajo::letra, std::tolower(teclas[i] & 0xff)});
		c.botones.push_back(b);
	}
	return c;
}

// Every button as wide as OK is in other dialogs, at least.
int ancho_de_fila(const Campo &fila)
{
	int n = static_cast<int>(fila.botones.size());
	return n * ANCHO_MINIMO_OK + (n > 0 ? n - 1 : 0) * SEPARACION_BOTONES;
}

// The row moves right, by half of what the window has beside it.
void centra_fila(const Disposicion &d, FilaDispuesta &f)
{
	if (f.botones.empty())
		return;
	int libre = d.ventana.derecha() - BORDE - MARGEN - f.botones.back().derecha();
	for (Rect &b : f.botones)
		b.x += libre / 2;
}

// While a message is open the program's idle hook waits: nothing else may
// happen before it is answered.
class SinGancho {
public:
	SinGancho() : gancho_(adime_callback) { adime_callback = nullptr; }
	~SinGancho() { adime_callback = gancho_; }
	SinGancho(const SinGancho &) = delete;
	SinGancho &operator=(const SinGancho &) = delete;

private:
	void (*gancho_)(DIALOG *d);
};

} // namespace

} // namespace adime

int adime_alert(const char *title, int x, int y, const char *const lines[], const char *const buttons[],
                const int keys[])
{
	using namespace adime;
	if (!screen)
		return RESULTADO_ERROR;
	Contexto c;
	c.esc_cierra = true;
	c.campos = {campo_de_lineas(lines), fila_de_botones(buttons, keys)};
	dispone_campos(c, title, x, y, ancho_de_fila(c.campos[1]));
	centra_fila(c.disposicion, c.disposicion.filas[1]);
	c.enlaces.assign(c.campos.size(), Enlace{});
	construye_objetos(c);
	SinGancho sin_gancho;
	clear_keybuf(); // a key meant for what came before must not answer it
	return ejecuta_dialogo(c);
}
