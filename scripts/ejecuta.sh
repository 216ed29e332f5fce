#!/usr/bin/env bash
# Builds Orquilo and starts it in ejemplo/, where datos.txt is an example
# spectrum: "Leer Datos" then Enter shows it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/instala-dependencias.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target orquilo

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  cat >&2 <<'MSG'
Orquilo necesita una pantalla X y no hay ninguna (DISPLAY vacío o inalcanzable).
Ejecútelo desde un escritorio gráfico, o arranque una pantalla virtual:
    Xvfb :1 -screen 0 1024x768x24 -noreset &
    DISPLAY=:1 bash scripts/ejecuta.sh
MSG
  exit 1
fi
cd ejemplo
exec ../build/orquilo
