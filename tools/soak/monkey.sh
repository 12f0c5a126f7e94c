#!/usr/bin/env bash
# The random-input run, long: builds, boots a private prefix
# (build/monkeyprefix-SEED) and Xvfb, starts the real program and sends it
# random clicks and keys for SECONDS (default 600) with SEED (default 18),
# pinging its main window all along (tests/e2e/MonkeyTest.cpp). On a
# failure it prints the seed and the last 20 actions; either way it prints
# the actions, the pings and the longest wait for an answer.
# Usage: tools/soak/monkey.sh [SECONDS] [SEED]
set -euo pipefail
source "$(dirname "$0")/../env.sh"
seconds=${1:-600}
seed=${2:-18}

wu_install
wu_build --target test_e2e WirelessUtility OMXWL >/dev/null

# A prefix (and so a wine server) per seed: runs of other seeds may go on
# beside it, each on its own X server.
wu_wine_env "$WU_BUILD/monkeyprefix-$seed"
cleanup() { wu_wine_stop; wu_xvfb_stop; }
trap cleanup EXIT INT TERM
wu_xvfb_start
wu_wine_boot
cd "$WU_BUILD/bin"
WU_MONKEY_SECONDS=$seconds WU_MONKEY_SEED=$seed \
  wine test_e2e.exe --gtest_color=no --gtest_filter='Monkey.*' </dev/null
