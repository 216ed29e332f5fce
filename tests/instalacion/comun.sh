# Shared by the install and package checks: the arguments (BUILD VERSION), a
# scratch folder under the build removed on exit, and `falla`.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
carpeta=$(mktemp -d "$build/prueba-$(basename "$0" .sh).XXXXXX")
trap 'rm -rf "$carpeta"' EXIT

falla() {
	echo "FALLO: $*" >&2
	exit 1
}
