#!/usr/bin/env bash
# check-exports.sh OBJDUMP DLL NAME... : the DLL exports exactly these names.
set -u
objdump=$1; dll=$2; shift 2
actual=$($objdump -p "$dll" | awk '
  /^\[Ordinal\/Name Pointer\] Table/ {on=1; next}
  on && /^[[:space:]]*\[/ {print $NF; next}
  on && NF==0 {on=0}' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exports of $dll differ"
  echo "expected:"; echo "$expected"
  echo "actual:"; echo "$actual"
  exit 1
fi
echo "exports of $(basename "$dll") ok: $*"
