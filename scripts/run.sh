#!/usr/bin/env bash
# Builds Orbelune and its installer and starts the installed program under
# Wine, in the Wine prefix build/wine-run. The installer runs silently first
# when the program is not installed there yet or the build is newer, so a
# run is an installed run: AppPath, the icon folder and the uninstall entry
# are the installer's. Without a display the program runs inside Xvfb.
# Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
build="$root/build/i686"
# The program and its installer only. A build folder made here leaves the
# tests out; one made by the other scripts keeps them, so that each script
# works after any other.
tests=()
[ -f "$build/CMakeCache.txt" ] || tests=(-DORBELUNE_TESTS=OFF)
"$root/scripts/build.sh" i686 "${tests[@]}" -- Orbelune
if ! grep -q '^ORBELUNE_MAKENSIS:FILEPATH=/' "$build/CMakeCache.txt"; then
  cmake "$build" >/dev/null  # makensis came after the folder was configured
fi
if grep -q '^ORBELUNE_MAKENSIS:FILEPATH=/' "$build/CMakeCache.txt"; then
  "$root/scripts/build.sh" i686 -- installer
fi
setup="$build/installer/Orbelune-setup.exe"
if [ ! -f "$setup" ]; then
  echo "run: $setup was not built (makensis is missing: scripts/setup.sh installs the nsis package)" >&2
  exit 1
fi
prefix="$root/build/wine-run"
"$root/scripts/prefix.sh" "$prefix" run
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$prefix"
# The Start menu shortcut stays inside the prefix, out of the desktop's menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe="

# The install folder, from the uninstall entry in the 32-bit registry view.
installed_folder() {
  wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\vesk' /v InstallLocation /reg:32 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *InstallLocation *REG_SZ *//p' || true
}

stamp="$prefix/.orbelune-installed-setup"
rm -f "$prefix/.orbelune-installed"  # left by earlier versions of this script
folder="$(installed_folder)"
if [ -z "$folder" ] || [ ! -f "$(winepath -u "$folder\\Orbelune.exe")" ] || [ "$setup" -nt "$stamp" ]; then
  echo "run: installing $setup silently into $prefix"
  wine "$setup" /S
  # Wine's processes end with the installer: a server left running without
  # a display would refuse the program's windows inside Xvfb.
  wineserver -w
  touch "$stamp"
  folder="$(installed_folder)"
fi
program="$folder\\Orbelune.exe"

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$program"
else
  echo "run: no DISPLAY: Orbelune runs inside a virtual display (Xvfb); stop it with Ctrl+C. scripts/screenshots.sh renders its windows to PNG files."
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$program"
fi
