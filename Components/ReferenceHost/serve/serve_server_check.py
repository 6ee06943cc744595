"""mdhost serve refuses what a local server must refuse, with the right
status and a sentence, and goes on serving: requests without the token or
with a foreign Host or Origin, paths that climb out, oversize uploads,
malformed bodies, names that would hide an item, files the player does not
play (before their bytes are read); a real track sent goes through and is
listed; no crowd of idle or slow connections, nor of held uploads, keeps
the user out or is met with a bare reset; Ctrl-C, SIGTERM and SIGHUP end it
at once while connections are still open, and no way of ending it leaves
a received file behind.

On Linux it serves a folder player, and a player arriving under
--watch-root while the page lists a medium is shown; --open's xdg-open is
run and reaped. The Windows build
(--windows, run under Wine) serves the sample players: folder players are
Linux's, so that part is left out there.
    serve_server_check.py MDHOST AUDIO_FIXTURES [--windows PLAYERS_JSON]"""
import glob
import os
import shutil
import signal
import socket
import stat
import subprocess
import sys
import tempfile
import time
import urllib.parse

from serve_session import Serve, wait_until

mdhost, audio = sys.argv[1], sys.argv[2]
windows = sys.argv[3:4] == ["--windows"]
work = tempfile.mkdtemp(prefix="md-serve-check-")
failures = []


def expect(what, status, wanted, payload=b""):
    if status != wanted:
        failures.append(f"{what}: status {status}, expected {wanted}: {payload[:200]!r}")


def start():
    """The server, the medium it is checked on, and a function listing the
    spool's files."""
    if windows:
        serve = Serve(mdhost, "--players", "Z:" + sys.argv[4], "--upload-limit", "1", launcher=["wine"])
        status, answer = serve.json("GET", "/api/players")
        medium = answer["players"][0]["media"][0]
        spools = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*", "**", "mdhost-serve-*")
        return serve, medium["name"], medium["location"], lambda: glob.glob(os.path.join(spools, "**", "*.mp3"),
                                                                          recursive=True)
    player, spool, root = (os.path.join(work, name) for name in ("Pocket", "spool", "root"))
    os.makedirs(os.path.join(player, "Music"))
    os.makedirs(spool)
    os.makedirs(root)
    shutil.copy(os.path.join(audio, "silence-44-s-v1.mp3"), os.path.join(player, "Music", "Silence.mp3"))
    # --open's xdg-open: one that notes the address it was given and ends.
    os.makedirs(os.path.join(work, "bin"))
    with open(os.path.join(work, "bin", "xdg-open"), "w") as opener:
        opener.write(f'#!/bin/sh\necho "$1" > {work}/opened\n')
    os.chmod(os.path.join(work, "bin", "xdg-open"), 0o755)
    serve = Serve(mdhost, "--player", player, "--watch-root", root, "--upload-limit", "1", "--open",
                  env=dict(os.environ, TMPDIR=spool, PATH=os.path.join(work, "bin") + ":" + os.environ["PATH"]))
    # The server's own files (its in-use mark, --open's page) are no upload.
    return serve, "Pocket", serve.media()["Pocket"], lambda: [os.path.join(d, f) for d, _, files in os.walk(spool)
                                                              for f in files if f not in ("in-use", "open.html")]


def names(serve, location, path):
    status, answer = serve.json("GET", "/api/list", {"location": location, "path": path})
    expect(f"listing {path}", status, 200, repr(answer).encode())
    return [item["name"] for item in answer.get("items", [])]


