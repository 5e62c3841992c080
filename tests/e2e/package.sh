#!/bin/sh
# Builds the Debian package, checks what it declares and holds, installs it
# with dpkg into a throw-away root, runs a user's whole day against the
# installed program, and purges it again.
# Usage: package.sh BUILD-FOLDER
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cd "$build" || exit 1
rm -f vantrel_*_amd64.deb
cpack -G DEB >/dev/null || fail "cpack could not build the package"
package=$(ls vantrel_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || fail "no vantrel_<version>_amd64.deb"
echo "built $package"

control=$(dpkg-deb -f "$package")
for field in Package Version Maintainer Description Depends; do
    echo "$control" | grep -q "^$field: ." || fail "the package declares no $field"
done
depends=$(dpkg-deb -f "$package" Depends)
for needed in libwxgtk3.2 libcurl4 xdg-utils fonts-liberation; do
    echo "$depends" | grep -q "$needed" || fail "the package does not depend on $needed"
done
# Every dependency is a package this machine has, so it can be installed.
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for dependency in $(echo "$depends" | tr ',' '\n' | sed 's/([^)]*)//g; s/ //g'); do
    found=""
    for alternative in $(echo "$dependency" | tr '|' ' '); do
        installed "$alternative" && found=yes
    done
    [ -n "$found" ] || fail "the dependency $dependency is not installed here"
done

contents=$(dpkg-deb -c "$package" | awk '{print $6}')
for file in ./usr/bin/vantrel ./usr/bin/vantrel-cli ./usr/share/man/man1/vantrel-cli.1.gz ./usr/share/vantrel/manVantrel.pdf ./usr/share/vantrel/splash.bmp \
            ./usr/share/applications/vantrel.desktop ./usr/share/mime/packages/vantrel.xml \
            ./usr/share/icons/hicolor/scalable/apps/vantrel.svg ./usr/share/icons/hicolor/256x256/apps/vantrel.png \
            ./usr/share/icons/hicolor/16x16/apps/vantrel.png ./etc/xdg/Tarsel/Vantrel.conf; do
    echo "$contents" | grep -qx "$file" || fail "the package lacks $file"
done
dpkg-deb --ctrl-tarfile "$package" | tar -xO ./conffiles | grep -qx /etc/xdg/Tarsel/Vantrel.conf ||
    fail "the settings file is no conffile"
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$package" || fail "lintian found errors"
fi

# A root of its own with an empty package database; dpkg undoes the install.
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --no-triggers -i "$package" >/dev/null 2>&1 ||
    fail "dpkg could not install the package"
grep -qx "InstallPath=/usr/share/vantrel" "$root/etc/xdg/Tarsel/Vantrel.conf" ||
    fail "the installed settings do not name /usr/share/vantrel"
grep -q '^Exec="/usr/bin/vantrel" %f$' "$root/usr/share/applications/vantrel.desktop" ||
    fail "the launcher does not start /usr/bin/vantrel"

"$here/user_day.sh" "$root/usr/bin/vantrel" "$build/e2e-artifacts" "$root/etc/xdg" ||
    fail "the installed program failed the day"
env -u DISPLAY "$root/usr/bin/vantrel-cli" --version | grep -q "^vantrel-cli " ||
    fail "the installed vantrel-cli does not run without a display"

dpkg --root="$root" --force-not-root --no-triggers -P vantrel >/dev/null 2>&1 || fail "dpkg could not purge the package"
left=$(find "$root" -path "$root/var" -prune -o -type f -print | head -n 3)
[ -z "$left" ] || fail "purging left $left"
echo "installed, used and purged $package"
