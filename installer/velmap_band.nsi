; VelmapBand-Setup.exe: the band DLL of each bitness, each registered by the
; regsvr32 of its own bitness, the optional floating bar with its Start-menu
; entry, an Add/Remove Programs entry and an uninstaller that undoes it all.
; After registering, it tells the taskbar that its set of toolbars changed and,
; as the finish page offers (on by default; always in a silent install), asks
; it to show the band now. Where the taskbar cannot be told (before Windows 7),
; it says how to show the band from the Toolbars menu instead.
;
;   makensis -DVERSION=x.y.z -DBIN64=<win64 bin> -DBIN32=<win32 bin> -DBAND_CLSID={...} -DOUTFILE=<exe> velmap_band.nsi
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include x64.nsh
!include MUI2.nsh
!include Sections.nsh

!ifndef VERSION | BIN64 | BIN32 | OUTFILE | BAND_CLSID
  !error "VERSION, BIN64, BIN32, BAND_CLSID and OUTFILE must be defined"
!endif
!define SHOW_FROM_MENU "To show VelmapBand, right-click the taskbar and choose Toolbars, then $\"Velmora Player$\"."


!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VelmapBand"
!define BAR_SETTINGS_KEY "Software\Velmap\VelmapBar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "VelmapBand"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\VelmapBand"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "VelmapBand"
VIAddVersionKey /LANG=1033 CompanyName "Velmap"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) Velmap"
VIAddVersionKey /LANG=1033 FileDescription "VelmapBand Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Show VelmapBand on the taskbar now"
!define MUI_FINISHPAGE_RUN_FUNCTION ShowBandNow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; regsvr32 of the given bitness on a DLL; a failure ends the install.
!macro Regsvr32 BITS ARGS DLL
  ${If} ${BITS} == 64
    ${DisableX64FSRedirection}
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s ${ARGS} "${DLL}"' $0
    ${EnableX64FSRedirection}
  ${ElseIf} ${RunningX64}
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s ${ARGS} "${DLL}"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${ARGS} "${DLL}"' $0
  ${EndIf}
!macroend

!macro Register BITS DLL
  !insertmacro Regsvr32 ${BITS} "" "${DLL}"
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "Registering ${DLL} failed ($0)." /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
!macroend

; The floating bar holds the band: asked to close before files go.
!macro CloseBars
  StrCpy $1 0
  ${Do}
    FindWindow $0 "VelmapBandHostStrip" "VelmapBar"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 200
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 25
!macroend

; The taskbar is told through a helper of the system's bitness, run from the
; installer's temporary folder: exit code 0 done, 2 no way to tell this
; taskbar (its own words on how to show the band go to the details).
!macro TellTaskbar ARGS
  nsExec::ExecToLog '"$PLUGINSDIR\taskbar-notify.exe" ${ARGS}'
  Pop $0
!macroend

Function ShowBandNow
  !insertmacro TellTaskbar "--show ${BAND_CLSID}"
  ${If} $0 != 0
    DetailPrint "${SHOW_FROM_MENU}"
    MessageBox MB_ICONINFORMATION "${SHOW_FROM_MENU}" /SD IDOK
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ; No finish page when silent: its option's default holds.
  ${If} ${Silent}
    Call ShowBandNow
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
    ${If} $INSTDIR == "$PROGRAMFILES\VelmapBand"
      StrCpy $INSTDIR "$PROGRAMFILES64\VelmapBand"
    ${EndIf}
  ${EndIf}
  Call BarDefaults
FunctionEnd

