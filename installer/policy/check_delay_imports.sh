#!/usr/bin/env bash
# check_delay_imports.sh OBJDUMP IMAGE DLL... : the image binds these libraries
# lazily: objdump shows a delay-import directory naming them, and none of them
# among the ordinary imports.
set -u
objdump=$1; image=$2; shift 2
here=$(dirname "$0")
dump=$($objdump -p "$image") || exit 1
entry=$(printf '%s\n' "$dump" | awk '/^Entry d / {print $2 $3}')
if [ -z "$entry" ] || [ "$entry" = "0000000000000000" ] || [ "$entry" = "0000000000000000000000" ] ||
   [ -z "$(printf '%s' "$entry" | tr -d 0)" ]; then
  echo "no delay-import directory in $image"; exit 1
fi
printf '%s\n' "$dump" | grep '^Entry d '
for dll in "$@"; do
  if printf '%s\n' "$dump" | grep -qi "DLL Name: $dll\$"; then
    echo "$dll is an ordinary import of $image"; exit 1
  fi
done
python3 "$here/mark_delay_imports.py" --check "$image" "$@"
