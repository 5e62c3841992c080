#!/bin/sh
# Vantrel with a document of 1,000,000 receivers (26 MB): opened at start,
# then Check everything, then Email, each in a fresh process to its first
# idle moment after the command. The floor is the window's own floor
# (bench_startup_form) reading the same file into its receivers control,
# and for Email reading it back out. Time and peak memory, medians of RUNS
# runs each, taking turns, on a private X server; the web page and the
# image come from a server on 127.0.0.1.
# Usage: bench/receivers.sh [build folder] [runs] [receivers]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
runs="${2:-5}"
count="${3:-1000000}"
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

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_once() {  # run_once NAME PROGRAM COMMAND: appends its time (µs) and peak memory (KiB)
    start=$(date +%s%N)
    memory=$(VANTREL_BENCH_COMMAND=$3 "$build/bench/bench_startup_$2" "$sandbox/big.pre" |
        sed -n 's/^peak memory:[[:space:]]*\([0-9]*\).*/\1/p')
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))" >> "$sandbox/$1.times"
    echo "$memory" >> "$sandbox/$1.memory"
}

cat big.pre > /dev/null
for _ in $(seq 1 "$runs"); do
    run_once floor form ""
    run_once floor-email form email
    run_once open vantrel ""
    run_once check vantrel check
    run_once email vantrel email
done
# Check and Email show each of their two probe windows for a second on
# purpose; the last column leaves those two seconds out.
printf '%-12s %10s %12s %8s %8s %14s\n' "" "time" "peak memory" "time" "memory" "time - pauses"
for entry in floor:floor:0 floor-email:floor-email:0 open:floor:0 check:floor:2000 email:floor-email:2000; do
    name=${entry%%:*} rest=${entry#*:}
    floor=${rest%%:*} pauses=${rest#*:}
    awk -v n="$name" -v t="$(median < "$name.times")" -v m="$(median < "$name.memory")" \
        -v ft="$(median < "$floor.times")" -v fm="$(median < "$floor.memory")" -v p="$pauses" \
        'BEGIN { printf "%-12s %7.0f ms %8.1f MiB %6.2f x %6.2f x %12.2f x\n", n, t / 1000, m / 1024, t / ft, m / fm, (t / 1000 - p) / (ft / 1000) }'
done
