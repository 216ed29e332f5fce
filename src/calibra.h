// Wavelength calibration's commands: the two-point "Calibrar", and the
// calibration from many lines once the "Pico" dialog changed its points.
// The calibration itself is the spectrum's (canales.h).
#pragma once

// Takes two cursor positions with their typed wavelengths and calibrates the
// channel axis; keeps the old calibration on Cancel.  A new calibration ends
// the list of calibration points.  Always 0 (menu stays).
int comando_calibra();

// From two points on: the least-squares line becomes the calibration (unless
// it has none, which leaves the old one), the plot follows, and a dialog lists
// each point's residual and their RMS, or says why the calibration stays.
void calibra_con_picos();
