#!/usr/bin/env bash
# Builds the logic that is free of windows.h natively with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzes it: first the
# small parsers, then the icon readers of programs and libraries with the
# decoding of their plain images, byte by byte and through the tests'
# generator of icon files (structure-aware: the fuzzer's bytes choose what
# the generator writes); then, under Wine, the picker's listing against the
# platform's icons over generated files.
# Usage: fuzz.sh [SECONDS] (default 60, for each target). Needs clang and
# libclang-rt-14-dev.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
out="$root/build/fuzz"
mkdir -p "$out/corpus" "$out/pe_corpus"
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root/src")
clang++ "${flags[@]}" \
  "$root/tests/fuzz/pure_logic_fuzz.cpp" \
  "$root/src/store/int_text.cpp" "$root/src/store/catalogue_scan.cpp" "$root/src/platform/failure.cpp" \
  "$root/src/platform/ico_file.cpp" "$root/src/icon/ico_layout.cpp" \
  "$root/src/links/internet_shortcut.cpp" "$root/src/platform/text_encoding.cpp" "$root/src/store/button_set_file.cpp" \
  -o "$out/pure_logic_fuzz"
clang++ "${flags[@]}" "$root/tests/fuzz/pe_resources_fuzz.cpp" "$root/src/platform/pe_resources.cpp" \
  "$root/src/platform/icon_pixels.cpp" \
  -o "$out/pe_resources_fuzz"
clang++ "${flags[@]}" -I"$root/tests" "$root/tests/fuzz/icon_grammar_fuzz.cpp" "$root/tests/support/icon_library.cpp" \
  "$root/src/platform/pe_resources.cpp" "$root/src/platform/icon_pixels.cpp" "$root/src/platform/ico_file.cpp" \
  -o "$out/icon_grammar_fuzz"
"$out/pure_logic_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus"

# The icon reader starts from small libraries made by MinGW's resource
# compiler and linker and by the tests' generator (tests/fuzz/pe_corpus), and
# from a few of Wine's own programs and libraries when Wine is installed.
cp -n "$root"/tests/fuzz/pe_corpus/* "$out/pe_corpus/"
for wine in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows; do
  for name in hh.exe winemine.exe; do
    [ -f "$wine/$name" ] && cp -n "$wine/$name" "$out/pe_corpus/$(basename "$wine")-$name"
  done
done
"$out/pe_resources_fuzz" -max_total_time="$seconds" -max_len=524288 -dict="$root/tests/fuzz/icon.dict" "$out/pe_corpus"
mkdir -p "$out/grammar_corpus"
"$out/icon_grammar_fuzz" -max_total_time="$seconds" -max_len=512 "$out/grammar_corpus"

# The picker's listing against the platform's extraction under Wine, file by
# file over generated libraries, 16-bit programs and icon files, legal and
# damaged (ORBELUNE_DIFFERENTIAL_FILES, default 2000, of the seed
# ORBELUNE_DIFFERENTIAL_SEED, default 2: the test run has seed 1). Needs the
# i686 build and its test prefix, made here when missing.
build="$root/build/i686"
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- test_ui_main
"$root/scripts/prefix.sh" "$build/wineprefix" test
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
cd "$build/tests"
ORBELUNE_DIFFERENTIAL_FILES="${ORBELUNE_DIFFERENTIAL_FILES:-2000}" ORBELUNE_DIFFERENTIAL_SEED="${ORBELUNE_DIFFERENTIAL_SEED:-2}" \
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wine wineboot >/dev/null 2>&1
  wine ./test_ui_main.exe --gtest_filter=IconDifferentialTest.GeneratedFilesFromTheEnvironment
  rc=$?
  wineserver -k
  exit $rc'
