// Keyboard shortcuts of the dialog buttons: the names that formats write
// ("L", "ESC", "F1"...) and the test of a key press against a shortcut.  A key
// press is the pair that ureadkey gives: the character and the scancode.
#pragma once

#include <string>

namespace adime {

struct Atajo {
	enum Clase {
		letra,    // the plain character, either case (letters and digits)
		tecla,    // a key by its scancode, whatever the character
		alt_ctrl, // Alt or Ctrl with the letter
	};
	Clase clase = letra;
	int valor = 0; // the lower-case character, or the scancode
};

// The shortcut that a format names; false for an unknown name.
bool atajo_de_nombre(const std::string &nombre, Atajo &atajo);

// Alt+letter and Ctrl+letter (OK and Cancel's extra shortcuts).
Atajo atajo_alt_ctrl(char letra);
Atajo atajo_tecla(int scancode);

// Whether the key press (character, scancode) triggers the shortcut.
bool coincide(const Atajo &atajo, int caracter, int scancode);

} // namespace adime
