; The Windows installer of the DNC link, built with NSIS (makensis) by the windows preset's
; "installer" target. It installs the program, its help file, the operator's guide and the licence
; into Program Files, makes the data folder in the user's Documents, and a Start-menu shortcut per
; profile that starts the program there (the program works in its current folder: the profile's
; settings, its logs and, until other folders are chosen, its NC programs live in that folder).
; The uninstaller removes the program and its shortcuts and leaves the data folder as it is.
;
;   makensis -DVERSION=x.y.z -DPROGRAM=tolva-dnc.exe -DHELP=dnxhelp.hlp -DLICENCE=copyright
;            -DOUTFILE=setup.exe tolva-dnc.nsi
;
; /S installs (and uninstalls) silently, for rolling out to many PCs; /PROFILES=A,B,C makes one
; shortcut for each named profile instead of the default profile TOLVA.

; A 64-bit installer for the 64-bit program (and for 64-bit Wine, which runs no 32-bit code without
; its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Tolva DNC"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TolvaDNC"
!define SETTINGS_KEY "Software\Tolva DNC"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${SETTINGS_KEY}" "InstallFolder"
BrandingText "${PRODUCT} ${VERSION}"

LicenseData "${LICENCE}"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var DataFolder
Var Profiles

; One Start-menu shortcut for a profile, starting the program in the data folder: the working
; folder of a shortcut is the output path in force when it is made.
!macro ProfileShortcut PROFILE
    SetOutPath "$DataFolder"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (${PROFILE}).lnk" "$INSTDIR\tolva-dnc.exe" "${PROFILE}" \
        "$INSTDIR\tolva-dnc.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}: the machine of profile ${PROFILE}"
!macroend

Section "Install"
    SetShellVarContext current
    StrCpy $DataFolder "$DOCUMENTS\${PRODUCT}"

    SetOutPath "$INSTDIR"
    File "/oname=tolva-dnc.exe" "${PROGRAM}"
    File "/oname=dnxhelp.hlp" "${HELP}"
    File "/oname=Operator's Guide.txt" "${HELP}"
    File "/oname=Licence.txt" "${LICENCE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$DataFolder"
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/PROFILES=" $Profiles
    ${If} ${Errors}
    ${OrIf} $Profiles == ""
        StrCpy $Profiles "TOLVA"
    ${EndIf}
    ; Each name of the comma-separated list gets its shortcut: $2 gathers a name character by
    ; character, and a comma or the end of the list makes its shortcut.
    StrCpy $1 0
    StrCpy $2 ""
    StrLen $4 "$Profiles"
    ${Do}
        StrCpy $3 "$Profiles" 1 $1
        ${If} $1 >= $4
        ${OrIf} $3 == ","
            ${If} $2 != ""
                !insertmacro ProfileShortcut "$2"
            ${EndIf}
            StrCpy $2 ""
            ${IfThen} $1 >= $4 ${|} ${Break} ${|}
        ${Else}
            StrCpy $2 "$2$3"
        ${EndIf}
        IntOp $1 $1 + 1
    ${Loop}
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}\Operator's Guide.lnk" "$INSTDIR\Operator's Guide.txt"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${SETTINGS_KEY}" "InstallFolder" "$INSTDIR"
    WriteRegStr HKCU "${SETTINGS_KEY}" "DataFolder" "$DataFolder"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tolva DNC developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolva-dnc.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    DetailPrint "Settings, logs and NC programs go to $DataFolder"
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ReadRegStr $DataFolder HKCU "${SETTINGS_KEY}" "DataFolder"
    Delete "$INSTDIR\tolva-dnc.exe"
    Delete "$INSTDIR\dnxhelp.hlp"
    Delete "$INSTDIR\Operator's Guide.txt"
    Delete "$INSTDIR\Licence.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    ; The operator's data stays: the settings of every profile, the logs and the programs.
    DetailPrint "Left in place: $DataFolder (settings, logs and NC programs)"
    MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} has been removed.$\r$\n$\r$\nYour settings, logs and NC programs are left in place in:$\r$\n$DataFolder" /SD IDOK
SectionEnd
