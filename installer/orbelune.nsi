; Orbelune's installer, Orbelune-setup.exe, and the uninstaller it writes,
; vesk_uninst.exe. Built by installer/CMakeLists.txt, which defines:
;   VERSION       the program's version, as its version resource gives it
;   VERSION_QUAD  the same in the four parts of a version resource
;   PROGRAM_EXE   the built Orbelune.exe
;   COMPANION_EXE the built OrbeluneCmd.exe, the console companion
;   PROGRAM_ICON  the program's icon
;   OUTFILE       the installer to write
; This file is UTF-8 with a byte-order mark, which makensis needs for the
; Japanese texts.
;
; What it installs, per machine: Orbelune.exe, OrbeluneCmd.exe and vesk_uninst.exe in the
; chosen folder, the empty "icon" folder beside them, the Start menu shortcut
; for all users, and the uninstall key in the 32-bit registry view, which the
; 32-bit program reads. Per user: AppPath in the catalogue key, by which the
; program finds its folder. The installer writes it for the account it runs
; under, which may be an administrator's; the program writes it for every
; other user at their first start (and wherever it names no program).
;
; Installer and uninstaller change only what is provably theirs: the
; uninstall entry, the shortcut and AppPath only while they name this
; folder, and files in another folder only where our program and its
; uninstaller are found there, as their version resources tell.

Unicode true
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; The installer holds no time of the build (File would keep the program's
; modification time): two builds of one commit are the same bytes. The
; installed files get the time they are installed.
SetDateSave off

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Orbelune"
!define PUBLISHER "Tollivern"
!define PROGRAM "Orbelune.exe"
!define UNINSTALLER "vesk_uninst.exe"
!define COMPANION "OrbeluneCmd.exe"
!define ICON_FOLDER "icon"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The program's catalogue key (current user) and the uninstall key (local
; machine), as the program names them.
!define CATALOGUE_KEY "Software\Tollivern"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\vesk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
; Installing again offers the folder of the installation already there.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"

!define MUI_ICON "${PROGRAM_ICON}"
!define MUI_UNICON "${PROGRAM_ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "$(^NameDA) をコンピューターにインストールします。$\r$\n$\r$\n\
$(^NameDA) は Internet Explorer のツールバーに自分のボタンを追加するツールです。\
ボタンが表示されるのは Internet Explorer 11 が動く Windows (Windows 7、Windows 8.1、\
Windows 10 LTSC、Windows Server など) だけです。Microsoft Edge などほかのブラウザーには表示されません。$\r$\n$\r$\n\
$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

; Removes the program file from $INSTDIR before it is replaced or
; uninstalled. While Orbelune runs its file cannot be removed: the user is
; asked to close it and try again; cancelling (and every silent run) ends
; the installation or the uninstallation before anything has changed.
!macro InstallFunctions un
Function ${un}RemoveProgramFile
  retry:
    ClearErrors
    Delete "$INSTDIR\${PROGRAM}"
    IfErrors 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "$INSTDIR\${PROGRAM} を削除できません。$\r$\n\
${PRODUCT} が実行中なら終了してから [再試行] を押してください。" \
      /SD IDCANCEL IDRETRY retry
    Abort "$INSTDIR\${PROGRAM} を削除できません。"
  done:
FunctionEnd

