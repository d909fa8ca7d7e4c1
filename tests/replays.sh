#!/usr/bin/env bash
# Plays every replay of tests/data back headless, each with a settings folder
# of its own that is thrown away; any replay that differs, is cut short or
# fails fails the test. Every replay must have the input script it was
# recorded from beside it (tests/data/record-all.sh records them again).
set -uo pipefail
BIN=${1:?usage: replays.sh path/to/tibo path/to/tests/data}
DATA=${2:?usage: replays.sh path/to/tibo path/to/tests/data}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
count=0
for replay in "$DATA"/*.replay; do
  [ -e "$replay" ] || break
  name=$(basename "$replay" .replay)
  count=$((count + 1))
  if [ ! -f "$DATA/$name.input" ]; then
    echo "FAILED $name: no $name.input beside it"
    failed=1
  fi
  mkdir "$work/$name"
  start=$(date +%s.%N)
  "$BIN" --headless --config-dir "$work/$name" --replay "$replay" >"$work/$name.log" 2>&1
  status=$?
  seconds=$(echo "$start $(date +%s.%N)" | awk '{ printf "%.1f", $2 - $1 }')
  ticks=$(sed -n 's/^# end \([0-9]*\)$/\1/p' "$replay")
  if [ "$status" -eq 0 ]; then
    echo "ok     $name: $ticks ticks in $seconds s"
  else
    echo "FAILED $name: exit status $status after $seconds s"
    sed 's/^/    /' "$work/$name.log"
    failed=1
  fi
done
for input in "$DATA"/*.input; do
  [ -e "$input" ] || break
  name=$(basename "$input" .input)
  [ -f "$DATA/$name.replay" ] || { echo "FAILED $name: $name.input has no replay (tests/data/record-all.sh records it)"; failed=1; }
done
[ "$count" -ge 8 ] || { echo "FAILED: $count replays, at least 8 are kept"; failed=1; }
[ "$failed" -eq 0 ] || { echo "a replay no longer matches the game: if the change is meant, record them again with tests/data/record-all.sh"; exit 1; }
echo "all $count replays play back"
