#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine, printing their figures. Installs
# what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
# The benchmarks are built with the tests, whatever configured the folder.
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- bench_load bench_button_set bench_startup bench_picker >/dev/null
build="$root/build/i686"
"$root/scripts/prefix.sh" "$build/wineprefix" test
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
echo "Catalogue load, 1,000 buttons (Wine registry):"
wine "$build/tests/bench_load.exe"
echo
echo "The button set as data: import against creates, list and export against a plain loop (Wine registry):"
wine "$build/tests/bench_button_set.exe" "${ORBELUNE_BENCH_SET_ROUNDS:-5}"
wineserver -k

# Start-up, create and delete of Orbelune.exe against the program that makes
# the same window set (the targets) and minimal reference programs, timed
# from outside, all in a prefix and a display of their own.
# ORBELUNE_BENCH_ROUNDS sets the rounds (default 15; the 10,000-button case
# runs half as many, the 100,000-button case a third, at least 3);
# ORBELUNE_BENCH_CASES the catalogues (default all: 0,10,1000,10000,100000).
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

# The icon picker: its whole listing (every icon made) of a 1,000- and a
# 10,000-icon library (made here with MinGW's resource compiler and linker)
# against the two plain loops, interleaved, and the peak memory of each in a
# process of its own; the first screen (listed and drawn) of a 10,000-icon
# library against a 10-icon one, interleaved; and the peak memory of a
# listing drawn and left to make ahead, 10,000 icons against 100.
icons="$build/bench-icons"
mkdir -p "$icons"
for count in 10 100 1000 10000; do
  if [ ! -f "$icons/icons$count.dll" ]; then
    wine "$build/tests/bench_picker.exe" sources "$(winepath -w "$icons")" "$count"
    (cd "$icons" && i686-w64-mingw32-windres -c65001 "icons$count.rc" -O coff -o "icons$count.res" &&
      i686-w64-mingw32-gcc -shared -nostdlib -Wl,-e,0 -o "icons$count.dll" "icons$count.res")
  fi
done
wineserver -k || true  # none is left when the libraries were there already
picker="$(mktemp)"
cat >"$picker" <<'PICKER'
build="$1"; icons="$2"
bench() { wine "$build/tests/bench_picker.exe" "$@"; }
library() { winepath -w "$icons/icons$1.dll"; }
median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
wineserver -p
wine wineboot >/dev/null 2>&1
for run in "1000 9" "10000 3"; do
  set -- $run
  echo "Icon picker, the whole listing of a library of $1 icons, every icon made (Wine):"
  bench time "$(library "$1")" "$2"
  echo "  peak working set above the start of each, MiB (a process of its own each):"
  for variant in listing extract resources; do
    bench memory $variant "$(library "$1")"
  done | awk '{ ws[$1] = $3; printf "    %-9s %s icons: %6.1f\n", $1, $2, $3 }
    END { printf "  listing / extraction loop: %.2f   listing / resource loop: %.2f  (target <= 2.00)\n",
                 ws["listing"] / ws["extract"], ws["listing"] / ws["resources"] }'
done
echo "Icon picker, first screen (listed and drawn), 10,000 icons against 10 (Wine):"
bench first "$(library 10)" "$(library 10000)" 15
echo "Icon picker, peak working set above the start of a listing drawn and left to make ahead, MiB (a process of its own each):"
ratios=""
for round in 1 2 3; do
  small="$(bench memory shown "$(library 100)" | awk '{ print $3 }')"
  large="$(bench memory shown "$(library 10000)" | awk '{ print $3 }')"
  echo "    round $round: 100 icons $small, 10000 icons $large"
  ratios="$ratios $(awk -v l="$large" -v s="$small" 'BEGIN { printf "%.3f", l / s }')"
done
echo "  10,000 icons / 100 icons: $(echo "$ratios" | median)  (pair-by-pair median; target <= 1.20)"
wineserver -k
PICKER
xvfb-run -a -s "-screen 0 1024x768x24" sh "$picker" "$build" "$icons"
rm -f "$picker"
