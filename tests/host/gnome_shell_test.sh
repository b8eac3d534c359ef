#!/usr/bin/env bash
# The Zelkora extension on GNOME Shell 43, headless. GNOME Shell needs
# logind: a mocked one, on a private system bus. The Zelkora extension takes
# the form the package would choose for this Shell. A test extension of its
# own shows and hides the overview, locks, and takes screenshots.
#  - extension: with a stand-in for the desktop on the session bus (no X),
#    what covers the monitor is said as it changes, the lock screen too;
#  - host: the desktop on Xwayland is seen moving on the screen, rests under
#    a native full-screen window, which X11 cannot see, and draws again when
#    it closes; with the extension off it says how to turn it on;
#  - still: without X the desktop sets a still as GNOME's wallpaper, which is
#    what the screen shows, and then nothing of it runs until an Apply asks
#    for the next.
#   gnome_shell_test.sh CASE BUILD_DIR [SCREENSHOT]   (host, still: the screen kept)
set -euo pipefail
case_name=$1
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for tool in gnome-shell gnome-extensions foot gdbus dbus-daemon convert compare; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: the GNOME test needs $tool, which is not installed; install the packages" \
         "of packages.txt (./run.sh does)" >&2
    exit 1
  }
done
. "$here/../support/as_wayland_user.sh"
as_wayland_user "$here/gnome_shell_test.sh" "$@"

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run GSETTINGS_BACKEND=keyfile
unset DISPLAY WAYLAND_DISPLAY
extensions=$HOME/.local/share/gnome-shell/extensions
mkdir -p "$extensions" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
mkdir "$extensions/desktop@zelkora.io"
cp "$here/../../resources/gnome-shell/desktop@zelkora.io/metadata.json" "$extensions/desktop@zelkora.io/"
sh "$build/gnome-shell/choose-extension.sh" "$extensions/desktop@zelkora.io"
cp -r "$here/../support/gnome-shell/test@zelkora.io" "$extensions/"
dbus-daemon --session --fork --print-pid=4 --print-address=3 3>"$work/system" 4>"$work/system.pid"
export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$work/system")
dbus-daemon --session --fork --print-pid=4 --print-address=3 3>"$work/session" 4>"$work/session.pid"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/session")
shell=
cleanup() {
  [ -n "$shell" ] && kill "$shell" 2>/dev/null
  pkill -P $$ 2>/dev/null || true
  kill "$(cat "$work/system.pid")" "$(cat "$work/session.pid")" 2>/dev/null || true
  sleep 0.3
  rm -rf "$work"
}
trap cleanup EXIT
/usr/bin/python3 -m dbusmock --system --template logind >/dev/null 2>&1 &
gsettings set org.gnome.shell enabled-extensions "['desktop@zelkora.io', 'test@zelkora.io']"
x11=--no-x11
[ "$case_name" = host ] && x11= # the desktop on Xwayland
# Started from a subshell: the Shell crashes as it is stopped, and its end is
# nobody's to report.
(gnome-shell --headless --wayland $x11 --virtual-monitor 640x480 >"$work/shell.log" 2>&1 &
 echo $! >"$work/shell.pid")
shell=$(cat "$work/shell.pid")
for _ in $(seq 150); do [ -S "$XDG_RUNTIME_DIR/wayland-0" ] && break; sleep 0.1; done
export WAYLAND_DISPLAY=wayland-0

