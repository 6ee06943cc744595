#!/usr/bin/env bash
# Runs a command with a fresh exFAT volume (tools/lib/exfat_volume.sh) as its
# temporary folder: TMPDIR is the volume's mount point and MD_EXFAT_VOLUME its
# directory, so the command's tests can pull the card out, remount it or check
# it. The volume is unmounted and removed however the command ends.
#
#   on_exfat_volume.sh [--size SIZE] COMMAND [ARGS...]
#
# Exit status: the command's; 77 (a skip) when no volume can be mounted and
# MD_ALLOW_NO_EXFAT=1, else 1.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
size=128M
if [ "${1:-}" = --size ]; then size=$2; shift 2; fi

dir=$(mktemp -d /tmp/md-exfat-XXXXXX) || exit 1
trap '"$here/exfat_volume.sh" down "$dir/volume"; rmdir "$dir"' EXIT
mount=$("$here/exfat_volume.sh" up "$dir/volume" "$size" CARD)
status=$?
[ $status -eq 0 ] || exit $status

TMPDIR=$mount MD_EXFAT_VOLUME=$dir/volume "$@"
