#!/bin/sh
# The installer under Wine, in the prefix scripts/wine-run.sh uses: a silent
# install, its files, InstallPath, the Start menu entry and the .pre
# association, the CLI run from the installation folder, then a silent
# uninstall that leaves the user's LatestPath and documents behind.
#   windows_installer.sh vantrel-setup.exe SAMPLE.pre
set -eu
setup=$1
sample=$2
run="$(cd "$(dirname "$0")" && pwd)/../../scripts/wine-run.sh"
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/vantrel-wine-$(id -u)}"
drive="$WINEPREFIX/drive_c"
folder="$drive/Program Files/Vantrel"
failures=0
expect() {  # description, then the command that must succeed
    what=$1
    shift
    if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
query() { "$run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/.*$2 *REG_SZ *//p"; }
query_default() { "$run" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }

"$run" "$setup" /S
for file in vantrel.exe vantrel-cli.exe libcurl-4.dll zlib1.dll libwinpthread-1.dll \
            LiberationSansNarrow-Regular.ttf manVantrel.pdf \
            splash.bmp uninstall.exe; do
    expect "installed $file" test -f "$folder/$file"
done
expect "InstallPath" test "$(query 'HKLM\Software\Tarsel\Vantrel' InstallPath)" = 'C:\Program Files\Vantrel'
expect "only InstallPath under the program's key" \
    test "$("$run" reg query 'HKLM\Software\Tarsel\Vantrel' 2>/dev/null | grep -c REG_)" = 1
expect "Start menu entry" test -f "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
expect ".pre belongs to Vantrel" test "$(query_default 'HKLM\Software\Classes\.pre')" = Vantrel.Document
expect "double click opens the document" test \
    "$(query_default 'HKLM\Software\Classes\Vantrel.Document\shell\open\command')" = \
    '"C:\Program Files\Vantrel\vantrel.exe" "%1"'
cp "$sample" "$drive/sample.pre"
expect "the CLI from the installation folder" sh -c \
    "'$run' 'C:\\Program Files\\Vantrel\\vantrel-cli.exe' release 'C:\\sample.pre' | grep -q ."

"$run" reg add 'HKCU\Software\Tarsel\Vantrel' /v LatestPath /t REG_SZ /d 'C:\sample.pre' /f >/dev/null 2>&1
"$run" "C:\\Program Files\\Vantrel\\uninstall.exe" /S
# The uninstaller hands over to a copy of itself and returns at once.
for _ in $(seq 60); do [ -e "$folder" ] || break; sleep 1; done
expect "the installation folder is gone" test ! -e "$folder"
expect "the Start menu entry is gone" test ! -e "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
expect "InstallPath is gone" test -z "$(query 'HKLM\Software\Tarsel\Vantrel' InstallPath)"
expect "the association is gone" test -z "$(query_default 'HKLM\Software\Classes\.pre')"
expect "the uninstall entry is gone" sh -c \
    "! '$run' reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel'"
expect "LatestPath stays" test "$(query 'HKCU\Software\Tarsel\Vantrel' LatestPath)" = 'C:\sample.pre'
expect "the user's document stays" test -f "$drive/sample.pre"
"$run" reg delete 'HKCU\Software\Tarsel\Vantrel' /f >/dev/null 2>&1 || true
[ "$failures" -eq 0 ]
