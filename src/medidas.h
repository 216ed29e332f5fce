// Measuring the peak at the cursor (P in the command menu): the report in
// the "Pico" dialog with the fit drawn over the plot, the list of measured
// peaks that the plot marks, and their table.
#pragma once

#include <string>
#include <vector>

#include "analisis.h"
#include "estado.h" // PicoConocido

// Measures the peak at the cursor and marks it (a mark of the same peak is
// replaced), then shows the report with the fit and its region drawn over the
// plot until Enter or Esc closes it; its fields make the peak a calibration
// point or no longer one, and a change of the points recalibrates
// (calibra_con_picos).  Nothing before a load.
void comando_pico();

// Puts m into the list in place of a measure of the same peak (centroids, or
// tops when unfitted, within half the wider FWHM, at least a channel), else
// at its end; m's place.
size_t anota_pico(std::vector<MedidaPico> &lista, const MedidaPico &m);

// The report of m under the calibration a_l, b_l (a_l == 0: uncalibrated), as
// the "Pico" dialog's format: for a fitted m, with its two calibration fields
// (a float and an int, the known wavelength and the box) after it; for a
// failed fit, with a line saying it cannot calibrate, and no field.
std::string informe_pico(const MedidaPico &m, float a_l, float b_l);

// The residuals dialog's format (see calibra_con_picos): one line per point
// p (channel, known wavelength, the calibration a_l, b_l's wavelength there,
// residual) and their RMS; when no line could be fitted (fallo), the points
// and why.
std::string informe_calibracion(const std::vector<PuntoCalibracion> &p, FalloRecta fallo, float a_l,
                                float b_l);

// The table of the peaks in `lista`, one row each in channel order under
// CABECERA_PICOS, tab-separated, each number with the digits to read it back
// exactly.  A failed fit gives its top as the channel, its summed net counts
// as the area and its summed background, the fit's other columns empty.  The
// peaks among `puntos` (calibration points) fill `conocida`, and `residuo`
// (known less calibrated wavelength) when calibrated.
std::string tabla_picos(const std::vector<MedidaPico> &lista, const std::vector<PicoConocido> &puntos,
                        float a_l, float b_l);

// Writes the table of the measured peaks to ruta through a new file that
// replaces the old one only once complete; false when it could not.
bool guarda_tabla_picos(const char *ruta);
