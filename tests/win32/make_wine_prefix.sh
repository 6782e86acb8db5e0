#!/bin/sh
# Creates a Wine prefix for the backend probe unless it is there already (tens of seconds once).
# Usage: make_wine_prefix.sh <prefix> <win32|win64|win98>; win98 is a 32-bit prefix that reports
# the Windows 98 version (platform id 1).
set -eu
prefix=$1 arch=$2
# The marker is written last, so an interrupted set-up starts again from scratch.
[ -f "$prefix/.stow-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
if [ "$arch" = win98 ]; then WINEARCH=win32; fi
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
wineserver -w
if [ "$arch" = win98 ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win98 /f >/dev/null 2>&1
    wineserver -w
fi
[ -f "$prefix/system.reg" ]
touch "$prefix/.stow-ready"
