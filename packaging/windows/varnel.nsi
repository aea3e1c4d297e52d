; The Windows installer: makensis -DVERSION=x.y.z -DBUILD_DIR=... -DOUT_FILE=... varnel.nsi
; A 64-bit installer for the 64-bit program (and for Wine prefixes without 32-bit support).
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef BUILD_DIR
  !error "BUILD_DIR is not defined"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "varnel-${VERSION}-setup.exe"
!endif

!define PRODUCT "Varnel"
!define PUBLISHER "The Varnel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The search window's class: closing it ends a running Varnel before its files are replaced.
!define WINDOW_CLASS "Varnel"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${SOURCE_DIR}\src\adapters\win32\varnel.ico"
!define MUI_UNICON "${SOURCE_DIR}\src\adapters\win32\varnel.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\varnel.exe"
!insertmacro MUI_PAGE_LICENSE "${SOURCE_DIR}\LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro CloseRunningVarnel
  FindWindow $0 "${WINDOW_CLASS}" ""
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 500
  ${EndIf}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Varnel needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Varnel" SecProgram
  SectionIn RO
  !insertmacro CloseRunningVarnel
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}\varnel.exe"
  File /nonfatal "${BUILD_DIR}\varnel.com"
  File "/oname=LICENSE.txt" "${SOURCE_DIR}\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\varnel.exe" "" "$INSTDIR\varnel.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varnel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 8192
SectionEnd

Section "Start Varnel when I sign in" SecRunAtLogin
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\varnel.exe"'
SectionEnd

Section "Uninstall"
  !insertmacro CloseRunningVarnel
  Delete "$INSTDIR\varnel.exe"
  Delete "$INSTDIR\varnel.com"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The settings file in %APPDATA%\Varnel is the user's: it stays.
SectionEnd
