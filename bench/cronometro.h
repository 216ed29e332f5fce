// Timing shared by the benchmarks: the best of a few runs of one step.
#pragma once

#include <chrono>

// The shortest of `veces` runs of paso(), in seconds; -1 as soon as a run
// returns false (the step failed, so its time means nothing).
template <typename F> double mejor_tiempo(int veces, F paso)
{
	double mejor = 1e30;
	for (int i = 0; i < veces; i++) {
		auto t0 = std::chrono::steady_clock::now();
		if (!paso())
			return -1;
		double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
		mejor = t < mejor ? t : mejor;
	}
	return mejor;
}
