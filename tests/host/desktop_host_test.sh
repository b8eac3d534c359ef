#!/usr/bin/env bash
# The desktop host on a real X server: what the Win32 calls apply is what the
# screen shows, read back pixel by pixel.
#   desktop_host_test.sh CASE BUILD_DIR
# Each case runs on an X server of its own (Xvfb; openbox where stacking
# matters).
set -euo pipefail
case_name=$1
build=$(cd "$2" && pwd)

# The tools the cases use, each named when it is missing.
for tool in Xvfb import convert display openbox xdotool xprop xset dbus-daemon; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: the screen tests need $tool, which is not installed; install the packages" \
         "of packages.txt (./run.sh does)" >&2
    exit 1
  }
done

work=$(mktemp -d)
# An X server of this case's own; it says which display it took, so that
# cases running side by side never share one.
screens=(-screen 0 640x480x24)
# Two screens: two X screens of one display, which Qt shows as two screens.
[ "$case_name" = two-screens ] || [ "$case_name" = renderer-ends ] && screens=(-screen 0 640x480x24 -screen 1 800x600x24)
if [ "$case_name" = monitors ] || [ "$case_name" = span ]; then
  # Two monitors of one X screen: Xorg's dummy driver (Xvfb has one output).
  command -v Xorg >/dev/null && [ "$(id -u)" = 0 ] || {
    echo "FAIL: two monitors of one X screen need Xorg with its dummy driver, run as root" \
         "(packages.txt has it; CI runs as root)" >&2; exit 1; }
  Xorg -displayfd 3 -config "$(cd "$(dirname "$0")/../support" && pwd)/xorg-dummy.conf" -noreset \
    -nolisten tcp -novtswitch -sharevts -logfile "$work/xorg.log" 3>"$work/display" 2>"$work/xvfb.err" &
else
  Xvfb -displayfd 3 -nolisten tcp -noreset +extension MIT-SCREEN-SAVER "${screens[@]}" 3>"$work/display" 2>"$work/xvfb.err" &
fi
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$work/display")
for _ in $(seq 100); do import -window root -crop 1x1+0+0 txt:- >/dev/null 2>&1 && break; sleep 0.05; done
unset WAYLAND_DISPLAY
export ZELKORA_PREFIX="$work/prefix"
export ZELKORA_DESKTOP_HOST=0 # only this script starts hosts, unless a case says otherwise
export QTWEBENGINE_DISABLE_SANDBOX=1
host_pid=
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
  pkill -P $$ 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  for pid in "$work/run/pulse/pid" "$work/bus.pid"; do
    [ -f "$pid" ] && kill "$(cat "$pid")" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test" "$ZELKORA_PREFIX/drive_c/App/Modules/T/Other"
apply() { "$build/tests/desktop_apply" "$@"; }
# The installation the pages belong to: two modules of one theme.
T='C:\App\Modules\T\Test' O='C:\App\Modules\T\Other'
apply install 'C:\App\'

. "$(dirname "$0")/test_pages.sh"
# Fails unless the page runs, rests under "$1", and runs again once it is lifted ("$2").
rests_under() {
  local shown rested again
  shown=$(ticks_now)
  eval "$1"
  rested=$(ticks_now)
  eval "$2"
  again=$(ticks_now)
  echo "CPU ticks in 2 s: shown $shown, under \"$1\" $rested, lifted $again"
  [ "$rested" -le 6 ] || { echo "FAIL: the page still runs under $1 ($rested ticks)" >&2; exit 1; }
  [ "$shown" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the page never ran ($shown ticks)" >&2; exit 1; }
  [ "$again" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the page did not wake after $1" >&2; exit 1; }
}
# The processes below the host, and its pages' renderers among them.
below() { local p; for p in $(pgrep -P "$1"); do echo "$p"; below "$p"; done; }
# (The browser's zygotes are the host's children; they fork the renderers.)
renderers() { local z; for z in $(pgrep -P "$host_pid"); do pgrep -P "$z"; done; true; }
# Waits up to $2 seconds for the host's standard error to say $1 ($3 times).
expect_said() {
  local end=$((SECONDS + ${2:-20}))
  while [ $SECONDS -le $end ]; do
    [ "$(grep -c "$1" "$work/host.err" 2>/dev/null)" -ge "${3:-1}" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the host never said \"$1\"" >&2; cat "$work/host.err" >&2; exit 1
}
# Whether the pixel at 320,240 changes within $1 seconds.
moves() {
  local first end=$((SECONDS + $1))
  first=$(pixel 320 240)
  while [ $SECONDS -le $end ]; do [ "$(pixel 320 240)" != "$first" ] && return 0; sleep 0.1; done
  return 1
}
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1 || true; }

# Waits up to $3 seconds (default 20) for the pixel at $1,$2 to be $4.
# DUMMY0 640x480 at 0,0 and DUMMY1 800x600 beside it.
two_monitors() {
  xrandr --newmode 800x600_60 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync
  xrandr --addmode DUMMY1 800x600_60
  xrandr --output DUMMY0 --mode 640x480 --pos 0x0 --output DUMMY1 --mode 800x600_60 --pos 640x0
}
# Waits up to $3 seconds for the pixel at $1,$2 to be near the colour $4 (#RRGGBB).
expect_near() {
  local got= end=$((SECONDS + $3))
  while [ $SECONDS -le $end ]; do
    got=$(pixel "$1" "$2")
    near "${got#\#}" "${4#\#}" && return 0
    sleep 0.1
  done
  expect_pixel "$1" "$2" 0 "$4"
}
expect_pixel() {
  local x=$1 y=$2 want=$4 limit=${3:-20} got=
  local end=$((SECONDS + limit))
  while [ $SECONDS -le $end ]; do
    got=$(pixel "$x" "$y")
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  echo "FAIL: pixel $x,$y is $got, not $want" >&2
  [ -n "$host_pid" ] && ! kill -0 "$host_pid" 2>/dev/null && echo "the host has ended" >&2
  grep -v "^$" "$work/host.err" >&2 2>/dev/null || true
  import -window root "/tmp/desktop-host-$case_name.png" 2>/dev/null || true
  exit 1
}

start_host() {
  ${HOST_WRAPPER:-} "$build/zelkora-desktop" 2>"$work/host.err" &
  host_pid=$!
}

fills_screen() { # every corner and the middle
  local w=$1 h=$2 c=$3 t=${4:-20}
  expect_pixel $((w / 2)) $((h / 2)) "$t" "$c"
  for p in "1 1" "$((w - 2)) 1" "1 $((h - 2))" "$((w - 2)) $((h - 2))"; do
    expect_pixel ${p% *} ${p#* } 3 "$c"
  done
}

RED='#FF0000' BLUE='#0000FF' GREEN='#008000'
case $case_name in
page-applied)
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  ;;
same-address)
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  echo blue > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  # Within a second of the apply (the first load above took the start-up).
  expect_pixel 320 240 2 $BLUE
  ;;
remove-then-apply)
  page Test red
  page Other green
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  apply remove-apply "$O\ZKRtest.htm"
  expect_pixel 320 240 2 $GREEN
  ;;
