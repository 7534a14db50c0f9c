#!/usr/bin/env bash
# build.sh [x86_64|i686]...: configures and builds into build/<arch>. Idempotent.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
archs=${*:-x86_64 i686}
for arch in $archs; do
  dir=${HX_BUILD_ROOT:-$root/build}/$arch
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
done
