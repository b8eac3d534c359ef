#!/usr/bin/env bash
# The Debian package: built from the build folder, checked by lintian (no
# errors), AppStream and the desktop-entry validator, unpacked into a
# throw-away root, and its menu command run on an account that never ran
# Zelkora (an empty HOME) under Xvfb, up to a painted Manager on the bundled
# modules. The picture is left in $ZELKORA_FIRST_RUN_SHOT when that is set.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack lintian appstreamcli desktop-file-validate dpkg-deb Xvfb; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: the package test needs $tool; install the packages of packages.txt" >&2; exit 1; }
done
work=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/zelkora_*_amd64.deb)
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "FAIL: lintian finds errors" >&2; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null
desktop-file-validate "$root/usr/share/applications/zelkora-manager.desktop" \
                      "$root/usr/share/applications/zelkora-install.desktop" \
                      "$root/etc/xdg/autostart/zelkora-desktop.desktop"
# The user unit that keeps the desktop running, as systemd reads it.
unit="$root/usr/lib/systemd/user/zelkora-desktop.service"
test -s "$unit" || { echo "FAIL: the package has no zelkora-desktop.service" >&2; exit 1; }
grep -q "^Exec=zelkora-desktop --keep-running$" "$root/etc/xdg/autostart/zelkora-desktop.desktop" ||
  { echo "FAIL: the autostart entry does not keep the desktop running" >&2; exit 1; }
if command -v systemd-analyze >/dev/null; then
  sed "s|/usr/bin/|$root/usr/bin/|" "$unit" >"$work/zelkora-desktop.service"
  mkdir -m 700 "$work/run"
  XDG_RUNTIME_DIR="$work/run" systemd-analyze verify --man=no --user "$work/zelkora-desktop.service" ||
    { echo "FAIL: systemd-analyze verify finds fault with the unit" >&2; exit 1; }
fi
# The GNOME Shell extension: the installed Shell's form is made its
# extension.js when the package is configured, and again by the trigger when
# GNOME Shell changes (tried here with stand-ins for the Shell's version).
dpkg-deb -e "$deb" "$work/control"
grep -qx "interest-noawait /usr/bin/gnome-shell" "$work/control/triggers" &&
  grep -q "configure|triggered) sh /usr/share/zelkora/gnome-shell/choose-extension.sh" "$work/control/postinst" &&
  grep -q 'rm -f "/usr/share/gnome-shell/extensions/desktop@zelkora.io/extension.js"' "$work/control/prerm" ||
  { echo "FAIL: the package does not choose the GNOME extension's form" >&2; exit 1; }
extension=$root/usr/share/gnome-shell/extensions/desktop@zelkora.io
mkdir "$work/shell" # the tools the choice needs, and a stand-in GNOME Shell or none
for tool in dirname sed cp mv; do ln -s "$(command -v $tool)" "$work/shell/"; done
for shell in "43.9 43" "44.1 43" "45.0 45" "47.2 45" "none 45"; do
  version=${shell% *}; form=${shell#* }
  rm -f "$work/shell/gnome-shell"
  [ "$version" = none ] || printf '#!/bin/sh\necho "GNOME Shell %s"\n' "$version" >"$work/shell/gnome-shell"
  chmod +x "$work/shell/gnome-shell" 2>/dev/null || true
  PATH="$work/shell" /bin/sh "$root/usr/share/zelkora/gnome-shell/choose-extension.sh"
  cmp -s "$extension/extension.js" "$root/usr/share/zelkora/gnome-shell/extension-$form.js" ||
    { echo "FAIL: GNOME Shell $version is not given the extension's form for $form" >&2; exit 1; }
done
grep -q '"shell-version": \["43", "44", "45", "46", "47"\]' "$extension/metadata.json" ||
  { echo "FAIL: the extension does not name GNOME Shell 43 to 47" >&2; exit 1; }
# A package file is of the package type, and opens in the installer (what
# the system's triggers do on installation, done here by hand).
update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
cp "$build/demo-packages/Waves.zelkora" "$work/Waves.zelkora"
type=$(XDG_DATA_DIRS="$root/usr/share:/usr/share" gio info -a standard::content-type "$work/Waves.zelkora" |
       sed -n 's/.*standard::content-type: //p')
[ "$type" = application/x-zelkora-package ] || { echo "FAIL: a package is $type" >&2; exit 1; }
# gio writes line by line: its answer is taken whole before it is read, or a
# grep that stops at the first line would kill it with SIGPIPE.
opens=$(PATH="$root/usr/bin:$PATH" XDG_DATA_DIRS="$root/usr/share:/usr/share" gio mime application/x-zelkora-package)
grep -q "^Default application for .*: zelkora-install.desktop" <<<"$opens" ||
  { echo "FAIL: packages do not open in zelkora-install; gio says:" >&2; echo "$opens" >&2; exit 1; }
# Every program has its manual page and answers --version.
for p in "$root"/usr/bin/*; do
  test -s "$root/usr/share/man/man1/$(basename "$p").1.gz" || { echo "FAIL: no manual page for $p" >&2; exit 1; }
  "$p" --version | grep -q "^$(basename "$p") [0-9]"
done
# Stripped.
if file "$root"/usr/bin/zelkora-manager | grep -q "not stripped"; then echo "FAIL: not stripped" >&2; exit 1; fi

# The first run from the menu: the Exec line of the menu entry, on an empty HOME.
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/zelkora-manager.desktop")
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x900x24 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
shot=${ZELKORA_FIRST_RUN_SHOT:-$work/first-run.png}
env -i PATH="$root/usr/bin:/usr/bin:/bin" HOME="$work/home" DISPLAY=":$(head -1 "$work/display")" \
    QTWEBENGINE_DISABLE_SANDBOX=1 ZELKORA_DESKTOP_HOST=0 ZELKORA_SCREENSHOT="$shot" \
    ZELKORA_SCREENSHOT_WAIT_MS=3000 timeout 120 "$root/usr/bin/$exec_line" >"$work/run.out" 2>&1 || true
test -s "$shot" || { echo "FAIL: the Manager painted nothing" >&2; cat "$work/run.out" >&2; exit 1; }
mdb="$work/home/.zelkora/drive_c/Program Files/Zelkora/Data/Zelkora.mdb"
modules=$("$root/usr/bin/zelkora-catalogue" list "$mdb" modules | tail -n +2 | wc -l)
[ "$modules" -eq 9 ] || { echo "FAIL: $modules modules listed, not 9" >&2; exit 1; }
echo "ok: a first run set up $modules modules and painted the Manager ($shot)"
