#!/usr/bin/env bash
# Makes the Debian package of a finished build in a temporary folder and checks what it
# installs, what it depends on, its installation table and its menu entry.
# Usage: package-check.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack did not make the package"; }
debs=("$work"/lectoria_*.deb)
[[ -f ${debs[0]} ]] || fail "no package file in $work"
deb=${debs[0]}
echo "package: $(basename "$deb")"

# "./path" or "./link -> target", one a line.
dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//' >"$work/files"
for path in ./opt/lectoria/Bin/lectoria ./opt/lectoria/Bin/lectoria-find \
    ./opt/lectoria/Bin/lectoria-index './usr/bin/lectoria-index -> /opt/lectoria/Bin/lectoria-index' \
    ./opt/lectoria/Bin/lectoria-pdftext \
    ./opt/lectoria/Bin/Lectoria/lectoria.htm ./opt/lectoria/Bin/Lectoria/lectoria.files/main.png \
    ./opt/lectoria/Bin/Lectoria/Lectoria.ini ./opt/lectoria/TQ_W/instal.dbf \
    ./opt/lectoria/NormDoc/readme.txt \
    './usr/bin/lectoria -> /opt/lectoria/Bin/lectoria' \
    './usr/bin/lectoria-find -> /opt/lectoria/Bin/lectoria-find' \
    ./usr/share/applications/lectoria.desktop ./usr/share/doc/lectoria/copyright; do
  grep -qxF -- "$path" "$work/files" || fail "the package does not install $path"
done
for size in 16 32 48 64 128 256; do
  grep -qxF "./usr/share/icons/hicolor/${size}x${size}/apps/lectoria.png" "$work/files" ||
    fail "no ${size}x${size} icon"
done
if grep -v -e '^\./opt/lectoria/' -e '^\./usr/bin/' -e '^\./usr/share/applications/' \
    -e '^\./usr/share/icons/hicolor/' -e '^\./$' -e '^\./opt/$' -e '^\./usr/$' \
    -e '^\./usr/share/$' -e '^\./usr/share/icons/$' -e '^\./usr/share/doc/' "$work/files"; then
  fail "the package installs the files above outside its places"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6webenginewidgets6 libqt6widgets6 qt6-translations-l10n libpoppler-cpp0v5 libjs-pdf \
  libhunspell-1.7-0 hunspell-ru; do
  [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

dpkg-deb -x "$deb" "$work/root"
grep -aq '/opt/lectoria/Bases/' "$work/root/opt/lectoria/TQ_W/instal.dbf" ||
  fail "the installation table does not name the installed bases"
! grep -aq "$work" "$work/root/opt/lectoria/TQ_W/instal.dbf" ||
  fail "the installation table names the staging folder"
desktop-file-validate "$work/root/usr/share/applications/lectoria.desktop" ||
  fail "the menu entry is not valid"
echo "PASS"
