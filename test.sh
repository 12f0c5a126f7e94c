#!/usr/bin/env bash
# Builds everything and runs every test under Wine, windows included, in
# private Wine prefixes and X servers: WU_LANES lanes (default two per core,
# at least 2 and at most 8) run test entries side by side, each lane with its
# own prefix and display. The entries mostly wait on the program's periods
# and on Wine, so more lanes than cores pay. The prefixes boot while the
# build runs. Extra arguments go to ctest (-R name
# ...). WU_TIME_SCALE (default 0.25) speeds up the program's own periods in
# the tests; the tests that check a real period run it at full length.
set -euo pipefail
source "$(dirname "$0")/tools/env.sh"

wu_install
wu_wine_env
if [ -z "${WU_LANES:-}" ]; then
  WU_LANES=$(( $(nproc) * 2 ))
  if (( WU_LANES < 2 )); then WU_LANES=2; fi
  if (( WU_LANES > 8 )); then WU_LANES=8; fi
fi
cleanup() { wu_lanes_stop; }
trap cleanup EXIT INT TERM
wu_lanes_start "$WU_LANES"
wu_build
wu_lanes_wait

export WU_TIME_SCALE=${WU_TIME_SCALE:-0.25}
cd "$WU_BUILD"
set +e
ctest --output-on-failure -j"$WU_LANES" --resource-spec-file "$WU_BUILD/lanes/resources.json" \
  "$@" </dev/null 2>&1 | tee ctest.log
rc=${PIPESTATUS[0]}
set -e
exit "$rc"
