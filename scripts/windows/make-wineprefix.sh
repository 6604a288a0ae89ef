#!/usr/bin/env bash
# Makes a throw-away Wine prefix for the Windows build's tests, once: Windows
# 10 (Wine 8 says Windows 7 by default, older than Qt 6 supports) and Wine's
# own fonts on drive C (Debian's Wine leaves them out, and Qt's default
# dialog font then falls on an arbitrary host font). Safe to call from tests
# running side by side: the first makes it, the others wait.
#
#   make-wineprefix.sh DIR
set -euo pipefail
prefix="${1:?usage: make-wineprefix.sh DIR}"
[ -e "$prefix/.zendalite-ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -e "$prefix/.zendalite-ready" ] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
wineboot -i > /dev/null 2>&1
wineserver -w
wine winecfg -v win10 > /dev/null 2>&1
wineserver -w
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
touch "$prefix/.zendalite-ready"