classic-tiled)
  # A 2 x 2 bitmap: red, green / blue, white.
  printf 'P3 2 2 255 255 0 0 0 128 0 0 0 255 255 255 255\n' | convert ppm:- "bmp3:$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/tile.bmp"
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  apply classic "$T\tile.bmp" 0 1
  apply active-desktop off
  expect_pixel 0 0 5 $RED
  expect_pixel 1 0 2 $GREEN
  expect_pixel 0 1 2 $BLUE
  expect_pixel 2 0 2 $RED
  expect_pixel 3 1 2 '#FFFFFF'
  expect_pixel 301 200 2 $GREEN
  # Centred: the picture's top left at ((640 - 2) / 2, (480 - 2) / 2), the
  # desktop's colour around it.
  apply classic "$T\tile.bmp" 0 0
  expect_pixel 319 239 5 $RED
  expect_pixel 320 240 2 '#FFFFFF'
  expect_pixel 318 239 2 '#3A6EA5'
  # Switched on again, the page is back.
  apply active-desktop on
  expect_pixel 320 240 5 $RED
  ;;
two-screens)
  page Test blue
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $BLUE
  display0=$DISPLAY
  export DISPLAY=$display0.1
  fills_screen 800 600 $BLUE 10
  export DISPLAY=$display0
  ;;
monitors)
  # Two RandR monitors of one X screen, named as X names them: one given a
  # page of its own shows it and the other keeps its page, unloaded; a
  # window over one monitor rests that monitor's page only; a page over its
  # budget is stopped on its monitor only.
  two_monitors
  corners() { # x y width height colour: the monitor's corners and middle
    expect_pixel $(($1 + $3 / 2)) $(($2 + $4 / 2)) 20 "$5"
    for p in "$1 $2" "$(($1 + $3 - 1)) $2" "$1 $(($2 + $4 - 1))" "$(($1 + $3 - 1)) $(($2 + $4 - 1))"; do
      expect_pixel ${p% *} ${p#* } 3 "$5"
    done
  }
  page Test red
  busy_page
  start_host
  apply page "$T\ZKRtest.htm"
  corners 0 0 640 480 $RED
  corners 640 0 800 600 $RED
  seen=$(grep -v '^#' "$ZELKORA_PREFIX/displays.seen" | tr '\t' ' ')
  [ "$seen" = $'DUMMY0 640 480 1 0 0\nDUMMY1 800 600 1 640 0' ] ||
    { echo "FAIL: the displays seen are: $seen" >&2; exit 1; }
  echo green > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt" # shown only if loaded again
  apply display DUMMY1 "$T\ZKRbusy.htm"
  expect_pixel 1000 300 20 '#0000FF'
  expect_pixel 1000 300 2 '#0000EE' # it moves
  corners 0 0 640 480 $RED
  convert -size 800x600 xc:'#808080' "$work/cover.png"
  rests_under 'display -geometry 800x600+640+0 "$work/cover.png" & cover=$!; sleep 1' 'kill $cover'
  # Over the other monitor, a window rests nothing that moves.
  display -geometry 640x480+0+0 "$work/cover.png" & cover=$!
  sleep 1
  [ "$(ticks_now)" -gt 10 ] || { echo "FAIL: a window over DUMMY0 rests DUMMY1's page" >&2; exit 1; }
  kill $cover
  # Each page is held to its budget on its own: the one over it is stopped,
  # and the other display keeps its module.
  kill $host_pid; wait $host_pid 2>/dev/null || true
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Other/ZKRhog.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%;background:#f00">
<script>setInterval(function () { var t = Date.now(); while (Date.now() - t < 95) {} }, 100);</script></body></html>
HTML
  apply display DUMMY1 "$O\ZKRhog.htm"
  ZELKORA_PAGE_BUDGET=50:4:1024 start_host
  expect_pixel 1000 300 20 $RED
  expect_pixel 1000 300 30 '#3A6EA5'
  expect_said "stopped the page .*ZKRhog.htm: .*% of a core" 5
  corners 0 0 640 480 $GREEN
  ;;
span)
  # One page across two RandR monitors: one window over the rectangle that
  # bounds them, the page's viewport that rectangle, each monitor its part,
  # continuous at the seam; it rests only when both monitors are covered.
  two_monitors
  gradient_page
  busy_page
  start_host
  apply span
  apply page "$T\ZKRgradient.htm"
  for at in "0 0" "639 0" "0 479" "639 479" "640 0" "1439 0" "640 599" "1439 599" "1000 300"; do
    set -- $at
    expect_near $1 $2 20 "#$(gradient_at $1 $2 1440 600)"
  done
  [ "$(xdotool search --onlyvisible --name '^Zelkora Desktop$' | wc -l)" = 1 ] ||
    { echo "FAIL: not one window across the monitors" >&2; exit 1; }
  apply page "$T\ZKRbusy.htm"
  expect_pixel 600 10 20 '#0000FF'
  convert -size 1440x600 xc:'#808080' "$work/cover.png"
  display -geometry 640x480+0+0 "$work/cover.png" & cover=$!
  sleep 1
  [ "$(ticks_now)" -gt 10 ] || { echo "FAIL: a window over one monitor rests the page across both" >&2; exit 1; }
  kill $cover
  rests_under 'display -geometry 1440x600+0+0 "$work/cover.png" & cover=$!; sleep 1' 'kill $cover'
  ;;
window-above)
  # Under a window manager: of the desktop type alone, in no task bar or
  # pager, below a window, and a click on it never lifts it above one.
  openbox >/dev/null 2>&1 &
  sleep 1
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  win=$(xdotool search --name '^Zelkora Desktop$' | while read -r w; do
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q DESKTOP && echo "$w"; done | head -1)
  [ -n "$win" ] || { echo "FAIL: no window of the desktop type" >&2; exit 1; }
  xprop -id "$win" _NET_WM_WINDOW_TYPE | grep -qx '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DESKTOP'
  xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR
  xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_PAGER
  convert -size 200x150 xc:'#00FF00' "$work/green.png"
  display -geometry +100+100 "$work/green.png" &
  expect_pixel 200 200 10 '#00FF00'
  xdotool mousemove 500 400 click 1
  sleep 1
  xdotool mousemove 20 450 click 1
  sleep 1
  expect_pixel 200 200 1 '#00FF00' # a click on the desktop leaves the window above it
  echo blue > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 20 400 5 $BLUE
  sleep 1
  expect_pixel 200 200 1 '#00FF00' # still above the desktop
  # The window manager restarts: the host lives on, still below the window.
  openbox --replace >/dev/null 2>&1 &
  sleep 2
  kill -0 "$host_pid" || { echo "FAIL: the host ended with the window manager" >&2; exit 1; }
  echo red > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 20 400 5 $RED
  convert -size 150x100 xc:'#FFFF00' "$work/yellow.png"
  display -geometry +400+300 "$work/yellow.png" &
  expect_pixel 470 350 10 '#FFFF00'
  ;;
