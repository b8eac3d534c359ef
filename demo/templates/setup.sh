#!/bin/sh
# The uninstaller of a Zelkora module or toy: removes its own folder.
[ "$1" = "/uninst" ] || { echo "usage: setup.exe /uninst" >&2; exit 2; }
dir=$(cd "$(dirname "$0")" && pwd)
rm -rf "$dir"
