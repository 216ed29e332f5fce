// Measuring a peak: one measure (stop, region, fit, result) of a line in a
// spectrum of 10^6 channels, of the same line net of a background, and at a
// channel of noise far from any line, beside a single pass that reads every
// sample; the Monte Carlo of the unit test with more spectra, the Poisson
// fit beside a fit weighted by the data (sigma^2 = counts, at least 1) over
// the same region, to show the bias that the Poisson weights avoid; and net
// spectra fitted with the difference's variance beside the same fit told
// nothing of the background; lines with a low-side tail or a step, lines
// at the spectrum's ends and at low counts, and a tailed doublet.
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <random>
#include <vector>

#include "analisis.h"
#include "cronometro.h"

namespace {

constexpr int MILLON = 1000000;
constexpr int REPETICIONES = 20;
constexpr int ESPECTROS = 4000;
constexpr int ESPECTROS_NETOS = 1000;
constexpr int CANALES = 100;
constexpr double CENTRO = 50, SIGMA = 2;

double en_canal(double c, double mu, double sigma)
{
	return 0.5 *
	       (std::erf((c + 0.5 - mu) / (sigma * M_SQRT2)) - std::erf((c - 0.5 - mu) / (sigma * M_SQRT2)));
}

// Counting noise on a flat background with one line.
std::vector<float> espectro(int n, double mu, double area, double fondo, std::mt19937_64 &azar)
{
	std::vector<float> li(n + 1);
	for (int c = 1; c <= n; c++) {
		double f = std::fabs(c - mu) < 20 * SIGMA ? en_canal(c, mu, SIGMA) : 0;
		li[c] = static_cast<float>(std::poisson_distribution<int>(fondo + area * f)(azar));
	}
	return li;
}

// Takes from li factor times a flat background of `restado` counts a
// channel, drawn apart into *fondo (the spectrum li must hold that much more).
void resta_fondo(std::vector<float> &li, double restado, double factor, std::vector<float> *fondo,
                 std::mt19937_64 &azar)
{
	fondo->assign(li.size(), 0);
	for (size_t c = 1; c < li.size(); c++) {
		(*fondo)[c] = static_cast<float>(std::poisson_distribution<int>(restado)(azar));
		li[c] -= static_cast<float>(factor) * (*fondo)[c];
	}
}

// ---- The fit weighted by the data ----

struct Datos {
	std::vector<double> x, y;
};

int residuos(const gsl_vector *p, void *d, gsl_vector *f)
{
	const Datos &datos = *static_cast<Datos *>(d);
	for (size_t i = 0; i < datos.x.size(); i++) {
		double x = datos.x[i];
		double m =
		    gsl_vector_get(p, 3) + gsl_vector_get(p, 4) * (x - CENTRO) +
		    gsl_vector_get(p, 0) * en_canal(x, gsl_vector_get(p, 1), std::fabs(gsl_vector_get(p, 2)));
		gsl_vector_set(f, i, m - datos.y[i]);
	}
	return GSL_SUCCESS;
}

// Area, its error, centroid and its error of the data-weighted fit over
// li[desde..hasta], started at the Poisson fit's answer; false if it failed.
bool ajuste_por_datos(const std::vector<float> &li, const MedidaPico &m, double r[4])
{
	Datos d;
	for (int c = m.desde; c <= m.hasta; c++) {
		d.x.push_back(c);
		d.y.push_back(li[c]);
	}
	size_t n = d.x.size();
	gsl_multifit_nlinear_fdf fdf{};
	fdf.f = residuos;
	fdf.n = n;
	fdf.p = 5;
	fdf.params = &d;
	gsl_multifit_nlinear_parameters par = gsl_multifit_nlinear_default_parameters();
	gsl_multifit_nlinear_workspace *w =
	    gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &par, n, 5);
	gsl_vector *pesos = gsl_vector_alloc(n);
	for (size_t i = 0; i < n; i++)
		gsl_vector_set(pesos, i, 1 / std::max(d.y[i], 1.0));
	double inicio[5] = {m.area, m.centroide, m.sigma, m.fondo_a + m.fondo_b * CENTRO, m.fondo_b};
	gsl_vector_view x = gsl_vector_view_array(inicio, 5);
	gsl_multifit_nlinear_winit(&x.vector, pesos, &fdf, w);
	int info;
	bool bien =
	    gsl_multifit_nlinear_driver(200, 1e-10, 1e-10, 0, nullptr, nullptr, &info, w) == GSL_SUCCESS;
	gsl_matrix *cov = gsl_matrix_alloc(5, 5);
	gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(w), 0, cov);
	const gsl_vector *p = gsl_multifit_nlinear_position(w);
	r[0] = gsl_vector_get(p, 0);
	r[1] = std::sqrt(gsl_matrix_get(cov, 0, 0));
	r[2] = gsl_vector_get(p, 1);
	r[3] = std::sqrt(gsl_matrix_get(cov, 1, 1));
	gsl_matrix_free(cov);
	gsl_vector_free(pesos);
	gsl_multifit_nlinear_free(w);
	return bien;
}

