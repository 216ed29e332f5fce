// Analysis of a spectrum's samples, as the program sees it: finding its
// lines (the line test and the search that Ctrl with an arrow runs).  Its
// contract: pure functions of the samples they are given, which they never
// change; no display, no program state, no file.  It builds as orq_analisis.
// Start at pico_siguiente (picos.cpp).
#pragma once

// A stop (a peak) is the top of a line that stands clear of counting noise.
// Lines are tried at each half-width h of ANCHOS_PICO, so that one from a
// channel or two wide to tens of channels wide fits one of them.  At channel
// c and half-width h:
// - P is the sum of the 2h + 1 channels about c (the peak window);
// - the background is the straight line through the means of two side
//   windows, the channels 2h + 2 to 4h + 2 away on either side, each mean
//   standing at its window's middle, and B its sum under the peak window.
//   Where a side window is cut by the spectrum's end to less than its half
//   (c within 3h + 2 of an end), or a window holds a sample that is not a
//   finite number, the width is not tried; nor where the peak window's mean
//   does not stand above both side windows' means (an edge, a shoulder);
// - the net counts N = P - B; their variance under Poisson statistics is
//   var N = P + var B, var B following from the side windows' sums.
// The width that fits c is, of those whose next two narrower widths also net
// N > 0 (a wide window over the valley between two lines does not fit), the
// one with the largest N / sqrt(2h + 1).  Channel c passes when, at that
// width, N >= SIGMAS_PICO * sqrt(max(1, var N)).  A line is found at c when
// c passes and no channel within 2h of it (h the width that fits c) passes
// with a larger N / sqrt(2h + 1) (at equal, the lower channel).  Its stop is
// its top: of the channels within h of c, the one where the counts weighted
// 2h + 1 - |j| at distance j stand highest over that straight line (at
// equal, the lower).  Channels 1 to 4 and the last four are never stops.
constexpr int ANCHOS_PICO[] = {1, 2, 4, 8, 16, 32};
constexpr double SIGMAS_PICO = 5;

// The first stop after channel desde towards higher channels (sentido 1) or
// lower ones (-1), searching to the spectrum Li[1..n]'s end; 0 when there is
// none.
int pico_siguiente(const float *Li, int n, int desde, int sentido);

// The stop that a measurement at channel c means, the top of the line that c
// stands on: c itself if it is a stop, else the nearer of the nearest stops
// on either side (at equal distance, the lower); 0 when Li[1..n] has none.
// A c outside 1..n counts as the nearest end.
int pico_cercano(const float *Li, int n, int c);
