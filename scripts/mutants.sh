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
# The picker's machinery runs against the picker's tests under a display of
# its own (a quick half first, each test program ending at its first
# failure): half a minute to a minute a fault.
# Usage: mutants.sh [--sample N] [--seed S] [--display N] [GROUP...]
#   GROUP: readers (programs, pixels and icon files; the default with
#   shortcuts), shortcuts, maker (the icon maker and the grid's images),
#   picker (the picker's window) or executable (a program's icons).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${MUTANTS:-$root/../shared/tools/mutants.py}"
options=(--sample 100000)
display=97
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do
  if [ "$1" = --display ]; then display=$2; else options+=("$1" "$2"); fi
  shift 2
done
groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(readers shortcuts)
cd "$root"
case " ${groups[*]} " in
  *" readers "*|*" shortcuts "*) "$root/scripts/native-tests.sh" >/dev/null ;;  # configured and passing before any fault
esac
picker_under_display() {
  "$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- test_ui_main >/dev/null
  "$root/scripts/prefix.sh" "$root/build/i686/wineprefix" test >/dev/null
  if [ -z "${picker_display:-}" ]; then
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    picker_display=$!
    trap 'kill $picker_display 2>/dev/null; WINEPREFIX="$root/build/i686/wineprefix" wineserver -k 2>/dev/null || true' EXIT
    sleep 2
    WINEPREFIX="$root/build/i686/wineprefix" wineserver -p
  fi
  local slow='IconListingTest.ALargeImage*:IconListingTest.ListedIcons*:IconListingTest.ByteFlips*:PreviewTest.LargeImage*:PickerSequenceTest*'
  local quick="IconMaker*:SlowToMake*:SubWindowTest*:PickerTest*:IconListingTest*:IconDifferentialTest*-*GeneratedFiles*:$slow"
  local run="DISPLAY=:$display WINEPREFIX='$root/build/i686/wineprefix' WINEDEBUG=-all timeout -s KILL 300 wine build/i686/tests/test_ui_main.exe --gtest_fail_fast"
  command="scripts/build.sh i686 -- test_ui_main >/dev/null 2>&1 && $run --gtest_filter='$quick' >/dev/null 2>&1 && $run --gtest_filter='$slow' >/dev/null 2>&1"
  options+=(--build "scripts/build.sh i686 -- test_ui_main >/dev/null 2>&1")
}
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
    maker) files=(src/ui/icon_maker.cpp src/ui/iconpicker/grid_images.cpp); picker_under_display ;;
    picker) files=(src/ui/iconpicker/icon_picker.cpp); picker_under_display ;;
    executable) files=(src/platform/executable_icons.cpp); picker_under_display ;;
    *) echo "mutants: no group $group" >&2; exit 2 ;;
  esac
  python3 "$tool" "${options[@]}" --timeout 600 --report "build/mutants-$group.txt" --test "$command" "${files[@]}"
done
