#!/usr/bin/env bash
# Cost benchmark: program time of one status sample and of showing a survey
# of 256 networks, measured inside costbench.exe against the simulated
# library, each beside a baseline of the same run (an empty round of the
# message pump; the same rows in a plain list view). The library's own time
# is reported apart. Not a test: the numbers depend on the machine.
# Usage: tools/bench/cost.sh [ROUNDS=20]
set -euo pipefail
source "$(dirname "$0")/common.sh"
rounds=${1:-20}

bench_setup
wu_build --target costbench >/dev/null
cp "$WU_BUILD/bin/costbench.exe" "$WU_STAGE/"
wine costbench.exe "$rounds" </dev/null 2>/dev/null | tr -d '\r'
