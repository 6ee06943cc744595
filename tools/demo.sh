#!/usr/bin/env bash
# The tour of the plug-in. On Linux it drives a real folder, made from the
# sample tracks the build writes, as a portable player: devices and
# properties, media and space, browsing with tags, sending tracks, a playlist
# made and reordered, a rename and a delete, and then the folder as it is left
# on disk with its playlist text. Then the same tour of the built-in sample
# players through the Windows DLL under Wine. It ends with the address of a
# page in the browser over the demo's player, served for a moment, and the
# documents to read on; with --serve the page stays up until Ctrl-C.
#   tools/demo.sh [--serve]
set -euo pipefail
keep_serving=0
case "${1:-}" in
  --serve) keep_serving=1 ;;
  "") ;;
  *) echo "usage: tools/demo.sh [--serve]" >&2; exit 2 ;;
esac
source "$(dirname "$0")/lib/common.sh"

md_ensure_packages "${MD_LINUX_PACKAGES[@]}" "${MD_WINDOWS_PACKAGES[@]}"
md_require_tool x86_64-w64-mingw32-g++-posix windows
md_require_tool wine windows

skipped=()
skip() {
  printf '\n!! SKIPPED: %s\n' "$*"
  skipped+=("$*")
}
# Prints the command as a person would type it, then runs it.
show() {
  local shown=() arg
  for arg in "${1##*/}" "${@:2}"; do
    if [[ "$arg" =~ [^A-Za-z0-9_./=-] ]]; then shown+=("'$arg'"); else shown+=("$arg"); fi
  done
  printf '\n$ %s\n' "${shown[*]}"
  # The plug-in's log lines (-v) are left out; the changes it reports stay.
  "$@" 2>&1 | { grep -v '^log: ' || true; }
  return "${PIPESTATUS[0]}"
}

md_say "building the Linux lane"
md_build_lane linux
bin="$MD_BUILD_ROOT/linux/bin"
mdhost="$bin/mdhost"
tracks="$bin/samples/tracks"
help=$("$mdhost" help)
has_command() { grep -qE "^  mdhost $1( |$)" <<<"$help"; }
has_option() { grep -qF -- "$1" <<<"$help"; }

# A player folder as a music player's memory looks after a first sync: two
# tracks of an album in Music/, an empty Playlists/.
work=$(mktemp -d /tmp/mdplugin-demo-XXXXXX)
trap 'rm -rf "$work"' EXIT
player="$work/players/Demo Player"
album="$player/Music/The Lanterns/Harbour Songs"
mkdir -p "$album" "$player/Playlists"
cp "$tracks/01 First Light.mp3" "$tracks/02 Low Tide.mp3" "$album/"

md_say "Linux: the player is the folder $player"
if has_option "--player DIR"; then
  players=(--player "$player")
else
  skip "mdhost --player is not in this build yet: the folder is found through --watch-root instead"
  players=(--watch-root "$work/players")
fi

md_say "Linux: the plug-in's name and version"
show "$mdhost" info
md_say "Linux: devices, with every property the host reads"
show "$mdhost" devices "${players[@]}"
md_say "Linux: the media of device 1, with their space and the short forms of their names"
show "$mdhost" media 1 "${players[@]}"
grep -q '^  Medium ' <<<"$("$mdhost" media 1 "${players[@]}")" || md_fail "device 1 shows no medium"
# The player's folder names its medium from here on (--player is implied).
if has_option 'DEVICE/N'; then
  medium=$player
  players=()
else
  skip "this build names a medium by its location or DEVICE/N only: the tour says 1/1"
  medium=1/1
fi

md_say "Linux: browsing, with the tags of every track"
show "$mdhost" ls "$medium" "${players[@]}"
if ! grep -q 'Music' <<<"$("$mdhost" ls "$medium" "${players[@]}")"; then
  skip "the folder-backed player is not in this build yet (the folder shows as an empty player): browsing, sending, playlists, rename and delete"
  content=0
else
  content=1
fi
if [ "$content" = 1 ]; then
show "$mdhost" ls "$medium" '/Music/The Lanterns/Harbour Songs' "${players[@]}"

