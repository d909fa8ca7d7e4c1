#!/usr/bin/env bash
# The game in a real window: CPU share of one core at 50 ticks per second in
# play and in the intro, how far tick starts stray from their schedule, and for
# each way of presenting the picture the time from the process's start to the
# first picture on screen and the peak memory.
#
#   bench/window-figures.sh ./build/tibo [frames] [runs]
#
# Without a DISPLAY it runs itself again under a bare X server of 1280x1024
# (xvfb-run). The game runs with --windowed --frames N --timing-report FILE and
# writes there a JSON object with "ticks", "cpu_seconds", "wall_seconds"
# (both counted from the first tick), "tick_ms_mean" (a tick's own work,
# without the waits between ticks), "jitter_ms_p50", "jitter_ms_p99",
# "jitter_ms_max" (|actual - scheduled| tick start), "first_flip_ms" (from the
# process's start), "main_ms" (of which before main()), "peak_rss_kb" and
# "presentation" (renderer or framebuffer). Start-up figures are the median of
# `runs` starts (default 5) for each of TIBO_PRESENT unset (the game's own
# choice), framebuffer and renderer. TIBO_PRESENT, if set, applies to the play
# and intro figures.
set -euo pipefail

BIN=${1:?usage: bench/window-figures.sh path/to/tibo [frames] [runs]}
FRAMES=${2:-500}
RUNS=${3:-5}
[ -x "$BIN" ] || { echo "window-figures: $BIN is not an executable" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "window-figures: no DISPLAY and no xvfb-run" >&2; exit 2; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
report=$work/timing.json
failed=0

# One field of the report by name (numbers and words).
field() { sed -n "s/.*\"$1\"[[:space:]]*:[[:space:]]*\"\{0,1\}\([-+0-9.eEa-z]*\).*/\1/p" "$report" | head -n 1; }
round() { awk -v v="$1" -v d="$2" 'BEGIN { if (v == "") print "n/a"; else printf "%.*f", d, v }'; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v != "" && v + 0 <= limit + 0) ? "within" : "OVER" }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print ""; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# run NAME [VAR=VALUE...] -- ARGS...: one game; its report in $report.
run() {
    local name=$1
    shift
    local vars=()
    while [ "$1" != "--" ]; do vars+=("$1"); shift; done
    shift
    rm -f "$report"
    local status=0
    env "${vars[@]}" "$BIN" --windowed --timing-report "$report" --config-dir "$work" "$@" >"$work/out.txt" 2>&1 || status=$?
    if [ ! -s "$report" ] || [ "$status" -ne 0 ]; then
        echo "window-figures: the game failed (exit $status) in the $name run:" >&2
        tail -n 10 "$work/out.txt" >&2
        failed=1
        return 1
    fi
}

echo "Window figures: display ${DISPLAY}"

# Play: a level 5 game with its exit preview skipped.
printf '5 press A\n8 press Down\n8 press Down\n8 press Down\n8 press Down\n10 press Enter\n20 down Space\n24 up Space\n' > "$work/play.txt"
if run play -- --frames "$FRAMES" --input "$work/play.txt"; then
    ticks=$(field ticks); cpu=$(field cpu_seconds); wall=$(field wall_seconds)
    share=$(awk -v c="$cpu" -v w="$wall" 'BEGIN { if (w > 0) printf "%.2f", 100 * c / w }')
    rate=$(awk -v t="$ticks" -v w="$wall" 'BEGIN { if (w > 0) printf "%.2f", t / w }')
    printf '  play: %s ticks in %s s (%s per second), %s presentation\n' "$ticks" "$(round "$wall" 3)" "$rate" "$(field presentation)"
    printf '    CPU share of one core     %s %%   [%s the 5 %% target]\n' "$share" "$(verdict "$share" 5)"
    printf '    tick start jitter         p50 %s ms, p99 %s ms, max %s ms   [p99 %s the 1 ms target]\n' \
        "$(round "$(field jitter_ms_p50)" 3)" "$(round "$(field jitter_ms_p99)" 3)" "$(round "$(field jitter_ms_max)" 3)" \
        "$(verdict "$(field jitter_ms_p99)" 1)"
fi

# The intro, animating on its own.
if run intro -- --frames "$FRAMES"; then
    share=$(awk -v c="$(field cpu_seconds)" -v w="$(field wall_seconds)" 'BEGIN { if (w > 0) printf "%.2f", 100 * c / w }')
    printf '  intro: CPU share of one core %s %%   [%s the 3 %% target]\n' "$share" "$(verdict "$share" 3)"
fi

# Start-up, for each way of presenting the picture.
echo "  start-up, median of $RUNS (from the process's start to the first picture; peak memory):"
for present in "" framebuffer renderer; do
    : > "$work/flips"; : > "$work/peaks"; : > "$work/mains"; chosen=""
    for _ in $(seq "$RUNS"); do
        run "start-up" "TIBO_PRESENT=$present" -- --frames 10 || continue
        field first_flip_ms >> "$work/flips"
        field main_ms >> "$work/mains"
        awk -v k="$(field peak_rss_kb)" 'BEGIN { printf "%.1f\n", k / 1024 }' >> "$work/peaks"
        chosen=$(field presentation)
    done
    flip=$(median < "$work/flips"); peak=$(median < "$work/peaks"); before=$(median < "$work/mains")
    label=${present:-"(own choice)"}
    printf '    %-13s -> %-11s first picture %s ms (%s before main)   [%s 80 ms]   peak %s MiB   [%s 50 MiB]\n' \
        "$label" "${chosen:-n/a}" "$(round "$flip" 1)" "$(round "$before" 1)" "$(verdict "$flip" 80)" \
        "$(round "$peak" 1)" "$(verdict "$peak" 50)"
done
exit "$failed"
