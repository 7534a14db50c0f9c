#!/usr/bin/env bash
# CTest's emulator: runs a Windows program under 64-bit Wine in the project prefix.
source "$(dirname "$0")/wine-env.sh"
exec $HX_WINE "$@"
