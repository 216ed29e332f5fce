#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Orquilo needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

paquetes=(
  build-essential cmake pkg-config clang clang-format libclang-rt-14-dev git
  liballegro4-dev libfast-float-dev libgtest-dev
  xvfb xdotool x11-utils libx11-dev
  libloadpng4-dev libpng-dev
  libgsl-dev libexpat1-dev
  dpkg-dev file lintian desktop-file-utils appstream man-db shared-mime-info
  python3
)

faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
[ ${#faltan[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Instalando: ${faltan[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${faltan[@]}"
