; Orbelune's installer, Orbelune-setup.exe, and the uninstaller it writes,
; vesk_uninst.exe. Built by installer/CMakeLists.txt, which defines:
;   VERSION       the program's version, as its version resource gives it
;   VERSION_QUAD  the same in the four parts of a version resource
;   PROGRAM_EXE   the built Orbelune.exe
;   PROGRAM_ICON  the program's icon
;   OUTFILE       the installer to write
; This file is UTF-8 with a byte-order mark, which makensis needs for the
; Japanese texts.
;
; What it installs, per machine: Orbelune.exe and vesk_uninst.exe in the
; chosen folder, the empty "icon" folder beside them, and the uninstall key
; in the 32-bit registry view, which the 32-bit program reads. Per user (the
; one who installs): AppPath in the catalogue key and the Start menu
; shortcut. The program finds its folder through AppPath alone.

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
!macro RemoveProgramFile un
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
!macroend
!insertmacro RemoveProgramFile ""
!insertmacro RemoveProgramFile "un."

Section "-${PRODUCT}" SectionProgram
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"

  SetOutPath "$INSTDIR"
  Call RemoveProgramFile
  File "/oname=${PROGRAM}" "${PROGRAM_EXE}"
  CreateDirectory "$INSTDIR\${ICON_FOLDER}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

  ; The program appends file and folder names to AppPath directly.
  WriteRegStr HKCU "${CATALOGUE_KEY}" "AppPath" "$INSTDIR\"

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
  ${If} $1 != ""
  ${AndIf} $1 != $INSTDIR
    ; The same folder may go by another name (a short name, a junction): a
    ; file made here and seen there tells. If none can be made, nothing goes.
    ClearErrors
    GetTempFileName $2 "$INSTDIR"
    ${GetFileName} "$2" $3
    ${IfNot} ${Errors}
    ${AndIfNot} ${FileExists} "$1\$3"
      Delete "$1\${PROGRAM}"
      Delete "$1\${UNINSTALLER}"
      RMDir "$1\${ICON_FOLDER}"
      RMDir "$1"
    ${EndIf}
    Delete "$2"
  ${EndIf}
SectionEnd

; Removes what the installer made and nothing the user made: the icon
; folder and the install folder go only when they are empty, and of the
; catalogue key only AppPath goes. The buttons, their command numbers and
; the program's other catalogue values stay for a later installation.
Section "Uninstall"
  Call un.RemoveProgramFile
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${SHORTCUT}"
  RMDir "$INSTDIR\${ICON_FOLDER}"
  RMDir "$INSTDIR"
  DeleteRegValue HKCU "${CATALOGUE_KEY}" "AppPath"
  ; The catalogue key itself only when nothing else was ever put into it.
  DeleteRegKey /ifempty /ifnovalues HKCU "${CATALOGUE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
