// Replacing a file without ever losing the old one: the new content goes to a
// fresh file beside it, which takes the old one's place by a rename only once
// it is complete and on disk.  Both the data file and the picture are saved
// this way.
#pragma once

#include <functional>
#include <string>

// Writes a new file through `escribe`, which gets its path and an open
// descriptor to it (to leave open), then renames it over `ruta` with the old
// file's permissions.  The new file's name ends in `sufijo`, for writers that
// pick the format by the extension.  False when anything failed: the old file
// is then as it was and no new file is left behind.
bool reemplaza_fichero(const char *ruta, const std::string &sufijo,
                       const std::function<bool(const std::string &temporal, int fd)> &escribe);

// Removes the new file of a replacement under way, if any, so that a program
// ending at once leaves only the old file behind (the rename then fails, and
// the old file stays).  Async-signal-safe: a signal handler may call it.
void borra_temporal_en_curso();
