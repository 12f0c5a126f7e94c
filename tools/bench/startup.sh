#!/usr/bin/env bash
# Start-up benchmark: time from launching WirelessUtility.exe /UI until its
# main window is mapped, over several runs, next to the time Wine needs to
# start and end a trivial program and the time Wine's notepad needs for its
# window. Not a test: the numbers depend on the machine.
# Usage: tools/bench/startup.sh [RUNS]
set -euo pipefail
source "$(dirname "$0")/../env.sh"
runs=${1:-5}

wu_install
command -v xwininfo >/dev/null || wu_sudo apt-get install -y -q x11-utils </dev/null >/dev/null
wu_build --target WirelessUtility OMXWL omxwl_driver >/dev/null

wu_wine_env "$WU_BUILD/benchprefix"
cleanup() { wu_wine_stop; wu_xvfb_stop; }
trap cleanup EXIT INT TERM
wu_xvfb_start
wu_wine_boot
wu_stage
cd "$WU_STAGE"

ms() { echo $(( $(date +%s%N) / 1000000 )); }

for i in $(seq 1 "$runs"); do
  t0=$(ms); wine cmd /c exit </dev/null >/dev/null 2>&1; t1=$(ms)
  base=$((t1 - t0))

  t0=$(ms)
  wine notepad </dev/null >/dev/null 2>&1 &
  until xwininfo -root -tree 2>/dev/null | grep -q '"Untitled - Notepad"'; do
    sleep 0.01
    if [ $(( $(ms) - t0 )) -gt 20000 ]; then echo "run $i: no notepad after 20 s"; break; fi
  done
  t1=$(ms)
  note=$((t1 - t0))
  wine taskkill /f /im notepad.exe </dev/null >/dev/null 2>&1 || true

  t0=$(ms)
  wine WirelessUtility.exe /UI </dev/null >/dev/null 2>&1 &
  app=$!
  until xwininfo -root -tree 2>/dev/null | grep -q '"Ombrix Wireless Utility"'; do
    sleep 0.01
    if [ $(( $(ms) - t0 )) -gt 20000 ]; then echo "run $i: no window after 20 s"; break; fi
  done
  t1=$(ms)
  echo "run $i: main window after $((t1 - t0)) ms (notepad's window: $note ms; a trivial Wine program: $base ms)"
  wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
  wait "$app" 2>/dev/null || true
done
