#!/usr/bin/env bash
# The desktop on real Wayland compositors, headless: sway and KWin, with
# layer-shell, and Weston, without.
# What the Win32 calls apply is what the output shows, read back with grim.
#   wayland_host_test.sh CASE BUILD_DIR
# sway refuses to run as root: as root, the case runs again as a user of its
# own, with a runtime folder of its own, so cases run side by side.
set -euo pipefail
case_name=$1
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

for tool in sway swaymsg grim foot wtype weston gsettings kwin_wayland; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: the Wayland tests need $tool, which is not installed; install the packages" \
         "of packages.txt (./run.sh does)" >&2
    exit 1
  }
done
. "$here/../support/as_wayland_user.sh"
as_wayland_user "$here/wayland_host_test.sh" "$case_name" "$build"

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
if [ "$case_name" = kwin ]; then
  # KDE's compositor, headless, on a session bus of its own. A copy of the
  # program: the installed one carries a file capability that a container
  # may refuse to run.
  dbus-daemon --session --fork --print-address=3 3>"$work/bus"
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
  cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
  KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$work/kwin_wayland" --virtual --width 640 --height 480 \
    --socket wayland-1 --no-lockscreen --no-global-shortcuts >"$work/compositor.log" 2>&1 &
elif [ "$case_name" = no-layer-shell ]; then
  # A compositor without layer-shell, and no X server: Weston, headless.
  weston --backend=headless-backend.so --socket=wayland-1 --width=640 --height=480 \
    --idle-time=0 --no-config >"$work/compositor.log" 2>&1 &
else
  cat > "$work/sway.conf" <<CONF
output HEADLESS-1 resolution 640x480
xwayland disable
default_border none
seat seat0 hide_cursor 100000
CONF
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/sway.conf" >"$work/compositor.log" 2>&1 &
fi
compositor_pid=$!
host_pid=
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
  pkill -P $$ 2>/dev/null || true
  kill "$compositor_pid" 2>/dev/null || true
  sleep 0.2
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do ls "$XDG_RUNTIME_DIR"/wayland-? >/dev/null 2>&1 && break; sleep 0.05; done
WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-? | head -1)")
export WAYLAND_DISPLAY
if [ "$case_name" != no-layer-shell ] && [ "$case_name" != kwin ]; then
  for _ in $(seq 100); do ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1 && break; sleep 0.05; done
  SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* | head -1)
  export SWAYSOCK
fi
export ZELKORA_PREFIX=$work/prefix ZELKORA_DESKTOP_HOST=0 QTWEBENGINE_DISABLE_SANDBOX=1

