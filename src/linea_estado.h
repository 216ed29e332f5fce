// The status line: what the user should know about the last load (how the
// file was read, what was left out or assumed) without a box to close.  It
// stays until the next load or command; key A shows it whole in a box when
// it is longer than the line.
#pragma once

#include <allegro.h>

#include <string>

// The key that shows the whole notice; the only command that keeps it.
constexpr int TECLA_AVISO = KEY_N; // A is the identification of lines

// Shows the notice on the status line, cut to it with a hint of key A when
// longer, and keeps it whole; "" clears the line.
void pon_estado(const std::string &texto);

// Clears the status line and forgets its notice.
void borra_estado();

// The notice on show, whole ("" when none).
const std::string &texto_estado();

// Key A: the whole notice in a message box; nothing when there is none.
void muestra_estado_entero();
