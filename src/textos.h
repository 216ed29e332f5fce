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
#define ORQ_FORMATO_GUARDA                                                                                   \
	"Guardar imagen %bool[] en fichero " ORQ_CAMPO_FICHERO " "                                           \
	"Guardar datos  %bool[] en fichero " ORQ_CAMPO_FICHERO " "
constexpr Dialogo DIALOGO_GUARDA = {"Fichero para guardar resultados", ORQ_FORMATO_GUARDA, 100, 50, 300};
// What the save command opens: those two rows, then the table of x and
// intensity for other programs, with its own name.
#define ORQ_FORMATO_GUARDA_TABLA                                                                             \
	ORQ_FORMATO_GUARDA "Exportar tabla (x, intensidad) %bool[] en fichero " ORQ_CAMPO_FICHERO " "
constexpr Dialogo DIALOGO_GUARDA_TABLA = {DIALOGO_GUARDA.titulo, ORQ_FORMATO_GUARDA_TABLA, DIALOGO_GUARDA.x,
                                          DIALOGO_GUARDA.y, DIALOGO_GUARDA.ancho_campo};
// The same once a peak is measured: a last row for the table of peaks.
constexpr Dialogo DIALOGO_GUARDA_PICOS = {
    DIALOGO_GUARDA.titulo, ORQ_FORMATO_GUARDA_TABLA "Guardar picos %bool[] en fichero " ORQ_CAMPO_FICHERO " ",
    DIALOGO_GUARDA.x, DIALOGO_GUARDA.y, DIALOGO_GUARDA.ancho_campo};
// The exported table's header: x's name (the channel, or the wavelength
// when calibrated; no unit, which the program does not keep), then the
// intensity's (net in the net view).
constexpr const char *TABLA_X_CANAL = "canal";
constexpr const char *TABLA_X_LONGITUD = "longitud_de_onda";
constexpr const char *TABLA_Y = "intensidad";
constexpr const char *TABLA_Y_NETA = "intensidad_neta";
constexpr Dialogo DIALOGO_CALIBRA_1 = {"Poner cursor en primer punto de calibracion ",
                                       "Longitud de onda=%float[0,]", 125, 10, 125};
constexpr Dialogo DIALOGO_CALIBRA_2 = {"Poner cursor en segundo punto de calibracion ",
                                       DIALOGO_CALIBRA_1.formato, DIALOGO_CALIBRA_1.x, DIALOGO_CALIBRA_1.y,
                                       DIALOGO_CALIBRA_1.ancho_campo};
// The background: a file like the load's (empty: none) and its scale factor.
constexpr Dialogo DIALOGO_FONDO = {"Espectro de fondo (sin nombre: ninguno)",
                                   "Fichero " ORQ_CAMPO_FICHERO "Factor de escala=%float[,]", 70, 10, 300};

// The report of a measured peak: its lines (below) as one block with no field.
constexpr Dialogo DIALOGO_PICO = {"Pico", "%nothing[]", 175, 5, 300};
// Its lines, numbers as the info lines write them: counts with one decimal,
// channels and wavelengths (fractional here) with two.
constexpr const char *PICO_CENTROIDE = "Centroide: canal %.2f ± %.2f";
constexpr const char *PICO_CENTROIDE_LO = ", longitud de onda %.2f ± %.2f";
constexpr const char *PICO_FWHM = "FWHM: %.2f canales";
constexpr const char *PICO_FWHM_LO = ", %.2f en longitud de onda";
constexpr const char *PICO_AREA = "Area neta: %.1f ± %.1f";
constexpr const char *PICO_FONDO = "Fondo bajo el pico: %.1f";
constexpr const char *PICO_CHI2 = "Chi2/gl: %.2f";
constexpr const char *PICO_FALLIDO = "No se pudo ajustar el pico";
// A fit whose p-value is under 0.001 says so, under any report.
constexpr const char *PICO_POBRE = "Ajuste pobre (p = %.2g): puede haber más líneas o un fondo curvo";
// A multiplet: its lines a row each (the mark's number, the one nearest the
// cursor marked, to which the calibration fields apply), then what they share.
constexpr const char *MULTIPLETE_TITULO = "Multiplete de %zu líneas, ajustadas juntas";
constexpr const char *MULTIPLETE_CABECERA = "   n.º      canal ± error        área neta ± error";
constexpr const char *MULTIPLETE_CABECERA_LO = "   longitud de onda ± error";
constexpr const char *MULTIPLETE_FILA = "%c %4zu %10.2f ± %-7.2f %12.1f ± %-9.1f";
constexpr const char *MULTIPLETE_FILA_LO = " %12.2f ± %.2f";
constexpr const char *MULTIPLETE_FONDO = "Fondo bajo el grupo: %.1f%s";
constexpr const char *MULTIPLETE_CUADRATICO = " (con término cuadrático)";
constexpr const char *MULTIPLETE_CHI2 = "Chi2/gl: %.2f (p = %.2g)";
constexpr const char *MULTIPLETE_MARCA = "* la línea de los campos de abajo";
constexpr const char *PICO_BRUTAS = "Cuentas brutas: %.1f";
constexpr const char *PICO_NETAS = "Cuentas netas: %.1f";
// After a fitted peak's report, its fields: the focus starts on the known
// wavelength (an expression, as in the calibration dialogs), Tab goes to the
// box that makes the peak a calibration point.  A failed fit gets a line instead.
constexpr const char *PICO_CAMPOS_CALIBRA =
    "Longitud de onda conocida=%float[0,]Usar en la calibración %bool[]";
constexpr const char *PICO_SIN_CALIBRA = "Sin ajuste no puede usarse en la calibración";
// The label of a mark that is a calibration point: its number and known wavelength.
constexpr const char *MARCA_CONOCIDA = "%zu (%g)";

