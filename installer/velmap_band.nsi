; VelmapBand-Setup.exe: the band DLL of each bitness, each registered by the
; regsvr32 of its own bitness, the optional floating bar with its Start-menu
; entry, an Add/Remove Programs entry and an uninstaller that undoes it all.
; After registering, it tells the taskbar that its set of toolbars changed and,
; as the finish page offers (on by default; always in a silent install), asks
; it to show the band now. Where the taskbar cannot be told (before Windows 7),
; it says how to show the band from the Toolbars menu instead.
;
; For all users (elevated: Program Files, HKLM) or only for the user who runs
; it (no elevation: %LOCALAPPDATA%\Programs, HKCU); silent: /AllUsers (the
; default) or /CurrentUser. The installer starts unelevated and starts itself
; again elevated for an all-users install.
;
; Explorer keeps the band's DLL loaded while the band shows, and often longer:
; a file in use is never overwritten, it is renamed aside and deleted at the
; next restart; the new file goes to the real path (see RenameAside).
;
;   makensis -DVERSION=x.y.z -DBIN64=<win64 bin> -DBIN32=<win32 bin> -DBAND_CLSID={...} -DOUTFILE=<exe> velmap_band.nsi
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include x64.nsh
!include MUI2.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh

!ifndef VERSION | BIN64 | BIN32 | OUTFILE | BAND_CLSID
  !error "VERSION, BIN64, BIN32, BAND_CLSID and OUTFILE must be defined"
!endif
!define SHOW_FROM_MENU "To show VelmapBand, right-click the taskbar and choose Toolbars, then $\"Velmora Player$\"."


!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VelmapBand"
!define BAR_SETTINGS_KEY "Software\Velmap\VelmapBar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Exit codes besides NSIS's own (1 cancelled, 2 aborted).
!define EXIT_REGISTRATION 3
!define EXIT_OTHER_KIND 4
!define EXIT_NEWER_INSTALLED 5
!define EXIT_NOT_ELEVATED 6
!define BAND_UPDATED_TEXT "A taskbar that shows VelmapBand now keeps it on the old version until the taskbar restarts; every band shown after that is the new one."

Name "VelmapBand"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\VelmapBand"
ShowInstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "VelmapBand"
VIAddVersionKey /LANG=1033 CompanyName "Velmap"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) Velmap"
VIAddVersionKey /LANG=1033 FileDescription "VelmapBand Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

Page custom InstallModePage InstallModeLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Never a reboot: files in use were renamed aside, and go at the next restart.
!define MUI_FINISHPAGE_NOREBOOTSUPPORT
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Show VelmapBand on the taskbar now"
!define MUI_FINISHPAGE_RUN_FUNCTION ShowBandNow
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Restart the taskbar now"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION RestartTaskbarNow
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- install kind: all users or the current user ------------------------------
Var AllUsers          ; 1: for all users, 0: only for the current user
Var KindFromCommand   ; 1 when /AllUsers or /CurrentUser chose it
Var BandInUse         ; 1 when a band DLL in use was renamed aside
Var HeldFiles         ; the renamed DLLs, quoted, for the Restart Manager
Var BarWasRunning     ; 1 when a floating bar was closed for the update
Var ModeAll
Var ModeMe

; regsvr32 of the given bitness on a DLL: for all users its DllRegisterServer,
; for one user its DllInstall ("/n /i:user").
!macro Regsvr32 BITS ARGS DLL
  ${If} $AllUsers == 1
    StrCpy $9 ""
  ${Else}
    StrCpy $9 "/n /i:user"
  ${EndIf}
  ${If} ${BITS} == 64
    ${DisableX64FSRedirection}
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s ${ARGS} $9 "${DLL}"' $0
    ${EnableX64FSRedirection}
  ${ElseIf} ${RunningX64}
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s ${ARGS} $9 "${DLL}"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${ARGS} $9 "${DLL}"' $0
  ${EndIf}
!macroend

!macro Register BITS DLL
  !insertmacro Regsvr32 ${BITS} "" "${DLL}"
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "Registering ${DLL} failed ($0)." /SD IDOK
    SetErrorLevel ${EXIT_REGISTRATION}
    Abort
  ${EndIf}
