#!/bin/sh
# Draws the icon's PNG sizes from resources/icons/vantrel.svg (needs
# rsvg-convert from librsvg2-bin). The PNGs are committed, so building
# does not need this; run it after changing the SVG.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
icons="$root/resources/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/vantrel.svg" -o "$icons/vantrel-$size.png"
done
# The window's own icon, compiled into the program.
cp "$icons/vantrel-64.png" "$root/resources/vantrel.png"
