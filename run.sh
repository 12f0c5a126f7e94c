#!/usr/bin/env bash
# Builds the utility, stages it beside the simulated adapter library and
# starts it with /UI /TrayIcon under Wine.
#   ./run.sh                          interactive (private Xvfb when no display)
#   ./run.sh --screenshot FILE [SEC]  headless, PNG of the screen after SEC seconds
#   ./run.sh --installer              builds build/WirelessUtility-Setup.exe only
set -euo pipefail
source "$(dirname "$0")/tools/env.sh"

if [ "${1:-}" = "--installer" ]; then
  wu_install
  wu_build --target installer
  echo "Installer: $WU_BUILD/WirelessUtility-Setup.exe"
  exit 0
fi

shot=
seconds=10
if [ "${1:-}" = "--screenshot" ]; then
  shot=${2:?usage: ./run.sh --screenshot FILE [SECONDS]}
  seconds=${3:-10}
  case "$shot" in /*) ;; *) shot=$PWD/$shot ;; esac
fi

wu_install
wu_build --target WirelessUtility OMXWL omxwl_driver helpfile

wu_wine_env "$WU_BUILD/runprefix"
cleanup() { wu_wine_stop; wu_xvfb_stop; }
trap cleanup EXIT INT TERM
if [ -n "$shot" ] || [ -z "${DISPLAY:-}" ]; then
  wu_xvfb_start
fi
wu_wine_boot
wu_stage

cd "$WU_STAGE"
if [ -z "$shot" ]; then
  echo "Starting WirelessUtility.exe on display $DISPLAY (stage: $WU_STAGE)"
  wine WirelessUtility.exe /UI /TrayIcon </dev/null
  exit 0
fi

wine WirelessUtility.exe /UI /TrayIcon </dev/null >/dev/null 2>&1 &
app=$!
sleep "$seconds"
import -display "$DISPLAY" -window root "$shot"
wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
for _ in $(seq 1 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill "$app" 2>/dev/null || true
echo "Screenshot saved to $shot"
