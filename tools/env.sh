# Shared by test.sh and run.sh: installing what is missing, building, and a
# private Wine prefix and X server. Source it; do not run it.

WU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WU_BUILD=${BUILD_DIR:-$WU_ROOT/build}
case "$WU_BUILD" in /*) ;; *) WU_BUILD=$WU_ROOT/$WU_BUILD ;; esac

WU_PACKAGES=(cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix googletest
             wine wine32:i386 xvfb imagemagick nsis fp-utils)

wu_sudo() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Installs only what is missing; a second run does nothing.
wu_install() {
  local missing=() p
  for p in "${WU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    wu_sudo dpkg --add-architecture i386
  fi
  wu_sudo apt-get update -q </dev/null >/dev/null
  wu_sudo apt-get install -y -q "${missing[@]}" </dev/null
}

wu_build() {
  # ccache, when the machine has it, shares objects between checkouts of the
  # same tree; a fresh machine builds without it.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR=$WU_ROOT CCACHE_NOHASHDIR=1
    # Files compiled with a precompiled header are cached only with these.
    export CCACHE_SLOPPINESS=pch_defines,time_macros
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$WU_ROOT" -B "$WU_BUILD" -DCMAKE_TOOLCHAIN_FILE="$WU_ROOT/cmake/mingw-i686.cmake" \
    "${launcher[@]}" >/dev/null
  cmake --build "$WU_BUILD" -j"$(nproc)" "$@"
}

# A private, 32-bit Wine prefix under the build folder. Wine's helper
# processes inherit open descriptors, so they are started with every stream
# redirected before anything runs with a pipe attached.
wu_wine_env() {
  export WINEPREFIX=${1:-$WU_BUILD/wineprefix}
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

wu_wine_boot() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  # Unmanaged X windows: with no window manager on the private X server, a
  # managed window waits for an answer that never comes on every hide.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

wu_wine_stop() { wineserver -k </dev/null >/dev/null 2>&1 || true; }

# Starts a private X server and sets DISPLAY; WU_XVFB_PID holds its pid.
# The server picks a free display itself (-displayfd) and reports it once it
# is ready, so several runs on one machine never share or steal a display.
wu_xvfb_start() {
  local out i n=
  out=$(mktemp)
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 5>"$out" &
  WU_XVFB_PID=$!
  for i in $(seq 1 100); do
    n=$(tr -dc '0-9' <"$out")
    [ -n "$n" ] && break
    kill -0 "$WU_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$out"
  if [ -n "$n" ] && kill -0 "$WU_XVFB_PID" 2>/dev/null; then
    export DISPLAY=":$n"
    return 0
  fi
  echo "could not start Xvfb" >&2
  return 1
}

wu_xvfb_stop() {
  if [ -n "${WU_XVFB_PID:-}" ]; then
    kill "$WU_XVFB_PID" 2>/dev/null || true
    wait "$WU_XVFB_PID" 2>/dev/null || true
    WU_XVFB_PID=
  fi
}

# Test lanes: lane i has an X server and a Wine prefix of its own
# ($WU_BUILD/lanes/prefix$i), written down for tools/lane.sh in
# $WU_BUILD/lanes/lane$i.env, and ctest learns of the lanes from
# $WU_BUILD/lanes/resources.json. The prefixes boot in the background (say,
# while the build runs); wu_lanes_wait waits for them.
WU_LANE_XVFB_PIDS=()
WU_LANE_BOOT_PIDS=()
WU_LANE_PREFIXES=()

wu_lanes_start() {
  local n=$1 i prefix lanes=$WU_BUILD/lanes ids=
  mkdir -p "$lanes"
  for ((i = 0; i < n; i++)); do
    # The X server first: Wine's desktop keeps the display it saw at boot.
    wu_xvfb_start || return 1
    WU_LANE_XVFB_PIDS+=("$WU_XVFB_PID")
    WU_XVFB_PID=
    prefix=$lanes/prefix$i
    WU_LANE_PREFIXES+=("$prefix")
    printf "WINEPREFIX='%s'\nDISPLAY='%s'\n" "$prefix" "$DISPLAY" >"$lanes/lane$i.env"
    (export WINEPREFIX=$prefix; wu_wine_boot) </dev/null >/dev/null 2>&1 &
    WU_LANE_BOOT_PIDS+=("$!")
    ids+="${ids:+,}{\"id\": \"$i\", \"slots\": 1}"
  done
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"lanes": [%s]}]}\n' "$ids" \
    >"$lanes/resources.json"
}

wu_lanes_wait() {
  local pid
  for pid in "${WU_LANE_BOOT_PIDS[@]}"; do wait "$pid" || true; done
  WU_LANE_BOOT_PIDS=()
}

wu_lanes_stop() {
  local prefix pid
  wu_lanes_wait
  for prefix in "${WU_LANE_PREFIXES[@]}"; do
    WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
  done
  for pid in "${WU_LANE_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  WU_LANE_PREFIXES=()
  WU_LANE_XVFB_PIDS=()
}

# Copies into $WU_BUILD/stage what the program reads beside itself, and the
# simulated driver file to where the library says the driver lives (inside
# the current WINEPREFIX). Needs the targets WirelessUtility, OMXWL and
# omxwl_driver (and helpfile for the help file).
wu_stage() {
  WU_STAGE=$WU_BUILD/stage
  mkdir -p "$WU_STAGE"
  cp "$WU_BUILD/bin/WirelessUtility.exe" "$WU_BUILD/bin/OMXWL.DLL" "$WU_STAGE/"
  cp "$WU_ROOT/data/WirelessUtility.bin" "$WU_ROOT"/data/*.ini "$WU_ROOT/data/OMXWL.world" \
     "$WU_STAGE/"
  if [ -f "$WU_BUILD/bin/WirelessUtility.chm" ]; then
    cp "$WU_BUILD/bin/WirelessUtility.chm" "$WU_STAGE/"
  fi
  local drivers="$WINEPREFIX/drive_c/windows/system32/drivers"
  mkdir -p "$drivers"
  cp "$WU_BUILD/bin/OMXWLNT.SYS" "$drivers/OMXWLNT.SYS"
}
