#!/bin/sh
# Starts the built program on a private X server with a fresh home and
# saves a picture of its window: docs/screenshot.png by default.
# Usage: scripts/screenshot.sh [build folder] [output file]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build}"
output="${2:-$root/docs/screenshot.png}"

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output"
fi

sandbox=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home"
cd "$sandbox"
HOME="$sandbox/home" GSETTINGS_BACKEND=memory "$build/vantrel" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vantrel$' | head -n 1)
sleep 1
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "saved $output"
