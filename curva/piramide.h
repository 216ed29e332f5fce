// Minima and maxima of a spectrum's samples by blocks, so that the bounds of
// any run of samples cost a few look-ups and not a pass over them: what lets
// the plot skip, in a dense window, the samples that change no pixel.
#pragma once

#include <cstddef>
#include <vector>

// The samples v[1..n] in aligned blocks of BLOQUE_BASE << l samples, level l
// (block q of a level holds samples q * size to q * size + size - 1; slot 0
// is never read).  A block holding a sample that is not finite (NaN, ±inf)
// keeps NaN as its bounds.
class Piramide {
public:
	static constexpr int BLOQUE_BASE = 128;

	// Throws std::bad_alloc when there is no memory for it.
	void construye(const float *v, int n);
	void olvida();

	// The least and the greatest of v[a..b] (1 <= a <= b <= n); false when
	// one of them is not finite.
	bool cotas(int a, int b, float *minimo, float *maximo) const;

	size_t bytes() const;

private:
	const float *v_ = nullptr;
	int n_ = 0;
	// Level l: block q's least at [2q], greatest at [2q + 1].
	std::vector<std::vector<float>> niveles_;
};