md_say "Linux: sending tracks with their tags"
if has_command send; then
  show "$mdhost" send "$tracks/03 Breakwater.mp3" "$medium" '/Music/The Lanterns/Harbour Songs' "${players[@]}" -v
  show "$mdhost" send "$tracks/Night Bus.mp3" "$tracks/Café à minuit.mp3" "$tracks/Rain on a Tin Roof.wav" "$medium" '\Music' \
    "${players[@]}" -v
  show "$mdhost" ls "$medium" '/Music/The Lanterns/Harbour Songs' "${players[@]}"
else
  skip "mdhost send is not in this build yet: no track is sent"
fi

md_say "Linux: a folder, a playlist, its tracks in one order and then in another"
show "$mdhost" mkdir "$medium" '\Music' 'Field Recordings' "${players[@]}" -v
show "$mdhost" playlist new "$medium" '\Playlists' 'Harbour Songs.m3u8' "${players[@]}" -v
playlist=$("$mdhost" ls "$medium" '\Playlists' "${players[@]}" | sed -n 's/^  playlist  \(.*Harbour Songs[^|]*\)$/\1/p' | head -n 1)
playlist=${playlist:-'\Playlists\Harbour Songs.m3u8'}
first='\Music\The Lanterns\Harbour Songs\01 First Light.mp3'
second='\Music\The Lanterns\Harbour Songs\02 Low Tide.mp3'
show "$mdhost" playlist set "$medium" "$playlist" "$first" "$second" "${players[@]}" -v
show "$mdhost" playlist set "$medium" "$playlist" "$second" "$first" "${players[@]}" -v
show "$mdhost" playlist show "$medium" "$playlist" "${players[@]}"

md_say "Linux: a rename and a delete"
show "$mdhost" mv "$medium" "$second" '02 Low Tide (live).mp3' "${players[@]}" -v
show "$mdhost" rm "$medium" "$first" "${players[@]}" -v

md_say "Linux: a library folder synced onto the player (a FLAC converted to MP3), then again (nothing to send)"
if has_command sync; then
  library="$work/Library"
  mkdir -p "$library/City Lights"
  cp "$tracks/Night Bus.mp3" "$library/City Lights/"
  cp "$tracks/01 First Light.mp3" "$tracks/03 Breakwater.mp3" "$library/"
  # A FLAC the player cannot play: the sync sends it converted to MP3, tags kept.
  cp "$bin/samples/lossless/04 Harbour Lights.flac" "$library/"
  export XDG_CACHE_HOME="$work/cache"
  printf '#EXTM3U\n01 First Light.mp3\nCity Lights/Night Bus.mp3\n' >"$library/Evening.m3u8"
  export XDG_STATE_HOME="$work/state"
  show "$mdhost" sync "$library" "$medium" /Library --playlists --dry-run
  show "$mdhost" sync "$library" "$medium" /Library --playlists
  show "$mdhost" ls "$medium" /Library "${players[@]}"
  show "$mdhost" sync "$library" "$medium" /Library --playlists
else
  skip "mdhost sync is not in this build yet"
fi
fi

md_say "Linux: the player folder as the tour left it"
(cd "$player" && find . -mindepth 1 | LC_ALL=C sort | while IFS= read -r entry; do
  if [ -d "$entry" ]; then printf '  %s/\n' "${entry#./}"; else printf '  %-60s %8d bytes\n' "${entry#./}" "$(stat -c %s "$entry")"; fi
done)
found_playlist=0
while IFS= read -r -d '' m3u; do
  found_playlist=1
  printf '\n-- %s\n' "${m3u#$player/}"
  cat "$m3u"
done < <(find "$player" -iname '*.m3u8' -print0)
[ "$found_playlist" = 1 ] || [ "$content" = 0 ] || md_fail "the tour made a playlist, but no M3U8 file is on disk"

