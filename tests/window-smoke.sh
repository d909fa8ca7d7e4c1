#!/usr/bin/env bash
# The game in a real window on a bare X server: it starts, takes the focus,
# reads scripted keys, plays through the level choice and closes cleanly,
# writing the hall of fame. Skipped (77) where no X server can be started.
#
# The first run opens the machine's real audio device (or finds none), as a
# player's game does. What SDL loads for it depends on the machine's sound
# set-up (ALSA, PulseAudio, PipeWire, sndio...), and some of those libraries
# keep allocations that leak detection reports once they are unloaded, nameless
# and beyond suppressing; so that run checks everything but leaks. The runs
# after it use SDL's silent "dummy" audio device, which opens everywhere: there
# the game's own sound mixing runs too, under leak detection.
set -euo pipefail
BIN=${1:?usage: window-smoke.sh path/to/tibo}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '5 press A\n12 press Enter\n20 down Space\n25 up Space\n' > "$work/input.txt"

play() {   # play MODE [VAR=VALUE...]
  local mode=$1
  shift
  rm -f "$work/Tibo.Ini" "$work/state.json" "$work/shot.png"
  env "$@" xvfb-run -a -s "-screen 0 1024x768x24" "$BIN" $mode --frames 40 --input "$work/input.txt" \
    --config-dir "$work" --dump-state "40:$work/state.json" --screenshot "40:$work/shot.png"
  grep -q '"GameState": 5' "$work/state.json" || { echo "expected to be playing after tick 40 ($mode $*)"; cat "$work/state.json"; exit 1; }
  [ -s "$work/shot.png" ] || { echo "no screenshot ($mode $*)"; exit 1; }
  grep -q '^Punti10=1000$' "$work/Tibo.Ini" || { echo "hall of fame not written ($mode $*)"; exit 1; }
}

play --windowed "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0"
for mode in --windowed ""; do
  play "$mode" SDL_AUDIODRIVER=dummy
done
echo "window smoke test passed"
