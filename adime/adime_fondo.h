// What lies under a dialog: saved before the dialog is drawn and put back when
// it closes, so that a dialog leaves the screen as it found it.
#pragma once

#include <allegro.h>

#include "adime_disposicion.h"

namespace adime {

class FondoGuardado {
public:
	// Saves the part of `r` that lies on the GUI's screen.
	explicit FondoGuardado(const Rect &r);
	// Puts it back.
	~FondoGuardado();
	FondoGuardado(const FondoGuardado &) = delete;
	FondoGuardado &operator=(const FondoGuardado &) = delete;

	// The whole GUI screen.
	static Rect pantalla_entera();

private:
	BITMAP *copia_ = nullptr;
	int x_ = 0, y_ = 0;
};

} // namespace adime
