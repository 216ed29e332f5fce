// The spectrum's state, called directly, with no display: turning a spectrum
// end for end keeps everything tied to its channels in step, and a
// calibration fitted through many lines is kept whole, in memory and in the
// file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "canales.h"

namespace {

constexpr int N = 101;

// A Lectura of the samples s[1..n] under the calibration a, b, as a reader
// hands it over (malloc'd samples).
Lectura lectura(const std::vector<float> &s, double a, double b)
{
	Lectura l;
	l.nptL = static_cast<int>(s.size()) - 1;
	l.Li = static_cast<float *>(std::malloc(s.size() * sizeof(float)));
	for (size_t c = 1; c < s.size(); c++) {
		l.Li[c] = s[c];
		l.maxL = std::max(l.maxL, s[c]);
	}
	l.cal.al = a;
	l.cal.bl = b;
	return l;
}

// Samples that tell every channel apart.
std::vector<float> muestras()
{
	std::vector<float> s(N + 1);
	for (int c = 1; c <= N; c++)
		s[c] = static_cast<float>(3 * c + c % 7);
	return s;
}

MedidaPico medida_en(double canal)
{
	MedidaPico m;
	m.ajustado = true;
	m.centroide = canal;
	m.cima = static_cast<int>(std::lround(canal));
	m.sigma = 1;
	return m;
}

} // namespace

// A spectrum less its own samples, read as a table of counts (no
// calibration, so lined up by channel): a falling calibration turns the
// spectrum, and the background, its net samples, the marks and the view turn
// with it.  Every file channel keeps its wavelength.
TEST(Espectro, EspejarMueveTodoLoAtadoALosCanales)
{
	reinicia_espectro();
	std::vector<float> s = muestras();
	Lectura e = lectura(s, 0, 0), f = lectura(s, 0, 0);
	confirma_carga(&e);
	ASSERT_TRUE(pon_fondo(&f, "propio.txt", 1, true));
	ASSERT_TRUE(conmuta_neto());
	picos = {medida_en(20.25), medida_en(70)};
	ch_c = 30;
	ASSERT_TRUE(calibra_dos_puntos(30, 600, 80, 500)); // falling to the right
	ASSERT_GT(al, 0);
	EXPECT_TRUE(espejado);
	EXPECT_EQ(ch_i, 1);
	EXPECT_EQ(ch_f, N);
	EXPECT_EQ(ch_c, N + 1 - 30); // the cursor stays on its sample
	EXPECT_EQ(longitud_de_onda(N + 1 - 30), 600.0f);
	EXPECT_EQ(longitud_de_onda(N + 1 - 80), 500.0f);
	for (int c = 1; c <= N; c++) {
		ASSERT_EQ(Li[c], s[N + 1 - c]) << c;
		ASSERT_EQ(fondo_canal[c], s[N + 1 - c]) << c;
		ASSERT_EQ(Neto[c], 0.0f) << c;
	}
	EXPECT_DOUBLE_EQ(posicion(picos[0]), N + 1 - 20.25);
	EXPECT_DOUBLE_EQ(posicion(picos[1]), N + 1 - 70);
	reinicia_espectro();
}

