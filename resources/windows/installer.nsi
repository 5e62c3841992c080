; The Windows installer: makensis -DVERSION=... -DBIN=... -DDATA=... -DOUT=...
; (cmake/WindowsInstaller.cmake). It writes InstallPath, and nothing else,
; under the program's key; the user's documents and LatestPath stay when
; Vantrel is removed.
Unicode true
; A 64-bit installer for a 64-bit program (and for a Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
Name "Vantrel"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Vantrel"
RequestExecutionLevel admin
ShowInstDetails show
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Vantrel"
VIAddVersionKey /LANG=1033 "CompanyName" "Tarsel"
VIAddVersionKey /LANG=1033 "FileDescription" "Vantrel ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Tarsel"

!define KEY "Software\Tarsel\Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
!define DOCUMENT_CLASS "Vantrel.Document"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Vantrel"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BIN}\vantrel.exe"
  File "${BIN}\vantrel-cli.exe"
  File "${BIN}\libcurl-4.dll"
  File "${BIN}\zlib1.dll"
  File "${BIN}\libwinpthread-1.dll"
  File "${BIN}\LiberationSansNarrow-Regular.ttf"
  File "${DATA}\manVantrel.pdf"
  File "${DATA}\splash.bmp"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${KEY}" "InstallPath" "$INSTDIR"

  ; The working folder is the installation's, where splash.bmp is.
  CreateShortcut "$SMPROGRAMS\Vantrel.lnk" "$INSTDIR\vantrel.exe" "" "$INSTDIR\vantrel.exe" 0

  WriteRegStr HKLM "Software\Classes\.pre" "" "${DOCUMENT_CLASS}"
  WriteRegStr HKLM "Software\Classes\${DOCUMENT_CLASS}" "" "Vantrel press release"
  WriteRegStr HKLM "Software\Classes\${DOCUMENT_CLASS}\DefaultIcon" "" "$INSTDIR\vantrel.exe,0"
  WriteRegStr HKLM "Software\Classes\${DOCUMENT_CLASS}\shell\open\command" "" '"$INSTDIR\vantrel.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vantrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarsel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; SHCNE_ASSOCCHANGED: Explorer shows the new icon and handler at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\vantrel.exe"
  Delete "$INSTDIR\vantrel-cli.exe"
  Delete "$INSTDIR\libcurl-4.dll"
  Delete "$INSTDIR\zlib1.dll"
  Delete "$INSTDIR\libwinpthread-1.dll"
  Delete "$INSTDIR\LiberationSansNarrow-Regular.ttf"
  Delete "$INSTDIR\manVantrel.pdf"
  Delete "$INSTDIR\splash.bmp"
  ; The release file that Generate, Text File may have written here.
  Delete "$INSTDIR\temp.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Vantrel.lnk"

  ; .pre is left alone when another program has taken it over since.
  ReadRegStr $0 HKLM "Software\Classes\.pre" ""
  StrCmp $0 "${DOCUMENT_CLASS}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.pre"
  DeleteRegKey HKLM "Software\Classes\${DOCUMENT_CLASS}"

  DeleteRegValue HKLM "${KEY}" "InstallPath"
  DeleteRegKey /ifempty HKLM "${KEY}"
  DeleteRegKey /ifempty HKLM "Software\Tarsel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ; Last, so that the folder's going means the uninstallation is complete.
  RMDir "$INSTDIR"
SectionEnd
