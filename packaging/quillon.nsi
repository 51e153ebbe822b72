; The Windows installer: quillon.exe and quillon-cli.exe for this user alone
; (no administrator needed, the default) or for everyone under Program Files.
; A 32-bit program itself, so that it starts on both kinds of Windows; it puts
; the 64-bit programs on 64-bit Windows and the 32-bit ones elsewhere.
; makensis -DVERSION=x.y.z -DSTAGE32=folder -DSTAGE64=folder -DICON=quillon.ico
;          -DOUTFILE=setup.exe quillon.nsi
Unicode true
Target x86-unicode
SetCompressor /SOLID lzma

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE  ; /CurrentUser or /AllUsers
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Quillon"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\Quillon"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\Quillon"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

Name "Quillon ${VERSION}"
OutFile "${OUTFILE}"
; The installed files take the time they are installed at: the installer holds no
; time of the build, so that two builds of one commit are the same bytes.
SetDateSave off
BrandingText "Quillon ${VERSION}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define README "readme-ja.txt"  ; the user's read-me, in Japanese
; The last page offers to start the program and to show the read-me.
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillon.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README}"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Quillon"
VIAddVersionKey /LANG=0 "FileDescription" "Quillon ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 Quillon"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

; A 64-bit program's keys are in the 64-bit view of the registry, and
; MultiUser reads the install mode from there.
!macro REGISTRY_VIEW
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REGISTRY_VIEW
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro REGISTRY_VIEW
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Quillon"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${STAGE64}/quillon.exe"
    File "${STAGE64}/quillon-cli.exe"
  ${Else}
    File "${STAGE32}/quillon.exe"
    File "${STAGE32}/quillon-cli.exe"
  ${EndIf}
  File "${STAGE32}/${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillon.lnk" "$INSTDIR\quillon.exe"
  CreateShortcut "$SMPROGRAMS\Quillon お読みください.lnk" "$INSTDIR\${README}"
  WriteRegStr SHCTX "Software\Quillon" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "Software\Quillon" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Quillon"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillon.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The settings and the upload history in %APPDATA%\Quillon are the user's:
; the uninstaller leaves them where they are.
Section "Uninstall"
  Delete "$INSTDIR\quillon.exe"
  Delete "$INSTDIR\quillon-cli.exe"
  Delete "$INSTDIR\${README}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillon.lnk"
  Delete "$SMPROGRAMS\Quillon お読みください.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "Software\Quillon"
SectionEnd
