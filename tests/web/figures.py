"""Figures of the game's page in headless Chromium (printed, never judged):

- the gzipped size of what the page loads;
- from navigation to the first picture, each time in a fresh browser (nothing cached);
- the share of one core that Chromium (all its processes, and by kind: the
  renderer that runs the page, the GPU process...) and the page's own main
  thread take while the intro animates;
- ticks a second over `--seconds` counted by the page while the intro
  animates, and the display's frames a second;
- ticks a second of a ?frames= run, from first picture to exit.

    /usr/bin/python3 tests/web/figures.py [--page build-web] [--seconds 10] [--loads 3]
"""

import argparse
import gzip
import os
import re
import statistics
import time
from pathlib import Path

from browser import Browser, served

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def process_tree_cpu(root_pid):
    """CPU seconds used so far by a process and every process below it, in
    all and by Chromium's kind of process (renderer, gpu-process, ...)."""
    children = {}
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            fields = (entry / "stat").read_text().rsplit(")", 1)[1].split()
            command = (entry / "cmdline").read_bytes()
        except OSError:
            continue
        # Chromium rewrites its helpers' command lines into one string.
        kind = re.search(rb"--type=([\w-]+)", command)
        kind = kind.group(1).decode() if kind else "browser"
        children.setdefault(int(fields[1]), []).append((int(entry.name), int(fields[11]) + int(fields[12]), kind))
    total, kinds, todo = 0, {}, [root_pid]
    while todo:
        for pid, ticks, kind in children.get(todo.pop(), []):
            total += ticks
            kinds[kind] = kinds.get(kind, 0) + ticks / CLOCK_TICKS
            todo.append(pid)
    return total / CLOCK_TICKS, kinds


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--page", default=Path(__file__).resolve().parents[2] / "build-web", type=Path)
    parser.add_argument("--seconds", default=10, type=int)
    parser.add_argument("--loads", default=3, type=int)
    args = parser.parse_args()

    files = sorted(p for p in args.page.iterdir() if p.suffix in (".html", ".js", ".wasm", ".data"))
    total = 0
    for f in files:
        size = len(gzip.compress(f.read_bytes(), 9))
        total += size
        print("%-12s %9d bytes, %8d gzipped" % (f.name, f.stat().st_size, size))
    print("page, gzipped: %.2f MB" % (total / 1e6))

    with served(args.page) as url:
        firsts = []
        for _ in range(args.loads):
            with Browser() as b:
                b.open(url + "/index.html")
                match, _ = b.wait_for_line(r"^tibo-first-picture (\d+)$")
                firsts.append(int(match.group(1)))
        print("navigation to first picture, fresh browser: %s ms (median %d)"
              % (", ".join(map(str, firsts)), statistics.median(firsts)))

        with Browser() as b:
            b.open(url + "/index.html")
            b.wait_for_line(r"^tibo-first-picture (\d+)$")
            b.driver.execute_cdp_cmd("Performance.enable", {})
            chromedriver = b.driver.service.process.pid
            task = lambda: next(m["value"] for m in b.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
                                if m["name"] == "TaskDuration")
            (cpu0, kinds0), task0, wall0 = process_tree_cpu(chromedriver), task(), time.monotonic()
            time.sleep(args.seconds)
            (cpu1, kinds1), task1, wall1 = process_tree_cpu(chromedriver), task(), time.monotonic()
            wall = wall1 - wall0
            print("intro, %d s: Chromium %.1f%% of a core (%s), the page's main thread %.1f%% (the desktop: about 2%%)"
                  % (args.seconds, 100 * (cpu1 - cpu0) / wall,
                     ", ".join("%s %.1f%%" % (k, 100 * (kinds1[k] - kinds0.get(k, 0)) / wall) for k in sorted(kinds1)),
                     100 * (task1 - task0) / wall))

            # The game's ticks over the same span, counted by the page, and
            # the display's frames that ran them.
            b.driver.execute_script("""
                window.__tiboFrames = 0;
                window.__tiboLate = 0;
                let last = performance.now();
                const frame = t => { ++__tiboFrames; if (t - last > 80) ++__tiboLate; last = t; requestAnimationFrame(frame); };
                requestAnimationFrame(frame);""")
            count = "return [Module._tibo_page_ticks(Module.tiboPage), performance.now(), __tiboFrames, __tiboLate];"
            t0, ms0, f0, l0 = b.driver.execute_script(count)
            time.sleep(args.seconds)
            t1, ms1, f1, l1 = b.driver.execute_script(count)
            seconds = (ms1 - ms0) / 1000
            # A frame later than four ticks drops the backlog (a busy machine).
            print("ticks over %.2f s: %d, %.2f a second (the game's rate: 50), at %.1f frames a second, "
                  "%d frames late by more than 80 ms" % (seconds, t1 - t0, (t1 - t0) / seconds, (f1 - f0) / seconds, l1 - l0))

        with Browser() as b:
            ticks = args.seconds * 50
            b.open(url + "/index.html?frames=%d" % ticks)
            (_, first_ms), (_, exit_ms) = (b.wait_for_line(r"^tibo-first-picture (\d+)$"),
                                           b.wait_for_line(r"^tibo-exit 0$", timeout=args.seconds * 3 + 20))
            print("%d ticks in %.2f s: %.2f a second (the game's rate: 50)"
                  % (ticks, (exit_ms - first_ms) / 1000, (ticks - 1) / (exit_ms - first_ms) * 1000))


if __name__ == "__main__":
    main()
