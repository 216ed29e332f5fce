// The program's own window, opened once in this test process on a private
// Xvfb of 1024x768, for tests that draw and then read the screen back.
#pragma once

#include "arnes.h"

// Opens the window (start-up as the program does it) on first use.
void abre_ventana_prueba();
const arnes::Xvfb &xvfb_prueba();
