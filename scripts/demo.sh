#!/usr/bin/env bash
# Builds wexla.dll and runs the sample game with it under Wine (the 64-bit
# twin where this machine cannot run 32-bit code).
set -euo pipefail
cd "$(dirname "$0")/.."
export WEXLA_QUIET_BUILD=1
scripts/setup.sh
echo "demo: building wexla.dll and the sample game" >&2
scripts/build.sh win
tree=build/win
if ! scripts/can-run-win32.sh; then
  echo "demo: this machine cannot run 32-bit code; running the 64-bit twin build" >&2
  scripts/build.sh win64
  tree=build/win64
fi
# The game's content: demo/content packed with the qar tool into the game
# folder's qars folder, named by the mount list file in the working directory.
echo "demo: packing the sample game's content" >&2
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/host -j2 --target qar >build/host-qar.log 2>&1 || { tail -n 20 build/host-qar.log >&2; exit 1; }
game=build/demo
rm -rf "$game"
mkdir -p "$game/qars"
build/host/tools/qar/qar pack --preload 16 demo/content "$game/qars/pak01" >&2
printf '"qars"\n{\n\t"spewfileio"\t"false"\n\t"mount"\n\t{\n\t\t"content"\t"qars\\pak01"\n\t}\n}\n' >"$game/wexla_qars.rmk"
root="$(pwd)"
cd "$game"
"$root/$tree/wine-run.sh" "$root/$tree/bin/sample_game.exe"
