// What an idle window costs: Allegro's own threads (X input and timers) are
// made to wake as seldom as they may.  Start-up calls antes_de_allegro before
// allegro_init, antes_del_reloj before install_timer and ya_hay_ventana once
// the window is up.
#pragma once

// The input thread that allegro_init makes gathers its wake-ups.
void antes_de_allegro();

// The timer thread that install_timer makes gathers its wake-ups further.
void antes_del_reloj();

// Gives this thread back exact pauses, and has Allegro's input thread look
// for X events without a round trip to the server when none are waiting.
void ya_hay_ventana();
