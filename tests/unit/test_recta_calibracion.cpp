// The least-squares calibration line and its residuals, against the textbook
// closed form computed here in long double on the raw channels; and a
// measure carried over to the mirrored spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analisis.h"

namespace {

struct Referencia {
	long double pendiente, ordenada; // wavelength = ordenada + pendiente * channel
};

Referencia minimos_cuadrados(const std::vector<PuntoCalibracion> &p)
{
	long double n = p.size(), sx = 0, sy = 0, sxx = 0, sxy = 0;
	for (const PuntoCalibracion &q : p) {
		sx += q.canal;
		sy += q.longitud;
		sxx += static_cast<long double>(q.canal) * q.canal;
		sxy += static_cast<long double>(q.canal) * q.longitud;
	}
	long double b = (n * sxy - sx * sy) / (n * sxx - sx * sx);
	return {b, (sy - b * sx) / n};
}

// The line, each residual and the RMS against the reference, to `tol` of the
// wavelengths' scale.
void compara(const std::vector<PuntoCalibracion> &p, double tol)
{
	AjusteCalibracion r = recta_calibracion(p.data(), p.size());
	ASSERT_EQ(r.fallo, FalloRecta::ninguno);
	Referencia ref = minimos_cuadrados(p);
	EXPECT_NEAR(r.cal.al, static_cast<double>(ref.pendiente), tol * std::fabs(r.cal.al));
	long double suma = 0;
	for (const PuntoCalibracion &q : p) {
		long double esperado = q.longitud - (ref.ordenada + ref.pendiente * q.canal);
		EXPECT_NEAR(residuo(r.cal, q), static_cast<double>(esperado), tol * std::fabs(q.longitud));
		suma += esperado * esperado;
	}
	EXPECT_NEAR(rms_residuos(r.cal, p.data(), p.size()), static_cast<double>(std::sqrt(suma / p.size())),
	            tol * std::fabs(p[0].longitud));
}

} // namespace

TEST(RectaCalibracion, PuntosSobreUnaRectaDanEsaRectaYResiduosNulos)
{
	const double a = -0.035087, b = 0.182804;
	std::vector<PuntoCalibracion> p;
	for (double c : {2798.25, 7994.5, 14309.75, 3333.125})
		p.push_back({c, a + b * c});
	compara(p, 1e-12);
	AjusteCalibracion r = recta_calibracion(p.data(), p.size());
	EXPECT_NEAR(r.cal.al, b, 1e-14);
	EXPECT_NEAR(longitud_en(r.cal, 0), a, 1e-11);
	EXPECT_LT(rms_residuos(r.cal, p.data(), p.size()), 1e-11);
	// Two points: the line through both.
	AjusteCalibracion dos = recta_calibracion(p.data(), 2);
	EXPECT_NEAR(residuo(dos.cal, p[0]), 0, 1e-12);
	EXPECT_NEAR(residuo(dos.cal, p[1]), 0, 1e-12);
}

// Noisy wavelengths on channels far from 0, where a fit on the raw channels
// in double would lose digits to cancellation.
TEST(RectaCalibracion, PuntosConRuidoComoLaFormulaCerrada)
{
	std::mt19937 azar(21);
	std::normal_distribution<double> ruido(0, 0.05);
	for (double origen : {0.0, 1e6}) {
		std::vector<PuntoCalibracion> p;
		for (int i = 0; i < 9; i++) {
			double c = origen + 100 + 1700.37 * i;
			p.push_back({c, 400 + 0.0731 * (c - origen) + ruido(azar)});
		}
		SCOPED_TRACE(origen);
		compara(p, 1e-10);
		AjusteCalibracion r = recta_calibracion(p.data(), p.size());
		EXPECT_GT(rms_residuos(r.cal, p.data(), p.size()), 0.01); // the noise shows
	}
}

TEST(RectaCalibracion, SinRectaConUnPuntoUnCanalRepetidoOSinPendiente)
{
	std::vector<PuntoCalibracion> p = {{100, 500}, {300, 600}, {100, 650}};
	EXPECT_EQ(recta_calibracion(p.data(), 1).fallo, FalloRecta::pocos_puntos);
	EXPECT_EQ(recta_calibracion(p.data(), 3).fallo, FalloRecta::mismo_canal);
	std::vector<PuntoCalibracion> llana = {{100, 500}, {300, 500}, {200, 500}};
	EXPECT_EQ(recta_calibracion(llana.data(), 3).fallo, FalloRecta::sin_pendiente);
}

// Turned end for end, a fitted peak gives the same counts at the mirrored channel.
TEST(RectaCalibracion, UnaMedidaReflejadaDaLasMismasCuentasEnElCanalEspejo)
{
	MedidaPico m;
	m.ajustado = true;
	m.centroide = 120.3;
	m.sigma = 2.5;
	m.area = 1000;
	m.fondo_a = 40;
	m.fondo_b = -0.1;
	m.desde = 105;
	m.hasta = 140;
	m.cima = 120;
	const int n = 1000;
	MedidaPico r = reflejada(m, n);
	EXPECT_EQ(r.centroide, n + 1 - 120.3);
	EXPECT_EQ(r.cima, n + 1 - 120);
	EXPECT_EQ(r.desde, n + 1 - 140);
	EXPECT_EQ(r.hasta, n + 1 - 105);
	for (int c = 105; c <= 140; c++)
		EXPECT_NEAR(cuentas_ajustadas(r, n + 1 - c), cuentas_ajustadas(m, c), 1e-9) << c;
}
