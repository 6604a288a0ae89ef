#!/usr/bin/env bash
# The Windows folder is self-contained: every DLL that one of its programs
# or DLLs imports is either in the folder (beside it, or beside the exe for
# the plugins) or part of Windows itself. A DLL that only Wine or a build
# machine has would make the tool fail to start on a technician's laptop.
#
#   check-imports.sh FOLDER
set -euo pipefail
folder="${1:?usage: check-imports.sh FOLDER}"

# Windows' own DLLs (compared without case), and the API sets.
system="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
 comdlg32.dll comctl32.dll uxtheme.dll dwmapi.dll imm32.dll winmm.dll ws2_32.dll
 shlwapi.dll version.dll netapi32.dll userenv.dll setupapi.dll cfgmgr32.dll dwrite.dll
 d3d9.dll d3d11.dll d3d12.dll dxgi.dll dxguid.dll opengl32.dll mpr.dll authz.dll
 wtsapi32.dll shcore.dll msvcrt.dll crypt32.dll bcrypt.dll secur32.dll rpcrt4.dll"
system=" $(echo $system) " # one space around each name
# DLLs that only Wine has: never acceptable even if Windows had one by that name.
wine_only=" winecrt0.dll winex11.drv winewayland.drv ntdll.so "

checked=0 failed=0
while IFS= read -r -d '' pe; do
    checked=$((checked + 1))
    dir="$(dirname "$pe")"
    while IFS= read -r dll; do
        lower="$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')"
        where=""
        case "$wine_only" in *" $lower "*) where=wine ;; esac
        if [ -z "$where" ]; then
            if [ -e "$dir/$dll" ] || [ -e "$folder/$dll" ]; then continue; fi
            case "$lower" in api-ms-win-*.dll | ext-ms-win-*.dll) continue ;; esac
            case "$system" in *" $lower "*) continue ;; esac
        fi
        echo "check-imports: ${pe#"$folder"/} imports $dll, which is neither in the folder nor part of Windows" >&2
        failed=$((failed + 1))
    done < <(x86_64-w64-mingw32-objdump -p "$pe" | sed -n 's/^[[:space:]]*DLL Name: //p')
done < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)

[ "$checked" -gt 0 ] || { echo "check-imports: no programs in $folder" >&2; exit 1; }
[ "$failed" -eq 0 ] || exit 1
echo "check-imports: $checked files, every import in the folder or Windows"