mkdir -p "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test"
apply() { "$build/tests/desktop_apply" "$@"; }
T='C:\App\Modules\T\Test'
apply install 'C:\App\'
. "$here/test_pages.sh"
start_host() {
  "$build/zelkora-desktop" 2>"$work/host.err" &
  host_pid=$!
}
# One pixel of an output, as RRGGBB: by grim (wlroots' screen copy), or on
# KWin by its own screenshot interface.
pixel() {
  if [ "$case_name" = kwin ]; then
    /usr/bin/python3 -c '
import dbus, os, sys
shot = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                      "org.kde.KWin.ScreenShot2")
r, w = os.pipe()
info = shot.CaptureActiveScreen({}, dbus.types.UnixFd(w))
os.close(w)
data = b"".join(iter(lambda: os.read(r, 1 << 20), b""))
at = int(sys.argv[2]) * int(info["stride"]) + int(sys.argv[1]) * 4
print("%02X%02X%02X" % (data[at + 2], data[at + 1], data[at]))' "$1" "$2" 2>/dev/null || true
    return
  fi
  # The whole output, cropped: grim's own region is not exact to the pixel.
  grim -o "${3:-HEADLESS-1}" -t ppm - 2>/dev/null |
    convert ppm:- -crop "1x1+$1+$2" -depth 8 rgb:- 2>/dev/null | od -An -tx1 | tr -d ' \n' | tr a-f A-F
}
expect_pixel() { # x y seconds RRGGBB [output]
  local got= end=$((SECONDS + $3))
  while [ $SECONDS -le $end ]; do
    got=$(pixel "$1" "$2" "${5:-HEADLESS-1}")
    near "$got" "$4" && return 0
    sleep 0.1
  done
  echo "FAIL: pixel $1,$2 of ${5:-HEADLESS-1} is $got, not $4" >&2
  grep -v '^$' "$work/host.err" >&2 || true
  grim -o "${5:-HEADLESS-1}" "/tmp/wayland-host-$case_name.png" 2>/dev/null || true
  exit 1
}
fills() { # width height RRGGBB output
  expect_pixel $(($1 / 2)) $(($2 / 2)) 20 "$3" "$4"
  for p in "0 0" "$(($1 - 1)) 0" "0 $(($2 - 1))" "$(($1 - 1)) $(($2 - 1))"; do
    expect_pixel ${p% *} ${p#* } 2 "$3" "$4"
  done
}
# A full-screen window (foot, grey) over the desktop for two seconds.
covered_for_a_while() {
  foot -o colors.background=808080 sleep 60 &
  local foot_pid=$!
  expect_pixel 320 240 10 808080
  swaymsg fullscreen enable >/dev/null
  sleep 2
  kill $foot_pid
}
ours_in_tree() { swaymsg -t get_tree | grep -c '"app_id": "zelkora\|"name": "Zelkora' || true; }

case $case_name in
layer)
  # The module fills the output on the background layer, is none of the
  # compositor's windows, shows a new apply at once, gives way to the classic
  # wallpaper with the Active Desktop off, and fills an output added later.
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills 640 480 FF0000 HEADLESS-1
  grep -q 'drawing on layer-shell' "$work/host.err" || { echo "FAIL: the host did not say it draws on layer-shell" >&2; exit 1; }
  [ "$(ours_in_tree)" = 0 ] || { echo "FAIL: the desktop is among the compositor's windows" >&2; exit 1; }
  echo blue > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 320 240 2 0000FF
  # With the Active Desktop off, the classic wallpaper: a 2 x 2 bitmap tiled
  # (red, green / blue, white).
  printf 'P3 2 2 255 255 0 0 0 128 0 0 0 255 255 255 255\n' | convert ppm:- "bmp3:$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/tile.bmp"
  apply classic "$T\tile.bmp" 0 1
  apply active-desktop off
  expect_pixel 1 0 5 008000
  expect_pixel 0 1 2 0000FF
  apply active-desktop on
  expect_pixel 320 240 5 0000FF
  # An output added later, at a fractional scale, is covered whole; taken
  # away (switched off), the desktop lives on on the first.
  swaymsg create_output >/dev/null
  swaymsg output HEADLESS-2 resolution 800x600 scale 1.5 >/dev/null
  fills 800 600 0000FF HEADLESS-2
  # Each output's page is drawn at that output's own scale, 1.5 pixels a
  # logical one on the second (green), 1 on the first (blue).
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRscale.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%"><script>
// As a page follows its window: at load, and when the window changes.
function paint() {
  document.body.style.background = {1: '#0000ff', 1.5: '#00ff00', 2: '#ffff00'}[devicePixelRatio] || '#ff0000';
}
paint();
onresize = paint;
</script></body></html>
HTML
  apply page "$T\ZKRscale.htm"
  expect_pixel 400 300 10 00FF00 HEADLESS-2
  expect_pixel 320 240 2 0000FF
  # A scale changed while the desktop runs: the page is drawn at the new
  # one (yellow at 2), and still covers the output whole.
  swaymsg output HEADLESS-2 scale 2 >/dev/null
  fills 800 600 FFFF00 HEADLESS-2
  expect_pixel 320 240 2 0000FF
  swaymsg output HEADLESS-2 disable >/dev/null
  sleep 1
  kill -0 "$host_pid" || { echo "FAIL: the host ended with an output" >&2; exit 1; }
  echo red > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 320 240 5 FF0000
  ;;
