#!/usr/bin/env bash
# Renders each window and message box of Orbelune to PNG under Xvfb, in the
# test prefix with sample buttons. Usage: screenshots.sh [OUTPUT-FOLDER]
# (default build/screenshots). Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/build/screenshots}")"
"$root/scripts/setup.sh" screenshots
"$root/scripts/build.sh" i686
build="$root/build/i686"
cmake --build "$build" --target screenshots -- --no-print-directory >/dev/null
"$root/scripts/prefix.sh" "$build/wineprefix" test
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wine wineboot >/dev/null 2>&1
  wine "$1" "$(winepath -w "$2")"
  rc=$?
  wineserver -k
  exit $rc' shots "$build/tests/screenshots.exe" "$out"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"
