; Norvik's installer: for the current user only (no administrator rights), into
; %LOCALAPPDATA%\Programs\Norvik, with a Start-menu shortcut and an entry in the user's list of
; installed programs. Built by scripts/release.sh:
;   makensis -DVERSION=0.1.0 -DNORVIK_EXE=Norvik.exe -DOUTFILE=Norvik-Setup-0.1.0.exe
;            [-DPUBLISHER=...] [-DNOTICE=...] [-DPRODUCT_URL=...] [-DICON=norvik.ico]
;            [-DSIGN_SCRIPT=installer/sign_file.sh] installer/norvik.nsi
;
; Switches, as Norvik's updater passes them: /SILENT (no pages), /SUPPRESSMSGBOXES (no message
; boxes: every one has a silent default), /NORESTART (it never restarts Windows anyway) and
; /UPDATE=1 (start Norvik again once the files are replaced). /S works as in any NSIS installer.
; A running Norvik is always asked to close first, and its files are replaced only once it has.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | NORVIK_EXE | OUTFILE
  !error "VERSION, NORVIK_EXE and OUTFILE must be defined (-DNAME=value)"
!endif
!ifndef PUBLISHER
  !define PUBLISHER "Kastrel"
!endif
!ifndef NOTICE
  !define NOTICE "© Kastrel"
!endif
!ifndef VI_VERSION
  !define VI_VERSION "${VERSION}.0"
!endif

;  With SIGN_SCRIPT the uninstaller written into the installer is signed as well.
!ifdef SIGN_SCRIPT
  !uninstfinalize '"${SIGN_SCRIPT}" "%1"'
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvik"
!define SINGLE_INSTANCE_MUTEX "Local\Norvik.SingleInstance"
!define ENDSESSION_CLOSEAPP 0x00000001
!define SYNCHRONIZE 0x00100000
!define WAIT_ABANDONED 0x80
!define CLOSE_WAIT_ROUNDS 120  ; of half a second each

Name "Norvik"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Norvik"
BrandingText "Norvik ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VI_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Norvik"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Norvik Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${NOTICE}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_FINISHPAGE_RUN "$INSTDIR\Norvik.exe"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; English unless Windows speaks Korean.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

Var Update  ; 1 when Norvik's updater started this installer

; Asks a running Norvik to close, the way the Restart Manager does (it saves its index and ends),
; then waits until its single-instance mutex is gone or given up, at most a minute.
!macro DEFINE_CLOSE_NORVIK PREFIX
Function ${PREFIX}CloseNorvik
  FindWindow $0 "Norvik.Main"
  ${If} $0 != 0
    SendMessage $0 ${WM_QUERYENDSESSION} 0 ${ENDSESSION_CLOSEAPP} $1 /TIMEOUT=5000
    SendMessage $0 ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP} $1 /TIMEOUT=30000
  ${EndIf}
  StrCpy $2 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${SINGLE_INSTANCE_MUTEX}") p .r1'
    ${If} $1 == 0
      ${Break}  ; no Norvik holds it
    ${EndIf}
    System::Call 'kernel32::WaitForSingleObject(p r1, i 500) i .r3'
    ${If} $3 == 0
    ${OrIf} $3 == ${WAIT_ABANDONED}
      System::Call 'kernel32::ReleaseMutex(p r1)'
      System::Call 'kernel32::CloseHandle(p r1)'
      ${Break}  ; its owner let go or ended
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
    IntOp $2 $2 + 1
    ${If} $2 >= ${CLOSE_WAIT_ROUNDS}
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_NORVIK ""
!insertmacro DEFINE_CLOSE_NORVIK "un."

Function .onInit
  SetShellVarContext current
  StrCpy $Update 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/UPDATE=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "1"
    StrCpy $Update 1
  ${EndIf}
FunctionEnd

Section "Norvik"
  Call CloseNorvik
  SetOutPath "$INSTDIR"
  File "/oname=Norvik.exe" "${NORVIK_EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Norvik.lnk" "$INSTDIR\Norvik.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Norvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Norvik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  !ifdef PRODUCT_URL
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${PRODUCT_URL}"
  !endif
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $Update == 1
    Exec '"$INSTDIR\Norvik.exe"'
  ${EndIf}
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  Call un.CloseNorvik
  ; Norvik's own clean-up: its autostart entry, its settings and its index file.
  ExecWait '"$INSTDIR\Norvik.exe" --unregister'
  Delete "$INSTDIR\Norvik.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Norvik.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
