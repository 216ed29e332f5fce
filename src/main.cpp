// Orquilo's entry: start-up, the command menu, shutdown (see menu.h).
#include "menu.h"

int main(void)
{
	int estado = inicializo_graficos();
	if (estado != 0)
		return estado;
	bucle_menu();
	termina_programa();
	return 0;
}
END_OF_MAIN()
