#!/usr/bin/env bash
# The Zelkora extension's form for GNOME Shell 45 on (an ES module, which the
# Shell 43 here cannot load) against a stand-in Shell, on a private session
# bus.
#   gnome_extension_module_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for tool in gjs dbus-run-session; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: the test needs $tool; install the packages of packages.txt" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/../support/gnome-shell/stand-in/"*.js "$work/"
sed -e "s|'gi://Meta'|'./shell.js'|" -e "s|'resource:///org/gnome/shell/[a-z/]*\.js'|'./shell.js'|" \
  "$build/gnome-shell/extension-45.js" >"$work/extension.js"
! grep -n "resource://\|gi://Meta" "$work/extension.js" || { echo "FAIL: a Shell import left" >&2; exit 1; }
# The bus says once that it cannot raise its file limit: not the test's.
cd "$work" && dbus-run-session -- gjs -m run.js 2> >(grep -v "fd limit" >&2)