displays)
  # Every output by its name; one given a module of its own shows it and the
  # other keeps its page, unloaded; unplugged and plugged in again the output
  # shows its own again; its module gone, or forgotten, every output's.
  page Test red
  mkdir -p "$ZELKORA_PREFIX/drive_c/App/Modules/T/Other"
  page Other blue
  start_host
  apply page "$T\ZKRtest.htm"
  swaymsg create_output >/dev/null
  swaymsg output HEADLESS-1 position 0 0 >/dev/null
  swaymsg output HEADLESS-2 resolution 800x600 position 640 0 >/dev/null
  fills 800 600 FF0000 HEADLESS-2
  for _ in $(seq 50); do grep -q '^HEADLESS-2' "$ZELKORA_PREFIX/displays.seen" 2>/dev/null && break; sleep 0.1; done
  seen=$(grep -v '^#' "$ZELKORA_PREFIX/displays.seen" | tr '\t' ' ')
  [ "$seen" = $'HEADLESS-1 640 480 1 0 0\nHEADLESS-2 800 600 1 640 0' ] ||
    { echo "FAIL: the displays seen are: $seen" >&2; exit 1; }
  echo green > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt" # shown only if loaded again
  apply display HEADLESS-2 'C:\App\Modules\T\Other\ZKRtest.htm'
  fills 800 600 0000FF HEADLESS-2
  fills 640 480 FF0000 HEADLESS-1
  swaymsg output HEADLESS-2 disable >/dev/null
  sleep 1
  swaymsg output HEADLESS-2 enable >/dev/null
  fills 800 600 0000FF HEADLESS-2
  # Its module gone (uninstalled), the display shows every display's.
  apply display HEADLESS-2 'C:\App\Modules\T\Gone\ZKRtest.htm'
  fills 800 600 008000 HEADLESS-2
  apply display HEADLESS-2
  expect_pixel 400 300 2 008000 HEADLESS-2
  ;;
