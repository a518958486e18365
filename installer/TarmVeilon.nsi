; The per-user setup of Tarmel Veilo: puts the program in the user's own programs folder, with a
; Start-menu shortcut and an entry under the user's "Programs and Features", without
; administrator rights. Its uninstaller takes away exactly that and nothing else.
;
; installer/package.sh builds it; it defines VERSION (from the program's version record),
; STAGE (the folder holding the files to install), ICON, OUTFILE and, to sign, SIGN (a command
; that signs the file it is given in place).

; A 64-bit setup for a 64-bit program: it runs where the program runs, 32-bit parts not needed.
Target amd64-unicode
!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined (installer/package.sh does)"
!endif

!define NAME "Tarmel Veilo"
!define PROGRAM "TarmVeilon.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarmelVeilo"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${NAME}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${NAME} ${VERSION}"

!ifdef SIGN
  !finalize '${SIGN} "%1"' = 0
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The stock welcome text speaks of system files and other programs to close: none of that here.
!define MUI_WELCOMEPAGE_TEXT "Vous êtes sur le point d'installer ${NAME} ${VERSION}, pour vous seul : aucun droit d'administrateur n'est demandé.$\r$\n$\r$\nCliquez sur Suivant pour continuer."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de ${NAME}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" ""

Var createdFolder

Section
  ; The uninstaller may remove the folder only if this setup made it: a folder the user chose
  ; that already held files of theirs stays. An upgrade keeps what the first install found.
  StrCpy $createdFolder 0
  ${If} ${FileExists} "$INSTDIR\*.*"
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
      ReadRegDWORD $createdFolder HKCU "${UNINSTALL_KEY}" "CreatedInstallFolder"
    ${EndIf}
  ${Else}
    StrCpy $createdFolder 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\${PROGRAM}"
  File "${STAGE}\LISEZMOI.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedInstallFolder" $createdFolder
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; Only what the setup put in place, by name: never the user's traces, never a whole folder.
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\LISEZMOI.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "CreatedInstallFolder"
  ${If} $0 == 1
    RMDir "$INSTDIR" ; only when empty
  ${EndIf}
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
