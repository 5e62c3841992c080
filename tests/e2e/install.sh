#!/bin/sh
# Installs the build into a temporary prefix for a temporary user and checks
# what the installation leaves: program, data folder, launcher, icons, MIME
# type, and the InstallPath setting in the installation's settings file.
set -eu
build="$1"

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export HOME="$sandbox/home"
unset XDG_CONFIG_HOME
prefix="$sandbox/prefix with blank"

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*"; exit 1; }
data="$prefix/share/vantrel"
[ -x "$prefix/bin/vantrel" ] || fail "no program"
[ -x "$prefix/bin/vantrel-cli" ] || fail "no vantrel-cli"
[ -s "$prefix/share/man/man1/vantrel-cli.1.gz" ] || fail "no man page of vantrel-cli"
[ -s "$data/manVantrel.pdf" ] || fail "no manual"
head -c 5 "$data/manVantrel.pdf" | grep -q '%PDF-' || fail "the manual is no PDF"
[ -s "$data/splash.bmp" ] || fail "no splash image"
for size in 16 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/vantrel.png" ] || fail "no $size px icon"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/vantrel.svg" ] || fail "no scalable icon"
launcher="$prefix/share/applications/vantrel.desktop"
grep -qx "Path=$data" "$launcher" || fail "launcher does not start in the data folder"
grep -qx "Exec=\"$prefix/bin/vantrel\" %f" "$launcher" || fail "launcher does not take a document"
grep -qx "MimeType=application/x-vantrel-press-release;" "$launcher" || fail "launcher declares no document type"
grep -q 'glob pattern="\*.pre"' "$prefix/share/mime/packages/vantrel.xml" || fail "no MIME type for .pre"
grep -qx "InstallPath=$data" "$prefix/etc/xdg/Tarsel/Vantrel.conf" || fail "InstallPath not registered"
[ ! -e "$HOME/.config" ] || fail "the installation wrote into the user's settings"
echo "installed and registered $data"
