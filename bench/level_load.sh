#!/usr/bin/env bash
# The level-load benchmark through wexla.dll's exports under Wine: builds
# level_load_bench in the Windows tree that can run here (build/win where
# 32-bit code runs, else the x86_64 twin build/win64) and runs it. The
# content (about 4,000 files, 107 MiB, loose and packed) is made once in
# build/level-load; --clean deletes it afterwards.
#   bench/level_load.sh [--clean] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
clean=0
if [[ "${1:-}" == "--clean" ]]; then clean=1; shift; fi
rounds="${1:-5}"
if scripts/can-run-win32.sh >/dev/null 2>&1; then tree=win; else tree=win64; fi
WEXLA_QUIET_BUILD=1 scripts/build.sh "$tree"
cmake --build "build/$tree" -j2 --target level_load_bench >/dev/null
work="$(pwd)/build/level-load"
mkdir -p "$work"
# Wine sees the work folder through its drive for the root of the file system.
"build/$tree/wine-run.sh" "build/$tree/bin/level_load_bench.exe" "Z:${work//\//\\}" "$rounds"
if [[ $clean == 1 ]]; then rm -rf "$work"; fi
