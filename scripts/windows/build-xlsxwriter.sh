#!/usr/bin/env bash
# libxlsxwriter for the Windows build, from Debian's source package of the
# version Debian's libxlsxwriter-dev has (the Linux build's): the upstream
# tarball and Debian's packaging, their checksums pinned here and checked
# against the .dsc, Debian's patches applied (1.1.4-2 has none), built with
# the MinGW-w64 compiler as a static library with its own minizip and
# MinGW's static zlib (libz-mingw-w64-dev): no DLL to ship.
#
#   build-xlsxwriter.sh OUT    installs into OUT/prefix (include/, lib/, and
#                              License.txt: its licence and those of the
#                              parts it carries, for the Windows folder)
#
# Downloads and builds once: OUT/download keeps the files, OUT/prefix/.built
# names what was built, and a second run with the same pins does nothing.
set -euo pipefail
out="${1:?usage: build-xlsxwriter.sh OUT}"
say() { echo "xlsxwriter: $*" >&2; }
die() { echo "xlsxwriter: $*" >&2; exit 1; }

version=1.1.4
debian_revision=2
pool=http://deb.debian.org/debian/pool/main/libx/libxlsxwriter
orig="libxlsxwriter_${version}.orig.tar.gz"
orig_sha256=b379eb35fdd9c653ebe72485b9c992f612c7ea66f732784457997d6e782f619b
debian="libxlsxwriter_${version}-${debian_revision}.debian.tar.xz"
debian_sha256=62db4901bf6049e2e33ef708d2d51b36cfb82e2bc10ed5f82be0cf9fe596e98b
dsc="libxlsxwriter_${version}-${debian_revision}.dsc"

prefix="$out/prefix"
stamp="$version-$debian_revision $orig_sha256 $debian_sha256"
if [ -e "$prefix/.built" ] && [ -e "$prefix/License.txt" ] &&
    [ "$(cat "$prefix/.built")" = "$stamp" ]; then
    exit 0
fi

download="$out/download"
mkdir -p "$download"
fetch() { # name sha256 (empty: not pinned)
    local name="$1" sha="$2"
    if [ -e "$download/$name" ] && { [ -z "$sha" ] || sha256sum -c --status <<< "$sha  $download/$name"; }; then
        return 0
    fi
    say "downloading $name"
    curl -fsSL --retry 3 -o "$download/$name.part" "$pool/$name"
    mv "$download/$name.part" "$download/$name"
}
fetch "$dsc" ""
fetch "$orig" "$orig_sha256"
fetch "$debian" "$debian_sha256"
# The pins, and Debian's own list of the same files.
for pair in "$orig $orig_sha256" "$debian $debian_sha256"; do
    set -- $pair
    sha256sum -c --status <<< "$2  $download/$1" || die "$1: not the pinned checksum $2"
    grep -Eq "^ $2 [0-9]+ $1\$" "$download/$dsc" || die "$dsc does not list $1 with $2"
done

src="$out/src"
rm -rf "$src" "$out/build"
mkdir -p "$src"
tar -C "$src" --strip-components=1 -xzf "$download/$orig"
tar -C "$src" -xJf "$download/$debian"
if [ -s "$src/debian/patches/series" ]; then
    while IFS= read -r patch; do
        case "$patch" in '' | '#'*) continue ;; esac
        say "applying Debian's $patch"
        patch -d "$src" -p1 --quiet < "$src/debian/patches/$patch"
    done < "$src/debian/patches/series"
fi

# Numbers through its own locale-free writer (dtoa), whatever the C
# library's locale; 32-bit file API, as its static MinGW build has it.
mingw=x86_64-w64-mingw32
cmake -S "$src" -B "$out/build" \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
    -DCMAKE_C_COMPILER=$mingw-gcc-posix -DCMAKE_CXX_COMPILER=$mingw-g++-posix \
    -DCMAKE_RC_COMPILER=$mingw-windres \
    -DZLIB_INCLUDE_DIR=/usr/$mingw/include -DZLIB_LIBRARY=/usr/$mingw/lib/libz.a \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DUSE_SYSTEM_MINIZIP=OFF \
    -DUSE_DTOA_LIBRARY=ON -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" > /dev/null
cmake --build "$out/build" -j "${JOBS:-2}" > /dev/null
rm -rf "$prefix"
cmake --install "$out/build" > /dev/null
[ -e "$prefix/lib/libxlsxwriter.a" ] || die "no libxlsxwriter.a in $prefix/lib"
cp "$src/License.txt" "$prefix/License.txt"
echo "$stamp" > "$prefix/.built"
say "built $version-$debian_revision into $prefix"
