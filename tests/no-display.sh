#!/usr/bin/env bash
# Without a display the game says so and exits with status 1 at once, instead
# of running on unseen through a video driver that shows nothing.
set -uo pipefail
BIN=${1:?usage: no-display.sh path/to/tibo}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A game that does not end by itself is stopped after 20 s: status 124.
env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u SDL_VIDEODRIVER \
  timeout 20 "$BIN" --frames 1 --config-dir "$work" >"$work/out.txt" 2>&1
status=$?
cat "$work/out.txt"
[ "$status" -eq 1 ] || { echo "expected exit status 1 without a display, got $status"; exit 1; }
grep -q 'No display was found' "$work/out.txt" || { echo "no word of the missing display"; exit 1; }
grep -q -- '--headless' "$work/out.txt" || { echo "--headless is not suggested"; exit 1; }
# With a display named on the command line's environment but no server there.
env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u SDL_VIDEODRIVER DISPLAY=:59999 \
  timeout 20 "$BIN" --frames 1 --config-dir "$work" >"$work/out.txt" 2>&1
status=$?
cat "$work/out.txt"
[ "$status" -eq 1 ] || { echo "expected exit status 1 with an unreachable X server, got $status"; exit 1; }
grep -q 'DISPLAY=:59999 cannot be reached' "$work/out.txt" || { echo "the unreachable display is not named"; exit 1; }
echo "no-display test passed"
