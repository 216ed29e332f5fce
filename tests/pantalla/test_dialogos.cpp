// Dialog tests: the dialog layer's test program (adime_prueba) on a private
// Xvfb, driven with keys and clicks, judged by what it prints (results and the
// values copied back) and by the window's pixels.  The program announces each
// dialog from the idle hook ("abierto=<name> ventana=x,y,w,h ok=.. cancelar=..").
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "adime_disposicion.h"
#include "arnes.h"

namespace {

constexpr int ANCHO_XVFB = 1024;
constexpr int ALTO_XVFB = 768;
constexpr double ESPERA = 10;
// A loaded machine can be slow to start a program and open its window.
constexpr double ESPERA_ARRANQUE = 30;
constexpr int ESPERA_ESTABLE_MS = 150;
// The test program's background, makecol(170, 200, 255).
constexpr uint32_t FONDO = 0xAAC8FF;

// The value of the last "nombre=valor" in the output ("" if none).
std::string valor_de(const std::string &salida, const std::string &nombre)
{
	std::string clave = nombre + "=";
	size_t pos = std::string::npos;
	for (size_t p = salida.find(clave); p != std::string::npos; p = salida.find(clave, p + 1))
		if (p == 0 || salida[p - 1] == ' ' || salida[p - 1] == '\n')
			pos = p;
	if (pos == std::string::npos)
		return "";
	size_t inicio = pos + clave.size();
	return salida.substr(inicio, salida.find_first_of(" \n", inicio) - inicio);
}

adime::Rect rect_de(const std::string &texto)
{
	adime::Rect r;
	char coma;
	std::istringstream s(texto);
	s >> r.x >> coma >> r.y >> coma >> r.w >> coma >> r.h;
	return r;
}

size_t cuenta(const std::string &s, const std::string &trozo)
{
	size_t n = 0;
	for (size_t p = s.find(trozo); p != std::string::npos; p = s.find(trozo, p + 1))
		n++;
	return n;
}

class Dialogos : public testing::Test {
protected:
	static void SetUpTestSuite() { xvfb_ = new arnes::Xvfb(ANCHO_XVFB, ALTO_XVFB); }
	static void TearDownTestSuite()
	{
		delete xvfb_;
		xvfb_ = nullptr;
	}

	const arnes::Xvfb &x() const { return *xvfb_; }

	// Starts the program on a scenario and gives its window the keys.
	bool arranca(const std::string &escenario, const std::vector<std::string> &args = {})
	{
		std::vector<std::string> todos{escenario};
		todos.insert(todos.end(), args.begin(), args.end());
		p_ = std::make_unique<arnes::Proceso>(x(), ORQ_ADIME_PRUEBA,
		                                      arnes::carpeta_temporal("dialogos"), todos);
		if (!arnes::espera_ventana(x(), ESPERA_ARRANQUE)) {
			ADD_FAILURE() << "no window; the program said:\n" << p_->salida() << p_->errores();
			return false;
		}
		arnes::raton_fuera(x());
		return true;
	}

	// Starts it and waits for the hook to announce the scenario's dialog.
	bool abre(const std::string &escenario, const std::vector<std::string> &args = {})
	{
		return arranca(escenario, args) && espera("abierto=" + escenario);
	}

	bool espera(const std::string &texto)
	{
		bool visto = arnes::espera_salida_con(*p_, texto, ESPERA);
		EXPECT_TRUE(visto) << "no \"" << texto << "\" in:\n" << p_->salida() << p_->errores();
		return visto;
	}

	// Waits for the program to end well; what it printed.
	std::string termina()
	{
		EXPECT_EQ(p_->espera_salida(ESPERA), std::optional<int>(0)) << p_->salida() << p_->errores();
		return p_->salida();
	}

	std::string dato(const std::string &nombre) const { return valor_de(p_->salida(), nombre); }

