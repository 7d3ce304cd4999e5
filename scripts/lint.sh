#!/usr/bin/env bash
# Runs the static analysers on src/: clang-tidy with the checks of
# .clang-tidy, on the compile commands of the clang build (build/i686-clang,
# configured here when it is not yet), cppcheck, and the layer rule of the
# includes (scripts/layers.sh). Any finding fails.
# A finding that is wrong at its place is silenced there, with the reason:
#   // NOLINT(check): reason            (clang-tidy)
#   // cppcheck-suppress id ; reason    (cppcheck, on the line before)
# A source file that passed clang-tidy is not checked again until it, a
# header under src/, .clang-tidy or its compile command changes (the record
# is kept in build/lint).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/i686-clang"
cache="$root/build/lint"
jobs="$(nproc)"

if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-clang-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
mkdir -p "$cache"

# --- clang-tidy -------------------------------------------------------------
# What every file's result also depends on.
common="$( { clang-tidy --version; cat "$root/.clang-tidy"; find "$root/src" -name '*.h' -print0 | sort -z | xargs -0 cat; } | sha256sum | cut -c1-64)"
export root build cache common
tidy_one() {
  local file="$1" key log
  key="$( { echo "$common"; grep -F "\"file\": \"$file\"" -B2 "$build/compile_commands.json"; cat "$file"; } | sha256sum | cut -c1-64)"
  [ -f "$cache/$key" ] && return 0
  if log="$(clang-tidy --quiet -p "$build" "$file" 2>&1)"; then
    touch "$cache/$key"
  else
    printf '%s\n' "$log" | grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' >&2
    return 1
  fi
}
export -f tidy_one
tidy_rc=0
find "$root/src" -name '*.cpp' -print0 | sort -z | xargs -0 -n1 -P"$jobs" bash -c 'tidy_one "$0"' || tidy_rc=1
[ $tidy_rc -eq 0 ] && echo "lint: clang-tidy: no findings" || echo "lint: clang-tidy has findings (above)" >&2

# --- cppcheck ---------------------------------------------------------------
# Checked as the i686 build compiles it; Windows' own headers are not read
# (--library=windows knows their functions and types).
# Left out: useStlAlgorithm, which would turn every plain search loop into
# an algorithm call; the loops stay as readable as they are.
# And unusedPrivateFunction: a window's handlers are private and reached
# only through the member pointers of its command table (kCommands), which
# cppcheck does not follow.
cppcheck_rc=0
cppcheck --quiet --error-exitcode=1 --inline-suppr -j"$jobs" \
  --std=c++20 --library=windows --platform=win32W \
  -DUNICODE -D_UNICODE -D_WIN32 -DNOMINMAX -DWIN32_LEAN_AND_MEAN \
  --enable=warning,style,performance,portability \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --suppress=unusedPrivateFunction \
  -I "$root/src" "$root/src" || cppcheck_rc=1
[ $cppcheck_rc -eq 0 ] && echo "lint: cppcheck: no findings" || echo "lint: cppcheck has findings (above)" >&2

# --- layers ------------------------------------------------------------------
layers_rc=0
"$root/scripts/layers.sh" || layers_rc=1

exit $((tidy_rc | cppcheck_rc | layers_rc))
