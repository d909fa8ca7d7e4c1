"""Pictures of the page for a look by eye: the whole browser window (headless
Chromium's viewport) on the intro, the level choice, a game and the help page.

    /usr/bin/python3 tests/web/shots.py [--page build-web] [--out DIR] [--size 1280x1024]
"""

import argparse
import time
from pathlib import Path

from browser import Browser, served


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--page", default=Path(__file__).resolve().parents[2] / "build-web", type=Path)
    parser.add_argument("--out", default=Path("/tmp/tibo-web-shots"), type=Path)
    parser.add_argument("--size", default="1280x1024", help="the viewport's size")
    parser.add_argument("--prefix", default="", help="put before each picture's name")
    args = parser.parse_args()
    width, height = map(int, args.size.split("x"))
    args.out.mkdir(parents=True, exist_ok=True)
    with served(args.page) as url, Browser(width, height) as b:
        # The window's size less the viewport's is the headless window's frame.
        room = b.driver.execute_script("return [innerWidth, innerHeight];")
        b.driver.set_window_size(2 * width - room[0], 2 * height - room[1])
        b.open(url + "/index.html?seed=5")
        b.wait_for_line(r"^tibo-first-picture \d+$")
        shots = [("intro", 4.0, None), ("level-choice", 1.5, "Space"), ("play", 4.0, "Enter"),
                 ("blast", 3.0, ["Space", "Right", "Right", "Enter"]), ("help", 0.8, "F1")]
        for name, wait, keys in shots:
            for key in [keys] if isinstance(keys, str) else keys or []:
                b.press(key)
            time.sleep(wait)
            path = args.out / ("%s%s.png" % (args.prefix, name))
            b.screenshot(str(path))
            print(path, b.driver.execute_script("return [innerWidth, innerHeight];"))
        print("errors:", b.errors())


if __name__ == "__main__":
    main()
