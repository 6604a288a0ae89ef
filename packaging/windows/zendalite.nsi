; The Windows installer, made by scripts/windows/make.sh with makensis:
;   makensis -DVERSION=1.0.0 -DFOLDER=build-win/zendalite \
;            -DFILES=build-win/installer-files.nsh -DOUTFILE=...-setup.exe zendalite.nsi
; Installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Zendalite: a Start menu entry and an uninstaller
; that Windows lists under "Apps". /S installs (and uninstalls) silently.
; A 64-bit installer for a 64-bit program: it also runs where Windows
; (or Wine) has no 32-bit part.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zendalite"

Name "Zendalite ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Zendalite"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Zendalite ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Zendalite"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Zendalite setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Zendalite developers, GPLv3+"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\zendalite.exe"
!insertmacro MUI_PAGE_LICENSE "${FOLDER}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "English"

Section "Zendalite"
    SetShellVarContext current
    !insertmacro ZENDALITE_INSTALL_FILES
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Zendalite.lnk" "$INSTDIR\zendalite.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zendalite"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Zendalite developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zendalite.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; Only what the installer put there: the port file, recordings and
    ; settings files live elsewhere and stay.
    !insertmacro ZENDALITE_REMOVE_FILES
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Zendalite.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
