// Fuzzes the foreign-format readers: the first byte picks a first line that
// sends the rest of the input to the .Spe, .mca, JCAMP-DX, N42, IEC 1455,
// EMSA or column reader, so that the fuzzer spends its time inside them.  The checks are those of
// prueba_lectura.h.
#include <cstddef>
#include <cstdint>
#include <string>

#include "prueba_lectura.h"

namespace {

const char *const CABECERAS[] = {"$SPEC_ID:\n",
                                 "$DATA:\n",
                                 "<<PMCA SPECTRUM>>\r\n",
                                 "x,y\n",
                                 "nm;I\n",
                                 "a\tb\n",
                                 "##XYDATA=(X++(Y..Y))\n",
                                 "##XYPOINTS=(XY..XY)\n",
                                 "<N42InstrumentData>\n<ChannelData compressionCode=\"CountedZeroes\">",
                                 "A004\nA004 1 2 8\nA004\nA004 1 2\n",
                                 "#FORMAT : EMSA/MAS\n#SPECTRUM :\n"};
constexpr size_t N_CABECERAS = sizeof CABECERAS / sizeof CABECERAS[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *datos, size_t n)
{
	if (n == 0)
		return 0;
	std::string entrada = std::string(CABECERAS[datos[0] % N_CABECERAS]) +
	                      std::string(reinterpret_cast<const char *>(datos + 1), n - 1);
	fuzz::prueba_lectura(reinterpret_cast<const uint8_t *>(entrada.data()), entrada.size());
	return 0;
}
