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
"$wine" "$bin/tvsim_setup.exe" install --root "$work_win\\Tarnvale" --key Client \
  --version 8.00 --build 1234
pkg=$work_unix/package
make_package "$pkg"
plugin=hxtest_plugin.dll
[ -f "$bin/hxgeneric.dll" ] && plugin=hxgeneric.dll
cp "$bin/$plugin" "$pkg/"
mkdir -p "$pkg/Common/client/docs" "$pkg/64/client" "$pkg/32/client"
echo "fixed readme" > "$pkg/Common/client/readme.txt"
echo "fixed manual" > "$pkg/Common/client/docs/manual.txt"
echo "64-bit part" > "$pkg/64/client/engine64.txt"
echo "32-bit part" > "$pkg/32/client/engine32.txt"
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
[Client]
Files=client
PlugIn=$plugin
RegKey=Client
NewerFilesOnly=1
TestProductDir=$work_win\\Tarnvale\\Client\\
[CustomRegistrySettings]
DeleteValue0=HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Tarnvale\\Client\\\\ObsoleteSetting
INI
run_installer "$pkg"
echo "hxupd exit code: $?"
echo "log $work_win\\package\\hxupd.log:"
show_log "$pkg/hxupd.log"
echo "result for the setup program:"
"$wine" 'C:\windows\system32\reg.exe' query 'HKLM\Software\Quillmoor\Tarnvale\TVSetup' | tr -d '\r'
echo "product directory after the update:"
(cd "$work_unix/Tarnvale/Client" && find . -type f | sort | sed 's/^/  /')

"$wine" "$bin/tvsim_setup.exe" uninstall
exit 0
