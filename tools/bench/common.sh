# Shared by the benchmarks of this folder: a private prefix and X server, the
# staged program with wubench.exe beside it, and readers of a Wine process's
# memory and CPU time from Linux. Source it; do not run it.
# DPI=192 runs a benchmark at that display scale (LogPixels of the prefix;
# default 96, and the prefix is left at 96).
source "$(dirname "${BASH_SOURCE[0]}")/../env.sh"

bench_setup() {
  wu_install
  command -v xwininfo >/dev/null || wu_sudo apt-get install -y -q x11-utils </dev/null >/dev/null
  wu_build --target WirelessUtility OMXWL omxwl_driver wubench >/dev/null
  wu_wine_env "$WU_BUILD/benchprefix"
  trap bench_cleanup EXIT INT TERM
  wu_xvfb_start
  wu_wine_boot
  bench_dpi=${DPI:-96}
  bench_logpixels "$bench_dpi"
  echo "display scale: $bench_dpi DPI"
  wu_stage
  cp "$WU_BUILD/bin/wubench.exe" "$WU_STAGE/"
  # A fresh profile store and settings for every run.
  wine reg delete 'HKCU\Software\Ombrix' /f </dev/null >/dev/null 2>&1 || true
  cd "$WU_STAGE"
}

# The processes started after it see this DPI.
bench_logpixels() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
}

bench_cleanup() {
  if [ "${bench_dpi:-96}" != 96 ]; then bench_logpixels 96 || true; fi
  wu_wine_stop
  wu_xvfb_stop
}

ms() { echo $(( $(date +%s%N) / 1000000 )); }

wb() { wine wubench.exe "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# The Linux process of a Windows program of this prefix, by its file name.
wine_pid() {
  local p
  for p in $(pgrep -f "$1"); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$p"
      return 0
    fi
  done
  return 1
}

# "resident R MB, private P MB": VmRSS, and Private_Clean + Private_Dirty of
# smaps_rollup (pages no other process maps).
mem_of() {
  awk '/^Rss:/ {r=$2} /^Private_(Clean|Dirty):/ {p+=$2}
       END {printf "resident %5.1f MB, private %5.1f MB", r/1024, p/1024}' "/proc/$1/smaps_rollup"
}
private_kb() { awk '/^Private_(Clean|Dirty):/ {p+=$2} END {print p}' "/proc/$1/smaps_rollup"; }

# User plus system CPU time of a process, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

wait_window() {
  local title=$1 t0
  t0=$(ms)
  until xwininfo -root -tree 2>/dev/null | grep -q "\"$title\""; do
    sleep 0.01
    if [ $(( $(ms) - t0 )) -gt 20000 ]; then echo "no window \"$title\" after 20 s" >&2; return 1; fi
  done
}
