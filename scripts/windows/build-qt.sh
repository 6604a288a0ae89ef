#!/usr/bin/env bash
# Builds Qt for Windows (x86_64, MinGW-w64 with posix threads) from Debian
# 12's own Qt 6.4.2 source packages, as `make windows` needs it when no
# ready one is at hand: qtbase, qtsvg, qtserialport and qtcharts, shared
# DLLs, Release, with the MinGW runtime DLLs the tool ships beside them.
# About 20 minutes on 2 cores; the result is one relocatable tarball.
#
#   OUT=~/.cache/zendalite/winqt/qt-6.4.2-mingw64.tar.xz scripts/windows/build-qt.sh
#
# WORK (sources and build trees, default /tmp/zendalite-winqt), OUT (the
# tarball, default $WORK/qt-6.4.2-mingw64.tar.xz), JOBS (default: the
# processors), STOP_AFTER=sources stops once the sources are unpacked.
# Installs what it needs with apt-get (sudo when not root) and adds a
# deb-src entry for Debian's archive when apt has none.
set -euo pipefail
work="${WORK:-/tmp/zendalite-winqt}"
out="${OUT:-$work/qt-6.4.2-mingw64.tar.xz}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
host=x86_64-w64-mingw32
name=qt-6.4.2-mingw64
prefix="$work/$name"
# The Debian source packages (bookworm): qtbase with all of Debian's patches.
sources=(qt6-base=6.4.2+dfsg-10 qt6-svg=6.4.2-2 qt6-serialport=6.4.2-2 qt6-charts=6.4.2-3)
say() { echo "build-qt: [$(date +%T)] $*" >&2; }
die() { echo "build-qt: $*" >&2; exit 1; }
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# --- 1. packages ----------------------------------------------------------------
if ! grep -rqs '^deb-src\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    say "adding a deb-src entry for Debian's archive"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
        'Suites: bookworm bookworm-updates' 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        "${as_root[@]}" tee /etc/apt/sources.list.d/zendalite-deb-src.sources > /dev/null
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    cmake ninja-build perl python3 dpkg-dev xz-utils ca-certificates \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    mingw-w64-x86-64-dev mingw-w64-tools qt6-base-dev qt6-base-dev-tools libwine-dev
# moc, rcc and uic run on the build machine: they must be the same Qt.
host_qt="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
case "$host_qt" in 6.4.2+*) ;; *) die "the host's Qt is $host_qt; Qt 6.4.2 (Debian 12) is needed" ;; esac

# --- 2. sources -----------------------------------------------------------------
mkdir -p "$work/src" "$work/build"
cd "$work/src"
for source in "${sources[@]}"; do
    package="${source%%=*}" version="${source#*=}"
    dir="$package"
    [ -d "$dir" ] && continue
    say "fetching $package $version"
    apt-get source --download-only "$package=$version" ||
        die "apt-get source $package=$version failed (Debian's mirror has no such source package?)"
    dpkg-source -x "${package}_${version#*:}.dsc" "$dir"
done
# Debian's +dfsg qtbase leaves out src/3rdparty/wintab (the Wacom header
# may not be changed), which the Windows platform plugin includes for
# tablets. Wine's LGPL re-implementation of the two headers fits, given
# the three macros only Wine defines.
wintab="qt6-base/src/3rdparty/wintab"
if [ ! -e "$wintab/wintab.h" ]; then
    say "wintab headers from Wine (libwine-dev)"
    mkdir -p "$wintab"
    cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine_wintab.h"
    cp /usr/include/wine/wine/windows/pktdef.h "$wintab/pktdef.h"
    cat > "$wintab/wintab.h" << 'SHIM'
/* Wine's Wintab header (LGPL-2.1+) with the macros that only Wine defines. */
#ifndef ZENDALITE_WINTAB_SHIM_H
#define ZENDALITE_WINTAB_SHIM_H
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(func) func##W
#else
#define WINELIB_NAME_AW(func) func##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "wine_wintab.h"
#endif
SHIM
fi
if [ "${STOP_AFTER:-}" = sources ]; then say "sources ready in $work/src"; exit 0; fi

# --- 3. qtbase ------------------------------------------------------------------
toolchain="$work/toolchain-mingw64.cmake"
cat > "$toolchain" << TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_AR /usr/bin/$host-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/$host-ranlib CACHE FILEPATH "")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/$host)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
# Only what the tool needs; third-party libraries built in, so that no DLL
# beyond Qt's own and MinGW's runtime is needed.
if [ ! -e "$work/build/qtbase/.installed" ]; then
    say "qtbase: configure and build (the long part)"
    rm -rf "$work/build/qtbase"
    nice -n 19 cmake -G Ninja -S qt6-base -B "$work/build/qtbase" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_pkg_config=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF -DFEATURE_androiddeployqt=OFF \
        -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_glib=OFF \
        -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_fontconfig=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF \
        -DFEATURE_jpeg=ON -DFEATURE_png=ON -DFEATURE_gif=ON -DFEATURE_ico=ON \
        -DFEATURE_testlib=ON -DFEATURE_concurrent=ON -DFEATURE_xml=ON \
        -DFEATURE_opengl_dynamic=ON -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF > /dev/null
    nice -n 19 ninja -C "$work/build/qtbase" -j "$jobs"
    cmake --install "$work/build/qtbase" > /dev/null
    touch "$work/build/qtbase/.installed"
fi
# Qt's own toolchain wrapper loads the file above: kept inside the prefix
# and named relative to it, so that the tarball can be unpacked anywhere.
cp "$toolchain" "$prefix/toolchain-mingw64.cmake"
sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../toolchain-mingw64.cmake")|' \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"

# --- 4. the add-on modules ------------------------------------------------------
for module in qt6-svg qt6-serialport qt6-charts; do
    [ -e "$work/build/$module/.installed" ] && continue
    say "$module: configure and build"
    rm -rf "$work/build/$module"
    nice -n 19 cmake -G Ninja -S "$module" -B "$work/build/$module" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF > /dev/null
    nice -n 19 ninja -C "$work/build/$module" -j "$jobs"
    cmake --install "$work/build/$module" > /dev/null
    touch "$work/build/$module/.installed"
done

# --- 5. runtime DLLs, strip, tarball -------------------------------------------
# The runtime of the very compiler the tool is built with (posix threads).
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    dll="$($host-g++-posix -print-file-name="$runtime")"
    [ -e "$dll" ] || die "the compiler has no $runtime"
    cp "$dll" "$prefix/bin/"
done
find "$prefix" \( -name '*.dll' -o -name '*.exe' \) -print0 | xargs -0 "$host-strip" --strip-unneeded
mkdir -p "$(dirname "$out")"
say "writing $out"
tar -C "$work" --owner=0 --group=0 --numeric-owner --sort=name -cf - "$name" | xz -T2 -9 > "$out"
say "done: $out ($(du -h "$out" | cut -f1))"