second-host)
  # The session's host waits with nothing to show while the menu's first run
  # sets Zelkora up, moving a whole new prefix into place: the host shows its
  # module, and stays the one host.
  start_host
  sleep 2
  "$build/tools/zelkora-demo" >/dev/null
  for _ in $(seq 300); do [ "$(pixel 320 240)" != '#000000' ] && break; sleep 0.1; done
  [ "$(pixel 320 240)" != '#000000' ] || { echo "FAIL: the set-up's module is not shown" >&2; exit 1; }
  start=$SECONDS
  timeout 20 "$build/zelkora-desktop"
  [ $((SECONDS - start)) -le 5 ] || { echo "FAIL: the second host took too long" >&2; exit 1; }
  kill -0 "$host_pid" || { echo "FAIL: the first host ended" >&2; exit 1; }
  grep -q "^desktop host: running on" <<<"$("$build/tools/zelkora-shell" show)"
  ;;
garbage-state)
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  head -c 4000 /dev/urandom > "$ZELKORA_PREFIX/shell.ini"
  sleep 1.5
  rm -f "$ZELKORA_PREFIX/registry.reg"
  sleep 1
  printf 'not a registry\n' > "$ZELKORA_PREFIX/registry.reg"
  sleep 1
  kill -0 "$host_pid" || { echo "FAIL: the host ended" >&2; cat "$work/host.err" >&2; exit 1; }
  rm -f "$ZELKORA_PREFIX/shell.ini" "$ZELKORA_PREFIX/registry.reg"
  apply install 'C:\App\' # the installation's settings went with the registry
  echo green > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/color.txt"
  apply page "$T\ZKRtest.htm"
  expect_pixel 320 240 5 $GREEN
  ;;
failed-page)
  printf 'P3 1 1 255 255 255 0\n' | convert ppm:- "bmp3:$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/y.bmp"
  start_host
  apply classic "$T\y.bmp" 2 0
  apply page "$T\missing.htm"
  expect_pixel 320 240 10 '#FFFF00' # stretched
  expect_said "missing.htm does not exist" 5
  ;;
hostile-stays)
  # A module that tries to leave, open windows and dialogs: it stays on the desktop.
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRtest.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%;background:#f00">
<script>
alert('x'); window.open('https://example.org/');
setTimeout(function () { location.href = 'http://127.0.0.1:9/'; }, 500);
setTimeout(function () { location.href = 'file:///etc/passwd'; }, 1000);
</script></body></html>
HTML
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  sleep 2
  expect_pixel 320 240 1 $RED
  expect_said "refused to go to http://127.0.0.1:9/" 5
  expect_said "refused an alert" 5
  ;;
bad-module)
  # A module folder that is a link to elsewhere, and a page outside the
  # installation: the classic wallpaper, and why.
  printf 'P3 1 1 255 255 255 0\n' | convert ppm:- "bmp3:$ZELKORA_PREFIX/drive_c/y.bmp"
  mkdir -p "$work/elsewhere"
  echo '<body style="background:#f00">' > "$work/elsewhere/ZKRx.htm"
  ln -s "$work/elsewhere" "$ZELKORA_PREFIX/drive_c/App/Modules/T/Linked"
  cp "$work/elsewhere/ZKRx.htm" "$ZELKORA_PREFIX/drive_c/ZKRout.htm"
  start_host
  apply classic 'C:\y.bmp' 2 0
  apply page 'C:\App\Modules\T\Linked\ZKRx.htm'
  expect_pixel 320 240 10 '#FFFF00'
  apply page 'C:\ZKRout.htm'
  sleep 1
  expect_pixel 320 240 5 '#FFFF00'
  expect_said "Linked/ZKRx.htm lies outside the installation" 5
  expect_said "ZKRout.htm lies outside the installation" 5
  ;;
budget-cpu|budget-memory|budget-storage)
  # Over its budget (here a small one) a page is stopped: the classic
  # wallpaper, the reason on standard error and in zelkora-shell show. The
  # next change applied tries again.
  if [ "$case_name" = budget-cpu ]; then
    export ZELKORA_PAGE_BUDGET=50:4:1024
    work_js='setInterval(function () { var t = Date.now(); while (Date.now() - t < 95) {} }, 100);'
    why='% of a core'
  elif [ "$case_name" = budget-memory ]; then
    export ZELKORA_PAGE_BUDGET=50:30:300
    work_js='var keep = []; setTimeout(function () { for (var i = 0; i < 40; i++) keep.push(new Float64Array(1 << 20).fill(i)); }, 3000);'
    why='MB of memory'
  else
    # What a page stores is kept by the browser in the host itself: it counts.
    export ZELKORA_PAGE_BUDGET=50:30:300
    work_js='setTimeout(function () { var o = indexedDB.open("x", 1);
      o.onupgradeneeded = function () { o.result.createObjectStore("s"); };
      o.onsuccess = function () { var n = 0; (function put() { if (n >= 64) return;
        var t = o.result.transaction("s", "readwrite"); t.objectStore("s").put(new Uint8Array(8 << 20), n++);
        t.oncomplete = put; })(); }; }, 3000);'
    why='MB of memory'
  fi
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRhog.htm" <<HTML
<!doctype html><html style="height:100%"><body style="margin:0;height:100%;background:#f00">
<script>$work_js</script></body></html>
HTML
  page Other green
  start_host
  apply page "$T\ZKRhog.htm"
  expect_pixel 320 240 20 $RED
  expect_pixel 320 240 30 '#3A6EA5'
  expect_said "stopped the page .*ZKRhog.htm: .*$why" 5
  grep -q "^desktop page: stopped, .*ZKRhog.htm" <<<"$("$build/tools/zelkora-shell" show)"
  apply page "$O\ZKRtest.htm"
  expect_pixel 320 240 10 $GREEN
  if grep -q "^desktop page" <<<"$("$build/tools/zelkora-shell" show)"; then
    echo "FAIL: the page is still said to be stopped" >&2
    exit 1
  fi
  ;;
