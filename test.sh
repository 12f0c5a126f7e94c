#!/usr/bin/env bash
# Builds everything and runs every test under Wine, windows included, in a
# private Wine prefix and X server. Extra arguments go to ctest (-R name ...).
set -euo pipefail
source "$(dirname "$0")/tools/env.sh"

wu_install
wu_build

wu_wine_env
cleanup() { wu_wine_stop; wu_xvfb_stop; }
trap cleanup EXIT INT TERM
wu_xvfb_start
wu_wine_boot

cd "$WU_BUILD"
set +e
ctest --output-on-failure --timeout 900 "$@" </dev/null 2>&1 | tee ctest.log
rc=${PIPESTATUS[0]}
set -e
exit "$rc"
