#!/bin/sh
# The Windows window under Wine, driven with xdotool: start-up reopens the
# document that LatestPath names, Save writes it under a name outside
# Windows-1252 byte for byte as the Linux build wrote it, and the next
# start reopens that one.
#   windows_window.sh vantrel.exe DOCUMENT.pre     (under xvfb-run)
set -eu
program=$1
document=$2
run="$(cd "$(dirname "$0")" && pwd)/../../scripts/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$document" "$work/opened.pre"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
"$run" reg add 'HKCU\Software\Tarsel\Vantrel' /v LatestPath /t REG_SZ /d "$(windows_path "$work/opened.pre")" \
    /f >/dev/null 2>&1

# find_window TITLE-PATTERN SECONDS: a visible window's id, once it shows.
# A search fails outright (BadWindow) when a window vanishes during it, as
# Wine's short-lived windows do at start: such a search is simply repeated.
find_window() {
    for _ in $(seq $(($2 * 2))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -z "$id" ] || { echo "$id"; return 0; }
        sleep 0.5
    done
}

start_window() {  # start_window TITLE-PATTERN: the window's id once it shows the document
    "$run" "$program" >/dev/null 2>&1 &
    find_window "$1" 60
}

close_window() {  # close_window ID: Alt+F4 until the window is gone (the next start must not meet it)
    for _ in $(seq 60); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xdotool windowfocus "$1" key alt+F4 >/dev/null 2>&1 || true
        sleep 0.5
    done
    echo "FAILED: the window did not close"; exit 1
}

main=$(start_window 'opened\.pre – Vantrel$')
[ -n "$main" ] || { echo "FAILED: start-up did not reopen LatestPath"; exit 1; }
sleep 3
xdotool windowfocus --sync "$main"
xdotool key ctrl+s
dialog=$(find_window '^Save Press Release$' 30)
[ -n "$dialog" ] || { echo "FAILED: no save dialog"; exit 1; }
sleep 2
xdotool windowfocus --sync "$dialog"
xdotool type --delay 30 "$(windows_path "$work/Zoë €.pre")"
xdotool key Return
for _ in $(seq 20); do [ -s "$work/Zoë €.pre" ] && break; sleep 0.5; done
close_window "$main"
cmp "$document" "$work/Zoë €.pre" || { echo "FAILED: the saved document differs"; exit 1; }
echo "ok: saved byte for byte under a name outside Windows-1252"

main=$(start_window 'Zo.* .*\.pre – Vantrel$')
[ -n "$main" ] || { echo "FAILED: the saved document was not reopened"; exit 1; }
echo "ok: the next start reopens it"
xdotool windowfocus --sync "$main"
xdotool key alt+F4
"$run" reg delete 'HKCU\Software\Tarsel\Vantrel' /f >/dev/null 2>&1 || true
