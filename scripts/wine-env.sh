# Sourced by the scripts: the Wine prefix the project runs in, and a persistent
# wineserver for it with its standard streams detached (background Wine
# processes that hold a caller's pipes would otherwise hang CTest).
# HX_WINEPREFIX chooses the prefix; default: build/wineprefix in the checkout.
HX_ROOT=${HX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${HX_WINEPREFIX:-$HX_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win64
HX_WINE=/usr/lib/wine/wine64
HX_WINESERVER=/usr/lib/wine/wineserver

hx_wine_start() {
  # The server needs the prefix folder to exist, also before its first boot.
  mkdir -p "$WINEPREFIX"
  setsid $HX_WINESERVER -p </dev/null >/dev/null 2>&1 || true
  # Plain wineboot, in the foreground: it creates or updates the prefix and
  # starts one service manager. "wineboot -i" on a running server starts a
  # second one, and then services created through one cannot be started or
  # deleted through the other.
  setsid $HX_WINE wineboot </dev/null >/dev/null 2>&1 || true
}

hx_wine_stop() {
  $HX_WINESERVER -k >/dev/null 2>&1 || true
  $HX_WINESERVER -w >/dev/null 2>&1 || true
}
