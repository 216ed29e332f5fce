// The backwards painting of the curve leaves exactly the picture of drawing
// every dot and line in order, and recorre_linea walks exactly do_line's
// pixels.  Memory
// bitmaps need Allegro but no display; the environment below starts it.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "curva_motor.h"

namespace {

constexpr int ANCHO_AREA = 814, ALTO_AREA = 473; // a graph area of the usual window

class EntornoAllegro : public ::testing::Environment {
public:
	void SetUp() override
	{
		if (system_driver == nullptr) {
			ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
		}
		set_color_depth(24);
	}
};

const auto *const entorno = ::testing::AddGlobalTestEnvironment(new EntornoAllegro);

int color_punto()
{
	return makecol24(255, 0, 0);
}
int color_linea()
{
	return makecol24(255, 0, 255);
}
int color_fondo()
{
	return makecol24(255, 255, 255);
}

// A window of a spectrum mapped to pixels as the plot maps it.
struct Vista {
	int ch_i, ch_f;
	double amplia = 1;
};

std::vector<PuntoCurva> mapea(const std::vector<float> &li, const Vista &v, int ancho, int alto, int *desde)
{
	float maxl = *std::max_element(li.begin() + 1, li.end());
	float escala_x = (float)ancho / (v.ch_f - v.ch_i);
	float offset = (float)(-maxl / v.amplia), escala_y = alto / offset;
	*desde = v.ch_i > 1 ? 1 : 0;
	std::vector<PuntoCurva> p;
	for (int c = v.ch_i - *desde; c < v.ch_f; c++) {
		double x = (c - v.ch_i) * (double)escala_x, y = (li[c] + (double)offset) * escala_y;
		bool visible = std::isfinite(y);
		p.push_back(PuntoCurva{(int)x, visible ? (int)std::clamp(y, -1e9, 1e9) : 0, visible});
	}
	return p;
}

// Noise over a wandering baseline with a few peaks; slot 0 unused.
std::vector<float> espectro(int n, unsigned semilla, float negativos = 0)
{
	std::mt19937 g(semilla);
	std::normal_distribution<float> ruido(0, 1);
	std::vector<float> li(n + 1, 0);
	float base = 20;
	for (int c = 1; c <= n; c++) {
		base = std::max(0.0f, base + ruido(g));
		li[c] = base + 8 * ruido(g) - negativos * (g() % 4 == 0);
	}
	for (int pico = 0; pico < 6; pico++) {
		int centro = 1 + (int)(g() % n);
		for (int d = -30; d <= 30; d++)
			if (centro + d >= 1 && centro + d <= n)
				li[centro + d] += 400.0f * std::exp(-d * d / 50.0f);
	}
	return li;
}

BITMAP *lienzo(int ancho, int alto, int prof = 24)
{
	BITMAP *b = create_bitmap_ex(prof, ancho, alto);
	clear_to_color(b, color_fondo());
	return b;
}

int pixeles_distintos(BITMAP *a, BITMAP *b)
{
	int n = 0;
	for (int y = 0; y < a->h; y++)
		for (int x = 0; x < a->w; x++)
			n += getpixel(a, x, y) != getpixel(b, x, y);
	return n;
}

int pixeles_de_color(BITMAP *a, int color)
{
	int n = 0;
	for (int y = 0; y < a->h; y++)
		for (int x = 0; x < a->w; x++)
			n += getpixel(a, x, y) == color;
	return n;
}

struct Recorta {
	int x1, y1, x2, y2; // inclusive, as set_clip_rect takes them
};

// Pixels that differ between the two drawings, and pixels the reference drew.
struct Diferencia {
	int distintos = 0, dibujados = 0;
	Diferencia &operator+=(Diferencia d)
	{
		distintos += d.distintos;
		dibujados += d.dibujados;
		return *this;
	}
};

// Draws p both ways on equal bitmaps, in the drawing mode Allegro is in.
Diferencia compara(const std::vector<PuntoCurva> &p, int desde, int ancho = ANCHO_AREA, int alto = ALTO_AREA,
                   const Recorta *r = nullptr, int prof = 24, int modo = DRAW_MODE_SOLID)
{
	BITMAP *ref = lienzo(ancho, alto, prof), *rap = lienzo(ancho, alto, prof);
	if (r) {
		set_clip_rect(ref, r->x1, r->y1, r->x2, r->y2);
		set_clip_rect(rap, r->x1, r->y1, r->x2, r->y2);
	}
	int n = (int)p.size();
	dibuja_curva_referencia(ref, p.data(), n, desde, color_punto(), color_linea());
	dibuja_curva_rapida(rap, p.data(), n, desde, color_punto(), color_linea(), modo);
	Diferencia d{pixeles_distintos(ref, rap), ancho * alto - pixeles_de_color(ref, color_fondo())};
	destroy_bitmap(ref);
	destroy_bitmap(rap);
	return d;
}

Diferencia compara_vista(int n, const Vista &v, unsigned semilla, float negativos = 0)
{
	std::vector<float> li = espectro(n, semilla, negativos);
	int desde;
	std::vector<PuntoCurva> p = mapea(li, v, ANCHO_AREA, ALTO_AREA, &desde);
	return compara(p, desde);
}

// Every comparison of a test must match, and between them they must draw
// something: a picture of background alone would match for the wrong reason.
class Comparaciones {
public:
	void espera(Diferencia d, const std::string &caso)
	{
		EXPECT_EQ(d.distintos, 0) << caso;
		total += d;
	}
	~Comparaciones() { EXPECT_GT(total.dibujados, 0); }

private:
	Diferencia total;
};

} // namespace

