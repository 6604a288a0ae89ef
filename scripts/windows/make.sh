#!/usr/bin/env bash
# `make windows`: the Windows build, its self-contained folder and installer.
#
#   build-win/build/                      the cross-build (CMake, Release)
#   build-win/zendalite/                  the folder: zendalite.exe, the Qt and
#                                         MinGW DLLs, Qt's plugins, the help
#                                         document, the animation, LICENSE.txt
#   build-win/zendalite-<version>-setup.exe   the installer (NSIS)
#
# Qt for Windows (qt-*-mingw64.tar.xz) comes from, in this order: WINQT=DIR
# (a folder with the tarball, or an unpacked one); ../shared/winqt/ beside
# the repository (for a git worktree, also beside its main checkout); the cache (${XDG_CACHE_HOME:-~/.cache}/zendalite/winqt),
# where scripts/windows/build-qt.sh builds it the first time (about 20
# minutes). It is unpacked under build-win/, never into the repository.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build-win"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
say() { echo "windows: $*" >&2; }
die() { echo "windows: $*" >&2; exit 1; }

# --- Qt for Windows ----------------------------------------------------------
cache="${XDG_CACHE_HOME:-$HOME/.cache}/zendalite/winqt"
sdk_from() { # a folder -> its SDK (unpacked folder or tarball), or nothing
    local dir="$1" tarball
    [ -d "$dir" ] || return 1
    if [ -d "$dir/lib/cmake/Qt6" ]; then echo "$dir"; return 0; fi
    tarball="$(ls "$dir"/qt-*-mingw64.tar.xz 2>/dev/null | sort | tail -n 1)"
    [ -n "$tarball" ] && echo "$tarball"
}
if [ -n "${WINQT:-}" ]; then
    sdk="$(sdk_from "$WINQT")" || die "WINQT=$WINQT holds no qt-*-mingw64.tar.xz nor an unpacked Qt"
elif sdk="$(sdk_from "$root/../shared/winqt")"; then
    :
elif common="$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2> /dev/null)" &&
    sdk="$(sdk_from "$(dirname "$common")/../shared/winqt")"; then
    :
elif sdk="$(sdk_from "$cache")"; then
    :
else
    say "no Qt for Windows found: building it into $cache (about 20 minutes)"
    mkdir -p "$cache"
    OUT="$cache/qt-6.4.2-mingw64.tar.xz" WORK="$cache/work" "$root/scripts/windows/build-qt.sh"
    rm -rf "$cache/work"
    sdk="$(sdk_from "$cache")" || die "build-qt.sh made no tarball in $cache"
fi
mkdir -p "$out"
if [ -d "$sdk" ]; then
    qt="$sdk"
else
    name="$(basename "$sdk" .tar.xz)"
    qt="$out/$name"
    if [ ! -e "$qt/.unpacked" ] || [ "$sdk" -nt "$qt/.unpacked" ]; then
        say "unpacking $sdk"
        rm -rf "$qt"
        tar -C "$out" -xf "$sdk"
        touch "$qt/.unpacked"
    fi
fi
say "Qt: $qt"

# --- libxlsxwriter -----------------------------------------------------------
# Built once from Debian's source into build-win/xlsxwriter (static, with
# MinGW's static zlib: nothing to add to the folder).
JOBS="$jobs" "$root/scripts/windows/build-xlsxwriter.sh" "$out/xlsxwriter"
xlsx="$out/xlsxwriter/prefix"

# --- the cross-build ---------------------------------------------------------
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja > /dev/null && generator=(-G Ninja)
if [ ! -e "$out/build/CMakeCache.txt" ]; then
    cmake "${generator[@]}" -S "$root" -B "$out/build" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw64-toolchain.cmake" \
        -DZENDALITE_WINQT="$qt" -DZENDALITE_WINXLSX="$xlsx" -DCMAKE_BUILD_TYPE=Release \
        "${launcher[@]}" > /dev/null
else
    cmake "$out/build" -DZENDALITE_WINQT="$qt" -DZENDALITE_WINXLSX="$xlsx" > /dev/null
fi
cmake --build "$out/build" -j "$jobs"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/build/CMakeCache.txt")"

# --- the folder --------------------------------------------------------------
folder="$out/zendalite"
rm -rf "$folder"
cmake --install "$out/build" --prefix "$folder" > /dev/null
x86_64-w64-mingw32-strip "$folder/zendalite.exe"
# Plugins beside the exe are found without a qt.conf: the Windows platform,
# the native style, the image formats (SVG among them) and the SVG icons.
for plugin in platforms/qwindows styles/qwindowsvistastyle imageformats/qgif \
    imageformats/qico imageformats/qjpeg imageformats/qsvg iconengines/qsvgicon; do
    mkdir -p "$folder/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin.dll" "$folder/$plugin.dll"
done
# Qt's own Turkish for its dialogs, where the tool looks first: the catalogue
# is the same file on every system, so Debian's copy of this Qt's version
# serves.
mkdir -p "$folder/translations"
cp /usr/share/qt6/translations/qtbase_tr.qm "$folder/translations/"
# libxlsxwriter is linked in (static): its licence (BSD-2, with those of
# the parts it carries: minizip, tmpfileplus, md5, dtoa) goes with it.
mkdir -p "$folder/licenses"
cp "$xlsx/License.txt" "$folder/licenses/libxlsxwriter.txt"
# Then every DLL that a file of the folder imports and Qt's bin/ holds (the
# Qt and MinGW runtime DLLs), until nothing new is needed.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
while :; do
    added=0
    while IFS= read -r -d '' pe; do
        while IFS= read -r dll; do
            if [ ! -e "$folder/$dll" ] && [ -e "$qt/bin/$dll" ]; then
                cp "$qt/bin/$dll" "$folder/$dll"
                added=1
            fi
        done < <(imports "$pe")
    done < <(find "$folder" -iname '*.exe' -print0 -o -iname '*.dll' -print0)
    [ "$added" -eq 0 ] && break
done
"$root/scripts/windows/check-imports.sh" "$folder"
say "folder: $folder ($(du -sh "$folder" | cut -f1))"

# --- the installer -----------------------------------------------------------
setup="$out/zendalite-$version-setup.exe"
# The files the installer puts in and the uninstaller takes out again, one
# by one: a folder the user chose is never removed with what else is in it.
list="$out/installer-files.nsh"
{
    echo '!macro ZENDALITE_INSTALL_FILES'
    (cd "$folder" && find . -type f | sed 's|^\./||' | sort) | while IFS= read -r f; do
        dir="$(dirname "$f")"
        if [ "$dir" = . ]; then printf '  SetOutPath "$INSTDIR"\n'; else printf '  SetOutPath "$INSTDIR\\%s"\n' "${dir//\//\\}"; fi
        printf '  File "%s"\n' "$folder/$f"
    done
    echo '!macroend'
    echo '!macro ZENDALITE_REMOVE_FILES'
    (cd "$folder" && find . -type f | sed 's|^\./||' | sort) | while IFS= read -r f; do
        printf '  Delete "$INSTDIR\\%s"\n' "${f//\//\\}"
    done
    (cd "$folder" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) | while IFS= read -r d; do
        printf '  RMDir "$INSTDIR\\%s"\n' "${d//\//\\}"
    done
    echo '!macroend'
} > "$list"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFOLDER="$folder" -DFILES="$list" \
    -DOUTFILE="$setup" "$root/packaging/windows/zendalite.nsi"
say "installer: $setup ($(du -h "$setup" | cut -f1))"