struct Cuenta {
	int n = 0, area = 0, centro = 0;
	double suma = 0;
	void anota(double a, double ea, double mu, double emu, double a_verdad, double mu_verdad)
	{
		n++;
		suma += a;
		area += std::fabs(a - a_verdad) <= ea;
		centro += std::fabs(mu - mu_verdad) <= emu;
	}
	void escribe(const char *que, double verdad) const
	{
		std::printf("  %-22s bias %+7.3f %%   coverage area %.3f   centroid %.3f   (%d fits)\n", que,
		            100 * (suma / n / verdad - 1), static_cast<double>(area) / n,
		            static_cast<double>(centro) / n, n);
	}
};

void montecarlo()
{
	struct Caso {
		double area, fondo;
	};
	const Caso casos[] = {{100, 5}, {1000, 5}, {1000, 50}, {1e5, 50}};
	std::mt19937_64 azar(20);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (const Caso &caso : casos) {
		Cuenta poisson, datos;
		int fallos = 0;
		for (int k = 0; k < ESPECTROS; k++) {
			double mu = CENTRO + desvio(azar);
			std::vector<float> li = espectro(CANALES, mu, caso.area, caso.fondo, azar);
			MedidaPico m = mide_pico(li.data(), CANALES, static_cast<int>(CENTRO));
			if (!m.ajustado) {
				fallos++;
				continue;
			}
			poisson.anota(m.area, m.error_area, m.centroide, m.error_centroide, caso.area, mu);
			double r[4];
			if (ajuste_por_datos(li, m, r))
				datos.anota(r[0], r[1], r[2], r[3], caso.area, mu);
		}
		std::printf("area %g on %g counts a channel, sigma 2, %d spectra, %d not fitted:\n",
		            caso.area, caso.fondo, ESPECTROS, fallos);
		poisson.escribe("Poisson (mide_pico)", caso.area);
		datos.escribe("data-weighted", caso.area);
	}
}

void montecarlo_neto()
{
	struct Caso {
		double area, continuo, restado, factor;
	};
	const Caso casos[] = {{1000, 5, 40, 0.5}, {1000, 5, 10, 2}, {300, 5, 40, 0.5}};
	std::mt19937_64 azar(22);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (const Caso &caso : casos) {
		Cuenta con, sin;
		int fallos_con = 0, fallos_sin = 0;
		std::vector<float> fondo;
		for (int k = 0; k < ESPECTROS_NETOS; k++) {
			double mu = CENTRO + desvio(azar);
			std::vector<float> li = espectro(CANALES, mu, caso.area,
			                                 caso.continuo + caso.factor * caso.restado, azar);
			resta_fondo(li, caso.restado, caso.factor, &fondo, azar);
			FondoRestado f{fondo.data(), caso.factor};
			MedidaPico m = mide_pico(li.data(), CANALES, static_cast<int>(CENTRO), &f);
			MedidaPico p = mide_pico(li.data(), CANALES, static_cast<int>(CENTRO));
			if (m.ajustado)
				con.anota(m.area, m.error_area, m.centroide, m.error_centroide, caso.area,
				          mu);
			if (p.ajustado)
				sin.anota(p.area, p.error_area, p.centroide, p.error_centroide, caso.area,
				          mu);
			fallos_con += !m.ajustado;
			fallos_sin += !p.ajustado;
		}
		std::printf(
		    "net: area %g on %g, less %g x a background of %g, %d spectra, not fitted %d / %d:\n",
		    caso.area, caso.continuo, caso.factor, caso.restado, ESPECTROS_NETOS, fallos_con,
		    fallos_sin);
		con.escribe("difference's variance", caso.area);
		sin.escribe("told no background", caso.area);
	}
}

