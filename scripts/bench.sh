#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in the test prefix, printing
# their figures. Installs what is missing first.
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