paused-causes)
  # Each thing that hides the desktop rests the page, and lifting it wakes
  # the page: two windows that cover the screen together, the screen saver,
  # the battery (UPower, mocked) when the user chose that, and GNOME's idle
  # session (its idle monitor, mocked).
  dbus-daemon --session --fork --print-address=3 3>"$work/bus"
  export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$work/bus")
  /usr/bin/python3 -m dbusmock --system --template upower >/dev/null 2>&1 &
  battery() {
    /usr/bin/python3 -c "import dbus, sys; b = dbus.bus.BusConnection('$DBUS_SYSTEM_BUS_ADDRESS')
b.get_object('org.freedesktop.UPower', '/org/freedesktop/UPower').UpdateProperties(
    'org.freedesktop.UPower', {'OnBattery': dbus.Boolean(sys.argv[1] == '1')},
    dbus_interface='org.freedesktop.DBus.Mock')" "$1"
  }
  for _ in $(seq 50); do battery 0 2>/dev/null && break; sleep 0.1; done
  # GNOME's idle monitor (mocked) on the session bus: the same bus here.
  export DBUS_SESSION_BUS_ADDRESS=$DBUS_SYSTEM_BUS_ADDRESS
  /usr/bin/python3 -m dbusmock org.gnome.Mutter.IdleMonitor /org/gnome/Mutter/IdleMonitor/Core \
    org.gnome.Mutter.IdleMonitor >/dev/null 2>&1 &
  idle_monitor() { # a script run with the mock as m
    /usr/bin/python3 -c "import dbus; b = dbus.bus.BusConnection('$DBUS_SESSION_BUS_ADDRESS')
m = dbus.Interface(b.get_object('org.gnome.Mutter.IdleMonitor', '/org/gnome/Mutter/IdleMonitor/Core'), 'org.freedesktop.DBus.Mock')
$1"
  }
  for _ in $(seq 50); do idle_monitor "m.AddMethod('', 'AddIdleWatch', 't', 'u', 'ret = dbus.UInt32(7)')
m.AddMethod('', 'AddUserActiveWatch', '', 'u', 'ret = dbus.UInt32(8)')" 2>/dev/null && break; sleep 0.1; done
  gnome_watch() { idle_monitor "m.EmitSignal('org.gnome.Mutter.IdleMonitor', 'WatchFired', 'u', [dbus.UInt32($1)])"; }
  apply setting INIFilePath 'C:\App\'
  apply setting INIFileName zelkora.ini
  "$build/tools/zelkora-shell" pause-on-battery on
  busy_page
  start_host
  apply page "$T\ZKRbusy.htm"
  sleep 3
  convert -size 640x300 xc:gray "$work/top.png"
  convert -size 640x180 xc:gray "$work/bottom.png"
  rests_under 'display -geometry 640x300+0+0 "$work/top.png" & a=$!; display -geometry 640x180+0+300 "$work/bottom.png" & b=$!' \
              'kill $a $b'
  rests_under 'xset s activate' 'xset s reset'
  rests_under 'battery 1' 'battery 0'
  rests_under 'gnome_watch 7' 'gnome_watch 8'
  # GNOME's Shell, through the Zelkora extension (as it calls the host): a
  # window over the monitor (named otherwise than here, at its place), then
  # the overview; a window over another monitor changes nothing.
  gnome_cover() {
    gdbus call --session --dest io.zelkora.Desktop --object-path /io/zelkora/Desktop \
      --method io.zelkora.Desktop.Cover.Covered "$1" "$2" >/dev/null
  }
  rests_under "gnome_cover \"['DP-1 0 0 640 480']\" false" "gnome_cover '@as []' false"
  rests_under "gnome_cover '@as []' true" "gnome_cover '@as []' false"
  gnome_cover "['DP-2 640 0 640 480']" false
  [ "$(ticks_now)" -gt 10 ] || { echo "FAIL: the page rests under a window on another monitor" >&2; exit 1; }
  gnome_cover '@as []' false
  # Without the user's choice the battery changes nothing.
  "$build/tools/zelkora-shell" pause-on-battery off
  battery 1
  [ "$(ticks_now)" -gt 10 ] || { echo "FAIL: the page rests on battery unasked" >&2; exit 1; }
  ;;
gnome-extension)
  # GNOME's Shell (mocked) without the Zelkora extension: the host says once
  # how to turn it on, on standard error and to the Manager; the extension's
  # first word takes the note back.
  dbus-daemon --session --fork --print-address=3 3>"$work/bus"
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
  /usr/bin/python3 -m dbusmock org.gnome.Shell /org/gnome/Shell \
    org.gnome.Shell.Extensions >/dev/null 2>&1 &
  for _ in $(seq 50); do /usr/bin/python3 -c "import dbus; b = dbus.bus.BusConnection('$DBUS_SESSION_BUS_ADDRESS')
dbus.Interface(b.get_object('org.gnome.Shell', '/org/gnome/Shell'), 'org.freedesktop.DBus.Mock').AddMethod(
    '', 'GetExtensionInfo', 's', 'a{sv}', 'ret = {}')" 2>/dev/null && break; sleep 0.1; done
  page Test red
  start_host
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  note="Turn on the Zelkora extension in GNOME's Extensions to let the desktop rest under windows."
  [ "$(grep -c "$note" "$work/host.err")" = 1 ] || { echo "FAIL: the note was not said once" >&2; cat "$work/host.err" >&2; exit 1; }
  [ "$(cat "$ZELKORA_PREFIX/desktop.note")" = "$note" ] || { echo "FAIL: no note for the Manager" >&2; exit 1; }
  gdbus call --session --dest io.zelkora.Desktop --object-path /io/zelkora/Desktop \
    --method io.zelkora.Desktop.Cover.Covered '@as []' false >/dev/null
  [ -z "$(cat "$ZELKORA_PREFIX/desktop.note" 2>/dev/null)" ] || { echo "FAIL: the note stays with the extension on" >&2; exit 1; }
  ;;
idle-until-asked)
  # With nothing of Zelkora's to show, the host shows nothing and starts no
  # browser; a page applied shows; the Active Desktop switched off with no
  # classic wallpaper set, its windows go and the screen is the user's again.
  page Test red
  start_host
  sleep 3
  if xdotool search --onlyvisible --name '^Zelkora Desktop$' >/dev/null; then
    echo "FAIL: a window with nothing to show" >&2; exit 1
  fi
  pgrep -P "$host_pid" >/dev/null && { echo "FAIL: a browser with nothing to show" >&2; exit 1; }
  expect_pixel 320 240 1 '#000000'
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED
  apply active-desktop off
  expect_pixel 320 240 5 '#000000'
  apply active-desktop on
  expect_pixel 320 240 10 $RED
  ;;
