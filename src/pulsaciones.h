// Key presses as they happen.  Allegro's key-state array says only which keys
// are down when it is read, and a press shorter than the time between two
// reads (a remote desktop's, an input tool's, a quick finger's) would be
// lost, or read without the Shift it came with.  Allegro's low-level keyboard
// callback catches each press instead, with Shift and Ctrl as they were at
// that moment, into a queue that the idle hook serves one press at a time.
#pragma once

// A press as it happened: the key (Allegro's scancode) and the modifiers.
struct Pulsacion {
	int tecla = 0;
	bool shift = false, control = false;
};

// Starts catching presses, and following the dialogs that take the keyboard;
// once, after install_keyboard.
void engancha_pulsaciones();

// What Allegro's callback reports: a scancode, with bit 7 set on a release.
// Only keys that the program answers (`interesa`) are queued; a press of a
// key already down (the keyboard's auto-repeat) is not a new press.
void registra_evento(int scancode);

// Which keys are queued; the program's key table says (set once, before any
// press).  Keys it does not name are never queued.
void pon_interes(bool (*interesa)(int tecla));

// The oldest press not yet served; false when none waits.
bool siguiente_pulsacion(Pulsacion *p);

// Whether the key has been down for at least ms milliseconds, by the presses
// and releases caught, and Allegro agrees it is down: a release lost with the
// window's focus never leaves a key held.
bool tecla_sostenida(int tecla, int ms);

// The dialog layer's open hook (engancha_pulsaciones sets it): 1 as a dialog
// opens, 0 once it closed.  A dialog opened with no idle hook (a command's
// own, a message box) has the keyboard: presses made while it shows are its
// own and never queued, while those queued before it opened stay queued,
// served in order once it has closed, and do not reach it.  Whatever else
// was typed ahead goes to it as typed.  A dialog whose idle hook serves
// navigation (the menu, the calibration's) leaves the queue as it is.
void dialogo_abierto(int abierto);
