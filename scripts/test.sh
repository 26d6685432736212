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

# Windows need a display (the assertion dialog's tests): a virtual X server
# for the length of the run when none is set.
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  display=""
  read -r -t 30 display <"$fifo" || true
  rm -f "$fifo"
  if [ -n "$display" ]; then
    export DISPLAY=":$display"
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  else
    kill "$xvfb_pid" 2>/dev/null || true
    echo "test: no virtual display; the assertion dialog's tests are skipped" >&2
  fi
fi

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
