#!/bin/sh
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time (FUZZ_SECONDS, 20 by default) on inputs of up to
# 1 MiB. Fails when a target finds a crash, a hang or a memory blow-up; the
# input that caused it is left in build-fuzz/. Copy it into
# tests/fuzz/regressions/<target>/ so that every test run replays it.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-20}"
targets="document import settings receivers form mailto message replies mbox"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVANTREL_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $(printf 'fuzz_%s ' $targets)

for name in $targets; do
    # New inputs go to a scratch corpus so that the repository keeps its seeds.
    work="$build/corpus-$name"
    mkdir -p "$work"
    echo "Fuzzing $name for $seconds s"
    log="$build/fuzz-$name.log"
    if ! "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -max_len=1048576 -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/crash-$name-" "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "The $name fuzzer failed; see $log"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
done
