// The keys the program answers, served from one table (menu.cpp's), and the
// idle hooks that serve them: each press once, as it happened (a latched
// press, pulsaciones.h), and a navigation key held past a short delay again
// on every pass, at the plot's pace.
#pragma once

#include <allegro.h>

#include <cstddef>
#include <string>

#include "pulsaciones.h"

// Where a key acts: a button of the command menu (the dialog layer presses
// it, by its shortcut in the menu's format); a navigation key, wherever
// navigation is on (the menu and the calibration dialogs), repeating while
// held; a menu key, only in the command menu, once a press, with navigation
// off while its command runs.
enum class Ambito { boton, navegacion, menu };

// A row of the table: the key, where it acts, its action (the command menu's
// result: 0 keeps it open), and, for a key the help text names beside the
// arrows and Tab, its help words and whether they end a line of the help.
struct FilaTecla {
	int tecla;
	Ambito ambito;
	int (*accion)(const Pulsacion &p);
	const char *ayuda;
	bool fin_de_linea;
};

// The table the hooks serve; set once at start-up, before any press.
void pon_teclas(const FilaTecla *tabla, size_t n);

// The row of a key of that kind, or null.
const FilaTecla *fila_de_tecla(int tecla, Ambito ambito);

// The n-th button's row (1-based, in the table's order), or null.
const FilaTecla *fila_de_boton(int n);

// A navigation key's action: the view changes by navega's rules for the press
// and the plot follows.
int navega_y_pinta(const Pulsacion &p);

// The help text's lines of a table's help words, each line ended.
std::string ayuda_de_teclas(const FilaTecla *tabla, size_t n);

// Serves the oldest press waiting (a menu key's only when en_menu; another
// kind waiting outside the menu is dropped), or else the navigation keys held
// down past the repeat delay, plotting when a rule applied.  A menu key's command runs with
// navigation off and gives the hook back as it found it.
void vigila_teclas(bool en_menu);

// Runs the command of a menu key as its press would, with navigation off
// while it runs; nothing for a key the table does not name so.
void orden_de_menu(int tecla);

// The idle hook of navigation alone (the calibration dialogs).
void vigila_escala(DIALOG *d);
