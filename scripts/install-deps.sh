#!/usr/bin/env bash
# Installs the Debian packages the tool needs to build, test and run its
# demo, when they are missing. Uses sudo when not run as root.
# --fuzz adds clang and its runtime for the libFuzzer targets; --package the
# package checkers (lintian, desktop-file-validate); --bench Google Benchmark
# and the profilers bench/profile.sh uses (valgrind, perf); --lint the
# layout checker (clang-format); --windows the MinGW-w64 cross compiler, Wine
# to run the Windows build's tests, and NSIS for its installer.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
    libxlsxwriter-dev zlib1g-dev
    qt6-qpa-plugins qt6-translations-l10n locales
    fonts-dejavu-core fonts-liberation2
    xvfb xauth
)
case "${1:-}" in
--fuzz) packages+=(clang libclang-rt-14-dev) ;;
--package) packages+=(lintian desktop-file-utils) ;;
--bench) packages+=(libbenchmark-dev valgrind linux-perf) ;;
--lint) packages+=(clang-format git) ;;
--windows)
    # The Windows Qt SDK is built with the posix thread model; its runtime
    # DLLs only fit code from these compilers. Wine's own fonts go into the
    # test prefix (Tahoma), imagemagick checks the screenshot's size.
    packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
        wine wine64 fonts-wine nsis imagemagick xz-utils libz-mingw-w64-dev curl)
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
else
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
