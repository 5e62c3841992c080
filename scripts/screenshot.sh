#!/bin/sh
# Starts the built program on a private X server with a fresh home and a
# sample document, and saves a picture of its window: docs/screenshot.png,
# and docs/screenshot.pdf beside it for the manual.
# Extra arguments are environment settings to try, such as
# GDK_DPI_SCALE=1.5 or GTK_THEME=Adwaita:dark.
# Usage: scripts/screenshot.sh [build folder] [output file] [NAME=value...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
output="${2:-$root/docs/screenshot.png}"
[ $# -gt 2 ] && shift 2 || set --

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output" "$@"
fi
for setting in "$@"; do export "${setting?}"; done

sandbox=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset XDG_CONFIG_HOME

record() { printf '%d %s' "$(printf '%s' "$1" | wc -c)" "$1"; }
{
    record "Notely"; record "10.2.1"; record "29.95 USD"; record "Windows, Linux"
    record "https://www.example.com/notely/press.png"
    record "Takes notes fast and keeps them in sync on every computer you own."
    record 25; record ""; record "https://www.example.com/notely"; record 1; record 0; record 30
    record "Tarsel Software"; record "Ada Moor"; record "ada.moor@example.org"; record 0
    record "$(printf 'news@example.com\neditor@example.net\nreviews@example.org')"
} > "$sandbox/notely.pre"

cd "$sandbox"
"$build/src/gui/vantrel" "$sandbox/notely.pre" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Vantrel$' | head -n 1)
[ -n "$window" ] || { echo "no window" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "saved $output"

# The picture as a one-page PDF that the manual's groff (gropdf) can place:
# plain objects, the pixels compressed with zlib.
convert "$output" -alpha off rgb:"$sandbox/pixels"
python3 - "$sandbox/pixels" "$(identify -format '%w %h' "$output")" "${output%.png}.pdf" <<'PYTHON'
import sys, zlib
pixels, size, target = sys.argv[1], sys.argv[2].split(), sys.argv[3]
width, height = int(size[0]), int(size[1])
data = zlib.compress(open(pixels, "rb").read(), 9)
content = b"q %d 0 0 %d 0 0 cm /Im Do Q" % (width, height)
objects = [
    b"<< /Type /Catalog /Pages 2 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Resources << /XObject << /Im 4 0 R >> >> /Contents 5 0 R >>" % (width, height),
    b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\nstream\n" % (width, height, len(data)) + data + b"\nendstream",
    b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
]
out = bytearray(b"%PDF-1.4\n")
offsets = []
for number, body in enumerate(objects, 1):
    offsets.append(len(out))
    out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
open(target, "wb").write(out)
PYTHON
echo "saved ${output%.png}.pdf"
