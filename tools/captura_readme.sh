#!/usr/bin/env bash
# Makes docs/orquilo.png, the README's picture: the viewer on a private Xvfb
# loads the example spectrum, is calibrated on two neon lines, and saves its
# own picture with "Guardar" (a BMP, turned into PNG with ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build --target orquilo -j"$(nproc)" >/dev/null

tmp=$(mktemp -d)
cp ejemplo/datos.txt "$tmp/"
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -u 3 num
export DISPLAY=":$num"
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT

(cd "$tmp" && exec "$OLDPWD/build/orquilo") &
sleep 2
xdotool mousemove 1023 767
xdotool windowfocus "$(xdotool search --name . | head -1)"

tecla() { for _ in $(seq "${2:-1}"); do xdotool keydown "$1"; sleep 0.04; xdotool keyup "$1"; sleep 0.25; done; }
campo() { tecla End; xdotool key --delay 5 --repeat 20 BackSpace; xdotool type --delay 60 "$1"; }

tecla l; tecla Return; sleep 0.5
tecla c; tecla Left 6; tecla shift+Left 3; campo 585.249; tecla Return
tecla Right 12; tecla shift+Left 8; campo 703.241; tecla Return; sleep 0.5
tecla g; tecla space; tecla Return; sleep 1
tecla Escape; tecla Return
wait %2 2>/dev/null || true
convert "$tmp/espectro.bmp" docs/orquilo.png
echo "docs/orquilo.png written"
