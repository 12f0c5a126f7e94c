#!/usr/bin/env bash
# Footprint benchmark: resident and private memory of WirelessUtility.exe at
# idle hidden (in the tray), idle shown, after SCANS scans and CONNECTS
# connections, and hidden again; idle CPU over SECONDS hidden and shown.
# Wine's notepad runs in the same prefix at the same time as the baseline.
# Not a test: the numbers depend on the machine.
# Usage: [DPI=192] tools/bench/footprint.sh [SCANS=100] [CONNECTS=100] [SECONDS=60]
set -euo pipefail
source "$(dirname "$0")/common.sh"
scans=${1:-100}
connects=${2:-100}
seconds=${3:-60}

bench_setup

wine notepad </dev/null >/dev/null 2>&1 &
wait_window "Untitled - Notepad"
note=$(wine_pid 'notepad.exe')

wine WirelessUtility.exe /TrayIcon </dev/null >/dev/null 2>&1 &
wb wait
app=$(wine_pid 'WirelessUtility.exe')
sleep 10  # adapter found, first survey and connection done

report() {
  local n a
  n=$(private_kb "$note")
  a=$(private_kb "$app")
  printf '%-22s utility %s | notepad %s | private over notepad %5.1f MB\n' "$1" \
    "$(mem_of "$app")" "$(mem_of "$note")" "$(echo "($a - $n) / 1024" | bc -l)"
}

cpu() {
  local a0 n0 a1 n1 hz
  hz=$(getconf CLK_TCK)
  a0=$(cpu_ticks "$app"); n0=$(cpu_ticks "$note")
  sleep "$seconds"
  a1=$(cpu_ticks "$app"); n1=$(cpu_ticks "$note")
  printf '%-22s utility %.3f %% | notepad %.3f %% (CPU over %d s, of one core)\n' "$1" \
    "$(echo "($a1 - $a0) * 100 / $hz / $seconds" | bc -l)" \
    "$(echo "($n1 - $n0) * 100 / $hz / $seconds" | bc -l)" "$seconds"
}

report "idle hidden"
cpu "idle CPU hidden"
wb show
sleep 5
report "idle shown"
cpu "idle CPU shown"

for p in profile survey link; do wb page $p; sleep 1; done
wb page survey
sleep 5
for i in $(seq 1 "$scans"); do wb click Scan --cycle >/dev/null || echo "scan $i: $(wb click Scan)"; done
sleep 2
report "after $scans scans"

for i in $(seq 1 "$connects"); do
  # Activating shows the link page; the profile page keeps its selection.
  wb page profile
  sleep 0.3
  wb click Activate >/dev/null || echo "connection $i: no Activate button"
  sleep 1.5
done
sleep 3
report "after $connects connections"

wb hide
sleep 5
report "hidden again"

wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
