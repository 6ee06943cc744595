#!/usr/bin/env bash
# mdhost watch --watch-root over a temporary folder: a folder there at start is
# listed, one made while watching arrives, one taken away leaves, and the end
# count is what is left, even when a burst of folders came just before the end.
#   watch_root_check.sh MDHOST
set -euo pipefail
mdhost=$1
root=$(mktemp -d /tmp/md-watch-root-XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir "$root/Existing"
"$mdhost" watch --watch-root "$root" --seconds 4 >"$root.out" 2>&1 &
watcher=$!
# The watch's four seconds start when it says so.
for _ in $(seq 100); do grep -q "^watching for" "$root.out" && break; sleep 0.1; done
sleep 1
mkdir "$root/Arriving"
sleep 1
rmdir "$root/Existing"
# A second before the end, too many to be handled one by one in time.
sleep 1
burst=300
(cd "$root" && mkdir $(seq -f "Burst%g" 1 $burst))
status=0
wait "$watcher" || status=$?
cat "$root.out"
out=$(cat "$root.out"); rm -f "$root.out"
[ "$status" -eq 0 ] || { echo "FAILED: exit status $status"; exit 1; }
# Display names carry the player's maker before its name.
for expected in "^watching folders in $root\$" "^listed: device 1 \(.*Existing\)\$" "^arrived: device 2 \(.*Arriving\)\$" \
                "^removed: device 1\$" "^attached: $((burst + 1)) device\(s\)\$"; do
  grep -qE -- "$expected" <<<"$out" || { echo "FAILED: no line matching '$expected'"; exit 1; }
done
echo "passed"
