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

# WEXLA_QUIET_BUILD=1 keeps the build's output in <dir>.log and shows it only
# when the build fails.
configure_and_build() { # dir [cmake args...]
  local dir="$1"; shift
  if [ "${WEXLA_QUIET_BUILD:-0}" = 1 ]; then
    mkdir -p build
    if ! { cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
           cmake --build "$dir" -j "$jobs"; } >"$dir.log" 2>&1; then
      tail -n 40 "$dir.log" >&2
      echo "build of $dir failed; the whole output is in $dir.log" >&2
      exit 1
    fi
  else
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
  fi
}

case "$what" in host|all) configure_and_build build/host ;; esac
case "$what" in asan|all) configure_and_build build/asan -DWEXLA_SANITIZE=address,undefined ;; esac
case "$what" in tsan|all) configure_and_build build/tsan -DWEXLA_SANITIZE=thread ;; esac
case "$what" in win|all)
  configure_and_build build/win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake ;; esac
case "$what" in win64|all)
  configure_and_build build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake ;; esac
