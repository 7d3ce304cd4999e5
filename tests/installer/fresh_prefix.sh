#!/bin/sh
# Runs a Windows program in a Wine prefix of its own, made afresh from the
# booted test prefix and removed afterwards: hard links for everything but
# the registry files, which Wine rewrites and which are copied. The program
# may change the prefix as an installer does (new files, registry), never
# files that were there before.
# Usage: fresh_prefix.sh TEST-PREFIX COPY PROGRAM [ARGUMENTS...]
set -eu
source="$1"
copy="$2"
shift 2
[ -f "$source/system.reg" ] || { echo "fresh_prefix: no booted Wine prefix at $source (scripts/test.sh makes it)" >&2; exit 1; }
rm -rf "$copy"
# Other tests running meanwhile remove temporary files of theirs from the
# source: those may vanish while it is copied, nothing else may.
if ! errors="$(cp -al "$source" "$copy" 2>&1)" &&
   printf '%s\n' "$errors" | grep -qv 'No such file or directory'; then
  printf '%s\n' "$errors" >&2
  exit 1
fi
for file in "$source"/*.reg; do
  rm -f "$copy/${file##*/}"
  cp -p "$file" "$copy/"
done

export WINEPREFIX="$copy"
export WINEDEBUG="${WINEDEBUG:--all}"
# Shortcuts made in the Start menu never reach the desktop's own menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe="
unset WINEARCH

# The prefix's server and background processes hold no output of ours, so
# that ctest sees the end of the run; they stop with the run, and by
# themselves a few seconds after a run that was cut short.
wineserver -p5 >/dev/null 2>&1 </dev/null
wine wineboot >/dev/null 2>&1 </dev/null
set +e
wine "$@"
rc=$?
wineserver -k
rm -rf "$copy"
exit $rc
