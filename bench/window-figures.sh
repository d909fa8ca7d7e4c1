#!/usr/bin/env bash
# The game in a real window, playing a level 5 game: CPU share of one core at
# 50 ticks per second, how far tick starts stray from their schedule, the time
# from start to the first picture, and peak memory.
#
#   bench/window-figures.sh ./build/tibo [frames]
#
# Without a DISPLAY it runs itself again under a bare X server of 1280x1024
# (xvfb-run). The game runs with --windowed --frames N --timing-report FILE and
# writes there a JSON object with "ticks", "cpu_seconds", "wall_seconds"
# (both counted from the first tick), "jitter_ms_p50", "jitter_ms_p99",
# "jitter_ms_max" (|actual - scheduled| tick start) and "first_flip_ms".
# TIBO_PRESENT=renderer|framebuffer, if set, is passed on to the game.
set -euo pipefail

BIN=${1:?usage: bench/window-figures.sh path/to/tibo [frames]}
FRAMES=${2:-500}
[ -x "$BIN" ] || { echo "window-figures: $BIN is not an executable" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "window-figures: no DISPLAY and no xvfb-run" >&2; exit 2; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
report=$work/timing.json

# Most of the run is play: start a level 5 game and skip its exit preview.
printf '5 press A\n8 press Down\n8 press Down\n8 press Down\n8 press Down\n10 press Enter\n20 down Space\n24 up Space\n' > "$work/input.txt"
run=("$BIN" --windowed --frames "$FRAMES" --timing-report "$report" --config-dir "$work" --input "$work/input.txt")
status=0
if [ -x /usr/bin/time ]; then
    /usr/bin/time -v -o "$work/time.txt" "${run[@]}" >"$work/out.txt" 2>&1 || status=$?
else
    "${run[@]}" >"$work/out.txt" 2>&1 || status=$?
fi
if [ ! -s "$report" ]; then
    echo "window-figures: the game failed (exit $status) without a timing report:" >&2
    tail -n 20 "$work/out.txt" >&2
    exit 1
fi

# One number of the report by name.
field() { sed -n "s/.*\"$1\"[[:space:]]*:[[:space:]]*\([-+0-9.eE]*\).*/\1/p" "$report" | head -n 1; }
ticks=$(field ticks)
cpu=$(field cpu_seconds)
wall=$(field wall_seconds)
p50=$(field jitter_ms_p50)
p99=$(field jitter_ms_p99)
max=$(field jitter_ms_max)
first=$(field first_flip_ms)

# Rounded for reading.
round() { awk -v v="$1" -v d="$2" 'BEGIN { if (v == "") print "n/a"; else printf "%.*f", d, v }'; }
share=$(awk -v c="$cpu" -v w="$wall" 'BEGIN { if (w > 0) printf "%.2f", 100 * c / w; else print "n/a" }')
rate=$(awk -v t="$ticks" -v w="$wall" 'BEGIN { if (w > 0) printf "%.2f", t / w; else print "n/a" }')

peak="n/a"
process=""
if [ -s "$work/time.txt" ]; then
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): *\([0-9]*\).*/\1/p' "$work/time.txt")
    [ -n "$kb" ] && peak=$(awk -v k="$kb" 'BEGIN { printf "%.1f MiB", k / 1024 }')
    user=$(sed -n 's/.*User time (seconds): *\([0-9.]*\).*/\1/p' "$work/time.txt")
    sys=$(sed -n 's/.*System time (seconds): *\([0-9.]*\).*/\1/p' "$work/time.txt")
    elapsed=$(sed -n 's/.*Elapsed (wall clock) time.*: *\([0-9:.]*\).*/\1/p' "$work/time.txt")
    process="user ${user}s + system ${sys}s over ${elapsed} (start-up and close included)"
else
    kb=$(field peak_rss_kb)
    [ -n "$kb" ] && peak=$(awk -v k="$kb" 'BEGIN { printf "%.1f MiB (the game'"'"'s own count)", k / 1024 }')
fi

verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v + 0 <= limit + 0) ? "within" : "OVER" }'; }

echo "Window figures: ${FRAMES} frames, windowed, display ${DISPLAY}"
printf '  ticks                       %s in %s s (%s per second)\n' "$ticks" "$(round "$wall" 3)" "$rate"
printf '  CPU share of one core       %s %%   [%s the 5 %% target]\n' "$share" "$(verdict "$share" 5)"
printf '  tick start jitter           p50 %s ms, p99 %s ms, max %s ms   [p99 %s the 1 ms target]\n' \
    "$(round "$p50" 3)" "$(round "$p99" 3)" "$(round "$max" 3)" "$(verdict "$p99" 1)"
printf '  start-up to the first flip  %s ms\n' "$(round "$first" 1)"
printf '  peak memory                 %s\n' "$peak"
[ -n "$process" ] && printf '  whole process               %s\n' "$process"
if [ "$status" -ne 0 ]; then
    # The figures stand, but a game that fails on the way out is no pass.
    echo "window-figures: the game exited with status $status after writing its report:" >&2
    tail -n 5 "$work/out.txt" >&2
    exit 1
fi
exit 0
