#!/bin/sh
# Installs what is needed, builds, installs Vantrel for the current user
# (under ~/.local) and starts it.
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh
PREFIX="${PREFIX:-$HOME/.local}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF
cmake --build build-release -j"$(nproc)"
cmake --install build-release --prefix "$PREFIX"

# The launcher starts the program in its data folder, where splash.bmp lies.
cd "$PREFIX/share/vantrel"
exec "$PREFIX/bin/vantrel"
