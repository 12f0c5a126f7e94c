#!/bin/sh
# Runs one test program under Wine in the lane that ctest gave the entry:
#   lane.sh LANES_DIR PROGRAM [ARGS...]
# ctest names the lane in CTEST_RESOURCE_GROUP_0_LANES ("id:1,slots:1");
# LANES_DIR/laneID.env (written by ./test.sh) holds that lane's WINEPREFIX
# and DISPLAY. Without a lane the caller's environment is used as it is.
lanes=$1
shift
if [ -n "${CTEST_RESOURCE_GROUP_0_LANES:-}" ]; then
  id=$(printf '%s\n' "$CTEST_RESOURCE_GROUP_0_LANES" | sed -n 's/^id:\([^,]*\),.*$/\1/p')
  if [ ! -f "$lanes/lane$id.env" ]; then
    echo "lane.sh: no lane '$id' in $lanes" >&2
    exit 1
  fi
  . "$lanes/lane$id.env"
  export WINEPREFIX DISPLAY
fi
exec wine "$@"