// ---- Multiplets ----

// A doublet 2 FWHM apart in 10^6 channels, measured whole from the cursor on its first line.
void doblete(double pasada)
{
	std::mt19937_64 azar(3);
	double primera = 500000.3, segunda = primera + 2 * FWHM_POR_SIGMA * SIGMA;
	std::vector<float> li = espectro(MILLON, primera, 1e4, 50, azar);
	for (int c = static_cast<int>(segunda) - 40; c <= static_cast<int>(segunda) + 40; c++)
		li[c] += static_cast<float>(
		    std::poisson_distribution<int>(1e4 * en_canal(c, segunda, SIGMA))(azar));
	MedidaMultiplete m;
	double medida = mejor_tiempo(REPETICIONES, [&] {
		m = mide_multiplete(li.data(), MILLON, 500000);
		return m.ajustado;
	});
	std::printf(
	    "one doublet (2 FWHM apart) in 10^6 channels: %.3f ms (goal: under 3 ms; ratio to the pass "
	    "%.2f); %zu lines:",
	    1e3 * medida, medida / pasada, m.lineas.size());
	for (const MedidaPico &l : m.lineas)
		std::printf(" %.2f +- %.2f (area %.0f +- %.0f)", l.centroide, l.error_centroide, l.area,
		            l.error_area);
	std::printf("\n");
}

constexpr double SIGMA_MULTIPLETE = 2.5;
constexpr int ESPECTROS_MULTIPLETE = 1000;
constexpr int CANALES_MULTIPLETE = 300;

// Of the multiplet's lines, the one nearest mu when within two sigma of it.
const MedidaPico *linea_en(const MedidaMultiplete &m, double mu)
{
	const MedidaPico *mejor = nullptr;
	for (const MedidaPico &l : m.lineas)
		if (m.ajustado && (!mejor || std::fabs(l.centroide - mu) < std::fabs(mejor->centroide - mu)))
			mejor = &l;
	return mejor && std::fabs(mejor->centroide - mu) <= 2 * SIGMA_MULTIPLETE ? mejor : nullptr;
}

// Counting noise over a line (mu, area) and a background given channel by channel.
void suma_linea(std::vector<double> &e, double mu, double area)
{
	for (size_t c = 1; c < e.size(); c++)
		e[c] += area * en_canal(static_cast<double>(c), mu, SIGMA_MULTIPLETE);
}

std::vector<float> con_ruido(const std::vector<double> &e, std::mt19937_64 &azar)
{
	std::vector<float> li(e.size());
	for (size_t c = 1; c < e.size(); c++)
		li[c] = static_cast<float>(std::poisson_distribution<long>(e[c])(azar));
	return li;
}

