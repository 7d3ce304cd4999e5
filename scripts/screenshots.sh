#!/usr/bin/env bash
# Renders each window and message box of Orbelune to PNG under Xvfb, in the
# test prefix with sample buttons, at 100 % and (named *-150.png) at 150 %
# display scaling, in a prefix whose display reports 144 dpi.
# Usage: screenshots.sh [OUTPUT-FOLDER] (default build/screenshots).
# Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/build/screenshots}")"
"$root/scripts/setup.sh"
# Built with the tests, whatever configured the folder.
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- screenshots >/dev/null
build="$root/build/i686"
"$root/scripts/prefix.sh" "$build/wineprefix" test
"$root/scripts/prefix.sh" "$build/wineprefix144" test144
mkdir -p "$out"
# The screen at 150 % is larger, so that the main window fits on it whole.
for run in "wineprefix 1024x768 " "wineprefix144 1600x1200 -150"; do
  read -r prefix screen suffix <<<"$run"
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh" "$build/$prefix"
  xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '
    wineserver -p
    wine wineboot >/dev/null 2>&1
    wine "$1" "$(winepath -w "$2")" $3
    rc=$?
    wineserver -k
    exit $rc' shots "$build/tests/screenshots.exe" "$out" "$suffix"
done
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"
