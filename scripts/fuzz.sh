#!/usr/bin/env bash
# Builds the parser fuzz targets natively (clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) into build/fuzz and runs each for SECONDS.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 60 s, every target)
#
# Each run starts from a copy of fuzz/corpus/<target> (the seeds stay as
# they are); new inputs go to build/fuzz/work/<target>/corpus, findings to
# build/fuzz/work/<target>/ and the output to build/fuzz/work/<target>/log.
# HX_FUZZ_WORK moves that work folder; HX_FUZZ_NO_BUILD=1 runs the targets
# already built (for runs side by side). Exits non-zero when any target finds
# a fault or fails to run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${HX_BUILD_ROOT:-$root/build}/fuzz"
seconds=${1:-60}
[ $# -gt 0 ] && shift
case "$seconds" in ''|*[!0-9]*) echo "usage: $0 [SECONDS] [TARGET...]" >&2; exit 2 ;; esac

if [ "${HX_FUZZ_NO_BUILD:-0}" != 1 ]; then
  CXX=${HX_FUZZ_CXX:-clang++-14} cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE= >/dev/null
  cmake --build "$build" -j "${HX_FUZZ_JOBS:-2}" >/dev/null
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

status=0
for t in "${targets[@]}"; do
  if [ ! -x "$build/$t" ]; then
    echo "fuzz: no target $t" >&2
    status=1
    continue
  fi
  work="${HX_FUZZ_WORK:-$build/work}/$t"
  mkdir -p "$work/corpus"
  cp -n "$root/fuzz/corpus/$t"/* "$work/corpus/" 2>/dev/null || true
  if (cd "$work" && "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -print_final_stats=1 "$work/corpus" >"$work/log" 2>&1); then
    echo "fuzz: $t ok ($(grep -E '^stat::number_of_executed_units' "$work/log" | awk '{print $2}') runs in ${seconds} s)"
  else
    echo "fuzz: $t FAILED, see $work/log" >&2
    grep -E 'ERROR|runtime error|check failed|Test unit written' "$work/log" | head -5 >&2 || true
    status=1
  fi
done
exit $status