// Doublets on 40 counts a channel, sigma 2.5: P at each line, the multiplet
// beside the one-line measure.
void montecarlo_dobletes()
{
	struct Caso {
		double separacion, a1, a2;
	};
	std::mt19937_64 azar(29);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (double sep : {1.2, 2.0, 2.7})
		for (Caso caso : {Caso{sep, 3000, 3000}, Caso{sep, 5000, 1000}}) {
			Cuenta multi[2], una[2];
			int fallos[2] = {0, 0};
			for (int k = 0; k < ESPECTROS_MULTIPLETE; k++) {
				double mu[2] = {130 + desvio(azar), 0}, area[2] = {caso.a1, caso.a2};
				mu[1] = mu[0] + caso.separacion * FWHM_POR_SIGMA * SIGMA_MULTIPLETE;
				std::vector<double> e(CANALES_MULTIPLETE + 1, 40);
				suma_linea(e, mu[0], area[0]);
				suma_linea(e, mu[1], area[1]);
				std::vector<float> li = con_ruido(e, azar);
				for (int i = 0; i < 2; i++) {
					int cursor = static_cast<int>(std::lround(mu[i]));
					MedidaMultiplete m =
					    mide_multiplete(li.data(), CANALES_MULTIPLETE, cursor);
					const MedidaPico *l = linea_en(m, mu[i]);
					fallos[i] += !l;
					if (l)
						multi[i].anota(l->area, l->error_area, l->centroide,
						               l->error_centroide, area[i], mu[i]);
					MedidaPico p = mide_pico(li.data(), CANALES_MULTIPLETE, cursor);
					if (p.ajustado)
						una[i].anota(p.area, p.error_area, p.centroide,
						             p.error_centroide, area[i], mu[i]);
				}
			}
			std::printf("doublet %.1f FWHM apart, areas %g + %g on 40, sigma 2.5, %d spectra:\n",
			            caso.separacion, caso.a1, caso.a2, ESPECTROS_MULTIPLETE);
			for (int i = 0; i < 2; i++) {
				std::printf("  line %d, multiplet (%d not found):", i + 1, fallos[i]);
				multi[i].escribe("", i == 0 ? caso.a1 : caso.a2);
				std::printf("  line %d, one line alone:", i + 1);
				una[i].escribe("", i == 0 ? caso.a1 : caso.a2);
			}
		}
}
// A line of area 2000 (sigma 2.5) on the steep continuum 2000 e^(-ch/60) + 5,
// and on 100 times the counts: the multiplet's background beside the
// straight one of the one-line measure.
void montecarlo_continuo()
{
	std::mt19937_64 azar(31);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (double escala : {1.0, 100.0})
		for (double canal : {150.0, 100.0}) {
			Cuenta multi, una;
			int fallos = 0, curvos = 0;
			for (int k = 0; k < ESPECTROS_MULTIPLETE; k++) {
				double mu = canal + desvio(azar);
				std::vector<double> e(CANALES_MULTIPLETE + 1);
				for (size_t c = 1; c < e.size(); c++)
					e[c] = escala * (2000 * std::exp(-static_cast<double>(c) / 60) + 5);
				suma_linea(e, mu, 2000 * escala);
				std::vector<float> li = con_ruido(e, azar);
				MedidaMultiplete m =
				    mide_multiplete(li.data(), CANALES_MULTIPLETE, static_cast<int>(canal));
				const MedidaPico *l = m.lineas.size() == 1 ? linea_en(m, mu) : nullptr;
				fallos += !l;
				curvos += m.cuadratico;
				if (l)
					multi.anota(l->area, l->error_area, l->centroide, l->error_centroide,
					            2000 * escala, mu);
				MedidaPico p =
				    mide_pico(li.data(), CANALES_MULTIPLETE, static_cast<int>(canal));
				if (p.ajustado)
					una.anota(p.area, p.error_area, p.centroide, p.error_centroide,
					          2000 * escala, mu);
			}
			std::printf("line at %g on 2000 e^(-ch/60) + 5, x %g, %d spectra:\n", canal, escala,
			            ESPECTROS_MULTIPLETE);
			std::printf("  multiplet (%d not one line, %d with a quadratic term):", fallos,
			            curvos);
			multi.escribe("", 2000 * escala);
			std::printf("  one line alone, straight background:");
			una.escribe("", 2000 * escala);
		}
}

// The share in channel c of a line at mu whose share `cola` lies in a
// low-side tail, the Gaussian convolved with a falling exponential of scale
// beta (its distribution function in closed form), and of a step under it
// of height `escalon` times the line's peak height.
double con_cola(double c, double mu, double cola, double beta, double escalon)
{
	auto hasta = [&](double t) {
		double u = (t / SIGMA_MULTIPLETE + SIGMA_MULTIPLETE / beta) / M_SQRT2;
		double e =
		    u < 25
		        ? 0.5 * std::exp(t / beta + SIGMA_MULTIPLETE * SIGMA_MULTIPLETE / (2 * beta * beta)) *
		              std::erfc(u)
		        : 0;
		return 0.5 * (1 + std::erf(t / (SIGMA_MULTIPLETE * M_SQRT2))) + e;
	};
	double g = en_canal(c, mu, SIGMA_MULTIPLETE);
	double t = cola > 0 ? hasta(c + 0.5 - mu) - hasta(c - 0.5 - mu) : g;
	double paso = escalon / (std::sqrt(2 * M_PI) * SIGMA_MULTIPLETE) * 0.5 *
	              std::erfc((c - mu) / (SIGMA_MULTIPLETE * M_SQRT2));
	return (1 - cola) * g + cola * t + paso;
}

constexpr int ESPECTROS_COLA = 1000;

