"""A page in headless Chromium, for the browser build's checks.

Serves a folder on 127.0.0.1 (Python's own http.server), opens a page in
Debian's Chromium through its chromedriver and Debian's selenium, collects what
the page writes to its console and the exceptions it throws, presses keys and
takes screenshots. Run with /usr/bin/python3 (Debian's selenium).

    with served("build-web") as url, Browser() as browser:
        browser.open(url + "/index.html")
        match, ms = browser.wait_for_line(r"tibo-first-picture (\\d+)")
        browser.press("Space")
        png = browser.screenshot("shot.png")
"""

import base64
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from contextlib import contextmanager
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

CHROMIUM = os.environ.get("TIBO_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("TIBO_CHROMEDRIVER", "/usr/bin/chromedriver")


# The page's folder: TIBO_WEB_BUILD, else build-web of the checkout.
PAGE = Path(os.environ.get("TIBO_WEB_BUILD", Path(__file__).resolve().parents[2] / "build-web"))


@contextmanager
def served(folder):
    """Serves `folder` on 127.0.0.1 at a free port; yields the base address."""
    server = subprocess.Popen(
        [sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "0", "-d", str(folder)],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        # "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
        line = server.stdout.readline()
        match = re.search(r"port (\d+)", line)
        if not match:
            raise RuntimeError("the web server did not start: " + line)
        yield "http://127.0.0.1:%s" % match.group(1)
    finally:
        server.terminate()
        server.wait(timeout=10)
        server.stdout.close()


# Collects the page's console lines and uncaught errors from its first script
# on, in the order they came, with the time of each (milliseconds since the
# navigation began), for the test to read.
COLLECTOR = r"""
(() => {
  const lines = [];
  window.__tiboConsole = lines;
  const text = (args) => Array.from(args).map(a => {
    if (typeof a === 'string') return a;
    try { return a instanceof Error ? String(a.stack || a) : JSON.stringify(a); } catch (e) { return String(a); }
  }).join(' ');
  for (const level of ['log', 'info', 'warn', 'error', 'debug']) {
    const original = console[level].bind(console);
    console[level] = function () {
      lines.push([level, text(arguments), performance.now()]);
      original.apply(null, arguments);
    };
  }
  const failed = (what) => lines.push(['exception', String(what), performance.now()]);
  addEventListener('error', e => failed(e.error && e.error.stack || e.message));
  addEventListener('unhandledrejection', e => failed(e.reason && e.reason.stack || e.reason));
})();
"""

# Key names as WebDriver knows them; a single character stands for itself.
KEYS = {
    "Left": Keys.ARROW_LEFT, "Right": Keys.ARROW_RIGHT, "Up": Keys.ARROW_UP, "Down": Keys.ARROW_DOWN,
    "Space": Keys.SPACE, "Enter": Keys.ENTER, "Escape": Keys.ESCAPE, "Backspace": Keys.BACKSPACE,
    "Delete": Keys.DELETE, "Tab": Keys.TAB, "Shift": Keys.SHIFT,
    **{"F%d" % n: getattr(Keys, "F%d" % n) for n in range(1, 13)},
}


class Browser:
    """Headless Chromium with a fresh profile; a context manager that quits it."""

    def __init__(self, width=1280, height=1024, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="tibo-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless=new", "--no-sandbox", "--enable-unsafe-swiftshader",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--no-first-run", "--disable-dev-shm-usage", "--window-size=%d,%d" % (width, height),
                     "--user-data-dir=" + self.profile, *extra_flags):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": COLLECTOR})
        self.read = 0  # console lines already handed out by new_lines()
        self.failures = []  # the browser's own errors (a file not found, say)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, url):
        """Loads the page; returns the milliseconds its load took."""
        self.read = 0
        self.driver.get(url)
        return self.driver.execute_script(
            "const t = performance.getEntriesByType('navigation')[0]; return t ? t.loadEventEnd : null;")

    def lines(self):
        """Every console line so far, as (level, text, ms); 'exception' for uncaught errors."""
        got = self.driver.execute_script("return window.__tiboConsole || [];")
        for entry in self.driver.get_log("browser"):
            # The browser's own complaints, which no script wrote: failed loads.
            message = entry.get("message", "")
            if entry.get("level") == "SEVERE" and entry.get("source") != "console-api" and message not in self.failures:
                self.failures.append(message)
        return [tuple(x) for x in got]

    def new_lines(self):
        """The console lines since the last call."""
        got = self.lines()
        fresh = got[self.read:]
        self.read = len(got)
        return fresh

    def errors(self):
        """Console errors, uncaught exceptions and failed loads so far."""
        return [text for level, text, _ in self.lines() if level in ("error", "exception")] + self.failures

    def wait_for_line(self, pattern, timeout=20.0):
        """Waits for a console line matching `pattern` (a regular expression);
        returns its match and the line's time. Raises TimeoutError naming the
        lines seen."""
        regex = re.compile(pattern)
        end = time.monotonic() + timeout
        while True:
            for _, text, ms in self.lines():
                match = regex.search(text)
                if match:
                    return match, ms
            if time.monotonic() > end:
                seen = "\n".join("  %s: %s" % line[:2] for line in self.lines()[-20:])
                raise TimeoutError("no console line like %r within %.0f s; the last lines:\n%s"
                                   % (pattern, timeout, seen))
            time.sleep(0.05)

    def press(self, key, hold=0.1):
        """Presses a key (a name of KEYS or one character) and lets it go after `hold` seconds."""
        code = KEYS.get(key, key)
        ActionChains(self.driver).key_down(code).pause(hold).key_up(code).perform()

    def click(self, element_css, x, y):
        """Clicks at (x, y) CSS pixels from the top-left corner of an element."""
        element = self.driver.find_element("css selector", element_css)
        size = element.size
        ActionChains(self.driver).move_to_element_with_offset(
            element, x - size["width"] / 2, y - size["height"] / 2).click().perform()

    def screenshot(self, path=None, element_css=None):
        """The page, or only the element `element_css` (its CSS pixels), as a
        PNG; saved to `path` when given. Returns the PNG's bytes."""
        if element_css is None:
            png = self.driver.get_screenshot_as_png()
        else:
            x, y, w, h = self.driver.execute_script(
                "const r = document.querySelector(arguments[0]).getBoundingClientRect();"
                "return [r.left + scrollX, r.top + scrollY, r.width, r.height];", element_css)
            shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
                "format": "png", "captureBeyondViewport": True,
                "clip": {"x": x, "y": y, "width": w, "height": h, "scale": 1}})
            png = base64.b64decode(shot["data"])
        if path:
            with open(path, "wb") as out:
                out.write(png)
        return png