TEST(Curva, IgualQueDibujarPrimitivaAPrimitivaEnTodasLasDensidades)
{
	Comparaciones c;
	for (int n : {10, 100, 814, 1000, 3000, 10000, 100000, 1000000})
		c.espera(compara_vista(n, Vista{1, n}, n), std::to_string(n) + " samples");
}

TEST(Curva, AmplificadaConPuntosMuyPorEncimaDelArea)
{
	Comparaciones c;
	for (double amplia : {2.0, 16.0, 200.0})
		for (int n : {50, 2000, 200000})
			c.espera(compara_vista(n, Vista{1, n, amplia}, n + 7),
			         std::to_string(n) + " x" + std::to_string(amplia));
}

TEST(Curva, MuestrasNegativasBajoElArea)
{
	Comparaciones c;
	for (int n : {40, 5000, 300000})
		c.espera(compara_vista(n, Vista{1, n, 4}, n + 11, 500), std::to_string(n));
}

TEST(Curva, VentanaAmpliadaEntraDesdeLaIzquierda)
{
	// Windows of 19 channels up to a tenth of the spectrum, amplified so the
	// lines leave the area at the top; desde = 1 brings the first line in.
	Comparaciones c;
	for (int ancho_v : {19, 40, 333, 20000})
		for (double amplia : {1.0, 50.0})
			c.espera(compara_vista(200000, Vista{1001, 1001 + ancho_v, amplia}, ancho_v),
			         std::to_string(ancho_v) + " channels");
}

// A real detector spectrum, one count a line; slot 0 unused.
std::vector<float> lee_espectro(const char *ruta)
{
	std::vector<float> li(1, 0);
	FILE *f = std::fopen(ruta, "r");
	if (f == nullptr)
		return li;
	float v;
	while (std::fscanf(f, "%f", &v) == 1)
		li.push_back(v);
	std::fclose(f);
	return li;
}

TEST(Curva, EspectroRealEnVariasVistas)
{
	std::vector<float> li = lee_espectro(ORQ_DATOS_PRUEBA "/real/hpge-pottery-16384.txt");
	ASSERT_EQ(li.size(), 16385u);
	std::vector<float> ln(li.size(), 0);
	for (size_t c = 1; c < li.size(); c++)
		ln[c] = std::log(li[c] + 1);
	// Whole, amplified, logarithmic, and zoomed on the 511 keV line.
	const Vista vistas[] = {{1, 16384}, {1, 16384, 8}, {1, 16384, 200}, {2790, 2809, 4}, {2700, 3000, 1}};
	Comparaciones c;
	for (const Vista &v : vistas) {
		for (const std::vector<float> *datos : {&li, &ln}) {
			int desde;
			std::vector<PuntoCurva> p = mapea(*datos, v, ANCHO_AREA, ALTO_AREA, &desde);
			c.espera(compara(p, desde), std::to_string(v.ch_i) + ".." + std::to_string(v.ch_f));
		}
	}
}

