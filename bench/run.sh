#!/usr/bin/env bash
# bench/run.sh [FILES TOTAL_MB]...: the benchmarks, side by side in one run.
# Prints every time taken, the medians and the ratios pair by pair. Not a test.
#
#   bench/run.sh                 the 200-file (15 MB) and 2,000-file (150 MB) trees
#   bench/run.sh 200 15          one tree only
#
# Environment: HX_BENCH_RUNS (runs per contender, default 5), HX_BENCH_BUILD
# (build folder, default build/bench/x86_64), HX_WINEPREFIX (Wine prefix,
# default build/wineprefix-bench), HX_BENCH_SKIP_BUILD=1 (use the build as is),
# HX_BENCH_PARTS (default "copy table poll": which parts to run).
#
# Contenders, each a whole Wine process started from the host:
#   copy into an empty product folder: bench_barecopy (FindFirstFileW/CopyFileW/
#     CreateDirectoryW), Wine's xcopy /E, hxupd (log on), msiexec /i of a wixl MSI;
#   copy over the files of an earlier installation: bench_barecopy, the naive
#     loop (GetFileVersionInfo of both files and one flushed log line per file),
#     hxupd with NewerFilesOnly (log on);
#   peak memory of hxupd for each tree (bench_peakmem);
#   AddInstalledHotFixEntryToPolicy against a bare read and write of both tables,
#     10,000 rows in each (bench_hotfix_table, in process);
#   TVMAUTIL POLL against a running agent, against cmd.exe /c exit.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${HX_BENCH_RUNS:-5}
build=${HX_BENCH_BUILD:-$root/build/bench/x86_64}
parts=${HX_BENCH_PARTS:-copy table poll}
export HX_WINEPREFIX=${HX_WINEPREFIX:-$root/build/wineprefix-bench}
if [ $# -eq 0 ]; then set -- 200 15 2000 150; fi

if [ "${HX_BENCH_SKIP_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" >/dev/null || exit 1
  cmake --build "$build" -j"$(nproc)" --target hxupd hxgeneric tvsim_setup tvsim_tvpmapi \
        tvsim_tvisu tvma32 tvmasvc tvsim_service TVMAUTIL bench_barecopy bench_peakmem \
        bench_hotfix_table hxtest_ver_1240 >/dev/null || exit 1
fi
bin=$build/bin

# shellcheck source=../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
hx_wine_start
trap 'hx_wine_stop' EXIT
wine=$HX_WINE

scratch_unix=$WINEPREFIX/drive_c/hxbench
scratch_win='C:\hxbench'
mkdir -p "$scratch_unix"
product_unix=$scratch_unix/Tarnvale
product_win="$scratch_win\\Tarnvale"
dest_unix=$product_unix/Client
dest_win="$product_win\\Client"

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}'; }
# timed NAME COMMAND...: runs the command, appends its milliseconds to the
# array times_NAME and prints them; a non-zero exit status is shown.
timed() {
  local name=$1; shift
  local t0 t1 rc
  t0=$(now_ms)
  "$@" >/dev/null 2>&1
  rc=$?
  t1=$(now_ms)
  eval "times_$name+=($((t1 - t0)))"
  printf '  %-14s %6d ms%s\n' "$name" $((t1 - t0)) "$([ $rc -ne 0 ] && echo "  (exit $rc)")"
}
report() {  # report TITLE BASE NAME... : medians and each contender against BASE
  local title=$1 base=$2; shift 2
  local bm m n
  eval "bm=\$(median \"\${times_$base[@]}\")"
  printf '%s (medians of %d runs):\n' "$title" "$runs"
  for n in "$base" "$@"; do
    eval "m=\$(median \"\${times_$n[@]}\")"
    printf '  %-14s %6d ms  %s x %s\n' "$n" "$m" "$(ratio "$m" "$bm")" "$base"
  done
}
clear_dest() { rm -rf "$dest_unix" && mkdir -p "$dest_unix"; }

echo "machine: $(uname -srm); $(nproc) cores; $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "wine: $($wine --version 2>/dev/null); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "runs per contender: $runs"

# ---------------------------------------------------------------- product
"$wine" "$bin/tvsim_setup.exe" uninstall >/dev/null 2>&1
"$wine" "$bin/tvsim_setup.exe" install --no-start --root "$product_win" --key Client \
  --version 8.00 --build 1234 >/dev/null 2>&1 || { echo "cannot install the product"; exit 1; }

make_package() {  # make_package DIR_UNIX TREE_UNIX NEWER(0|1) LOG_WIN
  local pkg=$1
  mkdir -p "$pkg/Common"
  cp "$bin/hxupd.exe" "$bin/TVPMAPI.dll" "$bin/tvisu.dll" "$bin/hxgeneric.dll" "$pkg/"
  rm -rf "$pkg/Common/client"
  ln -s "$2" "$pkg/Common/client"
  cat > "$pkg/HOTFIX.INI" <<INI
[General]
ID=HF-BENCH-1
Description_ENG=Benchmark hotfix
ReleaseDate=2024-06-01
Log=$4
[Product]
ProductOID=1.3.6.1.4.1.5839.11
ProductRegKey=Client
ProductName=Tarnvale Client
VerMin=8.00
VerMax=8.50
[Plugins]
PlugIn_1=Client
[Client]
Files=client
PlugIn=hxgeneric.dll
RegKey=Client
NewerFilesOnly=$3
INI
}

copy_part() {  # copy_part FILES MB
  local files=$1 mb=$2 i
  local tag=t$files
  local tree_unix=$scratch_unix/trees/$tag tree_win="$scratch_win\\trees\\$tag"
  if [ ! -f "$tree_unix.stamp" ]; then
    rm -rf "$tree_unix" && mkdir -p "$tree_unix"
    python3 "$root/bench/gen_tree.py" "$tree_unix" "$files" "$mb"
    # One file in ten is a DLL with version information, so that version
    # reads meet real version resources.
    local n=0
    while IFS= read -r f; do
      n=$((n + 1))
      [ $((n % 10)) -eq 0 ] && cp "$bin/hxtest_ver_1240.dll" "${f%.bin}.dll" && rm "$f"
    done < <(find "$tree_unix" -type f -name '*.bin' | sort)
    touch "$tree_unix.stamp"
  fi
  local count bytes
  count=$(find "$tree_unix" -type f | wc -l)
  bytes=$(du -sb "$tree_unix" | cut -f1)
  local msi_unix=$scratch_unix/trees/$tag.msi msi_win="$scratch_win\\trees\\$tag.msi"
  if [ ! -f "$msi_unix" ]; then
    python3 "$root/bench/gen_wxs.py" "$tree_unix" "$scratch_unix/trees/$tag.wxs"
    (cd "$scratch_unix/trees" && wixl -o "$msi_unix.tmp" "$tag.wxs" 2>/dev/null) &&
      mv "$msi_unix.tmp" "$msi_unix"
  fi
  local pkg_unix=$scratch_unix/pkg-$tag pkg_win="$scratch_win\\pkg-$tag"
  local pkgn_unix=$scratch_unix/pkgn-$tag pkgn_win="$scratch_win\\pkgn-$tag"
  local log_unix=$scratch_unix/hx.log log_win="$scratch_win\\hx.log"
  local naive_unix=$scratch_unix/naive.log naive_win="$scratch_win\\naive.log"
  make_package "$pkg_unix" "$tree_unix" 0 "$log_win"
  make_package "$pkgn_unix" "$tree_unix" 1 "$log_win"

  echo
  echo "=== tree of $count files, $((bytes / 1048576)) MiB ==="
  unset times_bare times_xcopy times_hxupd times_msiexec times_bare_over times_naive \
        times_hxupd_newer
  for i in $(seq "$runs"); do
    echo "run $i, into an empty product folder:"
    clear_dest; timed bare "$wine" "$bin/bench_barecopy.exe" "$tree_win" "$dest_win"
    clear_dest; timed xcopy "$wine" 'C:\windows\system32\xcopy.exe' /E /I /Y /Q "$tree_win" "$dest_win"
    clear_dest; rm -f "$log_unix"
    timed hxupd "$wine" "$pkg_win\\hxupd.exe"
    grep -q "Exit code: 0" "$log_unix" || echo "  (hxupd did not end with exit code 0)"
    clear_dest; timed msiexec "$wine" 'C:\windows\system32\msiexec.exe' /i "$msi_win" /qn \
      "INSTALLDIR=$dest_win\\"
    [ -f "$dest_unix/$(cd "$tree_unix" && find . -type f | sort | tail -1)" ] ||
      echo "  (msiexec did not install the tree)"
    "$wine" 'C:\windows\system32\msiexec.exe' /x "$msi_win" /qn >/dev/null 2>&1
    echo "run $i, over the files of an earlier installation:"
    clear_dest; "$wine" "$bin/bench_barecopy.exe" "$tree_win" "$dest_win" >/dev/null 2>&1
    timed bare_over "$wine" "$bin/bench_barecopy.exe" "$tree_win" "$dest_win"
    rm -f "$naive_unix"
    timed naive "$wine" "$bin/bench_barecopy.exe" "$tree_win" "$dest_win" --naive "$naive_win"
    rm -f "$log_unix"
    timed hxupd_newer "$wine" "$pkgn_win\\hxupd.exe"
    grep -q "Exit code: 0" "$log_unix" || echo "  (hxupd did not end with exit code 0)"
  done
  echo
  report "into an empty product folder, $count files" bare xcopy hxupd msiexec
  printf '  hxupd against xcopy: %s; msiexec against hxupd: %s\n' \
    "$(ratio "$(median "${times_hxupd[@]}")" "$(median "${times_xcopy[@]}")")" \
    "$(ratio "$(median "${times_msiexec[@]}")" "$(median "${times_hxupd[@]}")")"
  report "over an earlier installation, $count files" bare_over naive hxupd_newer
  printf '  hxupd_newer against naive: %s; msiexec against hxupd_newer: %s\n' \
    "$(ratio "$(median "${times_hxupd_newer[@]}")" "$(median "${times_naive[@]}")")" \
    "$(ratio "$(median "${times_msiexec[@]}")" "$(median "${times_hxupd_newer[@]}")")"
  echo "peak memory of hxupd, $count files:"
  clear_dest; rm -f "$log_unix"
  printf '  log on:          %s\n' "$("$wine" "$bin/bench_peakmem.exe" "$pkg_win\\hxupd.exe" | tr -d '\r')"
  rm -f "$log_unix"
  printf '  NewerFilesOnly:  %s\n' "$("$wine" "$bin/bench_peakmem.exe" "$pkgn_win\\hxupd.exe" | tr -d '\r')"
  clear_dest
}

table_part() {
  echo
  echo "=== installed-hotfix tables, 10,000 rows in each ==="
  local log_win="$scratch_win\\table.log"
  rm -f "$scratch_unix/table.log"
  "$wine" "$bin/bench_hotfix_table.exe" 10000 "$runs" "$log_win" | tr -d '\r'
}

poll_part() {
  echo
  echo "=== TVMAUTIL POLL against a running agent ==="
  "$wine" "$bin/tvsim_setup.exe" services start >/dev/null 2>&1 ||
    { echo "cannot start the agent"; return; }
  unset times_cmd_exit times_poll
  local i
  # A first run of each, not counted: loads what the later runs find cached.
  "$wine" 'C:\windows\system32\cmd.exe' /c exit >/dev/null 2>&1
  "$wine" "$bin/TVMAUTIL.exe" POLL >/dev/null 2>&1
  for i in $(seq $((runs * 2))); do
    timed cmd_exit "$wine" 'C:\windows\system32\cmd.exe' /c exit
    timed poll "$wine" "$bin/TVMAUTIL.exe" POLL
  done
  "$wine" "$bin/TVMAUTIL.exe" POLL | tr -d '\r' | sed 's/^/  TVMAUTIL says: /'
  runs=$((runs * 2)) report "whole processes" cmd_exit poll
  "$wine" "$bin/tvsim_setup.exe" services stop >/dev/null 2>&1
}

for part in $parts; do
  case $part in
    copy)
      set -- "$@"
      while [ $# -ge 2 ]; do copy_part "$1" "$2"; shift 2; done
      ;;
    table) table_part ;;
    poll) poll_part ;;
  esac
done
"$wine" "$bin/tvsim_setup.exe" uninstall >/dev/null 2>&1
echo
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
