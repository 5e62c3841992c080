#!/bin/sh
# The 10 MB document saved and opened once in a fresh process, as a user
# does it, against plain stdio writing and reading the same bytes (both
# flushed to the disk): medians of RUNS processes (an odd count) each, taking turns.
# Usage: bench/document.sh [build folder] [runs]
set -eu
bench=$(cd "${1:-build}" && pwd)/bench/vantrel_bench
runs="${2:-15}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for _ in $(seq 1 "$runs"); do
    for name in DocumentWriteAndRead StdioWriteAndRead; do
        "$bench" --benchmark_filter="^$name" --benchmark_min_time=0 --benchmark_format=csv 2>/dev/null |
            awk -F, -v n="\"$name/real_time\"" '$1 == n { print $3 }' >> "$sandbox/$name.times"
    done
done
document=$(median < "$sandbox/DocumentWriteAndRead.times")
stdio=$(median < "$sandbox/StdioWriteAndRead.times")
awk -v d="$document" -v s="$stdio" 'BEGIN {
    printf "save and open, 10 MB receivers  %6.1f ms\nplain stdio                      %6.1f ms\nratio                            %6.2f x\n", d, s, d / s
}'
