#!/usr/bin/env bash
# check-hardening.sh OBJDUMP ARCH BINARY: the binary is built with ASLR, DEP
# (and high-entropy ASLR on x64) and carries the stack protector.
set -u
objdump=$1; arch=$2; bin=$3
headers=$($objdump -p "$bin")
chars=$(echo "$headers" | awk '/^DllCharacteristics/ {print $2}')
fail=0
need() {  # need FLAG_VALUE NAME
  if (( (16#$chars & $1) == 0 )); then echo "$(basename "$bin"): missing $2"; fail=1; fi
}
need 0x0040 DYNAMIC_BASE
need 0x0100 NX_COMPAT
[ "$arch" = x64 ] && need 0x0020 HIGH_ENTROPY_VA
if ! $objdump -t "$bin" | grep -q '__stack_chk_fail'; then
  echo "$(basename "$bin"): no stack protector"; fail=1
fi
[ $fail = 0 ] && echo "$(basename "$bin"): DllCharacteristics $chars, stack protector present"
exit $fail
