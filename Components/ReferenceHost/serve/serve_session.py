"""Starts mdhost serve for a test and stops it: the address it prints, the
token in it, and raw requests with any Host header; and the browser the
page is tested in."""
import http.client
import json
import os
import re
import signal
import subprocess
import threading
import time
import urllib.parse


class Serve:
    # `launcher` runs the program (["wine"] for the Windows build).
    def __init__(self, mdhost, *args, env=None, launcher=()):
        self.process = subprocess.Popen([*launcher, mdhost, "serve", *args], stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True, env=env)
        before = []
        for line in self.process.stdout:
            before.append(line)
            found = re.search(r"http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)", line)
            if found:
                break
        else:
            self.process.kill()
            raise SystemExit("FAILED: mdhost serve printed no address: " + "".join(before))
        # The rest of its output is drained, so that it never waits on a full pipe.
        self.output = before
        self.drain = threading.Thread(target=lambda: self.output.extend(self.process.stdout), daemon=True)
        self.drain.start()
        self.address = found.group(0)
        self.port = int(found.group(1))
        self.token = found.group(2)

    def request(self, method, path, params=None, body=None, headers=None, host=None, token=True, timeout=30):
        query = dict(params or {})
        if token:
            query["token"] = self.token
        url = path + ("?" + urllib.parse.urlencode(query) if query else "")
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        connection.putrequest(method, url, skip_host=True, skip_accept_encoding=True)
        connection.putheader("Host", host or f"127.0.0.1:{self.port}")
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        data = body.encode() if isinstance(body, str) else body
        if data is not None and "Transfer-Encoding" not in (headers or {}):
            connection.putheader("Content-Length", str(len(data)))
        connection.endheaders()
        if data is not None:
            connection.send(data)
        response = connection.getresponse()
        payload = response.read()
        connection.close()
        return response.status, dict(response.getheaders()), payload

    def json(self, method, path, params=None, body=None):
        status, _, payload = self.request(method, path, params, None if body is None else json.dumps(body))
        return status, json.loads(payload)

    def media(self):
        status, answer = self.json("GET", "/api/players")
        assert status == 200, answer
        return {medium["name"]: medium["location"] for player in answer["players"] for medium in player["media"]}

    def stop(self, signal_number=signal.SIGINT):
        self.process.send_signal(signal_number)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise SystemExit(f"FAILED: mdhost serve did not stop on signal {signal_number}")
        self.drain.join(5)
        out = "".join(self.output)
        if self.process.returncode != 0:
            raise SystemExit(f"FAILED: mdhost serve ended with status {self.process.returncode}: {out}")
        return out


def wait_until(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.1)
    raise SystemExit("FAILED: " + what)


def start_browser():
    """Headless Chromium through Selenium; fails, not skips, where either is
    missing."""
    try:
        from selenium import webdriver
    except ImportError:
        raise SystemExit("FAILED: python3-selenium is missing; tools/test.sh linux installs it")
    for program in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
        if not os.path.exists(program):
            raise SystemExit(f"FAILED: {program} is missing; tools/test.sh linux installs chromium and chromium-driver")
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1280,800", "--no-proxy-server"):
        options.add_argument(argument)
    options.binary_location = "/usr/bin/chromium"
    service = (webdriver.ChromeService if hasattr(webdriver, "ChromeService") else webdriver.chrome.service.Service)
    return webdriver.Chrome(service=service("/usr/bin/chromedriver"), options=options)