def check_access(serve, medium):
    """Who may ask: the token, the loopback Host, no other origin. A refusal
    carries a sentence and none of the content."""
    port = serve.port
    for what, kwargs, wanted in [
        ("no token", dict(token=False), 403),
        ("wrong token", dict(params={"token": "0" * 32}, token=False), 403),
        ("foreign Host", dict(host=f"attacker.example:{port}"), 403),
        ("loopback Host on another port", dict(host="127.0.0.1:1"), 403),
        ("localhost Host", dict(host=f"localhost:{port}"), 200),
        ("foreign Origin", dict(headers={"Origin": "http://attacker.example"}), 403),
        ("foreign Origin ending like this one", dict(headers={"Origin": f"http://attacker.example/127.0.0.1:{port}"}), 403),
        ("own Origin", dict(headers={"Origin": f"http://127.0.0.1:{port}"}), 200),
    ]:
        status, headers, payload = serve.request("GET", "/api/players", **kwargs)
        expect(what, status, wanted, payload)
        if status == 403 and (medium.encode() in payload or not payload.strip()):
            failures.append(f"{what}: the refusal must be a sentence without content: {payload!r}")
        if any(name.lower().startswith("access-control-") for name in headers):
            failures.append(f"{what}: a cross-origin header was sent: {headers}")
    status, _, payload = serve.request("GET", "/", token=False)
    expect("page without token", status, 403, payload)
    # The page allows no other source, no framing and no referrer (its
    # address holds the token).
    status, headers, payload = serve.request("GET", "/")
    expect("the page", status, 200, payload)
    for name, part in [("Content-Security-Policy", "default-src 'self'"),
                       ("Content-Security-Policy", "frame-ancestors 'none'"),
                       ("X-Frame-Options", "DENY"), ("Referrer-Policy", "no-referrer")]:
        if part not in headers.get(name, ""):
            failures.append(f"the page's {name} lacks {part}: {headers}")
    status, _, payload = serve.request("GET", "/api/nothing")
    expect("no such page", status, 404, payload)


def check_unreadable(serve):
    """What is not HTTP, or whose header has no end in sight, is refused with
    a sentence before any route sees it."""
    for what, data, wanted in [
        ("no HTTP", b"HELLO THERE\r\n\r\n", b" 400 "),
        ("a header of 100 KiB", b"GET / HTTP/1.1\r\nX-Long: " + b"a" * (100 << 10) + b"\r\n\r\n", b" 431 "),
        ("an absolute address", b"GET http://attacker.example/ HTTP/1.1\r\nHost: attacker.example\r\n\r\n", b" 400 "),
    ]:
        with socket.create_connection(("127.0.0.1", serve.port), timeout=10) as raw:
            raw.sendall(data)
            answer = b""
            while piece := raw.recv(4096):
                answer += piece
        if wanted not in answer.split(b"\r\n")[0] + b" " or b"view" not in answer:
            failures.append(f"{what}: {answer[:120]!r}")


def check_paths(serve, location):
    """Paths and names from a request are input: climbing out, control
    characters, text that is no UTF-8."""
    for path in ["/../etc", "\\Music\\..\\..\\x", "Music", "/Music//x", "/Mu\x01sic"]:
        status, _, payload = serve.request("GET", "/api/list", {"location": location, "path": path})
        expect(f"listing {path!r}", status, 400, payload)
    status, _, payload = serve.request("GET", "/api/list?" + urllib.parse.urlencode({"location": location}) +
                                       "&path=%FF%FE&token=" + serve.token, token=False)
    expect("listing a path that is no UTF-8", status, 400, payload)
    for name in ["../escape.mp3", "a/b.mp3", "..", ""]:
        status, _, payload = serve.request("POST", "/api/send", {"location": location, "target": "\\Music",
                                                                 "name": name}, body=b"x")
        expect(f"sending as {name!r}", status, 400, payload)
    if os.path.exists(os.path.join(work, "escape.mp3")):
        failures.append("a send named ../escape.mp3 wrote outside its folder")


def check_uploads(serve, location, spooled):
    """Uploads over the cap (1 MiB here), announced or chunked, are refused
    and leave nothing in the spool. The announced one is refused unread, and
    is larger than the system's socket buffers take: the refusal must still
    reach the client, which is still sending."""
    params = {"location": location, "target": "\\Music", "name": "Big.mp3"}
    status, _, payload = serve.request("POST", "/api/send", params, body=b"\0" * (16 << 20))
    expect("oversize upload", status, 413, payload)
    big = b"\0" * (2 << 20)
    chunked = b"".join(b"%x\r\n%s\r\n" % (len(part), part) for part in [big[:1 << 20], big[1 << 20:]]) + b"0\r\n\r\n"
    status, _, payload = serve.request("POST", "/api/send", params, body=chunked,
                                       headers={"Transfer-Encoding": "chunked"})
    expect("oversize chunked upload", status, 413, payload)
    if spooled():
        failures.append(f"refused uploads left files behind: {spooled()}")


