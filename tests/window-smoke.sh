#!/usr/bin/env bash
# The game in a real window on a bare X server: it starts, takes the focus,
# reads scripted keys, plays through the level choice and closes cleanly,
# writing the hall of fame. Skipped (77) where no X server can be started.
#
# The first run uses what the machine has: its real audio device (or none) and
# the graphics card's renderer (OpenGL, here Mesa's software rasteriser). What
# those libraries load depends on the machine's set-up (ALSA, PulseAudio,
# PipeWire, sndio; the OpenGL driver), and some of them keep allocations that
# leak detection reports once they are unloaded at exit, nameless and beyond
# suppressing by name; so that run checks everything but leaks. The runs after
# it use SDL's silent "dummy" audio device, which opens everywhere, and the
# game's own scaling into the window (its choice on a bare X server): there the
# game's own code runs, sound mixing included, under leak detection.
set -euo pipefail
BIN=${1:?usage: window-smoke.sh path/to/tibo}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '5 press A\n12 press Enter\n20 down Space\n25 up Space\n' > "$work/input.txt"

play() {   # play MODE PRESENTATION [VAR=VALUE...]; PRESENTATION: the one expected, or "any"
  local mode=$1 presentation=$2
  shift 2
  rm -f "$work/Tibo.Ini" "$work/state.json" "$work/shot.png" "$work/timing.json"
  env "$@" xvfb-run -a -s "-screen 0 1024x768x24" "$BIN" $mode --frames 40 --input "$work/input.txt" \
    --config-dir "$work" --dump-state "40:$work/state.json" --screenshot "40:$work/shot.png" \
    --timing-report "$work/timing.json"
  grep -q '"GameState": 5' "$work/state.json" || { echo "expected to be playing after tick 40 ($mode $*)"; cat "$work/state.json"; exit 1; }
  [ -s "$work/shot.png" ] || { echo "no screenshot ($mode $*)"; exit 1; }
  grep -q '^Punti10=1000$' "$work/Tibo.Ini" || { echo "hall of fame not written ($mode $*)"; exit 1; }
  if [ "$presentation" != any ] && ! grep -q "\"presentation\": \"$presentation\"" "$work/timing.json"; then
    echo "expected the picture through the $presentation ($mode $*)"; cat "$work/timing.json"; exit 1
  fi
}

play --windowed renderer TIBO_PRESENT=renderer "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0"
# A bare X server has no graphics card: the game scales the picture itself,
# without loading OpenGL. A FIFO named gamecontrollerdb.txt in the settings
# folder holds nothing up: the game says so and plays.
mkfifo "$work/gamecontrollerdb.txt"
for mode in --windowed ""; do
  play "$mode" framebuffer SDL_AUDIODRIVER=dummy 2> "$work/errors.txt"
  grep -q "gamecontrollerdb.txt: it is not a regular file" "$work/errors.txt" ||
    { echo "no word about the FIFO ($mode)"; cat "$work/errors.txt"; exit 1; }
done
echo "window smoke test passed"
