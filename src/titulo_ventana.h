// The title in the window's title bar.
#pragma once

#include <string>

// Puts titulo (UTF-8) in the window's title bar; needs the window open.
void pon_titulo_ventana(const std::string &titulo);
