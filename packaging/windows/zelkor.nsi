; The Windows installer of Zelkor, made by NSIS (makensis runs on Linux too):
;   makensis -DVERSION=1.2.3 -DSTAGE=<folder with the program> -DOUTFILE=<setup.exe> zelkor.nsi
; A per-user install: no administrator rights, everything under the user's
; own folders and HKEY_CURRENT_USER. /S installs and uninstalls silently,
; for lab-wide rollouts. The uninstaller removes the program and its
; registry entries and leaves the user's data (the Zelkor folder in
; Documents, settings) alone.

; A 64-bit installer for a 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!ifndef VERSION
  !error "makensis -DVERSION=..."
!endif
!ifndef STAGE
  !error "makensis -DSTAGE=..."
!endif
!ifndef OUTFILE
  !define OUTFILE "Zelkor-${VERSION}-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelkor"

Name "Zelkor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zelkor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${STAGE}\zelkor.ico"
UninstallIcon "${STAGE}\zelkor.ico"
BrandingText "Zelkor ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Zelkor"
VIAddVersionKey "CompanyName" "Nalvik, Inc"
VIAddVersionKey "FileDescription" "Zelkor setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Nalvik, Inc"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zelkor"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Zelkor.lnk" "$INSTDIR\zelkor.exe" "" "$INSTDIR\zelkor.ico" 0

  ; The .gps association, through the program's own registration (the same
  ; entries under HKEY_CURRENT_USER\Software\Classes as zelkor.exe /RegServer).
  ExecWait '"$INSTDIR\zelkor.exe" /RegServer' $0
  StrCmp $0 "0" +2
    DetailPrint "The .gps file association could not be written (status $0)."

  ; Programs and Features.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zelkor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Nalvik, Inc"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zelkor.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ExecWait '"$INSTDIR\zelkor.exe" /UnregServer'
  Delete "$SMPROGRAMS\Zelkor.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only what the installer put there: the program's folder. The user's
  ; data and settings stay.
  RMDir /r "$INSTDIR"
SectionEnd
