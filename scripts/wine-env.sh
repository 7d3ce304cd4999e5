# Sourced by the other scripts: the Wine environment for a prefix of the
# project's own. Usage: source wine-env.sh PREFIX
export WINEPREFIX="$1"
export WINEDEBUG="${WINEDEBUG:--all}"
# Never offer to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH

# Imports registry text (UTF-8 here) through regedit as UTF-16LE with a BOM,
# the only form in which Japanese names survive under any locale.
wine_import_reg() {
  local text="$1" file
  file="$(mktemp --suffix=.reg)"
  { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
  wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1
  wineserver -w
  rm -f "$file"
}
