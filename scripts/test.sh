#!/bin/sh
# Installs what is needed, builds and runs the whole test suite: the fuzzers
# for a bounded time, then one build under AddressSanitizer and
# UndefinedBehaviorSanitizer that runs every suite (core, GUI, command line,
# the end-to-end runs and the Debian package) under Xvfb, then the Windows
# build under Wine.
#
# The Windows build (its dependencies take some 25 minutes the first time,
# then lie in ~/.cache/vantrel) runs in the background at the lowest
# priority from the start, so that it takes the time the Linux tests spend
# waiting on windows and servers. VANTREL_SKIP_WINDOWS=1 leaves it out.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)
elapsed() { echo "[$(($(date +%s) - started)) s] $*"; }

scripts/install-deps.sh

windows_log="$root/build-windows.log"
if [ -z "${VANTREL_SKIP_WINDOWS:-}" ]; then
    elapsed "building the Windows programs in the background ($windows_log)"
    # A session of its own, so that a failed run takes the whole build down.
    setsid nice -n 19 scripts/build-windows.sh >"$windows_log" 2>&1 &
    windows_build=$!
    trap 'kill -- -"$windows_build" 2>/dev/null || true' EXIT
fi

FUZZ_SECONDS="${FUZZ_SECONDS:-20}" scripts/fuzz.sh
elapsed "fuzzers done"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON >/dev/null
cmake --build build -j"$(nproc)"
elapsed "build done"

# Leaks inside the toolkit's libraries are suppressed (tests/lsan.supp, each
# entry explained); a leak or error in our code fails the run.
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=1
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600)
elapsed "Linux suites done"

if [ -n "${VANTREL_SKIP_WINDOWS:-}" ]; then
    exit 0
fi
if ! wait "$windows_build"; then
    tail -n 40 "$windows_log"
    echo "The Windows build failed; see $windows_log"
    exit 1
fi
elapsed "Windows build done"
scripts/test-windows.sh build
elapsed "all done"
