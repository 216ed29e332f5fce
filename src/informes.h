// The words of what the peak key and the calibration from many lines report,
// of the table of measured peaks and of the background's line under the
// title.  Text only: no display, from what they are given and the spectrum's
// state.
#pragma once

#include <string>
#include <vector>

#include "canales.h"

// The report of a measure at the cursor, whose lines are marked at
// `lugares`: a lone line's as the one-line report; a multiplet's a row a line (its
// mark's number, centroid, area, the nearest the cursor marked: the
// calibration fields apply to it), then the shared width, the background and
// chi-squared with its p-value.  A fit with a p-value under 0.001 says so.
std::string informe_medida(const MedidaMultiplete &m, const std::vector<size_t> &lugares,
                           const Calibracion &cal);

// The residuals dialog's format: one line per point p (channel, known
// wavelength, cal's wavelength there, residual) and their RMS; when no line
// could be fitted (fallo), the points and why.
std::string informe_calibracion(const std::vector<PuntoCalibracion> &p, FalloRecta fallo,
                                const Calibracion &cal);

// The table of the peaks in `lista`, one row each in channel order under
// CABECERA_PICOS, tab-separated, each number with the digits to read it back
// exactly.  A failed fit gives its top as the channel, its summed net counts
// as the area and its summed background, the fit's other columns empty.  The
// peaks among `puntos` (calibration points) fill `conocida`, and `residuo`
// (known less calibrated wavelength) when calibrated; a line of a multiplet
// gives in `multiplete` the mark number of its group's first line (in
// channel order), and its group's chi2_gl.
std::string tabla_picos(const std::vector<MedidaPico> &lista, const std::vector<PicoConocido> &puntos,
                        const Calibracion &cal);

// The line shown under the spectrum's title: the background's title and its
// factor.  Into texto (n bytes); false without a background.
bool linea_de_fondo(char *texto, int n);
