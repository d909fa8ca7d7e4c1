"""The page's files in headless Chromium: the hall of fame kept in the
browser's storage across reloads, and F12's screenshot handed to the browser
as a download.

    /usr/bin/python3 -m unittest discover -s tests/web -p test_storage.py -v   (after `make web`)

TIBO_WEB_BUILD names the page's folder (default: build-web of the checkout);
with TIBO_WEB_SHOTS set, the screens looked at are saved there as PNGs.
"""

import base64
import os
import struct
import tempfile
import time
import unittest
from pathlib import Path

from browser import COLLECTOR, Browser, PageTestCase, colour_shares
from test_page import is_level_choice, is_play

SHOTS = os.environ.get("TIBO_WEB_SHOTS")

# The game's folder in the page, as on the desktop: $XDG_DATA_HOME/tibo.
FOLDER = "/home/web_user/.local/share/tibo"
SETTINGS = FOLDER + "/Tibo.Ini"


def table(*entries):
    """A whole Tibo.Ini of (name, points, level) entries, place 1 first."""
    return "[Record]\n" + "".join("Nome%d=%s\nPunti%d=%d\nLivello%d=%d\n" % (n, name, n, points, n, level)
                                   for n, (name, points, level) in enumerate(entries, 1))


# A table every score beats, even a game's 0: the next game over asks for a name.
LOW = [("LOW%d" % n, -n, 1) for n in range(1, 11)]
LOW_TABLE = table(*LOW)

# What IndexedDB holds for a file of the folder, read by the page's own
# IndexedDB and not through the game's file system: its text, or null.
READ_STORED = r"""
const [name, key, done] = arguments;
const request = indexedDB.open(name);
request.onerror = () => done(null);
request.onsuccess = () => {
  const db = request.result;
  const finish = (text) => { db.close(); done(text); };
  try {
    const get = db.transaction(['FILE_DATA'], 'readonly').objectStore('FILE_DATA').get(key);
    get.onsuccess = () => finish(get.result && get.result.contents ? new TextDecoder().decode(get.result.contents) : null);
    get.onerror = () => finish(null);
  } catch (e) {
    finish(null);  // no store yet
  }
};
"""


# The canvas's own pixels, every `step`-th of every `step`-th row, as rows of
# [r, g, b]; or, with `png` set, the whole canvas as a PNG's data address.
# Read from the canvas rather than from a screenshot of the page: headless
# Chromium's screenshots stop showing a canvas that is only drawn into.
CANVAS = r"""
const [step, png] = arguments;
const canvas = document.querySelector('canvas');
if (png) return canvas.toDataURL('image/png');
const copy = document.createElement('canvas');
copy.width = canvas.width;
copy.height = canvas.height;
const context = copy.getContext('2d');
context.drawImage(canvas, 0, 0);
const data = context.getImageData(0, 0, copy.width, copy.height).data;
const rows = [];
for (let y = 0; y < copy.height; y += step) {
  const row = [];
  for (let x = 0; x < copy.width; x += step) {
    const at = 4 * (y * copy.width + x);
    row.push([data[at], data[at + 1], data[at + 2]]);
  }
  rows.push(row);
}
return rows;
"""