// Lines with a low-side tail or a step (sigma 2.5) measured by P at their
// channel: how often a phantom line joins, the area's bias and coverage,
// the centroid's coverage, how often no fit or a poor one comes back, and
// how often the tail and the step were fitted.
void montecarlo_colas()
{
	struct Caso {
		double cola, pendiente, escalon;
	};
	std::mt19937_64 azar(35);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (Caso caso : {Caso{0.02, 1.5, 0}, Caso{0.05, 1.5, 0}, Caso{0.10, 2, 0}, Caso{0, 1, 0.01}})
		for (double area : {1e3, 1e4, 1e5, 1e6})
			for (double fondo : {10.0, 100.0}) {
				Cuenta cuenta;
				int fantasmas = 0, sin_ajuste = 0, pobres = 0, colas = 0, escalones = 0;
				for (int k = 0; k < ESPECTROS_COLA; k++) {
					double mu = 150 + desvio(azar);
					std::vector<double> e(CANALES_MULTIPLETE + 1, fondo);
					for (size_t c = 1; c < e.size(); c++)
						e[c] += area * con_cola(static_cast<double>(c), mu, caso.cola,
						                        caso.pendiente * SIGMA_MULTIPLETE,
						                        caso.escalon);
					std::vector<float> li = con_ruido(e, azar);
					MedidaMultiplete m =
					    mide_multiplete(li.data(), CANALES_MULTIPLETE, 150);
					const MedidaPico *l = linea_en(m, mu);
					sin_ajuste += !l;
					fantasmas += m.lineas.size() > 1;
					pobres += m.pobre;
					colas += m.cola;
					escalones += m.escalon;
					if (l)
						cuenta.anota(l->area, l->error_area, l->centroide,
						             l->error_centroide, area, mu);
				}
				std::printf(
				    "tail %.0f%% (slope %.1f sigma), step %.0f%%, area %g on %g, %d spectra: "
				    "phantom %.1f%%, no fit %d, poor %.1f%%, tail fitted %d, step %d\n",
				    100 * caso.cola, caso.pendiente, 100 * caso.escalon, area, fondo,
				    ESPECTROS_COLA, 100.0 * fantasmas / ESPECTROS_COLA, sin_ajuste,
				    100.0 * pobres / ESPECTROS_COLA, colas, escalones);
				cuenta.escribe("", area);
			}
}

// Lines of area 10^4 on 40 (sigma 2.5) within 15 channels of either end of
// 300, and lines of 30 counts on 0 and 2 a channel.
void montecarlo_bordes()
{
	struct Caso {
		double canal, area, fondo;
	};
	std::mt19937_64 azar(36);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	for (Caso caso : {Caso{3, 1e4, 40}, Caso{5, 1e4, 40}, Caso{10, 1e4, 40}, Caso{15, 1e4, 40},
	                  Caso{296, 1e4, 40}, Caso{298, 1e4, 40}, Caso{150, 30, 0}, Caso{150, 30, 2}}) {
		Cuenta cuenta;
		int sin_ajuste = 0, cortadas = 0;
		for (int k = 0; k < ESPECTROS_MULTIPLETE / 2; k++) {
			double mu = caso.canal + desvio(azar);
			std::vector<double> e(CANALES_MULTIPLETE + 1, caso.fondo);
			suma_linea(e, mu, caso.area);
			std::vector<float> li = con_ruido(e, azar);
			MedidaMultiplete m =
			    mide_multiplete(li.data(), CANALES_MULTIPLETE, static_cast<int>(caso.canal));
			const MedidaPico *l = linea_en(m, mu);
			sin_ajuste += !l;
			cortadas += m.cortada;
			if (l)
				cuenta.anota(l->area, l->error_area, l->centroide, l->error_centroide,
				             caso.area, mu);
		}
		std::printf("line at %g, area %g on %g, %d spectra: no fit %d, region cut %d\n", caso.canal,
		            caso.area, caso.fondo, ESPECTROS_MULTIPLETE / 2, sin_ajuste, cortadas);
		cuenta.escribe("", caso.area);
	}
}

