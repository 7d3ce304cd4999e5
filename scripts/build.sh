#!/usr/bin/env bash
# Configures and builds one flavour: i686 or x86_64 with MinGW's g++, or
# i686-clang, the 32-bit build with clang.
# Usage: build.sh [i686|x86_64|i686-clang] [-DNAME=VALUE...]
# A build folder configured before takes the given values it does not hold.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:-i686}"
shift || true
build="$root/build/$arch"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
else
  for setting in "$@"; do
    name="${setting#-D}" value="${setting#*=}"
    name="${name%%=*}" name="${name%%:*}"
    if ! grep -qxF -e "$name:BOOL=$value" -e "$name:PATH=$value" -e "$name:STRING=$value" \
                   -e "$name:FILEPATH=$value" -e "$name:UNINITIALIZED=$value" "$build/CMakeCache.txt"; then
      cmake "$build" "$@" >/dev/null
      break
    fi
  done
fi
cmake --build "$build" -j"$(nproc)" -- --no-print-directory
