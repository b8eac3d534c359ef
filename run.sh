#!/usr/bin/env bash
# Installs what the build needs, builds Zelkora Manager, makes the demo
# installation when the prefix has none, and opens the Manager on it. On a
# machine without a display the Manager runs under Xvfb and a picture of its
# window is saved.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake ninja-build clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev libsqlite3-dev qt6-base-dev qt6-webengine-dev xvfb xauth)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default

export ZELKORA_PREFIX=${ZELKORA_PREFIX:-$HOME/.zelkora}
build/default/tools/zelkora-demo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/default/zelkora-manager
fi
shot=${ZELKORA_SCREENSHOT:-$PWD/build/zelkora-manager.png}
xvfb-run -a -s "-screen 0 1280x900x24" env ZELKORA_SCREENSHOT="$shot" build/default/zelkora-manager \
  >/dev/null 2>&1
echo "No display here: the Manager ran under Xvfb on $ZELKORA_PREFIX."
echo "A picture of its window is in $shot"