said() { # waits for the extension's last word to be $1
  for _ in $(seq 100); do [ "$(tail -1 "$work/said")" = "$1" ] && return 0; sleep 0.1; done
  echo "FAIL: the extension said \"$(tail -1 "$work/said")\", not \"$1\" ($2)" >&2
  grep -i "zelkora\|JS ERROR" "$work/shell.log" >&2 || true
  exit 1
}
asked() { # asks the test extension: METHOD ARGUMENT
  for _ in $(seq 50); do gdbus call --session --dest io.zelkora.Test --object-path /io/zelkora/Test \
    --method "io.zelkora.Test.$1" "$2" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "FAIL: the test extension did not answer $1" >&2; exit 1
}
overview() { asked Overview "$1"; }
shot() { asked Screenshot "$1"; } # the whole screen, as a PNG at $1
# One pixel of a picture, as RRGGBB.
pixel_of() { convert "$1" -crop "1x1+$2+$3" -depth 8 rgb:- | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
case $case_name in
extension)
/usr/bin/python3 "$here/../support/cover_listener.py" >"$work/said" 2>&1 &
monitor='Monitor-0 0 0 640 480'
# The Shell starts on its overview, which covers the desktop.
said 'covered - shell' 'at start, the overview shown'
overview false
said 'covered - -' 'the overview hidden'
foot --fullscreen sleep 60 >/dev/null 2>&1 &
window=$!
said "covered $monitor -" 'a full-screen window'
kill $window
said 'covered - -' 'the full-screen window closed'
foot --maximized sleep 60 >/dev/null 2>&1 &
window=$!
said "covered $monitor -" 'a maximised window'
kill $window
said 'covered - -' 'the maximised window closed'
overview true
said 'covered - shell' 'the overview shown'
overview false
said 'covered - -' 'the overview hidden again'
asked Lock true
said 'covered - shell' 'the screen locked'
asked Lock false
said 'covered - -' 'the screen unlocked'
# Turned off, the extension says last that nothing covers the desktop.
overview true
said 'covered - shell' 'the overview shown before the extension is turned off'
gnome-extensions disable desktop@zelkora.io
said 'covered - -' 'the extension turned off'
echo "GNOME Shell $(gnome-shell --version | awk '{print $3}'): the extension said $(wc -l <"$work/said") times"
;;
host)
  # The desktop under Xwayland, Rolling Waves on it (the overview hidden).
  export XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -1)
  export DISPLAY=:$(grep -o 'public X11 display :[0-9]*' "$work/shell.log" | grep -o '[0-9]*$')
  export ZELKORA_PREFIX=$work/prefix ZELKORA_DESKTOP_HOST=0 QTWEBENGINE_DISABLE_SANDBOX=1
  "$build/tools/zelkora-demo" >/dev/null
  overview false
  "$build/zelkora-desktop" 2>"$work/host.err" &
  host_pid=$!
  . "$here/test_pages.sh"
  sleep 6
  # What the screen shows moves: the page, not GNOME's wallpaper.
  shot "$work/a.png"; sleep 0.5; shot "$work/b.png"
  moved=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  echo "pixels changed on the screen in 0.5 s: $moved of $((640 * 480))"
  [ "${moved%% *}" -gt 1000 ] 2>/dev/null ||
    { echo "FAIL: the screen does not move ($moved pixels)" >&2; cp "$work/a.png" /tmp/gnome-host.png; exit 1; }
  cp "$work/a.png" "${3:-$work/shot.png}"
  shown=$(ticks_now)
  foot --fullscreen sleep 60 >/dev/null 2>&1 &
  window=$!
  sleep 1
  rested=$(ticks_now)
  kill $window
  sleep 1
  again=$(ticks_now)
  echo "CPU ticks in 2 s: shown $shown, under a native full-screen window $rested, after $again"
  [ "$rested" -le 6 ] || { echo "FAIL: the desktop runs under a full-screen window ($rested ticks)" >&2; cat "$work/host.err" >&2; exit 1; }
  [ "$shown" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the page never ran ($shown ticks)" >&2; cat "$work/host.err" >&2; exit 1; }
  [ "$again" -gt $((rested * 2 + 8)) ] || { echo "FAIL: the desktop did not draw again ($again ticks)" >&2; exit 1; }
  grep -q 'drawing on X11' "$work/host.err" || { echo "FAIL: the desktop was not on Xwayland" >&2; exit 1; }
  kill $host_pid; wait $host_pid 2>/dev/null || true
  # With the extension off, the desktop says once how to turn it on, and the
  # note goes when it is turned on.
  gnome-extensions disable desktop@zelkora.io
  "$build/zelkora-desktop" 2>"$work/host.err" &
  host_pid=$!
  note="Turn on the Zelkora extension in GNOME's Extensions to let the desktop rest under windows."
  for _ in $(seq 100); do [ -s "$ZELKORA_PREFIX/desktop.note" ] && break; sleep 0.1; done
  [ "$(cat "$ZELKORA_PREFIX/desktop.note" 2>/dev/null)" = "$note" ] && [ "$(grep -c "$note" "$work/host.err")" = 1 ] ||
    { echo "FAIL: with the extension off, the note was not said once" >&2; cat "$work/host.err" >&2; exit 1; }
  gnome-extensions enable desktop@zelkora.io
  for _ in $(seq 100); do [ -s "$ZELKORA_PREFIX/desktop.note" ] || break; sleep 0.1; done
  [ ! -s "$ZELKORA_PREFIX/desktop.note" ] || { echo "FAIL: the note stays with the extension on" >&2; exit 1; }
  kill $host_pid
  ;;
still)
  export ZELKORA_PREFIX=$work/prefix ZELKORA_DESKTOP_HOST=0 QTWEBENGINE_DISABLE_SANDBOX=1
  "$build/tools/zelkora-demo" >/dev/null
  "$build/zelkora-desktop" 2>"$work/host.err" &
  host_pid=$!
  . "$here/test_pages.sh"
  key=org.gnome.desktop.background
  still() { # waits for the wallpaper, light and dark, to be a still other than $1
    local uri= dark=
    for _ in $(seq 200); do
      uri=$(gsettings get $key picture-uri); dark=$(gsettings get $key picture-uri-dark)
      case "$uri" in *"/still/desktop-"*) [ "$uri" != "$1" ] && [ "$dark" = "$uri" ] && break ;; esac
      sleep 0.1
    done
    case "$uri" in *"/still/desktop-"*) [ "$dark" = "$uri" ] && echo "$uri" && return ;; esac
    echo "FAIL: GNOME's wallpaper is $uri and $dark, not a new still" >&2; cat "$work/host.err" >&2; exit 1
  }
  first=$(still none)
  # The screen shows the still, pixel for pixel beside the top bar, at the
  # bottom corners and in the middle (GNOME fades to a new wallpaper).
  overview false
  file=${first#\'file://}; file=${file%\'}
  for p in "0 60" "639 60" "0 479" "639 479" "320 240"; do
    want=$(pixel_of "$file" $p)
    for _ in $(seq 50); do
      shot "$work/screen.png"; got=$(pixel_of "$work/screen.png" $p)
      [ "$want" = "$got" ] && break; sleep 0.1
    done
    [ "$want" = "$got" ] ||
      { echo "FAIL: the screen at $p is $got, the still $want" >&2; cp "$work/screen.png" /tmp/gnome-still.png; exit 1; }
  done
  cp "$work/screen.png" "${3:-$work/shot.png}"
  sleep 2; a=$(ticks); sleep 20; idle=$(( $(ticks) - a ))
  echo "CPU ticks in 20 s on a still: $idle (under 0.5% of a core: 10)"
  [ "$idle" -le 10 ] || { echo "FAIL: the desktop keeps running on a still ($idle ticks in 20 s)" >&2; exit 1; }
  "$build/zelkora" apply 'Autumn Leaves' >/dev/null
  still "$first" >/dev/null
  kill $host_pid
  ;;
esac
