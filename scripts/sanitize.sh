#!/bin/sh
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan
# and runs every test under Xvfb. Leaks inside the toolkit's libraries are
# suppressed (tests/lsan.supp); a leak or error in our code fails the run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer"
cmake --build "$root/build-asan" -j"$(nproc)"
cd "$root/build-asan"
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
GSETTINGS_BACKEND=memory \
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
