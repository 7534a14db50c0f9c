#!/usr/bin/env bash
# The sample hotfix installation, run by demo.sh inside a started Wine prefix.
#  1. A package for a product that is not installed: hxupd reads the package,
#     writes its log, finds the product missing and ends with exit code 0.
#  2. When the simulated product is built: it is installed, a package with one
#     plug-in and a few files is installed into it, and the result is shown.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${HX_BIN:-${HX_BUILD_ROOT:-$root/build}/x86_64/bin}
wine=${HX_WINE:-/usr/lib/wine/wine64}
work_unix=$WINEPREFIX/drive_c/hxdemo
work_win='C:\hxdemo'

section() { printf '\n=== %s ===\n' "$1"; }
show_log() { tr -d '\r' < "$1" | sed 's/^/  | /'; }

make_package() {  # <folder> : installer and the product's libraries beside it
  rm -rf "$1" && mkdir -p "$1"
  cp "$bin/hxupd.exe" "$1/"
  for lib in TVPMAPI.dll tvisu.dll; do
    [ -f "$bin/$lib" ] && cp "$bin/$lib" "$1/"
  done
}

run_installer() {  # <folder>
  (cd "$1" && "$wine" ./hxupd.exe)
}

rm -rf "$work_unix"
mkdir -p "$work_unix"

section "1. Package for a product that is not installed"
make_package "$work_unix/missing"
cat > "$work_unix/missing/HOTFIX.INI" <<INI
[General]
ID=HF-DEMO-0
Description_ENG=Demo hotfix for a product that is not installed
Log=$work_win\\missing\\hxupd.log
[Product]
ProductOID=1.3.6.1.4.1.5839.999
ProductName=Not installed
VerMin=1.00
VerMax=9.00
[Plugins]
PlugIn_1=Main
[Main]
Files=main
PlugIn=main.dll
INI
run_installer "$work_unix/missing"
echo "hxupd exit code: $?"
echo "log $work_win\\missing\\hxupd.log:"
show_log "$work_unix/missing/hxupd.log"

if [ ! -f "$bin/tvsim_setup.exe" ]; then
  echo "(simulated product not built: no full installation shown)"
  exit 0
fi

section "2. Full installation into the simulated product"
# The product, with its agent service "tvma" running.
"$wine" "$bin/tvsim_setup.exe" install --root "$work_win\\Tarnvale" --key Client \
  --version 8.00 --build 1234
product_unix=$work_unix/Tarnvale/Client
product_win="$work_win\\Tarnvale\\Client"

# The package: the generic plug-in stops and restarts the agent around the
# copy and puts the language file in place; the starter plug-in runs a product
# program afterwards; "Common" and "64" trees; custom settings.
pkg=$work_unix/package
make_package "$pkg"
cp "$bin/hxgeneric.dll" "$bin/tvhxstarter.dll" "$pkg/"
mkdir -p "$pkg/Common/client/docs" "$pkg/64/client" "$pkg/32/client" "$pkg/Common/tools"
echo "fixed readme" > "$pkg/Common/client/readme.txt"
echo "fixed manual" > "$pkg/Common/client/docs/manual.txt"
echo "messages (generic)" > "$pkg/Common/client/messages.txt"
echo "messages (English)" > "$pkg/Common/client/messages.txt.ENU"
echo "fixed engine, new version" > "$pkg/Common/client/engine.dat"
echo "64-bit part" > "$pkg/64/client/engine64.txt"
echo "32-bit part" > "$pkg/32/client/engine32.txt"
cp "$bin/startprobe.exe" "$pkg/Common/tools/"
cat > "$pkg/HOTFIX.INI" <<INI
[General]
ID=HF-DEMO-1
Description_ENG=Demo hotfix for the simulated product
ReleaseDate=2024-06-01
Log=$work_win\\package\\hxupd.log
[Product]
ProductOID=1.3.6.1.4.1.5839.11
ProductRegKey=Client
ProductName=Tarnvale Client
VerMin=8.00
VerMax=8.50
[Plugins]
PlugIn_1=Client
PlugIn_2=Starter
[Client]
Files=client
PlugIn=hxgeneric.dll
RegKey=Client
NewerFilesOnly=1
StopService1=tvma
LanguageFile1=messages.txt
[Starter]
Files=tools
PlugIn=tvhxstarter.dll
Path=startprobe.exe
CommandLine=exit=0 sleep=200
Timeout=30
[CustomPolicySettings]
SetValue0=1.3.6.1.4.1.5839.11.1.2,ENU
[CustomRegistrySettings]
SetValue0=1,HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Tarnvale\\Client\\\\HotfixTools|%TVDIR%tools
INI

# A product file held open by a running program: it is replaced at the next restart.
echo "old engine" > "$product_unix/engine.dat"
"$wine" "$bin/holdfile.exe" "$product_win\\engine.dat" 600 &
holder=$!
for _ in $(seq 1 100); do [ -f "$product_unix/engine.dat.held" ] && break; sleep 0.2; done

show_result() {
  echo "result for the setup program (HKLM\\Software\\Quillmoor\\Tarnvale\\TVSetup):"
  "$wine" 'C:\windows\system32\reg.exe' query 'HKLM\Software\Quillmoor\Tarnvale\TVSetup' | tr -d '\r' | grep -E 'REG_' | sed 's/^ */  /'
  echo "installed-hotfix table of the product (1.3.6.1.4.1.5839.11.2.9.10):"
  "$wine" "$bin/tvsim_setup.exe" get 1.3.6.1.4.1.5839.11.2.9.10 | tr -d '\r' | sed 's/^/  /'
  echo "installed-hotfix table of the agent (1.3.6.1.4.1.5839.11.2.27.1):"
  "$wine" "$bin/tvsim_setup.exe" get 1.3.6.1.4.1.5839.11.2.27.1 | tr -d '\r' | sed 's/^/  /'
}

run_installer "$pkg"
echo "hxupd exit code: $?"
echo "log $work_win\\package\\hxupd.log:"
show_log "$pkg/hxupd.log"
show_result
echo "custom policy value 1.3.6.1.4.1.5839.11.1.2: $("$wine" "$bin/tvsim_setup.exe" get 1.3.6.1.4.1.5839.11.1.2 | tr -d '\r')"
echo "agent service:"
"$wine" 'C:\windows\system32\sc.exe' query tvma | tr -d '\r' | grep STATE | sed 's/^ */  /'
echo "product directory after the update:"
(cd "$product_unix" && find . -type f | sort | sed 's/^/  /')
echo "messages.txt now: $(tr -d '\r' < "$product_unix/messages.txt")"
echo "engine.dat (still held) now: $(cat "$product_unix/engine.dat")"
[ -f "$work_unix/Tarnvale/startprobe.exe.started.txt" ] && \
  echo "the starter plug-in ran: $(head -1 "$work_unix/Tarnvale/startprobe.exe.started.txt" | tr -d '\r')"

section "3. After a restart (wineboot -r performs the deferred replacement)"
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
"$wine" wineboot -r >/dev/null 2>&1
echo "engine.dat now: $(cat "$product_unix/engine.dat")"

section "4. The same package again: its rows are replaced in place, not duplicated"
run_installer "$pkg"
echo "hxupd exit code: $?"
show_result

"$wine" "$bin/tvsim_setup.exe" uninstall
exit 0
