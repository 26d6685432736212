#!/usr/bin/env bash
# Configures and builds the trees:
#   build/host   native: portable code, host tests, tools
#   build/asan   the host build under AddressSanitizer and UndefinedBehaviorSanitizer
#   build/tsan   the host build under ThreadSanitizer
#   build/win    i686 mingw: the product wexla.dll, the demo, the win tests
#   build/win64  x86_64 mingw twin of build/win, for machines that cannot run
#                32-bit code (the same sources and tests)
# Usage: scripts/build.sh [host|asan|tsan|win|win64|all]
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
jobs="$(nproc)"

configure_and_build() { # dir [cmake args...]
  local dir="$1"; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

case "$what" in host|all) configure_and_build build/host ;; esac
case "$what" in asan|all) configure_and_build build/asan -DWEXLA_SANITIZE=address,undefined ;; esac
case "$what" in tsan|all) configure_and_build build/tsan -DWEXLA_SANITIZE=thread ;; esac
case "$what" in win|all)
  configure_and_build build/win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake ;; esac
case "$what" in win64|all)
  configure_and_build build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake ;; esac
