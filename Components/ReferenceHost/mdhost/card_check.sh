#!/usr/bin/env bash
# mdhost on a memory card as players carry it: an exFAT volume mounted
# through FUSE (run under tools/lib/on_exfat_volume.sh, which gives TMPDIR
# and MD_EXFAT_VOLUME). Tracks, folders and playlists arrive; a change of
# case only is a rename; a long CJK name is taken; a playlist gets the name
# players look for and the host says it, and a sync finds its playlist in
# another case; a card mounted read-only is refused in those words.
#   card_check.sh MDHOST TRACK.wav VOLUME_SCRIPT
set -euo pipefail
mdhost=$1
track=$2
volume=$3
card=$TMPDIR
sources=$(mktemp -d /tmp/md-card-sources-XXXXXX)
trap 'rm -rf "$sources"' EXIT
fail() { echo "FAILED: $1"; exit 1; }

cjk=$(python3 -c 'print("\u66f2" * 91, end="")')
# The long name cannot be held by most folders here (273 bytes): it waits
# on the card, outside the folder the player shows.
cp "$track" "$sources/song.wav"
mkdir -p "$card/.waiting"
cp "$track" "$card/.waiting/$cjk.wav"
"$mdhost" mkdir "$card" / Music >/dev/null || fail "mkdir Music"
out=$("$mdhost" send "$sources/song.wav" "$card/.waiting/$cjk.wav" "$card" '\Music' 2>&1) || fail "send: $out"
rm -r "$card/.waiting"
[ -f "$card/Music/song.wav" ] && [ -f "$card/Music/$cjk.wav" ] || fail "the card holds: $(ls -A "$card/Music")"
"$mdhost" mv "$card" /Music/song.wav Song.wav >/dev/null || fail "mv song.wav Song.wav"
"$mdhost" mkdir "$card" / band >/dev/null || fail "mkdir band"
"$mdhost" mv "$card" /band BAND >/dev/null || fail "mv band BAND"
[ "$(ls "$card")" = "$(printf 'BAND\nMusic')" ] || fail "after the renames: $(ls "$card")"
[ -f "$card/Music/Song.wav" ] || fail "Song.wav: $(ls "$card/Music")"
out=$("$mdhost" playlist new "$card" /Music Road 2>&1) || fail "playlist new: $out"
grep -qF 'Road.m3u8' <<<"$out" || fail "the host was not told the playlist's name: $out"
head -c 7 "$card/Music/Road.m3u8" | grep -qF '#EXTM3U' || fail "no Road.m3u8: $(ls "$card/Music")"

# A sync's playlist already on the card in another case is that playlist:
# it is brought up to date, not refused as "already there".
export XDG_STATE_HOME="$sources/state"
library="$sources/Library"
mkdir -p "$library/Band"
cp "$track" "$library/Band/one.wav"
printf '#EXTM3U\nBand/one.wav\n' >"$library/MIX.m3u8"
"$mdhost" sync "$library" "$card" /Synced --playlists >/dev/null 2>&1 || fail "the first sync"
mv "$library/MIX.m3u8" "$library/mix.m3u8"
printf '#EXTM3U\nBand/one.wav\nBand/one.wav\n' >"$library/mix.m3u8"
out=$("$mdhost" sync "$library" "$card" /Synced --playlists 2>&1) || fail "the second sync: $out"
grep -qF 'playlist mix.m3u8: 2 entries' <<<"$out" || fail "the playlist was not brought up to date: $out"
[ "$(ls "$card/Synced")" = "$(printf 'Band\nMIX.m3u8')" ] || fail "the card holds: $(ls "$card/Synced")"
[ "$(grep -cx 'Band/one.wav' "$card/Synced/MIX.m3u8")" = 2 ] || fail "MIX.m3u8: $(cat "$card/Synced/MIX.m3u8")"

# Read-only: every write is refused as such, and nothing changes.
"$volume" remount "$MD_EXFAT_VOLUME" ro >/dev/null
status=0
err=$("$mdhost" rm "$card" /Music/Song.wav 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && grep -qF 'the medium is read-only' <<<"$err" || fail "rm on a read-only card: $status $err"
status=0
out=$("$mdhost" send "$sources/song.wav" "$card" '\BAND' 2>&1) || status=$?
[ "$status" -eq 1 ] && grep -qF 'the medium is read-only' <<<"$out" || fail "send onto a read-only card: $status $out"
[ -f "$card/Music/Song.wav" ] && [ -z "$(ls -A "$card/BAND")" ] || fail "the read-only card changed"

echo "passed"
