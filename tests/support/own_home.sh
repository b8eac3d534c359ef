#!/bin/sh
# Runs a test with a home of its own: HOME, the XDG folders and a runtime
# folder made for it and removed after, and no display or session bus of the
# user's. Tests that run side by side then share nothing of the user's: a
# test that needs a display or a bus starts its own.
#   own_home.sh PROGRAM [ARGUMENTS...]
home=$(mktemp -d "${TMPDIR:-/tmp}/zelkora-home-XXXXXX") || exit 1
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache" "$home/.local/state" "$home/run"
chmod 700 "$home/run"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
       XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$home/run"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS ZELKORA_PREFIX
"$@"
status=$?
rm -rf "$home"
exit $status