render-path)
  # Software by default; the GPU when asked, but not on a software OpenGL
  # (Xvfb's is Mesa's llvmpipe); forced, the pixels are the same through GL.
  page Test red
  apply page "$T\ZKRtest.htm"
  for gpu in "" 1 force; do
    ZELKORA_GPU=$gpu start_host
    fills_screen 640 480 $RED
    case $gpu in
      "") grep -q "drawing with the software renderer (the GPU is used when ZELKORA_GPU=1)" "$work/host.err" ;;
      1) grep -q "drawing with the software renderer: the GPU was asked for, but OpenGL is .*llvmpipe" "$work/host.err" ;;
      force) grep -q "drawing with the GPU (OpenGL: .*llvmpipe" "$work/host.err" ;;
    esac || { echo "FAIL: ZELKORA_GPU=$gpu drew another way:" >&2; grep drawing "$work/host.err" >&2; exit 1; }
    kill "$host_pid"; wait "$host_pid" 2>/dev/null || true
    host_pid=
  done
  ;;
autostart)
  page Test red
  export ZELKORA_DESKTOP_HOST=1 ZELKORA_DESKTOP_PROGRAM="$build/zelkora-desktop"
  apply page "$T\ZKRtest.htm"
  fills_screen 640 480 $RED 30
  grep -q "^desktop host: running on" <<<"$("$build/tools/zelkora-shell" show)"
  # Only the host of this case's prefix: other cases may run beside it.
  for pid in $(pgrep -f "$build/zelkora-desktop"); do
    grep -qx "ZELKORA_PREFIX=$ZELKORA_PREFIX" <<<"$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ")" &&
      kill "$pid"
  done
  ;;
quick-modules)
  # Modules made from a picture, a video, a page with its stylesheet and a
  # web address, each on the desktop with a bound toy on it.
  "$build/tools/zelkora-demo" >/dev/null
  app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
  printf '&myFav1=Clock&\r\n' >"$app/ZelToyz/ZelToyz.txt"
  convert -size 64x64 xc:'#FF0000' "$work/red.png"
  mkdir -p "$work/site" "$work/made"
  printf '<!doctype html><link rel="stylesheet" href="look.css"><body></body>\n' >"$work/made/blue.html"
  printf 'html, body { height: 100%%; margin: 0; background: #0000FF; }\n' >"$work/made/look.css"
  printf '<!doctype html><body style="margin:0;height:100vh;background:#FF00FF"></body>\n' >"$work/site/index.html"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server --bind 127.0.0.1 --directory "$work/site" "$port" >/dev/null 2>&1 &
  start_host
  show() { # install SOURCE-OPTION SOURCE NAME, then apply the module made, by its name
    "$build/tools/zelkora-install" --yes --name "$3" "$1" "$2" >"$work/install.out" 2>&1 ||
      { cat "$work/install.out" >&2; exit 1; }
    "$build/zelkora" apply "$3" >/dev/null
  }
  toy_shown() { # the toy's frame in the first place on the right, over the module
    local end=$((SECONDS + 20)) got
    while [ $SECONDS -le $end ]; do
      got=$(pixel 530 60)
      [ -n "$got" ] && [ "$got" != "$1" ] && return 0
      sleep 0.2
    done
    echo "FAIL: no toy over the module $1" >&2
    import -window root "/tmp/desktop-host-$case_name.png" 2>/dev/null || true
    exit 1
  }
  show --picture "$work/red.png" Red
  expect_pixel 100 240 30 $RED
  toy_shown $RED
  # Made again from a changed picture, the module on the desktop is upgraded and shown anew.
  convert -size 64x64 xc:'#FFFF00' "$work/red.png"
  "$build/tools/zelkora-install" --yes --name Red --picture "$work/red.png" >"$work/install.out" 2>&1
  grep -q "Red is upgraded" "$work/install.out"
  expect_pixel 100 240 10 '#FFFF00'
  show --page "$work/made/blue.html" Blue
  expect_pixel 100 240 20 $BLUE
  toy_shown $BLUE
  show --address "http://127.0.0.1:$port/" Site
  expect_pixel 100 240 20 '#FF00FF'
  toy_shown '#FF00FF'
  show --video "$(dirname "$0")/green.webm" Green
  end=$((SECONDS + 20))
  until [[ $(pixel 100 240) =~ ^#[0-3][0-9A-F][A-F][0-9A-F][0-3][0-9A-F]$ ]]; do
    [ $SECONDS -le $end ] || { echo "FAIL: the video is not shown: $(pixel 100 240)" >&2; exit 1; }
    sleep 0.2
  done
  toy_shown "$(pixel 100 240)"
  # From the command to the page on the screen.
  start=$(date +%s%N)
  "$build/zelkora" apply "My Desktop/Blue" >/dev/null
  expect_pixel 100 240 20 $BLUE
  echo "zelkora apply: the page on the screen $(( ($(date +%s%N) - start) / 1000000 )) ms after the command"
  # The address module's site had the network; the demo's pages still have none.
  grep "blocked http" "$work/host.err" >&2 && { echo "FAIL: a request was blocked" >&2; exit 1; }
  ;;
package-opened)
  # A package opened as the file manager opens it: the installer's window
  # comes up on the screen, and its Install button installs the module.
  "$build/tools/zelkora-demo" >/dev/null
  app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
  "$build/tools/zelkora-catalogue" remove-module "$app/Data/Zelkora.mdb" Autumn
  "$app/Modules/Seasons/Autumn/setup.exe" /uninst
  "$build/tools/zelkora-install" "$build/demo-packages/Autumn.zelkora" >"$work/install.out" 2>&1 &
  installer=$!
  win=
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name '^Install a Zelkora package$' 2>/dev/null | head -1) || true
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "FAIL: the installer shows no window" >&2; cat "$work/install.out" >&2; exit 1; }
  sleep 1 # the window settles (Qt may map it anew)
  win=$(xdotool search --onlyvisible --name '^Install a Zelkora package$' | head -1)
  xdotool windowfocus --sync "$win" key Return # Install is the default button
  for _ in $(seq 100); do
    [ -f "$app/Modules/Seasons/Autumn/ZKRAutumn.htm" ] && break
    sleep 0.1
  done
  grep -q "^tblModules	Autumn	Seasons	Autumn Leaves" <<<"$("$build/tools/zelkora-catalogue" list "$app/Data/Zelkora.mdb" modules)" ||
    { echo "FAIL: the module was not installed" >&2; cat "$work/install.out" >&2; exit 1; }
  xdotool key Escape
  wait "$installer" || true
  ;;
