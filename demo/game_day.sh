#!/usr/bin/env bash
# A game's day with wexla.dll under Wine: packs the sample game's content with
# qar.exe into a game folder, then plays three sessions, each mounting the
# content another way:
#   1. the mount list file wexla_qars.rmk in the working directory: the full day
#   2. the stand-in client's depot list (qars\depot_221, qars\depot_222), traced
#   3. the scan of the qars folder for depot_*_dir.qar, traced
# Usage: demo/game_day.sh TREE WORK_DIR   (TREE: build/win or build/win64)
# WORK_DIR gets the game folder (game/), the content's sources (src/) and the
# stand-in client's answers (client/).
set -euo pipefail
tree="$(cd "$1" && pwd)" work="$2"
demo="$(cd "$(dirname "$0")" && pwd)"
run="$tree/wine-run.sh"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; } # Wine's Z: is the root folder

rm -rf "$work" && mkdir -p "$work/game/qars" "$work/client"
work="$(cd "$work" && pwd)" game="$work/game" src="$work/src"
mkdir -p "$src/pak01" "$src/depot_221" "$src/depot_222/dlc"

# The content: the hand-written files, 300 generated textures, and the DLC.
cp -r "$demo/content/." "$src/pak01/"
mkdir -p "$src/pak01/textures"
for i in $(seq 1 300); do
  head -c $(( (i * 977) % 16000 + 256 )) < <(yes "texture $i of the harbour level") >"$src/pak01/textures/tex$i.vtf"
done
cp -r "$demo/content/scripts" "$src/depot_221/"
cp "$demo/dlc/bonus.txt" "$src/depot_222/dlc/"
echo "demo: packing the content with qar.exe" >&2
for a in pak01 depot_221 depot_222; do
  "$run" "$tree/bin/qar.exe" pack --preload 16 "$(winpath "$src/$a")" "$(winpath "$game/qars/$a")" >&2
done

# The stand-in client's answers: the running application 220, installed in
# the game folder, with or without a depot list.
client_script() { # file depots
  cat >"$1" <<KV
"wexlaclient"
{
    "runningapp"  "220"
    "identity"    "76561197960287930"
    "app"
    {
        "id"      "220"
        "owned"   "1"
        "ondisk"  "1"
        "folder"  "$(winpath "$game")"
        $2
    }
}
KV
}
client_script "$work/client/depots.txt" '"depots"  "221 222"'
client_script "$work/client/nodepots.txt" ''

play() { # title working-dir client-script game-arguments...
  local title="$1" cwd="$2" script="$3"; shift 3
  echo
  echo "=== $title ==="
  mkdir -p "$cwd"
  (cd "$cwd" && WEXLACLIENT_STANDIN_SCRIPT="$(winpath "$script")" "$run" "$tree/bin/sample_game.exe" "$@")
}

printf '"qars"\n{\n\t"spewfileio"\t"0"\n\t"mount"\n\t{\n\t\t"content"\t"%s"\n\t}\n}\n' \
  "$(winpath "$game/qars/pak01")" >"$game/wexla_qars.rmk"
play "session 1: content named by the mount list wexla_qars.rmk" "$game" "$work/client/depots.txt"
play "session 2: content from the client's depot list, with -debugwexla2wrapper" \
  "$game/session2" "$work/client/depots.txt" --short -debugwexla2wrapper
play "session 3: content found by scanning the qars folder, with -debugwexla2wrapper" \
  "$game/session3" "$work/client/nodepots.txt" --short -debugwexla2wrapper
