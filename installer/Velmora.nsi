; The setup program and uninstaller of Velmora: a per-machine, elevated installation into
; Program Files with an all-users Start-menu shortcut and an entry in the installed-programs
; list. Built by the CMake target "installer", which defines:
;   VERSION     the program's version (taken from the version resource's source)
;   BUILD_DIR   the folder with Velmora.exe, rebooter.exe and velmora-cli.exe
;   SOURCE_DIR  the source tree (icon, Loading.gif, resource.h)
;   OUTFILE     the setup program to write
;   TEST_BUILD  (optional) the programs trust the update test key
;
; Command line: /S installs silently, /D=FOLDER (last, unquoted) installs elsewhere.
; The uninstaller takes /S (silent; backups and settings are kept) and /REMOVEALL (remove
; backups and settings too, without asking).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

; The exit command of the program's tray menu, as rebooter.exe sends it.
!searchparse /file "${SOURCE_DIR}/res/resource.h" "#define ID_TRAY_EXIT " ID_TRAY_EXIT

!define PRODUCT "Velmora"
!define MAIN_WINDOW_CLASS "#32770"
!define MAIN_WINDOW_TITLE "Velmora 2011 | Registry Cleaner"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define SETTINGS_KEY "Software\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT "$SMPROGRAMS\Velmora.lnk"
!define SYNCHRONIZE 0x00100000
; A program that is ending stops a running repair first; that takes a few seconds at most.
!define EXIT_WAIT_MS 20000
; Folders for administrators: owned by Administrators, full control for SYSTEM and
; Administrators only, not inherited from above; and read access for every user.
!define ADMINISTRATORS_SDDL "O:BAG:SYD:PAI(A;OICI;0x1F01FF;;;SY)(A;OICI;0x1F01FF;;;BA)"
!define USERS_READ_SDDL "(A;OICI;0x1200A9;;;BU)"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmora"
; Installing over an installed version goes to the same folder (unless /D= says otherwise).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1040 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1040 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${PRODUCT}"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "© ${PRODUCT}"
!ifdef TEST_BUILD
VIAddVersionKey /LANG=1040 "SpecialBuild" "Test build: trusts the update test key"
!endif

!define MUI_ICON "${SOURCE_DIR}/res/Velmora.ico"
!define MUI_UNICON "${SOURCE_DIR}/res/Velmora.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmora.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

Var RemoveEverything

; Asks a running Velmora to end through its own exit command, so that it removes its tray
; icon and stops a repair cleanly, and waits for its process. A program that does not end
; (it refuses while a scan runs) is never killed: the user closes it and tries again, or
; the (un)installation stops before anything is changed.
!macro DEFINE_CLOSE_RUNNING_PROGRAM PREFIX
Function ${PREFIX}CloseRunningProgram
    retry:
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "${MAIN_WINDOW_TITLE}"
    ${If} $0 = 0
        Return
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_TRAY_EXIT}, p 0) i'
    ${If} $2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i'
        System::Call 'kernel32::CloseHandle(p r2) i'
    ${Else}
        ; Without a handle, the window's going is the sign.
        StrCpy $3 0
        poll:
        IsWindow $0 0 ended
        IntCmp $3 ${EXIT_WAIT_MS} stillRunning 0 stillRunning
        Sleep 250
        IntOp $3 $3 + 250
        Goto poll
    ${EndIf}
    stillRunning:
    IsWindow $0 0 ended
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} è ancora in esecuzione (forse una scansione è in corso).$\r$\n$\r$\nChiudi ${PRODUCT} e scegli Riprova, oppure Annulla per interrompere." \
        /SD IDCANCEL IDRETRY retry
    Abort "${PRODUCT} è ancora in esecuzione: nulla è stato modificato."
    ended:
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_PROGRAM ""
!insertmacro DEFINE_CLOSE_RUNNING_PROGRAM "un."

