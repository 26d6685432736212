#!/usr/bin/env bash
# qar.exe under Wine, as a modder on Windows types it: drive letters and
# backslashes, a pack, list, cat, extract and verify round trip.
# Usage: qar_exe_test.sh WINE_RUN QAR_EXE WORK_DIR
set -euo pipefail
run="$1" qar="$2" work="$3"
rm -rf "$work" && mkdir -p "$work/src/maps/sub" "$work/src/sound"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; } # Wine's Z: is the root folder

# Content with line feeds, CR LF and every byte value, so text-mode output
# would show; one file large enough for chunk data of its own.
printf 'line one\nline two\r\nend' > "$work/src/readme.txt"
head -c 300000 /dev/urandom > "$work/src/maps/sub/level1.bsp"
for i in $(seq 0 255); do printf "\\x$(printf %02x "$i")"; done > "$work/src/sound/bytes.raw"
: > "$work/src/sound/empty.wav"

fail=0
check() { # description command...
  local what="$1"; shift
  if "$@"; then echo "ok: $what" >&2; else echo "FAIL: $what" >&2; fail=1; fi
}
q() { "$run" "$qar" "$@"; }

src="$(winpath "$work/src")"
base="$(winpath "$work/out/depot_7")"
check "pack with a Windows path" q pack --chunk-size 128K "$src" "$base" >/dev/null
check "chunk files written" test -f "$work/out/depot_7_dir.qar" -a -f "$work/out/depot_7_000.qar"

list="$(q list "$(winpath "$work/out/depot_7_dir.qar")" | tr -d '\r')"
check "list names every file" test "$(printf '%s\n' "$list" | cut -f1 | sort | tr '\n' ' ')" = \
  "maps/sub/level1.bsp readme.txt sound/bytes.raw sound/empty.wav "

lower="z:${base#Z:}"
q cat "$lower" 'Maps\Sub\LEVEL1.bsp' > "$work/cat.bin"
check "cat with a lower-case drive and backslashes gives the bytes" cmp -s "$work/cat.bin" "$work/src/maps/sub/level1.bsp"
q cat "$base" 'readme.txt' > "$work/cat.txt"
check "cat keeps line feeds as they are" cmp -s "$work/cat.txt" "$work/src/readme.txt"
q cat "$base" 'sound/bytes.raw' > "$work/cat.raw"
check "cat keeps every byte value" cmp -s "$work/cat.raw" "$work/src/sound/bytes.raw"
set +e; q cat "$base" 'no\such.file' >/dev/null 2>&1; status=$?; set -e
check "cat of a missing path exits with 1" test "$status" = 1

check "extract into a new Windows folder" q extract "$base" "$(winpath "$work/extracted")"
check "extracted tree equals the source" diff -r "$work/src" "$work/extracted"
check "verify" q verify "$base" >/dev/null

exit $fail