// A line of 10^5 with a 5% tail and a pure one of 3000 2 FWHM below it, inside the tail, on 10.
void montecarlo_doblete_con_cola()
{
	std::mt19937_64 azar(37);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	Cuenta cuentas[2];
	int perdidas[2] = {0, 0};
	for (int k = 0; k < ESPECTROS_MULTIPLETE / 2; k++) {
		double mu[2] = {150 + desvio(azar), 0}, area[2] = {1e5, 3000};
		mu[1] = mu[0] - 2 * FWHM_POR_SIGMA * SIGMA_MULTIPLETE;
		std::vector<double> e(CANALES_MULTIPLETE + 1, 10);
		for (size_t c = 1; c < e.size(); c++)
			e[c] += area[0] *
			        con_cola(static_cast<double>(c), mu[0], 0.05, 1.5 * SIGMA_MULTIPLETE, 0);
		suma_linea(e, mu[1], area[1]);
		std::vector<float> li = con_ruido(e, azar);
		MedidaMultiplete m = mide_multiplete(li.data(), CANALES_MULTIPLETE, 150);
		for (int i = 0; i < 2; i++) {
			const MedidaPico *l = linea_en(m, mu[i]);
			perdidas[i] += !l || (i == 1 && m.lineas.size() < 2);
			if (l && (i == 0 || m.lineas.size() >= 2))
				cuentas[i].anota(l->area, l->error_area, l->centroide, l->error_centroide,
				                 area[i], mu[i]);
		}
	}
	for (int i = 0; i < 2; i++) {
		std::printf("tailed doublet, line %d (%s), %d spectra, %d not found:", i + 1,
		            i == 0 ? "10^5, 5% tail" : "3000, 2 FWHM below", ESPECTROS_MULTIPLETE / 2,
		            perdidas[i]);
		cuentas[i].escribe("", i == 0 ? 1e5 : 3000);
	}
}

// A triplet 3.5 sigma apart, areas 3000, 1500 and 3000 on 40 (sigma 2.5):
// P at each of its lines, each line's bias and coverage, and how often the
// measure does not hold all three.
void montecarlo_triplete()
{
	constexpr int TRIPLETES = ESPECTROS_MULTIPLETE / 2;
	std::mt19937_64 azar(38);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	const double area[3] = {3000, 1500, 3000};
	for (int cursor = 0; cursor < 3; cursor++) {
		Cuenta cuentas[3];
		int incompletas = 0;
		for (int k = 0; k < TRIPLETES; k++) {
			double mu[3];
			mu[0] = 140 + desvio(azar);
			std::vector<double> e(CANALES_MULTIPLETE + 1, 40);
			for (int i = 0; i < 3; i++) {
				mu[i] = mu[0] + 3.5 * SIGMA_MULTIPLETE * i;
				suma_linea(e, mu[i], area[i]);
			}
			std::vector<float> li = con_ruido(e, azar);
			MedidaMultiplete m = mide_multiplete(li.data(), CANALES_MULTIPLETE,
			                                     static_cast<int>(std::lround(mu[cursor])));
			bool completa = m.lineas.size() == 3;
			incompletas += !completa;
			for (int i = 0; i < 3 && completa; i++) {
				const MedidaPico &l = m.lineas[static_cast<size_t>(i)];
				cuentas[i].anota(l.area, l.error_area, l.centroide, l.error_centroide,
				                 area[i], mu[i]);
			}
		}
		std::printf("triplet 3.5 sigma apart, 3000 + 1500 + 3000 on 40, P at line %d, %d spectra, "
		            "%d not three lines:\n",
		            cursor + 1, TRIPLETES, incompletas);
		for (int i = 0; i < 3; i++) {
			std::printf("  line %d:", i + 1);
			cuentas[i].escribe("", area[i]);
		}
	}
}

