#!/usr/bin/env bash
# End to end: plays the sample game's day (demo/game_day.sh) and checks that
# every line of demo/game_day_expected.txt appears in its report: the bytes
# read, handle values, records, trace lines and mounts of all three sessions.
# The game folder's path is written <game> there; the level-load time is not
# checked. After a deliberate change of the demo, refresh the expected file.
# Usage: game_day_test.sh TREE WORK_DIR
set -euo pipefail
tree="$1" work="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$work.out"
"$root/demo/game_day.sh" "$tree" "$work" >"$out" 2>"$work.err" || { cat "$work.err"; exit 1; }
game="$(printf 'Z:%s' "$(cd "$work/game" && pwd)" | tr / '\\')"
lower="z:${game#Z:}"
report="$(sed -e 's/\r$//' -e "s|${game//\\/\\\\}|<game>|g" -e "s|${lower//\\/\\\\}|<game>|g" "$out")"
missing=0
while IFS= read -r line; do
  if ! grep -Fxq -- "$line" <<<"$report"; then
    echo "missing from the game's report: $line"
    missing=$((missing + 1))
  fi
done <"$root/demo/game_day_expected.txt"
grep -q '^  the level loaded in [0-9.]* ms$' <<<"$report" || { echo "missing: the level load time"; missing=$((missing + 1)); }
echo "$(wc -l <"$root/demo/game_day_expected.txt") expected lines, $missing missing; the whole report is in $out"
[ "$missing" -eq 0 ]
