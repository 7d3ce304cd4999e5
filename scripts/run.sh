#!/usr/bin/env bash
# Builds Orbelune and starts it under Wine, in the Wine prefix build/wine-run.
# Plays the installer's part the first time: AppPath names the program's
# folder, with its "icon" folder beside the program. Without a display the
# program runs inside Xvfb. Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=OFF

build="$root/build/i686"
prefix="$root/build/wine-run"
"$root/scripts/prefix.sh" "$prefix" run
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$prefix"

appdir="$build/src"
mkdir -p "$appdir/icon"
if [ ! -f "$prefix/.orbelune-installed" ]; then
  winpath="$(winepath -w "$appdir/")"
  wine_import_reg "[HKEY_CURRENT_USER\\Software\\Tollivern]
\"AppPath\"=\"${winpath//\\/\\\\}\""
  touch "$prefix/.orbelune-installed"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$appdir/Orbelune.exe"
else
  echo "run: no DISPLAY: Orbelune runs inside a virtual display (Xvfb); stop it with Ctrl+C. scripts/screenshots.sh renders its windows to PNG files."
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$appdir/Orbelune.exe"
fi
