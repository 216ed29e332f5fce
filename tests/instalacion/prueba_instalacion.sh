#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what lands there: the
# exact list of files, the program's --version, the desktop entry, the
# AppStream metainfo, the manual page and the MIME definitions as the desktop
# tools themselves read them.  Usage: prueba_instalacion.sh BUILD VERSION
source "$(dirname "$0")/comun.sh" "$@"

DESTDIR="$carpeta" cmake --install "$build" --prefix /usr >/dev/null
usr="$carpeta/usr"

echo "== installed files"
esperados="bin/orquilo
share/applications/orquilo.desktop
share/doc/orquilo/changelog.gz
share/doc/orquilo/copyright
share/icons/hicolor/scalable/apps/orquilo.svg
share/man/man1/orquilo.1.gz
share/metainfo/es.velmora.orquilo.metainfo.xml
share/mime/packages/orquilo.xml"
instalados=$(cd "$usr" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
echo "$instalados"
[ "$instalados" = "$esperados" ] || falla "installed files differ from: $esperados"
[ -x "$usr/bin/orquilo" ] || falla "the program is not executable"
[ "$("$usr/bin/orquilo" --version)" = "orquilo $version" ] || falla "--version of the installed program"

echo "== desktop entry"
escritorio="$usr/share/applications/orquilo.desktop"
desktop-file-validate "$escritorio" || falla "desktop-file-validate"
grep -qx 'Exec=orquilo %f' "$escritorio" || falla "Exec is not 'orquilo %f'"
for tipo in text/plain text/csv application/x-spe-spectrum application/x-amptek-mca \
	application/x-ortec-chn application/x-n42+xml chemical/x-jcamp-dx application/x-iec1455-spectrum \
	application/x-emsa-spectrum application/x-canberra-tka; do
	grep -q "^MimeType=.*\b$tipo;" "$escritorio" || falla "MimeType lacks $tipo"
done

echo "== metainfo"
metainfo="$usr/share/metainfo/es.velmora.orquilo.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || falla "appstreamcli validate"
grep -q '<project_license>MIT</project_license>' "$metainfo" || falla "project_license is not MIT"
grep -q "<release version=\"$version\"" "$metainfo" || falla "no release $version in the metainfo"

echo "== manual page"
avisos="$carpeta/avisos-man"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/orquilo.1.gz" \
	>"$carpeta/man.txt" 2>"$avisos"
[ ! -s "$avisos" ] || { cat "$avisos" >&2; falla "man --warnings complained"; }
for seccion in SINOPSIS OPCIONES ÓRDENES TECLAS "FORMATOS DE FICHERO" FICHEROS "ESTADO DE SALIDA"; do
	grep -q "^$seccion" "$carpeta/man.txt" || falla "the manual has no $seccion section"
done

echo "== MIME types, as update-mime-database compiles them"
mime="$carpeta/mime"
mkdir -p "$mime/packages"
cp "$usr/share/mime/packages/orquilo.xml" "$mime/packages/"
XDG_DATA_HOME="$carpeta" update-mime-database "$mime" 2>"$avisos" || { cat "$avisos" >&2; falla "update-mime-database"; }
[ ! -s "$avisos" ] || { cat "$avisos" >&2; falla "update-mime-database complained"; }
grep -q ':application/x-spe-spectrum:\*\.spe$' "$mime/globs2" || falla "no *.spe glob"
grep -q ':application/x-amptek-mca:\*\.mca$' "$mime/globs2" || falla "no *.mca glob"
grep -q '^application/x-spe-spectrum text/plain$' "$mime/subclasses" || falla ".Spe is not text"
for par in ortec-chn:chn n42+xml:n42 iec1455-spectrum:iec emsa-spectrum:msa canberra-tka:tka; do
	grep -q ":application/x-${par%%:*}:\*\.${par#*:}\$" "$mime/globs2" || falla "no *.${par#*:} glob"
done

echo "== icon and licence"
file -b "$usr/share/icons/hicolor/scalable/apps/orquilo.svg" | grep -q SVG || falla "the icon is not an SVG"
grep -q '^License: MIT$' "$usr/share/doc/orquilo/copyright" || falla "copyright is not MIT"
echo "installation checked"