	void tecla(const std::string &t) { arnes::tecla(x(), t); }
	void escribe(const std::string &t) { arnes::escribe(x(), t); }

	// The window's pixels once two captures in a row agree.
	arnes::Imagen captura_estable()
	{
		arnes::Imagen antes = arnes::captura(x());
		for (int i = 0; i < 40; i++) {
			arnes::duerme_ms(ESPERA_ESTABLE_MS);
			arnes::Imagen ahora = arnes::captura(x());
			if (ahora.px == antes.px)
				return ahora;
			antes = ahora;
		}
		return antes;
	}

	std::unique_ptr<arnes::Proceso> p_;
	static arnes::Xvfb *xvfb_;
};

arnes::Xvfb *Dialogos::xvfb_ = nullptr;

} // namespace

TEST_F(Dialogos, IntroAceptaYCopiaElValorDeLaExpresionEscrita)
{
	ASSERT_TRUE(abre("real"));
	escribe("1170.498/2");
	tecla("Return");
	std::string salida = termina();
	EXPECT_EQ(valor_de(salida, "resultado"), "1");
	EXPECT_EQ(valor_de(salida, "valor"), "585.249");
	// Allegro's shutdown also ends the layer: the idle hook is emptied.
	EXPECT_EQ(valor_de(salida, "gancho_tras_salida"), "nulo");
}

TEST_F(Dialogos, ElCampoRealMuestraElValorDeLaVariableAlAbrirse)
{
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("valor"), "7.5");
}

TEST_F(Dialogos, UnNegativoQuedaEnElMinimoYLoIlegibleEnCero)
{
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	tecla("minus");
	escribe("5");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("valor"), "0");

	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	escribe("abc");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("valor"), "0");
}

TEST_F(Dialogos, EscYCancelarDevuelvenDosSinCopiarNada)
{
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	escribe("12");
	tecla("Escape");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
	EXPECT_EQ(dato("valor"), "7.5");

	// Tab leads from the field to OK, then to Cancel; Enter presses the focused button.
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	escribe("12");
	tecla("Tab");
	tecla("Tab");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
	EXPECT_EQ(dato("valor"), "7.5");
}

TEST_F(Dialogos, ShiftTabVuelveHaciaAtrasDesdeElPrimerCampo)
{
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	escribe("12");
	tecla("shift+Tab");
	tecla("space");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
	EXPECT_EQ(dato("valor"), "7.5");
}

TEST_F(Dialogos, UnClicEnCancelarCierraSinCopiar)
{
	ASSERT_TRUE(abre("real", {"valor=7.5"}));
	std::string linea = p_->salida();
	adime::Rect cancelar = rect_de(valor_de(linea, "cancelar"));
	ASSERT_GT(cancelar.w, 0) << linea;
	escribe("12");
	captura_estable();
	arnes::clic_sostenido(x(), cancelar.x + cancelar.w / 2, cancelar.y + cancelar.h / 2);
	termina();
	EXPECT_EQ(dato("resultado"), "2");
	EXPECT_EQ(dato("valor"), "7.5");
}

TEST_F(Dialogos, AltYCtrlConOAceptanYConCCancelan)
{
	struct Caso {
		const char *teclas, *resultado, *valor;
	};
	for (const Caso &c : {Caso{"alt+o", "1", "12"}, Caso{"ctrl+o", "1", "12"}, Caso{"alt+c", "2", "7.5"},
	                      Caso{"ctrl+c", "2", "7.5"}}) {
		ASSERT_TRUE(abre("real", {"valor=7.5"}));
		escribe("12");
		tecla(c.teclas);
		termina();
		EXPECT_EQ(dato("resultado"), c.resultado) << c.teclas;
		EXPECT_EQ(dato("valor"), c.valor) << c.teclas;
	}
}

