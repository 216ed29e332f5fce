// The line test and the search behind Ctrl with an arrow (the rule is stated
// in analisis.h).  The search goes a block of channels at a time, blocks
// aligned on channel 1 whichever way it goes.  Inside the spectrum a screen
// rules out most channels at every width at once, on running sums and float
// vectors; only the channels that pass it get the exact test, summed sample
// by sample, and only those that pass that look at their neighbours.  Start
// at pico_siguiente.
#include "analisis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

// On x86-64 the screen is built for AVX2 and for any processor, and the
// loader picks one: twice the lanes where the processor has them.  What it
// calls is inlined into each build.
#if defined(__x86_64__) && defined(__GNUC__)
#define PARA_CADA_PROCESADOR __attribute__((target_clones("avx2", "default")))
#define EN_LINEA __attribute__((always_inline)) inline
#else
#define PARA_CADA_PROCESADOR
#define EN_LINEA inline
#endif

namespace {

constexpr int ESCALAS = sizeof ANCHOS_PICO / sizeof ANCHOS_PICO[0];
constexpr int MEDIO_MAX = ANCHOS_PICO[ESCALAS - 1];
constexpr int ALCANCE = 4 * MEDIO_MAX + 2; // the farthest channel a test reads
constexpr int RADIO_MAX = 2 * MEDIO_MAX;   // the farthest a line looks for a better channel
constexpr int FACTOR_CIMA = 2;             // the top's weights reach this many half-widths
// The half-width whose side windows lie near enough to hold a line the
// counts part from the channel's own: there a side window above the peak
// window gives way to the other one.
constexpr int MEDIO_UN_LADO = ANCHOS_PICO[0];

// Channels screened at once.
constexpr int BLOQUE = 1024;
using Marcas = std::array<int, BLOQUE>;

// Running sums of a block and its reach (one more than the channels), summed
// in TRAMOS stretches side by side, with room for the last vector of window
// sums to read.
constexpr int LARGO_SUMAS = BLOQUE + 2 * ALCANCE + 1;
constexpr int TRAMOS = 4;
constexpr int LARGO_TRAMO = (LARGO_SUMAS - 1) / TRAMOS;
static_assert(LARGO_TRAMO * TRAMOS == LARGO_SUMAS - 1, "the stretches must cover the sums");
constexpr int VECTOR = 8;
using Sumas = std::array<double, LARGO_SUMAS + VECTOR>;

// The screen's slack, relative to the sum of the magnitudes the block reads,
// some eight times what its rounding can reach: the running sums round by
// far less (LARGO_SUMAS^2 units of the last place of a double), window sums
// rounded to float and the float test by some ten units of the last place of
// a float.  Far below the noise unless samples pass some 10^6; samples so
// large that float window sums could overflow skip the screen.  The
// threshold's own slack covers the roundings of the squares.
constexpr double HOLGURA = 4e-6;
constexpr double MAGNITUD_MAX = 1e30;
constexpr float UMBRAL_CRIBA = static_cast<float>(SIGMAS_PICO * SIGMAS_PICO * (1 - 1e-5));
constexpr float NETO_MIN_CRIBA =
    static_cast<float>(SIGMAS_PICO * (1 - 1e-5)); // as the deviation is at least 1

// One channel's test at the width that fits it best: the net counts per
// square root of channel (what widths and neighbours are compared by), the
// deviations they stand out by, that half-width (0: none fits), and the
// straight background line, its value at the channel and rise per channel.
struct Prueba {
	double destaca, sigmas;
	int medio;
	double fondo, pendiente;
};

// The sum of Li[desde..hasta] in channel order; not finite if a sample is not.
double suma(const float *Li, int desde, int hasta)
{
	double s = 0;
	for (int j = desde; j <= hasta; j++)
		s += Li[j];
	return s;
}

// The counting variance of Li[desde..hasta] summed: the counts themselves,
// or for net counts the gross counts (net plus factor times the background)
// plus factor squared times the background, a channel with no background
// number taking nothing away.
double varianza_suma(const FondoRestado *fondo, int desde, int hasta, double suma_neta)
{
	if (!fondo)
		return suma_neta;
	double restado = 0;
	for (int j = desde; j <= hasta; j++)
		if (std::isfinite(fondo->cuentas[j]))
			restado += fondo->cuentas[j];
	return std::max(0.0, suma_neta + (fondo->factor + fondo->factor * fondo->factor) * restado);
}

// A side window, cut at the spectrum's end: its sum, its counting variance, length and middle.
struct Lado {
	double suma, varianza, largo, medio;
};

Lado lado(const float *Li, const FondoRestado *fondo, int desde, int hasta)
{
	double s = suma(Li, desde, hasta);
	return {s, varianza_suma(fondo, desde, hasta, s), static_cast<double>(hasta - desde + 1),
	        (desde + hasta) / 2.0};
}

// The counts about m weighted k + 1 - |j| at distance j and their counting
// variance; those of a stretch of channels, as long as a line looks.
struct Suavizado {
	double valor, varianza;
};
using Suavizados = std::array<Suavizado, 2 * RADIO_MAX + 1>; // as long as 4h + 1 for any h

Suavizado suavizado(const float *Li, const FondoRestado *fondo, int m, int k)
{
	Suavizado r{0, 0};
	for (int j = -k; j <= k; j++) {
		double w = k + 1 - std::abs(j), v = Li[m + j];
		r.valor += w * v;
		r.varianza += w * w * varianza_suma(fondo, m + j, m + j, v);
	}
	r.varianza = std::max(r.varianza, 1.0);
	return r;
}

// The lowest point between tops a and b of the smoothed counts, when both
// fall to it by SIGMAS_PICO deviations of the difference at least; -1 when
// they do not.
int valle_entre(const Suavizados &s, int a, int b)
{
	int v = a;
	for (int m = a; m <= b; m++)
		if (s[m].valor < s[v].valor)
			v = m;
	auto hondo = [&](int cumbre) {
		double caida = s[cumbre].valor - s[v].valor;
		return caida > 0 &&
		       caida * caida >= SIGMAS_PICO * SIGMAS_PICO * (s[cumbre].varianza + s[v].varianza);
	};
	return hondo(a) && hondo(b) ? v : -1;
}

// Channels desde to hasta (of Li[1..n]) looked at for valleys; a valley
// counts when its lowest point lies in `fondo`, or both its tops in `cumbres`.
struct Tramo {
	int desde, hasta;
	std::pair<int, int> fondo, cumbres;
};

bool dentro(int c, std::pair<int, int> r)
{
	return c >= r.first && c <= r.second;
}

// Whether the counts of the stretch, smoothed with weights reaching k
// channels, hold a valley that they resolve, where it counts: two peaks, both falling to the lowest point
// between them by SIGMAS_PICO deviations.  Of two neighbouring peaks with no such valley, the lower is
// dropped.  The stretch is cut where the weights would leave the spectrum.
bool hay_valle(const float *Li, const FondoRestado *fondo, int n, Tramo t, int k)
{
	t.desde = std::max(t.desde, 1 + k);
	t.hasta = std::min(t.hasta, n - k);
	int largo = t.hasta - t.desde + 1, cumbre = -1;
	Suavizados s;
	for (int i = 0; i < largo; i++)
		s[i] = suavizado(Li, fondo, t.desde + i, k);
	for (int i = 1; i + 1 < largo; i++) {
		if (!(s[i].valor > s[i - 1].valor && s[i].valor >= s[i + 1].valor))
			continue;
		int v = cumbre >= 0 ? valle_entre(s, cumbre, i) : -1;
		bool cumbres = dentro(t.desde + cumbre, t.cumbres) && dentro(t.desde + i, t.cumbres);
		if (v >= 0 && (dentro(t.desde + v, t.fondo) || cumbres))
			return true;
		if (cumbre < 0 || s[i].valor > s[cumbre].valor || v >= 0)
			cumbre = i;
	}
	return false;
}

// Whether the counts part channel c from a higher line the way of paso,
// within the reach of c's side window at half-width h: a valley whose
// lowest point lies between them, seen as valleys are at that width.
// False when the stretch is longer than a valley is looked for in.
bool valle_hacia(const float *Li, const FondoRestado *fondo, int n, int c, int h, int paso)
{
	int lejos = 4 * h + 2, desde = c + paso * (lejos + h + 1), hasta = c - paso * (h + 1);
	Tramo t{std::min(desde, hasta), std::max(desde, hasta), {c + paso * lejos, c + paso}, {}};
	if (t.fondo.first > t.fondo.second)
		std::swap(t.fondo.first, t.fondo.second);
	if (t.hasta - t.desde + 1 > static_cast<int>(std::tuple_size<Suavizados>::value))
		return false;
	for (int k = 1; k <= std::max(1, h / DIVISOR_VALLE); k *= 2)
		if (hay_valle(Li, fondo, n, t, k))
			return true;
	return false;
}

// The test of channel c at half-width h when the side window the way of
// paso stands above the peak window: past a valley the counts resolve, that
// window holds a higher line, and the background is the other side's mean,
// flat; else c is on that line's flank and fails.
Prueba de_un_lado(const float *Li, const FondoRestado *fondo, int n, int c, int h, double pico,
                  const Lado &bajo, int paso)
{
	double ancho = 2 * h + 1, linea = bajo.suma / bajo.largo, neto = pico - ancho * linea;
	double varianza = std::max(1.0, varianza_suma(fondo, c - h, c + h, pico) +
	                                    ancho * ancho * bajo.varianza / (bajo.largo * bajo.largo));
	Prueba t{neto / std::sqrt(ancho), neto / std::sqrt(varianza), h, linea, 0};
	return t.sigmas >= SIGMAS_PICO && valle_hacia(Li, fondo, n, c, h, paso) ? t : Prueba{};
}

// Channel c of Li[1..n] tested at half-width h; medio 0 when the width does
// not fit (a side window cut to less than its half) or a sample is not finite.
Prueba prueba_a(const float *Li, const FondoRestado *fondo, int n, int c, int h)
{
	int lejos = 4 * h + 2, cerca = 2 * h + 2; // the side windows' far and near ends
	if (c - 3 * h - 2 < 1 || c > n - 3 * h - 2)
		return {};
	Lado izq = lado(Li, fondo, c - std::min(lejos, c - 1), c - cerca);
	Lado der = lado(Li, fondo, c + cerca, c + std::min(lejos, n - c));
	double pico = suma(Li, c - h, c + h);
	if (!std::isfinite(pico + izq.suma + der.suma))
		return {};
	double peso_der = (c - izq.medio) / (der.medio - izq.medio), peso_izq = 1 - peso_der;
	double media_izq = izq.suma / izq.largo, media_der = der.suma / der.largo;
	double ancho = 2 * h + 1, linea = peso_izq * media_izq + peso_der * media_der;
	if (pico / ancho <= std::min(media_izq, media_der))
		return {};
	if (pico / ancho <= std::max(media_izq, media_der)) {
		if (h != MEDIO_UN_LADO)
			return {};
		bool alto_izq = media_izq > media_der;
		return de_un_lado(Li, fondo, n, c, h, pico, alto_izq ? der : izq, alto_izq ? -1 : 1);
	}
	double neto = pico - ancho * linea;
	double var_izq = peso_izq * peso_izq * izq.varianza / (izq.largo * izq.largo);
	double var_der = peso_der * peso_der * der.varianza / (der.largo * der.largo);
	double var_pico = varianza_suma(fondo, c - h, c + h, pico);
	double varianza = std::max(1.0, var_pico + ancho * ancho * (var_izq + var_der));
	return {neto / std::sqrt(ancho), neto / std::sqrt(varianza), h, linea,
	        (media_der - media_izq) / (der.medio - izq.medio)};
}

bool pasa(const Prueba &t)
{
	return t.medio != 0 && t.sigmas >= SIGMAS_PICO;
}

// How far the weights reach that look for a valley in a window of t's width.
int suavizado_de(const Prueba &t)
{
	return std::max(1, t.medio / DIVISOR_VALLE);
}

// Whether the peak window of t at c spans a valley: its lowest point within
// h/2 of c (its tops looked for as far again either side), or both its
// tops in the window; seen with weights reaching 1, 2, 4 ... channels up to those of
// its width: a wide window over narrow lines shows their valley only at their own width.
bool valle_en_ventana(const float *Li, const FondoRestado *fondo, int n, int c, const Prueba &t)
{
	for (int k = 1; k <= suavizado_de(t); k *= 2)
		if (hay_valle(Li, fondo, n,
		              {c - 2 * t.medio,
		               c + 2 * t.medio,
		               {c - t.medio / 2, c + t.medio / 2},
		               {c - t.medio, c + t.medio}},
		              k))
			return true;
	return false;
}

// Whether a valley's lowest point lies between channels o and c (its tops
// looked for as far as c's half-width beyond them), seen as in c's window.
bool valle_entre_canales(const float *Li, const FondoRestado *fondo, int n, int o, int c, const Prueba &t)
{
	int desde = std::min(o, c), hasta = std::max(o, c);
	for (int k = 1; k <= suavizado_de(t); k *= 2)
		if (hay_valle(Li, fondo, n, {desde - t.medio, hasta + t.medio, {desde, hasta}, {}}, k))
			return true;
	return false;
}

// The exact test of channel c: of the widths whose next two narrower ones net
// more than nothing, the one where the line stands out most.
Prueba prueba(const float *Li, const FondoRestado *fondo, int n, int c)
{
	std::array<Prueba, ESCALAS> t;
	int candidatas = 0;
	bool neto[ESCALAS], alguna_pasa = false;
	for (int k = 0; k < ESCALAS; k++) {
		Prueba u = prueba_a(Li, fondo, n, c, ANCHOS_PICO[k]);
		neto[k] = u.medio != 0 && u.destaca > 0;
		bool encima = (k < 1 || neto[k - 1]) && (k < 2 || neto[k - 2]);
		if (u.medio != 0 && encima) {
			t[candidatas++] = u;
			alguna_pasa = alguna_pasa || pasa(u);
		}
	}
	// Best first, as the valley costs most to look for; where no width
	// passes, which fits matters to nothing.
	for (;;) {
		int mejor = -1;
		for (int k = 0; k < candidatas; k++)
			if (mejor < 0 || t[k].destaca > t[mejor].destaca)
				mejor = k;
		if (mejor < 0)
			return {};
		if (!alguna_pasa || !valle_en_ventana(Li, fondo, n, c, t[mejor]))
			return t[mejor];
		std::copy(t.begin() + mejor + 1, t.begin() + candidatas, t.begin() + mejor);
		candidatas--;
	}
}

// Whether channel o with test u outdoes channel c with test t: o passes,
// lies within 2h of c (h the best half-width of c) and stands out more (at
// equal, the lower).  Only c's width counts: a window wide enough to span a
// strong line and a weaker neighbour must not hide the neighbour.
bool supera(int o, const Prueba &u, int c, const Prueba &t)
{
	bool mas = u.destaca > t.destaca || (u.destaca == t.destaca && o < c);
	return o != c && pasa(u) && mas && std::abs(o - c) <= 2 * t.medio;
}

// The tests of the channels that the lines of a block look at, each made once.
class Vecindad {
public:
	Vecindad(const float *Li, const FondoRestado *fondo, int n, int inicio)
	    : Li_(Li), fondo_(fondo), n_(n), base_(inicio - RADIO_MAX)
	{
	}