!macroend

; The helper (taskbar-notify.exe of the system's bitness), run from the
; temporary folder; its exit code in $0, its words in the details.
!macro Helper ARGS
  nsExec::ExecToLog '"$PLUGINSDIR\taskbar-notify.exe" ${ARGS}'
  Pop $0
!macroend
!macro UnpackHelper
  InitPluginsDir
  ${If} ${RunningX64}
    File "/oname=$PLUGINSDIR\taskbar-notify.exe" "${BIN64}/taskbar-notify.exe"
  ${Else}
    File "/oname=$PLUGINSDIR\taskbar-notify.exe" "${BIN32}/taskbar-notify.exe"
  ${EndIf}
!macroend

; The floating bar holds the band: asked to close, and waited for (its
; process, which lets go of the DLL only after its window has gone).
!macro CloseBars
  !insertmacro Helper --close-bars
  ${If} $0 == 10
    StrCpy $BarWasRunning 1
  ${EndIf}
!macroend

; RenameAside (and un.RenameAside): the file named on the stack goes out of the
; way of a new one. Not in use: deleted now. In use (explorer holds the band):
; renamed to "<name>.<n>.old" in its folder, and that name, never the real
; one, deleted at the next restart. Abort when neither works.
!macro RENAME_ASIDE UN
Function ${UN}RenameAside
  Exch $R0
  Push $R1
  Push $R2
  ${If} ${FileExists} "$R0"
    ClearErrors
    Delete "$R0"
    ${If} ${Errors}
      StrCpy $R1 0
      ${Do}
        IntOp $R1 $R1 + 1
        StrCpy $R2 "$R0.$R1.old"
      ${LoopWhile} ${FileExists} "$R2"
      ClearErrors
      Rename "$R0" "$R2"
      ${If} ${Errors}
        MessageBox MB_ICONSTOP "$R0 is in use and cannot be replaced. Close the programs that use it and try again." /SD IDOK
        SetErrorLevel 2
        Abort
      ${EndIf}
      DetailPrint "In use, renamed aside until the next restart: $R2"
      ; MOVEFILE_DELAY_UNTIL_REBOOT (needs rights a per-user install lacks:
      ; then the next install or uninstall deletes it, see DeleteLeftovers).
      System::Call 'kernel32::MoveFileExW(w R2, p 0, i 4) i'
      StrCpy $BandInUse 1
      StrCpy $HeldFiles '$HeldFiles "$R2"'
    ${EndIf}
  ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; Renamed-aside files of earlier updates that nothing holds any more.
Function ${UN}DeleteLeftovers
  Exch $R0
  Push $R1
  FindFirst $R1 $0 "$R0\*.old"
  ${DoWhile} $0 != ""
    Delete "$R0\$0"
    FindNext $R1 $0
  ${Loop}
  FindClose $R1
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro RENAME_ASIDE ""
!insertmacro RENAME_ASIDE "un."

!macro ReplaceFile SOURCE DEST
  Push "${DEST}"
  Call RenameAside
  File "/oname=${DEST}" "${SOURCE}"
!macroend

; Elevated? (an administrator's full token: UserInfo says "Admin").
!macro IsElevated VAR
  UserInfo::GetAccountType
  Pop ${VAR}
!macroend

; Starts this program again elevated with ARGS, waits for it and ends with its
; exit code. $EXEPATH of an uninstaller is its temporary copy: it is given the
; folder it uninstalls ("_?=", last).
!macro RunElevated ARGS
  HideWindow
  System::Call '*(i 60, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w "${ARGS}", p 0, i 1, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
  ${If} $2 == 0
    System::Free $1
    MessageBox MB_ICONSTOP "Installing VelmapBand for all users needs an administrator's permission." /SD IDOK
    SetErrorLevel ${EXIT_NOT_ELEVATED}
    Quit
  ${EndIf}
  System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r3)'
  System::Free $1
  System::Call 'kernel32::WaitForSingleObject(p r3, i -1) i'
  System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4) i'
  System::Call 'kernel32::CloseHandle(p r3) i'
  SetErrorLevel $4
  Quit
!macroend