TEST(Curva, PuntosInvisiblesNiSeDibujanNiSeUnen)
{
	Comparaciones c;
	for (int n : {60, 4000, 400000}) {
		std::vector<float> li = espectro(n, n + 3);
		std::mt19937 g(n);
		for (int k = 2; k <= n; k++)
			if (g() % 5 == 0)
				li[k] = NAN;
		int desde;
		std::vector<PuntoCurva> p = mapea(li, Vista{1, n, 2}, ANCHO_AREA, ALTO_AREA, &desde);
		c.espera(compara(p, desde), std::to_string(n));
	}
	// No line may reach an invisible point.
	std::vector<PuntoCurva> p = {{10, 10, true}, {300, 200, false}, {50, 100, true}};
	BITMAP *b = lienzo(400, 300);
	dibuja_curva_rapida(b, p.data(), 3, 0, color_punto(), color_linea(), DRAW_MODE_SOLID);
	EXPECT_EQ(pixeles_de_color(b, color_linea()), 0);
	EXPECT_EQ(getpixel(b, 300, 200), color_fondo());
	EXPECT_EQ(getpixel(b, 50, 100), color_punto());
	destroy_bitmap(b);
}

TEST(Curva, RectanguloDeRecorteMenorQueElBitmap)
{
	Comparaciones c;
	const Recorta recortes[] = {
	    {100, 50, 600, 400}, {0, 0, 813, 0}, {407, 0, 407, 472}, {3, 200, 9, 207}};
	for (const Recorta &r : recortes)
		for (int n : {30, 2000, 100000}) {
			std::vector<float> li = espectro(n, n + r.x1);
			int desde;
			std::vector<PuntoCurva> p = mapea(li, Vista{1, n, 3}, ANCHO_AREA, ALTO_AREA, &desde);
			c.espera(compara(p, desde, ANCHO_AREA, ALTO_AREA, &r),
			         std::to_string(n) + " clip at " + std::to_string(r.x1));
		}
}

TEST(Curva, PuntosCualesquieraFueraDeOrdenYLejos)
{
	// Not a plot's curve: columns jump back and forth, and some points lie
	// far outside, so every kind of line is exercised.
	Comparaciones c;
	std::mt19937 g(5);
	for (int vuelta = 0; vuelta < 40; vuelta++) {
		std::vector<PuntoCurva> p(1 + vuelta * 5);
		for (PuntoCurva &q : p) {
			int lejos = g() % 8 == 0 ? 300000 : 400;
			q.x = (int)(g() % (2 * lejos)) - lejos + 200;
			q.y = (int)(g() % (2 * lejos)) - lejos + 150;
			q.visible = g() % 10 != 0;
		}
		c.espera(compara(p, vuelta % 2, 400, 300), "round " + std::to_string(vuelta));
	}
}

TEST(Curva, CoordenadasExtremasSeAcotanIgualEnAmbos)
{
	Comparaciones c;
	std::vector<PuntoCurva> p = {{200, INT_MIN, true}, {210, 150, true}, {220, INT_MAX, true},
	                             {INT_MIN, 100, true}, {230, 140, true}, {240, -COORD_MAXIMA - 5, true}};
	c.espera(compara(p, 0, 400, 300), "extremes");
}

TEST(Curva, CasosPequenos)
{
	Comparaciones c;
	std::vector<PuntoCurva> uno = {{5, 5, true}};
	c.espera(compara(uno, 0, 20, 20), "one point");
	// A one-channel window with desde = 1: a line from the sample left of the area.
	std::vector<PuntoCurva> dos = {{-30, 2, true}, {10, 15, true}};
	c.espera(compara(dos, 1, 20, 20), "one point with desde = 1");
	BITMAP *b = lienzo(20, 20);
	dibuja_curva_rapida(b, uno.data(), 1, 1, color_punto(), color_linea(),
	                    DRAW_MODE_SOLID); // desde past the end
	dibuja_curva_rapida(b, uno.data(), 0, 0, color_punto(), color_linea(), DRAW_MODE_SOLID);
	EXPECT_EQ(pixeles_de_color(b, color_fondo()), 400);
	destroy_bitmap(b);
}

TEST(Curva, OtrasProfundidadesYModoXor)
{
	Comparaciones c;
	std::vector<float> li = espectro(20000, 9);
	int desde;
	std::vector<PuntoCurva> p = mapea(li, Vista{1, 20000}, 300, 200, &desde);
	c.espera(compara(p, desde, 300, 200, nullptr, 32), "32 bits");
	// Exclusive-or drawing is not last-one-wins: it must be drawn the slow way.
	drawing_mode(DRAW_MODE_XOR, nullptr, 0, 0);
	c.espera(compara(p, desde, 300, 200, nullptr, 24, DRAW_MODE_XOR), "xor");
	solid_mode();
}