Section "VelmapBand (taskbar toolbar)" SecBand
  SectionIn RO
  !insertmacro CloseBars
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${BIN64}/VelmapBand.dll"
    SetOutPath "$INSTDIR\x86"
    File "${BIN32}/VelmapBand.dll"
  ${Else}
    File "${BIN32}/VelmapBand.dll"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VelmapBand"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velmap"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VelmapBand.dll"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} ${RunningX64}
    !insertmacro Register 64 "$INSTDIR\VelmapBand.dll"
    !insertmacro Register 32 "$INSTDIR\x86\VelmapBand.dll"
  ${Else}
    !insertmacro Register 32 "$INSTDIR\VelmapBand.dll"
  ${EndIf}

  ; The toolbar menu learns of the band now rather than at the next sign-in.
  InitPluginsDir
  ${If} ${RunningX64}
    File "/oname=$PLUGINSDIR\taskbar-notify.exe" "${BIN64}/taskbar-notify.exe"
  ${Else}
    File "/oname=$PLUGINSDIR\taskbar-notify.exe" "${BIN32}/taskbar-notify.exe"
  ${EndIf}
  !insertmacro TellTaskbar --registration-changed
  ${If} $0 != 0
    DetailPrint "${SHOW_FROM_MENU}"
  ${EndIf}
SectionEnd

; ---- the floating bar ---------------------------------------------------------
; Windows 11 (build 22000 and later) has no toolbars on its taskbar: there the
; the bar starts with Windows and is started when the install ends. Everywhere
; it is a component the user may leave out, selected by default as it always was.
Var BarStartsWithWindows

Section "Floating bar (for taskbars without toolbars)" SecBar
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${BIN64}/VelmapBar.exe"
  ${Else}
    File "/oname=VelmapBar.exe" "${BIN32}/VelmapBar.exe"
  ${EndIf}
  CreateDirectory "$SMPROGRAMS\VelmapBand"
  CreateShortcut "$SMPROGRAMS\VelmapBand\VelmapBar.lnk" "$INSTDIR\VelmapBar.exe" "" "$INSTDIR\VelmapBar.exe" 0
  ; The bar's own "Start with Windows" value, for the user who installs.
  ${If} $BarStartsWithWindows == 1
    WriteRegStr HKCU "${RUN_KEY}" "VelmapBar" '"$INSTDIR\VelmapBar.exe"'
  ${EndIf}
SectionEnd

; Last of all, once the band is registered: the bar shows it.
Section "-Start the floating bar" SecBarStart
  ${If} ${SectionIsSelected} ${SecBar}
  ${AndIf} $BarStartsWithWindows == 1
    Exec '"$INSTDIR\VelmapBar.exe"'
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
    File "${BIN64}/VelmapBandSettings.exe"
  ${Else}
    File "/oname=VelmapBandSettings.exe" "${BIN32}/VelmapBandSettings.exe"
  ${EndIf}
  CreateDirectory "$SMPROGRAMS\VelmapBand"
  CreateShortcut "$SMPROGRAMS\VelmapBand\VelmapBand Settings.lnk" "$INSTDIR\VelmapBandSettings.exe"
SectionEnd

; Runs before the main uninstall section, which removes the folders.
Section "-un.Skins and settings"
  Delete "$INSTDIR\Skins\Chalk.asz"
  Delete "$INSTDIR\Skins\Graphite.asz"
  RMDir "$INSTDIR\Skins"
  Delete "$INSTDIR\VelmapBandSettings.exe"
  Delete "$SMPROGRAMS\VelmapBand\VelmapBand Settings.lnk"
SectionEnd
; ---- end of skins and the settings program --------------------------------------

Function un.onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Uninstall"
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

  Delete /REBOOTOK "$INSTDIR\VelmapBand.dll"
  Delete /REBOOTOK "$INSTDIR\x86\VelmapBand.dll"
  RMDir "$INSTDIR\x86"
  Delete "$INSTDIR\VelmapBar.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  Delete "$SMPROGRAMS\VelmapBand\VelmapBar.lnk"
  RMDir "$SMPROGRAMS\VelmapBand"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${BAR_SETTINGS_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "VelmapBar"
  DeleteRegKey /ifempty HKCU "Software\Velmap"
SectionEnd
