#!/usr/bin/env bash
# The soak, by hand: builds, boots a private prefix (build/soakprefix) and
# Xvfb, and runs wusoak.exe for CYCLES cycles (default 1000). With FUZZ set,
# the randomised robustness tests then run with that many cases each.
# With KILLS set, the kill test then ends and restarts the program that many
# times (wukill.exe).
# Usage: tools/soak/soak.sh [CYCLES] [SEED]      FUZZ=5000 tools/soak/soak.sh
#        KILLS=300 tools/soak/soak.sh
set -euo pipefail
source "$(dirname "$0")/../env.sh"
cycles=${1:-1000}
seed=${2:-1}

wu_install
wu_build --target wusoak wukill OMXWL test_config test_adapter test_shell test_ui test_omxwl >/dev/null

wu_wine_env "$WU_BUILD/soakprefix"
cleanup() { wu_wine_stop; wu_xvfb_stop; }
trap cleanup EXIT INT TERM
wu_xvfb_start
wu_wine_boot
cd "$WU_BUILD/bin"
status=0
wine wusoak.exe --cycles "$cycles" --seed "$seed" </dev/null || status=$?
if [ -n "${KILLS:-}" ]; then
  wine wukill.exe --kills "$KILLS" --seed "$seed" </dev/null || status=1
fi
if [ -n "${FUZZ:-}" ]; then
  for t in test_config test_adapter test_shell test_ui test_omxwl; do
    WU_FUZZ_ITERATIONS=$FUZZ wine "$t.exe" --gtest_filter='Hostile*' </dev/null || status=1
  done
fi
exit $status