TEST(Curva, SubBitmapDeUnBitmapEnMemoria)
{
	std::vector<float> li = espectro(50000, 4);
	int desde;
	std::vector<PuntoCurva> p = mapea(li, Vista{1, 50000, 2}, 300, 200, &desde);
	BITMAP *padre_ref = lienzo(400, 300), *padre_rap = lienzo(400, 300);
	BITMAP *ref = create_sub_bitmap(padre_ref, 60, 70, 300, 200);
	BITMAP *rap = create_sub_bitmap(padre_rap, 60, 70, 300, 200);
	dibuja_curva_referencia(ref, p.data(), (int)p.size(), desde, color_punto(), color_linea());
	dibuja_curva_rapida(rap, p.data(), (int)p.size(), desde, color_punto(), color_linea(),
	                    DRAW_MODE_SOLID);
	// Over the whole parent: the fast drawing must not stray outside the sub-bitmap either.
	EXPECT_EQ(pixeles_distintos(padre_ref, padre_rap), 0);
	EXPECT_GT(400 * 300 - pixeles_de_color(padre_rap, color_fondo()), 0);
	destroy_bitmap(ref);
	destroy_bitmap(rap);
	destroy_bitmap(padre_ref);
	destroy_bitmap(padre_rap);
}

namespace {

std::set<std::pair<int, int>> visitados;
Recorte recorte_anotado;

// Keeps do_line's pixels inside recorte_anotado.
void anota(BITMAP *, int x, int y, int)
{
	const Recorte &r = recorte_anotado;
	if (x >= r.cl && x < r.cr && y >= r.ct && y < r.cb)
		visitados.insert({x, y});
}

void anota_tramo(void *datos, int x, int fila0, int fila1)
{
	auto *s = static_cast<std::set<std::pair<int, int>> *>(datos);
	EXPECT_LE(fila0, fila1);
	for (int y = fila0; y <= fila1; y++)
		EXPECT_TRUE(s->insert({x, y}).second) << "pixel given twice";
}

// do_line's pixels inside r against recorre_linea's.
void compara_linea(BITMAP *b, int x1, int y1, int x2, int y2, const Recorte &r)
{
	visitados.clear();
	recorte_anotado = r;
	do_line(b, x1, y1, x2, y2, 0, anota);
	std::set<std::pair<int, int>> obtenido;
	recorre_linea(x1, y1, x2, y2, r, anota_tramo, &obtenido);
	EXPECT_EQ(visitados, obtenido) << x1 << "," << y1 << " -> " << x2 << "," << y2;
}

} // namespace

TEST(RecorreLinea, LosMismosPixelesQueDoLineEnCadaOctante)
{
	BITMAP *b = lienzo(8, 8);
	std::mt19937 g(3);
	const Recorte r{-20, -15, 30, 25};
	for (int vuelta = 0; vuelta < 4000; vuelta++) {
		int radio = vuelta % 2 ? 40 : 6;
		auto u = [&] { return (int)(g() % (2 * radio + 1)) - radio; };
		int x1 = u(), y1 = u(), x2 = u(), y2 = u();
		if (vuelta % 9 == 0) // exact diagonals, where the major axis is a tie
			y2 = y1 + (vuelta % 2 ? x2 - x1 : x1 - x2);
		compara_linea(b, x1, y1, x2, y2, r);
	}
	compara_linea(b, 3, 3, 3, 3, r);
	compara_linea(b, 100, 3, 100, 3, r);
	destroy_bitmap(b);
}

TEST(RecorreLinea, LineasLargasSoloCuestanSuParteVisible)
{
	BITMAP *b = lienzo(8, 8);
	const Recorte r{0, 0, 50, 40};
	// Endpoints far away in every direction, each line crossing the rectangle.
	const int lejos = 900000;
	compara_linea(b, 20, 20, 23, -lejos, r);
	compara_linea(b, 23, -lejos, 20, 20, r);
	compara_linea(b, -7, lejos, 40, -lejos, r);
	compara_linea(b, -lejos, 10, lejos, 30, r);
	compara_linea(b, lejos, -3, -lejos, 45, r);
	compara_linea(b, 25, COORD_MAXIMA, 26, -COORD_MAXIMA, r);
	destroy_bitmap(b);
}

namespace {

void junta(void *datos, int x, int fila0, int fila1)
{
	auto *s = static_cast<std::set<std::pair<int, int>> *>(datos);
	for (int y = fila0; y <= fila1; y++)
		s->insert({x, y});
}

std::set<std::pair<int, int>> pixeles_de_linea(int x1, int y1, int x2, int y2, const Recorte &r)
{
	std::set<std::pair<int, int>> s;
	recorre_linea(x1, y1, x2, y2, r, junta, &s);
	return s;
}

} // namespace

