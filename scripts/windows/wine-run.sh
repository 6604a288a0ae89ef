#!/usr/bin/env bash
# Runs a Windows program under Wine the way the Windows build's tests need
# it (CTest's CROSSCOMPILING_EMULATOR): in the build's own throw-away Wine
# prefix, made on first use, with Qt's DLLs on the path.
#
#   ZENDALITE_WINEPREFIX=DIR ZENDALITE_WINEPATH=QTBIN wine-run.sh prog.exe ARGS...
#
# Wine passes no Unix variable starting with QT_ to the program; WINEQT_X
# arrives as QT_X. Tests run on Qt's offscreen platform unless the caller
# chose another, and QtTest writes its log to standard error, not to the
# debugger channel it uses on Windows when no console is attached.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

export WINEPREFIX="${ZENDALITE_WINEPREFIX:?ZENDALITE_WINEPREFIX: the Wine prefix folder}"
"$here/make-wineprefix.sh" "$WINEPREFIX"

export WINEPATH="${ZENDALITE_WINEPATH:-}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEQT_QPA_PLATFORM="${WINEQT_QPA_PLATFORM:-offscreen}"
export WINEQT_FORCE_STDERR_LOGGING=1
exec wine "$@"
