#!/bin/sh
# vantrel-cli release and check --no-network on a document with 1,000,000
# receivers (26 MB) against cat reading the same file, and receivers
# against bench_receivers_floor, a plain C program that reads the file and
# prints the same list: medians of RUNS runs (an odd count), taking turns,
# output to /dev/null.
# Usage: bench/cli.sh [build folder] [runs]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
cli=$build/src/cli/vantrel-cli
floor=$build/bench/bench_receivers_floor
runs="${2:-15}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
. "$root/bench/need.sh"
need python3 time
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
document="$sandbox/big.pre"
"$root/bench/make-document.py" 1000000 "$document"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

time_once() {  # time_once NAME COMMAND...: appends its time in µs
    name=$1
    shift
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))" >> "$sandbox/$name.times"
}

cat "$document" >/dev/null  # into the page cache
# The floor must print what vantrel-cli prints, or it is no floor.
"$floor" "$document" > "$sandbox/floor.out"
"$cli" receivers "$document" | cmp - "$sandbox/floor.out"
for _ in $(seq 1 "$runs"); do
    time_once cat cat "$document"
    time_once release "$cli" release "$document"
    time_once check "$cli" check --no-network "$document"
    time_once floor "$floor" "$document"
    time_once receivers "$cli" receivers "$document"
done
printf '%-28s %9s %8s\n' "" "time" "ratio"
for entry in cat:cat release:cat check:cat floor:floor receivers:floor; do
    name=${entry%%:*} base=${entry#*:}
    awk -v n="$name" -v t="$(median < "$sandbox/$name.times")" -v c="$(median < "$sandbox/$base.times")" \
        'BEGIN { printf "%-28s %6.1f ms %6.2f x\n", n, t / 1000, t / c }'
done
# Peak memory, once each (it hardly varies).
for entry in floor:"$floor" receivers:"$cli receivers"; do
    name=${entry%%:*} command=${entry#*:}
    # shellcheck disable=SC2086
    /usr/bin/time -f "%M" -o "$sandbox/memory" $command "$document" >/dev/null
    printf '%-28s %6.1f MiB peak memory\n' "$name" "$(awk '{ print $1 / 1024 }' "$sandbox/memory")"
done
