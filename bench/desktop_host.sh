#!/usr/bin/env bash
# The desktop host against a bare QWebEngineView showing the same demo module:
#  - time from ApplyChanges to the new page on the screen (the host runs
#    already), against the bare view from its process start to the page;
#  - CPU of the whole process tree over 10 s showing the page, and the host's
#    while a full-screen window covers it;
#  - memory (PSS) of each process tree.
# Usage: bench/desktop_host.sh [RUNS]   (after a build of the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
build=$PWD/build/default
. bench/proc.sh
demo_on_xvfb "$build"
app='C:\Program Files\Zelkora\Modules'
waves="$app\\Ocean\\Waves\\ZKRWaves.htm"
reef="$app\\Ocean\\CoralReef\\ZKRCoralReef.htm"
waves_native="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora/Modules/Ocean/Waves/ZKRWaves.htm"

# The host before anything is applied (a prefix with nothing of Zelkora's):
# no window, no browser.
ZELKORA_PREFIX=$work/empty "$build/zelkora-desktop" >/dev/null 2>&1 &
idle=$!; pids+=($idle)
sleep 3
echo "host with nothing to show: CPU over 10 s $(cpu_percent $idle 10)% of a core," \
     "memory (PSS) $(pss_mb $idle) MB, $(($(tree $idle | wc -l) - 1)) child processes"
kill $idle

now() { date +%s.%N; }
wait_painted() { # file, time -> the time of the first paint after it
  for _ in $(seq 1000); do
    t=$(awk -v t0="$2" '/^painted/ && $2 > t0 {print $2; exit}' "$1" 2>/dev/null)
    [ -n "$t" ] && { echo "$t"; return; }
    sleep 0.005
  done
  echo "no paint" >&2; exit 1
}

# The host, showing one module, then the other, and so on.
"$build/tests/desktop_apply" page "$reef"
ZELKORA_DESKTOP_PROBE=1 "$build/zelkora-desktop" >"$work/host.out" 2>/dev/null &
host=$!; pids+=($host)
wait_painted "$work/host.out" 0 >/dev/null
host_ms=(); bare_ms=()
for ((i = 0; i < runs; i++)); do
  page=$([ $((i % 2)) = 0 ] && echo "$waves" || echo "$reef")
  t0=$(now); "$build/tests/desktop_apply" page "$page"
  t1=$(wait_painted "$work/host.out" "$t0")
  host_ms+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.0f", (b - a) * 1000}')")
  t0=$(now)
  "$build/bench/desktop_baseline" "$waves_native" >"$work/bare.out" 2>/dev/null &
  bare=$!
  t1=$(wait_painted "$work/bare.out" 0)
  bare_ms+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.0f", (b - a) * 1000}')")
  kill $bare; wait $bare 2>/dev/null || true
done
h=$(printf '%s\n' "${host_ms[@]}" | median); b=$(printf '%s\n' "${bare_ms[@]}" | median)
echo "apply to painted page (host running): median $h ms (${host_ms[*]})"
echo "bare view, process start to painted:  median $b ms (${bare_ms[*]})"
awk -v h="$h" -v b="$b" 'BEGIN {printf "ratio: %.2f (goal: at most 1.3)\n", h / b}'

# CPU and memory, showing the same module, each program alone (memory shared
# between two running programs would be split between them).
t0=$(now); "$build/tests/desktop_apply" page "$waves"
wait_painted "$work/host.out" "$t0" >/dev/null
sleep 3
host_cpu=$(cpu_percent $host 10); host_pss=$(pss_mb $host)
kill -STOP $host
"$build/bench/desktop_baseline" "$waves_native" >"$work/bare.out" 2>/dev/null &
bare=$!; pids+=($bare)
wait_painted "$work/bare.out" 0 >/dev/null
sleep 3
bare_cpu=$(cpu_percent $bare 10)
kill -CONT $host; kill $host; wait $host 2>/dev/null || true
sleep 1
bare_pss=$(pss_mb $bare)
kill $bare; wait $bare 2>/dev/null || true
echo "CPU over 10 s: host $host_cpu% of a core, bare view $bare_cpu%"
echo "memory (PSS, whole tree, each alone): host $host_pss MB, bare view $bare_pss MB"
awk -v h="$host_pss" -v b="$bare_pss" 'BEGIN {printf "memory ratio: %.2f (goal: at most 1.2)\n", h / b}'
# The anchor: Chromium on the same page, served as the desktop serves it.
printf '&myFav1=Clock&myFav2=Sticky Notes&myFav3=Calendar&\r\n' \
  >"$ZELKORA_PREFIX/drive_c/Program Files/Zelkora/ZelToyz/ZelToyz.txt"
serve_app "$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
read -r chromium_cpu chromium_x chromium_pss < <(chromium_measure "http://127.0.0.1:$port/Modules/Ocean/Waves/ZKRWaves.htm" 10)
echo "Chromium on the same page: CPU $chromium_cpu% of a core, memory $chromium_pss MB"
awk -v h="$host_cpu" -v c="$chromium_cpu" -v hm="$host_pss" -v cm="$chromium_pss" \
  'BEGIN {if (c > 0) printf "host / Chromium: CPU %.2f (goal: at most 1.5), memory %.2f (goal: at most 1)\n", h / c, hm / cm}'

# Covered by a full-screen window: the page is frozen.
"$build/zelkora-desktop" >/dev/null 2>&1 &
host=$!; pids+=($host)
sleep 4
echo "CPU over 10 s, page shown: host $(cpu_percent $host 10)% of a core"
convert -size 1280x800 xc:gray "$work/cover.png"
display -geometry 1280x800+0+0 "$work/cover.png" &
pids+=($!)
sleep 3
echo "CPU over 10 s under a full-screen window: host $(cpu_percent $host 10)% of a core (goal: below 1)"
