#!/bin/sh
# Runs Generate, "Send to Receivers..." in the built program on a private X
# server against a local mail server (tests/support/smtp_server.py) that
# refuses 1,000 of 1,200 receivers, and saves pictures of the send window,
# of it with a note typed, of the one question before sending, of the
# progress waiting for a "later", of the summary of those not reached, and
# of the send window once more with another subject.
# Usage: scripts/screenshot-send.sh [build folder] [output folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
output="${2:-$build/screenshots-send}"

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output"
fi

sandbox=$(mktemp -d)
server_pid=""
program_pid=""
mail_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$mail_pid" ] && kill "$mail_pid" 2>/dev/null
    rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/home/.config/Tarsel" "$sandbox/site" "$sandbox/mail" "$output"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 no_proxy=127.0.0.1
unset XDG_CONFIG_HOME XDG_STATE_HOME

. "$root/scripts/sample-form.sh"
serve_sample_site "$sandbox/site" notely.html

# 1,200 receivers with names, 1,000 of whom the server refuses and one it
# tells to try later, and two entries that are no address.
receivers=$(seq 1 1200 | sed 's/.*/Reader & <reader&@example.net>/' | paste -sd';')
receivers="$receivers;no address here;two@@example.net"
refusals="$(seq 1 1000 | sed 's/.*/--script reader&@example.net=550/') --script reader1200@example.net=451"

# The mail server reads its standard input until it closes: a fifo held open.
mkfifo "$sandbox/mail-in"
: > "$sandbox/mail-out"
# shellcheck disable=SC2086
/usr/bin/python3 -W ignore "$root/tests/support/smtp_server.py" --dir "$sandbox/mail" $refusals \
    < "$sandbox/mail-in" > "$sandbox/mail-out" &
mail_pid=$!
exec 3> "$sandbox/mail-in"
while ! grep -q '^port ' "$sandbox/mail-out"; do sleep 0.1; done
mail_port=$(sed -n 's/^port //p' "$sandbox/mail-out")

{
    record "Notely"; record 2.1; record "\$19.95"; record Linux; record "$site/notely.png"
    record "Takes notes fast and keeps them in sync on every computer you own."
    record 25; record ""; record "$site/notely.html"; record 1; record 0; record 30
    record "Tarsel Soft"; record "Ada Moor"; record ada@example.org; record 0; record "$receivers"
} > "$sandbox/send.pre"
printf '[/]\nLatestPath=%s\nMailServer=smtp://127.0.0.1:%s\nMailPerMinute=0\n' "$sandbox/send.pre" \
    "$mail_port" > "$HOME/.config/Tarsel/Vantrel.conf"

snap() {  # snap WINDOW-NAME FILE: waits for the window, makes it paint, saves the screen
    win=$(timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    if [ -z "$win" ]; then
        echo "no window named $1"
        exit 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowmove "$win" "$X" 0
    sleep 0.5
    xwd -root -silent | convert xwd:- "$output/$2"
    echo "saved $output/$2"
}

(cd "$sandbox" && exec "$build/src/gui/vantrel") &
program_pid=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name 'Vantrel$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$main"
xdotool key alt+g Down Down Down Return
snap "Send to Receivers" send-window.png
# The focus starts in the subject: Tab reaches the note.
xdotool key Tab
xdotool type --delay 20 "Embargoed until Monday, 9:00 CET."
sleep 1
snap "Send to Receivers" send-window-note.png
# Return in the subject sends nothing; Alt+S asks once, Cancel the default.
xdotool key shift+Tab Return
xdotool key alt+s
snap "Send" send-question.png
xdotool key alt+s
# The 199 others accepted, the window counts down the wait for the last.
while [ "$(cat "$sandbox/mail/receivers" 2>/dev/null | wc -l)" -lt 199 ]; do sleep 0.2; done
sleep 3
snap "Sending" send-progress-wait.png
snap "Send" send-summary.png

# Again with another subject: the 200 reached got an earlier text.
xdotool key Return
sleep 1
xdotool windowfocus --sync "$main"
xdotool key alt+g Down Down Down Return
timeout 60 xdotool search --sync --onlyvisible --name "^Send to Receivers\$" >/dev/null
xdotool key ctrl+a
xdotool type --delay 20 "Notely 2.1 is out"
sleep 1
snap "Send to Receivers" send-window-earlier.png
