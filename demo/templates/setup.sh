#!/bin/sh
# The uninstaller of a Zelkora module or toy: removes its own folder, and a
# toy's stored text with it.
[ "$1" = "/uninst" ] || { echo "usage: setup.exe /uninst" >&2; exit 2; }
dir=$(cd "$(dirname "$0")" && pwd)
case "$dir" in
  */ZelToyz/*) rm -f "${dir%%/drive_?/*}/toy-data/$(basename "$dir").json" ;;
esac
rm -rf "$dir"
