; The setup program, ponderine-VERSION-setup.exe, made by cmake/windows.cmake:
;   makensis -INPUTCHARSET UTF8 -DVERSION=... -DEXE=... -DICON=... -DLICENSE=... -DOUTFILE=... ponderine.nsi
;
; Started as administrator ("Esegui come amministratore", or /S from a
; deployment script that runs elevated), it installs for every user into
; Program Files; otherwise for the current user alone, into
; %LOCALAPPDATA%\Programs, with no administrator rights. Either way: a
; Start-menu entry and an entry in "Installed apps" with the uninstaller.
; /S installs and uninstalls silently. The uninstaller leaves the pupils'
; records (%APPDATA%\ponderine\) where they are.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ponderine"

Name "Ponderine"
Caption "Installazione di Ponderine ${VERSION}"
UninstallCaption "Disinstallazione di Ponderine"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Ponderine"
BrandingText "Ponderine ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1040 "ProductName" "Ponderine"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di Ponderine"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "CompanyName" "Ponderine developers"
VIAddVersionKey /LANG=1040 "LegalCopyright" "GNU GPL 3 o successiva"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ponderine.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Ponderine"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

; Administrator rights choose every user's copy: Program Files, the common
; Start menu, the machine's uninstall entry.
Function .onInit
    SetRegView 64
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        SetShellVarContext all
        StrCpy $INSTDIR "$PROGRAMFILES64\Ponderine"
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Ponderine"
    SetOutPath "$INSTDIR"
    File "/oname=ponderine.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Ponderine.lnk" "$INSTDIR\ponderine.exe" "" "$INSTDIR\ponderine.exe" 0 \
        SW_SHOWNORMAL "" "Giocare con le ponderine"

    ; In HKLM or HKCU, as SetShellVarContext chose (SHCTX).
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Ponderine"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Ponderine developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ponderine.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ; The size of what was installed, in KiB.
    SectionGetSize 0 $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The uninstaller removes the copy it belongs to: every user's when it sits
; where the machine's entry says, which takes administrator rights.
Function un.onInit
    SetRegView 64
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_OK|MB_ICONSTOP "Ponderine è installato per tutti gli utenti: per disinstallarlo servono i diritti di amministratore." /SD IDOK
            Abort
        ${EndIf}
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Ponderine.lnk"
    Delete "$INSTDIR\ponderine.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
