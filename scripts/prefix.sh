#!/usr/bin/env bash
# Creates a Wine prefix for Orbelune at PREFIX, unless it is ready already.
# Usage: prefix.sh PREFIX [test|test144]
#   Japanese fonts stand in for the Windows ones; Wine's crash dialog is off.
#   "test" also lets windows go without a window manager (Xvfb), so that
#   hiding a window does not wait for one; "test144" is a test prefix whose
#   display reports 144 dpi (150 % scaling).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$1"
kind="${2:-run}"
stamp="$prefix/.orbelune-prefix-v2-$kind"
[ -f "$stamp" ] && exit 0

mkdir -p "$prefix"
rm -f "$prefix"/.orbelune-prefix-*
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$prefix"

if [ ! -f "$prefix/system.reg" ]; then
  echo "prefix: creating the Wine prefix $prefix (about 20 s, once)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

reg='[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS Sans Serif"="IPAPGothic"
"ＭＳ 明朝"="IPAMincho"
"ＭＳ Ｐ明朝"="IPAPMincho"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000'
if [ "$kind" = test ] || [ "$kind" = test144 ]; then
  reg="$reg

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
\"Managed\"=\"N\""
fi
if [ "$kind" = test144 ]; then
  reg="$reg

[HKEY_CURRENT_USER\Control Panel\Desktop]
\"LogPixels\"=dword:00000090"
fi
wine_import_reg "$reg"
# Debian's 32-bit Wine does not find its own Marlett font, which draws the
# title-bar buttons; the prefix's font folder is always searched.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp -f /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi
touch "$stamp"
