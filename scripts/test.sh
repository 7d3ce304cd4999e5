#!/usr/bin/env bash
# Builds Orbelune and runs every test under Wine, in a Wine prefix of its own
# under build/, inside a private Xvfb display. Installs what is missing first.
# All the tests of the 32-bit build (build/i686) run, and at the same time,
# in the same prefix (a 64-bit one runs both), those of the 64-bit build
# (build/x86_64) that need no desktop: the readers, the icon writer and the
# store, where the flavours differ (the start-up tests run the 64-bit
# program too). Beside the tests, which mostly wait for Wine, run the checks
# that need no display: scripts/lint.sh, the clang build (build/i686-clang),
# whose test programs that need no desktop then run too, the readers' tests
# built natively with the sanitizers (scripts/native-tests.sh), and
# check-release.sh, which compares a release with this build. The
# differential test of the icon picker runs again at a 16-bit display depth,
# in a display and a Wine session of its own (a copy of the test prefix). A
# test process that fails is run once more; every test that passed only then
# is named, with how its first run ended. Arguments go to ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
# The commit's time, as a release has it, for anything that reads the time.
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

build="$root/build/i686"
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON
# The 64-bit program, which the 32-bit build's start-up tests run too. Its
# test programs are built beside the tests, with the checks; all its tests,
# when run by hand, share the 32-bit build's prefix at 144 dpi.
x86_64=(x86_64 -DORBELUNE_TESTS=ON -DORBELUNE_PREFIX144="$build/wineprefix144")
"$root/scripts/build.sh" "${x86_64[@]}" -- Orbelune
"$root/scripts/prefix.sh" "$build/wineprefix" test

checks="$root/build/checks"
rm -rf "$checks"
mkdir -p "$checks"
(
  for check in x86_64 clang native lint release; do
    case $check in
      x86_64) command=("$root/scripts/build.sh" "${x86_64[@]}" -- test_store test_platform test_icon) ;;
      clang) command=("$root/scripts/build.sh" i686-clang) ;;
      native) command=("$root/scripts/native-tests.sh") ;;
      lint) command=("$root/scripts/lint.sh") ;;
      release) command=("$root/scripts/check-release.sh" "$build") ;;
    esac
    start=$SECONDS
    if "${command[@]}" >"$checks/$check.log" 2>&1; then rc=0; else rc=$?; fi
    echo "$rc $((SECONDS - start))" >"$checks/$check.rc"
  done
) &
checks_pid=$!

# At a 16-bit depth the icons the platform makes are reduced to the display's
# colours: the differential test again there, niced, so that it takes what
# the main run leaves of the processors. Its display is sought from another
# number than the main run's. Left out: the third part of the generated
# files, whose file #458 (an icon file whose chosen image lies 2 MiB past its
# end) the probe's process survives there only because its view of the file
# lands just below memory of its own, which the platform reads instead.
(
  start=$SECONDS
  if nice -n 10 xvfb-run -a -n 160 -s "-screen 0 1024x768x16" sh "$root/tests/installer/fresh_prefix.sh" \
       "$build/wineprefix" "$build/wineprefix16" "$build/tests/test_ui_main.exe" \
       --gtest_filter='IconDifferentialTest.*:-*.GeneratedFilesPart3' >"$checks/depth16.log" 2>&1; then rc=0; else rc=$?; fi
  echo "$rc $((SECONDS - start))" >"$checks/depth16.rc"
) &
depth16_pid=$!

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
# Wine's background processes start once for the whole run and stop at its
# end, inside the same display. A test process that Wine itself brings down
# now and then is run once more; the log shows both attempts, each failed
# one with its exit code. The tests' logs: build/checks/i686-tests.log and
# build/checks/x86_64-tests.log. The clang build's test programs that need
# no desktop run once it is built, each as one process.
cd "$root/build"
set +e
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  checks="$1"; shift
  wineserver -p
  wine wineboot >/dev/null 2>&1
  built() {  # waits for a build of the checks; true when it went through
    while [ ! -f "$checks/$1.rc" ]; do sleep 1; done
    [ "$(cut -d" " -f1 "$checks/$1.rc")" = 0 ]
  }
  (if built x86_64; then
     cd x86_64 && ctest --output-on-failure -LE desktop --timeout 120 --repeat until-pass:2 "$@" \
       >"$checks/x86_64-tests.log" 2>&1
     echo $? >"$checks/x86_64-tests.rc"
   else echo 0 >"$checks/x86_64-tests.rc"; fi) &
  (cd i686 && ctest --output-on-failure -j2 --timeout 120 --repeat until-pass:2 "$@"
   echo $? >"$checks/i686-tests.rc") 2>&1 | tee "$checks/i686-tests.log"
  rc=$(cat "$checks/i686-tests.rc")
  wait
  if [ "$(cat "$checks/x86_64-tests.rc")" = 0 ]; then
    [ -f "$checks/x86_64-tests.log" ] && echo "test: 64-bit build: $(grep "tests passed" "$checks/x86_64-tests.log")"
  else
    echo "test: the 64-bit build'\''s tests failed (build/checks/x86_64-tests.log):"
    grep -v -e "^ *Start " -e " Passed " "$checks/x86_64-tests.log" | tail -n 60
    rc=1
  fi
  if built clang; then
    for program in test_store test_platform test_icon; do
      wine "i686-clang/tests/$program.exe" >"$checks/clang-$program.log" 2>&1 ||
        { echo "test: the clang build'\''s $program failed (build/checks/clang-$program.log):"; tail -n 40 "$checks/clang-$program.log"; rc=1; }
    done
  fi
  wineserver -k
  exit $rc' ctest "$checks" "$@"
tests_rc=$?
wait $checks_pid $depth16_pid
set -e

# Each test that passed only on its second run, with its first run's end:
# ctest's verdict and the exit code the test process reported.
for flavour in i686 x86_64; do
  [ -f "$checks/$flavour-tests.log" ] || continue
  awk -v flavour="$flavour" '
    / Test +#[0-9]+: / {
      test = $0; sub(/.* Test +#[0-9]+: /, "", test); sub(/ .*/, "", test); current = ""
      if (/\*\*\*/ && !(test in why)) { why[test] = $0; sub(/.*\*\*\*/, "", why[test]); sub(/ +[0-9.]+ sec$/, "", why[test]); current = test }
      else if (/ Passed / && test in why) again[test] = 1
      next
    }
    /^ +Start +[0-9]+: / { current = ""; next }
    current == "" { next }
    /^\[  PASSED  \]/ { after[current] = " after its tests had passed" }
    /^\[  FAILED  \]/ { delete after[current] }
    /^exit code [0-9]+$/ { code[current] = ", exit code " $3 ($3 > 128 ? " (signal " ($3 - 128) ")" : "") }
    END {
      for (test in again)
        printf "test: %s: %s passed only when run again; its first run: %s%s%s\n", flavour, test, why[test], code[test], after[test]
    }
  ' "$checks/$flavour-tests.log"
done

failed=0
for check in x86_64 clang native lint release depth16; do
  read -r rc seconds <"$checks/$check.rc" || { rc=1; seconds=?; }
  if [ "$rc" -eq 0 ]; then
    echo "test: $check passed (${seconds} s)"
  else
    echo "test: $check FAILED (${seconds} s); build/checks/$check.log:"
    tail -n 60 "$checks/$check.log"
    failed=1
  fi
done
[ $tests_rc -eq 0 ] && [ $failed -eq 0 ]
