#!/usr/bin/env bash
# Builds the tests of the readers that are free of windows.h (the icons of
# programs and libraries, their pixels, icon files, Internet shortcuts) for
# this machine with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# in build/native, and runs them: a read outside a buffer fails the run.
# Arguments go to the test program (--gtest_filter=...).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/native"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$root/tests/native" -B "$build" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$build/test_readers" --gtest_brief=1 "$@"