// A weak line 2 FWHM above one 50 times stronger (areas 5*10^4 and 10^3 on
// 40, sigma 2.5), P on the strong one: how often the weak one is found,
// and both lines' bias and coverage.
void montecarlo_debil_al_lado()
{
	constexpr int PARES = ESPECTROS_MULTIPLETE / 2;
	std::mt19937_64 azar(39);
	std::uniform_real_distribution<double> desvio(-0.5, 0.5);
	const double area[2] = {5e4, 1e3};
	Cuenta cuentas[2];
	int perdidas = 0;
	for (int k = 0; k < PARES; k++) {
		double mu[2] = {150 + desvio(azar), 0};
		mu[1] = mu[0] + 2 * FWHM_POR_SIGMA * SIGMA_MULTIPLETE;
		std::vector<double> e(CANALES_MULTIPLETE + 1, 40);
		suma_linea(e, mu[0], area[0]);
		suma_linea(e, mu[1], area[1]);
		std::vector<float> li = con_ruido(e, azar);
		MedidaMultiplete m = mide_multiplete(li.data(), CANALES_MULTIPLETE, 150);
		const MedidaPico *l[2] = {linea_en(m, mu[0]),
		                          m.lineas.size() >= 2 ? linea_en(m, mu[1]) : nullptr};
		perdidas += !l[1] || l[1] == l[0];
		for (int i = 0; i < 2; i++)
			if (l[i] && (i == 0 || l[1] != l[0]))
				cuentas[i].anota(l[i]->area, l[i]->error_area, l[i]->centroide,
				                 l[i]->error_centroide, area[i], mu[i]);
	}
	std::printf(
	    "a weak line 2 FWHM above one 50 times stronger, P on the strong one, %d spectra, weak one "
	    "lost %d:\n",
	    PARES, perdidas);
	for (int i = 0; i < 2; i++) {
		std::printf("  line %d:", i + 1);
		cuentas[i].escribe("", area[i]);
	}
}

} // namespace

// The parts a run may be limited to, by naming them on the command line.
bool pedida(int argc, char **argv, const char *parte)
{
	if (argc < 2)
		return true;
	for (int i = 1; i < argc; i++)
		if (std::strcmp(argv[i], parte) == 0)
			return true;
	return false;
}

// The timings (velocidad), then the Monte Carlo tables; with names on the
// command line, only the parts named.
int main(int argc, char **argv)
{
	std::setvbuf(stdout, nullptr, _IOLBF, 0); // each row as it comes, in a long run
	gsl_set_error_handler_off();
	std::mt19937_64 azar(1);
	std::vector<float> li = espectro(MILLON, 500000.3, 1e4, 50, azar);
	MedidaPico m;
	double medida = mejor_tiempo(REPETICIONES, [&] {
		m = mide_pico(li.data(), MILLON, 500000);
		return m.ajustado;
	});
	double suma = 0;
	double pasada = mejor_tiempo(REPETICIONES, [&] {
		for (int c = 1; c <= MILLON; c++)
			suma += li[c];
		return suma > 0;
	});
	std::printf(
	    "one measure in 10^6 channels: %.3f ms (goal: under 2 ms); one pass over the samples: %.3f ms "
	    "(ratio %.2f)\n",
	    1e3 * medida, 1e3 * pasada, medida / pasada);
	std::printf("  centroid %.3f +- %.3f, area %.1f +- %.1f, region %d..%d\n", m.centroide,
	            m.error_centroide, m.area, m.error_area, m.desde, m.hasta);
	std::vector<float> fondo, neto = espectro(MILLON, 500000.3, 1e4, 50 + 0.5 * 40, azar);
	resta_fondo(neto, 40, 0.5, &fondo, azar);
	FondoRestado f{fondo.data(), 0.5};
	double medida_neta = mejor_tiempo(REPETICIONES, [&] {
		m = mide_pico(neto.data(), MILLON, 500000, &f);
		return m.ajustado;
	});
	std::printf("one measure of net counts in 10^6 channels: %.3f ms (ratio to the pass %.2f); area %.1f "
	            "+- %.1f\n",
	            1e3 * medida_neta, medida_neta / pasada, m.area, m.error_area);
	double en_ruido = mejor_tiempo(REPETICIONES, [&] {
		m = mide_pico(li.data(), MILLON, 100000);
		return !m.ajustado;
	});
	std::printf(
	    "one measure on noise, no line within 4*10^5 channels: %.3f ms (ratio to the pass %.2f)\n",
	    1e3 * en_ruido, en_ruido / pasada);
	doblete(pasada);
	const std::pair<const char *, void (*)()> partes[] = {{"pico", montecarlo},
	                                                      {"neto", montecarlo_neto},
	                                                      {"dobletes", montecarlo_dobletes},
	                                                      {"continuo", montecarlo_continuo},
	                                                      {"colas", montecarlo_colas},
	                                                      {"bordes", montecarlo_bordes},
	                                                      {"doblete_cola", montecarlo_doblete_con_cola},
	                                                      {"triplete", montecarlo_triplete},
	                                                      {"debil_al_lado", montecarlo_debil_al_lado}};
	for (const auto &[nombre, parte] : partes)
		if (pedida(argc, argv, nombre))
			parte();
	return 0;
}
