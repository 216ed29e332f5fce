// Inside the number reader: the fast tiers that lee_float_como_scanf tries
// first, and the switches that turn its speed-ups off for the benchmark.
// For the engine's own files, its tests and its benchmark; the file formats
// go through lector.h only.
#pragma once

#include "lector.h"

// The same as lee_float_como_scanf, but only for the plain form
// [-]digits[.digits] (at most 19 digits) followed by white space or fin; 0
// for anything else, which lee_float_como_scanf then reads.  The fast path.
size_t lee_float_simple(const char *p, const char *fin, float *x);

// The same for a plain number known to fill exactly [q, e), e being white
// space or the end, with a point among its last 8 characters and at most 8
// digits before it; the 16 bytes before e must be readable.  False for
// anything else (lee_float_simple then reads it).  The writer's form.
bool lee_float_corto(const char *q, const char *e, float *x);

// The speed-ups of the reader, each of which the benchmark turns off to
// measure what it buys; the program leaves them all on.
struct AjustesLector {
	bool dos_hilos = true;    // a large file read in two halves at once
	bool bloques = true;      // 64 bytes split into numbers before any is converted
	bool mascara_sse2 = true; // that split's white-space mask by SSE2
	bool corto = true;        // the writer's form read backwards from its point
	bool ocho_cifras = true;  // digits read eight at a time in one word
	bool simple = true;       // plain decimals converted through one double
};

void ajusta_lector(const AjustesLector &ajustes);

// Where the engine's files read the switches; only ajusta_lector writes them.
namespace lector_interno {
extern AjustesLector ajustes;
}
