// Definitions and initial values of the program-wide state declared in estado.h.
#include "estado.h"

#include <cstdlib>
#include <cstring>

float *Li;
int nptL;
float maxL;
char comment[TAM_NOMBRE];
float al, bl;
int ch_i, ch_f, ch_c;
float amplia_y;
int elog;
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
double tiempo_vivo;
Lectura fondo;
char fichero_fondo[TAM_NOMBRE];
std::vector<float> fondo_canal;
float factor_fondo = 1;
bool factor_tecleado;
int vista_neta;
std::vector<float> Neto;
float maxNeto;
std::vector<MedidaPico> picos;
std::vector<PicoConocido> conocidas;
char filename_picos[TAM_NOMBRE];

void reinicia_estado()
{
	std::free(Li);
	Li = nullptr;
	nptL = 0;
	maxL = 0;
	comment[0] = '\0';
	al = bl = 0;
	ch_i = ch_f = ch_c = 0;
	amplia_y = 0;
	elog = 0;
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
	tiempo_vivo = 0;
	libera_lectura(&fondo);
	fichero_fondo[0] = '\0';
	std::vector<float>().swap(fondo_canal);
	factor_fondo = 1;
	factor_tecleado = false;
	vista_neta = 0;
	std::vector<float>().swap(Neto);
	maxNeto = 0;
	picos.clear();
	conocidas.clear();
	filename_picos[0] = '\0';
}

void vista_inicial()
{
	ch_i0 = ch_i = 1;
	ch_f0 = ch_f = nptL;
	// In 64 bits: the two ends of the largest spectrum add up beyond an int.
	ch_c0 = ch_c = static_cast<int>((static_cast<long long>(ch_f) + ch_i) / 2);
	amplia_y = 1;
	pide_redibujo();
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

float longitud_de_onda(double c)
{
	return static_cast<float>((c + static_cast<double>(bl)) * static_cast<double>(al));
}
