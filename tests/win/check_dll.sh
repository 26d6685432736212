#!/usr/bin/env bash
# Checks the built wexla.dll without running it: the expected PE format, only
# Windows system DLLs imported, and exactly the names of wexla.def exported.
# Usage: check_dll.sh OBJDUMP DLL DEF EXPECTED_FORMAT
set -euo pipefail
objdump="$1" dll="$2" def="$3" format="$4"
fail=0
dump="$("$objdump" -p "$dll")"

if ! "$objdump" -f "$dll" | grep -q "file format $format"; then
  echo "FAIL: $dll is not $format"; fail=1
fi

allowed='^(KERNEL32|ADVAPI32|SHELL32|USER32|msvcrt)\.dll$'
imports="$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p')"
echo "imports: $(echo $imports)"
while read -r name; do
  [ -z "$name" ] && continue
  if ! [[ "$name" =~ $allowed ]]; then echo "FAIL: imports $name"; fail=1; fi
done <<< "$imports"

expected="$(sed -n '/^EXPORTS/,$p' "$def" | grep -v '^EXPORTS' | sed 's/;.*//' | awk 'NF {print $1}' | sort)"
actual="$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
          | sed -n 's/^\s*\[\s*[0-9]*\]\s*//p' | sort)"
if [ "$expected" != "$actual" ]; then
  echo "FAIL: exports differ from $def"; diff <(echo "$expected") <(echo "$actual") || true; fail=1
fi
echo "exports: $(echo "$actual" | wc -l)"
[ $fail -eq 0 ] && echo "wexla.dll structure: OK"
exit $fail
