"""mdhost serve's page in headless Chromium, one browser session for every
step: the sample players and a folder player, a folder's tracks with their
tags, a file sent by a drag-and-drop from the desktop with its progress, a
playlist reordered by dragging (the M3U8 on disk follows), a rename, a delete
after its confirmation, a folder player arriving and leaving under
--watch-root, and the first screen of a 10,000-track folder timed against
`mdhost ls` of the same folder. Fails when Chromium or its driver is missing.
    serve_browser_check.py MDHOST AUDIO_FIXTURES PLAYERS_JSON SCREENSHOT_PNG"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from serve_session import Serve, start_browser, wait_until
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

mdhost, audio, players_json, screenshot = sys.argv[1:5]
audio = os.path.realpath(audio)  # the browser takes canonical paths only
BIG = 10000
work = tempfile.mkdtemp(prefix="md-serve-browser-")
pocket, crate, root = (os.path.join(work, name) for name in ("Pocket", "Crate", "root"))
music = os.path.join(pocket, "Music")
for folder in (music, os.path.join(crate, "Tracks"), root):
    os.makedirs(folder)
tracks = {"01 Silence.mp3": "silence-44-s-v1.mp3", "02 Cosmic.mp3": "id3v22-test.mp3", "03 Water.mp3": "vbri.mp3"}
for name, source in tracks.items():
    shutil.copyfile(os.path.join(audio, source), os.path.join(music, name))
playlist = os.path.join(pocket, "Mix.m3u8")
with open(playlist, "w") as text:
    text.write("#EXTM3U\nMusic/02 Cosmic.mp3\nMusic/01 Silence.mp3\nMusic/03 Water.mp3\n")
for i in range(BIG):
    os.link(os.path.join(audio, "silence-44-s-v1.mp3"), os.path.join(crate, "Tracks", f"Track {i:05d}.mp3"))

serve = Serve(mdhost, "--players", players_json, "--player", pocket, "--player", crate, "--watch-root", root)
browser = None
steps = []


def step(name):
    steps.append((name, time.time()))
    print(f"-- {name}", flush=True)


def wait_for(script, seconds, what):
    wait_until(lambda: browser.execute_script(script), seconds, what)


def row(name):
    return f'document.querySelector(\'#spacer .row[data-name="{name}"]\')'


def open_medium(name):
    browser.execute_script(f'document.querySelector(\'.medium[data-name="{name}"]\').click()')


def open_item(name):
    wait_for(f"const r = {row(name)}; if (r) r.querySelector('.open-item').click(); return !!r", 10, f"no row {name}")


def drag_files(paths, target_script):
    """A drop from the desktop: the files picked through a file input, handed
    over in a DataTransfer on dragover and drop events."""
    browser.execute_script("const i = document.createElement('input'); i.type = 'file'; i.multiple = true;"
                           "i.id = 'desktop'; i.style.display = 'none'; document.body.append(i);")
    browser.find_element(By.ID, "desktop").send_keys("\n".join(paths))
    browser.execute_script(f"""
        const target = {target_script}, data = new DataTransfer();
        for (const f of document.getElementById('desktop').files) data.items.add(f);
        for (const type of ['dragenter', 'dragover', 'drop'])
          target.dispatchEvent(new DragEvent(type, {{dataTransfer: data, bubbles: true, cancelable: true}}));
        document.getElementById('desktop').remove();""")


try:
    browser = start_browser()
    step("the page with the token: sample players and a folder player")
    browser.get(serve.address)
    wait_for("return document.querySelectorAll('.player').length >= 4", 10, "the players were not shown")
    names = browser.execute_script("return [...document.querySelectorAll('.medium')].map(m => m.dataset.name)")
    for expected in ("Internal Memory", "Storage Card", "Pocket", "Crate"):
        assert expected in names, f"no medium {expected} among {names}"
    assert browser.execute_script("return document.querySelector('.medium .bar div').style.width") != ""

    step("browse into a folder and read a track's tags")
    open_medium("Pocket")
    open_item("Music")
    wait_for(f"return {row('01 Silence.mp3')} && {row('01 Silence.mp3')}.textContent.includes('piman')", 10,
             "the track's tags were not shown")
    cells = browser.execute_script(f"return [...{row('01 Silence.mp3')}.children].map(c => c.textContent)")
    assert cells[1:5] == ["Silence", "piman", "Quod Libet Test Data", "2"], cells
    browser.save_screenshot(screenshot)

    step("send a file by dragging it onto the folder; progress to the end, the track listed")
    drag_files([os.path.join(audio, "silence-2s-PCM-44100-16-ID3v23.wav")], "document.getElementById('table')")
    wait_for("const t = document.querySelector('.transfer'); return t && t.dataset.outcome", 20, "the send did not end")
    outcome = browser.execute_script("const t = document.querySelector('.transfer');"
                                      "return [t.dataset.outcome, t.querySelector('progress').value, t.textContent]")
    assert outcome[0] == "sent" and outcome[1] == 100, outcome
    wait_for(f"return {row('silence-2s-PCM-44100-16-ID3v23.wav')}", 10, "the sent track was not listed")
    assert os.path.exists(os.path.join(music, "silence-2s-PCM-44100-16-ID3v23.wav"))

    step("reorder the playlist by dragging; the M3U8 on disk follows")
    browser.execute_script("document.querySelector('#crumbs a').click()")
    open_item("Mix.m3u8")
    wait_for(f"return {row('03 Water.mp3')}", 10, "the playlist's entries were not shown")
    browser.execute_script(f"""
        const from = {row('03 Water.mp3')}, to = {row('02 Cosmic.mp3')}, data = new DataTransfer();
        from.dispatchEvent(new DragEvent('dragstart', {{dataTransfer: data, bubbles: true}}));
        to.dispatchEvent(new DragEvent('dragover', {{dataTransfer: data, bubbles: true, cancelable: true}}));
        to.dispatchEvent(new DragEvent('drop', {{dataTransfer: data, bubbles: true, cancelable: true}}));
        from.dispatchEvent(new DragEvent('dragend', {{dataTransfer: data, bubbles: true}}));""")

    def entries():
        with open(playlist, encoding="utf-8-sig") as text:
            return [line.strip() for line in text if line.strip() and not line.startswith("#")]
    wait_until(lambda: entries()[:1] == ["Music/03 Water.mp3"], 10, f"the M3U8 was not reordered: {entries()}")
    assert entries() == ["Music/03 Water.mp3", "Music/02 Cosmic.mp3", "Music/01 Silence.mp3"], entries()

    # Right after the reorder the page reloads the playlist's listing, as a
    # player arrives: a medium's lookup must not take in the arriving player
    # behind the page's list of players.
    step("a folder player arrives and leaves under --watch-root")
    os.makedirs(os.path.join(root, "Visitor"))
    wait_for("return document.querySelector('.medium[data-name=\"Visitor\"]')", 15, "the arriving player was not shown")
    os.rmdir(os.path.join(root, "Visitor"))
    wait_for("return !document.querySelector('.medium[data-name=\"Visitor\"]')", 15, "the leaving player stayed")

    step("rename in place")
    browser.execute_script("document.querySelector('#crumbs a').click()")
    open_item("Music")
    click = "const r = {}; if (r) r.querySelector('.{}').click(); return !!r"
    wait_for(click.format(row("02 Cosmic.mp3"), "rename"), 10, "no row to rename")
    field = browser.find_element(By.CSS_SELECTOR, "#spacer .row input")
    field.send_keys(Keys.CONTROL, "a")
    field.send_keys("02 Cosmos.mp3", Keys.ENTER)
    wait_until(lambda: os.path.exists(os.path.join(music, "02 Cosmos.mp3")), 10, "the rename did not reach the disk")
    wait_for(f"return {row('02 Cosmos.mp3')}", 10, "the renamed track was not listed")

    step("delete after the confirmation, which names what goes")
    wait_for(click.format(row("03 Water.mp3"), "delete"), 10, "no row to delete")
    wait_for("return document.getElementById('dialog').open", 5, "no confirmation")
    question = browser.find_element(By.ID, "dialogText").text
    assert "03 Water.mp3" in question, question
    assert os.path.exists(os.path.join(music, "03 Water.mp3")), "deleted before the confirmation"
    browser.find_element(By.CSS_SELECTOR, '#dialogButtons [data-value="delete"]').click()
    wait_until(lambda: not os.path.exists(os.path.join(music, "03 Water.mp3")), 10, "the delete did not happen")
    wait_for(f"return !{row('03 Water.mp3')}", 10, "the deleted track is still listed")

    step("a new folder by its name; erasing a medium only once its name is typed")
    browser.find_element(By.ID, "newFolder").click()
    wait_for("return document.getElementById('dialog').open", 5, "no question for the folder's name")
    browser.find_element(By.ID, "dialogInput").send_keys("Live")
    browser.find_element(By.CSS_SELECTOR, '#dialogButtons [data-value="create"]').click()
    wait_until(lambda: os.path.isdir(os.path.join(music, "Live")), 10, "the new folder was not made")
    open_medium("Storage Card")
    wait_for(f"return {row('Podcasts')}", 10, "the sample medium's folders were not shown")
    browser.find_element(By.ID, "erase").click()
    wait_for("return document.getElementById('dialog').open", 5, "no question before erasing")
    erase = browser.find_element(By.CSS_SELECTOR, '#dialogButtons [data-value="erase"]')
    browser.find_element(By.ID, "dialogInput").send_keys("Storage Car")
    assert not erase.is_enabled(), "erase offered before the medium's name was typed"
    browser.find_element(By.ID, "dialogInput").send_keys("d")
    erase.click()
    wait_for(f"return !{row('Podcasts')} && /Erased/.test(document.getElementById('status').textContent)", 10,
             "the medium was not erased")

    step(f"the first screen of a {BIG}-track folder")
    open_medium("Crate")
    open_item("Tracks")
    started = time.time()
    wait_for("return window.mdTiming.firstRows !== undefined", 60, "the big folder's first rows were not drawn")
    first_rows = browser.execute_script("return window.mdTiming.firstRows")
    wait_for(f"const r = {row('Track 00000.mp3')}; return r && r.textContent.includes('piman')", 30,
             "no tags in the first rows")
    first_tags = time.time() - started
    browser.execute_script("document.getElementById('scroll').scrollTop = 5000 * 26")
    scrolled = time.time()
    wait_for(f"return {row('Track 05000.mp3')} && {row('Track 05000.mp3')}.textContent.includes('piman')", 30,
             "rows in the middle were not drawn with their tags")
    middle = time.time() - scrolled
    begun = time.time()
    listing = subprocess.run([mdhost, "ls", crate, "/Tracks"], capture_output=True, text=True)
    ls_seconds = time.time() - begun
    assert listing.returncode == 0 and listing.stdout.count("piman") == BIG, listing.stderr[:300]
    print(f"benchmark: {BIG}-track folder: first rows drawn {first_rows / 1000:.2f} s after opening, "
          f"with tags {first_tags:.2f} s; rows 5000 on drawn with tags {middle:.2f} s after the scroll; "
          f"mdhost ls of the same folder {ls_seconds:.2f} s")
except BaseException:
    if browser:
        print("page status:", browser.execute_script("return document.getElementById('status').textContent"))
        browser.save_screenshot(screenshot + ".failed.png")
        print("the server's media:", list(serve.media()))
    raise
finally:
    if browser:
        browser.quit()
    serve.stop()
    shutil.rmtree(work)
for (name, at), (_, end) in zip(steps, steps[1:] + [("end", time.time())]):
    print(f"   {end - at:6.2f} s  {name}")
print("passed")
