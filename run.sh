#!/usr/bin/env bash
# Installs what the build needs, builds Zelkora Manager, makes the demo
# installation when the prefix has none, and opens the Manager on it. On a
# machine without a display the Manager runs under Xvfb and a picture of its
# window is saved.
set -euo pipefail
cd "$(dirname "$0")"

# Everything the programs and the tests use: one list, packages.txt.
mapfile -t packages < <(grep -v '^\s*\(#\|$\)' packages.txt)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
# Only what this command runs; the tests and benchmarks are the other command's.
cmake --build --preset default --target zelkora zelkora-manager zelkora-desktop zelkora-demo \
  zelkora-catalogue zelkora-shell

export ZELKORA_PREFIX=${ZELKORA_PREFIX:-$HOME/.zelkora}
build/default/tools/zelkora-demo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # The desktop first, kept running (it ends at once when one runs already),
  # then the Manager.
  setsid build/default/zelkora-desktop --keep-running >/dev/null 2>&1 < /dev/null &
  exec build/default/zelkora-manager
fi
# No display: run under Xvfb, unattended, the desktop host behind the
# Manager. A message box is printed here, shown in the picture and answered
# as closing it would; the run ends by itself.
shot=${ZELKORA_SCREENSHOT:-$PWD/build/zelkora-manager.png}
rm -f "$shot"
export ZELKORA_SCREENSHOT="$shot" ZELKORA_SCREENSHOT_SCREEN=1
xvfb-run -a -s "-screen 0 1280x900x24 -noreset" sh -c '
  build/default/zelkora-desktop 2>/dev/null &
  host=$!
  for i in $(seq 50); do
    build/default/tools/zelkora-shell show 2>/dev/null | grep -q "^desktop host: running" && break
    sleep 0.1
  done
  timeout 120 build/default/zelkora-manager 2>/dev/null | grep -v "^screenshot "
  kill $host 2>/dev/null
  true' || true
echo "No display here: the Manager ran under Xvfb on $ZELKORA_PREFIX, the desktop behind it."
if [ -f "$shot" ]; then
  echo "A picture of the screen is in $shot"
else
  echo "The Manager ended without a picture."
fi
