#!/bin/sh
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time (FUZZ_SECONDS, 30 by default). Fails when a target
# finds a crash; the input that caused it is left in build-fuzz/.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-30}"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVANTREL_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_document_reader fuzz_import_reader -j2

for name in document import; do
    # New inputs go to a scratch corpus so that the repository keeps its seeds.
    work="$build/corpus-$name"
    mkdir -p "$work"
    echo "Fuzzing the $name reader for $seconds s"
    log="$build/fuzz-$name.log"
    if ! "$build/tests/fuzz/fuzz_${name}_reader" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crash-$name-" "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "The $name reader fuzzer failed; see $log"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
done
