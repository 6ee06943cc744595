#!/usr/bin/env python3
"""Reads an M3U playlist the way music players do, apart from the folder
player's own reader: each location relative to the playlist's folder, "\\"
taken as "/", "/..." from the medium's root (as the player itself sees it),
file:// URLs, names matched without regard to case (FAT). The text is UTF-8
(with or without a byte-order mark), else Windows-1252.

    m3u_reader.py MEDIUM PLAYLIST

Prints a line per entry: the file it names, relative to MEDIUM, or "-" and
the location when it names no file there; then a tab and its #EXTINF title.
"""
import os
import re
import sys
import urllib.parse


def decoded(data):
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def existing(medium, parts):
    """The path below `medium` whose names match `parts` regardless of case."""
    here = medium
    for part in parts:
        if not os.path.isdir(here):
            return None
        match = [name for name in os.listdir(here) if name.lower() == part.lower()]
        if not match:
            return None
        here = os.path.join(here, match[0])
    return here if os.path.isfile(here) else None


def resolve(medium, folder, location):
    if location.lower().startswith("file://"):
        location = urllib.parse.unquote(urllib.parse.urlparse(location).path)
    elif re.match(r"^[A-Za-z][A-Za-z0-9+.-]*:", location):
        return None  # a stream, or another drive
    location = location.replace("\\", "/")
    if location.startswith("//"):
        return None  # a network share
    if location.startswith(medium + "/"):
        path = location
    elif location.startswith("/"):
        path = medium + location
    else:
        path = os.path.join(folder, location)
    path = os.path.normpath(path)
    if not path.startswith(medium + "/"):
        return None
    found = existing(medium, os.path.relpath(path, medium).split("/"))
    return os.path.relpath(found, medium) if found else None


def main():
    medium = os.path.realpath(sys.argv[1])
    playlist = sys.argv[2]
    with open(playlist, "rb") as f:
        text = decoded(f.read())
    folder = os.path.dirname(os.path.realpath(playlist))
    title = ""
    for line in re.split(r"\r\n|\r|\n", text):
        line = line.strip()
        if line.startswith("#EXTINF:"):
            title = line.split(",", 1)[1] if "," in line else ""
        if not line or line.startswith("#"):
            continue
        found = resolve(medium, folder, line)
        print((found if found else "-" + line) + "\t" + title)
        title = ""


if __name__ == "__main__":
    main()
