// Two-point wavelength calibration: the "Calibrar" command.
#pragma once

// Takes two cursor positions with their typed wavelengths and calibrates the
// channel axis; keeps the old calibration on Cancel.  Always 0 (menu stays).
int comando_calibra();

// The calibration through channel c1 at wavelength l1 and c2 at l2: sets al
// and bl, or leaves them when c1 == c2.  Equal wavelengths uncalibrate (al
// and bl both 0).
void calibra_dos_puntos(int c1, float l1, int c2, float l2);
