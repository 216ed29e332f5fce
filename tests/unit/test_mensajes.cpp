// A long path in a message line, shortened to a width: checked against what
// any right answer must be (the rest of the line whole, the path's two ends
// kept, nothing more that would still fit), with a font of 8 pixels a
// character as the built-in one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mensajes.h"
#include "textos.h"

namespace {

constexpr int CELDA = 8;

// Characters of a UTF-8 text.
int caracteres(const std::string &s)
{
	int n = 0;
	for (unsigned char c : s)
		n += (c & 0xC0) != 0x80;
	return n;
}

int ancho(const std::string &s)
{
	return CELDA * caracteres(s);
}

// Whether byte i of s starts a character (or is its end).
bool inicia_caracter(const std::string &s, size_t i)
{
	return i == s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
}

bool empieza(const std::string &s, const std::string &por)
{
	return s.compare(0, por.size(), por) == 0;
}

bool acaba(const std::string &s, const std::string &en)
{
	return s.size() >= en.size() && s.compare(s.size() - en.size(), en.size(), en) == 0;
}

} // namespace

TEST(Mensajes, UnaRutaLargaPierdeSuMedioYLoDemasQuedaEntero)
{
	const std::string ruta = "/home/ana/campa\xc3\xb1"
	                         "a-\xc3\xa1rtica/d\xc3\xad"
	                         "a-03/germanio-2/fondo-\xc3\xa9"
	                         "ste.txt";
	const std::string antes = "La x de ", despues = " no es lineal: se carga sin calibrar";
	const std::string linea = antes + ruta + despues;
	for (int limite = ancho(antes + "..." + despues); limite < ancho(linea); limite += 3) {
		std::string corta = acorta_ruta(linea, ruta, limite, ancho);
		ASSERT_LE(ancho(corta), limite);
		ASSERT_GT(ancho(corta) + CELDA, limite); // one more character would not fit
		ASSERT_TRUE(empieza(corta, antes) && acaba(corta, despues)) << corta;
		std::string medio = corta.substr(antes.size(), corta.size() - antes.size() - despues.size());
		size_t puntos = medio.find("...");
		ASSERT_NE(puntos, std::string::npos) << corta;
		std::string cabeza = medio.substr(0, puntos), cola = medio.substr(puntos + 3);
		EXPECT_TRUE(empieza(ruta, cabeza) && acaba(ruta, cola)) << corta;
		EXPECT_TRUE(inicia_caracter(ruta, cabeza.size()) &&
		            inicia_caracter(ruta, ruta.size() - cola.size()));
		EXPECT_LE(caracteres(cabeza), caracteres(cola));
		EXPECT_LE(caracteres(cola), caracteres(cabeza) + 1);
	}
	EXPECT_EQ(acorta_ruta(linea, ruta, ancho(linea), ancho), linea); // fits: untouched
	EXPECT_EQ(acorta_ruta(linea, ruta, 0, ancho), antes + "..." + despues);
}

// The base name alone, and valid UTF-8 whatever bytes the name holds (a
// Latin-1 "é", a lone continuation byte, a cut character at the end).
TEST(Mensajes, ElTituloNombraElFicheroSinSuCarpetaYEnUtf8)
{
	const std::string raya = "Orquilo \xe2\x80\x94 ";
	EXPECT_EQ(titulo_de_ventana("/datos/junio/kelp.Spe"), raya + "kelp.Spe");
	EXPECT_EQ(titulo_de_ventana("kelp.Spe"), raya + "kelp.Spe");
	EXPECT_EQ(titulo_de_ventana("a/caf\xc3\xa9.txt"), raya + "caf\xc3\xa9.txt");
	EXPECT_EQ(titulo_de_ventana("a/caf\xe9.txt"), raya + "caf?.txt");
	EXPECT_EQ(titulo_de_ventana("a/\x80x\xc3"), raya + "?x?");
}

