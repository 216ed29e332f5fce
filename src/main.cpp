// Orquilo's entry: the command line, start-up, the command menu, shutdown
// (see linea_ordenes.h and menu.h).
#include <string>
#include <vector>

#include "linea_ordenes.h"
#include "menu.h"

int main(int argc, char *argv[])
{
	Ordenes ordenes = analiza_ordenes(std::vector<std::string>(argv + 1, argv + argc));
	if (ordenes.accion != Ordenes::arranca)
		return responde_sin_ventana(ordenes);
	int estado = inicializo_graficos();
	if (estado != 0)
		return estado;
	if (!ordenes.fichero.empty())
		carga_al_arrancar(ordenes.fichero.c_str());
	bucle_menu();
	termina_programa();
	return 0;
}
END_OF_MAIN()
