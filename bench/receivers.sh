#!/bin/sh
# Vantrel with a document of 1,000,000 receivers (26 MB): opened at start,
# then Check everything, then Email, each in a fresh process to its first
# idle moment after the command. The floor is the window's own floor
# (bench_startup_form), with the font of Vantrel's fields, reading the same
# file into its receivers control; for Check downloading the same two URLs
# with libcurl under progress windows that stay a second, as Vantrel's
# check does, and for Email then reading the receivers back out. Time,
# processor time (user and system, all threads) and peak memory, medians of
# RUNS runs each (an odd count), taking turns, on a private X server; the
# web page and the image come from a server on 127.0.0.1.
# Usage: bench/receivers.sh [build folder] [runs] [receivers]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
runs="${2:-5}"
count="${3:-1000000}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
. "$root/bench/need.sh"
need xvfb xauth python3 time fonts-liberation fonts-dejavu-core
if [ -z "${RECEIVERS_INNER:-}" ]; then
    export RECEIVERS_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs" "$count"
fi
sandbox=$(mktemp -d)
mkdir -p "$sandbox/home" "$sandbox/www"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 XDG_CONFIG_DIRS="$sandbox/none"
cd "$sandbox"
echo '<html><body>Vantrel</body></html>' > www/index.html
head -c 6000 /dev/zero > www/i.png
/usr/bin/python3 -u -m http.server 0 --bind 127.0.0.1 --directory www > server.log 2>&1 &
server=$!
trap 'kill $server; rm -rf "$sandbox"' EXIT
while ! grep -q 'port' server.log; do sleep 0.1; done
port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' server.log | head -n 1)
"$root/bench/make-document.py" "$count" big.pre "http://127.0.0.1:$port/index.html" "http://127.0.0.1:$port/i.png"
export VANTREL_BENCH_URLS="http://127.0.0.1:$port/index.html http://127.0.0.1:$port/i.png"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_once() {  # run_once NAME PROGRAM COMMAND: appends its time (µs), processor time (ms) and peak memory (KiB)
    start=$(date +%s%N)
    memory=$(VANTREL_BENCH_COMMAND=$3 /usr/bin/time -f "%U %S" -o "$sandbox/cpu" \
        "$build/bench/bench_startup_$2" "$sandbox/big.pre" |
        sed -n 's/^peak memory:[[:space:]]*\([0-9]*\).*/\1/p')
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))" >> "$sandbox/$1.times"
    awk '{ printf "%.0f\n", ($1 + $2) * 1000 }' "$sandbox/cpu" >> "$sandbox/$1.cpu"
    echo "$memory" >> "$sandbox/$1.memory"
}

cat big.pre > /dev/null
for _ in $(seq 1 "$runs"); do
    run_once floor form ""
    run_once floor-check form check
    run_once floor-email form email
    run_once open vantrel ""
    run_once check vantrel check
    run_once email vantrel email
done
printf '%-12s %10s %10s %12s %8s %8s %8s\n' "" "time" "processor" "peak memory" "time" "proc." "memory"
for entry in floor:floor floor-check:floor-check floor-email:floor-email open:floor check:floor-check email:floor-email; do
    name=${entry%%:*} floor=${entry#*:}
    awk -v n="$name" -v t="$(median < "$name.times")" -v m="$(median < "$name.memory")" \
        -v c="$(median < "$name.cpu")" -v fc="$(median < "$floor.cpu")" \
        -v ft="$(median < "$floor.times")" -v fm="$(median < "$floor.memory")" \
        'BEGIN { printf "%-12s %7.0f ms %7.0f ms %8.1f MiB %6.2f x %6.2f x %6.2f x\n", n, t / 1000, c, m / 1024, t / ft, c / fc, m / fm }'
done