display-toyz)
  # The toyz are on the first output only: the second shows the module
  # without them, so a note is never shown twice.
  "$build/tools/zelkora-demo" >/dev/null
  swaymsg create_output >/dev/null
  swaymsg output HEADLESS-1 position 0 0 >/dev/null
  swaymsg output HEADLESS-2 resolution 640x480 position 640 0 >/dev/null
  start_host
  yellow() { local p; p=$(pixel 560 260 "$1"); [ ${#p} = 6 ] && [ $((16#${p:0:2})) -gt $((16#${p:4:2} + 60)) ]; }
  for _ in $(seq 300); do yellow HEADLESS-1 && break; sleep 0.1; done
  yellow HEADLESS-1 || { echo "FAIL: no note on the first output" >&2; grim "/tmp/wayland-host-$case_name.png"; exit 1; }
  sleep 2
  ! yellow HEADLESS-2 || { echo "FAIL: the note is on the second output too" >&2; grim "/tmp/wayland-host-$case_name.png"; exit 1; }
  [ "$(pixel 320 240 HEADLESS-2)" != 000000 ] || { echo "FAIL: the second output shows nothing" >&2; exit 1; }
  ;;
span)
  # One page across both outputs: its viewport is the rectangle that bounds
  # them, each output shows its own part, and the seam is continuous; at
  # scales 1 and 1.5 alike; an output plugged in, the page lies over it too.
  gradient_page
  swaymsg create_output >/dev/null
  swaymsg output HEADLESS-1 position 0 0 >/dev/null
  swaymsg output HEADLESS-2 resolution 800x600 position 640 0 >/dev/null
  start_host
  apply span
  apply page "$T\ZKRgradient.htm"
  shows() { # output x y (of the output, in its pixels) X Y (in the viewport) W H
    expect_pixel "$2" "$3" "${9:-20}" "$(gradient_at "$4" "$5" "$6" "$7")" "$1"
  }
  for at in "0 0" "639 0" "0 479" "639 479" "320 240"; do
    set -- $at; shows HEADLESS-1 $1 $2 $1 $2 1440 600
  done
  for at in "0 0" "799 0" "0 599" "799 599" "400 300"; do
    set -- $at; shows HEADLESS-2 $1 $2 $((640 + $1)) $2 1440 600
  done
  # At scale 1.5 the second output is 640x480 logical, its pixels 1.5 a point.
  swaymsg output HEADLESS-2 resolution 960x720 scale 1.5 >/dev/null
  shows HEADLESS-1 639 240 639 240 1280 480
  for at in "0 0" "959 0" "0 719" "959 719" "480 360"; do
    set -- $at; shows HEADLESS-2 $1 $2 $((640 + $1 * 2 / 3)) $(($2 * 2 / 3)) 1280 480
  done
  # An output plugged in: the page lies over it too.
  swaymsg create_output >/dev/null
  swaymsg output HEADLESS-3 resolution 640x480 position 1280 0 >/dev/null
  shows HEADLESS-1 639 240 639 240 1920 480
  shows HEADLESS-3 639 479 1919 479 1920 480
  ;;
kwin)
  # The same layer on KDE's compositor: the module fills the output and a
  # new apply shows at once; left without input, the session goes idle
  # (ext-idle-notify) and the desktop rests.
  export ZELKORA_IDLE_SECONDS=20
  page Test red
  start_host
  started=$SECONDS # the idle time counts from here: no input ever comes
  apply page "$T\ZKRtest.htm"
  fills 640 480 FF0000 Virtual-0
  grep -q 'drawing on layer-shell' "$work/host.err" || { echo "FAIL: the host did not say it draws on layer-shell" >&2; exit 1; }
  echo blue > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 320 240 2 0000FF
  busy_page
  apply page "$T\ZKRbusy.htm"
  # Shown is measured before the session goes idle, rested after.
  [ $((SECONDS - started)) -le $((ZELKORA_IDLE_SECONDS - 6)) ] ||
    { echo "FAIL: the desktop took $((SECONDS - started)) s to show its pages" >&2; exit 1; }
  shown=$(ticks_now)
  sleep $((started + ZELKORA_IDLE_SECONDS + 1 - SECONDS))
  rested=$(ticks_now)
  echo "CPU ticks in 2 s: shown $shown, the session idle $rested"
  [ "$rested" -le 6 ] || { echo "FAIL: the page still runs while the session is idle ($rested ticks)" >&2; exit 1; }
  [ "$shown" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the page never ran ($shown ticks)" >&2; exit 1; }
  ;;
windows)
  # An ordinary window covers the desktop and the desktop is back when it
  # goes; under a full-screen window the desktop rests, and runs again after.
  busy_page
  start_host
  apply page "$T\ZKRbusy.htm"
  expect_pixel 600 10 20 0000FF
  foot -o colors.background=808080 sleep 60 &
  foot_pid=$!
  expect_pixel 320 240 10 808080
  shown=$(ticks_now)
  swaymsg fullscreen enable >/dev/null
  rested=$(ticks_now)
  swaymsg fullscreen disable >/dev/null
  kill $foot_pid
  expect_pixel 320 240 10 0000FF
  again=$(ticks_now)
  echo "CPU ticks in 2 s: shown $shown, under a full-screen window $rested, after $again"
  [ "$rested" -le 6 ] || { echo "FAIL: the page still runs under a full-screen window ($rested ticks)" >&2; exit 1; }
  [ "$again" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the page did not run again ($again ticks)" >&2; exit 1; }
  ;;
wallpaper)
  # A Wallpaper Engine wallpaper on layer-shell: its settings in their own
  # form (tests/import/wallpapers: a cell of 100x100 pixels each), a change
  # without a reload, and a pause and its end under a full-screen window.
  "$build/tools/zelkora-demo" >/dev/null
  "$build/tools/zelkora-install" --yes "$here/../import/wallpapers/wallpaper-engine" >/dev/null 2>&1
  start_host
  "$build/zelkora" apply 'Test Wallpaper Engine Web' >/dev/null
  expect_pixel 50 50 20 003366
  expect_pixel 150 50 2 00FF00
  loaded=$(pixel 150 250)
  "$build/zelkora" set 'Test Wallpaper Engine Web' schemecolor=#ff8000 >/dev/null
  expect_pixel 50 50 5 FF8000
  [ "$(pixel 150 250)" = "$loaded" ] || { echo "FAIL: the page was loaded again" >&2; exit 1; }
  covered_for_a_while
  expect_pixel 250 150 10 FF00FF
  ;;
webgl)
  # A wallpaper that draws with WebGL (blue, red without it) gets it on
  # layer-shell too: OpenGL through EGL on the compositor's connection, made
  # only for such a page; the host starts anew without it for the next page.
  "$build/tools/zelkora-demo" >/dev/null
  "$build/tools/zelkora-install" --yes "$here/../import/wallpapers/webgl" >/dev/null 2>&1
  start_host
  "$build/zelkora" apply 'Test WebGL' >/dev/null
  fills 640 480 0000FF HEADLESS-1
  grep -q "and WebGL through OpenGL" "$work/host.err" || { echo "FAIL: no OpenGL for WebGL" >&2; cat "$work/host.err" >&2; exit 1; }
  # Hidden under a full-screen window the surface gets no frames: the host
  # must not wait for one, and answers the next change.
  covered_for_a_while
  expect_pixel 100 400 10 0000FF
  "$build/zelkora" apply 'Deep Blue' >/dev/null
  plain="drawing with the software renderer (the GPU is used when ZELKORA_GPU=1)$"
  for _ in $(seq 100); do grep -q "$plain" "$work/host.err" && break; sleep 0.2; done
  grep -q "$plain" "$work/host.err" || { echo "FAIL: the host kept OpenGL" >&2; cat "$work/host.err" >&2; exit 1; }
  sleep 3
  gl=$(cat /proc/"$host_pid"/task/*/comm 2>/dev/null | grep -c llvmpipe || true)
  [ "$gl" = 0 ] || { echo "FAIL: $gl OpenGL threads left in the host without WebGL" >&2; exit 1; }
  ;;
sticky-notes)
  # A click and typed text reach Sticky Notes, which stores them; a key
  # held down repeats.
  "$build/tools/zelkora-demo" >/dev/null
  start_host
  note=$ZELKORA_PREFIX/toy-data/Sticky\ Notes.json
  for _ in $(seq 200); do [ "$(pixel 600 180)" != 000000 ] && [ -n "$(pixel 600 180)" ] && break; sleep 0.1; done
  sleep 3
  # The note is the second toy along the right edge of a 640 x 480 output.
  "$build/tests/wayland_click" 560 240 640 480
  sleep 0.5
  wtype -s 1000 'milk'
  for _ in $(seq 30); do grep -q milk "$note" 2>/dev/null && break; sleep 0.1; done
  grep -q milk "$note" 2>/dev/null || { echo "FAIL: the typed note was not stored" >&2; grim "/tmp/wayland-host-$case_name.png"; cat "$work/host.err" >&2; exit 1; }
  # A key held down repeats, as the seat says.
  wtype -s 300 -P x -s 1200 -p x
  for _ in $(seq 30); do grep -q milkxxx "$note" 2>/dev/null && break; sleep 0.1; done
  grep -q milkxxx "$note" 2>/dev/null || { echo "FAIL: a key held down did not repeat" >&2; cat "$note" >&2; exit 1; }
  ;;
manager)
  # The Manager opens natively: a window of the compositor's own, with no
  # X server anywhere. It stays the same window once shown (the preview's
  # browser comes after it, and must not make it flicker out and back).
  # view NAME [floating]: the id of the Wayland window of that name, tiled or
  # floating (as a message box is), when there is one.
  view() { swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n, floating):
    if n.get("name") == sys.argv[1] and n.get("shell") == "xdg_shell" and floating >= (sys.argv[2] == "floating"):
        print(n["id"]); sys.exit(0)
    for c in n.get("nodes", []): walk(c, floating)
    for c in n.get("floating_nodes", []): walk(c, True)
walk(json.load(sys.stdin), False)
sys.exit(1)' "$1" "${2:-}"; }
  wait_view() { for _ in $(seq 200); do view "$@" && return 0; sleep 0.1; done; return 1; }
  "$build/tools/zelkora-demo" >/dev/null
  ZELKORA_DESKTOP_HOST=0 "$build/zelkora-manager" 2>"$work/manager.err" &
  manager=$!
  shown=$(wait_view 'Zelkora Manager') || { echo "FAIL: no Manager window on Wayland" >&2; cat "$work/manager.err" >&2; exit 1; }
  sleep 2
  [ "$(view 'Zelkora Manager' || true)" = "$shown" ] ||
    { echo "FAIL: the Manager's window was made again after it was shown" >&2; exit 1; }
  kill $manager
  # The installer's dialog, and a message box (the Manager's, with nothing
  # installed).
  "$build/tools/zelkora-install" "$(ls "$build"/demo-packages/*.zelkora | head -1)" >/dev/null 2>&1 &
  installer=$!
  wait_view 'Install a Zelkora package' >/dev/null || { echo "FAIL: no installer dialog" >&2; exit 1; }
  kill $installer
  ZELKORA_PREFIX=$work/none ZELKORA_DESKTOP_HOST=0 "$build/zelkora-manager" >/dev/null 2>&1 &
  manager=$!
  wait_view 'Zelkora Manager' floating >/dev/null || { echo "FAIL: no message box" >&2; exit 1; }
  kill $manager
  ;;
no-layer-shell)
  # Without layer-shell or an X server (GNOME without Xwayland) nothing of
  # Zelkora is a window: the module becomes a still at the output's size,
  # set as the user's wallpaper through GNOME's settings, which the user
  # gets back when the Active Desktop is switched off or Zelkora removed.
  export GSETTINGS_BACKEND=keyfile
  key=org.gnome.desktop.background
  gsettings set $key picture-uri 'file:///home/mine.png'
  gsettings set $key picture-uri-dark 'file:///home/mine-dark.png'
  "$build/tools/zelkora-demo" >/dev/null
  start_host
  # The two keys are set one after the other: a reader between the two sees
  # them differ, so each wait is for both.
  still() { # waits for the wallpaper, light and dark, to be a still other than $1
    local uri= dark=
    for _ in $(seq 300); do
      uri=$(gsettings get $key picture-uri)
      dark=$(gsettings get $key picture-uri-dark)
      case "$uri" in *"/still/desktop-"*) [ "$uri" != "$1" ] && [ "$dark" = "$uri" ] && break ;; esac
      sleep 0.1
    done
    case "$uri" in *"/still/desktop-"*) ;; *) echo "FAIL: the wallpaper is $uri, no still" >&2; cat "$work/host.err" >&2; exit 1 ;; esac
    [ "$dark" = "$uri" ] || { echo "FAIL: the dark wallpaper is $dark, not the still $uri" >&2; exit 1; }
    file=${uri#\'file://}; file=${file%\'}
    [ "$(identify -format %wx%h "$file")" = 640x480 ] || { echo "FAIL: the still is not the output's size" >&2; exit 1; }
    echo "$uri"
  }
  first=$(still none)
  grep -q 'drawing on a still on GNOME' "$work/host.err" || { echo "FAIL: the host did not say it draws a still" >&2; exit 1; }
  # Once the still is set nothing is left running: no page, no timer.
  sleep 2; a=$(ticks); sleep 20; idle=$(( $(ticks) - a ))
  echo "CPU ticks in 20 s on a still: $idle (under 0.5% of a core: 10)"
  [ "$idle" -le 10 ] || { echo "FAIL: the host's tree keeps running on a still ($idle ticks in 20 s)" >&2; exit 1; }
  [ "$(cat "$ZELKORA_PREFIX/desktop.note")" != "" ] || { echo "FAIL: no note for the Manager" >&2; exit 1; }
  "$build/zelkora" apply 'Autumn Leaves' >/dev/null
  second=$(still "$first")
  # A playlist steps the still as well: the host wakes at each step (the
  # first is the command's own).
  "$build/zelkora" rotate --every 2s 'Winter Frost' 'Autumn Leaves' >/dev/null
  third=$(still "$second")
  for _ in $(seq 100); do grep -q 'the playlist shows' "$work/host.err" && break; sleep 0.1; done
  grep -q 'the playlist shows' "$work/host.err" ||
    { echo "FAIL: the host did not take the playlist's next step on a still" >&2; exit 1; }
  still "$third" >/dev/null
  "$build/zelkora" rotate off >/dev/null
  apply active-desktop off
  mine() { [ "$(gsettings get $key picture-uri) $(gsettings get $key picture-uri-dark)" = "'file:///home/mine.png' 'file:///home/mine-dark.png'" ]; }
  for _ in $(seq 100); do mine && break; sleep 0.1; done
  mine || { echo "FAIL: the user's wallpaper, light and dark, was not given back" >&2; exit 1; }
  # Zelkora removed while no host runs (the session ended on a still): the
  # de-installer gives the user's wallpaper back, and leaves no still.
  apply active-desktop on
  still none >/dev/null
  kill "$host_pid"; wait "$host_pid" 2>/dev/null || true; host_pid=
  "$ZELKORA_PREFIX/drive_c/Program Files/Zelkora/uninstall.exe" /all
  mine || { echo "FAIL: removing Zelkora did not give the user's wallpaper back" >&2; exit 1; }
  ! ls "$ZELKORA_PREFIX/still" "$ZELKORA_PREFIX/gnome-wallpaper.txt" 2>/dev/null ||
    { echo "FAIL: removing Zelkora left the still behind" >&2; exit 1; }
  ;;
*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac
echo "ok: $case_name"
