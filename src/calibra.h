// Wavelength calibration: the two-point "Calibrar" command, and the
// calibration from many lines, the least-squares line through the measured
// peaks given a known wavelength in the "Pico" dialog.
#pragma once

#include <vector>

#include "analisis.h"
#include "estado.h"

// Takes two cursor positions with their typed wavelengths and calibrates the
// channel axis; keeps the old calibration on Cancel.  A new calibration ends
// the list of calibration points.  Always 0 (menu stays).
int comando_calibra();

// The calibration through channel c1 at wavelength l1 and c2 at l2: sets al
// and bl, or leaves them when c1 == c2.  Equal wavelengths uncalibrate (al
// and bl both 0).
void calibra_dos_puntos(int c1, float l1, int c2, float l2);

// Sets al to the slope and bl so that channel `canal` reads `longitud`, bl
// computed from the stored al (both 0 when al is).
void fija_calibracion(double pendiente, double canal, double longitud);

// The current calibration as a line: the wavelength of channel c is
// (c + b_l) * a_l.
RectaCalibracion recta_de(float a_l, float b_l);

// The calibration point that picos[pico] is, or null.
const PicoConocido *conocida_de(size_t pico);

// Makes picos[pico] a calibration point at `longitud` (usar) or no longer one.
void anota_conocida(size_t pico, bool usar, float longitud);

// The calibration points (centroid, known wavelength), in channel order.
std::vector<PuntoCalibracion> puntos_calibracion();

// From two points on: the least-squares line becomes the calibration (unless
// it has none, which leaves the old one), the plot follows, and a dialog lists
// each point's residual and their RMS, or says why the calibration stays.
void calibra_con_picos();
