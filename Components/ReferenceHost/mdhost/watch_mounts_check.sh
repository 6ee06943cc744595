#!/usr/bin/env bash
# mdhost watch --watch-mounts with real mounts, in a private mount namespace
# so that nothing outside it sees them: a medium mounted at start is listed,
# one mounted while watching arrives, one unmounted leaves. Exits 77 (the
# test is skipped) where this machine cannot make a mount namespace.
#   watch_mounts_check.sh MDHOST
set -euo pipefail
mdhost=$1
if [ "${1:-}" != "--inside" ]; then
  if ! unshare -m --propagation private true 2>/dev/null || [ ! -d /media ]; then
    echo "skipped: no private mount namespace on this machine"
    exit 77
  fi
  exec unshare -m --propagation private bash "$0" --inside "$mdhost"
fi
mdhost=$2
out=$(mktemp /tmp/md-watch-mounts-XXXXXX)
trap 'rm -f "$out"' EXIT
# A scratch /media for this namespace only, with the desktop's folder for a
# user of our own.
mount -t tmpfs md-media /media
mkdir -p /media/mdtest/PRESENT /media/mdtest/STICK
mount -t tmpfs md-present /media/mdtest/PRESENT
USER=mdtest "$mdhost" watch --watch-mounts --seconds 4 >"$out" 2>&1 &
watcher=$!
sleep 1
mount -t tmpfs md-stick /media/mdtest/STICK
sleep 1
umount /media/mdtest/PRESENT
status=0
wait "$watcher" || status=$?
cat "$out"
[ "$status" -eq 0 ] || { echo "FAILED: exit status $status"; exit 1; }
for expected in "^listed: device 1 \(.*PRESENT\)$" "^arrived: device 2 \(.*STICK\)$" "^removed: device 1$" \
                "^attached: 1 device\(s\)$"; do
  grep -qE -- "$expected" "$out" || { echo "FAILED: no line matching '$expected'"; exit 1; }
done
echo "passed"