renderer-ends)
  # A renderer that ends is replaced at once, the page shown again; one that
  # ends three times within two minutes is given up for the classic
  # wallpaper, with the reason, until the next change applied.
  page Test red
  apply page "$T\ZKRtest.htm"
  start_host
  fills_screen 640 480 $RED
  for round in 1 2; do
    start=$(date +%s%N)
    kill -9 $(renderers)
    expect_said "the page is loaded again" 10 "$round"
    fills_screen 640 480 $RED
    [ "$(grep -c "the page is loaded again" "$work/host.err")" -eq "$round" ] || {
      echo "FAIL: one end told more than once" >&2; cat "$work/host.err" >&2; exit 1; }
    echo "round $round: the page back after $(( ($(date +%s%N) - start) / 1000000 )) ms"
  done
  kill -9 $(renderers)
  expect_said "gave up the page .*ended 3 times within 2 minutes" 10
  fills_screen 640 480 '#3A6EA5'
  grep -q "ended 3 times within 2 minutes" <<<"$("$build/tools/zelkora-shell" show)" ||
    { echo "FAIL: zelkora-shell show does not say why" >&2; exit 1; }
  apply page "$T\ZKRtest.htm" # the next change tries again
  fills_screen 640 480 $RED
  ;;
host-killed)
  # The desktop kept running: a host killed comes back by itself, with no
  # change applied; a host ended on purpose stays ended.
  page Test red
  apply page "$T\ZKRtest.htm"
  "$build/zelkora-desktop" --keep-running 2>"$work/host.err" &
  keeper=$!
  fills_screen 640 480 $RED 30
  host_pid=$(pgrep -P "$keeper")
  start=$(date +%s%N)
  kill -9 "$host_pid"
  expect_pixel 320 240 10 '#000000'
  expect_said "the desktop host was killed by signal 9 (Killed); it is started again" 10
  fills_screen 640 480 $RED 30
  echo "the desktop back $(( ($(date +%s%N) - start) / 1000000 )) ms after the kill"
  host_pid=$(pgrep -P "$keeper")
  kill "$host_pid"
  for _ in $(seq 50); do kill -0 "$keeper" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$keeper" 2>/dev/null || { echo "FAIL: the keeper outlived a host ended on purpose" >&2; exit 1; }
  host_pid=
  ;;
stopped-and-continued)
  # A machine that slept (here: the host's whole tree stopped for 20 s) has
  # its page moving again within a few seconds of waking, and the page's
  # timers woken (its wake() turns the corner green).
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRtest.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%;animation:c 0.5s steps(2) infinite">
<style>@keyframes c { from { background: #f00 } to { background: #00f } }
#w { position: fixed; left: 0; top: 0; width: 100px; height: 100px }</style><div id="w"></div>
<script>window.Zelkora = { wake: function () { document.getElementById('w').style.background = '#0f0'; } };</script>
</body></html>
HTML
  apply page "$T\ZKRtest.htm"
  start_host
  for _ in $(seq 100); do case $(pixel 320 240) in '#FF0000'|'#0000FF') break ;; esac; sleep 0.1; done
  moves 3 || { echo "FAIL: the page does not move" >&2; exit 1; }
  tree="$host_pid $(below "$host_pid")"
  kill -STOP $tree
  sleep 20
  kill -CONT $tree
  start=$(date +%s%N)
  moves 5 || { echo "FAIL: the page does not move after the stop" >&2; exit 1; }
  echo "moving again $(( ($(date +%s%N) - start) / 1000000 )) ms after the continue"
  expect_pixel 50 50 3 '#00FF00'
  echo "its timers woken $(( ($(date +%s%N) - start) / 1000000 )) ms after the continue"
  ;;
playlist)
  # A playlist changes the desktop by itself, two modules in turn every 2 s,
  # through the Active Desktop (zelkora list names the one shown); off stops it.
  "$build/tools/zelkora-demo" >/dev/null
  for colour in Red:FF0000 Blue:0000FF; do
    convert -size 64x64 "xc:#${colour#*:}" "$work/${colour%:*}.png"
    "$build/tools/zelkora-install" --yes --name "${colour%:*}" --picture "$work/${colour%:*}.png" >/dev/null
  done
  start_host
  "$build/zelkora" rotate --every 2s Red Blue >/dev/null
  expect_pixel 100 240 20 $RED
  expect_pixel 100 240 10 $BLUE
  expect_pixel 100 240 10 $RED
  "$build/zelkora" rotate off >/dev/null
  sleep 1 # a step under way when it was switched off
  shown=$(pixel 100 240)
  sleep 5
  [ "$(pixel 100 240)" = "$shown" ] || { echo "FAIL: the playlist went on after off" >&2; exit 1; }
  case $shown in $RED) name=Red ;; $BLUE) name=Blue ;; *) name="neither ($shown)" ;; esac
  grep -qx "\* My Desktop/$name" <<<"$("$build/zelkora" list)" || { echo "FAIL: the shell does not name the module shown, $name" >&2; exit 1; }
  ;;
properties)
  # zelkora set changes what the page shows at once, without loading it
  # again: the page turns its corner white 3 s after it loaded, and the
  # corner stays white through the change. An upgrade keeps the value.
  "$build/tools/zelkora-demo" >/dev/null
  module() { # version, the default colour
    rm -rf "$work/item" && mkdir -p "$work/item"
    cat > "$work/item/zelkora.json" <<JSON
{"kind": "module", "key": "Tint", "name": "Tint", "version": "$1", "page": "ZKRTint.htm",
 "theme": {"key": "Test", "name": "Test"},
 "properties": [{"name": "colour", "type": "color", "label": "Colour", "default": "$2"}]}
JSON
    cat > "$work/item/ZKRTint.htm" <<'HTML'
<!doctype html><html style="height:100%"><head><script src="../../../zelkora.js"></script></head>
<body style="margin:0;height:100%"><div id="c" style="position:fixed;left:0;top:0;width:40px;height:40px;background:#000"></div>
<script>
setTimeout(function () { document.getElementById('c').style.background = '#fff'; }, 3000);
Zelkora.onProperties(function (p) { document.body.style.background = p.colour; });
</script></body></html>
HTML
    "$build/tools/zelkora-install" --pack "$work/item" "$work/tint.zelkora" >/dev/null
    "$build/tools/zelkora-install" --yes "$work/tint.zelkora" >/dev/null
  }
  module 1.0 '#ff0000'
  start_host
  "$build/zelkora" apply Tint >/dev/null
  expect_pixel 320 240 20 $RED
  expect_pixel 10 10 10 '#FFFFFF'
  start=$(date +%s%N)
  "$build/zelkora" set Tint colour=#0000ff >/dev/null
  expect_pixel 320 240 5 $BLUE
  echo "shown $(( ($(date +%s%N) - start) / 1000000 )) ms after zelkora set"
  [ "$(pixel 10 10)" = '#FFFFFF' ] || { echo "FAIL: the page was loaded again" >&2; exit 1; }
  # Refused values change nothing.
  "$build/zelkora" set Tint colour=blue 2>/dev/null && { echo "FAIL: a colour that is no #rrggbb was taken" >&2; exit 1; }
  [ "$("$build/zelkora" get Tint)" = 'colour=#0000ff' ] || { echo "FAIL: a refused value was stored" >&2; exit 1; }
  module 1.1 '#00ff00'
  "$build/zelkora" apply Tint >/dev/null
  expect_pixel 320 240 20 $BLUE
  ;;
