#!/usr/bin/env bash
# `make windows-test`: the Windows build checked under Wine, after `make
# windows`. Every step runs in the build's throw-away Wine prefix
# (build-win/build/wineprefix, Windows 10, Wine's fonts on drive C):
#
#  1. CTest in build-win/build: the test programs that need no
#     pseudo-terminal, as Windows programs (numbers, port file, decoding,
#     recordings, settings file, the window tests on the in-memory link; the
#     number tests again on a Turkish desktop), and the real program:
#     --version, the automation channel, a screenshot of the main window,
#     and a band level sent through COM12 to the Linux simulated unit.
#     All under one Xvfb, so that Wine's desktop always has the same display.
#  2. The folder's import tables: every DLL in the folder or Windows', and
#     the check itself fails on a folder with a DLL taken out.
#  3. The program started from the folder alone (no Qt on Wine's path).
#  4. The installer: `setup.exe /S`, the installed program answers
#     --version, the Start menu entry and the uninstall entry are there;
#     `uninstall.exe /S` removes all of them.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build-win"
build="$out/build"
folder="$out/zendalite"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
say() { echo "windows-test: $*" >&2; }
die() { echo "windows-test: $*" >&2; exit 1; }
[ -e "$build/CMakeCache.txt" ] && [ -d "$folder" ] || die "run 'make windows' first"

prefix="$(sed -n 's/^ZENDALITE_WINEPREFIX:PATH=//p' "$build/CMakeCache.txt")"
"$root/scripts/windows/make-wineprefix.sh" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The serial check talks to the Linux simulated unit: built in the Linux
# build when there is one (as in CI, after the Linux suite), else in a host
# build of its own beside the Windows one.
host="$root/build"
if [ ! -e "$host/CMakeCache.txt" ]; then
    host="$out/host"
    cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENDALITE_TESTS=OFF > /dev/null
fi
cmake --build "$host" --target zendalite-sim -j "$jobs" > /dev/null
export ZENDALITE_SIM="$host/sim/zendalite-sim"

# 1. CTest, with one Wine server kept running for the whole suite (a Qt
# program then starts in about 0.25 s instead of 0.7). A test that fails is
# run once more: once in CI a test program ended in 0.13 s without a line of
# output (Wine failing to start it, or it dying before its first line), and
# did not do so again in some 350 runs here; the same tests run natively in the
# Linux suite. A test that fails twice fails the suite, and wine-run.sh
# prints the exit code of every failed run.
say "tests under Wine"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wineserver -p
    wine cmd /c exit < /dev/null > /dev/null 2>&1 # Wine'"'"'s own processes, see wine-run.sh
    cd "$1" && ctest --output-on-failure -j "$2" --repeat until-pass:2; rc=$?
    wineserver -k || true
    exit $rc' ctest "$build" "$jobs"
wineserver -w

# 2. Import tables.
"$root/scripts/windows/check-imports.sh" "$folder"
broken="$(mktemp -d)"
trap 'rm -rf "$broken"' EXIT
cp -r "$folder/." "$broken/"
rm "$broken/Qt6Svg.dll"
if "$root/scripts/windows/check-imports.sh" "$broken" 2> /dev/null; then
    die "check-imports.sh passed a folder without Qt6Svg.dll"
fi

# 3. The folder on its own.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
answer="$(wine "$folder/zendalite.exe" --version | tr -d '\r' | head -n 1)"
[ "$answer" = "zendalite $version" ] || die "the folder's zendalite.exe --version said '$answer'"
say "folder: zendalite.exe --version answers '$answer'"

# 4. Install, run, uninstall.
setup="$out/zendalite-$version-setup.exe"
[ -e "$setup" ] || die "no $setup"
user="$(wine cmd /c 'echo %USERNAME%' | tr -d '\r')"
home="$prefix/drive_c/users/$user"
installed="$home/AppData/Local/Programs/Zendalite"
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zendalite.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zendalite'
rm -rf "$installed"
wine "$setup" /S
wineserver -w
[ -e "$installed/zendalite.exe" ] || die "setup /S installed nothing into $installed"
[ -e "$menu" ] || die "setup /S made no Start menu entry"
wine reg query "$key" /v UninstallString > /dev/null 2>&1 || die "setup /S registered no uninstaller"
answer="$(wine "$installed/zendalite.exe" --version | tr -d '\r' | head -n 1)"
[ "$answer" = "zendalite $version" ] || die "the installed zendalite.exe --version said '$answer'"
say "installed: $(find "$installed" -type f | wc -l) files, --version answers '$answer'"
wine "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] || die "uninstall /S left $(find "$installed" | head -n 3)"
[ ! -e "$menu" ] || die "uninstall /S left the Start menu entry"
if wine reg query "$key" > /dev/null 2>&1; then die "uninstall /S left the uninstall entry"; fi
say "uninstalled: folder, Start menu entry and uninstall entry gone"
say "passed"
