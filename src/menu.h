// Start-up, the command menu with its dispatch and its idle hook, the exit
// command with the help text, and shutdown.
#pragma once

#include <allegro.h>

#include <cstddef>

// Starts Allegro, opens the window (its close button asks for the exit
// dialog), registers the PNG picture type and draws the decoration and the empty graph
// area.  0 when ready; on failure the message has been shown and the result is
// the exit status (1).
int inicializo_graficos();

// Start-up's load of the file named on the command line: as "Leer Datos" with
// that name typed, which the load dialog then offers.
void carga_al_arrancar(const char *ruta);

// Runs the command menu until the exit is confirmed; the window's close button
// opens the exit dialog as Esc does.
void bucle_menu();

// The command menu's idle hook: a pending press of the window's close button,
// answered as Esc would be; then the keys (teclado.h): a menu key's command,
// P, F, R, Page Down / Page Up (one a press), or navigation.  Only the
// menu runs it (commands empty the hook or put plain navigation in it), so a
// close press made while another dialog is open waits until the menu is back,
// and no file is browsed nor peak measured under an open calibration.
void vigila_menu(DIALOG *d);

// The button-row callback of the command menu: 1 load, 2 calibrate, 3 save,
// 4 exit.  0 keeps the menu open; 4 after a confirmed exit.
int menu_principal(DIALOG *boton, int boton_n);

// The exit dialog with the help text: 4 when the exit is confirmed, else 0.
int comando_salida();

// The help text, as the exit dialog's format.
extern const char *const info;

// The table of every key the program answers, and its rows (for tests).
struct FilaTecla;
const FilaTecla *teclas_del_programa(size_t *n);

// Releases the samples and shuts Allegro (and the dialog layer) down.
void termina_programa();
