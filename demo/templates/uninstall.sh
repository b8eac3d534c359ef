#!/bin/sh
# The Zelkora de-installer: removes the application folder and its settings.
prefix={{PREFIX}}
rm -rf "$prefix/drive_c/Program Files/Zelkora"
# The registry is changed under the prefix's write lock, as every writer does.
exec 9>>"$prefix/.lock"
command -v flock >/dev/null && flock 9
if [ -f "$prefix/registry.reg" ]; then
  awk 'BEGIN{skip=0} /^\[/{skip=index($0,"\\SOFTWARE\\Zelkora")>0} !skip' "$prefix/registry.reg" > "$prefix/registry.reg.new" && mv "$prefix/registry.reg.new" "$prefix/registry.reg"
fi