; Whether the folder $R1 (with or without a "\" at its end) is $INSTDIR,
; also under another name (a short name, a junction): a file made in
; $INSTDIR and seen through $R1 tells. $R0 = 1 when it is, 0 when it is not
; (an empty $R1 never is), empty when no file can be made to tell.
Function ${un}IsInstallFolder
  StrCpy $R0 0
  StrCpy $R2 $R1 "" -1
  ${If} $R2 == "\"
    StrCpy $R1 $R1 -1
  ${EndIf}
  ${If} $R1 != ""
    StrCpy $R0 ""
    ClearErrors
    GetTempFileName $R2 "$INSTDIR"
    ${IfNot} ${Errors}
      ${GetFileName} "$R2" $R3
      StrCpy $R0 0
      ${If} ${FileExists} "$R1\$R3"
        StrCpy $R0 1
      ${EndIf}
      Delete "$R2"
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro InstallFunctions ""
!insertmacro InstallFunctions "un."

; $R0 = the string $R2 (e.g. "ProductName") of the version resource of the
; file $R1, in its first translation; empty when there is none.
Function VersionString
  StrCpy $R0 ""
  System::Call 'version::GetFileVersionInfoSizeW(w R1, *i 0) i .R3'
  ${If} $R3 > 0
    System::Alloc $R3
    Pop $R4
    System::Call 'version::GetFileVersionInfoW(w R1, i 0, i R3, p R4) i .R5'
    ${If} $R5 <> 0
      System::Call 'version::VerQueryValueW(p R4, w "\VarFileInfo\Translation", *p .R6, *i .R7) i .R5'
      ${If} $R5 <> 0
      ${AndIf} $R7 >= 4
        System::Call '*$R6(&i2 .R8, &i2 .R9)'
        IntFmt $R8 "%04x" $R8
        IntFmt $R9 "%04x" $R9
        System::Call 'version::VerQueryValueW(p R4, w "\StringFileInfo\$R8$R9\$R2", *p .R6, *i .R7) i .R5'
        ${If} $R5 <> 0
        ${AndIf} $R7 > 0
          System::Call '*$R6(&w$R7 .R0)'
        ${EndIf}
      ${EndIf}
    ${EndIf}
    System::Free $R4
  ${EndIf}
FunctionEnd

; $R0 = 1 when the file $R1 is one of ours by its version resource.
Function IsOurFile
  StrCpy $R2 "CompanyName"
  Call VersionString
  Push $R0
  StrCpy $R2 "ProductName"
  Call VersionString
  Pop $R2
  ${If} $R0 S== "${PRODUCT}"
  ${AndIf} $R2 S== "${PUBLISHER}"
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
FunctionEnd

Section "-${PRODUCT}" SectionProgram
  SetShellVarContext all
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"

  SetOutPath "$INSTDIR"
  Call RemoveProgramFile
  File "/oname=${PROGRAM}" "${PROGRAM_EXE}"
  File "/oname=${COMPANION}" "${COMPANION_EXE}"
  CreateDirectory "$INSTDIR\${ICON_FOLDER}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

  ; The program checks UninstallString at every start and rewrites it
  ; unless it is exactly '"' + AppPath + "vesk_uninst.exe" + '"'.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  SectionGetSize ${SectionProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; An installation in another folder has moved here: its program files
  ; go, and its folders too when nothing of the user's is left in them. The
  ; icons the user saved there stay, since buttons name them by full path.
  ; The files go only when both are ours (the entry's folder may have been
  ; changed by anyone); the same folder under another name keeps them.
  StrCpy $R1 $1
  Call IsInstallFolder
  ${If} $1 != ""
  ${AndIf} $R0 == 0
    StrCpy $R1 "$1\${PROGRAM}"
    Call IsOurFile
    StrCpy $2 $R0
    StrCpy $R1 "$1\${UNINSTALLER}"
    Call IsOurFile
    ${If} $2 == 1
    ${AndIf} $R0 == 1
      Delete "$1\${PROGRAM}"
      Delete "$1\${UNINSTALLER}"
      ; The companion too, where it is ours.
      StrCpy $R1 "$1\${COMPANION}"
      Call IsOurFile
      ${If} $R0 == 1
        Delete "$1\${COMPANION}"
      ${EndIf}
      RMDir "$1\${ICON_FOLDER}"
      RMDir "$1"
    ${EndIf}
  ${EndIf}

  ; AppPath of the account installing: the program appends file and folder
  ; names to it directly. Written where it names this folder or the one
  ; moved from, or no program at all; another folder holding Orbelune.exe
  ; is an installation of that user's choice and stays.
  ReadRegStr $R1 HKCU "${CATALOGUE_KEY}" "AppPath"
  StrCpy $2 $R1
  Call IsInstallFolder
  ${If} $2 == ""
  ${OrIf} $R0 == 1
  ${OrIfNot} ${FileExists} "$2${PROGRAM}"
    WriteRegStr HKCU "${CATALOGUE_KEY}" "AppPath" "$INSTDIR\"
  ${EndIf}
SectionEnd

; Removes what the installer made and nothing the user made: the icon
; folder and the install folder go only when they are empty, and of the
; catalogue key only AppPath goes. The buttons, their command numbers and
; the program's other catalogue values stay for a later installation. A
; copy left in an older folder leaves the uninstall entry, the shortcut and
; AppPath of the installation that moved on alone.
Section "Uninstall"
  SetShellVarContext all
  Call un.RemoveProgramFile
  Delete "$INSTDIR\${COMPANION}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  Call un.IsInstallFolder
  ${If} $R0 == 1
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ReadRegStr $R1 HKCU "${CATALOGUE_KEY}" "AppPath"
  Call un.IsInstallFolder
  ${If} $R0 == 1
    DeleteRegValue HKCU "${CATALOGUE_KEY}" "AppPath"
    ; The catalogue key itself only when nothing else was ever put into it.
    DeleteRegKey /ifempty /ifnovalues HKCU "${CATALOGUE_KEY}"
  ${EndIf}
  RMDir "$INSTDIR\${ICON_FOLDER}"
  RMDir "$INSTDIR"
SectionEnd
