#!/usr/bin/env bash
# mdhost send onto a folder player: a file of a kind the player does not show
# is refused with one line naming its kind, before anything is written, and
# the other files are still sent.
#   send_format_check.sh MDHOST TRACK.wav
set -euo pipefail
mdhost=$1
track=$2
player=$(mktemp -d /tmp/md-send-format-XXXXXX)
sources=$(mktemp -d /tmp/md-send-sources-XXXXXX)
trap 'rm -rf "$player" "$sources"' EXIT
# The kind is told by the name, as the player's listing tells it.
cp "$track" "$sources/Song.FLAC"
cp "$track" "$sources/kept.wav"
status=0
out=$("$mdhost" send "$sources/Song.FLAC" "$sources/kept.wav" 1/1 '\' --player "$player" 2>/dev/null) || status=$?
echo "$out"
fail() { echo "FAILED: $1"; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status"
grep -qE "^refused $sources/Song.FLAC: the player does not play \.flac files \(it plays [^)]*\.wav[^)]*\)\$" <<<"$out" ||
  fail "no refusal naming .flac"
grep -qE "^sent $sources/kept.wav" <<<"$out" || fail "the other file was not sent"
[ "$(ls -A "$player")" = "kept.wav" ] || fail "the player holds: $(ls -A "$player")"
echo "passed"
