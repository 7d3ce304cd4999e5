#!/bin/sh
# Starts Orbelune.exe under Wine where no X display can be reached, as a user
# would from a terminal, and checks what that user sees: exit code 1 and the
# failure's message on standard error (no box can be shown either).
# Usage: startup_without_display.sh ORBELUNE_EXE (WINEPREFIX set, wineserver running)
exe="$1"
expected='Orbelune: ウィンドウを作成できません.'
errors="$(DISPLAY=:9999 timeout 60 wine "$exe" 2>&1 >/dev/null)"
rc=$?
errors="$(printf '%s\n' "$errors" | tr -d '\r')"
status=0
if [ "$rc" != 1 ]; then
  echo "exit code $rc, expected 1"
  status=1
fi
if ! printf '%s\n' "$errors" | grep -Fqx "$expected"; then
  echo "standard error did not hold the line: $expected"
  status=1
fi
echo "standard error:"
printf '%s\n' "$errors"
exit $status
