#!/usr/bin/env bash
# What the demo's module pages cost on the desktop: the CPU of the desktop
# host's whole process tree (browser processes included) over a span, for
# each module with three toyz bound, against the host showing a still page.
# Runs on Xvfb, so every frame is drawn in software.
# Usage: bench/module_pages.sh [SECONDS]   (after a build of the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
span=${1:-10}
build=$PWD/build/default
. bench/proc.sh
demo_on_xvfb "$build"
app="$ZELKORA_PREFIX/drive_c/Program Files/Zelkora"
printf '&myFav1=Clock&myFav2=Sticky Notes&myFav3=Calendar&\r\n' >"$app/ZelToyz/ZelToyz.txt"
# Two pages of a module folder of their own, as the desktop serves modules.
bench="$app/Modules/Bench/Pages"
mkdir -p "$bench"
printf '<!DOCTYPE html><body style="margin:0;background:#246">\n' >"$bench/ZKRstill.htm"
# The floor of motion: one 10-pixel square moving at the modules' frame
# rate, with the same toyz.
cat >"$bench/ZKRdot.htm" <<'PAGE'
<!DOCTYPE html><html><head><link rel="stylesheet" href="../../../zelkora.css"><script src="../../../zelkora.js"></script>
<style>body{background:#246}.d{position:absolute;left:10px;top:10px;width:10px;height:10px;
background:#fff;animation:m 5s linear infinite}@keyframes m{to{transform:translateX(500px)}}</style>
</head><body><div class="d"></div></body></html>
PAGE

"$build/zelkora-desktop" >/dev/null 2>&1 &
host=$!; pids+=($host)
sleep 3
measure() { # Windows path of a page -> CPU % of one core
  "$build/tests/desktop_apply" page "$1"
  sleep 3
  cpu_percent $host "$span"
}
echo "CPU of the desktop host over $span s (percent of one core), three toyz bound:"
printf '  %-34s %6s%%\n' "still page (no motion)" "$(measure 'C:\Program Files\Zelkora\Modules\Bench\Pages\ZKRstill.htm')"
printf '  %-34s %6s%%\n' "one moving dot (the floor)" "$(measure 'C:\Program Files\Zelkora\Modules\Bench\Pages\ZKRdot.htm')"
for page in ${PAGES:-Ocean/Waves/ZKRWaves Ocean/CoralReef/ZKRCoralReef Ocean/DeepBlue/ZKRDeepBlue \
            Space/Starfield/ZKRStarfield Space/Nebula/ZKRNebula Space/Orbit/ZKROrbit \
            Seasons/Autumn/ZKRAutumn Seasons/Frost/ZKRFrost}; do
  printf '  %-34s %6s%%\n' "$page" "$(measure "C:\\Program Files\\Zelkora\\Modules\\${page//\//\\}.htm")"
done