def is_name_entry(rows):
    """The name-entry screen: black with the table's lines centred, no picture,
    no panel. Beside the table nothing is drawn; in its middle there is text."""
    height, width = len(rows), len(rows[0])
    band = rows[height // 5:height * 4 // 5]
    left = [p for row in band for p in row[:width // 6]]
    middle = [p for row in band for p in row[width // 3:width * 2 // 3]]
    return (all(max(p) < 24 for p in left)
            and sum(1 for p in middle if max(p) > 128) > len(middle) // 100)


class StorageTest(PageTestCase):
    def wait_for(self, b, is_screen, name, timeout):
        end = time.monotonic() + timeout
        while True:
            rows = b.driver.execute_script(CANVAS, 4, False)
            if is_screen(rows):
                if SHOTS:
                    self.save_canvas(b, name)
                return
            if time.monotonic() > end:
                self.save_canvas(b, "failed " + name, "/tmp")
                self.fail("no %s on the canvas within %.0f s (colours %s; picture /tmp/tibo-web-failed-%s.png)"
                          % (name, timeout, colour_shares(rows), name.replace(" ", "-")))
            time.sleep(0.2)

    def save_canvas(self, b, name, folder=None):
        address = b.driver.execute_script(CANVAS, 1, True)
        path = Path(folder or SHOTS, "tibo-web-" + name.replace(" ", "-") + ".png")
        path.write_bytes(base64.b64decode(address.split(",", 1)[1]))

    def stored(self, b, key):
        return b.driver.execute_async_script(READ_STORED, FOLDER, key)

    def wait_stored(self, b, key, want, timeout=5.0):
        """Waits until IndexedDB holds `key` with `want` in it; returns its text."""
        end = time.monotonic() + timeout
        while True:
            text = self.stored(b, key)
            if text is not None and want in text:
                return text
            if time.monotonic() > end:
                self.fail("IndexedDB holds no %s with %r within %.0f s; it holds: %r" % (key, want, timeout, text))
            time.sleep(0.1)

    def folder(self, b):
        return sorted(b.driver.execute_script("return FS.readdir(arguments[0]);", FOLDER))

    def settings(self, b):
        return b.driver.execute_script(
            "try { return FS.readFile(arguments[0], { encoding: 'utf8' }); } catch (e) { return null; }", SETTINGS)

    def reload(self, b, query):
        b.open(self.url + "/index.html" + query)
        b.wait_for_line(r"^tibo-first-picture \d+$")

    def test_a_name_entered_in_the_hall_of_fame_stays_after_a_reload(self):
        with Browser() as b:
            # A fresh browser keeps nothing: the game starts from its own table.
            self.reload(b, "?seed=1")
            self.assertIsNone(self.settings(b))
            self.assertIsNone(self.stored(b, SETTINGS))
            # A table every score beats, written into the page's folder as
            # another game would have left it: it reaches IndexedDB by itself
            # and is there for the game after a reload.
            b.driver.execute_script("FS.writeFile(arguments[0], arguments[1]);", SETTINGS, LOW_TABLE)
            self.wait_stored(b, SETTINGS, "Nome10=LOW10")
            self.reload(b, "?seed=1")
            self.assertEqual(self.settings(b), LOW_TABLE)

            # Another tab of the page, whose game saves a table with its own
            # name at the top (5 points) while this tab shows the intro.
            first = b.driver.current_window_handle
            b.driver.switch_to.new_window("tab")
            b.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": COLLECTOR})
            self.reload(b, "?seed=2")
            self.assertEqual(self.settings(b), LOW_TABLE)
            b.driver.execute_script("FS.writeFile(arguments[0], arguments[1]);", SETTINGS,
                                    table(("TAB", 5, 2), *LOW[:9]))
            self.wait_stored(b, SETTINGS, "Nome1=TAB\n")
            b.driver.close()
            b.driver.switch_to.window(first)

            # Back here: a game at level 5 where the hero stays on his own bomb:
            # its blast ends the game, whose 0 points beat all but the other tab's.
            b.press("a")
            self.wait_for(b, lambda rows: is_level_choice(colour_shares(rows)), "level choice", 10)
            for _ in range(4):
                b.press("Down")
            b.press("Enter")
            self.wait_for(b, lambda rows: is_play(colour_shares(rows)), "play", 10)
            b.press("Space")
            time.sleep(1.0)
            b.press("Enter")
            # The blast, ten seconds of game over, then the name.
            self.wait_for(b, is_name_entry, "name entry", 40)
            for key in "web":
                b.press(key)
            b.press("Enter")
            entered = time.monotonic()
            # Saved at once, and in IndexedDB within moments, not only when the
            # page goes: below the other tab's entry, the new name, then the
            # old table.
            stored = self.wait_stored(b, SETTINGS, "Nome2=WEB\n")
            print("\nin IndexedDB %.0f ms after the name's Enter was let go" % ((time.monotonic() - entered) * 1000))
            self.assertEqual(stored, table(("TAB", 5, 2), ("WEB", 0, 5), *LOW[:8]))
            # The desktop's way of saving left nothing half done behind.
            self.assertFalse([name for name in self.folder(b) if ".new-" in name], self.folder(b))

            # After a reload the game reads the table with the name.
            self.reload(b, "?seed=1")
            self.assertEqual(self.settings(b), stored)
            if SHOTS:
                # The hall of fame follows the intro by itself, its lines in
                # place from its frame 134; place 1 blinks (rows 135 to 150).
                time.sleep(9.0 + 134 / 50 + 0.5)
                self.wait_for(b, lambda rows: any(max(p) > 128 for row in rows[34:38] for p in row[36:124]),
                              "hall of fame after a reload", 3)
            self.assertEqual(b.errors(), [])

    def test_a_save_cut_short_is_taken_up_at_the_next_start(self):
        # A page that went while saving (after the new file, before its
        # rename) left its table beside the old one, in the name the desktop
        # gives it (every page runs as process 42).
        leftover = SETTINGS + ".new-42-1f"
        with Browser() as b:
            self.reload(b, "")
            b.driver.execute_script("FS.writeFile(arguments[0], arguments[1]);", SETTINGS, LOW_TABLE)
            b.driver.execute_script("FS.writeFile(arguments[0], arguments[1]);", leftover,
                                    table(("CUT", 500, 3), *LOW[:9]))
            self.wait_stored(b, leftover, "Nome1=CUT\n")
            self.wait_stored(b, SETTINGS, "Nome1=LOW1\n")
            # The next start takes its entry into the table, under the lock,
            # and removes it: in the page and in IndexedDB.
            self.reload(b, "")
            self.assertEqual(self.settings(b), table(("CUT", 500, 3), *LOW[:9]))
            self.assertNotIn(leftover.rsplit("/", 1)[1], self.folder(b))
            self.wait_stored(b, SETTINGS, "Nome1=CUT\n")
            end = time.monotonic() + 5
            while self.stored(b, leftover) is not None and time.monotonic() < end:
                time.sleep(0.1)
            self.assertIsNone(self.stored(b, leftover))
            self.assertEqual(b.errors(), [])

    def test_a_browser_that_keeps_nothing_still_plays(self):
        with Browser() as b:
            # As some browsers do for private windows: IndexedDB refuses to open.
            b.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": (
                "IDBFactory.prototype.open = function () {"
                " throw new DOMException('no storage here', 'InvalidStateError'); };")})
            self.reload(b, "?seed=1")
            # Said once; the game runs, and its folder in the page's memory
            # takes a screenshot, handed over as ever.
            b.press("F12")
            b.wait_for_line(r"^tibo: screenshot saved to ")
            # Long enough for copies to the storage to have been tried again
            # and again, had they been tried at all.
            time.sleep(3.5)
            self.assertEqual([name for name in self.folder(b) if name.endswith(".png")], [])
            warnings = [text for level, text, _ in b.lines() if level == "warn"]
            self.assertEqual(len(warnings), 1, warnings)
            self.assertIn("the hall of fame lasts as long as the page", warnings[0])
            self.assertEqual(b.errors(), [])

    def test_f12_offers_the_screenshot_as_a_download(self):
        downloads = tempfile.mkdtemp(prefix="tibo-downloads-")
        with Browser() as b:
            b.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
            self.reload(b, "?seed=1")
            # Two in the same second: two files of two names.
            b.press("F12")
            b.wait_for_line(r"^tibo: screenshot saved to ")
            b.press("F12")
            end = time.monotonic() + 10
            while True:
                pictures = sorted(p for p in os.listdir(downloads) if p.endswith(".png"))
                if len(pictures) == 2 or time.monotonic() > end:
                    break
                time.sleep(0.1)
            self.assertEqual(len(pictures), 2, os.listdir(downloads))
            for name in pictures:
                self.assertRegex(name, r"^tibo-\d{8}-\d{6}-\d+\.png$")
                data = Path(downloads, name).read_bytes()
                self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
                self.assertEqual(struct.unpack(">II", data[16:24]), (640, 480))
            # Handed over, the pictures leave the page's folder and its storage.
            self.assertEqual([name for name in self.folder(b) if name.endswith(".png")], [])
            time.sleep(0.5)
            for name in pictures:
                self.assertIsNone(self.stored(b, FOLDER + "/" + name))
            saved = [text for _, text, _ in b.lines() if text.startswith("tibo: screenshot saved to ")]
            self.assertEqual(len(saved), 2)
            self.assertEqual(b.errors(), [])
        for name in os.listdir(downloads):
            os.remove(os.path.join(downloads, name))
        os.rmdir(downloads)


if __name__ == "__main__":
    unittest.main()
