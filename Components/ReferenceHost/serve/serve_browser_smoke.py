"""mdhost serve's page in headless Chromium against the Windows build under
Wine, kept short for Wine's slow start: the page opens with the token, shows
the sample players, lists a folder and a track's tags.
    serve_browser_smoke.py MDHOST_EXE PLAYERS_JSON"""
import sys

from serve_session import Serve, start_browser, wait_until

mdhost, players_json = sys.argv[1:3]
serve = Serve(mdhost, "--players", "Z:" + players_json, launcher=["wine"])
browser = None


def wait_for(script, what):
    wait_until(lambda: browser.execute_script(script), 20, what)


def open_item(name):
    wait_for(f"const r = document.querySelector('#spacer .row[data-name=\"{name}\"]');"
             "if (r) r.querySelector('.open-item').click(); return !!r", f"no row {name}")


try:
    browser = start_browser()
    browser.get(serve.address)
    wait_for("return document.querySelectorAll('.player').length >= 2", "the sample players were not shown")
    browser.execute_script("document.querySelector('.medium[data-name=\"Internal Memory\"]').click()")
    for folder in ("Music", "Northern Lights", "Aurora Borealis"):
        open_item(folder)
    wait_for("const r = document.querySelector('#spacer .row[data-name=\"02 Solar Wind.mp3\"]');"
             "return r && r.textContent.includes('Solar Wind') && r.textContent.includes('Northern Lights')",
             "the folder's track was not listed with its tags")
except BaseException:
    if browser:
        print("page status:", browser.execute_script("return document.getElementById('status').textContent"))
    raise
finally:
    if browser:
        browser.quit()
    serve.stop()
print("passed")