def check_bodies(serve, location):
    """Malformed bodies and fields."""
    quoted = location.replace("\\", "\\\\")
    for what, path, body in [
        ("body not JSON", "/api/rename", "{bad"),
        ("body a list", "/api/rename", "[]"),
        ("location a number", "/api/delete", '{"location": 5, "path": "\\\\Music"}'),
        ("path missing", "/api/delete", '{"location": "%s"}' % quoted),
        ("items no list", "/api/tags", '{"location": "%s", "path": "", "items": 3}' % quoted),
        ("entries of another playlist", "/api/reorder",
         '{"location": "%s", "playlist": "\\\\A.m3u8", "entries": ["\\\\B.m3u8|\\\\x.mp3"]}' % quoted),
        ("a name the medium refuses", "/api/folder", '{"location": "%s", "parent": "", "name": "a:b"}' % quoted),
        ("erase with the wrong name", "/api/wipe",
         '{"location": "%s", "action": "erase", "confirm": "pocket"}' % quoted),
    ]:
        status, _, payload = serve.request("POST", path, body=body)
        expect(what, status, 400, payload)
        if b'"error"' not in payload:
            failures.append(f"{what}: no sentence in {payload!r}")
    status, _ = serve.json("POST", "/api/delete", body={"location": "WMDM10nowhere___x", "path": "\\Music"})
    expect("unknown medium", status, 404)


def raw_upload(serve, location, name, size, sent):
    """A send of `size` bytes announced, `sent` of them sent; the socket is
    left open."""
    query = urllib.parse.urlencode({"token": serve.token, "location": location, "target": "\\Music", "name": name})
    raw = socket.create_connection(("127.0.0.1", serve.port), timeout=10)
    raw.sendall(f"POST /api/send?{query} HTTP/1.1\r\nHost: 127.0.0.1:{serve.port}\r\n"
                f"Content-Length: {size}\r\n\r\n".encode() + b"\0" * sent)
    return raw


def read_answer(raw, seconds):
    """What the server sent until it closed or `seconds` passed, and whether
    it closed (or reset) the connection."""
    raw.settimeout(seconds)
    answer = b""
    try:
        while piece := raw.recv(65536):
            answer += piece
    except socket.timeout:
        return answer, False
    except ConnectionResetError:
        pass
    return answer, True


def check_hiding(serve, location):
    """A rename or a new item whose name the player would not list is
    refused in words, and the item stays as it was."""
    before = names(serve, location, "\\Music")
    for what, path, body in [
        ("a rename that drops the extension", "/api/rename",
         {"location": location, "path": "\\Music\\Silence.mp3", "name": "No extension"}),
        ("a rename to a hidden name", "/api/rename",
         {"location": location, "path": "\\Music\\Silence.mp3", "name": ".Silence.mp3"}),
        ("a hidden folder", "/api/folder", {"location": location, "parent": "\\Music", "name": ".hidden"}),
        ("a hidden playlist", "/api/playlist", {"location": location, "parent": "\\Music", "name": ".secret"}),
    ]:
        status, answer = serve.json("POST", path, body=body)
        expect(what, status, 400, repr(answer).encode())
        if "hidden" not in answer.get("error", "") and "vanish" not in answer.get("error", ""):
            failures.append(f"{what}: the refusal does not say why: {answer}")
    if names(serve, location, "\\Music") != before:
        failures.append(f"a refused rename changed the folder: {before} became {names(serve, location, chr(92) + 'Music')}")
    if not windows and sorted(os.listdir(os.path.join(work, "Pocket", "Music"))) != sorted(before):
        failures.append(f"a refused edit reached the disk: {os.listdir(os.path.join(work, 'Pocket', 'Music'))}")


def check_refused_unread(serve, location, spooled):
    """A file the player does not play is refused from its name, before its
    body is read: the answer comes while the client still holds most of it."""
    raw = raw_upload(serve, location, "Lossless.aiff", 512 << 10, 4096)
    answer, _ = read_answer(raw, 5)
    raw.close()
    if not answer or b" 422 " not in answer.split(b"\r\n")[0] + b" " or b"does not play .aiff" not in answer:
        failures.append(f"an AIFF send (neither played nor converted) was not refused before its body was read: {answer!r}")
    if spooled():
        failures.append(f"a refused send left a file behind: {spooled()}")


