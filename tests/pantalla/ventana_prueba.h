// The program's own window, opened once in this test process on a private
// Xvfb of 1024x768, for tests that draw and then read the screen back.
#pragma once

#include <cstdint>
#include <vector>

#include "arnes.h"

// Opens the window (start-up as the program does it) on first use.
void abre_ventana_prueba();
const arnes::Xvfb &xvfb_prueba();

// Starts a drawing case: the window as start-up leaves it and every other
// variable at its initial value.
void prepara_caso();

// A spectrum in the state as a load leaves it, not yet plotted: samples
// Li[1..n] from `muestras`, maxL the largest finite one (never below 0).
void carga_muestras(const std::vector<float> &muestras, float al_ = 0, float bl_ = 0);

// A pixel of the graph area, as 0xRRGGBB.
uint32_t pixel(int x, int y);

// Whether the screen at (x, y) shows `texto` in the built-in font, black on
// the text background, cell by cell.
bool muestra_texto(int x, int y, const char *texto);

constexpr uint32_t BLANCO = 0xFFFFFF;
constexpr uint32_t ROJO = 0xFF0000;
constexpr uint32_t MAGENTA = 0xFF4BFF;
constexpr uint32_t NEGRO = 0x000000;
constexpr uint32_t VERDE_CURSOR = 0x00B400; // the bar over white
constexpr uint32_t AZUL_CURSOR = 0x004BFF;  // the bar over a dot
