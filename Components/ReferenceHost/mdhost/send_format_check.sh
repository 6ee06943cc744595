#!/usr/bin/env bash
# mdhost send --no-convert onto a folder player: a file of a kind the player does not show,
# or whose name the player's medium or the plug-in cannot take, is refused
# with one line saying why, before anything is written, and the other files
# are still sent. Edits say why they were refused too.
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
cp "$track" "$sources/back\\slash.wav"
cp "$track" "$sources/$(printf 'bad\xff.wav')"
status=0
out=$("$mdhost" send "$sources/Song.FLAC" "$sources/back\\slash.wav" "$sources/$(printf 'bad\xff.wav')" \
  "$sources/kept.wav" 1/1 '\' --player "$player" --no-convert 2>/dev/null) || status=$?
echo "$out"
fail() { echo "FAILED: $1"; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status"
grep -qE "^refused $sources/Song.FLAC: the player does not play \.flac files \(it plays [^)]*\.wav[^)]*\)\$" <<<"$out" ||
  fail "no refusal naming .flac"
grep -qF "refused $sources/back\\slash.wav: the name holds \"\\\"" <<<"$out" || fail "no refusal naming the \\"
grep -qE "^refused $sources/bad.xFF\.wav: its name is not UTF-8" <<<"$out" || fail "no refusal of a name not UTF-8"
grep -qE "^sent $sources/kept.wav" <<<"$out" || fail "the other file was not sent"
[ "$(ls -A "$player")" = "kept.wav" ] || fail "the player holds: $(ls -A "$player")"

# Edits refused in words: a name the medium would not take, before the call;
# a file the player holds read-only.
status=0
err=$("$mdhost" mkdir "$player" / 'a:b' 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && grep -qF 'the name holds ":"' <<<"$err" || fail "mkdir a:b: $status $err"
[ "$(ls -A "$player")" = "kept.wav" ] || fail "mkdir a:b made something"
err=$("$mdhost" mv "$player" /kept.wav "$(printf 'x\ty.wav')" 2>&1 >/dev/null) || true
grep -qF 'a control character (U+0009)' <<<"$err" || fail "mv to a name with a tab: $err"
chmod a-w "$player/kept.wav"
status=0
err=$("$mdhost" rm "$player" /kept.wav 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && grep -qF 'kept.wav is read-only on the player' <<<"$err" || fail "rm of a read-only file: $status $err"
echo "passed"
