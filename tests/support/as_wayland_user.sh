# Sourced by what runs a Wayland compositor: sway refuses to run as root, so
# as root the caller runs again as a user of its own (made once, under a
# lock), and the folders it needs are made passable to that user (traverse
# only) where they are not. Usage: as_wayland_user SCRIPT ARGS...
as_wayland_user() {
  [ "$(id -u)" = 0 ] || return 0
  local user=zelkora-wayland-test dir
  ( flock 9; id "$user" >/dev/null 2>&1 || useradd --create-home "$user" ) 9>/tmp/zelkora-wayland-test.lock
  if ! id "$user" >/dev/null 2>&1 || ! command -v runuser >/dev/null; then
    echo "FAIL: sway refuses root, and no user of its own could be made to run it" \
         "(useradd and runuser are needed)" >&2
    exit 1
  fi
  for dir in "$@"; do # the arguments that name folders or files
    [ -e "$dir" ] || continue
    [ -d "$dir" ] || dir=$(dirname "$dir")
    dir=$(cd "$dir" && pwd)
    while [ "$dir" != / ]; do
      runuser -u "$user" -- test -x "$dir" || chmod o+x "$dir"
      dir=$(dirname "$dir")
    done
  done
  exec runuser -u "$user" -- env -i PATH="$PATH" bash "$@"
}
