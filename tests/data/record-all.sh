#!/bin/sh
# Records the replays of tests/data again, each from its input script
# NAME.input beside it, and checks that each still shows what it is meant to
# show. Needs only the game and awk:
#
#     tests/data/record-all.sh build/tibo            # every NAME.input
#     tests/data/record-all.sh build/tibo victory    # some of them
#
# Run it when the game's behaviour changes on purpose (the committed replays
# then no longer match), look at what it reports and commit the new files. A
# replay is only written when every fact its script expects holds and the new
# replay plays back; otherwise the script says what failed and exits with 1.
#
# An input script is an ordinary --input script (one event a line) whose
# comment lines may also hold these lines for the recording:
#
#   # seed N                  the seed of the game (required)
#   # frames T                the last tick: the game closes after it (required)
#   # walk T exit [pad]       arrow presses (or the pad's, with "pad") from
#   # walk T to X Y [pad]     tick T on, one every 8 ticks, along the shortest
#                             way through every cell that is no wall, to the
#                             exit or to cell (X, Y), found in the state after
#                             tick T - 1
#   # aim T1 T2 CLASS [KIND]  a shot (Space held 2 ticks) at the first tick from
#                             T1 to T2 at which the first enemy in front of the
#                             standing hero, on his row with no wall between, is
#                             a live sprite of CLASS (TVermeSprite, TMummiaSprite,
#                             TFantasmaSprite; KIND: a walker's kind, 0 the bat)
#                             no more than 8 cells away, that the shot is sure
#                             to meet; or, for one 3 to 8 cells behind him, a
#                             step toward it first and the shot 8 ticks later
#   # expect T LEFT OP RIGHT  a fact of the state after tick T, OP one of
#                             == != < <= > >=; LEFT is a field of the state
#                             dump (Health, GameStateName, Muted, ...),
#                             "alive CLASS [KIND]" (live sprites of the class),
#                             "sprites CLASS" (every sprite of the class),
#                             "cell X Y" (MazeGrid) or "hall NAME" (the place
#                             of NAME in the hall of fame, 0 when absent);
#                             RIGHT is a number, a word, or @T: LEFT after tick T
#
# A tick written +N counts from the mark: the tick at which the last walk
# ends (its last step done) or the last aimed shot is fired. The first line of
# the input script describes the replay; it is copied into the replay.
set -eu
binary=${1:?usage: record-all.sh PATH-TO-TIBO [NAME...]}
shift
case $binary in /*) ;; *) binary=$(pwd)/$binary ;; esac
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# RECORD_KEEP=1 keeps the working folder (the expanded script is script.txt).
if [ -n "${RECORD_KEEP:-}" ]; then echo "working in $work"; else trap 'rm -rf "$work"' EXIT; fi
tab=$(printf '\t')

# ------------------------------------------------------------ the state dump
# Reads a state dump (one top-level field a line) into field[], grid[x, y]
# with W and H, sprite fields sp[i, name] for i = 1..ns, and hall[place].
cat > "$work/state.awk" <<'AWK'
function load(file,   line, key, val) {
    while ((getline line < file) > 0) {
        if (line !~ /^ "[A-Za-z]+": /) continue
        key = line; sub(/^ "/, "", key); sub(/".*$/, "", key)
        val = line; sub(/^ "[A-Za-z]+": /, "", val); sub(/,$/, "", val)
        if (key == "MazeGrid") loadgrid(val)
        else if (key == "Sprites") loadsprites(val)
        else if (key == "HallOfFame") loadhall(val)
        else { gsub(/^"|"$/, "", val); field[key] = val }
    }
    close(file)
}
function loadgrid(val,   r, c, x, y, n) {
    W = 0; H = 0
    if (val !~ /^\[\[/) return
    sub(/^\[\[/, "", val); sub(/\]\]$/, "", val)
    H = split(val, r, /\],\[/)
    for (y = 1; y <= H; y++) { W = split(r[y], c, ","); for (x = 1; x <= W; x++) grid[x, y] = c[x] + 0 }
}
function loadsprites(val,   objs, kv, i, j, m, k, v) {
    ns = 0
    if (val !~ /^\[\{/) return
    sub(/^\[\{/, "", val); sub(/\}\]$/, "", val)
    ns = split(val, objs, /\},\{/)
    for (i = 1; i <= ns; i++) {
        m = split(objs[i], kv, ",")
        for (j = 1; j <= m; j++) {
            k = kv[j]; sub(/:.*$/, "", k); gsub(/"/, "", k)
            v = kv[j]; sub(/^[^:]*:/, "", v); gsub(/"/, "", v)
            sp[i, k] = v
        }
    }
}
function loadhall(val,   e, n, i, name) {
    sub(/^\[\{/, "", val); sub(/\}\]$/, "", val)
    n = split(val, e, /\},\{/)
    for (i = 1; i <= n; i++) { name = e[i]; sub(/^.*"Nome":"/, "", name); sub(/".*$/, "", name); hall[i] = name }
}
function wall(x, y) { return x < 1 || x > W || y < 1 || y > H || grid[x, y] == 102 || grid[x, y] == 103 }
AWK

# The value of a fact's left side: field NAME | alive CLASS [KIND] |
# sprites CLASS | cell X Y | hall NAME.
cat > "$work/query.awk" <<'AWK'
BEGIN {
    load(file)
    n = split(what, w, " ")
    if (w[1] == "alive" || w[1] == "sprites") {
        count = 0
        for (i = 1; i <= ns; i++)
            if (sp[i, "Class"] == w[2] && (w[1] == "sprites" || sp[i, "Alive"] == "true") && (n < 3 || sp[i, "Kind"] == w[3])) count++
        print count
    } else if (w[1] == "cell") {
        print ((w[2], w[3]) in grid) ? grid[w[2], w[3]] : "none"
    } else if (w[1] == "hall") {
        place = 0
        for (i = 10; i >= 1; i--) if (hall[i] == w[2]) place = i
        print place
    } else if (n == 1 && (w[1] in field)) {
        print field[w[1]]
    } else {
        print "no such value: " what > "/dev/stderr"; exit 1
    }
}
AWK

# The way from the hero to the exit or to a cell, breadth-first over every
# cell that is no wall; prints "TICK press KEY" (or "TICK pad press key") a
# step from `first` on, one every eight ticks, and the tick after the last
# step on standard error.
cat > "$work/walk.awk" <<'AWK'
BEGIN {
    load(file)
    hx = field["HeroColumn"] + 0; hy = field["HeroRow"] + 0
    if (tx == "exit") { tx = field["ExitColumn"] + 0; ty = field["ExitRow"] + 0 } else { tx += 0; ty += 0 }
    split("1 -1 0 0", dx, " "); split("0 0 -1 1", dy, " "); split("Right Left Up Down", key, " ")
    head = 1; tail = 1; qx[1] = hx; qy[1] = hy; seen[hx, hy] = 1
    while (head <= tail && !((tx, ty) in seen)) {
        x = qx[head]; y = qy[head]; head++
        for (m = 1; m <= 4; m++) {
            nx = x + dx[m]; ny = y + dy[m]
            if (((nx, ny) in seen) || wall(nx, ny)) continue
            seen[nx, ny] = 1; from[nx, ny] = x SUBSEP y; move[nx, ny] = key[m]
            tail++; qx[tail] = nx; qy[tail] = ny
        }
    }
    if (!((tx, ty) in seen)) { print "no way from " hx "," hy " to " tx "," ty > "/dev/stderr"; exit 1 }
    steps = 0; at = tx SUBSEP ty
    while (at != hx SUBSEP hy) { path[++steps] = move[at]; at = from[at] }
    for (i = steps; i >= 1; i--)
        printf "%d %s %s\n", first + 8 * (steps - i), press, press == "press" ? path[i] : tolower(path[i])
    print first + 8 * steps > "/dev/stderr"
}
AWK

# Whether a shot of the standing hero would first touch, on his row with no
# wall between and at most 8 cells away, a live sprite of `class` (and `kind`)
# that it is sure to meet: prints "yes" for one in front of him, "turn" for
# one at least 3 cells behind him (he steps toward it and fires 8 ticks
# later), else "no". Walkers pace their corridor and always meet the shot; a
# mummy or a ghost must be coming toward the hero, the mummy with no rope to
# fall down on its way, the ghost with a wall on its left all along (it turns
# left wherever it can).
cat > "$work/aim.awk" <<'AWK'
function meets(i, c, d, f,   k, x, side) {
    if (c == "TVermeSprite" || d < 1) return 1
    if (c == "TMummiaSprite") {
        if (sp[i, "Mode"] != -f) return 0
        for (k = 1; k < d; k++) { x = hx + f * k; if (grid[x, hy] == 105 || grid[x, hy] == 106) return 0 }
        return 1
    }
    if (sp[i, "Heading"] != (f == 1 ? 2 : 0)) return 0
    side = f == 1 ? 1 : -1   # moving left a ghost turns down first, moving right up
    for (k = 1; k < d; k++) { x = hx + f * k; if (!wall(x, hy + side) && grid[x, hy + side] != 108) return 0 }
    return 1
}
# Cells to the first enemy a shot toward f would touch (0: overlapping the
# hero's cell), -1 for none; its sprite in `first`.
function target(f,   reach, i, c, r, ahead) {
    reach = 0
    while (reach < 8 && !wall(hx + f * (reach + 1), hy)) reach++
    first = 0
    for (i = 1; i <= ns; i++) {
        c = sp[i, "Class"]
        if (c != "TVermeSprite" && c != "TMummiaSprite" && c != "TFantasmaSprite") continue
        if (sp[i, "Alive"] != "true" || sp[i, "Row"] != hy || sp[i, "OffsetY"] > 15 || sp[i, "OffsetY"] < -15) continue
        r = ((sp[i, "Column"] - hx) * 32 + sp[i, "OffsetX"]) * f   # pixels ahead of the hero
        if (r <= -32 || r > 32 * reach) continue
        if (!first || r < ahead) { first = i; ahead = r }
    }
    return first ? int((ahead + 31) / 32) : -1
}
function wanted(i, d, f) {
    return sp[i, "Class"] == class && (kind == "" || sp[i, "Kind"] == kind) && meets(i, sp[i, "Class"], d, f)
}
BEGIN {
    load(file)
    hx = field["HeroColumn"] + 0; hy = field["HeroRow"] + 0; f = field["Facing"] + 0
    if (field["GameStateName"] != "gsPlaying" || field["HeroOffsetX"] != 0 || field["HeroOffsetY"] != 0 ||
        field["Shots"] + 0 < 1 || field["ShotsInFlight"] + 0 > 2) { print "no"; exit }
    d = target(f)
    if (d >= 0 && wanted(first, d, f)) { print "yes"; exit }
    d = target(-f)
    print ((d >= 3 && wanted(first, d, -f)) ? "turn" : "no")
}
AWK

# ------------------------------------------------------------- one replay
fail() { echo "record-all.sh: $name: $*" >&2; exit 1; }

# Runs the script so far up to tick $1, with more options after it.
run_to() {
    last=$1; shift
    rm -rf "$work/cfg"
    "$binary" --headless --seed "$seed" --config-dir "$work/cfg" --input "$work/script.txt" --frames "$last" "$@" > "$work/run.log" 2>&1 ||
        { cat "$work/run.log" >&2; fail "the game failed up to tick $last"; }
}

tick() {
    case $1 in
        +*) echo $((mark + ${1#+})) ;;
        *[!0-9]*|'') fail "not a tick: $1" ;;
        *) echo "$1" ;;
    esac
}

# Looks at the states from tick $t to $1 for the aim's target: sets `shot`
# (adding a step toward a target behind the hero to the script), or leaves
# `t` after $1.
aim_at() {
    while [ "$t" -le "$1" ]; do
        seen=$(awk -v file="$work/aim-$t.json" -v class="$class" -v kind="$kind" -f "$work/state.awk" -f "$work/aim.awk") ||
            fail "aim: the state after tick $t could not be read"
        case $seen in
            yes) shot=$((t + 1)); return ;;
            turn)
                back=Left
                [ "$(awk -v file="$work/aim-$t.json" -v what=Facing -f "$work/state.awk" -f "$work/query.awk")" = 1 ] || back=Right
                echo "$((t + 1)) press $back" >> "$work/script.txt"
                shot=$((t + 9)); return ;;
        esac
        t=$((t + 1))
    done
}

record() {
    name=$1
    input=$here/$name.input
    [ -f "$input" ] || fail "no $input"
    seed=$(sed -n 's/^# seed \([0-9][0-9]*\)$/\1/p' "$input")
    [ -n "$seed" ] || fail "no '# seed N' line"
    : > "$work/script.txt"
    : > "$work/expects"
    mark=0
    frames=
    while IFS= read -r line || [ -n "$line" ]; do
        set -f
        # shellcheck disable=SC2086
        set -- $line
        set +f
        [ $# -gt 0 ] || continue
        case $1 in
            '#')
                [ $# -gt 1 ] || continue
                case $2 in
                    frames) frames=$(tick "$3") ;;
                    walk)
                        at=$(tick "$3")
                        case $4 in
                            exit) target="exit"; ty=0; by=${5:-} ;;
                            to) target=$5; ty=$6; by=${7:-} ;;
                            *) fail "walk: 'exit' or 'to X Y', not '$4'" ;;
                        esac
                        case $by in
                            '') press="press" ;;
                            pad) press="pad press" ;;
                            *) fail "walk: 'pad' or nothing at the end, not '$by'" ;;
                        esac
                        run_to $((at - 1)) --dump-state "$((at - 1)):$work/walk.json"
                        awk -v file="$work/walk.json" -v tx="$target" -v ty="$ty" -v first="$at" -v press="$press" \
                            -f "$work/state.awk" -f "$work/walk.awk" > "$work/steps" 2> "$work/arrival" ||
                            fail "walk at tick $at: $(cat "$work/arrival")"
                        cat "$work/steps" >> "$work/script.txt"
                        mark=$(cat "$work/arrival")
                        ;;
                    aim)
                        from=$(tick "$3"); to=$(tick "$4"); class=$5; kind=${6:-}
                        shot=
                        t=$from
                        while [ -z "$shot" ] && [ "$t" -le "$to" ]; do
                            # The states of the next 250 ticks at most, one run each.
                            upto=$((t + 249)); [ "$upto" -le "$to" ] || upto=$to
                            dumps=
                            u=$t
                            while [ "$u" -le "$upto" ]; do dumps="$dumps --dump-state $u:$work/aim-$u.json"; u=$((u + 1)); done
                            # shellcheck disable=SC2086
                            run_to "$upto" $dumps
                            aim_at "$upto"
                            rm -f "$work"/aim-*.json
                        done
                        [ -n "$shot" ] || fail "aim: no $class ${kind:+of kind $kind }in line from tick $from to $to"
                        printf '%d down Space\n%d up Space\n' "$shot" $((shot + 2)) >> "$work/script.txt"
                        mark=$shot
                        ;;
                    expect)
                        at=$(tick "$3"); shift 3
                        [ $# -ge 3 ] || fail "expect: 'LEFT OP RIGHT', not '$*'"
                        fact=$(echo "$*" | awk '{ r = $NF; op = $(NF - 1); NF -= 2; printf "%s\t%s\t", $0, op; print r }')
                        right=${fact##*"$tab"}
                        case $right in @*) right=@$(tick "${right#@}") ;; esac
                        printf '%s\t%s%s\n' "$at" "${fact%"$tab"*}$tab" "$right" >> "$work/expects"
                        ;;
                esac
                ;;
            '#'*) ;;
            *)
                at=$(tick "$1"); shift
                echo "$at $*" >> "$work/script.txt"
                ;;
        esac
    done < "$input"
    [ -n "$frames" ] || fail "no '# frames T' line"

    # The recording, with a state dump after every tick a fact looks at.
    dumps=
    for t in $(awk -F "$tab" '{ print $1; if ($4 ~ /^@/) print substr($4, 2) }' "$work/expects" | sort -un); do
        [ "$t" -le "$frames" ] || fail "a fact after tick $t, past the last tick $frames"
        dumps="$dumps --dump-state $t:$work/state-$t.json"
    done
    # shellcheck disable=SC2086
    run_to "$frames" --record "$work/new.replay" $dumps
    failed=0
    while IFS="$tab" read -r at left op right; do
        value=$(awk -v file="$work/state-$at.json" -v what="$left" -f "$work/state.awk" -f "$work/query.awk") || fail "tick $at: $left"
        case $right in
            @*) want=$(awk -v file="$work/state-${right#@}.json" -v what="$left" -f "$work/state.awk" -f "$work/query.awk") ;;
            *) want=$right ;;
        esac
        if awk -v a="$value" -v b="$want" -v op="$op" 'BEGIN {
                num = a ~ /^-?[0-9.]+$/ && b ~ /^-?[0-9.]+$/
                if (num) { a += 0; b += 0 }
                if (op == "==") ok = a == b; else if (op == "!=") ok = a != b
                else if (!num) ok = 0
                else if (op == "<") ok = a < b; else if (op == "<=") ok = a <= b
                else if (op == ">") ok = a > b; else if (op == ">=") ok = a >= b
                else { print "no such comparison: " op > "/dev/stderr"; exit 2 }
                exit !ok }'; then
            echo "  ok      tick $at: $left $op $right ($value)"
        else
            against=; case $right in @*) against=" against $want" ;; esac
            echo "  FAILED  tick $at: $left $op $right: found $value$against"
            failed=1
        fi
    done < "$work/expects"
    [ "$failed" = 0 ] || fail "the recording no longer shows what it is meant to; $name.replay is left as it was"

    {
        head -n 1 "$work/new.replay"
        head -n 1 "$input"
        echo "# Recorded by tests/data/record-all.sh from $name.input."
        tail -n +2 "$work/new.replay"
    } > "$work/$name.replay"
    rm -rf "$work/play"
    "$binary" --headless --config-dir "$work/play" --replay "$work/$name.replay" > "$work/play.log" 2>&1 ||
        { cat "$work/play.log" >&2; fail "the new replay does not play back"; }
    mv "$work/$name.replay" "$here/$name.replay"
    echo "recorded $name.replay: $frames ticks, seed $seed"
}

if [ $# -eq 0 ]; then
    for f in "$here"/*.input; do set -- "$@" "$(basename "$f" .input)"; done
fi
for n in "$@"; do
    echo "$n:"
    record "$n"
done
