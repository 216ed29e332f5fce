// The peak key (P in the command menu): measures the peak at the cursor,
// marks it, and shows its report with the fit drawn over the plot.
#pragma once

// Measures the peak at the cursor and marks it (a mark of the same peak is
// replaced), then shows the report with the fit and its region drawn over the
// plot until Enter or Esc closes it; its fields make the peak a calibration
// point or no longer one, and a change of the points recalibrates
// (calibra_con_picos).  Nothing before a load.
void comando_pico();
