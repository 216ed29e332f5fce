// See reemplazo.h.
#include "reemplazo.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int INTENTOS_TEMPORAL = 100;
constexpr mode_t MODO_NUEVO = 0666; // as fopen creates it, before the umask
constexpr mode_t BITS_PERMISO = 07777;

// The name of the new file while a replacement writes it, else null.
std::atomic<const char *> temporal_en_curso{nullptr};

// Names the new file to borra_temporal_en_curso for as long as it lives.
class EnCurso {
public:
	explicit EnCurso(const std::string &temporal) { temporal_en_curso = temporal.c_str(); }
	~EnCurso() { temporal_en_curso = nullptr; }
	EnCurso(const EnCurso &) = delete;
	EnCurso &operator=(const EnCurso &) = delete;
};

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
int crea_temporal(const std::string &destino, const std::string &sufijo, std::string *temporal)
{
	static unsigned contador;
	for (int i = 0; i < INTENTOS_TEMPORAL; i++) {
		*temporal =
		    destino + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++contador) + sufijo;
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

bool reemplaza_fichero(const char *ruta, const std::string &sufijo,
                       const std::function<bool(const std::string &temporal, int fd)> &escribe)
{
	std::string destino = destino_de(ruta);
	struct stat viejo;
	bool existe = stat(destino.c_str(), &viejo) == 0;
	if (existe && !S_ISREG(viejo.st_mode))
		return false;
	std::string temporal;
	int fd = crea_temporal(destino, sufijo, &temporal);
	if (fd < 0)
		return false;
	EnCurso en_curso(temporal);
	if (existe)
		copia_permisos(fd, viejo);
	bool bien = escribe(temporal, fd) && fsync(fd) == 0;
	bien = close(fd) == 0 && bien;
	if (!bien || rename(temporal.c_str(), destino.c_str()) != 0) {
		unlink(temporal.c_str());
		return false;
	}
	sincroniza_carpeta(destino);
	return true;
}

void borra_temporal_en_curso()
{
	static_assert(std::atomic<const char *>::is_always_lock_free, "read from a signal handler");
	if (const char *temporal = temporal_en_curso.load())
		unlink(temporal);
}