def check_send(serve, location):
    """A real send goes through and is listed; the same again with fail is
    refused in words."""
    with open(os.path.join(audio, "id3v22-test.mp3"), "rb") as track:
        data = track.read()
    params = {"location": location, "target": "\\Music", "name": "Cosmic.mp3"}
    status, _, payload = serve.request("POST", "/api/send", params, body=data)
    expect("a send", status, 200, payload)
    # A name beyond ASCII goes through the spool's file (a UTF-16 path on
    # Windows) unchanged.
    status, _, payload = serve.request("POST", "/api/send", dict(params, name="Café 日本.mp3"), body=data)
    expect("a send under a name beyond ASCII", status, 200, payload)
    for name in ("Cosmic.mp3", "Café 日本.mp3"):
        if name not in names(serve, location, "\\Music"):
            failures.append(f"the sent track {name} is not listed: {names(serve, location, chr(92) + 'Music')}")
    status, _, payload = serve.request("POST", "/api/send", dict(params, mode="fail"), body=data)
    expect("a send refused as already there", status, 409, payload)
    if b"already there" not in payload:
        failures.append(f"the refusal is no sentence: {payload!r}")


def check_convert(serve, location):
    """A track the player does not play is sent as MP3; a file that is no
    audio is refused in words."""
    with open(os.path.join(audio, "silence-44-s.flac"), "rb") as track:
        data = track.read()
    params = {"location": location, "target": "\\Music", "name": "Silence.flac"}
    status, _, payload = serve.request("POST", "/api/send", params, body=data)
    expect("a FLAC converted", status, 200, payload)
    if "Silence.mp3" not in names(serve, location, "\\Music"):
        failures.append(f"the converted track is not listed: {names(serve, location, chr(92) + 'Music')}")
    status, _, payload = serve.request("POST", "/api/send", dict(params, name="Notes.flac"), body=b"notes\n" * 50)
    expect("a file that is no audio", status, 422, payload)
    if b"failed Notes.flac: not an audio file" not in payload:
        failures.append(f"the refusal is no sentence: {payload!r}")


def check_open(serve):
    """--open hands the address to xdg-open, which is reaped when it ends
    rather than left a zombie until mdhost ends."""
    opened = os.path.join(work, "opened")
    wait_until(lambda: os.path.exists(opened) and open(opened).read().strip(), 10, "xdg-open was not run")
    # The address holds the token, and a program's arguments are readable by
    # every local user: xdg-open is given a page only this user can read,
    # which goes on to the address.
    given = open(opened).read().strip()
    if serve.token in given or not os.path.isfile(given):
        failures.append(f"xdg-open was given {given!r}, not a file without the token")
    else:
        if serve.address not in open(given).read():
            failures.append(f"the page xdg-open was given does not lead to {serve.address}")
        if os.stat(os.path.dirname(given)).st_mode & 0o077 or os.stat(given).st_uid != os.getuid():
            failures.append(f"others can read the page xdg-open was given: {oct(os.stat(os.path.dirname(given)).st_mode)}")

    def zombies():
        found = []
        for children in glob.glob(f"/proc/{serve.process.pid}/task/*/children"):
            for child in open(children).read().split():
                with open(f"/proc/{child}/stat") as stat:
                    found += [child] if stat.read().rsplit(")", 1)[1].split()[0] == "Z" else []
        return found
    end = time.time() + 5
    while zombies() and time.time() < end:
        time.sleep(0.1)
    if zombies():
        failures.append(f"xdg-open's process was left a zombie: {zombies()}")


def check_arrival(serve, location):
    """A player made while the page keeps asking for a listing (each request
    finds its medium) arrives all the same, however the requests fall
    against the plug-in's worker pass."""
    os.makedirs(os.path.join(work, "root", "Visitor"))
    end = time.time() + 1.5
    while time.time() < end:
        status, _, payload = serve.request("GET", "/api/list", {"location": location, "path": "\\Music"})
        expect("a listing while a player arrives", status, 200, payload)
    end = time.time() + 10
    while "Visitor" not in serve.media() and time.time() < end:
        time.sleep(0.1)
    if "Visitor" not in serve.media():
        failures.append(f"the player made under --watch-root never arrived: {sorted(serve.media())}")


