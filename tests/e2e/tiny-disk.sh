#!/usr/bin/env bash
# ctest fixture tiny_disk: a small disk of its own (16 MB tmpfs) at DIR, for the setup
# to run out of room on. Where the machine does not let us mount, DIR stays a plain
# folder without the file "mounted" and the case that needs it is skipped.
#   tiny-disk.sh mount|unmount DIR
set -uo pipefail
what=$1
dir=$2
if mountpoint -q "$dir" 2>/dev/null; then
  umount "$dir" 2>/dev/null || umount -l "$dir" 2>/dev/null || true
fi
[ "$what" = unmount ] && exit 0
mkdir -p "$dir"
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo -n "$@"; fi; }
if as_root mount -t tmpfs -o size=16m,mode=0777 lumora-tiny-disk "$dir" 2>/dev/null; then
  touch "$dir/mounted"
  echo "16 MB disk at $dir"
else
  echo "cannot mount a small disk at $dir: the full-disk case is skipped"
fi
exit 0