TEST_F(Dialogos, SinCampoDeTextoLaCSolaCancelaYConCampoSeEscribe)
{
	ASSERT_TRUE(abre("salida"));
	tecla("c");
	termina();
	EXPECT_EQ(dato("resultado"), "2");

	// With an edit box the letter is text, not Cancel.
	ASSERT_TRUE(abre("cargar"));
	escribe("cc.txt");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("fichero"), "cc.txt");
}

TEST_F(Dialogos, LosAtajosConAltNoSeEscribenEnElCampo)
{
	ASSERT_TRUE(abre("cargar"));
	escribe("uno.txt");
	tecla("alt+o");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("fichero"), "uno.txt");
}

TEST_F(Dialogos, LaFilaDeBotonesLlamaConElIndiceYCierraConElValorAbsoluto)
{
	ASSERT_TRUE(abre("menu"));
	tecla("l");
	ASSERT_TRUE(espera("boton=1"));
	arnes::duerme_ms(300);
	EXPECT_TRUE(p_->vivo()) << "a callback result of 0 keeps the dialog open";
	tecla("c");
	termina();
	EXPECT_EQ(dato("boton"), "2");
	EXPECT_EQ(dato("resultado"), "7"); // the callback returned -7

	ASSERT_TRUE(abre("menu"));
	tecla("Escape");
	termina();
	EXPECT_EQ(dato("boton"), "4");
	EXPECT_EQ(dato("resultado"), "4");
}

TEST_F(Dialogos, LasFlechasMuevenElFocoEntreLosBotonesEIntroPulsaElEnfocado)
{
	ASSERT_TRUE(abre("menu"));
	tecla("Right");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("boton"), "2");
	EXPECT_EQ(dato("resultado"), "7");
}

TEST_F(Dialogos, ElGanchoCorreEnElDialogoYEnUnoAnidadoDesdeUnBoton)
{
	ASSERT_TRUE(abre("menu"));
	tecla("g");
	ASSERT_TRUE(espera("abierto=anidado"));
	escribe("3");
	tecla("Return");
	ASSERT_TRUE(espera("anidado=1 valor=3"));
	// Back in the menu, the hook is called with the menu's objects again.
	ASSERT_TRUE(arnes::espera_hasta([&] { return cuenta(p_->salida(), "abierto=menu") >= 2; }, ESPERA));
	tecla("Escape");
	std::string salida = termina();
	EXPECT_EQ(valor_de(salida, "resultado"), "4");
	EXPECT_GT(std::atol(valor_de(salida, "pasadas").c_str()), 2);
	size_t inicio = salida.find("abierto=anidado");
	std::string anidado = valor_de(salida.substr(inicio, salida.find('\n', inicio) - inicio), "ventana");
	EXPECT_NE(anidado, valor_de(salida, "ventana"));
}

TEST_F(Dialogos, ElGanchoVeLasTeclasPulsadasMientrasElDialogoLasUsa)
{
	ASSERT_TRUE(abre("cargar"));
	escribe("ac");
	arnes::baja_tecla(x(), "Right");
	bool vista = arnes::espera_salida_con(*p_, "tecla_derecha", ESPERA);
	arnes::sube_tecla(x(), "Right");
	EXPECT_TRUE(vista) << p_->salida();
	tecla("Left");
	escribe("b");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("fichero"), "abc");
}

TEST_F(Dialogos, ElDialogoDejaLaPantallaComoLaEncontro)
{
	ASSERT_TRUE(arranca("fondo"));
	ASSERT_TRUE(espera("patron"));
	arnes::Imagen antes = captura_estable();
	ASSERT_FALSE(antes.vacia());
	tecla("a");
	ASSERT_TRUE(espera("abierto=real"));
	ASSERT_TRUE(arnes::espera_hasta([&] { return arnes::captura(x()).px != antes.px; }, ESPERA))
	    << "the dialog never showed";
	tecla("Escape");
	ASSERT_TRUE(espera("fondo_texto="));
	arnes::Imagen despues = captura_estable();
	ASSERT_EQ(despues.ancho, antes.ancho);
	ASSERT_EQ(despues.alto, antes.alto);
	int distintos = 0;
	for (int y = 0; y < antes.alto; y++)
		for (int xx = 0; xx < antes.ancho; xx++)
			distintos += antes.en(xx, y) != despues.en(xx, y);
	EXPECT_EQ(distintos, 0);
	EXPECT_EQ(dato("resultado"), "2");
	// The program's own text background is what it was before the dialog.
	EXPECT_EQ(dato("fondo_texto"), "igual");
	tecla("q");
	termina();
}

