// Measuring the peak at the cursor (P in the command menu): the report in
// the "Pico" dialog with the fit drawn over the plot, the list of measured
// peaks that the plot marks, and their table.
#pragma once

#include <string>
#include <vector>

#include "analisis.h"

// Measures the peak at the cursor and marks it (a mark of the same peak is
// replaced), then shows the report with the fit and its region drawn over the
// plot until Enter or Esc closes it.  Nothing before a load.
void comando_pico();

// Puts m into the list in place of a measure of the same peak (centroids, or
// tops when unfitted, within half the wider FWHM, at least a channel), else
// at its end; m's place.
size_t anota_pico(std::vector<MedidaPico> &lista, const MedidaPico &m);

// The report of m under the calibration a_l, b_l (a_l == 0: uncalibrated), as
// the "Pico" dialog's format.
std::string informe_pico(const MedidaPico &m, float a_l, float b_l);

// The table of the peaks in `lista`, one row each in channel order under
// CABECERA_PICOS, tab-separated, each number with the digits to read it back
// exactly.  A failed fit gives its top as the channel, its summed net counts
// as the area and its summed background, the fit's other columns empty.
std::string tabla_picos(std::vector<MedidaPico> lista, float a_l, float b_l);

// Writes the table of the measured peaks to ruta through a new file that
// replaces the old one only once complete; false when it could not.
bool guarda_tabla_picos(const char *ruta);
