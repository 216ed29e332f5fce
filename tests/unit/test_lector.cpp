// The number reader with each of its speed-ups turned off reads the same
// samples, bit for bit, as with all of them on: the benchmark measures these
// variants, so each must stay correct.  Start at LectorAjustes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lector_motor.h"
#include "test_fichero_ayuda.h"

namespace {

// A block small enough that the test file spans the eight blocks from which
// the second half is read by another thread.
constexpr size_t BLOQUE_PEQUENO = 4099;
constexpr size_t BLOQUE_GRANDE = size_t(1) << 20;

using Interruptor = bool AjustesLector::*;

const Interruptor INTERRUPTORES[] = {
    &AjustesLector::dos_hilos, &AjustesLector::bloques,     &AjustesLector::mascara_sse2,
    &AjustesLector::corto,     &AjustesLector::ocho_cifras, &AjustesLector::simple,
};

std::vector<float> lee_con(const std::string &ruta, const AjustesLector &a, size_t bloque)
{
	ajusta_lector(a);
	Lectura l;
	int r = lee_espectro_en_bloques(ruta.c_str(), &l, bloque);
	ajusta_lector(AjustesLector{});
	EXPECT_EQ(r, FICHERO_BIEN) << ruta;
	std::vector<float> v(l.Li ? l.Li + 1 : nullptr, l.Li ? l.Li + 1 + l.nptL : nullptr);
	libera_lectura(&l);
	return v;
}

void espera_mismos_bits(const std::vector<float> &a, const std::vector<float> &b, const std::string &que)
{
	ASSERT_EQ(a.size(), b.size()) << que;
	for (size_t i = 0; i < a.size(); i++)
		ASSERT_TRUE(mismos_bits(a[i], b[i])) << que << " muestra " << i + 1;
}

// Every switch off in turn, in small and large blocks, against all on.
void espera_igual_con_cada_una_apagada(const std::string &ruta)
{
	std::vector<float> todas = lee_con(ruta, AjustesLector{}, BLOQUE_GRANDE);
	ASSERT_GT(todas.size(), 10000u);
	for (size_t k = 0; k < sizeof INTERRUPTORES / sizeof INTERRUPTORES[0]; k++) {
		AjustesLector a;
		a.*INTERRUPTORES[k] = false;
		for (size_t bloque : {BLOQUE_PEQUENO, BLOQUE_GRANDE})
			espera_mismos_bits(lee_con(ruta, a, bloque), todas,
			                   "interruptor " + std::to_string(k) + ", bloque " +
			                       std::to_string(bloque));
	}
}

} // namespace

TEST(LectorAjustes, CadaMejoraApagadaLeeLoMismoEnNumerosDificiles)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	escribe_bytes(ruta, "\"t\"\n0 1 0\n" + contenido(ORQ_DATOS_PRUEBA "/hard-floats.txt"));
	espera_igual_con_cada_una_apagada(ruta);
}

TEST(LectorAjustes, CadaMejoraApagadaLeeLoMismoEnLaFormaDelEscritor)
{
	CarpetaTemporal dir;
	std::string ruta = dir / "datos.txt";
	std::vector<float> v(20001);
	for (size_t i = 1; i < v.size(); i++)
		v[i] = i % 3 ? float(i * 7 % 60000) : float(i) / 7;
	ASSERT_EQ(escribe_espectro(ruta.c_str(), "\"t\"", v.data(), int(v.size() - 1), 0.5f, 1),
	          FICHERO_BIEN);
	espera_igual_con_cada_una_apagada(ruta);
	espera_mismos_bits(lee_con(ruta, AjustesLector{}, BLOQUE_GRANDE),
	                   std::vector<float>(v.begin() + 1, v.end()), "escritor");
}