def close_wait(port):
    """The server's connections on `port` whose client has closed its side
    and which the server has not yet closed (Linux's socket table)."""
    found = 0
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        if not os.path.exists(table):
            continue
        with open(table) as lines:
            for line in list(lines)[1:]:
                local, state = line.split()[1], line.split()[3]
                found += int(local.rsplit(":", 1)[1], 16) == port and state == "08"
    return found


def fresh_request(serve, what, seconds=2):
    """The user's own request, answered in full within `seconds`."""
    started = time.time()
    try:
        status, _, payload = serve.request("GET", "/api/players", timeout=seconds + 3)
    except OSError as error:
        failures.append(f"{what}: the user's request failed: {error!r}")
        return
    expect(what, status, 200, payload)
    if time.time() - started > seconds:
        failures.append(f"{what}: the user's request took {time.time() - started:.1f} s")


def check_nuisance(serve):
    """Any local program can connect: 200 connections that send no request,
    or a head that never ends, do not keep the user's request out; a request
    without the token is answered and its connection closed at once; one
    that sends nothing is closed within a few seconds."""
    port = serve.port
    head = f"GET /api/players HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n".encode()
    held = []
    try:
        for i in range(200):
            held.append(socket.create_connection(("127.0.0.1", port), timeout=10))
            if i % 2:
                held[-1].sendall(head + b"X-Slow: ")
        time.sleep(1.5)  # a nuisance holds its connections; a browser's go on at once
        for attempt in range(3):
            fresh_request(serve, f"a fresh request among 200 slow connections (#{attempt + 1})")
    finally:
        for raw in held:
            raw.close()
    with socket.create_connection(("127.0.0.1", port), timeout=10) as raw:
        raw.sendall(f"GET /api/players HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n\r\n".encode())
        started = time.time()
        answer, closed = read_answer(raw, 5)
        if not closed or b" 403 " not in answer.split(b"\r\n")[0] + b" " or time.time() - started > 2:
            failures.append(f"a request without the token was not answered and closed at once: {answer!r}")
    with socket.create_connection(("127.0.0.1", port), timeout=10) as raw:
        started = time.time()
        answer, closed = read_answer(raw, 10)
        if not closed or answer or time.time() - started > 8:
            failures.append(f"a connection that sent nothing was not closed in time ({time.time() - started:.1f} s)")


def open_stream(serve):
    raw = socket.create_connection(("127.0.0.1", serve.port), timeout=10)
    raw.sendall(f"GET /api/events?token={serve.token} HTTP/1.1\r\nHost: 127.0.0.1:{serve.port}\r\n\r\n".encode())
    if b"text/event-stream" not in raw.recv(4096):
        failures.append("an event stream did not start")
    return raw


def check_streams(serve):
    """Event streams have a limit of their own, the oldest giving way, and
    one whose client left is closed within a second or two, not at its next
    keep-alive."""
    streams = [open_stream(serve) for _ in range(12)]
    for i, raw in enumerate(streams[:4]):
        if not read_answer(raw, 5)[0].endswith(b"0\r\n\r\n"):
            failures.append(f"event stream {i + 1} of 12 did not give way to the newer ones")
    for raw in streams:
        raw.close()
    if not windows:
        end = time.time() + 3
        while close_wait(serve.port) and time.time() < end:
            time.sleep(0.1)
        if close_wait(serve.port):
            failures.append(f"{close_wait(serve.port)} event streams whose clients left were still open after 3 s")
    fresh_request(serve, "a fresh request after the event streams")


def check_busy(serve, location):
    """100 uploads held at once: those beyond what the server takes at once
    are answered 503 in words, never reset."""
    held = [raw_upload(serve, location, f"Held {i}.mp3", 512 << 10, 16 << 10) for i in range(100)]
    try:
        time.sleep(1)
        answers = [read_answer(raw, 0.2) for raw in held]
        busy = [a for a, _ in answers if b" 503 " in a.split(b"\r\n")[0] + b" " and b"busy" in a]
        bare = [a for a, closed in answers if closed and not a]
        if not busy or bare:
            failures.append(f"100 held uploads: {len(busy)} answered 503 in words, {len(bare)} closed or reset bare")
    finally:
        for raw in held:
            raw.close()
    # The held uploads' turns at the host thread are still answered one by
    # one; the server is itself again once they are.
    wait_until(lambda: serve.request("GET", "/api/players", timeout=5)[0] == 200, 20,
               "the server did not recover from 100 held uploads")


