#!/bin/sh
# The Zelkora de-installer: ends the desktop host of its prefix, then removes
# the application folder with its catalogue, its settings, the toyz' stored
# text and the desktop's files in the prefix.
prefix={{PREFIX}}
ended=
# The host of this prefix (its ZELKORA_PREFIX, or ~/.zelkora by default).
for pid in $(pgrep -x zelkora-desktop 2>/dev/null); do
  env=$(tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null) || continue
  p=$(printf '%s\n' "$env" | sed -n 's/^ZELKORA_PREFIX=//p')
  [ -n "$p" ] || p=$(printf '%s\n' "$env" | sed -n 's/^HOME=//p')/.zelkora
  [ "$p" = "$prefix" ] && kill "$pid" && ended="$ended $pid"
done
# Gone before their files go (a host that ends draws nothing more).
for _ in $(seq 50); do
  alive=
  for pid in $ended; do kill -0 "$pid" 2>/dev/null && alive=1; done
  [ -n "$alive" ] || break
  sleep 0.1
done
# Where the desktop was a still set as GNOME's wallpaper, the user's own
# wallpaper comes back: the two values saved before the first still.
if [ -f "$prefix/gnome-wallpaper.txt" ] && command -v gsettings >/dev/null; then
  set -- picture-uri picture-uri-dark
  while [ $# -gt 0 ] && IFS= read -r value; do
    [ -n "$value" ] && gsettings set org.gnome.desktop.background "$1" "$value"
    shift
  done < "$prefix/gnome-wallpaper.txt"
fi
rm -rf "$prefix/drive_c/Program Files/Zelkora" "$prefix/toy-data" "$prefix/desktop-profile" "$prefix/still"
rm -f "$prefix/desktop.changes" "$prefix/desktop.stopped" "$prefix"/.desktop-host*.lock \
      "$prefix/desktop.note" "$prefix/gnome-wallpaper.txt"
# The registry is changed under the prefix's write lock, as every writer does.
exec 9>>"$prefix/.lock"
command -v flock >/dev/null && flock 9
if [ -f "$prefix/registry.reg" ]; then
  awk 'BEGIN{skip=0} /^\[/{skip=index($0,"\\SOFTWARE\\Zelkora")>0} !skip' "$prefix/registry.reg" > "$prefix/registry.reg.new" && mv "$prefix/registry.reg.new" "$prefix/registry.reg"
fi
