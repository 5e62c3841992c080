#!/bin/sh
# Installs what is needed, builds, installs Vantrel for the current user
# (under ~/.local) and starts it. When nothing changed since the last run,
# it starts the installed program at once.
set -eu
cd "$(dirname "$0")/.."

PREFIX="${PREFIX:-$HOME/.local}"
stamp="build-release/.installed"
changed=$(find CMakeLists.txt cmake src resources doc -newer "$stamp" 2>/dev/null | head -n 1 || true)
if [ ! -f "$stamp" ] || [ ! -x "$PREFIX/bin/vantrel" ] || [ -n "$changed" ]; then
    scripts/install-deps.sh run
    cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF \
          -DVANTREL_BUILD_BENCH=OFF
    cmake --build build-release -j"$(nproc)"
    cmake --install build-release --prefix "$PREFIX"
    touch "$stamp"
fi

# The launcher starts the program in its data folder, where splash.bmp lies.
cd "$PREFIX/share/vantrel"
exec "$PREFIX/bin/vantrel" "$@"
