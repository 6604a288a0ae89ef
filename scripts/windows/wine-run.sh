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
# Wine keeps the user's locale settings (the decimal separator among them)
# in the prefix's registry and rewrites them when a program starts under
# another Unix locale: programs of two locales at once in one prefix would
# see each other's. A desktop in another language gets a prefix of its own.
locale="${LC_ALL:-${LANG:-C}}"
case "$locale" in
C | C.* | POSIX) ;;
*) WINEPREFIX="$WINEPREFIX-${locale%%.*}" ;;
esac
"$here/make-wineprefix.sh" "$WINEPREFIX"

export WINEPATH="${ZENDALITE_WINEPATH:-}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEQT_QPA_PLATFORM="${WINEQT_QPA_PLATFORM:-offscreen}"
export WINEQT_FORCE_STDERR_LOGGING=1
# The first program of a Wine server starts Wine's own background processes
# (services, devices, the desktop), which stay while the server lives and
# would keep the caller's output open: CTest would wait for them to close
# it. They are started here first, holding nothing of the caller's; the
# program's own run says whether Wine works, so a failure here is passed over.
wine cmd /c exit < /dev/null > /dev/null 2>&1 || true
# Wine prints nothing of its own when a program cannot start or dies (the
# debug channels are off), so the exit code is said here.
rc=0
wine "$@" || rc=$?
[ "$rc" -eq 0 ] || echo "wine-run: ${1##*/} exited with code $rc" >&2
exit "$rc"
