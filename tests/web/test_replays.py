"""Replays, dumps and the timing report of the game's page in headless
Chromium, against the desktop program: every replay of tests/data plays back
equal in the page (the same checksums, the same verdict and exit status); an
edited replay differs as it does on the desktop; a dump at a tick equals the
desktop's dump of the same seed and input.

    /usr/bin/python3 -m unittest discover -s tests/web -p test_replays.py -v   (after `make web` and `make build`)

TIBO_WEB_BUILD names the page's folder (default: build-web of the checkout),
TIBO_BINARY the desktop program (default: build/tibo of the checkout). The
page is served from a folder of its own that also holds tests/data as data/
and the edited replays. Figures (seconds a replay takes, a tick's mean cost
in the page and on the desktop) are printed, not judged.
"""

import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from browser import PAGE, PageTestCase

CHECKOUT = Path(__file__).resolve().parents[2]
DESKTOP = Path(os.environ.get("TIBO_BINARY", CHECKOUT / "build" / "tibo"))
DATA = CHECKOUT / "tests" / "data"

# Values of the dump that follow the clock rather than the ticks, left out of
# the checksum too: a run without a window has a clock of its own that jumps
# to each tick, the page in its window the machine's, whose ticks come in
# bursts, one burst a display frame. "Blink" turns the "PAUSED" and "GAME
# OVER" captions on and off by a 300 ms timer of that clock, so its phase
# against the ticks differs by nature.
CLOCK_BOUND = ("Blink",)


def replay_header(path, key):
    """A header value of a replay ("# seed 1234" -> "1234"), or None."""
    for line in path.read_text().splitlines():
        if line.startswith("# %s " % key):
            return line.split()[2]
    return None


