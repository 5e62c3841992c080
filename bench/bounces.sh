#!/bin/sh
# The bounce corpus (tests/corpora/bounces) read by Vantrel, as its
# BounceCorpus test counts it, and by Mailman's bounce detector (Debian's
# python3-flufl.bounce, bench/bounce-floor.py), counted the same way.
# Usage: bench/bounces.sh [BUILD]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
. "$root/bench/need.sh"
need python3-flufl.bounce
printf 'Vantrel: '
"$build/tests/vantrel_core_tests" --gtest_filter='BounceCorpus.*' | grep '^good receivers'
printf 'Mailman: '
/usr/bin/python3 "$root/bench/bounce-floor.py"
