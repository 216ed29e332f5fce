// Keyboard navigation's rules: zoom, scroll, move the cursor (to the next
// peak with Ctrl) and change the vertical scale, given the keys of a press or
// those held down.  The hook that reads the keys is teclado.cpp's.
#pragma once

// The keys that navigation looks at; shift and control are either such key.
struct Teclas {
	bool tab, arriba, abajo, derecha, izquierda, shift, control;
};

// Applies the first navigation rule that the keys match to the view.  True
// when one applied (the view must be plotted, changed or not).
bool navega(const Teclas &t);
