#!/usr/bin/env bash
# Makes the pictures of the help file and the README again: builds and
# stages the program on the simulated adapter and its default world, drives
# it under a private X server with xdotool and saves each window as a PNG in
# help/images/. Run it after a change to a page, a picture or a text.
#   tools/screenshots.sh            all pictures
#   LANGUAGE_FILE=WirelessUtility.de.ini tools/screenshots.sh   in German, into help/images/de/;
#   WirelessUtility.fr.ini (French) and WirelessUtility.ru.ini (Russian) likewise
#   DPI=144 tools/screenshots.sh    at 150 % (LogPixels 144), into help/images/150/;
#   DPI=192 gives 200 % into help/images/200/. The prefix is left at 96.
#   WORLD=tests/e2e/Unicode.world tools/screenshots.sh   the survey and the link
#   page (joined from the survey's first row) on that world, into
#   help/images/<world name in lower case>/
set -euo pipefail
source "$(dirname "$0")/env.sh"

WU_PACKAGES+=(xdotool)
wu_install
wu_build --target WirelessUtility OMXWL omxwl_driver

out=$WU_ROOT/help/images
strings=${LANGUAGE_FILE:-}
[ -n "$strings" ] && out=$out/${strings%.ini} && out=${out/WirelessUtility./}
dpi=${DPI:-${LOGPIXELS:-96}}
[ "$dpi" != 96 ] && out=$out/$((dpi * 100 / 96))
world=${WORLD:-}
if [ -n "$world" ]; then
  world=$(realpath "$world")
  name=$(basename "$world" .world)
  out=$out/${name,,}
fi
mkdir -p "$out"
# A 96-DPI distance in pixels at the display's scale (rounded to nearest).
sc() { echo $((($1 * dpi + 48) / 96)); }

# A prefix and a stage of its own, so profiles and settings of earlier runs
# never show up in the pictures.
WU_BUILD_SAVED=$WU_BUILD
wu_wine_env "$WU_BUILD/shotsprefix"
rm -rf "$WINEPREFIX"
app=
logpixels() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
}
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ "$dpi" != 96 ] && logpixels 96
  wu_wine_stop
  wu_xvfb_stop
}
trap cleanup EXIT INT TERM
wu_xvfb_start
wu_wine_boot
# The program started next sees the scale; no restart of the server needed.
[ "$dpi" != 96 ] && logpixels "$dpi"
WU_BUILD=$WU_BUILD_SAVED
wu_stage
stage=$WU_BUILD/shotstage
rm -rf "$stage"
cp -r "$WU_STAGE" "$stage"
[ -n "$world" ] && cp "$world" "$stage/OMXWL.world"
if [ -n "$strings" ]; then
  sed -i "s/^StringFile=.*/StringFile=$strings/" "$stage/WirelessUtility.bin"
fi

stringfile=$WU_ROOT/data/${strings:-WirelessUtility.ini}
title=$(sed -n 's/^AppTitle=//p' "$stringfile" | tr -d '\r')
# Window names are UTF-8; a string file without the UTF-8 mark is in code page 1252.
if [ "$(head -c 3 "$stringfile" | od -An -tx1 | tr -d ' ')" != efbbbf ]; then
  title=$(printf '%s' "$title" | iconv -f CP1252 -t UTF-8)
fi

# Waits up to 30 s for a visible window with exactly this name; prints its id.
find_window() {
  local id i
  for i in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  echo "no window named '$1'" >&2
  return 1
}

# Clicks at x,y of the main window's client area (600 x 440 at 96 DPI below
# Wine's own caption and frame), given in 96-DPI units.
click() {
  xdotool mousemove --window "$main" $((frame_x + $(sc "$1"))) $((frame_y + $(sc "$2"))) click 1
  sleep "${3:-0.6}"
}

# Saves the window (default: the main window) as out/NAME.png.
shot() {
  local win=${2:-$main}
  # Move the pointer away so no button shows its hover face.
  xdotool mousemove --window "$main" "$(sc 590)" "$(sc 20)"
  sleep 0.4
  import -display "$DISPLAY" -window "$win" "$out/$1.png"
  echo "  $1.png"
}

key() {
  xdotool key --window "$main" "$@"
  sleep 0.5
}

cd "$stage"
wine WirelessUtility.exe /UI /TrayIcon </dev/null >/dev/null 2>&1 &
app=$!
main=$(find_window "$title")
eval "$(xdotool getwindowgeometry --shell "$main")"
frame_x=$(((WIDTH - $(sc 600)) / 2))
frame_y=$((HEIGHT - $(sc 440) - frame_x))
echo "Pictures into $out:"

tab() { click $((24 + $1 * 138 + 65)) 95 "${2:-1.5}"; }
# Buttons of a page's action bar, counted from the right (0 = right-most).
bar() { click $((24 + 440 - $1 * 108 + 50)) $((116 + 239 + 15)) "${2:-1}"; }

if [ -n "$world" ]; then
  tab 1 5
  click 120 178
  shot survey
  bar 0 8
  tab 0 3
  shot linkinfo
  exit 0
fi

# The first profile connects by itself; wait for the link and the address.
sleep 10
shot linkinfo
tab 1 5
click 120 178
shot survey
tab 2
click 120 160
shot profile
tab 3
shot adapter

# The throughput chart from the link page; it moves with every status sample.
tab 0
click 545 133 1
chart=$(xdotool search --onlyvisible --name "^$title\$" | grep -vx "$main" | head -1)
sleep 20
import -display "$DISPLAY" -window "$chart" "$out/chart.png"
echo "  chart.png"
xdotool key Escape
sleep 1

# The wizard, from the profile page's Add: network type, security choice,
# then each kind of security page, the bands, the summary and activation.
tab 2
bar 2 1.5
xdotool type --delay 60 "Office"
click $((24 + 120 + 75)) $((116 + 72 + 11)) 0.4
key End shift+Home
xdotool type --delay 60 "Ombrix-WPA2-AES"
shot wizard-nettype
key Return
shot wizard-security
key Down
key Return
shot wizard-wep
bar 2
key Down
key Return
shot wizard-8021x
bar 2
key Down Down Down
key Return
xdotool type --delay 60 "OmbrixAES2"
shot wizard-wpapsk
key Return
shot wizard-band
key Return
shot wizard-confirm
bar 1 2
shot wizard-activate
bar 0 1.5

# An ad-hoc profile: the wireless mode and channel page.
tab 2
bar 2 1.5
click $((24 + 16 + 8)) $((116 + 176 + 8)) 0.4
key Return
shot wizard-adhoc
bar 0 1.5

# The tray menu (right button on the icon in Wine's own tray window).
tray=$(find_window "Wine System Tray")
xdotool mousemove --window "$tray" 9 10 sleep 0.3 mousedown 3 sleep 0.5 mouseup 3
sleep 1.5
import -display "$DISPLAY" -window root -crop "$(sc 320)x$(sc 120)+0+0" +repage -trim +repage "$out/traymenu.png"
echo "  traymenu.png"
xdotool key Escape
sleep 0.5

wine WirelessUtility.exe /Close </dev/null >/dev/null 2>&1 || true
for _ in $(seq 1 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
echo "Done."
