#!/usr/bin/env bash
# Start-up to a painted window: zelkora-manager on the demo installation against
# a bare Qt window with an empty tab control and a web pane, side by side.
# Usage: bench/startup.sh [RUNS]   (after a build of the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
build=build/default
export ZELKORA_PREFIX=${ZELKORA_BENCH_PREFIX:-/tmp/zelkora-startup-bench}
[ -d "$ZELKORA_PREFIX/drive_c/Program Files/Zelkora" ] || "$build/tools/zelkora-demo" >/dev/null

if [ -z "${DISPLAY:-}" ]; then
  Xvfb :97 -screen 0 1280x900x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb' EXIT
  export DISPLAY=:97
  sleep 1
fi

measure() { # program -> one start-up time in ms
  ZELKORA_STARTUP_PROBE=1 "$1" 2>/dev/null | awk '/^startup_ms/ {print $2}'
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

manager=(); baseline=()
for ((i = 0; i < runs; i++)); do
  baseline+=("$(measure "$build/bench/startup_baseline")")
  manager+=("$(measure "$build/zelkora-manager")")
done
b=$(printf '%s\n' "${baseline[@]}" | median)
m=$(printf '%s\n' "${manager[@]}" | median)
echo "bare window (tabs + web pane): median ${b} ms over ${runs} runs (${baseline[*]})"
echo "zelkora-manager on the demo:   median ${m} ms over ${runs} runs (${manager[*]})"
awk -v m="$m" -v b="$b" 'BEGIN {printf "ratio: %.2f (goal: at most 1.5)\n", m / b}'
