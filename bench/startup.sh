#!/usr/bin/env bash
# Start-up to a painted window, and memory once settled: zelkora-manager on the
# demo installation against a bare Qt window with an empty tab control and a
# web pane, measured side by side (interleaved, each program alone).
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
. bench/proc.sh

manager=(); baseline=()
for ((i = 0; i < runs; i++)); do
  baseline+=("$(measure "$build/bench/startup_baseline")")
  manager+=("$(measure "$build/zelkora-manager")")
done
b=$(printf '%s\n' "${baseline[@]}" | median)
m=$(printf '%s\n' "${manager[@]}" | median)
echo "bare window (tabs + web pane): median ${b} ms over ${runs} runs (${baseline[*]})"
echo "zelkora-manager on the demo:   median ${m} ms over ${runs} runs (${manager[*]})"
awk -v m="$m" -v b="$b" 'BEGIN {printf "ratio: %.2f (goal: at most 1.15)\n", m / b}'

settled() { # program -> PSS of its whole process tree 5 s after its start, in MB
  # A prefix of its own each time: a Manager that is still ending would
  # otherwise be taken for the one instance.
  local prefix; prefix=$(mktemp -d)
  cp -a "$ZELKORA_PREFIX/." "$prefix/"
  ZELKORA_PREFIX=$prefix ZELKORA_DESKTOP_HOST=0 "$1" >/dev/null 2>"/tmp/settled.err" &
  local p=$!
  sleep 5
  if kill -0 $p 2>/dev/null; then pss_mb $p; else echo "ended" >&2; cat /tmp/settled.err >&2; fi
  kill $p 2>/dev/null; wait $p 2>/dev/null || true
  sleep 1 # its web engine processes end too
  rm -rf "$prefix"
}
mm=(); bm=()
for ((i = 0; i < 3; i++)); do
  bm+=("$(settled "$build/bench/startup_baseline")")
  mm+=("$(settled "$build/zelkora-manager")")
done
bmm=$(printf '%s\n' "${bm[@]}" | median)
mmm=$(printf '%s\n' "${mm[@]}" | median)
echo "memory (PSS of the process tree, settled): bare window ${bmm} MB (${bm[*]}), manager ${mmm} MB (${mm[*]})"
awk -v m="$mmm" -v b="$bmm" 'BEGIN {printf "memory ratio: %.2f (goal: at most 1.3)\n", m / b}'
