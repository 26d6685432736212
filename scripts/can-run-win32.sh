#!/usr/bin/env bash
# Exits 0 when this machine can run the 32-bit Windows build under Wine. Some
# kernels are built or booted without 32-bit emulation; Wine then cannot run
# any 32-bit program, and the tests fall back to the 64-bit twin build.
cd "$(dirname "$0")/.."
timeout 120 build/win/wine-run.sh build/win/bin/wexla_probe.exe >/dev/null 2>&1