md_say "building the Windows lane (mingw-w64)"
md_build_lane windows -DCMAKE_TOOLCHAIN_FILE="$MD_ROOT/cmake/mingw-w64-x86_64.cmake"
md_prepare_wine
exe="$MD_BUILD_ROOT/windows/bin/mdhost.exe"
cd "$MD_ROOT"
md_say "Windows (under Wine): the plug-in's name and version"
show wine "$exe" info
md_say "Windows (under Wine): the built-in sample players and the manifest's settings"
show wine "$exe" devices --manifest samples/manifest.xml
md_say "Windows (under Wine): the media of device 1"
show wine "$exe" media 1
md_say "Windows (under Wine): browsing with tags"
show wine "$exe" ls 1/1 '/Music/Northern Lights/Aurora Borealis'
show wine "$exe" ls 1/1 /Playlists
md_say "Windows (under Wine): edits, each change as the plug-in reports it (every run starts afresh)"
show wine "$exe" mkdir 1/1 '\Music' 'New Folder' -v
show wine "$exe" playlist new 1/1 '\Playlists' 'Run.pla' -v
show wine "$exe" playlist set 1/1 '\Playlists\Evening.pla' '\Music\Field Recordings\Rain on a Tin Roof.wav' -v
show wine "$exe" mv 1/1 '\Playlists\Evening.pla' 'Late.pla' -v
show wine "$exe" rm 1/1 '\Music\Field Recordings\Rain on a Tin Roof.wav' -v
wineserver -k >/dev/null 2>&1 || true

if has_command serve; then
  # The view is started and asked for its players once, so that the demo
  # ends on its own; --serve keeps it up.
  md_say "Linux: the same player in the browser (mdhost serve)"
  serve_out="$work/serve.out"
  "$mdhost" serve --player "$player" >"$serve_out" 2>&1 &
  serve_pid=$!
  for _ in $(seq 100); do grep -q '^mdhost serve: open ' "$serve_out" && break; sleep 0.1; done
  address=$(sed -n 's/^mdhost serve: open //p' "$serve_out")
  [ -n "$address" ] || md_fail "mdhost serve printed no address: $(cat "$serve_out")"
  /usr/bin/python3 - "$address" <<'PY' || md_fail "the served view did not answer"
import json, sys, urllib.parse, urllib.request
address = urllib.parse.urlparse(sys.argv[1])
with urllib.request.urlopen(f"http://{address.netloc}/api/players?{address.query}", timeout=10) as answer:
    players = json.load(answer)["players"]
print("the page answers:", ", ".join(m["name"] + " (" + str(m["used"]) + " bytes used)" for p in players for m in p["media"]))
PY
  kill -INT "$serve_pid"
  wait "$serve_pid" || true
fi

# Where a newcomer reads on once the tour is over; each file must exist, so
# that a document moved or renamed is noticed here and not by a reader.
read_on() {
  md_say "where to read on"
  local doc about
  while IFS='|' read -r doc about; do
    [ -f "$MD_ROOT/$doc" ] || md_fail "the demo points at $doc, which is not there"
    printf '  %-22s %s\n' "$doc" "$about"
  done <<'DOCS'
README.md|what this is, a first tour of mdhost, the layout of the repository
docs/mdhost.md|every mdhost command and option (mdhost help, mdhost COMMAND --help)
docs/reliability.md|what a delete checks before it destroys, the fault sweep, fuzzing
docs/benchmarks.md|each speed goal and what it measured, the sync benchmark among them
docs/building.md|the two lanes, their times, and how to build and test one
DOCS
}

md_say "the tour is done"
if [ ${#skipped[@]} -gt 0 ]; then
  printf 'skipped, because this build does not have it yet:\n'
  printf '  - %s\n' "${skipped[@]}"
fi
if has_command serve; then
  if [ "$keep_serving" = 1 ]; then
    read_on
    md_say "the demo's player in the browser: open the address below (Ctrl-C stops it and ends the demo)"
    "$mdhost" serve --player "$player"
    exit
  fi
  printf '\nThe demo player was served at %s\n(stopped now; tools/demo.sh --serve keeps it open, or run: mdhost serve --player DIR)\n' "$address"
fi
read_on
