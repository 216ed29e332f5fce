// Fuzzes the data-file reader through its format-detecting entry: whatever
// the bytes, the checks of prueba_lectura.h hold.
#include <cstddef>
#include <cstdint>

#include "prueba_lectura.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *datos, size_t n)
{
	fuzz::prueba_lectura(datos, n);
	return 0;
}
