#!/usr/bin/env bash
# Plants small faults in the readers of outside data one at a time (a
# comparison, a constant, an operator, a negation, a guard: the mutation
# tool ../shared/tools/mutants.py, or MUTANTS) and runs their tests after
# each: the window-free tests built natively with the sanitizers
# (scripts/native-tests.sh, a few seconds a fault); for the Internet
# shortcut reader also the comparison with the platform's profile reader
# under Wine (the i686 build and its test prefix). The faults no test
# notices are listed in build/mutants-<group>.txt. Slow: not part of the
# tests. Run it on a clean work tree (the tool refuses changed files) and
# leave the sources alone meanwhile: each fault is written into them.
# Usage: mutants.sh [--sample N] [--seed S] [GROUP...]
#   GROUP: readers (programs, pixels and icon files; the default with
#   shortcuts) or shortcuts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${MUTANTS:-$root/../shared/tools/mutants.py}"
options=(--sample 100000)
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1" "$2"); shift 2; done
groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(readers shortcuts)
cd "$root"
"$root/scripts/native-tests.sh" >/dev/null  # configured and passing before any fault
native='cmake --build build/native >/dev/null 2>&1 && timeout -s KILL 20 build/native/test_readers >/dev/null 2>&1'
for group in "${groups[@]}"; do
  case $group in
    readers)
      files=(src/platform/pe_resources.cpp src/platform/icon_pixels.cpp src/platform/ico_file.cpp)
      command=$native ;;
    shortcuts)
      files=(src/links/internet_shortcut.cpp)
      "$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- test_ui_main >/dev/null
      "$root/scripts/prefix.sh" "$root/build/i686/wineprefix" test >/dev/null
      command="$native && scripts/build.sh i686 -- test_ui_main >/dev/null 2>&1 && WINEPREFIX='$root/build/i686/wineprefix' \
WINEDEBUG=-all timeout -s KILL 300 wine build/i686/tests/test_ui_main.exe --gtest_filter='InternetShortcut.*' >/dev/null 2>&1" ;;
    *) echo "mutants: no group $group" >&2; exit 2 ;;
  esac
  python3 "$tool" "${options[@]}" --timeout 600 --report "build/mutants-$group.txt" --test "$command" "${files[@]}"
done
