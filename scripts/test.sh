#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test:
# the 64-bit suite under Wine, and the export checks of the 32-bit build.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64 i686
source "$root/scripts/wine-env.sh"
hx_wine_start
trap hx_wine_stop EXIT
status=0
ctest --test-dir "${HX_BUILD_ROOT:-$root/build}/i686" --output-on-failure || status=1
ctest --test-dir "${HX_BUILD_ROOT:-$root/build}/x86_64" --output-on-failure || status=1
# A short run of every parser fuzz target (native clang build).
"$root/scripts/fuzz.sh" 12 || status=1
exit $status
