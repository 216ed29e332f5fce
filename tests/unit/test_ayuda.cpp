// The help text that the exit dialog shows, checked line by line against the
// wording the program must show (every space and newline counts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu.h"

namespace {

const std::string CIERRE = "%nothing[]%line[]";

std::vector<std::string> bloques(const std::string &texto)
{
	std::vector<std::string> b;
	size_t desde = 0, en;
	while ((en = texto.find(CIERRE, desde)) != std::string::npos) {
		b.push_back(texto.substr(desde, en - desde));
		desde = en + CIERRE.size();
	}
	b.push_back(texto.substr(desde));
	return b;
}

std::vector<std::string> lineas(const std::string &bloque)
{
	std::vector<std::string> l;
	size_t desde = 0, en;
	while ((en = bloque.find('\n', desde)) != std::string::npos) {
		l.push_back(bloque.substr(desde, en - desde));
		desde = en + 1;
	}
	l.push_back(bloque.substr(desde));
	return l;
}

} // namespace

TEST(Ayuda, TresBloquesCadaUnoCerradoPorEntradaVaciaYRaya)
{
	auto b = bloques(info);
	ASSERT_EQ(b.size(), 4u);
	EXPECT_EQ(b[3], ""); // nothing after the last rule
	EXPECT_EQ(b[0], "Orquilo      Vers. 3.1.2   ");
}

TEST(Ayuda, SegundoBloquePalabraPorPalabra)
{
	const std::vector<std::string> esperadas = {
	    "Flechas UP/DOWN del teclado cambian escala horizontal y (shift) vertical. ",
	    "Flechas <-/-> del teclado mueven el cursor rapido y (shift) lento. ",
	    "Tecla TAB cambia entre escalas lineal y logaritmica. ",
	    "Ctrl+flechas: al pico siguiente.  AvPag/RePag: fichero siguiente/anterior.  P: medir el pico.",
	    "F: espectro de fondo.  R: restar el fondo o volver a verlo debajo.",
	    "I: ver y cambiar cómo se lee el fichero.  N: el aviso de la línea de estado, entero.",
	    "Calibrar con muchos picos: en cada uno P, su longitud de onda, Tab, Espacio, Enter.",
	    "",
	    "Abreviaturas que aparecen en la parte superior de la ventana:",
	    "  cn.ini, cn.fin, lo.ini, lo.fin : Extremos inicial y final del intervalo mostrado en canales o "
	    "longitudes de onda.",
	    "  cn.cur, lo.cur: canal (o longitud de onda) en que se encuentra situado el cursor.",
	    "  In.cur: intensidad del canal en que se encuentra el cursor.",
	    "  lo.div: intervalo de longitudes de onda por cada division menor de la escala.",
	    "",
	    "Al elegir 'Guardar' marque las opciones que desee grabar",
	    "",
	    "El formato de entrada es una secuencia de numeros en un fichero ASCII. ",
	    std::string(
	        "Los ficheros con calibracion incluyen dos lineas de encabezamiento (la primera un texto "
	        "arbitrario entre ") +
	        '"' + '"' + ")",
	    "",
	    "(En windows 7 o vista puede ser necesario reducir la resolucion de la pantalla)",
	};
	EXPECT_EQ(lineas(bloques(info)[1]), esperadas);
}

TEST(Ayuda, CreditosSinNombresDePersonasYConCadaLineaTerminada)
{
	std::string creditos = bloques(info)[2];
	ASSERT_FALSE(creditos.empty());
	EXPECT_EQ(creditos.back(), '\n');
	auto l = lineas(creditos);
	ASSERT_EQ(l.size(), 6u); // author, blank, tools, two references, and the end
	EXPECT_NE(l[0].find("Velmora"), std::string::npos);
	EXPECT_EQ(l[1], "");
	EXPECT_NE(l[2].find("Allegro 4"), std::string::npos);
	EXPECT_EQ(l[5], "");
	EXPECT_EQ(std::string(info).find('%', 0), std::string(info).find(CIERRE)); // no other format field
}
