// The program's own words and where its dialogs stand: titles, formats,
// positions, the version and the colours.  Everything that shows them, and
// every test that looks for them, takes them from here.  No Allegro needed.
#pragma once

#include "fichero.h" // ORQ_TAM_NOMBRE, TAM_NOMBRE

// The dialogs' %filename fields hold TAM_NOMBRE bytes, the size of each
// file-name buffer and of the title, so the two cannot drift apart.
#define ORQ_CADENA_(x) #x
#define ORQ_CADENA(x) ORQ_CADENA_(x)
#define ORQ_CAMPO_FICHERO "%filename[" ORQ_CADENA(ORQ_TAM_NOMBRE) ",,]"

// ORQ_VERSION comes from the build: the project's version in CMakeLists.txt.
constexpr const char *VERSION = ORQ_VERSION;

// A dialog's title, format and top-left corner, and its fields' width.
struct Dialogo {
	const char *titulo;
	const char *formato;
	int x, y, ancho_campo;
};

// The command menu: one row of four buttons with their shortcut keys.
constexpr Dialogo DIALOGO_MENU = {
    "Opciones", "%buttonrow[&Leer Datos;L,&Calibrar;C,Guardar;G,Salida+Help;ESC]", 175, 5, 650};
constexpr Dialogo DIALOGO_CARGA = {"Fichero con datos del espectro: ", ORQ_CAMPO_FICHERO, 70, 10, 300};
constexpr Dialogo DIALOGO_GUARDA = {"Fichero para guardar resultados",
                                    "Guardar imagen %bool[] en fichero " ORQ_CAMPO_FICHERO " "
                                    "Guardar datos  %bool[] en fichero " ORQ_CAMPO_FICHERO " ",
                                    100, 50, 300};
constexpr Dialogo DIALOGO_CALIBRA_1 = {"Poner cursor en primer punto de calibracion ",
                                       "Longitud de onda=%float[0,]", 125, 10, 125};
constexpr Dialogo DIALOGO_CALIBRA_2 = {"Poner cursor en segundo punto de calibracion ",
                                       DIALOGO_CALIBRA_1.formato, DIALOGO_CALIBRA_1.x, DIALOGO_CALIBRA_1.y,
                                       DIALOGO_CALIBRA_1.ancho_campo};
// Every message box (load and save failures, notices, the replace question):
// where the load dialog stands, so that a failed load's message shows where
// the name was typed.  Its lines and buttons are its format.
constexpr Dialogo DIALOGO_AVISO = {"Aviso", nullptr, DIALOGO_CARGA.x, DIALOGO_CARGA.y, 0};
// The exit dialog's format is the help text, `info` (menu.cpp).
constexpr Dialogo DIALOGO_SALIDA = {"(confirmar OK para abandonar el programa, C o ESC para continuar)",
                                    nullptr, 20, 10, 200};

// The help text's first block: the title and the version.
#define ORQ_CABECERA_AYUDA "Orquilo      Vers. " ORQ_VERSION "   "

// Colours as red, green, blue.
struct Rgb {
	int r, g, b;
	constexpr unsigned hex() const { return static_cast<unsigned>(r << 16 | g << 8 | b); }
};
constexpr Rgb RGB_WHITE = {255, 255, 255}; // graph background
constexpr Rgb RGB_BLUE = {180, 200, 250};  // window and text background
constexpr Rgb RGB_BLACK = {0, 0, 0};       // text and wavelength ticks
constexpr Rgb RGB_RED = {255, 0, 0};       // sample dots
constexpr Rgb RGB_BACK = {255, 75, 255};   // joining lines and the cursor bar
