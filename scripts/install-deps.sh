#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (run as root). Idempotent.
set -eu
pkgs="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
      binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 mingw-w64-tools
      wine wine64 msitools wixl googletest clang libclang-rt-14-dev python3"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing
fi
