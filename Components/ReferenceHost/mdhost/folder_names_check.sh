#!/usr/bin/env bash
# A folder player named by its folder (--player implied), by DEVICE/N and by
# the location mdhost media prints, with paths written with "/"; and every
# record of a track showing its real play time: a one-second WAV as "1 s"
# and a half-second one as "0.5 s" in the folder's listing, in a playlist's
# entries listed after the tracks' tags were read, and in item information,
# also where the listed milliseconds and the tag hold the same number.
#   folder_names_check.sh MDHOST SAMPLE_TRACKS FIXTURE_TRACKS
set -euo pipefail
mdhost=$1 samples=$2 fixtures=$3
work=$(mktemp -d /tmp/md-folder-names-XXXXXX)
trap 'rm -rf "$work"' EXIT
player="$work/Player"
mkdir -p "$player/Music"
fail() { echo "FAILED: $*"; exit 1; }
expect() {  # expect OUTPUT REGEX...
  local out=$1; shift
  for pattern in "$@"; do grep -qE -- "$pattern" <<<"$out" || { echo "$out"; fail "no line matching '$pattern'"; }; done
}

# The folder as the medium: send, mkdir, playlist new and set.
"$mdhost" send "$fixtures/untagged.wav" "$samples/Rain on a Tin Roof.wav" "$player" /Music >/dev/null
"$mdhost" mkdir "$player" / Empty >/dev/null
[ -d "$player/Empty" ] || fail "mkdir with the folder as medium made nothing"
"$mdhost" playlist new "$player" /Music Mix.m3u8 >/dev/null
"$mdhost" playlist set "$player" /Music/Mix.m3u8 /Music/untagged.wav "/Music/Rain on a Tin Roof.wav" >/dev/null

# mdhost media shows the short forms beside the location.
media=$("$mdhost" media --player "$player")
expect "$media" "^  Medium WMDM10[^ ]*___player  \(1/1, $player\)\$"
location=$(sed -n 's/^  Medium \(WMDM10[^ ]*\)  .*/\1/p' <<<"$media")

# Every record of both tracks, in each form of naming the medium.
listing=$("$mdhost" ls "$player" /Music)
expect "$listing" '^  track  \\Music\\untagged\.wav .* 1 s$' '^  track  \\Music\\Rain on a Tin Roof\.wav .* 0\.5 s$' \
  '^    track  \\Music\\Mix\.m3u8\|\\Music\\untagged\.wav  #0 .* 1 s$' \
  '^    track  \\Music\\Mix\.m3u8\|\\Music\\Rain on a Tin Roof\.wav  #1 .* 0\.5 s$'
expect "$("$mdhost" ls "$location" '\Music' --player "$player")" '^  track  \\Music\\untagged\.wav .* 1 s$'
expect "$("$mdhost" info 1/1 /Music/untagged.wav --player "$player")" '^track  \\Music\\untagged\.wav .* 1 s$'
expect "$("$mdhost" info "$player" '/Music/Mix.m3u8|/Music/Rain on a Tin Roof.wav')" ' 0\.5 s$'
expect "$("$mdhost" playlist show "$location" /Music/Mix.m3u8 --player "$player")" \
  '\|\\Music\\untagged\.wav  #0 .* 1 s$' '\|\\Music\\Rain on a Tin Roof\.wav  #1 .* 0\.5 s$'
"$mdhost" mv 1/1 /Music/untagged.wav one.wav --player "$player" >/dev/null
"$mdhost" rm "$location" /Empty --player "$player" >/dev/null
[ -f "$player/Music/one.wav" ] && [ ! -e "$player/Empty" ] || fail "mv or rm did not reach the folder"
# A track whose worked-out milliseconds and duration tag are the same number
# (10,000: 10 s listed, 1 s tagged) shows the tag's second in every record.
cat >"$work/players.json" <<'JSON'
{ "formats": { "pcm-8": { "tag": "0x0001", "channels": 1, "samplesPerSec": 1000, "avgBytesPerSec": 1000,
                          "blockAlign": 1, "bitsPerSample": 8 } },
  "players": [ { "name": "Even", "manufacturer": "Test", "type": ["playback", "storage"],
                 "formatsSupported": ["0x3008", "0xBA05"],
    "media": [ { "name": "Memory", "totalSize": 1048576, "capabilities": ["foldersInRoot", "filesInFolders", "filesInRoot"],
      "items": [ { "folder": "Music", "items": [
        { "file": "even.wav", "size": 10000, "format": "pcm-8",
          "tags": { "WMDM/Title": "Even", "WMDM/Duration": 10000000, "WMDM/FormatCode": "0x3008" } },
        { "playlist": "Even.pla", "entries": ["\\Music\\even.wav"] } ] } ] } ] } ] }
JSON
even=$("$mdhost" ls 1/1 /Music --players "$work/players.json")
expect "$even" '^  track  \\Music\\even\.wav .* 1 s$' '^    track  \\Music\\Even\.pla\|\\Music\\even\.wav  #0 .* 1 s$'
expect "$("$mdhost" info 1/1 /Music/even.wav --players "$work/players.json")" '^track  \\Music\\even\.wav .* 1 s$'
echo "passed"
