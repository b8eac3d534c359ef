# Shared by the benchmark scripts (sourced): process trees, their memory and
# CPU, and medians.
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
tree() { # a process and all of its descendants
  local p=$1; echo "$p"
  for c in $(ps -o pid= --ppid "$p" 2>/dev/null); do tree "$c"; done
}
pss_mb() { # the PSS of a process tree, in MB
  local t=0; for p in $(tree "$1"); do
    t=$((t + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0))); done
  awk -v k="$t" 'BEGIN {printf "%.1f", k / 1024}'; }
cpu_ticks() { local t=0; for p in $(tree "$1"); do
    t=$((t + $(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null || echo 0))); done; echo $t; }
cpu_percent() { # pid, seconds -> percent of one core used by its tree
  local a b; a=$(cpu_ticks "$1"); sleep "$2"; b=$(cpu_ticks "$1")
  awk -v a="$a" -v b="$b" -v s="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", (b - a) / hz / s * 100}'
}
cpu_beside() { # pid, server pid, seconds -> "CPU% SERVER%": a tree's CPU and its display
  # server's over the same span
  local a b sa sb; a=$(cpu_ticks "$1"); sa=$(cpu_ticks "$2"); sleep "$3"
  b=$(cpu_ticks "$1"); sb=$(cpu_ticks "$2")
  awk -v a="$a" -v b="$b" -v sa="$sa" -v sb="$sb" -v s="$3" -v hz="$(getconf CLK_TCK)" \
    'BEGIN {printf "%.2f %.2f\n", (b - a) / hz / s * 100, (sb - sa) / hz / s * 100}'
}
# pid, seconds -> "CPU% SERVER%": beside the display server in use ($server_pid,
# else the Xvfb)
cpu_and_x() { cpu_beside "$1" "${server_pid:-$xvfb_pid}" "$2"; }
demo_on_xvfb() { # build folder -> a throw-away prefix ($work/prefix) with the demo, on an
  # Xvfb of 1280x800 made $DISPLAY; both, and every pid added to pids, gone at exit
  work=$(mktemp -d)
  export ZELKORA_PREFIX=$work/prefix ZELKORA_DESKTOP_HOST=0 QTWEBENGINE_DISABLE_SANDBOX=1
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; sleep 0.5; rm -rf "$work" 2>/dev/null || true' EXIT
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!; pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -1 "$work/display")
  # The X server's screen saver starts after 10 minutes without input, and
  # the desktop rests under it: a long run would measure a resting page.
  xset s off
  xset -dpms 2>/dev/null || true # where the server has DPMS
  "$1/tools/zelkora-demo" >/dev/null
}
sway_headless() { # WxH -> sway, headless with the pixman renderer, made the Wayland display
  # ($sway_pid, WAYLAND_DISPLAY, SWAYSOCK), in $XDG_RUNTIME_DIR; as a user not root
  printf 'output HEADLESS-1 resolution %s\nxwayland disable\ndefault_border none\n' "$1" >"$work/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >/dev/null 2>&1 &
  sway_pid=$!; pids+=($sway_pid)
  for _ in $(seq 100); do ls "$XDG_RUNTIME_DIR"/wayland-? >/dev/null 2>&1 &&
    ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1 && break; sleep 0.05; done
  export WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-? | head -1)")
  export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* | head -1)
}
serve_app() { # application folder -> $port: the folder served as the desktop serves it
  "$(dirname "${BASH_SOURCE[0]}")/serve_app.py" "$1" >"$work/port" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
  port=$(head -1 "$work/port")
}
chromium_kiosk() { # address, profile folder: Chromium showing it on the whole screen, in the background
  # (on the Wayland compositor of $WAYLAND_DISPLAY where there is no $DISPLAY)
  local ozone=--ozone-platform=wayland
  [ -n "${DISPLAY:-}" ] && ozone=--ozone-platform=x11
  chromium $ozone --kiosk --no-sandbox --no-first-run --no-default-browser-check --disable-gpu \
    --user-data-dir="$2" --window-position=0,0 --window-size=1280,800 "$1" >/dev/null 2>&1 &
}
chromium_measure() { # address, seconds[, settle] -> "CPU% X% PSS-MB" of Chromium --kiosk showing it
  command -v chromium >/dev/null || { echo "- - -"; return; }
  chromium_kiosk "$1" "$work/chromium"
  local c=$!
  sleep "${3:-4}"
  echo "$(cpu_and_x $c "$2") $(pss_mb $c)"
  kill $c; wait $c 2>/dev/null || true
}
