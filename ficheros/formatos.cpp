// Which reader a file goes to, decided by its first bytes, never by its
// name: a double quote is always the own format, a "$NAME:" line an ORTEC or
// IAEA .Spe, "<<PMCA SPECTRUM>>" an Amptek .mca, numbers in columns a table;
// anything else the own format, read as it always was.  Also what the
// readers share (samples, title, calibration) and the name a save proposes.
// Start at lee_espectro_en_bloques.
#include "formatos.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "lector.h"

namespace {

constexpr size_t TAM_BLOQUE = size_t(1) << 20;
constexpr size_t TAM_PREFIJO = size_t(1) << 16; // what detection looks at
constexpr char COMILLA = '"';
constexpr char MARCA_SPE = '$';
constexpr char FIN_SPE = ':';
constexpr const char *PRIMERA_LINEA_MCA = "<<PMCA SPECTRUM>>";
constexpr char TITULO_SIN_NOMBRE[] = "\"...\"";
constexpr const char *EXTENSION_GUARDADO = ".txt";
constexpr const char *SUFIJO_GUARDADO = "-orquilo.txt";
constexpr const char *SUFIJO_PICOS = "-picos.tsv"; // the table of measured peaks
constexpr size_t TAM_MENSAJE = 2 * TAM_NOMBRE + 256;

// The first line that is not blank, trimmed.
void primera_linea(const char *p, size_t n, const char **ini, const char **fin)
{
	const char *e = p + n;
	for (;;) {
		auto nl = static_cast<const char *>(std::memchr(p, '\n', e - p));
		*ini = p;
		*fin = nl ? nl : e;
		recorta(ini, fin);
		if (*ini < *fin || !nl)
			return;
		p = nl + 1;
	}
}

bool es_cabecera_spe(const char *ini, const char *fin)
{
	if (fin - ini < 3 || *ini != MARCA_SPE || fin[-1] != FIN_SPE)
		return false;
	for (const char *q = ini + 1; q < fin - 1; q++)
		if (!((*q >= 'A' && *q <= 'Z') || *q == '_'))
			return false;
	return true;
}

int detecta(const char *p, size_t n, bool completo, FormaColumnas *forma)
{
	if (n > 0 && *p == COMILLA)
		return FORMATO_PROPIO;
	const char *ini, *fin;
	primera_linea(p, n, &ini, &fin);
	if (ini < fin && *ini == COMILLA) // a quoted title after blank lines is no table's header
		return FORMATO_PROPIO;
	if (es_cabecera_spe(ini, fin))
		return FORMATO_SPE;
	size_t largo = std::strlen(PRIMERA_LINEA_MCA);
	if (size_t(fin - ini) == largo && std::memcmp(ini, PRIMERA_LINEA_MCA, largo) == 0)
		return FORMATO_MCA;
	return detecta_columnas(p, n, completo, forma) ? FORMATO_COLUMNAS : FORMATO_PROPIO;
}

// The last component of a path.
const char *nombre_base(const char *ruta)
{
	const char *barra = std::strrchr(ruta, '/');
	return barra ? barra + 1 : ruta;
}

int lee_extranjero(int formato, Lineas &s, const FormaColumnas &forma, size_t cota, const char *nombre,
                   Lectura *l)
{
	int r = formato == FORMATO_SPE   ? lee_spe(s, cota, l)
	        : formato == FORMATO_MCA ? lee_mca(s, cota, l)
	                                 : lee_columnas(s, forma, cota, nombre, l);
	if (r == FICHERO_BIEN)
		l->formato = formato;
	return r;
}

// Only a regular file has an end and a size to bound the samples by: a pipe
// without a writer would block the open, a device could feed bytes for ever.
// Opening without blocking lets the type be checked first.
int abre_regular(const char *ruta, int *fd, struct stat *st)
{
	*fd = open(ruta, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
	if (*fd < 0) // a socket cannot be opened at all: say what it is
		return stat(ruta, st) == 0 && !S_ISREG(st->st_mode) ? FICHERO_NO_REGULAR : FICHERO_NO_SE_ABRE;
	int r = fstat(*fd, st) != 0    ? FICHERO_NO_SE_ABRE
	        : S_ISREG(st->st_mode) ? FICHERO_BIEN
	                               : FICHERO_NO_REGULAR;
	if (r != FICHERO_BIEN) {
		close(*fd);
		*fd = -1;
	}
	return r;
}

// The file's first bytes, for detection: how many, or -1 on an error.
ssize_t lee_prefijo(int fd, char *prefijo)
{
	size_t n = 0;
	while (n < TAM_PREFIJO) {
		ssize_t r = pread(fd, prefijo + n, TAM_PREFIJO - n, off_t(n));
		if (r < 0 && errno == EINTR)
			continue;
		if (r < 0)
			return -1;
		if (r == 0)
			break;
		n += size_t(r);
	}
	return ssize_t(n);
}

// The prefix is the whole file when the file is no longer, as in memory.
int detecta_descriptor(int fd, const struct stat &st, FormaColumnas *forma)
{
	static thread_local char prefijo[TAM_PREFIJO];
	ssize_t n = lee_prefijo(fd, prefijo);
	if (n < 0)
		return -1;
	n = std::min(n, ssize_t(st.st_size)); // not what was added after the open
	return detecta(prefijo, size_t(n), size_t(st.st_size) <= TAM_PREFIJO, forma);
}

int lee_descriptor(int fd, const struct stat &st, size_t tam_bloque, const char *nombre, Lectura *l)
{
	FormaColumnas forma;
	int formato = detecta_descriptor(fd, st, &forma);
	if (formato < 0)
		return FICHERO_ERROR_LECTURA;
	if (formato == FORMATO_PROPIO)
		return lee_propio_descriptor(fd, st, tam_bloque, l);
	Lineas s;
	int r = lineas_de_descriptor(s, fd, st, tam_bloque)
	            ? lee_extranjero(formato, s, forma, cota_de(st.st_size), nombre, l)
	            : FICHERO_SIN_MEMORIA;
	cierra_lineas(s);
	return r == COLUMNAS_NO_SON ? lee_propio_descriptor(fd, st, tam_bloque, l) : r;
}

} // namespace

int lee_espectro_memoria(const char *datos, size_t n, Lectura *l, const char *nombre)
{
	*l = Lectura();
	FormaColumnas forma;
	size_t prefijo = n < TAM_PREFIJO ? n : TAM_PREFIJO;
	int formato = detecta(datos, prefijo, n <= TAM_PREFIJO, &forma);
	if (formato == FORMATO_PROPIO)
		return lee_propio_memoria(datos, n, l);
	Lineas s;
	lineas_de_memoria(s, datos, n);
	int r = lee_extranjero(formato, s, forma, cota_de(n), nombre, l);
	return r == COLUMNAS_NO_SON ? lee_propio_memoria(datos, n, l) : r;
}

int lee_espectro_en_bloques(const char *ruta, Lectura *l, size_t tam_bloque)
{
	*l = Lectura();
	int fd;
	struct stat st;
	int r = abre_regular(ruta, &fd, &st);
	if (r != FICHERO_BIEN)
		return r;
	r = lee_descriptor(fd, st, tam_bloque, nombre_base(ruta), l);
	close(fd);
	return r;
}

int lee_espectro(const char *ruta, Lectura *l)
{
	return lee_espectro_en_bloques(ruta, l, TAM_BLOQUE);
}

int formato_de_fichero(const char *ruta)
{
	int fd;
	struct stat st;
	if (abre_regular(ruta, &fd, &st) != FICHERO_BIEN)
		return -1;
	FormaColumnas forma;
	int formato = detecta_descriptor(fd, st, &forma);
	close(fd);
	return formato;
}

bool prepara(Acumulador &a, size_t esperadas, size_t cota)
{
	size_t cap = (esperadas < cota ? esperadas : cota) + 1;
	return cap <= a.cap || reserva(a, cap);
}

bool acumula(Acumulador &a, float x)
{
	if (size_t(a.n) + 1 >= a.cap) {
		if (a.n >= INT32_MAX - 1)
			return false;
		size_t cap = a.cap < 2 ? 2 : a.cap * 2;
		auto v = static_cast<float *>(std::realloc(a.v, cap * sizeof(float)));
		if (!v)
			return false;
		a.v = v;
		a.cap = cap;
	}
	guarda(a, x);
	return true;
}

int entrega_acumulado(Acumulador &a, int error, Lectura *l)
{
	if (error || a.n == 0) {
		std::free(a.v);
		a = Acumulador();
		*l = Lectura();
		return error ? error : FICHERO_SIN_MUESTRAS;
	}
	auto v = static_cast<float *>(std::realloc(a.v, (size_t(a.n) + 1) * sizeof(float)));
	l->Li = v ? v : a.v;
	l->nptL = a.n;
	l->maxL = a.max;
	if (l->comment[0] == '\0')
		std::memcpy(l->comment, TITULO_SIN_NOMBRE, sizeof TITULO_SIN_NOMBRE);
	a = Acumulador();
	return FICHERO_BIEN;
}

void pon_titulo(Lectura &l, const char *ini, const char *fin)
{
	recorta(&ini, &fin);
	if (auto nulo = static_cast<const char *>(std::memchr(ini, '\0', fin - ini)))
		fin = nulo;                                // the title is text: it ends at a NUL byte
	size_t n = fin - ini, cabe = sizeof l.comment - 3; // two quotes and the terminator
	n = n < cabe ? n : cabe;
	l.comment[0] = COMILLA;
	std::memcpy(l.comment + 1, ini, n);
	l.comment[n + 1] = COMILLA;
	l.comment[n + 2] = '\0';
}

void calibracion_lineal(Lectura &l, double a, double b, double primero)
{
	float por_canal = static_cast<float>(b);
	float desplazamiento = static_cast<float>(a / b + primero - 1);
	bool valida = por_canal != 0 && std::isfinite(por_canal) && std::isfinite(desplazamiento);
	l.al = valida ? por_canal : 0;
	l.bl = valida ? desplazamiento : 0;
}

bool recta_minimos_cuadrados(const double *x, const double *v, int n, double *a, double *b)
{
	double mx = 0, mv = 0;
	for (int i = 0; i < n; i++) {
		mx += x[i] / n;
		mv += v[i] / n;
	}
	double sxx = 0, sxv = 0;
	for (int i = 0; i < n; i++) {
		sxx += (x[i] - mx) * (x[i] - mx);
		sxv += (x[i] - mx) * (v[i] - mv);
	}
	if (n < 2 || !(sxx > 0))
		return false;
	*b = sxv / sxx;
	*a = mv - *b * mx;
	return std::isfinite(*a) && std::isfinite(*b);
}

namespace {

// The extension of a path's last name (its last dot on, a leading dot not
// counting), or nullptr when it has none.
const char *extension(const char *ruta)
{
	const char *base = nombre_base(ruta);
	const char *punto = std::strrchr(base, '.');
	return punto && punto != base ? punto : nullptr;
}

// The path with its extension replaced by `cola`, into nombre (TAM_NOMBRE bytes).
void cambia_extension(const char *ruta, const char *cola, char *nombre)
{
	const char *punto = extension(ruta);
	size_t raiz = punto ? size_t(punto - ruta) : std::strlen(ruta);
	std::snprintf(nombre, TAM_NOMBRE, "%.*s%s", int(raiz), ruta, cola);
}

} // namespace

void nombre_para_guardar(const char *cargado, char *nombre)
{
	const char *punto = extension(cargado);
	bool ya_txt = punto && std::strcmp(punto, EXTENSION_GUARDADO) == 0;
	cambia_extension(cargado, ya_txt ? SUFIJO_GUARDADO : EXTENSION_GUARDADO, nombre);
}

void nombre_tabla_picos(const char *cargado, char *nombre)
{
	cambia_extension(cargado, SUFIJO_PICOS, nombre);
}

const char *mensaje_aviso(const Lectura &l, const char *ruta)
{
	static char mensaje[TAM_MENSAJE];
	int n = 0;
	mensaje[0] = '\0';
	if (l.linea_ilegible > 0)
		n = std::snprintf(mensaje, sizeof mensaje,
		                  "No se puede leer la línea %d de %s: se carga lo anterior. ",
		                  l.linea_ilegible, ruta);
	if (l.cuenta_ilegible > 0)
		n = std::snprintf(mensaje, sizeof mensaje,
		                  "No se puede leer la cuenta %d de %s: se carga lo anterior. ",
		                  l.cuenta_ilegible, ruta);
	if (l.desvio_x > 0)
		std::snprintf(
		    mensaje + n, sizeof mensaje - n,
		    "La x de %s no es lineal (se aparta %.3g pasos de su recta): se carga sin calibrar", ruta,
		    l.desvio_x);
	return mensaje[0] ? mensaje : nullptr;
}