; The installed versions of each kind ("" when none).
!macro InstalledVersions MACHINE USER
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ReadRegStr ${MACHINE} HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ReadRegStr ${USER} HKCU "${UNINSTALL_KEY}" "DisplayVersion"
!macroend

Function .onInit
  StrCpy $AllUsers 1
  StrCpy $KindFromCommand 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $KindFromCommand 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $KindFromCommand 1
  ${EndIf}
  ; Without a word on the command line, an existing install's kind.
  !insertmacro InstalledVersions $R2 $R3
  ${If} $KindFromCommand == 0
  ${AndIf} $R2 == ""
  ${AndIf} $R3 != ""
    StrCpy $AllUsers 0
  ${EndIf}
  Call BarDefaults
  ; Silent, or the kind given: no page to choose it on.
  ${If} ${Silent}
  ${OrIf} $KindFromCommand == 1
    Call ApplyInstallKind
  ${EndIf}
FunctionEnd

; Everything the chosen kind decides, before anything is changed: one kind of
; install at a time, never an older version over a newer one, elevation for
; all users, the folders and the registry roots.
Function ApplyInstallKind
  !insertmacro InstalledVersions $R2 $R3
  ${If} $AllUsers == 1
    StrCpy $R4 $R2
    StrCpy $R5 $R3
    StrCpy $R6 "for all users"
    StrCpy $R7 "for one user (in that user's own folders)"
  ${Else}
    StrCpy $R4 $R3
    StrCpy $R5 $R2
    StrCpy $R6 "only for you"
    StrCpy $R7 "for all users"
  ${EndIf}
  ${If} $R5 != ""
    MessageBox MB_ICONSTOP "VelmapBand $R5 is already installed $R7. Uninstall it first, or install it the same way again." /SD IDOK
    SetErrorLevel ${EXIT_OTHER_KIND}
    Quit
  ${EndIf}
  ${If} $R4 != ""
    ${VersionCompare} "$R4" "${VERSION}" $R1
    ${If} $R1 == 1
      MessageBox MB_ICONSTOP "A newer VelmapBand ($R4) is installed $R6. To go back to ${VERSION}, uninstall it first." /SD IDOK
      SetErrorLevel ${EXIT_NEWER_INSTALLED}
      Quit
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    !insertmacro IsElevated $R1
    ${If} $R1 != "Admin"
      ${GetParameters} $R0
      ${If} ${Silent}
        !insertmacro RunElevated "/AllUsers /S $R0"
      ${Else}
        !insertmacro RunElevated "/AllUsers $R0"
      ${EndIf}
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ; The folder: the one given (/D=), else where this kind is installed, else
  ; the kind's own default.
  ${If} $INSTDIR == "$PROGRAMFILES\VelmapBand"
    ReadRegStr $R0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
      StrCpy $INSTDIR $R0
    ${ElseIf} $AllUsers == 0
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\VelmapBand"
    ${ElseIf} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\VelmapBand"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function InstallModePage
  ${If} $KindFromCommand == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who uses VelmapBand" "Install it for everybody who uses this computer, or only for you."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 20u 100% 12u "For all users (needs an administrator's permission)"
  Pop $ModeAll
  ${NSD_CreateRadioButton} 0 40u 100% 12u "Only for me"
  Pop $ModeMe
  ${If} $AllUsers == 1
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModeLeave
  ${NSD_GetState} $ModeAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyInstallKind
FunctionEnd

Function ShowBandNow
  !insertmacro Helper "--show ${BAND_CLSID}"
  ${If} $0 != 0
    DetailPrint "${SHOW_FROM_MENU}"
    MessageBox MB_ICONINFORMATION "${SHOW_FROM_MENU}" /SD IDOK
  ${EndIf}
FunctionEnd

; Offered only when a band in use was replaced; never in a silent install.
Function FinishShow
  ${If} $BandInUse == 1
    SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:${BAND_UPDATED_TEXT}"
  ${Else}
    ShowWindow $mui.FinishPage.ShowReadme ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function RestartTaskbarNow
  !insertmacro Helper '--restart-holders $HeldFiles'
FunctionEnd

Function .onInstSuccess
  ; No finish page when silent: its option's default holds.
  ${If} ${Silent}
    Call ShowBandNow
  ${EndIf}
FunctionEnd

Section "VelmapBand (taskbar toolbar)" SecBand
  SectionIn RO
  !insertmacro UnpackHelper
  !insertmacro CloseBars
  Push "$INSTDIR"
  Call DeleteLeftovers
  Push "$INSTDIR\x86"
  Call DeleteLeftovers
  CreateDirectory "$INSTDIR"
  ${If} ${RunningX64}
    !insertmacro ReplaceFile "${BIN64}/VelmapBand.dll" "$INSTDIR\VelmapBand.dll"
    CreateDirectory "$INSTDIR\x86"
    !insertmacro ReplaceFile "${BIN32}/VelmapBand.dll" "$INSTDIR\x86\VelmapBand.dll"
  ${Else}
    !insertmacro ReplaceFile "${BIN32}/VelmapBand.dll" "$INSTDIR\VelmapBand.dll"
  ${EndIf}
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "VelmapBand"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Velmap"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VelmapBand.dll"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  ; The system's own bitness last: where one user's classes are not kept
  ; apart by bitness, the band the taskbar loads wins.
  ${If} ${RunningX64}
    !insertmacro Register 32 "$INSTDIR\x86\VelmapBand.dll"
    !insertmacro Register 64 "$INSTDIR\VelmapBand.dll"
  ${Else}
    !insertmacro Register 32 "$INSTDIR\VelmapBand.dll"
  ${EndIf}

  ; The toolbar menu learns of the band now rather than at the next sign-in.
  !insertmacro Helper --registration-changed
  ${If} $0 != 0
    DetailPrint "${SHOW_FROM_MENU}"
  ${EndIf}
  ${If} $BandInUse == 1
    DetailPrint "${BAND_UPDATED_TEXT}"
  ${EndIf}
SectionEnd

; ---- the floating bar ---------------------------------------------------------
; Windows 11 (build 22000 and later) has no toolbars on its taskbar: there the
; bar starts with Windows and is started when the install ends. Everywhere it
; is a component the user may leave out, selected by default as it always was.
; The installer never starts it itself (it may run elevated, as another user):
; the desktop's shell starts it as the signed-in user, and the bar's first
; start writes its Run value into that user's hive.
Var BarStartsWithWindows

Section "Floating bar (for taskbars without toolbars)" SecBar
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    !insertmacro ReplaceFile "${BIN64}/VelmapBar.exe" "$INSTDIR\VelmapBar.exe"
  ${Else}
    !insertmacro ReplaceFile "${BIN32}/VelmapBar.exe" "$INSTDIR\VelmapBar.exe"
  ${EndIf}
  CreateDirectory "$SMPROGRAMS\VelmapBand"
  CreateShortcut "$SMPROGRAMS\VelmapBand\VelmapBar.lnk" "$INSTDIR\VelmapBar.exe" "" "$INSTDIR\VelmapBar.exe" 0
SectionEnd

; Last of all, once the band is registered: the bar shows it, when it starts
; with Windows from now on or was running before the update.
Section "-Start the floating bar" SecBarStart
  ${If} ${SectionIsSelected} ${SecBar}
    ${If} $BarStartsWithWindows == 1
      !insertmacro Helper '--start-as-user "$INSTDIR\VelmapBar.exe" --start-with-windows'
    ${ElseIf} $BarWasRunning == 1
      !insertmacro Helper '--start-as-user "$INSTDIR\VelmapBar.exe"'
    ${EndIf}
  ${EndIf}
SectionEnd

; Called from .onInit: Windows 11 from the system's build number.
Function BarDefaults
  StrCpy $BarStartsWithWindows 0
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
  ${If} $0 != ""
  ${AndIf} $0 >= 22000
    StrCpy $BarStartsWithWindows 1
    !insertmacro SelectSection ${SecBar}
  ${EndIf}
FunctionEnd
; ---- end of the floating bar ----------------------------------------------------

; ---- skins and the settings program ---------------------------------------------
; The shipped skins into <install dir>\Skins (the band and the 32-bit band in x86\
; both look there) and VelmapBandSettings.exe with its Start-menu entry. The
; user's own skins (%APPDATA%\VelmapBand\Skins) and choice are the user's: kept.
Section "-Skins and settings" SecSkins
  SetOutPath "$INSTDIR\Skins"
  File "${BIN64}/Skins/Chalk.asz"
  File "${BIN64}/Skins/Graphite.asz"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    !insertmacro ReplaceFile "${BIN64}/VelmapBandSettings.exe" "$INSTDIR\VelmapBandSettings.exe"
  ${Else}
    !insertmacro ReplaceFile "${BIN32}/VelmapBandSettings.exe" "$INSTDIR\VelmapBandSettings.exe"
  ${EndIf}
  CreateDirectory "$SMPROGRAMS\VelmapBand"
  CreateShortcut "$SMPROGRAMS\VelmapBand\VelmapBand Settings.lnk" "$INSTDIR\VelmapBandSettings.exe"
SectionEnd

; Runs before the main uninstall section, which removes the folders.
Section "-un.Skins and settings"
  Delete "$INSTDIR\Skins\Chalk.asz"
  Delete "$INSTDIR\Skins\Graphite.asz"
  RMDir "$INSTDIR\Skins"
  ; An open settings window holds its program: renamed aside like the DLLs.
  Push "$INSTDIR\VelmapBandSettings.exe"
  Call un.RenameAside
  Delete "$SMPROGRAMS\VelmapBand\VelmapBand Settings.lnk"
SectionEnd
; ---- end of skins and the settings program --------------------------------------

; The uninstaller removes what its own kind wrote: all users when the machine's
; Add/Remove entry names this folder, else the current user's.
Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  StrCpy $AllUsers 0
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    !insertmacro IsElevated $R1
    ${If} $R1 != "Admin"
      ${If} ${Silent}
        !insertmacro RunElevated "/S _?=$INSTDIR"
      ${Else}
        !insertmacro RunElevated "_?=$INSTDIR"
      ${EndIf}
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

!macro UnReplace FILE
  Push "${FILE}"
  Call un.RenameAside
!macroend

Section "Uninstall"
  !insertmacro UnpackHelper
  !insertmacro CloseBars
  ${If} ${RunningX64}
    ${If} ${FileExists} "$INSTDIR\VelmapBand.dll"
      !insertmacro Regsvr32 64 "/u" "$INSTDIR\VelmapBand.dll"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\x86\VelmapBand.dll"
      !insertmacro Regsvr32 32 "/u" "$INSTDIR\x86\VelmapBand.dll"
    ${EndIf}
  ${ElseIf} ${FileExists} "$INSTDIR\VelmapBand.dll"
    !insertmacro Regsvr32 32 "/u" "$INSTDIR\VelmapBand.dll"
  ${EndIf}

  ; Files in use are renamed aside first, and only the renamed ones wait for
  ; the restart: an install before then keeps its own files.
  Push "$INSTDIR"
  Call un.DeleteLeftovers
  Push "$INSTDIR\x86"
  Call un.DeleteLeftovers
  !insertmacro UnReplace "$INSTDIR\VelmapBand.dll"
  !insertmacro UnReplace "$INSTDIR\x86\VelmapBand.dll"
  !insertmacro UnReplace "$INSTDIR\VelmapBar.exe"
  RMDir "$INSTDIR\x86"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    ; What is still held goes at the restart, then its folders (only when
    ; empty by then). One user cannot schedule that: at that user's next
    ; sign-in the renamed files go, and the folders if nothing else is there.
    ${If} $AllUsers == 1
      System::Call 'kernel32::MoveFileExW(w "$INSTDIR\x86", p 0, i 4) i'
      System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i 4) i'
    ${Else}
      WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\RunOnce" "VelmapBand leftovers" \
        '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\*.old" "$INSTDIR\x86\*.old" & rd "$INSTDIR\x86" & rd "$INSTDIR"'
    ${EndIf}
  ${EndIf}

  Delete "$SMPROGRAMS\VelmapBand\VelmapBar.lnk"
  RMDir "$SMPROGRAMS\VelmapBand"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${BAR_SETTINGS_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "VelmapBar"
  DeleteRegKey /ifempty HKCU "Software\Velmap"
SectionEnd