// The residuals of the calibration from many lines, a line a point (channel,
// known wavelength, the calibration's wavelength there, residual) under a
// header, then their RMS; the title is a format of the number of points.
constexpr Dialogo DIALOGO_CALIBRACION_PICOS = {"Calibración con %zu picos", "%nothing[]", 175, 5, 300};
constexpr const char *CALIBRACION_CABECERA = "     canal     conocida        recta    residuo";
constexpr const char *CALIBRACION_FILA = "%10.2f %12.7g %12.7g %+10.3g";
constexpr const char *CALIBRACION_RMS = "RMS de los residuos: %.3g";
// When no line can be drawn through them: the points and why.
constexpr const char *CALIBRACION_CABECERA_FALLO = "     canal     conocida";
constexpr const char *CALIBRACION_FILA_FALLO = "%10.2f %12.7g";
constexpr const char *CALIBRACION_MISMO_CANAL = "Dos picos en el mismo canal: la calibración no cambia";
constexpr const char *CALIBRACION_SIN_PENDIENTE = "La recta sale sin pendiente: la calibración no cambia";

// The import view (key I, or by itself for a file that reads two ways): the
// file's first lines, the readings found, the choices by name, and the first
// rows split into columns as the fields read them.
constexpr Dialogo DIALOGO_IMPORTA = {"Cómo se lee el fichero", nullptr, 20, 10, 60};
constexpr const char *IMPORTA_PRIMERAS = "Primeras líneas de %s:";
constexpr const char *IMPORTA_MANERAS = "Se puede leer de %zu maneras:";
constexpr const char *IMPORTA_MANERA = " %zu: %s";
constexpr const char *IMPORTA_POR_SU_FORMATO =
    "Se lee por su propio formato; con otros campos se lee como tabla o lista.";
// A file that did not read: after why, what Enter does.
constexpr const char *IMPORTA_SIN_LEER = "Con los campos de abajo se lee como tabla o lista.";
constexpr const char *IMPORTA_ELEGIDA = "  (elegida)";
constexpr const char *IMPORTA_CAMPO_LECTURA = "Manera (1: la de los campos de abajo)=%%float[1,%zu]";
constexpr const char *IMPORTA_CAMPOS = "Se lee como=%choice[tabla de columnas,lista de números]"
                                       "Líneas de cabecera que se saltan=%float[0,]"
                                       "Separador=%choice[punto y coma,tabulador,coma,espacios]"
                                       "Marca decimal=%choice[punto,coma]"
                                       "Marca de miles=%choice[ninguna,punto,coma,espacio]"
                                       "Columna de x (0: ninguna, una fila un canal)=%float[0,]"
                                       "Columna de intensidad=%float[1,]";
// The preview under the fields: its heading, each column's head ("[n]", the
// header's name, the mark of x or intensity), a field read as no number.
constexpr const char *IMPORTA_VISTA_TABLA = "Columnas como se leen (?: no se lee como número):";
constexpr const char *IMPORTA_VISTA_LISTA =
    "Números como se leen, fila tras fila (?: no se lee como número):";
constexpr const char *IMPORTA_COLUMNA = "[%d]";
constexpr const char *IMPORTA_MARCA_X = " (x)";
constexpr const char *IMPORTA_MARCA_Y = " (intensidad)";
constexpr const char *IMPORTA_NO_NUMERO = "?";

// The header line of the table of measured peaks (tab-separated).
constexpr const char *CABECERA_PICOS =
    "canal\terror_canal\tlongitud\tfwhm_canales\tfwhm\tarea\terror_area\tfondo\tchi2_gl\tconocida\tresiduo"
    "\tmultiplete";

// Every message box (load and save failures, notices, the replace question):
// where the load dialog stands, so that a failed load's message shows where
// the name was typed.  Its lines and buttons are its format.
constexpr Dialogo DIALOGO_AVISO = {"Aviso", nullptr, DIALOGO_CARGA.x, DIALOGO_CARGA.y, 0};
// The exit dialog's format is the help text, `info` (menu.cpp).
constexpr Dialogo DIALOGO_SALIDA = {"(confirmar OK para abandonar el programa, C o ESC para continuar)",
                                    nullptr, 20, 10, 200};

// The end of a notice cut to the status line: key A shows it whole.
constexpr const char *ESTADO_CORTADO = "... (N: entero)";

// The window's title once a file is loaded, before the file's base name (an
// em dash); before any load the title stays the one Allegro gives.
constexpr const char *TITULO_VENTANA_CARGADO = "Orquilo — ";

// "Guardar datos" with no spectrum loaded: nothing is written.
constexpr const char *AVISO_SIN_DATOS = "No se guardan los datos: no hay ningún espectro cargado.";

// The help text's first block: the title and the version.
#define ORQ_CABECERA_AYUDA "Orquilo      Vers. " ORQ_VERSION "   "

// Colours as red, green, blue.
struct Rgb {
	int r, g, b;
	constexpr unsigned hex() const { return static_cast<unsigned>(r << 16 | g << 8 | b); }
};
constexpr Rgb RGB_WHITE = {255, 255, 255};     // graph background
constexpr Rgb RGB_BLUE = {180, 200, 250};      // window and text background
constexpr Rgb RGB_BLACK = {0, 0, 0};           // text and wavelength ticks
constexpr Rgb RGB_RED = {255, 0, 0};           // sample dots
constexpr Rgb RGB_BACK = {255, 75, 255};       // joining lines and the cursor bar
constexpr Rgb RGB_FONDO = {0, 110, 190};       // the background spectrum, its dots, lines and title
constexpr Rgb RGB_LINEA_AJUSTE = {0, 150, 60}; // each line of a fitted multiplet, on its background
