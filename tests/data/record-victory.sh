#!/bin/sh
# Records victory.replay again: a level 1 game (setting PYRAMID, seed below)
# walked straight to the exit, the victory's count-down, the name "TIBO" in
# the hall of fame, and back to the intro. Needs only the game and awk:
#
#     tests/data/record-victory.sh build/tibo
#
# Run it when the game's behaviour changes on purpose (the committed replay
# then no longer matches), and commit the new file.
set -eu
binary=${1:?usage: record-victory.sh PATH-TO-TIBO}
seed=${2:-1}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Intro, hall of fame, level choice (PYRAMID by mouse, level 1), START by
# Enter; the exit preview is skipped with Space.
start="5 press A
7 click 300 90
10 press Enter
13 down Space
15 up Space"
printf '%s\n' "$start" > "$work/start.txt"
"$binary" --headless --seed "$seed" --config-dir "$work/a" --input "$work/start.txt" --frames 20 --dump-state "20:$work/state.json"

# The way out, found breadth-first over every cell that is no wall (102, 103),
# one arrow key every eight ticks from tick 21: a step takes eight ticks.
awk '
function num(line) { sub(/^[^:]*: */, "", line); sub(/,$/, "", line); return line + 0 }
/"MazeWidth"/ { w = num($0) }
/"MazeHeight"/ { h = num($0) }
/"HeroColumn"/ { hx = num($0) }
/"HeroRow"/ { hy = num($0) }
/"ExitColumn"/ { ex = num($0) }
/"ExitRow"/ { ey = num($0) }
/"MazeGrid"/ {
    line = $0
    sub(/^[^[]*\[\[/, "", line); sub(/\]\],?$/, "", line)
    rows = split(line, r, /\],\[/)
    for (y = 1; y <= rows; y++) { n = split(r[y], c, ","); for (x = 1; x <= n; x++) grid[x, y] = c[x] + 0 }
}
END {
    split("1 -1 0 0", dx, " "); split("0 0 -1 1", dy, " "); split("Right Left Up Down", key, " ")
    head = 1; tail = 1; qx[1] = hx; qy[1] = hy; seen[hx, hy] = 1
    while (head <= tail && !((ex, ey) in seen)) {
        x = qx[head]; y = qy[head]; head++
        for (m = 1; m <= 4; m++) {
            nx = x + dx[m]; ny = y + dy[m]
            if (nx < 1 || nx > w || ny < 1 || ny > h || ((nx, ny) in seen) || grid[nx, ny] == 102 || grid[nx, ny] == 103) continue
            seen[nx, ny] = 1; from[nx, ny] = x SUBSEP y; move[nx, ny] = key[m]
            tail++; qx[tail] = nx; qy[tail] = ny
        }
    }
    if (!((ex, ey) in seen)) { print "no way out" > "/dev/stderr"; exit 1 }
    steps = 0; at = ex SUBSEP ey
    while (at != hx SUBSEP hy) { path[++steps] = move[at]; at = from[at] }
    for (i = steps; i >= 1; i--) printf "%d press %s\n", 21 + 8 * (steps - i), path[i]
    print 21 + 8 * steps > "/dev/stderr"
}' "$work/state.json" > "$work/walk.txt" 2> "$work/arrival"
arrival=$(cat "$work/arrival")

# Eight ticks of escape, 451 of the victory count-down, 500 of game over; then
# the name and back to the intro.
name=$((arrival + 8 + 451 + 500 + 1))
{
    printf '%s\n' "$start"
    cat "$work/walk.txt"
    printf '%d press T\n%d press I\n%d press B\n%d press O\n%d press Enter\n' $name $name $((name + 1)) $((name + 1)) $((name + 3))
} > "$work/game.txt"
last=$((name + 10))
"$binary" --headless --seed "$seed" --config-dir "$work/b" --input "$work/game.txt" --frames $last \
    --record "$work/victory.replay" --dump-state "$last:$work/end.json"
grep -q '"Nome":"TIBO"' "$work/end.json" || { echo "record-victory.sh: the walk did not win with seed $seed" >&2; exit 1; }
grep -q '"GameStateName": "gsIntro"' "$work/end.json"
{
    head -n 1 "$work/victory.replay"
    echo "# A level 1 game walked to victory; recorded by tests/data/record-victory.sh."
    tail -n +2 "$work/victory.replay"
} > "$here/victory.replay"
echo "recorded $here/victory.replay: $last ticks, seed $seed"
