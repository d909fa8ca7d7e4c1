"""Playing in the page, in headless Chromium: the picture scaled to the
browser's window with the line of keys under it, clicks on the game's pixels
at any scale, keys that stay in the page, full screen, the mute button and
key, a gamepad through the browser's gamepad support, fifty ticks a second,
and a hidden tab or a window without the focus pausing the game.

    /usr/bin/python3 -m unittest discover -s tests/web -p 'test_play.py' -v    (after `make web`)
"""

import base64
import time
import unittest

from browser import Browser, PageTestCase, png_pixels


# The ticks the game has run, and the page's clock (ms), at one moment.
TICKS = "return [Module.tiboPage ? Module._tibo_page_ticks(Module.tiboPage) : -1, performance.now()];"

# The canvas and the line under it, in CSS pixels, and the page's room.
LAYOUT = """
const c = document.getElementById('canvas').getBoundingClientRect();
const l = document.getElementById('line').getBoundingClientRect();
const canvas = document.getElementById('canvas');
return {canvas: [c.left, c.top, c.width, c.height], line: [l.left, l.top, l.width, l.height],
        buffer: [canvas.width, canvas.height], room: [innerWidth, innerHeight],
        scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
        ratio: devicePixelRatio, rendering: getComputedStyle(canvas).imageRendering};
"""

# The game's own pixels (the canvas's drawing buffer), every `step`-th in
# both directions of a rectangle, as [r, g, b] lists row by row.
PIXELS = """
const [x, y, w, h, step] = arguments;
const data = document.getElementById('canvas').getContext('2d').getImageData(x, y, w, h).data;
const rows = [];
for (let j = 0; j < h; j += step) {
  const row = [];
  for (let i = 0; i < w; i += step) { const k = 4 * (j * w + i); row.push([data[k], data[k + 1], data[k + 2]]); }
  rows.push(row);
}
return rows;
"""

# A gamepad as the browser's gamepad support shows one in the standard
# layout, with no pad at first: __tiboPlug() plugs it in (browsers show a pad
# only once a button is pressed), __tiboPad(button, down) presses and lets go
# its buttons.
FAKE_PAD = """
(() => {
  const pads = [];
  const pad = {id: 'Tibo test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
               timestamp: 1, axes: [0, 0, 0, 0],
               buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}))};
  Object.defineProperty(Navigator.prototype, 'getGamepads', {value: () => pads, configurable: true});
  window.__tiboPlug = () => {
    pads.push(pad);
    const e = new Event('gamepadconnected');
    e.gamepad = pad;
    dispatchEvent(e);
  };
  window.__tiboPad = (button, down) => {
    pad.buttons[button] = {pressed: down, touched: down, value: down ? 1 : 0};
    pad.timestamp += 1;
  };
})();
"""

HIGHLIGHT = (99, 65, 33)  # the level choice's bar under the chosen caption


def near(colour, wanted, slack=6):
    return all(abs(a - b) <= slack for a, b in zip(colour, wanted))


