#!/usr/bin/env bash
# mdhost's edits on a folder player as a user makes them: send, mkdir, mv
# (to a new name, and to another case of the same name, a file and a
# folder), playlist new and set, rm of a file and of a folder; each one
# checked in the folder itself. With "exfat" the player is an exFAT volume
# mounted through FUSE, as a card is.
#   edit_check.sh MDHOST SAMPLE_TRACKS [exfat]
set -euo pipefail
mdhost=$1 samples=$2 volume=${3:-}
volumes=$(cd "$(dirname "$0")/../../../tools/lib" && pwd)/exfat_volume.sh
work=$(mktemp -d /tmp/md-edit-XXXXXX)
trap '[ "$volume" = exfat ] && "$volumes" down "$work/card"; rm -rf "$work"' EXIT
player="$work/Player"
if [ "$volume" = exfat ]; then player=$("$volumes" up "$work/card" 64M); fi
mkdir -p "$player"
fail() { echo "FAILED: $*"; exit 1; }
edit() {  # edit ARGS...: the command must succeed
  "$mdhost" "$@" >"$work/out" 2>&1 || { cat "$work/out"; fail "mdhost $* failed"; }
}
names() { (cd "$player" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' '); }

edit mkdir "$player" / Music
edit mkdir "$player" /Music band
edit send "$samples/01 First Light.mp3" "$samples/02 Low Tide.mp3" "$player" /Music/band
edit mv "$player" "/Music/band/02 Low Tide.mp3" "low tide.mp3"
[ -f "$player/Music/band/low tide.mp3" ] && [ ! -e "$player/Music/band/02 Low Tide.mp3" ] || fail "mv: $(names)"
edit mv "$player" "/Music/band/low tide.mp3" "Low Tide.mp3"
[ "$(cd "$player/Music/band" && ls | grep -ci '^low tide.mp3$')" -eq 1 ] &&
  (cd "$player/Music/band" && ls | grep -qx 'Low Tide.mp3') || fail "a change of case: $(names)"
edit mv "$player" /Music/band BAND
(cd "$player/Music" && ls | grep -qx BAND) && [ -f "$player/Music/BAND/Low Tide.mp3" ] || fail "folder case: $(names)"
edit playlist new "$player" /Music Mix.m3u8
edit playlist set "$player" /Music/Mix.m3u8 "/Music/BAND/Low Tide.mp3" "/Music/BAND/01 First Light.mp3"
grep -q 'Low Tide.mp3' "$player/Music/Mix.m3u8" && grep -q '01 First Light.mp3' "$player/Music/Mix.m3u8" ||
  fail "the playlist's entries: $(cat "$player/Music/Mix.m3u8")"
edit rm "$player" "/Music/BAND/01 First Light.mp3"
[ ! -e "$player/Music/BAND/01 First Light.mp3" ] || fail "rm left the file"
! grep -q '01 First Light.mp3' "$player/Music/Mix.m3u8" || fail "rm left the file in the playlist"
edit rm "$player" /Music/BAND
[ ! -e "$player/Music/BAND" ] || fail "rm left the folder: $(names)"
[ "$(names)" = "./Music ./Music/Mix.m3u8 " ] || fail "left behind: $(names)"
echo "passed"
