; The setup program, ponderine-VERSION-setup.exe, made by cmake/windows.cmake:
;   makensis -INPUTCHARSET UTF8 -DVERSION=... -DEXE=... -DICON=... -DLICENSE=... -DOUTFILE=... ponderine.nsi
;
; Started as administrator ("Esegui come amministratore", or /S from a
; deployment script that runs elevated), it installs for every user into
; Program Files; otherwise for the current user alone, into
; %LOCALAPPDATA%\Programs, with no administrator rights. Either way: a
; Start-menu entry and an entry in "Installed apps" with the uninstaller.
;
; /S installs and uninstalls silently; /D=FOLDER (last on the command line)
; chooses the folder of a first install. A newer version replaces the copy
; it finds, in its folder, under the same entry; an older one, or any copy
; while the MSI's is installed, is refused with a message (under /S, the
; exit code alone: 3 and 4 below). The uninstaller leaves the pupils'
; records (%APPDATA%\ponderine\) where they are.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}

!include MUI2.nsh
!include LogicLib.nsh
!include WordFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ponderine"

Name "Ponderine"
Caption "Installazione di Ponderine ${VERSION}"
UninstallCaption "Disinstallazione di Ponderine"
OutFile "${OUTFILE}"
; No InstallDir: .onInit picks the folder unless /D= gave one.
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
; An install for every user runs with the administrator's rights, and a game
; started from it would keep its record in the administrator's profile: the
; finish page offers to start the game only after a pupil's own install.
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
; An update goes where the copy it replaces is: no folder to choose.
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPre
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

Var Update
Var AllUsers

; Administrator rights choose every user's copy: Program Files, the common
; Start menu, the machine's uninstall entry. /D= has set $INSTDIR already.
Function .onInit
    SetRegView 64
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        SetShellVarContext all
        StrCpy $AllUsers 1
        StrCmp $INSTDIR "" 0 +2
        StrCpy $INSTDIR "$PROGRAMFILES64\Ponderine"
    ${Else}
        SetShellVarContext current
        StrCmp $INSTDIR "" 0 +2
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Ponderine"
    ${EndIf}

    ; The MSI (Group Policy) puts its copy in the same folder and the same
    ; Start-menu entry, under an entry of its own: the two would undo each other.
    ReadRegStr $0 HKLM "Software\Ponderine" "MsiVersion"
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP "Ponderine $0 è già installato su questo computer con il pacchetto MSI. Per aggiornarlo si usa il nuovo pacchetto MSI." /SD IDOK
        SetErrorLevel 4
        Quit
    ${EndIf}

    ; A copy of this kind already here: a newer version replaces it in place,
    ; an older one never goes over it.
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "DisplayVersion"
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $Update ""
    ${If} $0 != ""
    ${AndIf} $1 != ""
        ${VersionCompare} "$0" "${VERSION}" $2
        ${If} $2 == 1
            MessageBox MB_OK|MB_ICONSTOP "Su questo computer c'è già Ponderine $0, più recente di questa versione (${VERSION}): l'installazione non continua." /SD IDOK
            SetErrorLevel 3
            Quit
        ${EndIf}
        StrCpy $INSTDIR $1
        StrCpy $Update $0
    ${EndIf}
FunctionEnd

Function DirectoryPre
    ${If} $Update != ""
        Abort
    ${EndIf}
FunctionEnd

Function FinishShow
    ${If} $AllUsers == 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
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
