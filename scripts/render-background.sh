#!/bin/sh
# Draws the form's labels onto resources/background-design.png and saves
# resources/background.png and, at twice the pixels for desktops scaled by
# 2, resources/background@2x.png; then the same for dark themes, darkened
# with light labels: resources/background-dark.png and
# resources/background-dark@2x.png. The build packs all four into the program.
# Needs a build (the tool vantrel-render-background) and Xvfb; run it after
# changing the design or a label.
# Usage: scripts/render-background.sh [build folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target vantrel-render-background >/dev/null
for variant in light dark; do
    for scale in 1 2; do
        name=background
        [ "$variant" = light ] || name="$name-$variant"
        [ "$scale" = 1 ] || name="$name@${scale}x"
        output="$root/resources/$name.png"
        xvfb-run -a -s "-screen 0 1280x1024x24" "$build/src/tools/vantrel-render-background" \
            "$root/resources/background-design.png" "$output" "$scale" \
            $([ "$variant" = light ] || echo "$variant")
        echo "saved $output"
    done
done
