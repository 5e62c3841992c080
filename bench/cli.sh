#!/bin/sh
# vantrel-cli release, check --no-network and receivers on a document with
# 1,000,000 receivers (26 MB), each against cat reading the same file:
# medians of RUNS runs, taking turns, output to /dev/null.
# Usage: bench/cli.sh [build folder] [runs]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "${1:-build}" && pwd)/src/cli/vantrel-cli
runs="${2:-15}"
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
for _ in $(seq 1 "$runs"); do
    time_once cat cat "$document"
    time_once release "$cli" release "$document"
    time_once check "$cli" check --no-network "$document"
    time_once receivers "$cli" receivers "$document"
done
cat_us=$(median < "$sandbox/cat.times")
printf '%-28s %9s %8s\n' "" "time" "ratio"
for name in cat release check receivers; do
    us=$(median < "$sandbox/$name.times")
    awk -v n="$name" -v t="$us" -v c="$cat_us" 'BEGIN { printf "%-28s %6.1f ms %6.2f x\n", n, t / 1000, t / c }'
done
