#!/usr/bin/env bash
# A card pulled out in the middle of mdhost sync (its FUSE process killed):
# the sync says once that the medium is gone and stops, without trying the
# files left or blaming each on a full medium, and exits with status 1.
# Checked and mounted again, the card holds whole every file the sync
# reported written, audio and tags as sent (read back with mutagen).
#   sync_pulled_check.sh MDHOST SAMPLE_TRACKS TRACK_CHECKER
set -euo pipefail
mdhost=$1 samples=$2 checker=$3
volumes=$(cd "$(dirname "$0")/../../../tools/lib" && pwd)/exfat_volume.sh
work=$(mktemp -d /tmp/md-sync-pulled-XXXXXX)
trap '"$volumes" down "$work/card"; rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
fail() { echo "FAILED: $*"; exit 1; }
source="$work/Source"
player=$("$volumes" up "$work/card" 256M)
mkdir -p "$source/Many"
for i in $(seq -w 1 3000); do cp "$samples/02 Low Tide.mp3" "$source/Many/$i.mp3"; done

"$mdhost" sync "$source" "$player" /Music >"$work/out" 2>"$work/err" &
syncing=$!
# Pulled once some lines are out, which come after the writes are flushed
# (every 5 s): the source is large enough to outlast that on a quick machine.
until grep -q '^sent ' "$work/out" 2>/dev/null; do
  kill -0 "$syncing" 2>/dev/null || fail "the sync ended before the card was pulled"
  sleep 0.01
done
"$volumes" pull "$work/card"
status=0
wait "$syncing" || status=$?
[ "$status" -eq 1 ] || { cat "$work/err"; grep -v "^sent " "$work/out"; fail "a sync whose card was pulled ended with status $status"; }
[ "$(grep -c 'the medium is gone' "$work/err")" -eq 1 ] || { cat "$work/err"; fail "the sync did not say once that the medium is gone"; }
confirmed=$(grep -c '^sent ' "$work/out" || true)
grep -qE "^mdhost sync: stopped after [0-9]+ of 3000 files: $confirmed known written" "$work/err" || { cat "$work/err"; fail "no count of what was written"; }
failed=$(grep -c '^failed ' "$work/out" || true)
[ "$failed" -le 1 ] || { cat "$work/out"; fail "$failed files failed after the card was gone: the sync went on"; }
grep -qE '^sync: [0-9]+ sent, .* [01] failed$' "$work/out" || { cat "$work/out"; fail "no summary"; }

# What the sync reported written ("sent" lines; "not confirmed written"
# ones promise nothing) must be whole on the card.
"$volumes" fsck "$work/card" >"$work/fsck" 2>&1 || { cat "$work/fsck"; fail "fsck.exfat found the card damaged"; }
player=$("$volumes" remount "$work/card" ro)
pairs=()
while read -r name; do
  pairs+=("$source/$name" "$player/Music/$name")
done < <(sed -n 's/^sent //p' "$work/out")
[ "${#pairs[@]}" -gt 0 ] || fail "nothing was reported written before the card was pulled"
echo '{}' >"$work/expected.json"
/usr/bin/python3 "$checker" check "$work/expected.json" "${pairs[@]}" || fail "a file reported written is not whole"
echo "passed: $(( ${#pairs[@]} / 2 )) files reported written, each whole"
