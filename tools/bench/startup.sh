#!/usr/bin/env bash
# Start-up benchmark: time from launching WirelessUtility.exe /UI until its
# main window is mapped on the X display, interleaved with Wine's notepad in
# the same prefix (notepad, then the utility, in every run), with a pause
# between launches so that no process still ending slows the next. Prints
# every run, the medians and the median ratio of the utility to notepad, then
# a log of timed start-up phases measured inside one process
# (startbench.exe). Not a test: the numbers depend on the machine.
# Usage: [DPI=192] tools/bench/startup.sh [RUNS=7] [SETTLE_SECONDS=3]
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
settle=${2:-3}

bench_setup
wu_build --target startbench >/dev/null
cp "$WU_BUILD/bin/startbench.exe" "$WU_STAGE/"

# Milliseconds from now until a window with this title is mapped (viewable);
# 20000 and more: it never was.
time_to_map() {
  local title=$1 t0 id
  shift
  t0=$(ms)
  "$@" </dev/null >/dev/null 2>&1 &
  while :; do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | awk '{print $1; exit}' || true)
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then break; fi
    if [ $(( $(ms) - t0 )) -gt 20000 ]; then break; fi
    sleep 0.005
  done
  echo $(( $(ms) - t0 ))
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR % 2) print a[(NR+1)/2]; else print int((a[NR/2]+a[NR/2+1])/2)}'; }

# One start of each to warm the file cache and the prefix; not counted.
time_to_map "Untitled - Notepad" wine notepad >/dev/null
wine taskkill /f /im notepad.exe </dev/null >/dev/null 2>&1 || true
time_to_map "Ombrix Wireless Utility" wine WirelessUtility.exe /UI >/dev/null
wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
sleep "$settle"

notes=() apps=()
for i in $(seq 1 "$runs"); do
  note=$(time_to_map "Untitled - Notepad" wine notepad)
  wine taskkill /f /im notepad.exe </dev/null >/dev/null 2>&1 || true
  sleep "$settle"
  app=$(time_to_map "Ombrix Wireless Utility" wine WirelessUtility.exe /UI)
  wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
  sleep "$settle"
  echo "run $i: main window mapped after $app ms (notepad's window: $note ms)"
  notes+=("$note")
  apps+=("$app")
done
note_med=$(printf '%s\n' "${notes[@]}" | median)
app_med=$(printf '%s\n' "${apps[@]}" | median)
ratio=$(printf '%s\n' "${apps[@]}" | paste -d' ' - <(printf '%s\n' "${notes[@]}") |
  awk '{print $1 / $2}' | sort -n | awk '{a[NR]=$1} END {printf "%.2f", (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}')
echo "median of $runs runs: utility $app_med ms, notepad $note_med ms;" \
  "ratio of medians $(awk -v a="$app_med" -v n="$note_med" 'BEGIN {printf "%.2f", a / n}')," \
  "median ratio of the runs $ratio"

echo "start-up phases inside one process (startbench.exe):"
wine startbench.exe </dev/null 2>/dev/null | tr -d '\r'