// A line wider than the box breaks between words, a word wider than the box
// inside it; every piece fits and nothing is lost.
TEST(Mensajes, UnaLineaLargaSeParteSinPerderNada)
{
	auto ancho = [](const std::string &s) { return static_cast<int>(s.size()) * 8; };
	std::string linea = "se leyeron 12 muestras; la línea 14 no es un número: "
	                    "/una/ruta/muy/larga/sin/espacios/que/no/cabe/entera.txt";
	std::vector<std::string> partes = parte_linea(linea, 160, ancho);
	ASSERT_GT(partes.size(), 2u);
	std::string junto;
	for (const std::string &p : partes) {
		EXPECT_LE(ancho(p), 160) << p;
		junto += p;
	}
	std::string sin_blancos = linea;
	sin_blancos.erase(std::remove(sin_blancos.begin(), sin_blancos.end(), ' '), sin_blancos.end());
	junto.erase(std::remove(junto.begin(), junto.end(), ' '), junto.end());
	EXPECT_EQ(junto, sin_blancos);
	EXPECT_EQ(parte_linea("cabe", 160, ancho), std::vector<std::string>{"cabe"});
	// A notice's path: shortened where that makes the line fit, else whole
	// across the broken lines.
	const std::string ruta = "/datos/campa/germanio-2/fondo.txt", aviso = "No se pudo leer " + ruta;
	std::vector<std::string> corta = renglones_de(aviso, ruta, ancho(aviso) - 8, ancho);
	ASSERT_EQ(corta.size(), 1u);
	EXPECT_NE(corta[0].find("..."), std::string::npos) << corta[0];
	std::string entera;
	for (const std::string &p : renglones_de(aviso, ruta, ancho("No se pudo leer"), ancho))
		entera += p;
	EXPECT_NE(entera.find(ruta), std::string::npos) << entera;
}

// The import view's format: the file's lines as they read (no carriage
// return, a '%' shown as itself), a line for a file read by its own format,
// and the readings found, with the field that picks one, when there are two.
TEST(Mensajes, LaVistaDeImportacionMuestraLasLineasYLasManeras)
{
	std::string propio = formato_importa("/a/b/c.spe", "$DATA:\r\n10% 20\r\n", {});
	EXPECT_NE(propio.find("Primeras líneas de c.spe:\n$DATA:\n10%% 20\n%nothing[]"), std::string::npos);
	EXPECT_NE(propio.find(IMPORTA_POR_SU_FORMATO), std::string::npos);
	EXPECT_EQ(propio.find("maneras"), std::string::npos);
	FormaLectura lista, tabla;
	lista.lista = true;
	tabla.columna_x = 0;
	tabla.columna_y = 1;
	std::string dos = formato_importa("d.txt", "1 2\n", {lista, tabla});
	EXPECT_NE(
	    dos.find(
	        "Se puede leer de 2 maneras:\n 1: lista de números, fila tras fila  (elegida)\n 2: tabla"),
	    std::string::npos);
	EXPECT_NE(dos.find("%float[1,2]"), std::string::npos);
	EXPECT_EQ(dos.find(IMPORTA_POR_SU_FORMATO), std::string::npos);
}

// The import view's text never cuts a character: a file's name of any length
// shows whole, and a line that the file's text ends inside a character (it
// is read up to a byte count) loses that character, not half of it.
TEST(Mensajes, LaVistaDeImportacionNoCortaDentroDeUnCaracter)
{
	std::string nombre;
	for (int i = 0; i < 300; i++)
		nombre += "\xc3\xb1"; // ñ
	std::string vista = formato_importa("/datos/" + nombre, "12 13\nabc\xc3", {});
	std::string primera = vista.substr(0, vista.find('\n'));
	EXPECT_EQ(primera, "Primeras líneas de " + nombre + ":");
	EXPECT_NE(vista.find("\nabc\n"), std::string::npos);
	for (size_t i = 0; i < vista.size(); i++) { // every lead byte has its continuation
		bool inicia = static_cast<unsigned char>(vista[i]) >= 0xC2;
		ASSERT_TRUE(!inicia || (i + 1 < vista.size() &&
		                        (static_cast<unsigned char>(vista[i + 1]) & 0xC0) == 0x80))
		    << i;
	}
}
