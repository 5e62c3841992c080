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

head -c 3000 /dev/zero | tr '\0' 'p' > "$sandbox/site/notely-release-notes.html"
head -c 80000 /dev/zero | tr '\0' 'i' > "$sandbox/site/notely.png"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$sandbox/site" >/dev/null 2>&1 &
server_pid=$!
site="http://127.0.0.1:$port"

record() { printf '%d %s' "$(printf '%s' "$1" | wc -c)" "$1"; }
{
    record "Notely"; record "10.2.1"; record "29.95 USD"; record "Windows"; record "$site/notely.png"
    record "Takes notes fast and keeps them in sync on every computer you own."
    record 25; record ""; record "$site/notely-release-notes.html"; record 1; record 0; record 30
    record "Tarsel Soft"; record "Zoë Moor"; record "zoe@example.org"; record 0; record ""
} > "$sandbox/complete.pre"
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
