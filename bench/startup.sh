#!/bin/sh
# Start-up time (to the first idle moment after the window is shown) and
# peak memory of Vantrel against two floors built in the same tree: a bare
# 835 x 470 wxFrame with a status bar, and that frame with the same menus
# and sixteen plain controls (the window's own floor). Medians of RUNS runs (an odd count)
# each, taking turns, on a private X server.
# Usage: bench/startup.sh [build folder] [runs]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
runs="${2:-15}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
. "$root/bench/need.sh"
need xvfb xauth fonts-liberation fonts-dejavu-core
if [ -z "${STARTUP_INNER:-}" ]; then
    export STARTUP_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs"
fi
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 XDG_CONFIG_DIRS="$sandbox/none"
cd "$sandbox"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_once() {  # run_once NAME: appends its time (µs) and peak memory (KiB)
    start=$(date +%s%N)
    memory=$("$build/bench/bench_startup_$1" | sed -n 's/^peak memory:[[:space:]]*\([0-9]*\).*/\1/p')
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))" >> "$sandbox/$1.times"
    echo "$memory" >> "$sandbox/$1.memory"
}

# Warm the caches, then take turns so that both meet the same machine.
for name in bare form vantrel; do "$build/bench/bench_startup_$name" >/dev/null; done
for _ in $(seq 1 "$runs"); do
    run_once bare
    run_once form
    run_once vantrel
done
bare_us=$(median < "$sandbox/bare.times") bare_kib=$(median < "$sandbox/bare.memory")
form_us=$(median < "$sandbox/form.times") form_kib=$(median < "$sandbox/form.memory")
app_us=$(median < "$sandbox/vantrel.times") app_kib=$(median < "$sandbox/vantrel.memory")
awk -v bt="$bare_us" -v bm="$bare_kib" -v ft="$form_us" -v fm="$form_kib" -v at="$app_us" -v am="$app_kib" 'BEGIN {
    printf "%-28s %10s %12s\n", "", "start-up", "peak memory"
    printf "%-28s %8.0f ms %8.1f MiB\n", "bare wxFrame", bt / 1000, bm / 1024
    printf "%-28s %8.0f ms %8.1f MiB\n", "frame, menus, 16 controls", ft / 1000, fm / 1024
    printf "%-28s %8.0f ms %8.1f MiB\n", "Vantrel", at / 1000, am / 1024
    printf "%-28s %10.2f x %10.2f x\n", "Vantrel / bare frame", at / bt, am / bm
    printf "%-28s %10.2f x %10.2f x\n", "Vantrel / its own floor", at / ft, am / fm
}'