wallpaper-lively | wallpaper-engine)
  # A wallpaper of each program's own format (tests/import/wallpapers) paints
  # each setting it receives in a cell of 100x100 pixels: the stored values
  # in their program's forms from the first frame, a change without a reload
  # (cell 9 keeps the colour drawn at load), a pause and its end when a
  # full-screen window covers the desktop (cell 6 turns magenta).
  cell() { pixel $((50 + 100 * ($1 % 4))) $((50 + 100 * ($1 / 4))); }
  expect_cell() { expect_pixel $((50 + 100 * ($1 % 4))) $((50 + 100 * ($1 / 4))) "$2" "$3"; }
  "$build/tools/zelkora-demo" >/dev/null
  wallpapers=$(dirname "$0")/../import/wallpapers
  if [ "$case_name" = wallpaper-lively ]; then
    name='Test Lively Web'
    env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/lively" >/dev/null 2>&1
    "$build/zelkora" set "$name" sea=#112233 weather=Snow >/dev/null
    # sea as #RRGGBB, weather as its index, sun, grey, backdrop as folder\file,
    # ink as a text; a file named Images\Dot.PNG; every way out refused.
    first=(0 '#112233' 1 $BLUE 2 '#00FF00' 3 '#808080' 4 $BLUE 5 '#808000' 7 '#FFFF00' 8 '#00FF00')
    change=(backdrop=a.png grey=255 sun=false)
    changed=(4 '#FF00FF' 3 '#FFFFFF' 2 $RED)
  else
    name='Test Wallpaper Engine Web'
    env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/wallpaper-engine" >/dev/null 2>&1
    "$build/zelkora" set "$name" weather=Storm >/dev/null
    # schemecolor "0 0.2 0.4", weather as its option's value (the number 2),
    # sun, grey, ink, the frame rate.
    first=(0 '#003366' 1 $BLUE 2 '#00FF00' 3 '#808080' 5 '#808000' 10 '#00FF00')
    change=(schemecolor=#ff8000 ink=teal weather=Calm)
    changed=(0 '#FF8000' 5 '#008080' 1 '#00FF00')
  fi
  start_host
  "$build/zelkora" apply "$name" >/dev/null
  for ((i = 0; i < ${#first[@]}; i += 2)); do expect_cell "${first[i]}" 20 "${first[i + 1]}"; done
  loaded=$(cell 9)
  "$build/zelkora" set "$name" "${change[@]}" >/dev/null
  for ((i = 0; i < ${#changed[@]}; i += 2)); do expect_cell "${changed[i]}" 5 "${changed[i + 1]}"; done
  [ "$(cell 9)" = "$loaded" ] || { echo "FAIL: the page was loaded again" >&2; exit 1; }
  expect_cell 6 1 '#000000'
  convert -size 640x480 xc:gray "$work/cover.png"
  display -geometry 640x480+0+0 "$work/cover.png" & cover=$!
  expect_pixel 500 400 10 '#7E7E7E'
  sleep 2
  kill $cover
  expect_cell 6 10 '#FF00FF'
  ;;
sound | sound-server)
  # Pages hear what the computer plays, from a sound server of the test's own
  # (a null output): a 440 Hz tone on the left and 3 kHz on the right land
  # in their bands (green), then the page gets zeros once (blue) and nothing
  # more (not magenta), and the recording rests (corked). In our modules'
  # form, and in both imported ones (their cell 11).
  . "$(dirname "$0")/../support/sound_server.sh"
  sound_server
  hearing_module() { # name, its "audio" declaration
    rm -rf "$work/item" && mkdir -p "$work/item"
    cat > "$work/item/zelkora.json" <<JSON
{"kind": "module", "key": "$1", "name": "$1", "version": "1", "page": "ZKR$1.htm",
 "theme": {"key": "Test", "name": "Test"}, "audio": $2}
JSON
    sed -n '/^  var zeros = 0;/,/^  }$/p' "$(dirname "$0")/../import/wallpapers/lively/index.html" > "$work/hear.js"
    { echo '<!doctype html><html><head><script src="../../../zelkora.js"></script></head>'
      echo '<body style="margin:0;height:100vh;background:#000"><script>'
      echo 'function paint(i, colour) { document.body.style.background = colour; }'
      cat "$work/hear.js"; echo 'Zelkora.onAudio(hear);</script></body></html>'; } > "$work/item/ZKR$1.htm"
    "$build/tools/zelkora-install" --pack "$work/item" "$work/$1.zelkora" >/dev/null
    "$build/tools/zelkora-install" --yes "$work/$1.zelkora" >/dev/null
  }
  hears() { # the module's name: waits until the desktop says it hears
    for _ in $(seq 100); do "$build/zelkora" sound | grep -q "Now: $1 hears" && return 0; sleep 0.2; done
    echo "FAIL: $1 never listened: $("$build/zelkora" sound)" >&2; cat "$work/host.err" >&2; exit 1
  }
  heard_then_rests() { # the tone lands, then zeros once, and the stream rests
    tone 3 & local t=$!
    expect_pixel 350 250 5 '#00FF00'
    wait $t
    expect_pixel 350 250 3 '#0000FF'
    sleep 2.5
    expect_pixel 350 250 0 '#0000FF'
    for _ in $(seq 30); do [ "$(recording_corked)" = yes ] && break; sleep 0.1; done
    [ "$(recording_corked)" = yes ] || { echo "FAIL: the recording did not rest: $(recording_corked)" >&2; exit 1; }
  }
  "$build/tools/zelkora-demo" >/dev/null
  hearing_module Hears true
  start_host
  if [ "$case_name" = sound ]; then
    wallpapers=$(dirname "$0")/../import/wallpapers
    env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/lively" >/dev/null 2>&1
    env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/wallpaper-engine" >/dev/null 2>&1
    for name in Hears 'Test Lively Web' 'Test Wallpaper Engine Web'; do
      "$build/zelkora" apply "$name" >/dev/null
      hears "$name"
      [ "$(recording_corked)" = yes ] || { echo "FAIL: recording while nothing plays" >&2; exit 1; }
      heard_then_rests
    done
  else
    # A module that does not declare it hears nothing; nor does one when the
    # user switched the sound off (nothing is recorded at all).
    hearing_module Deaf false
    "$build/zelkora" apply Deaf >/dev/null
    expect_pixel 350 250 20 '#000000'
    sleep 2
    tone 2
    expect_pixel 350 250 0 '#000000'
    "$build/zelkora" sound off >/dev/null
    "$build/zelkora" apply Hears >/dev/null
    sleep 3
    tone 2
    expect_pixel 350 250 0 '#000000'
    [ -z "$(recording_corked)" ] || { echo "FAIL: recording with the sound off" >&2; exit 1; }
    "$build/zelkora" sound on >/dev/null
    hears Hears
    heard_then_rests
    # A new default output is followed; a server that goes and comes back is joined again.
    pactl load-module module-null-sink sink_name=other_sink rate=48000 >/dev/null
    pactl set-default-sink other_sink
    sleep 1
    heard_then_rests
    sound_server_stop
    sound_server
    expect_said "the sound server went away" 10
    sleep 3
    heard_then_rests
  fi
  sound_server_stop
  ;;
media)
  # A page sees what the music player plays: a fake player on a bus of the
  # test's own plays, pauses and changes tracks. The page paints the title
  # (a colour's name) while it plays, the artist's while paused, black for
  # no player, and the cover in its corner; the imported wallpapers paint
  # what their own listeners are told.
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus" 4>"$work/bus.pid"
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
  "$build/tools/zelkora-demo" >/dev/null
  rm -rf "$work/item" && mkdir -p "$work/item"
  cat > "$work/item/zelkora.json" <<'JSON'
{"kind": "module", "key": "Plays", "name": "Plays", "version": "1", "page": "ZKRPlays.htm",
 "theme": {"key": "Test", "name": "Test"}, "media": true}
JSON
  cat > "$work/item/ZKRPlays.htm" <<'HTML'
<!doctype html><html><head><script src="../../../zelkora.js"></script></head>
<body style="margin:0;height:100vh;background:#808080"><img id="art" style="position:fixed;left:0;top:0;width:50px;height:50px">
<script>
Zelkora.onMedia(function (t) {
  document.body.style.background = !t ? '#000' : t.state === 'playing' ? t.title : t.state === 'paused' ? t.artist : '#fff';
  document.getElementById('art').src = t && t.art ? t.art : '';
});
</script></body></html>
HTML
  "$build/tools/zelkora-install" --pack "$work/item" "$work/plays.zelkora" >/dev/null
  "$build/tools/zelkora-install" --yes "$work/plays.zelkora" >/dev/null
  convert -size 8x8 xc:'#00FF00' "$work/cover.png"
  mkfifo "$work/player.in"
  /usr/bin/python3 "$(dirname "$0")/../support/fake_player.py" <"$work/player.in" >"$work/player.out" 2>&1 &
  exec 7>"$work/player.in"
  player() { echo "$*" >&7; sleep 0.3; }
  start_host
  "$build/zelkora" apply Plays >/dev/null
  expect_pixel 320 240 20 '#000000'
  player "track red|blue|An Album|$work/cover.png"
  expect_pixel 320 240 5 $RED
  expect_pixel 25 25 5 '#00FF00'
  player pause
  expect_pixel 320 240 5 $BLUE
  player "track yellow|blue|An Album|"
  expect_pixel 320 240 5 '#FFFF00'
  # The imported formats' own listeners (cells of 100x100 pixels).
  wallpapers=$(dirname "$0")/../import/wallpapers
  env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/lively" >/dev/null 2>&1
  env -u DISPLAY "$build/tools/zelkora-install" --yes "$wallpapers/wallpaper-engine" >/dev/null 2>&1
  "$build/zelkora" apply 'Test Lively Web' >/dev/null
  expect_pixel 250 250 20 '#FFFF00'
  "$build/zelkora" apply 'Test Wallpaper Engine Web' >/dev/null
  expect_pixel 50 250 20 '#FFFF00'
  expect_pixel 350 150 5 '#000000'
  player pause
  expect_pixel 350 150 5 '#FF00FF'
  player quit
  expect_pixel 50 250 5 '#000000'
  "$build/zelkora" apply Plays >/dev/null
  expect_pixel 320 240 20 '#000000'
  ;;
webgl)
  # A wallpaper that draws with WebGL (blue, red without it) gets it: the host
  # starts anew, in the same process, on OpenGL for it, and without OpenGL
  # again for a page that draws without WebGL, leaving no process behind.
  "$build/tools/zelkora-demo" >/dev/null
  env -u DISPLAY "$build/tools/zelkora-install" --yes "$(dirname "$0")/../import/wallpapers/webgl" >/dev/null 2>&1
  start_host
  sleep 2
  for round in 1 2; do
    "$build/zelkora" apply 'Test WebGL' >/dev/null
    fills_screen 640 480 $BLUE 30
    expect_said "the desktop starts anew to draw it through OpenGL" 5 $round
    "$build/zelkora" apply 'Deep Blue' >/dev/null
    expect_said "the desktop starts anew without OpenGL" 10 $round
    expect_said "drawing with the software renderer (the GPU is used when ZELKORA_GPU=1)$" 20 $((round + 1))
  done
  kill -0 "$host_pid" || { echo "FAIL: the host ended" >&2; exit 1; }
  [ "$(below "$host_pid" | wc -l)" -le 4 ] || { echo "FAIL: processes left behind: $(below "$host_pid" | wc -l)" >&2; exit 1; }
  ;;
budget-webgl)
  # WebGL is drawn in the host itself (software OpenGL here), for the page:
  # that work counts in the page's budget. The page's renderer alone stays
  # far below this budget; with what is drawn for it, the page is over.
  export ZELKORA_PAGE_BUDGET=30:5:2048
  "$build/tools/zelkora-demo" >/dev/null
  env -u DISPLAY "$build/tools/zelkora-install" --yes "$(dirname "$0")/../import/wallpapers/webgl" >/dev/null 2>&1
  "$build/zelkora" apply 'Test WebGL' >/dev/null
  start_host
  expect_pixel 320 240 30 $BLUE
  expect_said "stopped the page .*% of a core for 5 s" 30
  ;;
*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac
echo "ok: $case_name"
