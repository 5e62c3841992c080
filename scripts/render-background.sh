#!/bin/sh
# Draws the form's labels onto resources/background-design.png and saves
# resources/background.png, which the program compiles in. Needs a build
# (the tool vantrel-render-background) and Xvfb; run it after changing the
# design or a label.
# Usage: scripts/render-background.sh [build folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target vantrel-render-background >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/vantrel-render-background" \
    "$root/resources/background-design.png" "$root/resources/background.png"
echo "saved $root/resources/background.png"
