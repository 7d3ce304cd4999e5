#!/usr/bin/env bash
# Configures and builds one flavour. Usage: build.sh [i686|x86_64] [extra cmake args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:-i686}"
shift || true
build="$root/build/$arch"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" -- --no-print-directory
