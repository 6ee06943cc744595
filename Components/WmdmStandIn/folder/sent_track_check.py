#!/usr/bin/python3
"""Reads tracks a folder player received with mutagen, a reader no one here
wrote, and compares each with its source.

  sent_track_check.py make DIR CORPUS
      writes into DIR what the public corpus lacks: an MP3 with cover art and
      rarer frames (rich.mp3), the same after bytes that are no tag
      (junk-first.mp3), and an Ogg file holding a Theora stream (theora.ogg).
  sent_track_check.py check EXPECTED.json SOURCE SENT [SOURCE SENT...]
      for each pair: the values EXPECTED names are the sent file's, every
      other tag, frame, picture and block of the source is there unchanged,
      and the audio is byte for byte the source's. EXPECTED maps "title",
      "artist", "albumartist", "album", "genre", "date" to text and
      "tracknumber" to text, or to null for "the source's own, or none".
Prints one line per difference; exits 1 when there is one.
"""
import io
import json
import os
import struct
import sys

import mutagen
from mutagen import id3
from mutagen.asf import ASF
from mutagen.flac import FLAC
from mutagen.mp4 import MP4, Atoms
from mutagen.ogg import OggPage

# Where each family keeps the values a send hands over.
KEYS = {
    "id3": {"title": "TIT2", "artist": "TPE1", "albumartist": "TPE2", "album": "TALB", "genre": "TCON",
            "date": "TDRC", "tracknumber": "TRCK"},
    "vorbis": {k: k for k in ("title", "artist", "albumartist", "album", "genre", "date", "tracknumber")},
    "mp4": {"title": "\xa9nam", "artist": "\xa9ART", "albumartist": "aART", "album": "\xa9alb", "genre": "\xa9gen",
            "date": "\xa9day", "tracknumber": "trkn"},
    "asf": {"title": "Title", "artist": "Author", "albumartist": "WM/AlbumArtist", "album": "WM/AlbumTitle",
            "genre": "WM/Genre", "date": "WM/Year", "tracknumber": "WM/TrackNumber"},
}
# ID3v2.3 spreads the date over these; a reader joins them into TDRC.
ID3_DATE_PARTS = {"TYER", "TDAT", "TIME", "TRDA"}


def family(audio):
    name = type(audio).__name__
    if name in ("FLAC", "OggVorbis", "OggOpus", "OggFLAC", "OggSpeex"):
        return "vorbis"
    if name == "MP4":
        return "mp4"
    if name == "ASF":
        return "asf"
    return "id3"


def read(path):
    with open(path, "rb") as f:
        return f.read()


# --- the audio, without the tags ------------------------------------------

def id3v2_span(data):
    """(start, end) of the first ID3v2 tag, wherever it starts, or None."""
    at = data.find(b"ID3")
    while 0 <= at and at + 10 <= len(data):
        head = data[at:at + 10]
        if head[3] in (2, 3, 4) and not any(b & 0x80 for b in head[6:10]):
            size = (head[6] << 21) | (head[7] << 14) | (head[8] << 7) | head[9]
            return at, at + 10 + size + (10 if head[5] & 0x10 else 0)
        at = data.find(b"ID3", at + 1)
    return None


def mp3_audio(data):
    span = id3v2_span(data[:1 << 20])
    if span:
        data = data[:span[0]] + data[span[1]:]
    if len(data) >= 128 and data[-128:-125] == b"TAG":
        data = data[:-128]
    return data


def riff_chunks(data, wanted=(b"fmt ", b"data")):
    chunks, at = [], 12
    while at + 8 <= len(data):
        name, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if name in wanted:
            chunks.append((name, data[at + 8:at + 8 + size]))
        at += 8 + size + (size & 1)
    return chunks


def flac_audio(data):
    span = id3v2_span(data[:4]) if data[:3] == b"ID3" else None
    at = (span[1] if span else 0) + 4
    while True:
        last, size = data[at] & 0x80, int.from_bytes(data[at + 1:at + 4], "big")
        at += 4 + size
        if last:
            return data[at:]


def ogg_packets(path):
    """Every logical stream's packets but its comment packet, and its last granule."""
    streams = {}
    with open(path, "rb") as f:
        while True:
            try:
                page = OggPage(f)
            except EOFError:
                break
            streams.setdefault(page.serial, []).append(page)
    result = []
    for serial in sorted(streams):
        packets = OggPage.to_packets(streams[serial])
        result.append((packets[:1] + packets[2:], streams[serial][-1].position))
    return result


def mp4_audio(path):
    with open(path, "rb") as f:
        atoms = Atoms(f)
        parts = []
        for atom in atoms.atoms:
            if atom.name == b"mdat":
                f.seek(atom.offset)
                parts.append(f.read(atom.length))
        return parts


ASF_DATA = bytes.fromhex("3626b2758e66cf11a6d900aa0062ce6c")


def audio_of(path, kind):
    data = read(path)
    if kind == "MP4":
        return mp4_audio(path)
    if kind in ("OggVorbis", "OggOpus"):
        return ogg_packets(path)
    if kind == "FLAC":
        return flac_audio(data)
    if kind == "ASF":
        return data[data.find(ASF_DATA):]
    if kind == "WAVE":
        return riff_chunks(data)
    return mp3_audio(data)


# --- the tags ---------------------------------------------------------------

