// The command line: `orquilo [FICHERO]`, `--help` and `--version`.  Reading it
// needs no display, so main decides here whether a window opens at all.
#pragma once

#include <string>
#include <vector>

// What the command line asks for.
struct Ordenes {
	enum Accion {
		arranca, // open the window (and load `fichero` when not empty)
		ayuda,   // print the usage on standard output, status 0
		version, // print the version on standard output, status 0
		error,   // print `problema` and the usage on standard error, status 2
	};
	Accion accion = arranca;
	std::string fichero;
	std::string problema; // for `error`: what is wrong, in Spanish
};

// Exit statuses of a command line that opens no window.
constexpr int ESTADO_CORRECTO = 0;
constexpr int ESTADO_USO_INCORRECTO = 2;

// The arguments after the program's name.  "--" ends the options, so a file
// whose name starts with a dash can still be given.
Ordenes analiza_ordenes(const std::vector<std::string> &args);

// The usage text, in Spanish, ending with a newline.
const char *texto_de_uso();

// "orquilo <version>" and a newline.
std::string texto_de_version();

// Prints what a window-less command line asks for; its exit status.  Only
// for `ayuda`, `version` and `error`.
int responde_sin_ventana(const Ordenes &o);
