// Writing the spectrum data file safely: the text goes to a new file beside the
// old one, which it replaces by a rename only once every byte is on disk, so a
// failed save leaves the old file as it was.  Start at escribe_espectro.
#include "fichero.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "numeros.h"

namespace {

constexpr int INTENTOS_TEMPORAL = 100;
constexpr mode_t MODO_NUEVO = 0666; // as fopen creates it, before the umask
constexpr mode_t BITS_PERMISO = 07777;
constexpr size_t TAM_SALIDA = size_t(1) << 20;

// The file that the save replaces: the target of a symbolic link, so that the
// link stays a link.
std::string destino_de(const char *ruta)
{
	char *real = realpath(ruta, nullptr);
	std::string destino = real ? real : ruta;
	std::free(real);
	return destino;
}

// A new, empty file beside destino that nobody else is using.
int crea_temporal(const std::string &destino, std::string *temporal)
{
	static unsigned contador;
	for (int i = 0; i < INTENTOS_TEMPORAL; i++) {
		*temporal = destino + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++contador);
		int fd = open(temporal->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, MODO_NUEVO);
		if (fd >= 0 || errno != EEXIST)
			return fd;
	}
	return -1;
}

// The new file takes the old one's permissions (and owner, where allowed).
void copia_permisos(int fd, const struct stat &viejo)
{
	if (fchmod(fd, viejo.st_mode & BITS_PERMISO) != 0)
		return;
	if (fchown(fd, viejo.st_uid, viejo.st_gid) != 0)
		return; // a save by another user keeps that user as owner
}

// "%s\n", "%i  %f  %f \n" and "%f\n" a sample, except that a number "%f"
// would lose is written with the digits that keep it.
bool escribe_texto(FILE *f, const char *titulo, const float *v, int n, float a_l, float b_l)
{
	char a[TAM_NUMERO], b[TAM_NUMERO];
	formatea_sin_perdida(a, a_l);
	formatea_sin_perdida(b, b_l);
	std::fprintf(f, "%s\n%i  %s  %s \n", titulo, n, a, b);
	for (int i = 1; i <= n; i++) {
		int largo = formatea_sin_perdida(a, v[i]);
		a[largo] = '\n';
		std::fwrite(a, 1, largo + 1, f);
	}
	return std::fflush(f) == 0 && !std::ferror(f);
}

// Writes and flushes everything to disk; closes f in every case.
bool escribe_y_cierra(FILE *f, const char *titulo, const float *v, int n, float a_l, float b_l)
{
	std::setvbuf(f, nullptr, _IOFBF, TAM_SALIDA);
	bool bien = escribe_texto(f, titulo, v, n, a_l, b_l) && fsync(fileno(f)) == 0;
	return std::fclose(f) == 0 && bien;
}

// So that the rename itself survives a crash.
void sincroniza_carpeta(const std::string &destino)
{
	size_t barra = destino.rfind('/');
	std::string carpeta = barra == std::string::npos ? "." : barra == 0 ? "/" : destino.substr(0, barra);
	int fd = open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0) {
		fsync(fd);
		close(fd);
	}
}

} // namespace

int escribe_espectro(const char *ruta, const char *titulo, const float *v, int n, float a_l, float b_l)
{
	std::string destino = destino_de(ruta);
	struct stat viejo;
	bool existe = stat(destino.c_str(), &viejo) == 0;
	if (existe && !S_ISREG(viejo.st_mode))
		return FICHERO_NO_SE_GUARDA;
	std::string temporal;
	int fd = crea_temporal(destino, &temporal);
	if (fd < 0)
		return FICHERO_NO_SE_GUARDA;
	if (existe)
		copia_permisos(fd, viejo);
	FILE *f = fdopen(fd, "w");
	if (!f)
		close(fd);
	if (!f || !escribe_y_cierra(f, titulo, v, n, a_l, b_l) ||
	    rename(temporal.c_str(), destino.c_str()) != 0) {
		unlink(temporal.c_str());
		return FICHERO_NO_SE_GUARDA;
	}
	sincroniza_carpeta(destino);
	return FICHERO_BIEN;
}