class ReplayTest(PageTestCase):
    one_browser = True

    @classmethod
    def serving(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="tibo-web-replays-"))
        for f in PAGE.iterdir():
            (cls.folder / f.name).symlink_to(f)
        (cls.folder / "data").symlink_to(DATA)
        return cls.folder

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def run_page(self, query, timeout=60.0, failed_loads=0):
        """Opens the page with `query`; waits for its exit. Returns the exit
        status, the console's lines up to it and the seconds from navigation
        to the exit. The page must throw nothing and write no error; so many
        of its loads may fail."""
        b = self.browser
        b.failures = []
        b.open(self.url + "/index.html?" + query)
        match, ms = b.wait_for_line(r"^tibo-exit (\d+)$", timeout)
        errors = b.errors()
        self.assertEqual(len(errors), failed_loads, errors)
        self.assertEqual(len(b.failures), failed_loads, errors)
        return int(match.group(1)), [text for _, text, _ in b.lines()], ms / 1000

    def run_desktop(self, *args):
        if not DESKTOP.exists():
            self.fail("no desktop program at %s: run `make build` or name one with TIBO_BINARY" % DESKTOP)
        with tempfile.TemporaryDirectory(prefix="tibo-desktop-") as config:
            done = subprocess.run([str(DESKTOP), "--headless", "--config-dir", config, *map(str, args)],
                                  capture_output=True, text=True, timeout=300)
        return done.returncode, done.stderr

    @staticmethod
    def said(lines):
        """The desktop's messages among the console's lines."""
        return [line for line in lines if line.startswith("tibo: ")]

    def test_every_replay_plays_back_equal_and_reports_its_timing(self):
        replays = sorted(DATA.glob("*.replay"))
        self.assertGreaterEqual(len(replays), 8)
        print()
        total = 0
        for replay in replays:
            with self.subTest(replay=replay.name):
                ticks = int(replay_header(replay, "end"))
                status, lines, seconds = self.run_page(
                    "headless&timing-report&replay=data/" + replay.name, timeout=60 + ticks / 100)
                total += seconds
                self.assertEqual(self.said(lines), [], "played back equal, nothing to say")
                self.assertEqual(status, 0)
                timing = [json.loads(line[len("tibo-timing "):]) for line in lines if line.startswith("tibo-timing ")]
                self.assertEqual(len(timing), 1, "one timing report, as the run ends")
                self.assertEqual(timing[0]["ticks"], ticks)
                self.assertEqual(timing[0]["presentation"], "none")
                self.assertGreater(timing[0]["tick_ms_mean"], 0)
                print("  %-22s %6d ticks in %5.1f s, %.3f ms a tick" % (replay.name, ticks, seconds, timing[0]["tick_ms_mean"]))
        print("  all replays: %.1f s" % total)
        # In the game's own window, at its own pace, the same checks pass.
        status, lines, seconds = self.run_page("replay=data/controls.replay", timeout=60)
        self.assertEqual((status, self.said(lines)), (0, []))
        self.assertTrue(any(line.startswith("tibo-first-picture ") for line in lines))
        print("  controls.replay in the window: %.1f s" % seconds)

    def test_an_edited_replay_differs_and_a_missing_one_is_a_bad_address(self):
        replay = (DATA / "victory.replay").read_text()
        line = re.search(r"^# check 1000 ([0-9A-F]{16})$", replay, re.M)
        self.assertIsNotNone(line, "victory.replay checks tick 1000")
        digit = line.start(1) + 15
        edited = replay[:digit] + ("1" if replay[digit] == "0" else "0") + replay[digit + 1:]
        (self.folder / "edited.replay").write_text(edited)
        status, lines, _ = self.run_page("headless&replay=edited.replay")
        desktop_status, desktop_said = self.run_desktop("--replay", self.folder / "edited.replay")
        self.assertEqual(self.said(lines), ["tibo: replay differs at tick 1000"])
        self.assertEqual(desktop_said.splitlines(), self.said(lines))
        self.assertEqual((status, desktop_status), (3, 3))
        # Cut short: the replay without its end line.
        (self.folder / "cut.replay").write_text(replay[:replay.index("\n# end ") + 1])
        status, lines, _ = self.run_page("headless&replay=cut.replay")
        desktop_status, desktop_said = self.run_desktop("--replay", self.folder / "cut.replay")
        self.assertEqual(desktop_said.splitlines(), self.said(lines))
        self.assertRegex(self.said(lines)[0], r"^tibo: replay cut short")
        self.assertEqual((status, desktop_status), (3, 3))
        # A replay the server does not have (404): the desktop's message for a
        # file it cannot read, and its exit status.
        status, lines, _ = self.run_page("headless&replay=data/no-such.replay", failed_loads=1)
        desktop_status, desktop_said = self.run_desktop("--replay", "data/no-such.replay")
        self.assertEqual(self.said(lines), ["tibo: --replay: Cannot read data/no-such.replay: No such file or directory"])
        self.assertEqual((status, desktop_status), (2, 2))

    def test_a_dump_at_a_tick_equals_the_desktops(self):
        # The controls replay read as an input script, with its seed: mouse,
        # pad, pause and play; dumps in play and at the end.
        script = DATA / "controls.replay"
        seed = replay_header(script, "seed")
        ticks = (150, 290)
        with tempfile.TemporaryDirectory(prefix="tibo-dumps-") as out:
            dumps = []
            for tick in ticks:
                dumps += ["--dump-state", "%d:%s/%d.json" % (tick, out, tick)]
            status, said = self.run_desktop("--seed", seed, "--input", script, "--frames", 295, *dumps)
            self.assertEqual(status, 0, said)
            desktop = {tick: json.loads(Path(out, "%d.json" % tick).read_text()) for tick in ticks}
        # Headless the page must equal the desktop in every value; in its
        # window, in all but the clock's.
        query = "seed=%s&input=data/controls.replay&frames=295&%s" % (seed, "&".join("dump-state=%d" % t for t in ticks))
        for mode in ("headless&", ""):
            status, lines, _ = self.run_page(mode + query, timeout=60)
            self.assertEqual(status, 0, lines)
            page = {}
            for line in lines:
                match = re.match(r"^tibo-dump (\d+) (.*)$", line)
                if match:
                    page[int(match.group(1))] = json.loads(match.group(2))
            self.assertEqual(sorted(page), list(ticks), mode)
            for tick in ticks:
                self.assertEqual(page[tick]["Tick"], tick)
                left, right = dict(desktop[tick]), dict(page[tick])
                if not mode:
                    for name in CLOCK_BOUND:
                        left.pop(name, None)
                        right.pop(name, None)
                differing = sorted(k for k in left.keys() | right.keys() if left.get(k) != right.get(k))
                self.assertEqual(differing, [], "%s tick %d" % (mode or "window", tick))


if __name__ == "__main__":
    unittest.main()
