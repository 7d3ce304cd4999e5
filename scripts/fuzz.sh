#!/usr/bin/env bash
# Builds the logic that is free of windows.h natively with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzes it.
# Usage: fuzz.sh [SECONDS] (default 60). Needs clang and libclang-rt-14-dev.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
out="$root/build/fuzz"
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root/src" \
  "$root/tests/fuzz/pure_logic_fuzz.cpp" \
  "$root/src/store/int_text.cpp" "$root/src/store/catalogue_scan.cpp" "$root/src/platform/failure.cpp" \
  "$root/src/platform/ico_file.cpp" "$root/src/icon/ico_layout.cpp" \
  "$root/src/ui/linkbrowser/internet_shortcut.cpp" \
  -o "$out/pure_logic_fuzz"
"$out/pure_logic_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus"
