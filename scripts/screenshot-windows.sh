#!/bin/sh
# Pictures of the Windows build under Wine on a private X server and in a
# private Wine prefix: the window with a complete form (long values in the
# narrow fields), the "Check" box of Generate, Check everything (its page
# and image served on 127.0.0.1), and the installer's first page.
# Usage: scripts/screenshot-windows.sh [windows build folder] [output folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
output="${2:-$build/screenshots}"

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output"
fi

sandbox=$(mktemp -d)
export WINEPREFIX="$sandbox/wine"
server_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/site" "$output"
run="$root/scripts/wine-run.sh"
"$run" wineboot -i >/dev/null 2>&1

. "$root/scripts/sample-form.sh"
serve_sample_site "$sandbox/site" notely-release-notes.html
write_sample_document "$sandbox/complete.pre" 10.2.1 "29.95 USD" Windows notely-release-notes.html "Zoë Moor" \
    zoe@example.org
"$run" reg add 'HKCU\Software\Tarsel\Vantrel' /v LatestPath /t REG_SZ \
    /d "Z:$(printf %s "$sandbox/complete.pre" | tr / '\\')" /f >/dev/null 2>&1

snap() {  # snap WINDOW-NAME-PATTERN FILE
    win=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
    [ -n "$win" ] || { echo "no window named $1"; exit 1; }
    # Without a window manager a box stays black until it has been moved
    # (twice, under Wine) and given time to paint.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowmove "$win" "$X" 0
    sleep 1
    xdotool windowmove "$win" "$X" 20
    sleep 3
    import -window root "$output/$2"
    echo "saved $output/$2"
}

(cd "$root/resources" && exec "$run" "$build/bin/vantrel.exe") &
sleep 6  # past the splash screen
# The title names the document that start-up reopened.
snap 'Vantrel$' window.png
main=$(xdotool search --onlyvisible --name 'Vantrel$' | head -n 1)
xdotool windowfocus --sync "$main"
xdotool key alt+g Down Down Return
snap '^Check$' check-box.png
xdotool key Return
sleep 1
xdotool key alt+F4
wineserver -w || true

"$run" "$build/vantrel-setup.exe" &
snap 'Vantrel.*Setup' installer.png
xdotool key Escape
sleep 1
xdotool key Return
wineserver -k || true