// A background that goes by wavelength, and calibration points: a line
// fitted through them that falls turns the spectrum as a reader would have
// given it turned, and each point keeps its known wavelength.
TEST(Espectro, EspejarConFondoCalibradoYPuntosDeCalibracion)
{
	reinicia_espectro();
	std::vector<float> s = muestras(), g(N + 1);
	for (int c = 1; c <= N; c++)
		g[c] = static_cast<float>(1000 - 7 * c);
	Lectura e = lectura(s, 0, 0), f = lectura(g, 0.5, 10); // wavelengths 5.5 .. 55.5
	confirma_carga(&e);
	ASSERT_TRUE(pon_fondo(&f, "fondo.txt", 2, true));
	const double canales[] = {10.5, 40.25, 90.75};
	for (double c : canales) {
		picos.push_back(medida_en(c));
		anota_conocida(picos.size() - 1, true, static_cast<float>(60 - 0.5 * c)); // falling
	}
	bool con_fondo = false;
	ASSERT_EQ(calibra_con_conocidas(&con_fondo).fallo, FalloRecta::ninguno);
	ASSERT_TRUE(con_fondo);
	ASSERT_GT(al, 0);
	for (const PuntoCalibracion &p : puntos_calibracion())
		EXPECT_NEAR(longitud_en(calibracion(), p.canal), p.longitud, 1e-12);
	// The oracle: the same files read already turned, with the rising line.
	std::vector<float> fondo_girado = fondo_canal;
	std::vector<float> r(N + 1);
	for (int c = 1; c <= N; c++)
		r[c] = s[N + 1 - c];
	Lectura girada = lectura(r, al, bl);
	confirma_carga(&girada);
	EXPECT_FALSE(espejado);
	ASSERT_EQ(fondo_canal.size(), fondo_girado.size());
	int con_datos = 0;
	for (int c = 1; c <= N; c++) {
		ASSERT_EQ(std::isnan(fondo_canal[c]), std::isnan(fondo_girado[c])) << c;
		if (std::isnan(fondo_canal[c]))
			continue;
		con_datos++;
		ASSERT_NEAR(fondo_canal[c], fondo_girado[c], 1e-3f * std::fabs(fondo_canal[c])) << c;
	}
	EXPECT_GT(con_datos, N / 4); // the background reaches much of the spectrum
	reinicia_espectro();
}

// Lines of known wavelength across 10^6 channels spanning 500 to 501 nm: the
// calibration matches a least-squares line fitted in long double to within
// a thousandth of a channel everywhere, and a saved file reads it back whole.
TEST(Espectro, RectaDeMuchosPicosEnteraEnMemoriaYEnElFichero)
{
	reinicia_espectro();
	constexpr int CANALES = 1000000;
	const double centroides[] = {12345.25, 250000.5, 499999.75, 731234.125, 987654.5};
	const double ruido[] = {2e-7, -1e-7, 3e-7, -2.5e-7, 1e-7}; // residuals well under a channel
	long double sx = 0, sy = 0, sxx = 0, sxy = 0;
	for (size_t i = 0; i < std::size(centroides); i++) {
		double l = 500 + (centroides[i] - 1) / (CANALES - 1) + ruido[i];
		picos.push_back(medida_en(centroides[i]));
		anota_conocida(i, true, static_cast<float>(l));
		long double x = centroides[i], y = static_cast<float>(l);
		sx += x, sy += y, sxx += x * x, sxy += x * y;
	}
	long double n = std::size(centroides);
	long double b = (n * sxy - sx * sy) / (n * sxx - sx * sx), a = (sy - b * sx) / n;
	bool con_fondo = false;
	ASSERT_EQ(calibra_con_conocidas(&con_fondo).fallo, FalloRecta::ninguno);
	for (double c : {1.0, 500000.0, double(CANALES)}) {
		long double esperada = a + b * c;
		double error_canales = static_cast<double>((longitud_en(calibracion(), c) - esperada) / b);
		EXPECT_LT(std::fabs(error_canales), 1e-3) << c;
	}
	char ruta[] = "/tmp/orq-espectro-XXXXXX";
	int fd = mkstemp(ruta);
	ASSERT_GE(fd, 0);
	close(fd);
	const float una[] = {0, 1};
	ASSERT_EQ(escribe_espectro(ruta, "\"recta\"", una, 1, al, bl), FICHERO_BIEN);
	Lectura leida;
	ASSERT_EQ(lee_espectro(ruta, &leida), FICHERO_BIEN);
	EXPECT_EQ(leida.cal.al, al);
	EXPECT_EQ(leida.cal.bl, bl);
	libera_lectura(&leida);
	std::remove(ruta);
	reinicia_espectro();
}
