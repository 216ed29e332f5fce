// Definitions and initial values of the window's state declared in estado.h.
#include "estado.h"

#include <cstring>

int ch_i0, ch_f0, ch_c0;
float amplia_y0;
int pwx, pwy, wx, wy;
BITMAP *grafica;
int WHITE, BLUE, BLACK, RED, BACK;
char filename_esp[TAM_NOMBRE] = "datos.txt";
char filename_bmp[TAM_NOMBRE] = "espectro.bmp";
char fichero_cargado[TAM_NOMBRE];
char fichero_guardado[TAM_NOMBRE];
char tabla_guardada[TAM_NOMBRE];
char filename_dat[TAM_NOMBRE];
bool cargado_extranjero;
char filename_picos[TAM_NOMBRE];
char filename_tabla[TAM_NOMBRE] = "tabla.csv";
char tabla_exportada[TAM_NOMBRE];

void reinicia_estado()
{
	reinicia_espectro();
	ch_i0 = ch_f0 = ch_c0 = 0;
	pide_redibujo();
	pwx = pwy = wx = wy = 0;
	grafica = nullptr;
	WHITE = BLUE = BLACK = RED = BACK = 0;
	std::strcpy(filename_esp, "datos.txt");
	std::strcpy(filename_bmp, "espectro.bmp");
	fichero_cargado[0] = '\0';
	fichero_guardado[0] = '\0';
	tabla_guardada[0] = '\0';
	filename_dat[0] = '\0';
	cargado_extranjero = false;
	filename_picos[0] = '\0';
	std::strcpy(filename_tabla, "tabla.csv");
	tabla_exportada[0] = '\0';
}

void pide_redibujo()
{
	amplia_y0 = 0;
}

void crea_colores()
{
	auto color = [](Rgb c) { return makecol24(c.r, c.g, c.b); };
	WHITE = color(RGB_WHITE);
	BLUE = color(RGB_BLUE);
	BLACK = color(RGB_BLACK);
	RED = color(RGB_RED);
	BACK = color(RGB_BACK);
}