; Gives the folder in $0 the access list in $1 (owner Administrators, protected, full
; control for SYSTEM and Administrators, passed on to what it holds). A link or junction
; in its place is removed first, so the list never lands on whatever it points to.
Function ProtectFolder
    System::Call 'kernel32::GetFileAttributesW(w r0) i .r2'
    ${If} $2 <> -1
    ${AndIf} $2 & 0x400
        RMDir "$0"
    ${EndIf}
    CreateDirectory "$0"
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w r1, i 1, *p .r3, p 0) i .r2'
    ${If} $2 <> 0
        System::Call 'advapi32::GetSecurityDescriptorOwner(p r3, *p .r4, *i .r5) i .r2'
        System::Call 'advapi32::GetSecurityDescriptorDacl(p r3, *i .r5, *p .r6, *i .r7) i .r2'
        ; OWNER, DACL and PROTECTED_DACL security information.
        System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i 1, i 0x80000005, p r4, p 0, p r6, p 0) i .r2'
        System::Call 'kernel32::LocalFree(p r3)'
    ${EndIf}
FunctionEnd

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Velmora"
    Call CloseRunningProgram
    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "${BUILD_DIR}/Velmora.exe"
    File "${BUILD_DIR}/rebooter.exe"
    File "${BUILD_DIR}/velmora-cli.exe"
    File "${SOURCE_DIR}/res/Loading.gif"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; Outside Program Files the folder would inherit rights for every user, who could then
    ; put libraries beside the elevated program or read its backups.
    StrLen $2 "$PROGRAMFILES64\"
    StrCpy $3 "$INSTDIR" $2
    StrLen $4 "$PROGRAMFILES\"
    StrCpy $5 "$INSTDIR" $4
    ${If} $3 != "$PROGRAMFILES64\"
    ${AndIf} $5 != "$PROGRAMFILES\"
        StrCpy $0 "$INSTDIR"
        StrCpy $1 "${ADMINISTRATORS_SDDL}${USERS_READ_SDDL}"
        Call ProtectFolder
    ${EndIf}
    ; The scan reports: written by the elevated program, read by every user.
    StrCpy $0 "$APPDATA\Velmora"
    StrCpy $1 "${ADMINISTRATORS_SDDL}${USERS_READ_SDDL}"
    Call ProtectFolder

    CreateShortcut "${SHORTCUT}" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; The program's own files only: the backups below the folder are the user's.
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
    StrCpy $RemoveEverything 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVEALL" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveEverything 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunningProgram
    ; The backups are the user's only way back to the registry entries a repair removed,
    ; so keeping them is the default, and the answer of a silent uninstallation.
    ${If} $RemoveEverything = 0
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 \
            "Vuoi conservare i backup del Registro e le impostazioni di ${PRODUCT}?$\r$\n$\r$\nI backup sono l'unico modo per ripristinare le voci del Registro rimosse da una riparazione. Scegli Sì per conservarli, No per rimuovere tutto." \
            /SD IDYES IDYES keep
        StrCpy $RemoveEverything 1
        keep:
    ${EndIf}

    ; The scheduled scan would start a program that is no longer there.
    nsExec::Exec '"$INSTDIR\velmora-cli.exe" schedule remove'
    Pop $0
    DeleteRegValue HKLM "${RUN_KEY}" "Velmora"
    ; Kept settings must not claim a start with Windows whose Run value is gone: without
    ; the setting, the next installation's first start writes both again.
    ReadRegStr $0 HKLM "${SETTINGS_KEY}" "StartWithWindows"
    ${If} $0 == "true"
        DeleteRegValue HKLM "${SETTINGS_KEY}" "StartWithWindows"
    ${EndIf}
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\Velmora.exe"
    Delete "$INSTDIR\Velmora.exe.bak"
    Delete "$INSTDIR\Velmora.exe.new"
    Delete "$INSTDIR\rebooter.exe"
    Delete "$INSTDIR\velmora-cli.exe"
    Delete "$INSTDIR\Loading.gif"
    Delete "$INSTDIR\uninstall.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ${If} $RemoveEverything = 1
        RMDir /r "$INSTDIR\backup"
        DeleteRegKey HKLM "${SETTINGS_KEY}"
        ; The HTML reports (common application data) and the user's own lists.
        RMDir /r "$APPDATA\Velmora"
        SetShellVarContext current
        RMDir /r "$APPDATA\Velmora"
        SetShellVarContext all
    ${EndIf}
    ; Stays while it holds the kept backups.
    RMDir "$INSTDIR"
SectionEnd
