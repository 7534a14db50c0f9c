#!/bin/bash
# check_imports.sh <objdump> <exe> <dll> <name>... [-- <dll> <name>...]
# Passes when each listed DLL is imported by exactly the given names.
set -u
objdump=$1
exe=$2
shift 2
table=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
status=0
while [ $# -gt 0 ]; do
  dll=$1
  shift
  want=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do want+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  # Lines after "DLL Name: <dll>" up to the next blank line: "<hint-rva> <ordinal> <name>".
  got=$(printf '%s\n' "$table" | awk -v dll="$dll" '
    /DLL Name:/ { inside = ($3 == dll); next }
    inside && NF == 0 { inside = 0 }
    inside && NF >= 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' | sort)
  expected=$(printf '%s\n' "${want[@]}" | sort)
  if [ "$got" != "$expected" ]; then
    echo "imports from $dll differ:"
    diff <(echo "$expected") <(echo "$got")
    status=1
  fi
done
exit $status
