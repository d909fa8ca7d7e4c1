#!/usr/bin/env bash
# The game in a real window on a bare X server, played with real key presses:
# from the intro through the level choice into play, the window's own pixels
# checked against the pictures a headless run of the same seed draws; Escape
# closes it and the hall of fame is written. Skipped (77) without xvfb-run.
set -euo pipefail
BIN=${1:?usage: window-play.sh path/to/tibo}
if [ -z "${TIBO_UNDER_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: skipped"; exit 77; }
  for tool in xdotool import compare convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
  done
  exec env TIBO_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
seed=5
deadline=$((SECONDS + 60))

# The pictures to expect, drawn headless from the same seed: the level choice
# and the first frames of play (the panel around the labyrinth).
printf '5 press A\n10 press Down\n15 press Enter\n20 down Space\n24 up Space\n' >"$work/ref.txt"
"$BIN" --headless --seed $seed --config-dir "$work/ref" --input "$work/ref.txt" --frames 40 \
  --screenshot "8:$work/choice.png" --screenshot "40:$work/play.png" >/dev/null

# The parts of a screen that hold still: the level choice's title row (without
# its blinking lines and moving pointer) and the play screen's panel below the
# labyrinth, the same to the pixel; and the labyrinth's view, where only the
# enemies move (the exit preview before play shows another part of it).
choice_area=640x40+0+0
panel_area=640x64+0+416
maze_area=300x300+40+75

# How many pixels of `area` differ between two pictures.
differ() { compare -metric AE -fuzz 6% -extract "$3" "$1" "$2" null: 2>&1 || true; }
shot() { import -silent -window "$window" "$work/window.png" 2>/dev/null; }
# Waits until the window shows `expected` in every AREA:MOST-PIXELS-THAT-MAY-DIFFER.
wait_for() {
  local expected=$1 what=$2 n check ok
  shift 2
  while [ $SECONDS -lt $deadline ]; do
    if shot; then
      ok=1
      for check in "$@"; do
        n=$(differ "$work/window.png" "$expected" "${check%%:*}")
        [ "${n%%.*}" -le "${check##*:}" ] 2>/dev/null || { ok=; break; }
      done
      [ -n "$ok" ] && { echo "window shows $what"; return 0; }
    fi
    sleep 0.2
  done
  cp "$work/window.png" "${TMPDIR:-/tmp}/tibo-window-play-failed.png" 2>/dev/null || true
  fail "the window never showed $what (last difference: ${n:-none} pixels)"
}

# Started under another file name: the window's class is still the one the
# desktop entry names, so the desktop finds the entry (and its icon) for it.
cp "$BIN" "$work/renamed-game"
"$work/renamed-game" --windowed --seed $seed --config-dir "$work/cfg" >"$work/out.txt" 2>&1 &
game=$!
window=$(timeout 30 xdotool search --sync --name '^Tibo v4\.0$' | head -n1)
[ -n "$window" ] || fail "no window appeared"
wmclass=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../desktop/org.tibogame.Tibo.desktop")
[ -n "$wmclass" ] || fail "the desktop entry names no StartupWMClass"
xdotool search --class "^$wmclass\$" | grep -qx "$window" || fail "the window's class is not $wmclass"
xdotool search --classname "^$wmclass\$" | grep -qx "$window" || fail "the window's instance name is not $wmclass"
xdotool windowfocus --sync "$window"
echo "window $window"

xdotool key a
wait_for "$work/choice.png" "the level choice" $choice_area:50
xdotool key Down
sleep 0.3
xdotool key Return
sleep 0.3
# Fire held through the exit preview skips it.
xdotool keydown space
sleep 0.5
xdotool keyup space
wait_for "$work/play.png" "the play screen" $panel_area:50 $maze_area:6000

# F12 saves what the window shows beside the hall of fame, and says where.
xdotool key F12
for _ in $(seq 100); do ls "$work"/cfg/tibo-*.png >/dev/null 2>&1 && break; sleep 0.1; done
saved=$(ls "$work"/cfg/tibo-*.png 2>/dev/null | head -n1)
[ -n "$saved" ] || fail "F12 saved no screenshot"
grep -qF "screenshot saved to $saved" "$work/out.txt" || fail "F12 did not say where: $(cat "$work/out.txt")"
n=$(differ "$saved" "$work/play.png" $panel_area)
[ "${n%%.*}" -le 50 ] || fail "the F12 screenshot is not the play screen ($n pixels of the panel differ)"

# In a game the first Escape only asks; the second, within three seconds, quits.
xdotool key Escape
sleep 0.5
kill -0 "$game" 2>/dev/null || fail "one Escape closed the game"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "Escape twice did not close the game"
wait "$game" || fail "the game exited with $?: $(cat "$work/out.txt")"
game=
keys=$(grep -cE '^(Nome|Punti|Livello)([1-9]|10)=' "$work/cfg/Tibo.Ini" || true)
[ "$keys" -eq 30 ] || fail "Tibo.Ini has $keys of the 30 keys"

# A playback in a window, closed by the window's close button (what a window
# manager sends): the player stopped watching, which is no difference; the
# replay's own hall of fame is not written.
replay="$(dirname "$0")/data/victory.replay"
"$BIN" --windowed --replay "$replay" --config-dir "$work/watch" >"$work/watch.txt" 2>&1 &
game=$!
window=$(timeout 30 xdotool search --sync --pid "$game" --name '^Tibo v4\.0$' | head -n1)
[ -n "$window" ] || fail "no window appeared for the playback"
sleep 1
python3 "$(dirname "$0")/close-window.py" "$window"
status=0
wait "$game" || status=$?
game=
[ "$status" -eq 0 ] || fail "the playback closed by its window exited with $status: $(cat "$work/watch.txt")"
grep -qE "^tibo: replay stopped after tick [0-9]+, when its window was closed" "$work/watch.txt" ||
  fail "the playback closed by its window said: $(cat "$work/watch.txt")"
[ ! -e "$work/watch/Tibo.Ini" ] || fail "the playback wrote a Tibo.Ini"
echo "window play test passed"