TEST_F(Dialogos, ElFocoEmpiezaEnElPrimerCampoYEscribirReemplazaSuTexto)
{
	ASSERT_TRUE(abre("cargar"));
	escribe("otro.txt");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("fichero"), "otro.txt");

	// Without typing, OK keeps the name that the field showed.
	ASSERT_TRUE(abre("cargar"));
	tecla("Return");
	termina();
	EXPECT_EQ(dato("fichero"), "datos.txt");
}

TEST_F(Dialogos, SinCamposElFocoEmpiezaEnOkEIntroLoPulsa)
{
	ASSERT_TRUE(abre("salida"));
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");

	ASSERT_TRUE(abre("salida"));
	tecla("Right");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
}

TEST_F(Dialogos, EspacioMarcaLaCasillaEIntroDesdeEllaAcepta)
{
	ASSERT_TRUE(abre("casilla"));
	tecla("space");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("casilla"), "1");

	ASSERT_TRUE(abre("casilla"));
	tecla("space");
	tecla("space");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("casilla"), "0");

	ASSERT_TRUE(abre("casilla"));
	tecla("space");
	tecla("Escape");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
	EXPECT_EQ(dato("casilla"), "0");
}

TEST_F(Dialogos, IzquierdaYDerechaMuevenElCursorSinSacarElFoco)
{
	ASSERT_TRUE(abre("cargar"));
	escribe("ac");
	tecla("Left");
	escribe("b");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("fichero"), "abc");

	ASSERT_TRUE(abre("cargar"));
	escribe("ac");
	tecla("Left");
	tecla("Left");
	tecla("Right");
	escribe("b");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("fichero"), "abc");
}

TEST_F(Dialogos, ElBotonDeTresPuntosAbreElSelectorYSuEleccionPasaAlCampo)
{
	ASSERT_TRUE(abre("cargar"));
	adime::Rect v = rect_de(dato("ventana"));
	arnes::Imagen antes = captura_estable();
	tecla("Tab");
	tecla("Return");
	ASSERT_TRUE(arnes::espera_hasta(
	    [&] { return arnes::captura(x()).en(320, 300) != antes.en(320, 300); }, ESPERA))
	    << "the file selector never showed";
	for (int i = 0; i < 9; i++) // "datos.txt" ends the selector's path
		tecla("BackSpace");
	escribe("elegido.txt");
	tecla("Return");
	arnes::Imagen despues = captura_estable();
	for (int y = 0; y < antes.alto; y++)
		for (int xx = 0; xx < antes.ancho; xx++)
			if (xx < v.x || xx >= v.derecha() || y < v.y || y >= v.abajo()) {
				ASSERT_EQ(despues.en(xx, y), antes.en(xx, y)) << xx << "," << y;
			}
	EXPECT_TRUE(p_->vivo());
	tecla("alt+o");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	std::string fichero = dato("fichero");
	EXPECT_EQ(fichero.substr(fichero.rfind('/') + 1), "elegido.txt");
	EXPECT_EQ(fichero.front(), '/');
}

