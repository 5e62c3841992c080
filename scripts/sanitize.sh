#!/bin/sh
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan
# (VANTREL_SANITIZE) and runs the core and GUI suites under Xvfb. Leaks
# inside the toolkit's libraries are suppressed (tests/lsan.supp, each entry
# explained); a leak or error in our code fails the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON \
      -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-asan" -j"$(nproc)"
cd "$root/build-asan"
ASAN_OPTIONS="detect_leaks=1" \
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest -L "core|gui" --output-on-failure --timeout 300
