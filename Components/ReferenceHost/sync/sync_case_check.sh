#!/usr/bin/env bash
# mdhost sync where names differ in case only, as cards compare them: a
# library that renames a track or folder in case only (an accented letter
# too) keeps the player's copy (a dry run and a --delete sync neither send
# nor delete it); twins in
# the library send one and name the other, and a second sync neither fails
# nor swaps them; a file that cannot be sent is counted and fails the run.
# With "exfat" the player is an exFAT volume mounted through FUSE, and the
# same card mounted at another folder is still known by the sync's record.
#   sync_case_check.sh MDHOST SAMPLE_TRACKS CORPUS [exfat]
set -euo pipefail
mdhost=$1 samples=$2 corpus=$3 volume=${4:-}
volumes=$(cd "$(dirname "$0")/../../../tools/lib" && pwd)/exfat_volume.sh
work=$(mktemp -d /tmp/md-sync-case-XXXXXX)
cleanup() {
  mountpoint -q "$work/Elsewhere" 2>/dev/null && umount "$work/Elsewhere"
  [ "$volume" = exfat ] && "$volumes" down "$work/card"
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_STATE_HOME="$work/state"
source="$work/Source" player="$work/Player"
if [ "$volume" = exfat ]; then player=$("$volumes" up "$work/card" 64M); fi
mkdir -p "$source/band" "$player"
source "$(dirname "$0")/check_lines.sh"
run() {  # run ARGS...: the sync's output, its status in $status
  status=0
  out=$("$mdhost" sync "$source" "$player" /Music "$@" 2>"$work/err") || status=$?
}

cp "$samples/01 First Light.mp3" "$source/band/one.mp3"
cp "$samples/02 Low Tide.mp3" "$source/song.mp3"
cp "$samples/03 Breakwater.mp3" "$source/élan.mp3"
# The player rewrites this one's tags, so its copy's size is not the
# source's: only the record tells that the copy is the file sent.
cp "$corpus/silence-2s-PCM-44100-16-ID3v23.wav" "$source/Bell.wav"
run
expect "$out" '^sync: 4 sent, 0 replaced, 0 deleted, 0 skipped, 0 unchanged, 0 converted, 0 failed$'
[ "$status" -eq 0 ] || fail "the first sync ended with $status"

# The library renames in case only; the player keeps its spelling.
mv "$source/band" "$source/Band"
mv "$source/song.mp3" "$source/Song.mp3"
mv "$source/élan.mp3" "$source/Élan.mp3"
before=$(snapshot)
run --delete --dry-run
refuse "$out" '^would (send|replace|delete|make folder) '
expect "$out" '^dry run: 0 to send, 0 to replace, 0 to delete, 0 skipped, 4 unchanged'
run --delete
refuse "$out" '^(sent|replaced|deleted|failed) '
expect "$out" '^sync: 0 sent, 0 replaced, 0 deleted, 0 skipped, 4 unchanged, 0 converted, 0 failed$'
[ "$status" -eq 0 ] || fail "the sync after a change of case ended with $status"
[ "$(snapshot)" = "$before" ] || fail "a sync after a change of case only changed the player"
[ -f "$player/Music/band/one.mp3" ] && [ -f "$player/Music/song.mp3" ] && [ -f "$player/Music/élan.mp3" ] ||
  fail "the player's copies are gone"

# Twins: a file and a folder each in two spellings. The first in path order
# goes (files of different sizes tell which arrived); the other is named.
cp "$samples/01 First Light.mp3" "$source/Twin.mp3"
cp "$samples/03 Breakwater.mp3" "$source/twin.mp3"
mkdir -p "$source/Album" "$source/album"
cp "$samples/02 Low Tide.mp3" "$source/Album/a.mp3"
cp "$samples/03 Breakwater.mp3" "$source/album/b.mp3"
cp "$samples/Night Bus.mp3" "$source/album/c.mp3"
run --delete
expect "$out" '^sent Twin\.mp3$' '^sent Album/a\.mp3$' \
  '^skipped twin\.mp3: the player would take it for Twin\.mp3, sent in its place' \
  '^skipped album \(2 files\): the player would take it for the folder Album, synced in its place' \
  '^sync: 2 sent, 0 replaced, 0 deleted, 2 skipped, 4 unchanged, 0 converted, 0 failed$'
refuse "$out" '^(sent|failed) (twin|album/)'
[ "$status" -eq 0 ] || fail "a sync with twins ended with $status"
[ "$(stat -c %s "$player/Music/Twin.mp3")" = "$(stat -c %s "$source/Twin.mp3")" ] || fail "the wrong twin arrived"
[ "$(find "$player/Music" -iname 'twin.mp3' | wc -l)" -eq 1 ] || fail "both twins are on the player"
before=$(snapshot)
run --delete
expect "$out" '^skipped twin\.mp3: ' '^skipped album \(2 files\)' \
  '^sync: 0 sent, 0 replaced, 0 deleted, 2 skipped, 6 unchanged, 0 converted, 0 failed$'
[ "$status" -eq 0 ] && [ "$(snapshot)" = "$before" ] || fail "a second sync with twins changed the player or failed"

# A file whose name the player would not take fails, is counted, and the
# run says so in its status; the rest still goes.
cp "$samples/Night Bus.mp3" "$source/Late: Night.mp3"
cp "$samples/Night Bus.mp3" "$source/Night Bus.mp3"
run
expect "$out" '^failed Late: Night\.mp3: the name holds ":"' '^sent Night Bus\.mp3$' \
  '^sync: 1 sent, 0 replaced, 0 deleted, 2 skipped, 6 unchanged, 0 converted, 1 failed$'
[ "$status" -eq 1 ] || fail "a sync with a failure ended with $status"
rm "$source/Late: Night.mp3"

if [ "$volume" = exfat ]; then
  # The same card at another folder: its record is found by the volume, so
  # nothing is replaced (the WAV's copy differs in size from its source).
  umount "$player"
  mkdir -p "$work/Elsewhere"
  mount.exfat-fuse "$(cat "$work/card/state")" "$work/Elsewhere" >/dev/null 2>&1 || fail "cannot mount the card again"
  status=0
  out=$("$mdhost" sync "$source" "$work/Elsewhere" /Music --delete 2>"$work/err") || status=$?
  expect "$out" '^sync: 0 sent, 0 replaced, 0 deleted, 2 skipped, 7 unchanged, 0 converted, 0 failed$'
  [ "$status" -eq 0 ] || fail "the card at another folder: status $status"
  umount "$work/Elsewhere"
  "$volumes" remount "$work/card" >/dev/null
fi
echo "passed"
