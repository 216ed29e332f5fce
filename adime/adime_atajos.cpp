// Shortcut names and key matching; see adime_atajos.h.
#include "adime_atajos.h"

#include <allegro.h>

#include <cctype>

namespace adime {

namespace {

struct NombreTecla {
	const char *nombre;
	int scancode;
};

const NombreTecla TECLAS[] = {
    {"ESC", KEY_ESC}, {"ESCAPE", KEY_ESC}, {"ENTER", KEY_ENTER}, {"RETURN", KEY_ENTER},  {"SPACE", KEY_SPACE},
    {"TAB", KEY_TAB}, {"DEL", KEY_DEL},    {"DELETE", KEY_DEL},  {"INSERT", KEY_INSERT}, {"HOME", KEY_HOME},
    {"END", KEY_END}, {"PGUP", KEY_PGUP},  {"PGDN", KEY_PGDN},   {"F1", KEY_F1},         {"F2", KEY_F2},
    {"F3", KEY_F3},   {"F4", KEY_F4},      {"F5", KEY_F5},       {"F6", KEY_F6},         {"F7", KEY_F7},
    {"F8", KEY_F8},   {"F9", KEY_F9},      {"F10", KEY_F10},     {"F11", KEY_F11},       {"F12", KEY_F12},
};

// Ctrl+letter gives the letter's place in the alphabet as its character.
constexpr int CARACTER_CTRL_A = 1;

std::string en_mayusculas(const std::string &s)
{
	std::string r = s;
	for (char &c : r)
		c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
	return r;
}

int scancode_de_letra(char letra)
{
	return KEY_A + (letra - 'a');
}

} // namespace

bool atajo_de_nombre(const std::string &nombre, Atajo &atajo)
{
	if (nombre.size() == 1 && std::isalnum(static_cast<unsigned char>(nombre[0]))) {
		atajo = Atajo{Atajo::letra, std::tolower(static_cast<unsigned char>(nombre[0]))};
		return true;
	}
	std::string mayus = en_mayusculas(nombre);
	for (const auto &t : TECLAS) {
		if (mayus == t.nombre) {
			atajo = atajo_tecla(t.scancode);
			return true;
		}
	}
	return false;
}

Atajo atajo_alt_ctrl(char letra)
{
	return Atajo{Atajo::alt_ctrl, std::tolower(static_cast<unsigned char>(letra))};
}

Atajo atajo_tecla(int scancode)
{
	return Atajo{Atajo::tecla, scancode};
}

bool coincide(const Atajo &atajo, int caracter, int scancode)
{
	switch (atajo.clase) {
	case Atajo::letra:
		return caracter > 0 && caracter < 128 && std::tolower(caracter) == atajo.valor;
	case Atajo::tecla:
		if (atajo.valor == KEY_ENTER && scancode == KEY_ENTER_PAD)
			return true;
		return scancode == atajo.valor;
	case Atajo::alt_ctrl: {
		if (atajo.valor < 'a' || atajo.valor > 'z' || scancode != scancode_de_letra(atajo.valor))
			return false;
		// Alt+letter arrives with no character, Ctrl+letter with its control code.
		return caracter == 0 || caracter == CARACTER_CTRL_A + (atajo.valor - 'a');
	}
	}
	return false;
}

} // namespace adime
