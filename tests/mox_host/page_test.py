"""The end-of-game page of `mox-host serve` in headless Chromium, driven through WebDriver: it
signs in with the printed link, follows a match played over HTTP as it happens, reports a player,
dismisses, and leaves a screenshot. Usage: page_test.py MOX_HOST SCREENSHOT.png
Exits 77 (skipped) when Chromium or its driver is not installed."""
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serve_fixture import Served, play_match  # noqa: E402

SKIPPED = 77


class WebDriver:
    def __init__(self, driver, browser):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.profile = tempfile.mkdtemp(prefix="mox-page-")
        self.process = subprocess.Popen([driver, f"--port={self.port}"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.time() + 30
        while True:
            try:
                if self.send("GET", "/status")["ready"]:
                    break
            except OSError:
                pass
            if time.time() > deadline:
                raise AssertionError("chromedriver did not start")
            time.sleep(0.1)
        options = {"binary": browser, "args": ["--headless=new", "--no-sandbox", "--disable-gpu",
                                               "--disable-dev-shm-usage", "--window-size=1200,820",
                                               f"--user-data-dir={self.profile}"]}
        self.session = self.send("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "chrome", "goog:chromeOptions": options}}})["sessionId"]

    def send(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}{path}", data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=60) as response:
            return json.loads(response.read())["value"]

    def command(self, method, path, body=None):
        return self.send(method, f"/session/{self.session}{path}", body)

    def run(self, script, *args):
        return self.command("POST", "/execute/sync", {"script": script, "args": list(args)})

    def wait_for(self, script, what, seconds=20):
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = self.run(script)
            if value:
                return value
            time.sleep(0.1)
        raise AssertionError("the page never showed " + what)

    def click(self, selector):
        element = self.command("POST", "/element", {"using": "css selector", "value": selector})
        self.command("POST", f"/element/{next(iter(element.values()))}/click", {})

    def close(self):
        try:
            self.command("DELETE", "")
        finally:
            self.process.terminate()
            self.process.wait(timeout=30)
            shutil.rmtree(self.profile, ignore_errors=True)


def main(mox_host, screenshot):
    browser = shutil.which("chromium")
    driver = shutil.which("chromedriver")
    if not browser or not driver:
        print("skipped: Debian's chromium and chromium-driver are not installed (scripts/setup.sh installs them)")
        return SKIPPED
    served = Served(mox_host)
    page = None
    try:
        page = WebDriver(driver, browser)
        page.command("POST", "/url", {"url": f"http://127.0.0.1:{served.port}/?token={served.secret}"})
        # The sign-in link took the secret out of the address and into a cookie.
        assert page.command("GET", "/url") == f"http://127.0.0.1:{served.port}/", page.command("GET", "/url")
        page.wait_for("return document.getElementById('live').textContent === 'live'", "the event stream open")
        assert page.run("return !document.getElementById('empty').hidden")

        play_match(served)
        names = page.wait_for("""
            const cells = [...document.querySelectorAll('td.player')].map(cell => cell.textContent);
            return cells.length === 4 && cells;""", "the scoreboard")
        assert names == ["Quillfeather", "苔の背", "Gravelwit", "Thistledown"], names
        assert page.run("return document.getElementById('outcome').textContent") == "VICTORY"
        assert page.run("return document.querySelector('.team.winner .name').textContent") == "Lantern Wardens"
        champions = page.run("return [...document.querySelectorAll('td.champion')].map(c => c.textContent)")
        assert champions == ["Aurel", "Brisa", "Corvin", "Dunmere"], champions

        page.click("button.report[data-summoner-id='77']")
        page.wait_for("""return document.querySelector("button.report[data-summoner-id='77']").textContent
                         === 'Reported' && document.getElementById('reported').textContent === 'Gravelwit'""",
                      "the report followed")
        assert served.json("GET", "/mox-end-of-game/v1/reported-players") == [77]
        with open(screenshot, "wb") as file:
            file.write(base64.b64decode(page.command("GET", "/screenshot")))

        page.click("#dismiss")
        page.wait_for("return document.getElementById('board').hidden && !document.getElementById('empty').hidden",
                      "the statistics dismissed")
        served.json("GET", "/mox-end-of-game/v1/eog-stats-block", expect=404)
    finally:
        if page:
            page.close()
        status = served.stop()
    assert status == 0, served.stderr
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
