#!/bin/sh
# Makes the Wine prefix the Windows scenarios run in, afresh, once per test
# run:   make-prefix.sh WINE WINESERVER PREFIX
# Exits 77 (skipped) where Wine is not installed.
set -eu
wine=$1 wineserver=$2 prefix=$3
if [ ! -x "$wine" ] || [ ! -x "$wineserver" ]; then
  echo "Wine (Debian's wine64) is not installed: no Windows scenarios." \
    "tools/install-deps test installs it."
  exit 77
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEDEBUG=-all
# No installer of .NET or HTML support is offered: the game needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# wineboot draws nothing, but parts of a new prefix want an X server.
xvfb-run -a "$wine" wineboot -i
# Wine leaves activating a window that gets the X focus to the window
# manager's WM_TAKE_FOCUS; the scenarios' X servers have no window manager,
# so the X focus itself activates the window, as a click does on Windows.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f
# Done when every process of the prefix has ended.
"$wineserver" -w
test -f "$prefix/system.reg"
echo "Wine prefix made: $prefix"
