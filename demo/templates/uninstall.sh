#!/bin/sh
# The Zelkora de-installer: ends the desktop host of its prefix, then removes
# the application folder with its catalogue, its settings, the toyz' stored
# text and the desktop's files in the prefix.
prefix={{PREFIX}}
# The host of this prefix (its ZELKORA_PREFIX, or ~/.zelkora by default).
for pid in $(pgrep -x zelkora-desktop 2>/dev/null); do
  env=$(tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null) || continue
  p=$(printf '%s\n' "$env" | sed -n 's/^ZELKORA_PREFIX=//p')
  [ -n "$p" ] || p=$(printf '%s\n' "$env" | sed -n 's/^HOME=//p')/.zelkora
  [ "$p" = "$prefix" ] && kill "$pid"
done
rm -rf "$prefix/drive_c/Program Files/Zelkora" "$prefix/toy-data" "$prefix/desktop-profile"
rm -f "$prefix/desktop.changes" "$prefix/desktop.stopped" "$prefix"/.desktop-host*.lock
# The registry is changed under the prefix's write lock, as every writer does.
exec 9>>"$prefix/.lock"
command -v flock >/dev/null && flock 9
if [ -f "$prefix/registry.reg" ]; then
  awk 'BEGIN{skip=0} /^\[/{skip=index($0,"\\SOFTWARE\\Zelkora")>0} !skip' "$prefix/registry.reg" > "$prefix/registry.reg.new" && mv "$prefix/registry.reg.new" "$prefix/registry.reg"
fi
