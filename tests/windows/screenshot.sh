#!/usr/bin/env bash
# The main window of the Windows program drawn by Qt's Windows platform
# plugin under Xvfb (Wine's X11 driver), written by --screenshot: the PNG is
# there and has the window's fixed size. The image is kept for people to
# look at (fonts, Turkish letters, the skin).
#
#   screenshot.sh zendalite.exe WORKDIR     (ZENDALITE_EMULATOR runs it)
set -euo pipefail
exe="$1" work="$2"
mkdir -p "$work"
shot="$work/main.png"
rm -f "$shot"
# Wine's desktop keeps the display the first program of its server found:
# scripts/windows/test.sh runs the whole suite under one Xvfb. Alone, this
# test makes its own.
xvfb=()
[ -n "${DISPLAY:-}" ] || xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")
# shellcheck disable=SC2086 # the emulator is a command with its arguments
WINEQT_QPA_PLATFORM=windows timeout 90 "${xvfb[@]}" $ZENDALITE_EMULATOR "$exe" --screenshot "$shot" --quit-after 6 > "$work/stdout" 2> "$work/stderr" ||
    { cat "$work/stderr" >&2; exit 1; }
[ -s "$shot" ] || { echo "screenshot: no PNG written" >&2; cat "$work/stderr" >&2; exit 1; }
size="$(identify -format '%wx%h' "$shot")"
[ "$size" = 800x600 ] || { echo "screenshot: $size, not the window's 800x600" >&2; exit 1; }
echo "screenshot: $shot ($size)"