def png_pixels(png):
    """Decodes an 8-bit RGB or RGBA PNG (what Chromium's screenshots are):
    (width, height, rows), each row a list of (r, g, b) tuples."""
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    at, data, header = 8, b"", None
    while at < len(png):
        length, kind = struct.unpack(">I4s", png[at:at + 8])
        body = png[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            data += body
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB(A) PNGs without interlacing")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(data)
    stride = width * step
    rows, previous = [], bytearray(stride)
    at = 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, step)])
        previous = line
    return width, height, rows


class PageTestCase(unittest.TestCase):
    """Tests of the page, served for the whole class from `serving()` (the
    page's folder unless a class says otherwise) at `cls.url`; with
    `one_browser`, one browser for the whole class at `cls.browser`."""

    one_browser = False

    @classmethod
    def serving(cls):
        return PAGE

    @classmethod
    def setUpClass(cls):
        if not (PAGE / "index.html").exists():
            raise unittest.SkipTest("no page in %s: run `make web` first" % PAGE)
        cls.server = served(cls.serving())
        cls.url = cls.server.__enter__()
        if cls.one_browser:
            cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        if cls.one_browser:
            cls.browser.close()
        cls.server.__exit__(None, None, None)


def colour_shares(rows):
    """The shares of a picture's pixels (rows of (r, g, b)) that are near
    black, the night sky's blue, and the play panel's sandstone."""
    pixels = [p for row in rows for p in row]
    n = len(pixels)
    return {
        "dark": sum(1 for r, g, b in pixels if max(r, g, b) < 48) / n,
        "blue": sum(1 for r, g, b in pixels if b > r + 20 and b > g) / n,
        "sand": sum(1 for r, g, b in pixels if r > 150 and g > 100 and b < 110 and r > b + 60) / n,
    }
