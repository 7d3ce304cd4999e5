#!/usr/bin/env bash
# Runs the picker's random sequences (PickerSequenceTest) for longer than the
# test command does: RUNS sequences of STEPS steps each, seeds SEED,
# SEED + 1, ..., each as a process of its own in the 32-bit build's test
# prefix, inside a private Xvfb display. Prints each seed's actions and the
# seeds that failed; a failed seed runs again alone with
#   ORBELUNE_SEQUENCE_SEED=N ORBELUNE_SEQUENCE_STEPS=M.
# Usage: sequence.sh [STEPS (200)] [SEED (1)] [RUNS (1)]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
steps="${1:-200}" seed="${2:-1}" runs="${3:-1}"
build="$root/build/i686"
"$root/scripts/build.sh" i686 -DORBELUNE_TESTS=ON -- test_ui_main >/dev/null
"$root/scripts/prefix.sh" "$build/wineprefix" test
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh" "$build/wineprefix"
cd "$build/tests"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  steps=$1 seed=$2 runs=$3 failed=""
  wineserver -p
  wine wineboot >/dev/null 2>&1
  for n in $(seq "$seed" $((seed + runs - 1))); do
    if ! ORBELUNE_SEQUENCE_SEED=$n ORBELUNE_SEQUENCE_STEPS=$steps \
         wine ./test_ui_main.exe --gtest_filter="PickerSequenceTest.*" --gtest_brief=1; then
      failed="$failed $n"
    fi
  done
  wineserver -k
  if [ -n "$failed" ]; then echo "sequence: failed seeds:$failed"; exit 1; fi
  echo "sequence: $runs sequence(s) of $steps steps passed"' sequence "$steps" "$seed" "$runs"