class PlayTest(PageTestCase):
    def start(self, width=1280, height=1024, pad=False, query=""):
        """A fresh browser on the page, waiting for its first picture."""
        b = Browser(width, height)
        self.addCleanup(b.close)
        if pad:
            b.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FAKE_PAD})
        b.open(self.url + "/index.html" + query)
        b.wait_for_line(r"^tibo-first-picture \d+$")
        return b

    # What the game shows, read from the canvas's own pixels.
    def pixels(self, b, x, y, w, h, step=1):
        return b.driver.execute_script(PIXELS, x, y, w, h, step)

    def screen(self, b):
        """'intro', 'level choice', 'play' or '?' by the picture's colours."""
        pixels = [p for row in self.pixels(b, 0, 0, 640, 480, 8) for p in row]
        n = len(pixels)
        dark = sum(1 for r, g, bl in pixels if max(r, g, bl) < 48) / n
        blue = sum(1 for r, g, bl in pixels if bl > r + 20 and bl > g) / n
        sand = sum(1 for r, g, bl in pixels if r > 150 and g > 100 and bl < 110 and r > bl + 60) / n
        if dark > 0.7 and blue < 0.2 and sand < 0.05:
            return "intro"
        if blue > 0.35 and sand < 0.1:
            return "level choice"
        if sand > 0.25 and blue < 0.1:
            return "play"
        return "?"

    def wait_for(self, what, test, timeout=10.0):
        end = time.monotonic() + timeout
        while True:
            got = test()
            if got:
                return got
            if time.monotonic() > end:
                self.fail("no %s within %.0f s" % (what, timeout))
            time.sleep(0.05)

    def wait_for_screen(self, b, name, timeout=10.0):
        self.wait_for(name, lambda: self.screen(b) == name, timeout)

    def chosen(self, b):
        """The level choice's chosen level (1 to 5) and setting ('PYRAMID' or
        'MINE'), by where its bars lie; None where there is none."""
        levels = [lvl for lvl in range(1, 6) if near(self.pixels(b, 55, 157 + 25 * (lvl - 1), 1, 1)[0][0], HIGHLIGHT)]
        settings = [name for name, y in (("PYRAMID", 82), ("MINE", 107))
                    if near(self.pixels(b, 205, y, 1, 1)[0][0], HIGHLIGHT)]
        return (levels[0] if len(levels) == 1 else None, settings[0] if len(settings) == 1 else None)

    def muted_sign(self, b):
        """Whether the crossed-out speaker is in the top right corner."""
        badge = [p for row in self.pixels(b, 610, 4, 26, 20) for p in row]
        return sum(1 for r, g, bl in badge if r > 180 and g < 90 and bl < 90) >= 20

    def click_game(self, b, x, y):
        """Clicks where the game's pixel (x, y) is shown, whatever the scale."""
        scale = b.driver.execute_script(LAYOUT)["canvas"][2] / 640
        b.click("canvas", (x + 0.5) * scale, (y + 0.5) * scale)

    def ticks(self, b):
        return b.driver.execute_script(TICKS)

    def test_the_picture_fits_the_window_at_each_size_and_clicks_land_on_the_game_pixels(self):
        b = self.start(1280, 1024)
        b.press("Space")
        self.wait_for_screen(b, "level choice")
        self.assertEqual(self.chosen(b), (1, "MINE"))
        # Each size: the whole multiple that fits the room above the line (a
        # room smaller than the picture: the largest fit), centred, the line
        # of keys under it, nothing to scroll. A click with the level choice's
        # pointer (a 48 x 48 picture hanging from the mouse's point) aimed at
        # a caption chooses it: the mouse is 24 pixels up and left of the
        # caption's point then.
        caption = lambda x, y, wanted: (x - 24, y - 24, wanted)
        for (width, height), clicks in (
                ((1400, 1250), [caption(320, 207, (3, "MINE")), caption(320, 82, (3, "PYRAMID"))]),
                ((1280, 1024), [caption(150, 257, (5, "PYRAMID")), caption(350, 107, (5, "MINE"))]),
                ((560, 460), [caption(380, 182, (2, "MINE")), caption(280, 82, (2, "PYRAMID"))])):
            b.driver.set_window_size(width, height)
            layout = self.wait_for("the layout of %dx%d" % (width, height), lambda: (
                lambda got: got if abs(got["room"][0] - b.driver.execute_script("return innerWidth")) < 1 and
                got["canvas"][2] > 0 else None)(b.driver.execute_script(LAYOUT)))
            time.sleep(0.3)  # the resize's last event
            layout = b.driver.execute_script(LAYOUT)
            room_w, room_h = layout["room"]
            x, y, w, h = layout["canvas"]
            _, line_top, line_w, line_h = layout["line"]
            ratio = layout["ratio"]
            fit = min(room_w * ratio / 640, (room_h - line_h - 10) * ratio / 480)
            scale = w * ratio / 640
            with self.subTest(size=(width, height), layout=layout):
                self.assertEqual(layout["buffer"], [640, 480])
                self.assertIn(layout["rendering"], ("pixelated", "crisp-edges"))
                self.assertAlmostEqual(h * 640, w * 480, delta=640)
                if fit >= 1:
                    self.assertEqual(scale, int(fit))
                else:
                    self.assertAlmostEqual(scale, fit, delta=0.01)
                self.assertAlmostEqual(x, (room_w - w) / 2, delta=1)
                self.assertAlmostEqual(y, room_h - (line_top + line_h), delta=2)
                self.assertGreaterEqual(line_top, y + h)
                self.assertLessEqual(line_top + line_h, room_h)
                self.assertLessEqual(layout["scroll"][1], room_h)
                print("\n%dx%d window: room %dx%d, picture %.0fx%.0f (scale %.2f)" % (width, height, room_w, room_h, w, h, scale))
                for gx, gy, wanted in clicks:
                    self.click_game(b, gx, gy)
                    self.wait_for("%s chosen by a click at (%d, %d)" % (wanted, gx, gy), lambda: self.chosen(b) == wanted, 3)
        # Crisp: at scale 2 each game pixel is 2 x 2 screen pixels of its colour.
        b.driver.set_window_size(1400, 1250)
        self.wait_for("scale 2", lambda: b.driver.execute_script(LAYOUT)["canvas"][2] == 1280)
        self.assert_crisp(b, 2)
        self.assertEqual(b.errors(), [])

    def assert_crisp(self, b, scale):
        """Each game pixel in a stretch of the level choice is `scale` x
        `scale` pixels of the screen, of one colour: runs of a colour along
        rows and columns are whole multiples of the scale (the picture is
        neither smoothed nor set between the screen's pixels)."""
        x, y, w, h = b.driver.execute_script(LAYOUT)["canvas"]
        ratio = b.driver.execute_script("return devicePixelRatio;")
        shot = b.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "clip": {"x": x + w * 0.3, "y": y + h * 0.4, "width": 160 / ratio, "height": 80 / ratio,
                                      "scale": 1}})
        _, _, rows = png_pixels(base64.b64decode(shot["data"]))
        columns = [list(c) for c in zip(*rows)]

        def runs(line):
            lengths, start = [], 0
            for i in range(1, len(line)):
                if line[i] != line[i - 1]:
                    lengths.append(i - start)
                    start = i
            return lengths[1:]  # the first run may be cut by the stretch's edge

        odd = [n for line in rows + columns for n in runs(line) if n % scale]
        self.assertEqual(odd, [], "runs of a colour not a whole multiple of %d: the picture is blurred" % scale)

    def test_crisp_on_a_screen_at_125_percent(self):
        # Two screen pixels a game pixel in a 1283 x 1021 window (centred,
        # the picture would start between two screen pixels): the page
        # counts in the screen's pixels, not the browser's.
        b = Browser(1283, 1021, extra_flags=("--force-device-scale-factor=1.25",))
        self.addCleanup(b.close)
        b.open(self.url + "/index.html")
        b.wait_for_line(r"^tibo-first-picture \d+$")
        b.press("Space")
        self.wait_for_screen(b, "level choice")
        layout = b.driver.execute_script(LAYOUT)
        self.assertEqual(layout["buffer"], [640, 480])
        self.assertAlmostEqual(layout["canvas"][2] * 1.25, 1280, delta=0.5)
        self.assert_crisp(b, 2)
        self.click_game(b, 296, 183)
        self.wait_for("level 3 by a click", lambda: self.chosen(b)[0] == 3, 3)
        self.assertEqual(b.errors(), [])

    def test_keys_stay_in_the_page_and_reach_the_game_and_full_screen_and_mute_are_buttons_and_keys(self):
        b = self.start()
        # Every key press as the page saw it last (after the page's and SDL's own handlers).
        b.driver.execute_script("""
            window.__tiboKeys = [];
            addEventListener('keydown', e => __tiboKeys.push([e.code, e.defaultPrevented]));""")
        self.assertFalse(self.muted_sign(b))
        b.click("#mute", 5, 5)
        self.wait_for("the muted sign after the mute button", lambda: self.muted_sign(b), 3)
        self.assertNotEqual(b.driver.execute_script("return document.activeElement.tagName"), "BUTTON")
        b.press("m")
        self.wait_for("the sound back on after M", lambda: not self.muted_sign(b), 3)
        # Space still reaches the game after the button's click.
        b.press("Space")
        self.wait_for_screen(b, "level choice")
        for key in ("Down", "Down", "Right"):
            b.press(key)
        self.wait_for("level 3 of the mine by keys", lambda: self.chosen(b) == (3, "MINE"), 3)
        b.press("F1")
        self.wait_for("the help page", lambda: self.screen(b) != "level choice", 3)
        b.press("Backspace")
        self.wait_for_screen(b, "level choice", 3)
        b.press("Up")
        b.press("Left")
        b.press("Tab")
        self.wait_for("level 2 of the pyramid", lambda: self.chosen(b) == (2, "PYRAMID"), 3)
        # F11 and the button: the page goes full screen and back; the game
        # never sees F11 (it would toggle SDL's own full screen too).
        full = "return document.fullscreenElement ? document.fullscreenElement.id : null;"
        b.press("F11")
        self.wait_for("full screen by F11", lambda: b.driver.execute_script(full) == "stage", 3)
        b.press("F11")
        self.wait_for("full screen left by F11", lambda: b.driver.execute_script(full) is None, 3)
        b.click("#fullscreen", 5, 5)
        self.wait_for("full screen by its button", lambda: b.driver.execute_script(full) == "stage", 3)
        self.wait_for("the picture rescaled in full screen", lambda: (
            lambda got: got["canvas"][2] == 640 * int(min(got["room"][0] / 640, (got["room"][1] - 34) / 480)))(
            b.driver.execute_script(LAYOUT)), 3)
        b.click("#fullscreen", 5, 5)
        self.wait_for("full screen left by its button", lambda: b.driver.execute_script(full) is None, 3)
        # In full screen Escape only leaves it: the game never sees it.
        b.press("F11")
        self.wait_for("full screen by F11", lambda: b.driver.execute_script(full) == "stage", 3)
        b.press("Escape")
        self.wait_for("full screen left by Escape", lambda: b.driver.execute_script(full) is None, 3)
        time.sleep(0.3)
        self.assertEqual(self.screen(b), "level choice")
        self.assertFalse([text for _, text, _ in b.lines() if text.startswith("tibo-exit")])
        # Escape quits the game from the level choice, as on the desktop.
        b.press("Escape")
        end, _ = b.wait_for_line(r"^tibo-exit (\d+)$", timeout=10)
        self.assertEqual(end.group(1), "0")
        self.assertIn("closed", b.driver.find_element("id", "line").text)
        keys = b.driver.execute_script("return __tiboKeys;")
        # Letters have nothing the browser would do with them: only the others need holding back.
        self.assertEqual([code for code, prevented in keys if not prevented and code != "KeyM"], [],
                         "keys the browser acted on: %s" % keys)
        self.assertEqual({code for code, _ in keys}, {"KeyM", "Space", "ArrowDown", "ArrowRight", "ArrowUp", "ArrowLeft",
                                                      "F1", "Backspace", "Tab", "Escape"})
        self.assertEqual(b.driver.execute_script("return [scrollX, scrollY];"), [0, 0])
        self.assertEqual(b.errors(), [])
        # The line's button starts the page again, from the intro.
        b.driver.execute_script("window.__tiboBeforeReload = true;")
        b.click("#again", 5, 5)
        self.wait_for("the page loaded again",
                      lambda: b.driver.execute_script("return window.__tiboBeforeReload === undefined;"), 10)
        b.wait_for_line(r"^tibo-first-picture (\d+)$")
        self.wait_for_screen(b, "intro")

    def test_a_gamepad_leaves_the_intro_and_chooses_a_level(self):
        b = self.start(pad=True)
        self.wait_for_screen(b, "intro")
        b.driver.execute_script("__tiboPlug();")
        time.sleep(0.5)

        def press(button):
            # Held for several frames: the page reads the pad once a frame.
            b.driver.execute_script("__tiboPad(arguments[0], true);", button)
            time.sleep(0.3)
            b.driver.execute_script("__tiboPad(arguments[0], false);", button)
            time.sleep(0.3)

        press(0)  # South
        self.wait_for_screen(b, "level choice")
        press(13)  # the D-pad's Down
        press(13)
        press(15)  # Right
        self.wait_for("level 3 of the mine by the pad", lambda: self.chosen(b) == (3, "MINE"), 3)
        press(0)
        self.wait_for_screen(b, "play")
        self.assertEqual(b.errors(), [])

    def test_fifty_ticks_a_second_over_ten_seconds(self):
        b = self.start()
        # The page's frames as the browser gives them: a frame late by more
        # than four ticks (a machine busy with other work) drops the backlog
        # by design, and such a run says nothing of the pace; it is run again.
        b.driver.execute_script("""
            window.__tiboGaps = [];
            let last = performance.now();
            const frame = t => { __tiboGaps.push(t - last); last = t; requestAnimationFrame(frame); };
            requestAnimationFrame(frame);""")
        for attempt in range(3):
            # From one frame's ticks to another's ten seconds later, each
            # second on the way within a few ticks of fifty: no drift either way.
            b.driver.execute_script("__tiboGaps.length = 0;")
            t0, ms0 = self.ticks(b)
            marks = []
            for second in range(1, 11):
                time.sleep(max(0.0, ms0 / 1000 + second - b.driver.execute_script("return performance.now()") / 1000))
                marks.append(self.ticks(b))
            ticks, ms = marks[-1]
            rate = (ticks - t0) / (ms - ms0) * 1000
            gaps = b.driver.execute_script("return __tiboGaps;")
            stalls = [round(g) for g in gaps if g > 80]
            print("\n%d ticks in %.2f s: %.2f a second, %d frames, %d late by more than 80 ms"
                  % (ticks - t0, (ms - ms0) / 1000, rate, len(gaps), len(stalls)))
            if stalls:
                continue
            self.assertAlmostEqual(rate, 50, delta=0.5)
            for t, at in marks:
                self.assertAlmostEqual(t - t0, (at - ms0) / 20, delta=3)
            self.assertEqual(b.errors(), [])
            return
        self.skipTest("the machine was too busy: every run had frames late by more than 80 ms (%s)" % stalls)

    def test_a_hidden_tab_or_a_window_without_the_focus_pauses_the_game_which_goes_on_without_a_burst(self):
        b = self.start()
        visibility = "return document.visibilityState;"

        def still(seconds):
            before, _ = self.ticks(b)
            time.sleep(seconds)
            after, _ = self.ticks(b)
            return after - before

        def goes_on(after):
            # From the return on, no more than fifty a second: no catching
            # up on the time away (fewer, when the window's return holds up
            # the first frames on a busy machine, but the game goes on).
            t0, ms0 = self.ticks(b)
            time.sleep(1)
            t1, ms1 = self.ticks(b)
            ticks, due = t1 - t0, (ms1 - ms0) / 20
            self.assertLessEqual(ticks, due + 3, "a burst after %s" % after)
            self.assertGreater(ticks, due / 2, "the game held up after %s" % after)

        self.assertGreater(still(0.5), 15)
        b.driver.minimize_window()
        self.wait_for("a hidden tab", lambda: b.driver.execute_script(visibility) == "hidden", 3)
        self.assertEqual(still(1.5), 0)
        b.driver.maximize_window()
        self.wait_for("the tab shown again", lambda: b.driver.execute_script(visibility) == "visible", 3)
        goes_on("the tab came back")
        # Another window takes the focus (the tab stays in view): the game
        # waits as on the desktop, and goes on when the focus comes back.
        b.driver.execute_script("dispatchEvent(new FocusEvent('blur'));")
        time.sleep(0.2)
        self.assertEqual(still(1), 0)
        b.driver.execute_script("dispatchEvent(new FocusEvent('focus'));")
        goes_on("the focus came back")
        self.assertEqual(b.errors(), [])


if __name__ == "__main__":
    unittest.main()
