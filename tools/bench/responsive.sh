#!/usr/bin/env bash
# Responsiveness benchmark: a second process (wubench.exe) sends the main
# window a message every 10 ms and records the longest time until it is
# answered, during start-up, a scan that finds 256 networks, a connection and
# an unplug. The longest wait is split into the time the user-interface
# thread waited for the library lock (which the program adds up in a window
# property) and the rest, the program's own code. Baseline: the same pings to
# Wine's notepad, idle, in the same run. Not a test.
# Usage: tools/bench/responsive.sh
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_setup

stop=$WU_STAGE/ping.stop
# Runs COMMANDS while pinging; prints the ping summary after LABEL.
phase() {
  local label=$1 title=${2:-}
  shift 2
  rm -f "$stop"
  local out=$WU_STAGE/ping.out
  if [ -n "$title" ]; then wb ping "$stop" "$title" >"$out" & else wb ping "$stop" >"$out" & fi
  local pinger=$!
  "$@"
  touch "$stop"
  wait "$pinger" || true
  printf '%-34s %s\n' "$label" "$(cat "$out")"
}

world() {  # key=value lines for the world's [Faults] section (its last); the library rereads it
  { cat "$WU_ROOT/data/OMXWL.world"; echo; printf '%s\n' "$@"; } >OMXWL.world.new
  mv OMXWL.world.new OMXWL.world
}

wine notepad </dev/null >/dev/null 2>&1 &
wait_window "Untitled - Notepad"
phase "baseline: notepad, idle 5 s" "Untitled - Notepad" sleep 5

start_up() {
  wine WirelessUtility.exe /UI </dev/null >/dev/null 2>&1 &
  wb wait
  sleep 8  # adapter, first survey, connection to the last profile
}
phase "start-up (window to settled, 8 s)" "" start_up

world "ScanCount=256"
wb page survey
sleep 5
phase "scan with 256 networks" "" wb click Scan --cycle
echo "  (the survey list shows $(wb items) rows)"

connect() {
  wb page profile
  sleep 0.5
  wb click Activate
  sleep 4
}
phase "connection" "" connect

world "ScanCount=256" "Delay.OMXWL_GetWLANStatus=300" "Delay.OMXWL_SiteSurveyGet=300"
sleep 3
wb page survey
sleep 5
phase "scan, library 300 ms per call" "" wb click Scan --cycle
world "ScanCount=256"

unplug() {
  sed 's/^Present=1/Present=0/' OMXWL.world >OMXWL.world.new && mv OMXWL.world.new OMXWL.world
  sleep 6
}
phase "unplug" "" unplug

wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
