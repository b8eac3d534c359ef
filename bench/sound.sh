#!/usr/bin/env bash
# What hearing the sound costs: the desktop host showing the demo's Music
# Bands on a sound server with a null output (as the tests run one), its
# whole process tree's CPU over a span, three runs each, the median:
#   - nothing plays, against the same page with the sound switched off;
#   - a tone plays: the tree, and the capture's own thread (the recording
#     and the spectrum) alone;
#   - the page covered by a full-screen window while the tone plays.
# Usage: bench/sound.sh [SECONDS]   (after a build of the default preset)
#   MODULE=NAME measures another module; INSTALL=PATH installs it first (a
#   package or a wallpaper); VERBOSE=1 shows what the host said.
set -euo pipefail
cd "$(dirname "$0")/.."
span=${1:-10}
build=$PWD/build/default
. bench/proc.sh
demo_on_xvfb "$build"
. tests/support/sound_server.sh
sound_server
trap 'sound_server_stop; for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; sleep 0.5; rm -rf "$work"' EXIT
sox -n -r 48000 -c 2 -b 16 "$work/tone.wav" synth 3600 sine 440 sine 3000 vol 0.5

"$build/zelkora-desktop" >/dev/null 2>"$work/host.err" &
host=$!; pids+=($host)
[ -n "${INSTALL:-}" ] && env -u DISPLAY "$build/tools/zelkora-install" --yes "$INSTALL" >/dev/null 2>&1
"$build/zelkora" apply "${MODULE:-Music Bands}" >/dev/null
sleep 8
thread_ticks() { # the host's threads named $1
  local t=0 s
  for s in /proc/$host/task/*; do
    [ "$(cat "$s/comm" 2>/dev/null)" = "$1" ] && t=$((t + $(awk '{print $14 + $15}' "$s/stat")))
  done
  echo $t
}
measure() { # -> "tree% thread%" over the span
  local a b ta tb
  a=$(cpu_ticks $host); ta=$(thread_ticks zelkora-sound); sleep "$span"
  b=$(cpu_ticks $host); tb=$(thread_ticks zelkora-sound)
  awk -v a="$a" -v b="$b" -v ta="$ta" -v tb="$tb" -v s="$span" -v hz="$(getconf CLK_TCK)" \
    'BEGIN {printf "%.2f %.2f", (b - a) / hz / s * 100, (tb - ta) / hz / s * 100}'
}
median_of_3() { # a command printing "tree thread" -> the medians of each
  local runs=() i
  for i in 1 2 3; do runs+=("$("$@")"); done
  printf '%s\n' "${runs[@]}" | awk '{print $1}' | median | tr '\n' ' '
  printf '%s\n' "${runs[@]}" | awk '{print $2}' | median
}
row() { printf '  %-44s %8s%% %9s%%\n' "$1" "$2" "$3"; }

echo "CPU over $span s (percent of one core, median of 3), the host's whole tree and its sound thread:"
printf '  %-44s %9s %10s\n' case tree "sound thread"
"$build/zelkora" sound off >/dev/null; sleep 3
read -r t s < <(median_of_3 measure); row "nothing plays, the sound switched off" "$t" "$s"
"$build/zelkora" sound on >/dev/null; sleep 3
read -r t s < <(median_of_3 measure); row "nothing plays, the sound on (corked)" "$t" "$s"
paplay "$work/tone.wav" & tone=$!; pids+=($tone)
sleep 3
read -r t s < <(median_of_3 measure); row "a tone plays, the bars follow it" "$t" "$s"
convert -size 1280x800 xc:gray "$work/cover.png"
display -geometry 1280x800+0+0 "$work/cover.png" & cover=$!; pids+=($cover)
sleep 4
read -r t s < <(median_of_3 measure); row "a tone plays, the page covered" "$t" "$s"
echo "  the recording under the cover: corked $(recording_corked)"
[ -n "${VERBOSE:-}" ] && cat "$work/host.err"
