#!/usr/bin/env bash
# The desktop where it can only show a still (a compositor without
# layer-shell or X: Weston, headless, 1280x800, as GNOME without Xwayland):
#  - how long the first still takes to be GNOME's wallpaper, and a new one
#    after an Apply;
#  - the CPU of the host's whole process tree, and of the compositor, over a
#    minute once the still is set; nothing should run.
# Usage: bench/still_desktop.sh [SECONDS]   (after a build of the default
# preset; as root it runs as the Wayland tests' user)
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/support/as_wayland_user.sh
as_wayland_user "$PWD/bench/still_desktop.sh" "$@"
span=${1:-60}
build=$PWD/build/default
. bench/proc.sh
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; sleep 0.5; rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run ZELKORA_PREFIX=$work/prefix ZELKORA_DESKTOP_HOST=0 \
  QTWEBENGINE_DISABLE_SANDBOX=1 GSETTINGS_BACKEND=keyfile
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
weston --backend=headless-backend.so --socket=wayland-1 --width=1280 --height=800 --idle-time=0 \
  --no-config >/dev/null 2>&1 &
weston=$!; pids+=($weston)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && break; sleep 0.05; done
export WAYLAND_DISPLAY=wayland-1
"$build/tools/zelkora-demo" >/dev/null
key=org.gnome.desktop.background
still_after() { # a wallpaper other than $1 -> seconds until the still is set
  local start=$EPOCHREALTIME uri
  for _ in $(seq 600); do
    uri=$(gsettings get $key picture-uri)
    case "$uri" in *"/still/desktop-"*) [ "$uri" != "$1" ] && break ;; esac
    sleep 0.05
  done
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.1f", b - a}'
}
"$build/zelkora-desktop" >/dev/null 2>&1 &
host=$!; pids+=($host)
first=$(still_after none)
first_uri=$(gsettings get $key picture-uri)
sleep 2
read -r tree server < <(cpu_beside $host $weston "$span")
processes=$(tree $host | wc -l)
"$build/zelkora" apply 'Autumn Leaves' >/dev/null
again=$(still_after "$first_uri")
echo "Weston headless 1280x800, no layer-shell, no X: the module as a still"
printf '  %-48s %6s s\n' "the first still set (the host started)" "$first"
printf '  %-48s %6s s\n' "a new still set after an Apply" "$again"
printf '  %-48s %6s%%\n' "host's tree over $span s on the still ($processes processes)" "$tree"
printf '  %-48s %6s%%\n' "the compositor over the same span" "$server"
printf '  %-48s %6s MB\n' "host's tree memory (PSS)" "$(pss_mb $host)"
