#!/usr/bin/env bash
# Runs every test: host tests natively, then the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh all
status=0
jobs="$(nproc)"

echo "== host tests =="
ctest --test-dir build/host --output-on-failure -j "$jobs" || status=1
echo "== host tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1
echo "== host tests under ThreadSanitizer =="
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -j "$jobs" || status=1

if scripts/can-run-win32.sh; then
  echo "== win tests: wexla.dll (32-bit) under Wine =="
  ctest --test-dir build/win --output-on-failure || status=1
else
  echo "== win tests: this machine cannot run 32-bit code; wexla.dll (32-bit) is"
  echo "   checked without running it, and the tests run in the 64-bit twin build =="
  ctest --test-dir build/win --output-on-failure -LE wine || status=1
  ctest --test-dir build/win64 --output-on-failure || status=1
fi
exit $status
