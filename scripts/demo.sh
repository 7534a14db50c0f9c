#!/usr/bin/env bash
# Main job: install what is missing, build, and run a sample hotfix installation
# under Wine, then show its outcome.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
hx_wine_start
trap hx_wine_stop EXIT
bash "$root/scripts/demo-run.sh"
