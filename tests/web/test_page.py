"""The game's page in headless Chromium: it loads cleanly, shows the intro, and
keys lead from the intro through the level choice into a game.

    /usr/bin/python3 -m unittest discover -s tests/web -v     (after `make web`)

TIBO_WEB_BUILD names the page's folder (default: build-web of the checkout);
with TIBO_WEB_SHOTS set, the canvas of each screen reached is saved there as a PNG.
Figures (load, first picture, ticks a second) are printed, not judged: they
belong to tests/web/figures.py.
"""

import os
import time
import unittest
from pathlib import Path

from browser import PageTestCase, colour_shares, png_pixels

SHOTS = os.environ.get("TIBO_WEB_SHOTS")


def shares(png):
    """The colour shares of a screenshot."""
    return colour_shares(png_pixels(png)[2])


# The screens by their colours: the intro's dark starry field with its purple
# tiles, the level choice's night sky, the play's sandstone panel.
def is_intro(s):
    return s["dark"] > 0.7 and s["blue"] < 0.2 and s["sand"] < 0.05


def is_level_choice(s):
    return s["blue"] > 0.35 and s["sand"] < 0.1


def is_play(s):
    return s["sand"] > 0.25 and s["blue"] < 0.1


class PageTest(PageTestCase):
    one_browser = True

    def wait_for_screen(self, is_screen, name, timeout=10.0):
        end = time.monotonic() + timeout
        while True:
            png = self.browser.screenshot(element_css="canvas")
            s = shares(png)
            if is_screen(s):
                if SHOTS:
                    Path(SHOTS, name.replace(" ", "-") + ".png").write_bytes(png)
                return png
            if time.monotonic() > end:
                path = "/tmp/tibo-web-%s.png" % name
                with open(path, "wb") as out:
                    out.write(png)
                self.fail("no %s on the canvas within %.0f s (colours %s; picture %s)" % (name, timeout, s, path))
            time.sleep(0.2)

    def audio_state(self):
        return self.browser.driver.execute_script(
            "return Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : 'none';")

    def test_intro_then_level_choice_then_a_game(self):
        b = self.browser
        load_ms = b.open(self.url + "/index.html")
        match, _ = b.wait_for_line(r"^tibo-first-picture (\d+)$")
        print("\npage load %.0f ms, first picture %s ms" % (load_ms, match.group(1)))
        canvas = b.driver.execute_script(
            "const c = document.querySelector('canvas'); return [c.width, c.height];")
        self.assertEqual(canvas, [640, 480])
        self.wait_for_screen(is_intro, "intro")
        print("audio before the first key: %s" % self.audio_state())
        b.press("Space")
        self.wait_for_screen(is_level_choice, "level choice")
        b.press("Enter")
        self.wait_for_screen(is_play, "play")
        # The audio opened after the first picture, silent until a key: the
        # keys were gestures, so it plays now.
        self.assertEqual(self.audio_state(), "running")
        self.assertEqual(b.errors(), [])

    def test_frames_close_the_game_and_a_bad_option_is_reported(self):
        b = self.browser
        b.open(self.url + "/index.html?seed=7&frames=100")
        (_, first_ms), (end, end_ms) = (b.wait_for_line(r"^tibo-first-picture (\d+)$"),
                                            b.wait_for_line(r"^tibo-exit (\d+)$"))
        self.assertEqual(end.group(1), "0")
        print("\n100 ticks: %.1f a second" % (99 / (end_ms - first_ms) * 1000))
        self.assertEqual(b.errors(), [])
        # A bad value is a bad command line: thrown, caught, exit status 2.
        b.open(self.url + "/index.html?seed=many")
        end, _ = b.wait_for_line(r"^tibo-exit (\d+)$")
        self.assertEqual(end.group(1), "2")
        self.assertTrue(any("tibo: " in text for level, text, _ in b.lines() if level == "warn"))
        # Closed by the very keys that let the sound start: the browser's
        # resume of the sound comes after the game has closed it, quietly.
        b.open(self.url + "/index.html")
        b.wait_for_line(r"^tibo-first-picture (\d+)$")
        b.press("Escape")
        b.press("Escape")
        end, _ = b.wait_for_line(r"^tibo-exit (\d+)$")
        self.assertEqual(end.group(1), "0")
        time.sleep(0.5)
        self.assertEqual(b.errors(), [])


if __name__ == "__main__":
    unittest.main()
