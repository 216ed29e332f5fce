// The table of x and intensity for other programs: read back by the reader,
// it gives the same samples and the same wavelength at every channel; a
// failed export keeps the old file.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "fichero.h"
#include "test_fichero_ayuda.h"

namespace {

// Samples of every size a spectrum shows, with a few that "%f" would lose.
std::vector<float> muestras_al_azar(int n, unsigned semilla)
{
	std::mt19937 g(semilla);
	std::lognormal_distribution<float> cuentas(3, 3);
	std::vector<float> v(size_t(n) + 1, 0.0f);
	for (int i = 1; i <= n; i++)
		v[size_t(i)] = i % 7 == 0 ? -cuentas(g) : cuentas(g);
	v[3] = 1e-7f;
	v[5] = 0.1f;
	return v;
}

struct Leido {
	Lectura l;
	~Leido() { libera_lectura(&l); }
};

void exporta_y_lee(const std::string &ruta, const char *cabecera, const std::vector<float> &v, double al,
                   double bl, Leido *leido)
{
	int n = int(v.size()) - 1;
	ASSERT_EQ(exporta_tabla(ruta.c_str(), cabecera, v.data(), n, {al, bl}), FICHERO_BIEN);
	ASSERT_EQ(lee_espectro(ruta.c_str(), &leido->l), FICHERO_BIEN);
	ASSERT_EQ(leido->l.nptL, n);
	for (int i = 1; i <= n; i++)
		ASSERT_TRUE(mismos_bits(leido->l.Li[i], v[size_t(i)]))
		    << i << ": " << leido->l.Li[i] << " " << v[size_t(i)];
}

} // namespace

TEST(ExportaTabla, CalibradoVuelveConLasMismasMuestrasYLongitudes)
{
	CarpetaTemporal dir;
	const double calibraciones[][2] = {
	    {0.5, 900}, {0.0123456789012345, 40312.123456789}, {2.5e-4, -17.25}};
	for (const auto &cal : calibraciones) {
		std::vector<float> v = muestras_al_azar(4000, unsigned(cal[1]));
		Leido r;
		exporta_y_lee(dir / "tabla.csv", "longitud_de_onda,intensidad", v, cal[0], cal[1], &r);
		ASSERT_NE(r.l.cal.al, 0) << cal[0];
		// To a millionth of a millionth of the largest wavelength: the
		// rounding of the 17 digits and of the fit, nothing more.
		double escala =
		    std::fmax(std::fabs((1 + cal[1]) * cal[0]), std::fabs((r.l.nptL + cal[1]) * cal[0]));
		for (int c = 1; c <= r.l.nptL; c++) {
			double antes = (c + cal[1]) * cal[0], despues = (c + r.l.cal.bl) * r.l.cal.al;
			ASSERT_NEAR(despues, antes, 1e-12 * escala) << c;
		}
	}
}

TEST(ExportaTabla, CabeceraYFilasComoLasLeeUnaHojaDeCalculo)
{
	CarpetaTemporal dir;
	std::vector<float> v = {0, 12.5f, 0.1f, -3};
	std::string ruta = dir / "t.csv";
	ASSERT_EQ(exporta_tabla(ruta.c_str(), "canal,intensidad_neta", v.data(), 3, {0, 0}), FICHERO_BIEN);
	EXPECT_EQ(contenido(ruta), "canal,intensidad_neta\n1,12.500000\n2,0.100000\n3,-3.000000\n");
	ASSERT_EQ(exporta_tabla(ruta.c_str(), "longitud_de_onda,intensidad", v.data(), 3, {0.5, 900}),
	          FICHERO_BIEN);
	EXPECT_EQ(contenido(ruta),
	          "longitud_de_onda,intensidad\n450.5,12.500000\n451,0.100000\n451.5,-3.000000\n");
}

TEST(ExportaTabla, SinCalibrarVuelveConLasMismasMuestras)
{
	CarpetaTemporal dir;
	Leido r;
	exporta_y_lee(dir / "tabla.csv", "canal,intensidad", muestras_al_azar(1000, 7), 0, 0, &r);
}

TEST(ExportaTabla, UnaCarpetaQueNoExisteNoTocaNadaYDiceQueNo)
{
	CarpetaTemporal dir;
	std::vector<float> v = {0, 1, 2};
	EXPECT_EQ(exporta_tabla((dir / "no-hay/t.csv").c_str(), "canal,intensidad", v.data(), 2, {0, 0}),
	          FICHERO_NO_SE_GUARDA);
	escribe_bytes(dir / "viejo.csv", "viejo\n");
	ASSERT_EQ(chmod(dir.ruta().c_str(), 0500), 0);
	if (geteuid() != 0) {
		EXPECT_EQ(exporta_tabla((dir / "viejo.csv").c_str(), "canal,intensidad", v.data(), 2, {0, 0}),
		          FICHERO_NO_SE_GUARDA);
	}
	EXPECT_EQ(contenido(dir / "viejo.csv"), "viejo\n");
}
