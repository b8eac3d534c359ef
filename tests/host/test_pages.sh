# What the screen tests of the desktop host share (sourced): the pages they
# apply, and the CPU the host's process tree used.

# A page that takes its colour from the file beside it.
page() {
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/$1/ZKRtest.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%">
<script>
var x = new XMLHttpRequest(); x.open('GET', 'color.txt', false); x.send();
document.body.style.background = x.responseText.trim();
</script></body></html>
HTML
  echo "$2" > "$ZELKORA_PREFIX/drive_c/App/Modules/T/$1/color.txt"
}

# A page that tells each place of its viewport by its colour: red grows to
# the right, green downwards.
gradient_page() {
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRgradient.htm" <<'HTML'
<!doctype html><html><body style="margin:0;overflow:hidden">
<canvas id="c" style="display:block"></canvas><script>
function paint() {
  var c = document.getElementById('c'), w = innerWidth, h = innerHeight;
  c.width = w; c.height = h; c.style.width = w + 'px'; c.style.height = h + 'px';
  var g = c.getContext('2d'), x = g.createLinearGradient(0, 0, w, 0), y = g.createLinearGradient(0, 0, 0, h);
  x.addColorStop(0, '#000'); x.addColorStop(1, '#f00');
  y.addColorStop(0, '#000'); y.addColorStop(1, '#0f0');
  g.fillStyle = x; g.fillRect(0, 0, w, h);
  g.globalCompositeOperation = 'lighter'; g.fillStyle = y; g.fillRect(0, 0, w, h);
}
paint(); addEventListener('resize', paint);
</script></body></html>
HTML
}
# Two colours as RRGGBB alike within 6 a channel (an output at a fractional
# scale is drawn filtered at its edges, a gradient dithered).
near() {
  [ ${#1} = 6 ] || return 1
  local i
  for i in 0 2 4; do
    local d=$(( 16#${1:$i:2} - 16#${2:$i:2} ))
    [ ${d#-} -le 6 ] || return 1
  done
}
# The colour the gradient page has at X,Y of a viewport W by H, as RRGGBB.
gradient_at() { printf '%02X%02X00' $(( (2 * $1 + 1) * 255 / (2 * $3) )) $(( (2 * $2 + 1) * 255 / (2 * $4) )); }

# A page that draws all the time.
busy_page() {
  cat > "$ZELKORA_PREFIX/drive_c/App/Modules/T/Test/ZKRbusy.htm" <<'HTML'
<!doctype html><html style="height:100%"><body style="margin:0;height:100%">
<canvas id="c" width="640" height="480"></canvas><script>
var g = document.getElementById('c').getContext('2d'), n = 0;
(function f() { n++; g.fillStyle = n % 2 ? '#00f' : '#00e'; g.fillRect(0, 0, 640, 480);
  for (var i = 0; i < 2000; i++) g.fillRect(i % 640, (i * 7 + n) % 480, 3, 3);
  requestAnimationFrame(f); })();
</script></body></html>
HTML
}
# CPU ticks of the host and its browser processes so far.
ticks() { local t=0; for p in $host_pid $(pgrep -P "$host_pid") $(for c in $(pgrep -P "$host_pid"); do pgrep -P "$c"; done); do
    t=$((t + $(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null || echo 0))); done; echo $t; }
# Ticks in 2 s, a moment after a change (the host looks every second).
ticks_now() { sleep 2; local a; a=$(ticks); sleep 2; echo $(( $(ticks) - a )); }
