#!/usr/bin/env bash
# Builds wexla.dll and plays the sample game's day with it under Wine (the
# 64-bit twin where this machine cannot run 32-bit code).
set -euo pipefail
cd "$(dirname "$0")/.."
export WEXLA_QUIET_BUILD=1
scripts/setup.sh
echo "demo: building wexla.dll, the stand-ins, qar.exe and the sample game" >&2
scripts/build.sh win
tree=build/win
if ! scripts/can-run-win32.sh; then
  echo "demo: this machine cannot run 32-bit code; running the 64-bit twin build" >&2
  scripts/build.sh win64
  tree=build/win64
fi
demo/game_day.sh "$tree" build/demo
