#!/usr/bin/env bash
# The desktop host on Wayland (sway, headless, pixman renderer) against the
# same host on Xvfb and against Chromium on the same sway
# (--ozone-platform=wayland --kiosk), each showing Rolling Waves with three
# toyz on a 1280x800 output, one at a time:
#  - CPU of each program's process tree over 10 s, and of its display server
#    (sway or Xvfb) over the same span;
#  - memory (PSS) of each tree;
#  - the Wayland host's CPU while a full-screen window covers it.
# Usage: bench/wayland_host.sh   (after a build of the default preset; sway
# refuses root, so as root it runs as the Wayland tests' user)
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/support/as_wayland_user.sh
as_wayland_user "$PWD/bench/wayland_host.sh"
build=$PWD/build/default
. bench/proc.sh
export HOME=$(mktemp -d)
demo_on_xvfb "$build"
export XDG_RUNTIME_DIR=$work/run && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
printf '&myFav1=Clock&myFav2=Sticky Notes&myFav3=Calendar&\r\n' > "$app/ZelToyz/ZelToyz.txt"

# The host on X11.
(unset WAYLAND_DISPLAY; "$build/zelkora-desktop" >/dev/null 2>&1) &
x11=$!; pids+=($x11)
sleep 8
read -r x11_cpu x11_server < <(cpu_beside $x11 "$xvfb_pid" 10)
x11_pss=$(pss_mb $x11)
kill $x11; wait $x11 2>/dev/null || true

# sway, headless, with the same output.
sway_headless 1280x800
sway=$sway_pid

# The host on Wayland, then under a full-screen window.
(unset DISPLAY; "$build/zelkora-desktop" >/dev/null 2>&1) &
wl=$!; pids+=($wl)
sleep 8
read -r wl_cpu wl_server < <(cpu_beside $wl $sway 10)
wl_pss=$(pss_mb $wl)
foot sleep 60 >/dev/null 2>&1 &
foot=$!; pids+=($foot)
sleep 1; swaymsg fullscreen enable >/dev/null; sleep 3
read -r covered_cpu covered_server < <(cpu_beside $wl $sway 10)
kill $foot $wl; wait $wl 2>/dev/null || true

# Chromium on the same sway, the folder served as the desktop serves it.
serve_app "$app"
chromium --ozone-platform=wayland --kiosk --no-sandbox --no-first-run --no-default-browser-check \
  --disable-gpu --user-data-dir="$work/chromium" \
  "http://127.0.0.1:$port/Modules/Ocean/Waves/ZKRWaves.htm" >/dev/null 2>&1 &
chromium=$!; pids+=($chromium)
sleep 8
read -r chromium_cpu chromium_server < <(cpu_beside $chromium $sway 10)
chromium_pss=$(pss_mb $chromium)
kill $chromium; wait $chromium 2>/dev/null || true

echo "Rolling Waves with three toyz, 1280x800, CPU over 10 s (% of a core):"
printf '| %-33s | %8s | %14s | %9s |\n' "" "CPU" "display server" "PSS (MB)"
printf '| %-33s | %8s | %14s | %9s |\n' "host on sway (layer-shell)" "$wl_cpu" "$wl_server" "$wl_pss"
printf '| %-33s | %8s | %14s | %9s |\n' "host on Xvfb (X11)" "$x11_cpu" "$x11_server" "$x11_pss"
printf '| %-33s | %8s | %14s | %9s |\n' "Chromium --ozone-platform=wayland" "$chromium_cpu" "$chromium_server" "$chromium_pss"
printf '| %-33s | %8s | %14s | %9s |\n' "host on sway, under full screen" "$covered_cpu" "$covered_server" "-"
awk -v w="$wl_cpu" -v x="$x11_cpu" -v c="$chromium_cpu" -v wm="$wl_pss" -v xm="$x11_pss" -v f="$covered_cpu" 'BEGIN {
  printf "ratios: CPU wayland / X11 %.2f, wayland / Chromium %.2f (goal: at most 1.2 each); PSS wayland / X11 %.2f (goal: at most 1); covered %.2f%% (goal: under 0.5%%)\n",
    w / x, w / c, wm / xm, f }'