def tag_items(audio):
    """Every tag as (key, comparable value); FLAC's other blocks too."""
    items = {}
    tags = audio.tags
    if tags is None and family(audio) == "id3":
        # A tag behind other bytes, which the reader does not look for.
        span = id3v2_span(read(audio.filename)[:1 << 20])
        tags = id3.ID3(io.BytesIO(read(audio.filename)[span[0]:])) if span else None
    if tags is not None:
        for key, value in tags.items():
            items[key] = repr(value)
    if isinstance(audio, FLAC):
        kept = [b for b in audio.metadata_blocks if b.code not in (1, 4)]  # padding and comments change
        for n, block in enumerate(kept):
            items["block %d (type %d)" % (n, block.code)] = block.write()
    return items


def edited_key(kind, key):
    names = set(KEYS[kind].values())
    if kind == "id3":
        return key.split(":")[0] in names or key in ID3_DATE_PARTS
    if kind == "vorbis":
        return key.lower() in names
    return key in names


def value_of(audio, kind, what):
    key = KEYS[kind][what]
    if audio.tags is None:
        return None
    if kind == "vorbis":
        values = audio.tags.get(key)
        return values[0] if values else None
    if kind == "id3":
        frame = audio.tags.get(key)
        return str(frame.text[0]) if frame else None
    values = audio.tags.get(key)
    if not values:
        return None
    value = values[0]
    if kind == "mp4" and what == "tracknumber":
        return str(value[0])
    return str(value.value) if kind == "asf" else str(value)


def has_id3v1(path):
    with open(path, "rb") as f:
        if os.path.getsize(path) < 128:
            return False
        f.seek(-128, os.SEEK_END)
        return f.read(3) == b"TAG"


def compare(source, sent, expected):
    problems = []
    before, after = mutagen.File(source), mutagen.File(sent)
    if before is None or after is None:
        return ["%s: not readable as audio (%s before, %s after)" % (sent, before, after)]
    kind = family(before)
    for what, value in expected.items():
        wanted = value_of(before, kind, what) if value is None else value
        got = value_of(after, kind, what)
        if got != wanted:
            problems.append("%s: %s is %r, not %r" % (sent, what, got, wanted))
    old, new = tag_items(before), tag_items(after)
    for key, value in old.items():
        if edited_key(kind, key):
            continue
        if key not in new:
            problems.append("%s: lost %s" % (sent, key))
        elif new[key] != value:
            problems.append("%s: changed %s from %.80s to %.80s" % (sent, key, value, new[key]))
    if has_id3v1(source) and not has_id3v1(sent):
        problems.append("%s: lost its ID3v1 tag" % sent)
    if audio_of(source, type(before).__name__) != audio_of(sent, type(before).__name__):
        problems.append("%s: the audio differs from the source's" % sent)
    return problems


# --- files the corpus lacks -------------------------------------------------

PNG = bytes.fromhex("89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                    "1f15c4890000000d49444154789c6360000002000154a24f5d0000000049454e44ae426082")


def make(folder, corpus):
    audio = mp3_audio(read(os.path.join(corpus, "silence-44-s.mp3")))
    rich = os.path.join(folder, "rich.mp3")
    with open(rich, "wb") as f:
        f.write(audio)
    tags = id3.ID3()
    tags.add(id3.TIT2(encoding=3, text="Old title"))
    tags.add(id3.TPE1(encoding=3, text="Track Artist"))
    tags.add(id3.TPE2(encoding=3, text="Various Artists"))
    tags.add(id3.APIC(encoding=3, mime="image/png", type=3, desc="front", data=PNG))
    tags.add(id3.APIC(encoding=3, mime="image/png", type=4, desc="back", data=PNG + b"\0"))
    tags.add(id3.UFID(owner="http://musicbrainz.org", data=b"1f2e3d4c"))
    tags.add(id3.USLT(encoding=3, lang="jpn", desc="", text="\u6b4c\u8a5e\nline two"))
    tags.add(id3.COMM(encoding=3, lang="eng", desc="note", text="a comment"))
    tags.add(id3.COMM(encoding=1, lang="deu", desc="", text="ein Kommentar"))
    tags.add(id3.TXXX(encoding=3, desc="replaygain_track_gain", text="-6.50 dB"))
    tags.add(id3.PRIV(owner="example.org/player", data=b"\x00\x01\x02unknown"))
    tags.add(id3.POPM(email="someone@example.org", rating=196, count=12))
    tags.save(rich, v1=2, v2_version=4)
    rich_bytes = read(rich)
    # A tag behind bytes that are no tag, as some tools leave it.
    tags.save(rich, v1=0, v2_version=3)
    with open(os.path.join(folder, "junk-first.mp3"), "wb") as f:
        f.write(b"\x00JUNK" * 50 + read(rich))
    with open(rich, "wb") as f:
        f.write(rich_bytes)
    page = OggPage()
    page.serial, page.sequence, page.first, page.position = 0x7468, 0, True, 0
    page.packets = [b"\x80theora" + bytes([3, 2, 1]) + bytes(32)]
    with open(os.path.join(folder, "theora.ogg"), "wb") as f:
        f.write(page.write())


def main(args):
    if len(args) == 3 and args[0] == "make":
        make(args[1], args[2])
        return 0
    if len(args) >= 4 and args[0] == "check" and len(args) % 2 == 0:
        with open(args[1], encoding="utf-8") as f:
            expected = json.load(f)
        problems = []
        for source, sent in zip(args[2::2], args[3::2]):
            problems += compare(source, sent, expected)
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
