#!/bin/sh
# Runs Generate, Check everything in the built program on a private X server
# and saves pictures of what the user sees: the two probe windows and the
# "Check" box for a complete form whose page and image a local web server
# (python3 -m http.server on 127.0.0.1) serves, the same form with receivers
# that leave entries out (their frame and tooltip), then the "Errors" box
# for the start form and the form behind it with its failed fields marked.
# Usage: scripts/screenshot-check.sh [build folder] [output folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
output="${2:-$build/screenshots-check}"

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output"
fi

sandbox=$(mktemp -d)
server_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/home/.config/Tarsel" "$sandbox/site" "$output"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 no_proxy=127.0.0.1
unset XDG_CONFIG_HOME

. "$root/scripts/sample-form.sh"
serve_sample_site "$sandbox/site" notely.html
# A complete form as a document, reopened at start-up.
write_sample_document "$sandbox/complete.pre" 2.1 "\$19.95" Linux notely.html "Ada Moor" ada@example.org

snap() {  # snap WINDOW-NAME FILE: waits for the window, makes it paint, saves the screen
    win=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    if [ -z "$win" ]; then
        echo "no window named $1"
        exit 1
    fi
    # On a bare X server a dialog often stays black until it is moved; moved
    # to the top edge it paints and stands clear of most of the form.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowmove "$win" "$X" 0
    sleep 0.3
    xwd -root -silent | convert xwd:- "$output/$2"
    echo "saved $output/$2"
}

check_everything() {  # check_everything BOX-CAPTION BOX-FILE
    main=$(timeout 30 xdotool search --sync --onlyvisible --name 'Vantrel$' | head -n 1)
    sleep 1
    xdotool windowfocus --sync "$main"
    xdotool key alt+g Down Down Return
    snap "Checking the product URL..." "$1-page-probe.png"
    snap "Checking the image URL..." "$1-image-probe.png"
    snap "$2" "$3"
    box=$(xdotool search --onlyvisible --name "^$2\$" | head -n 1)
    xdotool windowfocus --sync "$box"
    xdotool key Return
}

run_program() {
    (cd "$sandbox" && exec "$build/src/gui/vantrel") &
    program_pid=$!
}

printf '[/]\nLatestPath=%s\n' "$sandbox/complete.pre" > "$HOME/.config/Tarsel/Vantrel.conf"
run_program
check_everything complete Check check-box.png
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true

# Receivers of which two are left out: their amber frame, the status line
# that names them and the tooltip that lists them with why.
write_sample_document "$sandbox/receivers.pre" 2.1 "\$19.95" Linux notely.html "Ada Moor" ada@example.org \
    "bob@news.example, john doe@typo.example,
\"Doe, Jane\" <jane@x.example>, bob@nodomain,"
printf '[/]\nLatestPath=%s\n' "$sandbox/receivers.pre" > "$HOME/.config/Tarsel/Vantrel.conf"
run_program
check_everything receivers Check receivers-check-box.png
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 700)) $((Y + 200))
sleep 2
xwd -root -silent | convert xwd:- "$output/receivers-left-out.png"
echo "saved $output/receivers-left-out.png"
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true

rm -f "$HOME/.config/Tarsel/Vantrel.conf"
run_program
check_everything start Errors errors-box.png
sleep 0.5
xwd -root -silent | convert xwd:- "$output/start-marks.png"
echo "saved $output/start-marks.png"
