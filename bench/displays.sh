#!/usr/bin/env bash
# The desktop host on more than one display (sway, headless, pixman renderer,
# 1280x800 outputs, three toyz): the CPU of the host's whole process tree,
# and of sway, over SECONDS, the median of RUNS runs, for
#  - one module on one output (Rolling Waves);
#  - the same module on two outputs;
#  - a module of its own on each of two outputs (Rolling Waves, and Winter
#    Frost, which costs about as much alone);
#  - one page across two outputs (Rolling Waves), against the same page on
#    one output as wide as the two;
# and the memory (PSS) of the host's tree in each.
# Usage: bench/displays.sh [SECONDS [RUNS]]   (after a build of the default
# preset; sway refuses root, so as root it runs as the Wayland tests' user)
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/support/as_wayland_user.sh
as_wayland_user "$PWD/bench/displays.sh" "$@"
span=${1:-10}
runs=${2:-3}
build=$PWD/build/default
. bench/proc.sh
export HOME=$(mktemp -d)
demo_on_xvfb "$build"
unset DISPLAY
export XDG_RUNTIME_DIR=$work/run && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
printf '&myFav1=Clock&myFav2=Sticky Notes&myFav3=Calendar&\r\n' > "$app/ZelToyz/ZelToyz.txt"
sway_headless 1280x800

# layout NAME OUTPUTS: the host's "CPU% SWAY% PSS" medians with that many outputs.
measure() {
  local cpus=() servers=() pss=() host cpu server
  for _ in $(seq "$runs"); do
    "$build/zelkora-desktop" >/dev/null 2>&1 &
    host=$!; pids+=($host)
    sleep 8
    read -r cpu server < <(cpu_beside $host $sway_pid "$span")
    cpus+=("$cpu"); servers+=("$server"); pss+=("$(pss_mb $host)")
    kill $host; wait $host 2>/dev/null || true
  done
  echo "$(printf '%s\n' "${cpus[@]}" | median) $(printf '%s\n' "${servers[@]}" | median)" \
       "$(printf '%s\n' "${pss[@]}" | median)"
}
row() { printf '  %-46s %6s%% %6s%% %7s MB\n' "$@"; }

second='Winter Frost'
"$build/zelkora" apply 'Rolling Waves' >/dev/null
swaymsg output HEADLESS-1 resolution 2560x800 >/dev/null
read -r wide wide_sway wide_pss < <(measure)
swaymsg output HEADLESS-1 resolution 1280x800 >/dev/null
"$build/zelkora" apply "$second" >/dev/null
read -r alone alone_sway alone_pss < <(measure)
"$build/zelkora" apply 'Rolling Waves' >/dev/null
read -r one one_sway one_pss < <(measure)
swaymsg create_output >/dev/null
swaymsg output HEADLESS-2 resolution 1280x800 position 1280 0 >/dev/null
read -r same same_sway same_pss < <(measure)
"$build/zelkora-desktop" >/dev/null 2>&1 & # the displays are known once a desktop has seen them
seen=$!; pids+=($seen); sleep 3
"$build/zelkora" apply "$second" --display HEADLESS-2 >/dev/null
kill $seen; wait $seen 2>/dev/null || true
read -r own own_sway own_pss < <(measure)
"$build/zelkora" apply 'Rolling Waves' --span >/dev/null
read -r across across_sway across_pss < <(measure)

echo "sway headless, 1280x800 outputs, three toyz; host's tree and sway over $span s, median of $runs"
printf '  %-46s %7s %7s %10s\n' "" host sway memory
row "one output, Rolling Waves" "$one" "$one_sway" "$one_pss"
row "one output, $second" "$alone" "$alone_sway" "$alone_pss"
row "two outputs, Rolling Waves on both" "$same" "$same_sway" "$same_pss"
row "two outputs, Rolling Waves and $second" "$own" "$own_sway" "$own_pss"
row "one 2560x800 output, Rolling Waves" "$wide" "$wide_sway" "$wide_pss"
row "two outputs, Rolling Waves across both" "$across" "$across_sway" "$across_pss"
awk -v a="$own" -v b="$one" -v c="$alone" 'BEGIN {
  printf "  two modules on two outputs: %.2fx Rolling Waves on one (goal: at most 2.1x), %.2fx the two alone\n",
         a / b, a / (b + c) }'
awk -v a="$across" -v w="$wide" 'BEGIN {
  printf "  one page across two outputs: %.2fx the page on one output as wide (goal: at most 1.2x)\n", a / w }'
