#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine, printing their figures. Installs
# what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" i686
build="$root/build/i686"
cmake --build "$build" --target bench_load -- --no-print-directory >/dev/null
"$root/scripts/prefix.sh" "$build/wineprefix" test
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
echo "Catalogue load, 1,000 buttons (Wine registry):"
wine "$build/tests/bench_load.exe"
wineserver -k

# Start-up, create and delete of Orbelune.exe against minimal reference
# programs, timed from outside, all in a prefix and a display of their own.
# ORBELUNE_BENCH_ROUNDS sets the rounds (default 15; the 10,000-button case
# runs half as many, the 100,000-button case a third, at least 3).
cmake --build "$build" --target bench_startup -- --no-print-directory >/dev/null
"$root/scripts/prefix.sh" "$build/benchprefix" test
source "$root/scripts/wine-env.sh" "$build/benchprefix"
windows_path() { local path; path="$(realpath "$1")"; echo "Z:${path//\//\\}"; }
echo
echo "Start-up, create and delete (Wine, Xvfb):"
echo "Orbelune.exe imports: $(i686-w64-mingw32-objdump -p "$build/src/Orbelune.exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wine wineboot >/dev/null 2>&1
  wine "$@"
  rc=$?
  wineserver -k
  exit $rc' bench "$build/tests/bench_startup.exe" \
  "$(windows_path "$build/tests/minimal_window.exe")" "$(windows_path "$build/tests/minimal_lists.exe")" \
  "$(windows_path "$build/tests/same_calls.exe")" "$(windows_path "$build/src/Orbelune.exe")" \
  "$(windows_path "$root/res/orbelune.ico")" "${ORBELUNE_BENCH_ROUNDS:-15}"
