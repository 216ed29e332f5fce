// Two taps of one key within the same millisecond (an input tool's, a remote
// desktop's).  Allegro's X input takes a release followed by a press of the
// same key at the same server time for the keyboard's auto-repeat and drops
// the release, so the second tap reads as the key held and is lost.  With
// XKB's detectable auto-repeat the server sends no such pair for a held key,
// so every pair that still comes is two real taps, and is kept as two.
#pragma once

// Asks the X server for detectable auto-repeat; once the window is up.
void activa_repeticion_detectable();

// Moves the release of each same-time release and press back a millisecond,
// in the events X has queued, so that Allegro's input keeps it; only once
// the server has granted detectable auto-repeat.  Called from the X input
// handler, which holds Allegro's X lock.
void separa_toques_dobles();
