// Building the pyramid of minima and maxima and answering a run's bounds from it.
#include "piramide.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();

// Bounds gathered over some samples; `malas` once one was not finite.
struct Acumula {
	float lo = INF, hi = -INF;
	bool malas = false;
	void junta(float a, float b)
	{
		// x - x is 0 for a finite x and NaN for NaN or ±inf.
		malas |= !(a - a == 0.0f) | !(b - b == 0.0f);
		lo = a < lo ? a : lo;
		hi = b > hi ? b : hi;
	}
};

// Bounds of v[a..b], each sample read.
Acumula recorre(const float *v, int a, int b)
{
	Acumula s;
	for (int i = a; i <= b; i++)
		s.junta(v[i], v[i]);
	return s;
}

void guarda(std::vector<float> &nivel, size_t q, const Acumula &s)
{
	float nan = std::numeric_limits<float>::quiet_NaN();
	nivel[2 * q] = s.malas ? nan : s.lo;
	nivel[2 * q + 1] = s.malas ? nan : s.hi;
}

} // namespace

void Piramide::construye(const float *v, int n)
{
	olvida();
	if (v == nullptr || n <= 0)
		return;
	size_t bloques = static_cast<size_t>(n) / BLOQUE_BASE + 1;
	std::vector<std::vector<float>> niveles(1, std::vector<float>(2 * bloques));
	for (size_t q = 0; q < bloques; q++) {
		int a = std::max<long long>(1, static_cast<long long>(q) * BLOQUE_BASE);
		int b = std::min<long long>(n, static_cast<long long>(q) * BLOQUE_BASE + BLOQUE_BASE - 1);
		guarda(niveles[0], q, a <= b ? recorre(v, a, b) : Acumula{});
	}
	while (bloques > 1) {
		const std::vector<float> &abajo = niveles.back();
		size_t arriba = (bloques + 1) / 2;
		std::vector<float> nivel(2 * arriba);
		for (size_t q = 0; q < arriba; q++) {
			Acumula s;
			for (size_t h = 2 * q; h < std::min(2 * q + 2, bloques); h++)
				s.junta(abajo[2 * h], abajo[2 * h + 1]);
			guarda(nivel, q, s);
		}
		niveles.push_back(std::move(nivel));
		bloques = arriba;
	}
	niveles_ = std::move(niveles);
	v_ = v;
	n_ = n;
}

void Piramide::olvida()
{
	std::vector<std::vector<float>>().swap(niveles_);
	v_ = nullptr;
	n_ = 0;
}

bool Piramide::cotas(int a, int b, float *minimo, float *maximo) const
{
	Acumula s;
	long long k = a;
	while (k <= b) {
		// The largest stored block that starts at k and ends by b.
		int nivel = -1;
		for (int l = 0; l < static_cast<int>(niveles_.size()); l++) {
			long long tam = static_cast<long long>(BLOQUE_BASE) << l;
			if (k % tam != 0 || k + tam - 1 > b)
				break;
			nivel = l;
		}
		if (nivel < 0) {
			long long fin = std::min<long long>(b, (k / BLOQUE_BASE + 1) * BLOQUE_BASE - 1);
			Acumula r = recorre(v_, static_cast<int>(k), static_cast<int>(fin));
			s.junta(r.lo, r.hi);
			s.malas |= r.malas;
			k = fin + 1;
			continue;
		}
		size_t q = static_cast<size_t>(k / (static_cast<long long>(BLOQUE_BASE) << nivel));
		s.junta(niveles_[nivel][2 * q], niveles_[nivel][2 * q + 1]);
		k += static_cast<long long>(BLOQUE_BASE) << nivel;
	}
	*minimo = s.lo;
	*maximo = s.hi;
	return !s.malas && a <= b;
}

size_t Piramide::bytes() const
{
	size_t total = 0;
	for (const std::vector<float> &nivel : niveles_)
		total += nivel.capacity() * sizeof(float);
	return total;
}
