#!/usr/bin/env bash
# Builds the Debian package with CPack in a scratch folder, shows its control
# data and contents, checks the dependencies that dpkg-shlibdeps computed,
# unpacks it and runs the unpacked program, and runs lintian, which must
# report no error.  Usage: prueba_paquete.sh BUILD VERSION
source "$(dirname "$0")/comun.sh" "$@"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$carpeta" >"$carpeta/cpack.log" ||
	{ cat "$carpeta/cpack.log" >&2; falla "cpack"; }
deb="$carpeta/orquilo_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || falla "no $deb"

echo "== dpkg-deb -I"
dpkg-deb -I "$deb"
depende=$(dpkg-deb -f "$deb" Depends)
# Computed from the binary: each library it links, with a version bound.
for lib in liballegro4.4 libloadpng4.4 libgsl27 libexpat1 libc6 libstdc++6; do
	[[ ", $depende" == *", $lib (>= "* ]] || falla "Depends lacks $lib with a version: $depende"
done

echo "== dpkg-deb -c"
dpkg-deb -c "$deb" | tee "$carpeta/contenido"
for f in usr/bin/orquilo usr/share/man/man1/orquilo.1.gz usr/share/applications/orquilo.desktop \
	usr/share/doc/orquilo/copyright; do
	grep -q " \./$f$" "$carpeta/contenido" || falla "the package lacks $f"
done

echo "== unpacked program"
dpkg-deb -x "$deb" "$carpeta/raiz"
salida=$("$carpeta/raiz/usr/bin/orquilo" --version)
echo "$salida"
[ "$salida" = "orquilo $version" ] || falla "--version of the unpacked program"

echo "== lintian"
lintian "$deb" 2>&1 | tee "$carpeta/lintian" || true
! grep -q '^E:' "$carpeta/lintian" || falla "lintian reports errors"
echo "package checked"
