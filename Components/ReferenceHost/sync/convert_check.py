#!/usr/bin/env python3
"""mdhost sync and send converting what a folder player does not play.

A library of real FLAC, M4A (ALAC), Ogg Vorbis and Opus files from the
shared corpus, tagged further with mutagen at run time in a scratch folder,
is synced onto a folder player (a folder, or with --exfat a folder on an
exFAT volume); the MP3s are read back with mutagen, an independent reader:
tags, ReplayGain, the front cover, the length within one MP3 frame and the
encoder delay and padding. A second sync converts and sends nothing; bad
files are failed one line each; Ctrl-C in the middle of the conversions
leaves no half-converted file anywhere.

    convert_check.py MDHOST CORPUS [--exfat EXFAT_VOLUME_SH]
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from mutagen.flac import FLAC, Picture
from mutagen.id3 import ID3
from mutagen.mp3 import MP3
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
from mutagen.oggopus import OggOpus
import base64

MDHOST, CORPUS = sys.argv[1], sys.argv[2]
EXFAT = sys.argv[sys.argv.index("--exfat") + 1] if "--exfat" in sys.argv else None
FRAME = 1152


def fail(message, output=""):
    if output:
        print(output)
    print("FAILED: " + message)
    sys.exit(1)


def run(*args, expect=None, env=None):
    done = subprocess.run([MDHOST, *args], capture_output=True, text=True, env=env, timeout=300)
    if expect is not None and done.returncode != expect:
        fail("%s ended with %d, not %d" % (" ".join(args), done.returncode, expect), done.stdout + done.stderr)
    return done.stdout


def expect_lines(output, *patterns):
    for pattern in patterns:
        if not re.search(pattern, output, re.M):
            fail("no line matching %r" % pattern, output)


def refuse_lines(output, pattern):
    if re.search(pattern, output, re.M):
        fail("a line matches %r" % pattern, output)


def picture(kind, data, mime="image/png"):
    made = Picture()
    made.type, made.mime, made.data = kind, mime, data
    return made


def make_library(root, cover, back):
    """The source folder: copies of corpus files, tags added with mutagen."""
    album = os.path.join(root, "Album")
    bad = os.path.join(root, "Bad")
    os.makedirs(album)
    os.makedirs(bad)
    rg = {"replaygain_track_gain": "-8.08 dB", "replaygain_track_peak": "0.9976",
          "replaygain_album_gain": "-8.14 dB", "replaygain_album_peak": "1.0000"}

    flac_path = os.path.join(album, "01 Silence.flac")
    shutil.copy(os.path.join(CORPUS, "silence-44-s.flac"), flac_path)
    flac = FLAC(flac_path)
    flac.clear_pictures()
    flac.add_picture(picture(4, back))  # the back cover first: the front one must be chosen
    flac.add_picture(picture(3, cover))
    flac.update({"albumartist": "Various", "discnumber": "1/2", "comment": "from the corpus", **rg})
    flac.save()

    m4a_path = os.path.join(album, "02 Alac.m4a")
    shutil.copy(os.path.join(CORPUS, "alac.m4a"), m4a_path)
    m4a = MP4(m4a_path)
    m4a.update({"\xa9nam": "Alac", "\xa9ART": "Corpus", "aART": "Various", "\xa9alb": "Album",
                "\xa9gen": "Test", "trkn": [(2, 10)], "disk": [(1, 2)], "\xa9day": "2004",
                "\xa9cmt": "lossless", "covr": [MP4Cover(cover, MP4Cover.FORMAT_PNG)]})
    m4a["----:com.apple.iTunes:replaygain_track_gain"] = [MP4FreeForm(b"-3.50 dB")]
    m4a.save()

    shutil.copy(os.path.join(CORPUS, "multipage-setup.ogg"), os.path.join(album, "03 Burst.ogg"))

    opus_path = os.path.join(album, "04 Example.opus")
    shutil.copy(os.path.join(CORPUS, "example.opus"), opus_path)
    opus = OggOpus(opus_path)
    opus.update({"title": "Example", "artist": "Corpus", "tracknumber": "4",
                 "metadata_block_picture": base64.b64encode(picture(3, cover).write()).decode("ascii")})
    opus.save()
    shutil.copy(os.path.join(CORPUS, "silence-44-s.mp3"), os.path.join(album, "05 Played.mp3"))

    with open(os.path.join(bad, "notes.flac"), "w") as notes:
        notes.write("not audio at all\n" * 20)
    shutil.copy(os.path.join(CORPUS, "flac_application.flac"), os.path.join(bad, "cut.flac"))
    with open(os.path.join(CORPUS, "no-tags.m4a"), "rb") as m4a_file:
        whole = m4a_file.read()
    # A protected track's sample entry is "drms" where a plain one says
    # "mp4a"; an unknown codec's is a name no decoder has, its decoder
    # description a private object type (0xC0) instead of AAC's (0x40).
    aac = b"\x04\x80\x80\x80\x14\x40"
    for name, entry, object_type in (("protected.m4a", b"drms", aac), ("unknown.m4a", b"zzzz", aac[:-1] + b"\xc0")):
        if aac not in whole:
            fail("no-tags.m4a holds no AAC decoder description to change")
        with open(os.path.join(bad, name), "wb") as patched:
            patched.write(whole.replace(b"mp4a", entry, 1).replace(aac, object_type, 1))
    return {"flac": flac_path, "m4a": m4a_path, "ogg": os.path.join(album, "03 Burst.ogg"), "opus": opus_path}


def check_mp3(mp3_path, source_path, tags, cover):
    """The MP3 against its source, both read with mutagen."""
    import mutagen
    mp3 = MP3(mp3_path)
    source = mutagen.File(source_path)
    lame = mp3.info.encoder_info
    if not lame.startswith("LAME"):
        fail("%s carries no LAME header (%r)" % (mp3_path, lame))
    frame = FRAME / mp3.info.sample_rate
    if abs(mp3.info.length - source.info.length) > frame:
        fail("%s plays %.4f s, its source %.4f s" % (mp3_path, mp3.info.length, source.info.length))
    if not tags and cover is None:
        return
    id3 = ID3(mp3_path)
    for frame_id, value in tags.items():
        got = [str(text) for frame in id3.getall(frame_id) for text in frame.text]
        if value not in got:
            fail("%s: %s is %r, not %r" % (mp3_path, frame_id, got, value))
    pictures = id3.getall("APIC")
    if cover is not None and (len(pictures) != 1 or pictures[0].type != 3 or pictures[0].data != cover):
        fail("%s: the front cover is not the source's (%d pictures)" % (mp3_path, len(pictures)))


def snapshot(folder):
    found = []
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            found.append((os.path.relpath(path, folder), os.path.getsize(path), os.path.getmtime(path)))
    return sorted(found)


def cache_entries(cache):
    root = os.path.join(cache, "mdhost", "mp3")
    return sorted(os.listdir(root)) if os.path.isdir(root) else []


def main():
    work = tempfile.mkdtemp(prefix="md-convert-")
    volume = None
    try:
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(work, "state"), XDG_CACHE_HOME=os.path.join(work, "cache"))
        os.environ.update(env)
        with open(os.path.join(CORPUS, "silence-44-s.flac"), "rb") as corpus_flac:
            cover = FLAC(corpus_flac).pictures[0].data
        back = cover + b"\0back"
        source = os.path.join(work, "Source")
        files = make_library(source, cover, back)
        if EXFAT:
            volume = os.path.join(work, "volume")
            made = subprocess.run(["bash", EXFAT, "up", volume, "64M", "PLAYER"], capture_output=True, text=True)
            if made.returncode == 77:  # allowed to go without exFAT here: say so, skip
                print(made.stderr.strip())
                sys.exit(77)
            if made.returncode != 0:
                fail("no exFAT volume could be made", made.stderr)
            player = made.stdout.strip()
        else:
            player = os.path.join(work, "Player")
            os.makedirs(player)
        cache = env["XDG_CACHE_HOME"]

        def sync(*options, expect=1):
            return run("sync", source, player, "/Music", *options, expect=expect, env=env)

        out = sync("--dry-run", expect=0)
        expect_lines(out, r"^would convert Album/01 Silence\.flac to Album/01 Silence\.mp3$",
                     r"^would convert Album/04 Example\.opus to Album/04 Example\.mp3$",
                     r"^would send Album/05 Played\.mp3$",
                     r"^dry run: 9 to send, 0 to replace, 0 to delete, 0 skipped, 0 unchanged, 8 to convert; ")
        if snapshot(player) or cache_entries(cache):
            fail("the dry run changed something")

        out = sync()
        expect_lines(out, r"^sent Album/01 Silence\.flac as Album/01 Silence\.mp3 \(converted\)$",
                     r"^sent Album/02 Alac\.m4a as Album/02 Alac\.mp3 \(converted\)$",
                     r"^sent Album/05 Played\.mp3$",
                     r"^failed Bad/notes\.flac: not an audio file",
                     r"^failed Bad/cut\.flac: corrupt FLAC file",
                     r"^failed Bad/protected\.m4a: protected by DRM",
                     r"^failed Bad/unknown\.m4a: unsupported codec",
                     r"^sync: 5 sent, 0 replaced, 0 deleted, 0 skipped, 0 unchanged, 4 converted, 4 failed")
        if len(re.findall(r"^failed ", out, re.M)) != 4:
            fail("a bad file took more than one line", out)
        music = os.path.join(player, "Music", "Album")
        check_mp3(os.path.join(music, "01 Silence.mp3"), files["flac"],
                  {"TIT2": "Silence", "TALB": "Quod Libet Test Data", "TCON": "Silence", "TDRC": "2004",
                   "TPOS": "1/2", "COMM": "from the corpus", "TXXX:REPLAYGAIN_TRACK_GAIN": "-8.08 dB",
                   "TXXX:REPLAYGAIN_ALBUM_PEAK": "1.0000"}, cover)
        check_mp3(os.path.join(music, "02 Alac.mp3"), files["m4a"],
                  {"TIT2": "Alac", "TPE1": "Corpus", "TALB": "Album", "TCON": "Test", "TPOS": "1/2",
                   "TDRC": "2004", "COMM": "lossless", "TXXX:REPLAYGAIN_TRACK_GAIN": "-3.50 dB"}, cover)
        check_mp3(os.path.join(music, "03 Burst.mp3"), files["ogg"],
                  {"TIT2": "Burst", "TPE1": "UVERworld", "TRCK": "7", "COMM": "SRCL-6240",
                   "TXXX:REPLAYGAIN_ALBUM_GAIN": "-10.29 dB"}, None)
        check_mp3(os.path.join(music, "04 Example.mp3"), files["opus"], {"TIT2": "Example", "TRCK": "4"}, cover)
        # The player writes the artist as the album artist of every track it
        # is sent; the converted file itself keeps the source's.
        entries = cache_entries(cache)
        cached = [os.path.join(cache, "mdhost", "mp3", entry, "01 Silence.mp3") for entry in entries]
        cached = [path for path in cached if os.path.exists(path)]
        if len(entries) != 4 or len(cached) != 1 or str(ID3(cached[0])["TPE2"]) != "Various":
            fail("the cache holds %r" % entries)

        # Nothing changed: nothing converted, nothing sent, the player as it was.
        before = snapshot(player)
        out = sync("--delete")
        expect_lines(out, r"^sync: 0 sent, 0 replaced, 0 deleted, 0 skipped, 5 unchanged, 0 converted, 4 failed")
        refuse_lines(out, r"^(sent|replaced|deleted) ")
        if snapshot(player) != before:
            fail("a sync with nothing to do changed the player")

        # A changed source is converted and sent again.
        os.utime(files["ogg"], (time.time() + 5, time.time() + 5))
        out = sync()
        expect_lines(out, r"^replaced Album/03 Burst\.ogg as Album/03 Burst\.mp3 \(converted\)$",
                     r"^sync: 0 sent, 1 replaced, .* 1 converted")

        # A player emptied: every track sent again from the cache, none converted.
        shutil.rmtree(os.path.join(player, "Music"))
        out = sync()
        expect_lines(out, r"^sent Album/02 Alac\.m4a as Album/02 Alac\.mp3 \(converted earlier\)$",
                     r"^sync: 5 sent, .* 0 converted")
        if EXFAT:  # what follows asks nothing more of the card's file system
            print("passed")
            return

        # A constant rate asked for is another conversion.
        shutil.rmtree(os.path.join(player, "Music"))
        out = sync("--quality", "320k", "--jobs", "1")
        expect_lines(out, r"^sync: 5 sent, .* 4 converted")
        if abs(MP3(os.path.join(music, "02 Alac.mp3")).info.bitrate - 320000) > 1000:
            fail("--quality 320k did not give 320 kbit/s")

        out = run("sync", "--clean-cache", expect=0, env=env)
        if cache_entries(cache):
            fail("--clean-cache left entries", out)

        # Without conversion, as before.
        shutil.rmtree(os.path.join(player, "Music"))
        out = sync("--no-convert", expect=0)
        expect_lines(out, r"^skipped Album/01 Silence\.flac: the player does not play \.flac files$",
                     r"^sync: 1 sent, 0 replaced, 0 deleted, 8 skipped")

        # send converts the same way, and refuses with --no-convert.
        out = run("send", files["flac"], os.path.join(source, "Bad", "cut.flac"), player, "/Music", env=env,
                  expect=1)
        expect_lines(out, r"^sent .*01 Silence\.flac as \\Music\\01 Silence\.mp3 .*\(converted", r"^failed .*cut\.flac: corrupt FLAC")
        out = run("send", files["opus"], player, "/Music", "--no-convert", env=env, expect=1)
        expect_lines(out, r"^refused .*04 Example\.opus: the player does not play \.opus files")

        interrupted(work, env)
    finally:
        if volume:
            subprocess.run(["bash", EXFAT, "down", volume], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
    print("passed")


def interrupted(work, env):
    """Ctrl-C while conversions run: the sync stops between files, and no
    half-converted file is left in the cache or on the player."""
    source = os.path.join(work, "Many")
    player = os.path.join(work, "Player2")
    os.makedirs(source)
    os.makedirs(player)
    for i in range(40):
        shutil.copy(os.path.join(CORPUS, "example.opus"), os.path.join(source, "%02d.opus" % i))
    run("sync", "--clean-cache", expect=0, env=env)
    err_path = os.path.join(work, "err")
    with open(err_path, "w") as err:
        syncing = subprocess.Popen([MDHOST, "sync", source, player, "/Music", "--jobs", "2"], stdout=subprocess.PIPE,
                                   stderr=err, text=True, env=env)
        deadline = time.time() + 120
        while time.time() < deadline and syncing.poll() is None:
            with open(err_path) as seen:
                if re.search(r"^\[3/40\]", seen.read(), re.M):
                    break
            time.sleep(0.02)
        syncing.send_signal(signal.SIGINT)
        out, _ = syncing.communicate(timeout=120)
    with open(err_path) as seen:
        err_text = seen.read()
    if syncing.returncode != 130:
        fail("an interrupted sync ended with %d" % syncing.returncode, out + err_text)
    expect_lines(err_text, r"^mdhost sync: stopped after [0-9]+ of 40 files")
    root = os.path.join(env["XDG_CACHE_HOME"], "mdhost", "mp3")
    leftovers = [name for name in os.listdir(root) if ".part" in name] if os.path.isdir(root) else []
    if leftovers:
        fail("half-converted files left in the cache: %r" % leftovers)
    sent = len(re.findall(r"^sent ", out, re.M))
    on_player = snapshot(player)
    if sent != len(on_player) or sent >= 40:
        fail("%d sent, %d on the player" % (sent, len(on_player)), out)
    for entry in os.listdir(root):
        for name in os.listdir(os.path.join(root, entry)):
            check_mp3(os.path.join(root, entry, name), os.path.join(source, name[:-4] + ".opus"), {}, None)
    for name, _, _ in on_player:
        check_mp3(os.path.join(player, name), os.path.join(source, os.path.basename(name)[:-4] + ".opus"), {}, None)
    out = run("sync", source, player, "/Music", expect=0, env=env)
    expect_lines(out, r"^sync: %d sent, 0 replaced" % (40 - sent))


if __name__ == "__main__":
    main()
