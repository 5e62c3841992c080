#!/bin/sh
# Starts the real program, waits for its window, chooses File, Exit with the
# keyboard as a user would, and expects the process to end.
set -u
program="$1"

sandbox=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/work"
cd "$sandbox/work"

HOME="$sandbox/home" XDG_CONFIG_HOME="" GSETTINGS_BACKEND=memory "$program" &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vantrel$' | head -n 1)
if [ -z "$window" ]; then
    echo "the Vantrel window did not appear"
    exit 1
fi
echo "window $window appeared"

sleep 0.5
xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.5
# New, Open, Save, (separator), Exit
xdotool key Down Down Down Return

for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        status=$?
        echo "the program ended with status $status"
        [ "$status" -eq 0 ]
        exit $?
    fi
    sleep 0.2
done
echo "the program is still running after File, Exit"
exit 1
