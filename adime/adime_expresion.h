// The arithmetic that a %float field accepts: decimal numbers (with fraction
// and exponent), + - * /, unary signs and parentheses, spaces anywhere between.
// Also the field's text for a value and the value that it stores for a text.
#pragma once

#include <string>

namespace adime {

// Bounds of a %float field; an absent bound limits nothing.
struct Limites {
	bool con_min = false, con_max = false;
	double min = 0, max = 0;
};

// The value of a whole expression; false when it is malformed, divides by
// zero or does not give a finite number.
bool evalua_expresion(const char *texto, double &valor);

// What the field stores for the typed text: empty, invalid or out-of-range
// (for a float) input counts as 0; the result is clamped to the bounds.
float valor_de_texto(const char *texto, const Limites &limites);

// The shortest text that reads back as exactly `v`.
std::string texto_de_float(float v);

} // namespace adime
