#!/usr/bin/env bash
# What the demo's module pages cost on the desktop: the CPU of the desktop
# host's whole process tree (browser processes included) over a span, for
# each module with three toyz bound, a still page and one moving dot, side by
# side with Chromium (--kiosk, a throw-away profile) on the same page.
# Runs on Xvfb, or with "sway" on sway headless (the host on layer-shell,
# Chromium with --ozone-platform=wayland); every frame is drawn in software.
# Usage: bench/module_pages.sh [SECONDS [sway]] [RUNS=N] [PAGES=...]
#   (after a build of the default preset)
#   RUNS=N runs each page N times (3), the table giving the medians; PAGES=...
#   measures only those pages of the demo (Theme/Module/ZKRModule). Both may
#   be given in the environment too.
set -euo pipefail
cd "$(dirname "$0")/.."
for a in "$@"; do case $a in RUNS=* | PAGES=*) export "${a?}" ;; esac; done
span=${1:-10}
[ "$span" -gt 0 ] 2>/dev/null || span=10
server=xvfb
[ "${2:-}" = sway ] && server=sway
if [ $server = sway ]; then
  # sway refuses root: as root the bench runs again as the Wayland tests' user.
  . tests/support/as_wayland_user.sh
  as_wayland_user "$PWD/bench/module_pages.sh" "$span" sway "RUNS=${RUNS:-3}" "PAGES=${PAGES:-}"
  export HOME=$(mktemp -d)
fi
settle=6 # seconds from showing a page to measuring it: the load is over
build=$PWD/build/default
. bench/proc.sh
demo_on_xvfb "$build"
if [ $server = sway ]; then
  export XDG_RUNTIME_DIR=$work/run && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  sway_headless 1280x800
  server_pid=$sway_pid
  unset DISPLAY
fi
app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
printf '&myFav1=Clock&myFav2=Sticky Notes&myFav3=Calendar&\r\n' >"$app/ZelToyz/ZelToyz.txt"
# Two pages of a module folder of their own, as the desktop serves modules.
bench="$app/Modules/Bench/Pages"
mkdir -p "$bench"
printf '<!DOCTYPE html><body style="margin:0;background:#246">\n' >"$bench/ZKRstill.htm"
# The same with the shared script: the three toyz, the clock ticking.
printf '<!DOCTYPE html><body style="margin:0;background:#246">\n<script src="../../../zelkora.js"></script>\n' \
  >"$bench/ZKRtoyz.htm"
# The floor of motion: one 10-pixel square moving at the modules' frame
# rate, with the same toyz.
cat >"$bench/ZKRdot.htm" <<'PAGE'
<!DOCTYPE html><html><head><link rel="stylesheet" href="../../../zelkora.css"><script src="../../../zelkora.js"></script>
<style>body{background:#246}.d{position:absolute;left:10px;top:10px;width:10px;height:10px;
background:#fff;animation:m 5s linear infinite}@keyframes m{to{transform:translateX(500px)}}</style>
</head><body><div class="d"></div></body></html>
PAGE

"$build/zelkora-desktop" >/dev/null 2>"$work/host.err" &
host=$!; pids+=($host)
# The anchor: Chromium showing the same pages, served as the desktop serves
# them, on the same display server (while it runs, the host under it rests).
serve_app "$app"
sleep 3
host_cpu() { # page under the application folder -> CPU % of one core
  "$build/tests/desktop_apply" page "C:\\Program Files\\Zelkora\\${1//\//\\}"
  sleep "$settle"
  echo "$(cpu_and_x $host "$span") $(pss_mb $host)"
}
chromium_cpu() { chromium_measure "http://127.0.0.1:$port/$1" "$span" "$settle"; }
runs=${RUNS:-3}
med() { printf '%s\n' "$@" | median; }
row() { # label, page -> its line of the table, after its ratio and a tab (to sort by)
  local i a b d h=() hx=() hm=() c=() cx=() cm=()
  for ((i = 0; i < runs; ++i)); do
    read -r a b d < <(host_cpu "$2"); h+=("$a"); hx+=("$b"); hm+=("$d")
    read -r a b d < <(chromium_cpu "$2"); c+=("$a"); cx+=("$b"); cm+=("$d")
  done
  local H C ratio
  H=$(med "${h[@]}"); C=$(med "${c[@]}")
  ratio=$(awk -v h="$H" -v c="$C" 'BEGIN {if (c > 0) printf "%.2f", h / c; else print "-"}')
  printf '%s\t  %-30s %7s%% %9s%% %6s %8s %8s %7s%% %7s%%\n' "$ratio" "$1" "$H" "$C" "$ratio" \
    "$(med "${hm[@]}")" "$(med "${cm[@]}")" "$(med "${hx[@]}")" "$(med "${cx[@]}")"
}
srv=X; [ $server = sway ] && srv=sway
echo "On $server. CPU over $span s (percent of one core, the median of $runs runs) and memory (PSS, MB),"
echo "three toyz bound; the host against Chromium, and the display server's CPU under each (what"
echo "each sends it); the pages from the cheapest for the host against Chromium to the dearest:"
printf '  %-30s %8s %10s %6s %8s %8s %8s %8s\n' page host chromium ratio "host MB" "chr. MB" \
  "$srv host" "$srv chr."
lines=("$(row "still page (no motion)" "Modules/Bench/Pages/ZKRstill.htm")"
       "$(row "still page, the toyz only" "Modules/Bench/Pages/ZKRtoyz.htm")"
       "$(row "one moving dot (the floor)" "Modules/Bench/Pages/ZKRdot.htm")")
for page in ${PAGES:-Ocean/Waves/ZKRWaves Ocean/CoralReef/ZKRCoralReef Ocean/DeepBlue/ZKRDeepBlue \
            Space/Starfield/ZKRStarfield Space/Nebula/ZKRNebula Space/Orbit/ZKROrbit \
            Seasons/Autumn/ZKRAutumn Seasons/Frost/ZKRFrost Sound/Bands/ZKRBands}; do
  lines+=("$(row "$page" "Modules/$page.htm")")
done
printf '%s\n' "${lines[@]}" | sort -n | cut -f2-
# A page the host stopped or gave up measures nothing: said, so that no such
# figure is taken for a cheap page.
if grep -q "stopped the page\|gave up the page" "$work/host.err"; then
  echo "The host stopped pages meanwhile; their figures mean nothing:"
  grep "stopped the page\|gave up the page" "$work/host.err" | sed 's/^/  /'
fi
