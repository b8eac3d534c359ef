#!/usr/bin/env bash
# An unattended run (a picture asked for, nobody at the screen) with a
# message box at start-up: the box is printed, is in the picture, is answered,
# and the run ends by itself. Standard error holds nothing of Qt's or the
# browser's own reports.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZELKORA_PREFIX="$work/prefix"
"$bin/tools/zelkora-demo" >/dev/null
"$bin/tools/zelkora-shell" version 5.0
"$bin/tools/zelkora-shell" active-desktop off
shot="$work/shot.png"
out=$(QT_QPA_PLATFORM=offscreen ZELKORA_SCREENSHOT="$shot" ZELKORA_SCREENSHOT_WAIT_MS=2500 \
      timeout 60 "$bin/zelkora-manager" 2>"$work/err")
echo "$out"
if grep -q '^qt\.' "$work/err"; then echo "FAIL: Qt reports on standard error:" >&2; cat "$work/err" >&2; exit 1; fi
grep -q '^message box \[Zelkora Manager\]: Active Desktop is required to run Zelkora.' <<<"$out"
test -s "$shot"
# The box was answered "No": the desktop is still off.
grep -qi 'active desktop: off' <<<"$("$bin/tools/zelkora-shell" show)"
# The picture holds the window and, beside it, the box: wider than the window.
width=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print(struct.unpack('>I', d[16:20])[0])" "$shot")
test "$width" -gt 700
echo "ok: width $width"
