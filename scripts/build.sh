#!/usr/bin/env bash
# Configures and builds one flavour: i686 or x86_64 with MinGW's g++, or
# i686-clang, the 32-bit build with clang. Everything, or the targets named
# after --.
# Usage: build.sh [i686|x86_64|i686-clang] [-DNAME=VALUE...] [-- TARGET...]
# A build folder configured before takes the given values it does not hold.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:-i686}"
shift || true
settings=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do settings+=("$1"); shift; done
[ $# -gt 0 ] && shift
targets=()
for target in "$@"; do targets+=(--target "$target"); done
build="$root/build/$arch"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "${settings[@]}" >/dev/null
else
  for setting in "${settings[@]}"; do
    name="${setting#-D}" value="${setting#*=}"
    name="${name%%=*}" name="${name%%:*}"
    if ! grep -qxF -e "$name:BOOL=$value" -e "$name:PATH=$value" -e "$name:STRING=$value" \
                   -e "$name:FILEPATH=$value" -e "$name:UNINITIALIZED=$value" "$build/CMakeCache.txt"; then
      cmake "$build" "${settings[@]}" >/dev/null
      break
    fi
  done
fi
cmake --build "$build" -j"$(nproc)" "${targets[@]}" -- --no-print-directory