	const Prueba &de(int c)
	{
		int i = c - base_;
		if (!hecha_[i]) {
			t_[i] = prueba(Li_, fondo_, n_, c);
			hecha_[i] = true;
		}
		return t_[i];
	}

	// Whether c passes and no channel outdoes it: a line is found at c.
	bool halla_linea(int c)
	{
		if (!pasa(de(c)))
			return false;
		for (int o = c - std::min(RADIO_MAX, c - 1); o <= c + std::min(RADIO_MAX, n_ - c); o++)
			if (supera(o, de(o), c, de(c)) && !valle_entre_canales(Li_, fondo_, n_, o, c, de(c)))
				return false;
		return true;
	}

private:
	const float *Li_;
	const FondoRestado *fondo_;
	int n_, base_;
	std::array<Prueba, BLOQUE + 2 * RADIO_MAX> t_;
	std::array<bool, BLOQUE + 2 * RADIO_MAX> hecha_{};
};

// The top of the line found at c with test t: of the channels within h of c
// (h its best half-width), the one where the counts weighted k + 1 - |j| at
// distance j, k = FACTOR_CIMA * h, stand highest over the straight line of t
// (at equal, the lower).  Weights that fall off use every sample, so the top
// stays put where a flat window's edges would wander with the noise.  They
// reach 3h from c, inside the spectrum since the width fits there.
int cima(const float *Li, int c, const Prueba &t)
{
	int h = t.medio, k = FACTOR_CIMA * h, mejor = c;
	double alto = -std::numeric_limits<double>::infinity();
	for (int m = c - h; m <= c + h; m++) {
		double s = 0;
		for (int j = -k; j <= k; j++)
			s += (k + 1 - std::abs(j)) * static_cast<double>(Li[m + j]);
		s -= (k + 1.0) * (k + 1) * (t.fondo + t.pendiente * (m - c));
		if (s > alto) {
			alto = s;
			mejor = m;
		}
	}
	return mejor;
}

// The climb from m over the counts smoothed with weights reaching k to
// where neither neighbour stands higher, no farther than 2h from c.
int sube(const float *Li, const FondoRestado *fondo, int m, int k, int c, int h)
{
	double aqui = suavizado(Li, fondo, m, k).valor;
	for (;;) {
		double izq = suavizado(Li, fondo, m - 1, k).valor, der = suavizado(Li, fondo, m + 1, k).valor;
		int paso = der > aqui && der >= izq ? 1 : izq > aqui ? -1 : 0;
		if (paso == 0 || std::abs(m + paso - c) > 2 * h)
			return m;
		m += paso;
		aqui = std::max(izq, der);
	}
}

// The stop of the line found at c with test t: cima's top, unless a valley
// lies between it and c or within h/2 of it (a wide window over two lines
// that the counts part puts that top between them, or on the other line);
// then the climb from c over the counts smoothed as for valleys (weights
// reaching h / DIVISOR_VALLE).  A top in a dip of those counts, between two
// lines too close to part, climbs onto the higher when the dip shows above
// the noise; a shallower one is noise as far as the counts can tell.
int cumbre(const float *Li, const FondoRestado *fondo, int n, int c, const Prueba &t)
{
	int k = suavizado_de(t), m = cima(Li, c, t);
	if (valle_entre_canales(Li, fondo, n, m, c, t) || valle_en_ventana(Li, fondo, n, m, t))
		return sube(Li, fondo, c, k, c, t.medio);
	Suavizado aqui = suavizado(Li, fondo, m, k);
	double izq = suavizado(Li, fondo, m - 1, k).valor, der = suavizado(Li, fondo, m + 1, k).valor;
	if (!(aqui.valor < std::max(izq, der) && aqui.valor <= std::min(izq, der)))
		return m;
	int arriba = sube(Li, fondo, m, k, c, t.medio);
	Suavizado alto = suavizado(Li, fondo, arriba, k);
	double caida = alto.valor - aqui.valor;
	return caida * caida >= SIGMAS_HONDONADA * SIGMAS_HONDONADA * (alto.varianza + aqui.varianza) ? arriba
	                                                                                              : m;
}

// Running sums over the block from inicio and its reach, TRAMOS stretches
// summed side by side and then each raised by the ones before it; with
// LIMPIA, samples that are not finite count as 0 (windows that hold one fail
// the exact test anyway).  Returns the sum of the magnitudes, which bounds
// their rounding: not finite when a sample is not.
template <bool LIMPIA> double suma_corrida(const float *Li, int inicio, Sumas &s)
{
	const float *p = Li + inicio - ALCANCE;
	double a = 0, b = 0, c = 0, d = 0, magnitud = 0;
	s[0] = 0;
	for (int j = 0; j < LARGO_TRAMO; j++) {
		double x[TRAMOS];
		for (int t = 0; t < TRAMOS; t++) {
			float v = p[t * LARGO_TRAMO + j];
			x[t] = LIMPIA && !std::isfinite(v) ? 0 : v;
		}
		s[1 + j] = a += x[0];
		s[1 + LARGO_TRAMO + j] = b += x[1];
		s[1 + 2 * LARGO_TRAMO + j] = c += x[2];
		s[1 + 3 * LARGO_TRAMO + j] = d += x[3];
		magnitud += (std::fabs(x[0]) + std::fabs(x[1])) + (std::fabs(x[2]) + std::fabs(x[3]));
	}
	for (int t = 1; t < TRAMOS; t++) {
		double antes = s[t * LARGO_TRAMO];
		for (int j = 1; j <= LARGO_TRAMO; j++)
			s[t * LARGO_TRAMO + j] += antes;
	}
	std::fill(s.begin() + LARGO_SUMAS, s.end(), 0.0);
	return magnitud;
}

// Marks the channels of the block that may pass at half-width H: the test
// with every window whole (both side weights 1/2) on window sums rounded to
// float, squared, and loosened by the slack.  The window sums of every
// channel first, then the test; fixed counts and no branches, so that both
// run on vectors.
template <int H> EN_LINEA void criba_escala(const Sumas &s, float holgura, Marcas &marca)
{
	constexpr int LADO = 3 * H + 2; // from a channel to the middle of a side window
	constexpr int LARGO = (BLOQUE + 2 * LADO + VECTOR - 1) / VECTOR * VECTOR;
	static_assert(ALCANCE + 1 - LADO + LARGO + H <= LARGO_SUMAS + VECTOR, "window sums past the sums");
	std::array<float, LARGO> caja;
	const double *o = s.data() + ALCANCE + 1 - LADO;
	for (int j = 0; j < LARGO; j++)
		caja[j] = static_cast<float>(o[j + H] - o[j - H - 1]);
	for (int i = 0; i < BLOQUE; i++) {
		float pico = caja[i + LADO], lados = caja[i] + caja[i + 2 * LADO];
		float neto = pico - lados / 2 + holgura, varianza = pico + lados / 4 - holgura;
		bool marca_h = (neto >= NETO_MIN_CRIBA) & (neto * neto >= UMBRAL_CRIBA * varianza);
		if constexpr (H == MEDIO_UN_LADO) { // the lower side window alone, as prueba_a may take it
			float bajo = std::min(caja[i], caja[i + 2 * LADO]);
			float neto_bajo = pico - bajo + holgura, varianza_bajo = pico + bajo - holgura;
			marca_h |= (neto_bajo >= NETO_MIN_CRIBA) &
			           (neto_bajo * neto_bajo >= UMBRAL_CRIBA * varianza_bajo);
		}
		marca[i] |= marca_h;
	}
}

template <size_t... K>
EN_LINEA void criba_escalas(const Sumas &s, float holgura, Marcas &marca, std::index_sequence<K...>)
{
	(criba_escala<ANCHOS_PICO[K]>(s, holgura, marca), ...);
}

PARA_CADA_PROCESADOR void criba(const Sumas &s, float holgura, Marcas &marca)
{
	criba_escalas(s, holgura, marca, std::make_index_sequence<ESCALAS>());
}

// Marks the channels of the block from inicio that may pass: all of them
// where a window would leave the spectrum or the samples are huge.
void marca_bloque(const float *Li, int n, int inicio, Marcas &marca)
{
	marca.fill(1);
	if (inicio - ALCANCE < 1 || inicio > n - (BLOQUE - 1 + ALCANCE))
		return;
	Sumas s;
	double magnitud = suma_corrida<false>(Li, inicio, s);
	if (!std::isfinite(magnitud))
		magnitud = suma_corrida<true>(Li, inicio, s);
	if (!(magnitud < MAGNITUD_MAX))
		return;
	marca.fill(0);
	criba(s, static_cast<float>(HOLGURA * magnitud), marca);
}

// Of the lines found in the block from inicio, met going the way of paso,
// keeps in *mejor the top nearest past desde (0: none yet); false once a
// line lies too far past *mejor for a later top to come before it.
bool busca_en_bloque(const float *Li, const FondoRestado *fondo, int n, int inicio, long long desde, int paso,
                     int *mejor)
{
	Marcas marca;
	marca_bloque(Li, n, inicio, marca);
	if (std::none_of(marca.begin(), marca.end(), [](int m) { return m != 0; }))
		return true;
	Vecindad v(Li, fondo, n, inicio);
	int ultimo = std::min(BLOQUE - 1, n - inicio);
	for (int k = 0; k <= ultimo; k++) {
		int i = paso > 0 ? k : ultimo - k, c = inicio + i;
		if (!marca[i] || !v.halla_linea(c))
			continue;
		if (*mejor != 0 && (c - *mejor) * paso > MEDIO_MAX)
			return false;
		int pico = cumbre(Li, fondo, n, c, v.de(c));
		if ((pico - desde) * paso > 0 && (*mejor == 0 || (pico - *mejor) * paso < 0))
			*mejor = pico;
	}
	return true;
}

// The search from desde (which may lie one past either end) for the nearest
// stop no farther than limite.  Lines are looked for from MEDIO_MAX before
// desde, since a top lies within its half-width of the channel that finds
// it, and on past the first top until no later line can have a nearer one,
// nor any line a top before limite.
int busca(const float *Li, const FondoRestado *fondo, int n, long long desde, int paso, long long limite)
{
	if (n < 1)
		return 0;
	auto primero = static_cast<int>(std::clamp(desde - paso * MEDIO_MAX, 1LL, static_cast<long long>(n)));
	int mejor = 0;
	for (long long inicio = (primero - 1) / BLOQUE * BLOQUE + 1; inicio >= 1 && inicio <= n;
	     inicio += paso * BLOQUE) {
		long long delante = paso > 0 ? inicio : inicio + BLOQUE - 1;
		if ((mejor != 0 && (delante - mejor) * paso > MEDIO_MAX) ||
		    (delante - limite) * paso > MEDIO_MAX)
			break;
		if (!busca_en_bloque(Li, fondo, n, static_cast<int>(inicio), desde, paso, &mejor))
			break;
	}
	return (mejor - limite) * paso <= 0 ? mejor : 0;
}

// The nearer of the nearest stops either side of c within radio of it.
int cercano(const float *Li, const FondoRestado *fondo, int n, int c, long long radio)
{
	if (n < 1)
		return 0;
	c = std::clamp(c, 1, n);
	int abajo = busca(Li, fondo, n, c + 1LL, -1, c - radio),
	    arriba = busca(Li, fondo, n, c - 1LL, 1, c + radio);
	if (abajo == 0 || arriba == 0)
		return abajo + arriba;
	return arriba - c < c - abajo ? arriba : abajo;
}

} // namespace

int pico_siguiente(const float *Li, int n, int desde, int sentido, const FondoRestado *fondo)
{
	int paso = sentido > 0 ? 1 : -1;
	return busca(Li, fondo, n, desde, paso, paso > 0 ? n : 1);
}

int pico_hasta(const float *Li, int n, int desde, int sentido, long long hasta, const FondoRestado *fondo)
{
	return busca(Li, fondo, n, desde, sentido > 0 ? 1 : -1, hasta);
}

int pico_cercano(const float *Li, int n, int c, const FondoRestado *fondo)
{
	return cercano(Li, fondo, n, c, n);
}

int pico_cercano_en(const float *Li, int n, int c, long long radio, const FondoRestado *fondo)
{
	return cercano(Li, fondo, n, c, radio);
}