TEST_F(Dialogos, ElDialogoDeGuardarRecorreSusCamposEnOrden)
{
	ASSERT_TRUE(abre("guardar"));
	tecla("space");
	tecla("Tab");
	escribe("vista.bmp");
	tecla("Tab");
	tecla("Tab");
	tecla("space");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("imagen"), "1");
	EXPECT_EQ(dato("fichero_imagen"), "vista.bmp");
	EXPECT_EQ(dato("datos"), "1");
	EXPECT_EQ(dato("fichero_datos"), "datos.txt");
}

TEST_F(Dialogos, ElMenuEmpiezaEnSuEsquinaYTerminaEncimaDeLaFila60)
{
	ASSERT_TRUE(abre("menu", {"pantalla=1000x600"}));
	adime::Rect v = rect_de(dato("ventana"));
	EXPECT_EQ(v.x, 175);
	EXPECT_EQ(v.y, 5);
	EXPECT_LE(v.abajo(), 60);
	ASSERT_TRUE(arnes::espera_hasta([&] { return arnes::captura(x()).en(v.x, v.y) != FONDO; }, ESPERA));
	arnes::Imagen img = captura_estable();
	EXPECT_EQ(img.en(v.x - 1, v.y + 10), FONDO);
	EXPECT_EQ(img.en(v.x + 10, v.y - 1), FONDO);
	EXPECT_NE(img.en(v.x, v.y + 10), FONDO);
	for (int y = 60; y < img.alto; y++)
		for (int xx = 0; xx < img.ancho; xx++)
			ASSERT_EQ(img.en(xx, y), FONDO) << xx << "," << y;
	tecla("Escape");
	termina();
}

TEST_F(Dialogos, EnUnaVentanaEstrechaElMenuEstrechaSusBotonesSinMoverse)
{
	for (const char *pantalla : {"pantalla=824x568", "pantalla=640x480"}) {
		ASSERT_TRUE(abre("menu", {pantalla}));
		adime::Rect v = rect_de(dato("ventana"));
		EXPECT_EQ(v.x, 175) << pantalla;
		EXPECT_EQ(v.y, 5);
		EXPECT_LE(v.derecha(), arnes::captura(x()).ancho) << pantalla;
		EXPECT_LE(v.abajo(), 60);
		tecla("Escape");
		termina();
	}
}

TEST_F(Dialogos, UnDialogoMayorQueLaPantallaSigueUsable)
{
	ASSERT_TRUE(abre("enorme"));
	adime::Rect ok = rect_de(dato("ok"));
	adime::Rect pantalla{0, 0, 640, 480};
	EXPECT_GE(ok.x, 0);
	EXPECT_GE(ok.y, 0);
	EXPECT_LE(ok.derecha(), pantalla.w);
	EXPECT_LE(ok.abajo(), pantalla.h);
	EXPECT_EQ(rect_de(dato("ventana")).x, 0);
	captura_estable(); // Allegro polls the mouse: click once the dialog is drawn
	arnes::clic_sostenido(x(), ok.x + ok.w / 2, ok.y + ok.h / 2);
	termina();
	EXPECT_EQ(dato("resultado"), "1");

	// The field off the screen still has the focus and the keys.
	ASSERT_TRUE(abre("enorme"));
	escribe("2*(3+1)");
	tecla("Return");
	termina();
	EXPECT_EQ(dato("resultado"), "1");
	EXPECT_EQ(dato("valor"), "8");

	ASSERT_TRUE(abre("enorme"));
	tecla("Escape");
	termina();
	EXPECT_EQ(dato("resultado"), "2");
}

TEST_F(Dialogos, UnFormatoMalEscritoNoAbreNadaYDevuelveMenosUno)
{
	p_ = std::make_unique<arnes::Proceso>(x(), ORQ_ADIME_PRUEBA, arnes::carpeta_temporal("dialogos"),
	                                      std::vector<std::string>{"malformado"});
	termina();
	EXPECT_EQ(dato("resultado"), "-1");
	EXPECT_EQ(dato("valor"), "3");
	EXPECT_EQ(cuenta(p_->salida(), "abierto="), 0u);
}
