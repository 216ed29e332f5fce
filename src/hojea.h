// Browsing the folder of the loaded file with Page Down and Page Up: the
// order of its files, reading the next one that the loader takes, and
// showing it as a load does.  Start at hojea.
#pragma once

#include <string>
#include <vector>

#include "fichero.h"

// The names that come after actual in byte order (sentido 1) or before it
// (-1), nearest first.
std::vector<std::string> orden_de_hojeo(std::vector<std::string> nombres, const std::string &actual,
                                        int sentido);

// Reads into *l the nearest file after (sentido 1) or before (-1) the one at
// ruta, in its folder, that the loader reads; only regular files count and
// the rest are passed over in silence, except one that does not fit in
// memory: the search stops there and gives its path with *l empty.  Its
// path, or "" when there is none (*l then stays empty).
std::string lee_vecino(const std::string &ruta, int sentido, Lectura *l);

// Page Down (1) or Page Up (-1): the next or previous readable file of the
// loaded one's folder replaces the spectrum, as a load would.  False, with
// nothing changed, at the ends of the folder and before any load, and when
// there is no memory for it (a message then says so).
bool hojea(int sentido);
