#!/usr/bin/env bash
# Checks the Debian package built by `make package`: its files and its
# dependencies, and (when lintian is there) what lintian says of errors.
set -euo pipefail
deb=$(ls "${1:-build}"/zendalite_*.deb | head -n 1)
echo "checking $deb"
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expect=(
    ./usr/bin/zendalite
    ./usr/bin/zendalite-sim
    "./usr/share/zendalite/TanıtımMulti.mht"
    ./usr/share/zendalite/dravon.swf
    ./usr/share/applications/zendalite.desktop
    ./usr/share/metainfo/org.zendalite.Zendalite.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/zendalite.svg
    ./usr/share/icons/hicolor/48x48/apps/zendalite.png
    ./usr/share/man/man1/zendalite.1.gz
    ./usr/share/man/man1/zendalite-sim.1.gz
)
status=0
for f in "${expect[@]}"; do
    if ! grep -qxF "$f" <<< "$files"; then
        echo "missing from the package: $f"
        status=1
    fi
done
depends=$(dpkg-deb -f "$deb" Depends)
# qt6-translations-l10n: Qt's own dialogs in Turkish (qtbase_tr.qm).
for d in libqt6serialport6 libqt6svg6 libqt6widgets6 libqt6core6 qt6-translations-l10n libxlsxwriter4; do
    if ! grep -q "$d" <<< "$depends"; then
        echo "missing dependency: $d"
        status=1
    fi
done
# The installed program finds its own files under share/zendalite.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$root/usr/bin/zendalite-sim" --version > /dev/null
QT_QPA_PLATFORM=offscreen "$root/usr/bin/zendalite" --version > /dev/null
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$root/usr/share/applications/zendalite.desktop"
fi
if command -v lintian > /dev/null; then
    lintian --fail-on error "$deb" || status=1
fi
[ $status -eq 0 ] && echo "package ok: $(dpkg-deb -c "$deb" | wc -l) entries; Depends: $depends"
exit $status
