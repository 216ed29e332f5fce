// Placeholder until the dialog layer lands.
#include "adime.h"

void (*adime_callback)(DIALOG *d);

int adime_init(void) { return 0; }

int adime_dialogf(const char *, int, int, int, const char *, ...) { return 2; }

int adime_lowlevel_dialogf(const char *, int, int, int, const char *, ...) { return 0; }
