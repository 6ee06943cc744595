#!/usr/bin/env bash
# mdhost sync over a folder player: a dry run changes nothing; a first sync
# sends the tracks with their folders, skips what the player does not play
# and writes the playlists; a second sends nothing; a changed track is
# replaced and one gone from the source deleted (--delete); Ctrl-C stops a
# sync between files with every file on the player whole, and the next sync
# sends the rest. With "exfat" the player is an exFAT volume mounted through
# FUSE, as a card is; otherwise a folder of the machine's own file system.
#   sync_check.sh MDHOST SAMPLE_TRACKS FIXTURE_TRACKS [exfat]
set -euo pipefail
mdhost=$1 samples=$2 fixtures=$3 volume=${4:-}
volumes=$(cd "$(dirname "$0")/../../../tools/lib" && pwd)/exfat_volume.sh
work=$(mktemp -d /tmp/md-sync-XXXXXX)
trap '[ "$volume" = exfat ] && "$volumes" down "$work/card"; rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
source="$work/Source" player="$work/Player"
if [ "$volume" = exfat ]; then player=$("$volumes" up "$work/card" 64M); fi
mkdir -p "$source/Harbour Songs" "$source/Field" "$player"
cp "$samples/01 First Light.mp3" "$samples/02 Low Tide.mp3" "$source/Harbour Songs/"
cp "$fixtures/untagged.wav" "$source/Field/"
cp "$fixtures/Harbour Bell.wav" "$source/Bell.wav"
printf 'not played here\n' >"$source/Live.flac"
printf 'cover\n' >"$source/Harbour Songs/cover.jpg"
printf '#EXTM3U\r\n#EXTINF:2,First Light\r\nHarbour Songs/02 Low Tide.mp3\r\nHarbour Songs\\01 First Light.mp3\r\nLive.flac\r\n' \
  >"$source/Mix.m3u8"
source "$(dirname "$0")/check_lines.sh"
sync() { "$mdhost" sync "$source" "$player" /Music --no-convert "$@" 2>/dev/null; }

before=$(snapshot)
out=$(sync --dry-run --playlists)
expect "$out" '^skipped Live\.flac: the player does not play \.flac files$' '^would make folder Harbour Songs$' \
  '^would send Harbour Songs/01 First Light\.mp3$' '^would send Field/untagged\.wav$' '^dry run: 4 to send, '
[ "$(snapshot)" = "$before" ] && [ ! -e "$XDG_STATE_HOME" ] || fail "the dry run changed something"

out=$(sync --playlists)
expect "$out" '^sent Bell\.wav$' '^sent Harbour Songs/02 Low Tide\.mp3$' '^skipped Live\.flac' \
  '^playlist Mix\.m3u8: 2 entries \(1 left out' '^sync: 4 sent, 0 replaced, 0 deleted, 1 skipped, 0 unchanged'
for track in "Harbour Songs/01 First Light.mp3" "Field/untagged.wav" Bell.wav; do
  [ -f "$player/Music/$track" ] || fail "$track is not on the player"
done
[ ! -e "$player/Music/Live.flac" ] && [ ! -e "$player/Music/Harbour Songs/cover.jpg" ] || fail "sent what is no track"
expect "$(cat "$player/Music/Mix.m3u8")" '^Harbour Songs/02 Low Tide\.mp3' '^Harbour Songs/01 First Light\.mp3'

# Nothing changed: nothing is sent, and the player is left as it was.
before=$(snapshot)
out=$(sync --playlists --delete)
refuse "$out" '^(sent|replaced|deleted|playlist) '
expect "$out" '^sync: 0 sent, 0 replaced, 0 deleted, 1 skipped, 4 unchanged'
[ "$(snapshot)" = "$before" ] || fail "a sync with nothing to do changed the player"

# A track changed (same size, new time), one gone; a track on the player that
# the source never had goes too with --delete, and is left alone without it.
cp "$samples/02 Low Tide.mp3" "$source/Harbour Songs/01 First Light.mp3"
rm "$source/Bell.wav"
cp "$fixtures/untagged.wav" "$player/Music/Stray.wav"
mkdir -p "$player/Music/Old"
cp "$fixtures/untagged.wav" "$player/Music/Old/"
out=$(sync)
expect "$out" '^replaced Harbour Songs/01 First Light\.mp3$' '^sync: 0 sent, 1 replaced, 0 deleted'
[ -f "$player/Music/Bell.wav" ] && [ -f "$player/Music/Stray.wav" ] && [ -d "$player/Music/Old" ] || fail "deleted without --delete"
out=$(sync --delete --playlists)
expect "$out" '^deleted Bell\.wav$' '^deleted Stray\.wav$' '^deleted Old$' '^sync: 0 sent, 0 replaced, 3 deleted'
refuse "$out" '^deleted Old/'
[ ! -e "$player/Music/Bell.wav" ] && [ ! -e "$player/Music/Stray.wav" ] && [ ! -e "$player/Music/Old" ] ||
  fail "--delete left a file"
expect "$(cat "$player/Music/Mix.m3u8")" '^Harbour Songs/01 First Light\.mp3'

# Ctrl-C once the first file is through: the sync ends after the file in
# hand, says so, and every file it left is whole; the next sends the rest.
mkdir -p "$source/Many"
for i in $(seq -w 1 400); do cp "$samples/02 Low Tide.mp3" "$source/Many/$i.mp3"; done
"$mdhost" sync "$source" "$player" /Music --no-convert >"$work/out" 2>"$work/err" &
syncing=$!
until grep -q '^\[2/400\]' "$work/err" 2>/dev/null; do kill -0 "$syncing" 2>/dev/null || break; sleep 0.01; done
kill -INT "$syncing"
status=0
wait "$syncing" || status=$?
[ "$status" -eq 130 ] || fail "an interrupted sync ended with status $status"
expect "$(cat "$work/err")" '^mdhost sync: stopped after [0-9]+ of 400 files'
sent=$(grep -c '^sent ' "$work/out")
onPlayer=$(find "$player/Music/Many" -type f | wc -l)
[ "$sent" -eq "$onPlayer" ] && [ "$sent" -lt 400 ] || fail "$sent sent, $onPlayer on the player"
out=$(sync)
expect "$out" "^sync: $((400 - sent)) sent, 0 replaced"
# The player writes each copy's tags, so a copy is compared with one the
# uninterrupted run sent of the same source, not with the source itself.
for copy in "$player/Music/Many"/*; do
  cmp -s "$copy" "$player/Music/Many/400.mp3" || fail "$copy is not whole"
done
echo "passed"