TEST(RecorreLinea, AcotarElExtremoLejanoNoMueveLoVisible)
{
	// The largest area in use and the widest step between samples of a
	// zoomed window (19 channels): a line from inside to a sample beyond
	// COORD_MAXIMA shows the same pixels once that sample is clamped.
	const Recorte area{0, 0, 4000, 3000};
	const int paso_max = 4000 / 19;
	std::mt19937 g(8);
	for (int vuelta = 0; vuelta < 300; vuelta++) {
		int x0 = (int)(g() % 4000), y0 = (int)(g() % 3000);
		int x1 = x0 + (int)(g() % (2 * paso_max + 1)) - paso_max;
		long long lejos = COORD_MAXIMA + 1 + (long long)(g() % (8LL * COORD_MAXIMA));
		int y1 = (int)(vuelta % 2 ? lejos : -lejos),
		    acotado = vuelta % 2 ? COORD_MAXIMA : -COORD_MAXIMA;
		bool hacia_fuera = vuelta % 4 < 2;
		auto a = hacia_fuera ? pixeles_de_linea(x0, y0, x1, y1, area)
		                     : pixeles_de_linea(x1, y1, x0, y0, area);
		auto b = hacia_fuera ? pixeles_de_linea(x0, y0, x1, acotado, area)
		                     : pixeles_de_linea(x1, acotado, x0, y0, area);
		EXPECT_EQ(a, b) << x0 << "," << y0 << " -> " << x1 << "," << y1;
	}
}

TEST(Curva, CadaLlamadaEmpiezaDeCero)
{
	// The painted set is kept between calls: nothing of one curve may hide
	// part of the next, whatever the sizes in between.
	Comparaciones c;
	const int tamanos[][2] = {{300, 200}, {300, 200}, {500, 100}, {300, 200}, {64, 64}, {300, 200}};
	int vuelta = 0;
	for (auto t : tamanos) {
		std::vector<float> li = espectro(30000, 100 + vuelta);
		int desde;
		std::vector<PuntoCurva> p = mapea(li, Vista{1, 30000, 1.5}, t[0], t[1], &desde);
		c.espera(compara(p, desde, t[0], t[1]), "call " + std::to_string(vuelta++));
	}
}

TEST(Curva, DibujaCurvaEligeSinCambiarNada)
{
	// Few short primitives go one by one, many or long ones backwards: the
	// same picture either way, from a 19-channel window to a dense one.
	Comparaciones c;
	std::vector<float> li = espectro(200000, 12);
	const Vista vistas[] = {{5000, 5019}, {5000, 5019, 50}, {5000, 6000}, {1, 200000}};
	for (const Vista &v : vistas) {
		int desde;
		std::vector<PuntoCurva> p = mapea(li, v, ANCHO_AREA, ALTO_AREA, &desde);
		BITMAP *ref = lienzo(ANCHO_AREA, ALTO_AREA), *otro = lienzo(ANCHO_AREA, ALTO_AREA);
		dibuja_curva_referencia(ref, p.data(), (int)p.size(), desde, color_punto(), color_linea());
		dibuja_curva(otro, p.data(), (int)p.size(), desde, color_punto(), color_linea(),
		             DRAW_MODE_SOLID);
		int fondo = pixeles_de_color(ref, color_fondo());
		c.espera(Diferencia{pixeles_distintos(ref, otro), ANCHO_AREA * ALTO_AREA - fondo},
		         std::to_string(v.ch_f - v.ch_i) + " channels");
		destroy_bitmap(ref);
		destroy_bitmap(otro);
	}
}

TEST(Curva, CadaMejoraApagadaDejaElMismoDibujo)
{
	// The benchmark times each speed-up off: that drawing must be the same
	// picture, or the times would compare different work.
	bool AjustesCurva::*const interruptores[] = {
	    &AjustesCurva::corridas,    &AjustesCurva::orden_sin_saltos,  &AjustesCurva::lados_en_bloque,
	    &AjustesCurva::marcas_sse2, &AjustesCurva::escritura_directa, &AjustesCurva::lineas_calculadas};
	Comparaciones c;
	for (bool AjustesCurva::*interruptor : interruptores) {
		AjustesCurva a;
		a.*interruptor = false;
		ajusta_curva(a);
		c.espera(compara_vista(20000, Vista{1, 20000, 20}, 31), "dense, amplified");
		c.espera(compara_vista(300, Vista{1, 300, 50}, 32), "sparse, lines far above");
	}
	ajusta_curva(AjustesCurva{});
}
