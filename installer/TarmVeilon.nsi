; The per-user setup of Tarmel Veilo: puts the program in the user's own programs folder, with a
; Start-menu shortcut and an entry under the user's "Programs and Features", without
; administrator rights. Its uninstaller takes away exactly that and nothing else.
; There is one installation: a second setup upgrades it in its own folder. Files of the same
; names as the setup's that it did not put there are never replaced, and nothing is installed
; or removed while the program runs (its files could not all be replaced or removed).
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
!define CONSOLE "TarmVeilonCmd.exe" ; the console twin, for scripts and the Task Scheduler
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"
!define NB " " ; before « : ; ! ? » in French
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
!define MUI_WELCOMEPAGE_TEXT "Vous êtes sur le point d'installer ${NAME} ${VERSION}, pour vous seul : aucun droit d'administrateur n'est demandé.$\r$\n$\r$\nCliquez sur Suivant pour continuer."
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
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
Var installed ; the folder of the installation in place, or ""
Var refusal   ; why the setup cannot install into $INSTDIR, or ""

; Leaves 1 on the stack when one of the programs in $INSTDIR runs (the window or the console
; twin): a running program cannot be opened for writing (nor replaced, nor deleted).
!macro DEFINE_PROGRAM_RUNNING un
Function ${un}ProgramRunning
  Push $0
  StrCpy $0 0
  ${ForEach} $2 1 2 + 1
    ${If} $2 == 1
      StrCpy $3 "$INSTDIR\${PROGRAM}"
    ${Else}
      StrCpy $3 "$INSTDIR\${CONSOLE}"
    ${EndIf}
    ${If} ${FileExists} "$3"
      ClearErrors
      FileOpen $1 "$3" a
      ${If} ${Errors}
        StrCpy $0 1
      ${Else}
        FileClose $1
      ${EndIf}
    ${EndIf}
  ${Next}
  Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_PROGRAM_RUNNING ""
!insertmacro DEFINE_PROGRAM_RUNNING "un."

Function .onInit
  ; The installation in place is the one whose uninstall entry names a folder that still holds
  ; its uninstaller; an entry left by a folder deleted by hand names none.
  ReadRegStr $installed HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $installed != ""
  ${AndIfNot} ${FileExists} "$installed\${UNINSTALLER}"
    StrCpy $installed ""
  ${EndIf}
FunctionEnd

; Sets $refusal when $INSTDIR is not the folder to install into.
Function CheckFolder
  StrCpy $refusal ""
  ${If} $installed != ""
  ${AndIf} $installed != $INSTDIR
    StrCpy $refusal "${NAME} est déjà installé dans le dossier $installed.$\r$\nPour l'installer ailleurs, désinstallez-le d'abord. Rien n'a été installé."
    Return
  ${EndIf}
  ${If} $installed == ""
    ; A folder of the user's: the setup's names must be free there.
    ${ForEach} $0 1 4 + 1
      ${Select} $0
        ${Case} 1
          StrCpy $1 "${PROGRAM}"
        ${Case} 2
          StrCpy $1 "LISEZMOI.txt"
        ${Case} 3
          StrCpy $1 "${UNINSTALLER}"
        ${Case} 4
          StrCpy $1 "${CONSOLE}"
      ${EndSelect}
      ${If} ${FileExists} "$INSTDIR\$1"
        StrCpy $refusal "Le dossier $INSTDIR contient déjà un fichier $1 qui ne vient pas de cette installation. Pour ne pas le remplacer, rien n'a été installé${NB}: choisissez un autre dossier."
        Return
      ${EndIf}
    ${Next}
  ${EndIf}
  Call ProgramRunning
  Pop $0
  ${If} $0 == 1
    StrCpy $refusal "${NAME} est ouvert${NB}: rien n'a été installé.$\r$\nFermez ${NAME}, puis réessayez."
  ${EndIf}
FunctionEnd

Function DirectoryPre
  ; An upgrade goes into the folder of the installation in place: no folder to choose.
  ${If} $installed != ""
    StrCpy $INSTDIR $installed
    Abort
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Call CheckFolder
  ${If} $refusal != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$refusal"
    Abort ; back to the choice of folder
  ${EndIf}
FunctionEnd

Section
  Call CheckFolder
  ${If} $refusal != ""
    MessageBox MB_OK|MB_ICONSTOP "$refusal" /SD IDOK
    SetErrorLevel 2
    Abort "$refusal"
  ${EndIf}
  ; The uninstaller may remove the folder only if this setup made it: a folder the user chose
  ; that already held files of theirs stays. An upgrade keeps what the first install found.
  StrCpy $createdFolder 0
  ${If} ${FileExists} "$INSTDIR\*.*"
    ${If} $installed == $INSTDIR
      ReadRegDWORD $createdFolder HKCU "${UNINSTALL_KEY}" "CreatedInstallFolder"
    ${EndIf}
  ${Else}
    StrCpy $createdFolder 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\${PROGRAM}"
  File "${STAGE}\${CONSOLE}"
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

Function un.onInit
  ; While the program runs, nothing goes: neither its files, nor its entry, nor its shortcut.
  Call un.ProgramRunning
  Pop $0
  ${If} $0 == 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "${NAME} est ouvert${NB}: rien n'a été désinstallé.$\r$\nFermez ${NAME}, puis réessayez." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The task « Tarmel Veilo » of the user's Task Scheduler goes first, by the program that made
  ; it, with no window: it would start a program that is no longer there.
  ${If} ${FileExists} "$INSTDIR\${CONSOLE}"
    nsExec::Exec '"$INSTDIR\${CONSOLE}" schedule remove'
    Pop $0
  ${EndIf}
  ; Only what the setup put in place, by name: never the user's traces, never a whole folder.
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${CONSOLE}"
  Delete "$INSTDIR\LISEZMOI.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "CreatedInstallFolder"
  ${If} $0 == 1
  ${AndIf} $1 == $INSTDIR
    RMDir "$INSTDIR" ; only when empty
  ${EndIf}
  ; The entry and the shortcut are this installation's only when the entry names its folder.
  ${If} $1 == $INSTDIR
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
