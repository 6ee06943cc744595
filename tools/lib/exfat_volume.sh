#!/usr/bin/env bash
# An exFAT volume as players and memory cards carry it: an image file on a
# loop device, mounted through FUSE (exfat-fuse). Names compare with case
# aside, there are no hard links, and a no-replace rename answers EINVAL.
#
#   exfat_volume.sh up DIR [SIZE] [LABEL] [ro]  mounts at DIR/mnt and prints that path
#   exfat_volume.sh down DIR                    unmounts, detaches and removes DIR
#   exfat_volume.sh pull DIR                    kills the FUSE process: a card pulled out
#   exfat_volume.sh remount DIR [ro]            mounts the same image again (after pull or down of the mount only)
#   exfat_volume.sh fsck DIR                    checks the image (fsck.exfat -n); unmounted first
#   exfat_volume.sh can                         exit 0 when a volume can be mounted here, else says why
#
# A test that cannot mount fails: set MD_ALLOW_NO_EXFAT=1 to turn that into
# a loud skip (exit 77) on a machine without /dev/fuse or loop devices.
set -euo pipefail

fail() {
  echo "exfat_volume: $*" >&2
  if [ "${MD_ALLOW_NO_EXFAT:-0}" = 1 ]; then
    echo "exfat_volume: SKIPPED: no exFAT volume on this machine (MD_ALLOW_NO_EXFAT=1)" >&2
    exit 77
  fi
  exit 1
}

why_not() {
  [ "$(id -u)" -eq 0 ] || { echo "not root (loop devices and mounts need root)"; return; }
  [ -e /dev/fuse ] || { echo "/dev/fuse is missing"; return; }
  [ -e /dev/loop-control ] || { echo "/dev/loop-control is missing"; return; }
  local tool
  for tool in mkfs.exfat mount.exfat-fuse fsck.exfat losetup; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing (exfatprogs, exfat-fuse)"; return; }
  done
}

state() { cat "$1/state" 2>/dev/null || true; }

mount_image() {
  local dir=$1 ro=${2:-}
  local loop options=()
  [ "$ro" = ro ] && options=(-o ro)
  loop=$(losetup -f --show "$dir/image") || fail "no free loop device"
  echo "$loop" >"$dir/state"
  mkdir -p "$dir/mnt"
  mount.exfat-fuse "${options[@]}" "$loop" "$dir/mnt" >/dev/null 2>&1 || fail "mount.exfat-fuse $loop failed"
}

unmount_image() {
  local dir=$1 loop
  loop=$(state "$dir")
  if mountpoint -q "$dir/mnt" 2>/dev/null || grep -q " $dir/mnt " /proc/mounts; then
    umount "$dir/mnt" 2>/dev/null || umount -l "$dir/mnt" 2>/dev/null || true
  fi
  [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null || true
  rm -f "$dir/state"
}

fuse_pid() {
  local loop=$1 pid
  for pid in $(pgrep -x mount.exfat-fus 2>/dev/null; pgrep -f "^mount.exfat-fuse" 2>/dev/null); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q " $loop " && { echo "$pid"; return; }
  done
}

cmd=${1:-}
case "$cmd" in
  can)
    reason=$(why_not)
    [ -z "$reason" ] || fail "$reason"
    ;;
  up)
    dir=${2:?DIR}; size=${3:-64M}; label=${4:-CARD}; ro=${5:-}
    reason=$(why_not)
    [ -z "$reason" ] || fail "$reason"
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    truncate -s "$size" "$dir/image"
    mkfs.exfat -L "$label" "$dir/image" >/dev/null 2>&1 || fail "mkfs.exfat failed"
    mount_image "$dir" "$ro"
    echo "$dir/mnt"
    ;;
  down)
    dir=${2:?DIR}
    [ -d "$dir" ] || exit 0
    unmount_image "$dir"
    rm -rf "$dir"
    ;;
  pull)
    dir=${2:?DIR}; loop=$(state "$dir")
    pid=$(fuse_pid "$loop")
    [ -n "$pid" ] || fail "no FUSE process serves $loop"
    kill -9 "$pid"
    ;;
  remount)
    dir=${2:?DIR}
    unmount_image "$dir"
    mount_image "$dir" "${3:-}"
    echo "$dir/mnt"
    ;;
  fsck)
    dir=${2:?DIR}
    unmount_image "$dir"
    fsck.exfat -n "$dir/image"
    ;;
  *)
    echo "usage: exfat_volume.sh up|down|pull|remount|fsck|can ..." >&2
    exit 2
    ;;
esac
