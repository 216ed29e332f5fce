// A queue between Allegro's input callbacks, which put, and the program's
// thread, which takes: one producer, one consumer, no lock.  What comes when
// it is full is dropped.  The keys and the mouse each keep one.
#pragma once

#include <atomic>

template <class T, unsigned CAPACIDAD> class Cola {
	static_assert((CAPACIDAD & (CAPACIDAD - 1)) == 0, "a power of two, so the counters may wrap");

public:
	void pon(const T &x)
	{
		unsigned n = puestos_.load(std::memory_order_relaxed);
		if (n - servidos_.load(std::memory_order_acquire) >= CAPACIDAD)
			return;
		v_[n % CAPACIDAD] = x;
		puestos_.store(n + 1, std::memory_order_release);
	}
	// The oldest waiting into *x; false when none waits.
	bool toma(T *x)
	{
		unsigned n = servidos_.load(std::memory_order_relaxed);
		if (n == puestos_.load(std::memory_order_acquire))
			return false;
		*x = v_[n % CAPACIDAD];
		servidos_.store(n + 1, std::memory_order_release);
		return true;
	}
	// Drops all that waits.
	void vacia() { servidos_.store(puestos_.load(std::memory_order_acquire), std::memory_order_release); }

private:
	T v_[CAPACIDAD];
	std::atomic<unsigned> puestos_{0}, servidos_{0};
};