def check_ending(player, tmp):
    """Whichever way serve is asked to end during an upload, its spool goes
    with it; the spool of a server killed outright is removed by the next
    one to start, and a running server's never is."""
    def leftovers():
        return [os.path.join(d, f) for d, _, files in os.walk(tmp) for f in files if f.endswith(".mp3")]

    def uploading(serve):
        location = serve.media()["Pocket"]
        raw = raw_upload(serve, location, "Partial.mp3", 512 << 10, 128 << 10)
        wait_until(lambda: any(os.path.getsize(f) > 0 for f in leftovers()), 10, "the upload never reached the spool")
        return raw
    env = dict(os.environ, TMPDIR=tmp)
    for number in (signal.SIGTERM, signal.SIGHUP):
        serve = Serve(mdhost, "--player", player, env=env)
        raw = uploading(serve)
        serve.process.send_signal(number)
        try:
            serve.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            serve.process.kill()
            serve.process.wait()
        raw.close()
        if serve.process.returncode != 0:
            failures.append(f"signal {number} ended serve with status {serve.process.returncode}, not as Ctrl-C does")
        if os.listdir(tmp):
            failures.append(f"signal {number} during an upload left {os.listdir(tmp)}: {leftovers()}")
    killed = Serve(mdhost, "--player", player, env=env)
    raw = uploading(killed)
    killed.process.kill()
    killed.process.wait()
    raw.close()
    if not leftovers():
        failures.append("a killed server's upload vanished by itself: the sweep is not checked")
    running = Serve(mdhost, "--player", player, env=env)
    if leftovers():
        failures.append(f"the next server left a dead server's spool: {leftovers()}")
    own = os.listdir(tmp)
    other = Serve(mdhost, "--player", player, env=env)
    if not set(own) <= set(os.listdir(tmp)):
        failures.append(f"a new server removed a running server's spool: {own} became {os.listdir(tmp)}")
    other.stop()
    running.stop()
    if os.listdir(tmp):
        failures.append(f"stopped servers left {os.listdir(tmp)}")


def check_stop(serve):
    """Ctrl-C ends the server at once, though a browser keeps connections
    open: one idle, one reading the event stream, which ends properly."""
    idle = socket.create_connection(("127.0.0.1", serve.port))
    events = socket.create_connection(("127.0.0.1", serve.port))
    events.sendall(f"GET /api/events?token={serve.token} HTTP/1.1\r\nHost: 127.0.0.1:{serve.port}\r\n\r\n".encode())
    events.settimeout(10)
    head = events.recv(4096)
    if b"text/event-stream" not in head:
        failures.append(f"the event stream did not start: {head!r}")
    started = time.time()
    serve.stop()
    if time.time() - started > 10:
        failures.append(f"stopping took {time.time() - started:.1f} s with connections open")
    rest = b""
    while not rest.endswith(b"0\r\n\r\n"):
        piece = events.recv(4096)
        if not piece:
            break
        rest += piece
    if not rest.endswith(b"0\r\n\r\n"):
        failures.append(f"the event stream was cut off rather than ended: {rest[-40:]!r}")
    idle.close()
    events.close()


serve, medium, location, spooled = start()
stopped = False
try:
    check_access(serve, medium)
    check_unreadable(serve)
    before = names(serve, location, "\\Music")
    check_paths(serve, location)
    check_uploads(serve, location, spooled)
    check_bodies(serve, location)
    if names(serve, location, "\\Music") != before:
        failures.append(f"refused requests changed the player: {before} became "
                        f"{names(serve, location, chr(92) + 'Music')}")
    check_hiding(serve, location)
    check_refused_unread(serve, location, spooled)
    check_send(serve, location)
    if not windows:
        check_convert(serve, location)
        check_open(serve)
        check_arrival(serve, location)
        check_nuisance(serve)
        check_streams(serve)
        check_busy(serve, location)
    status, _, payload = serve.request("GET", "/api/players")
    expect("still serving", status, 200, payload)
    stopped = True
    check_stop(serve)
except BaseException:
    if not stopped:
        serve.stop()
    shutil.rmtree(work)
    raise
if not windows:
    ending = os.path.join(work, "ending")
    os.makedirs(ending)
    check_ending(os.path.join(work, "Pocket"), ending)
shutil.rmtree(work)

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("passed")
