// Placeholder for the dialog layer's test program.
#include "adime.h"
int main(void) { return 0; }
END_OF_MAIN()
