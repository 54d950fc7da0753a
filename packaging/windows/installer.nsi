; The Windows installer of 円の公式ドリル (64-bit, per machine).
;   makensis -DVERSION=1.0.15 -DSTAGE=<folder with the programs> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> installer.nsi
; Silent installation on every machine of a school:
;   circle-drill-<version>-setup.exe /S [/CLASSROOM=\\server\share\教室\circle]
;       [/OUTBOX=D:\drill-outbox] [/DESKTOP] [/D=C:\...]
; /CLASSROOM names the classroom's program folder (the folder whose parent
; holds パスデータ.txt), with or without quotes, spaces included; without it
; the demo classroom is laid out. A silent installation refuses a folder
; without パスデータ.txt above it: exit code 2 and a line in
; circle-drill-setup.log beside the installer. /OUTBOX names the folder of
; this machine that keeps runs until the results file takes them (a drive
; that survives a restore-at-reboot), written to 預け先フォルダ.txt.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include StrFunc.nsh
${StrStr}
${StrRep}

!define PRODUCT "円の公式ドリル"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CircleDrill"
!define SETTINGS "Software\CircleDrill"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\CircleDrill"
InstallDirRegKey HKLM "${SETTINGS}" "InstallFolder"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "円の公式ドリルの作者"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var Classroom        ; the classroom's program folder, or empty for the demo
Var Outbox           ; this machine's folder for runs not yet recorded, or empty
Var ClassroomField
Var DemoChoice
Var ExistingChoice

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom ClassroomPage ClassroomPageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} は 64 ビット版の Windows で動きます。" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  ReadRegStr $Classroom HKLM "${SETTINGS}" "ClassroomFolder"
  ${GetParameters} $R0
  Push "/CLASSROOM="
  Call FolderOption
  Pop $R1
  ${IfThen} $R1 != "" ${|} StrCpy $Classroom $R1 ${|}
  Push "/OUTBOX="
  Call FolderOption
  Pop $Outbox
  Push $Classroom
  Call TidyFolder
  Pop $Classroom
  ${If} ${Silent}
  ${AndIf} $Classroom != ""
  ${AndIfNot} ${FileExists} "$Classroom\..\パスデータ.txt"
    Push "$Classroom の上のフォルダにパスデータ.txt がありません。インストールしませんでした。/CLASSROOM= には、上のフォルダにパスデータ.txt がある教室のプログラムフォルダを指定してください。"
    Call LogBesideInstaller
    SetErrorLevel 2
    Quit
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DESKTOP" $R1
  ${IfNot} ${Errors}
    SectionSetFlags 1 ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; The folder given with an option ("/CLASSROOM=" on the stack) on the
; command line ($R0), tidied, or empty. Not GetOptions: it misses an option
; quoted whole ("/CLASSROOM=C:\教室 A\circle"). The folder runs to the next
; option; a Windows path holds no " /".
Function FolderOption
  Exch $0
  Push $1
  Push $2
  Push $3
  ${StrStr} $1 $R0 $0
  ${If} $1 != ""
    StrLen $2 $0
    StrCpy $1 $1 "" $2
    ${StrStr} $2 $1 " /"
    StrLen $3 $2
    StrLen $2 $1
    IntOp $2 $2 - $3
    StrCpy $1 $1 $2
  ${EndIf}
  Push $1
  Call TidyFolder
  Pop $0
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; A folder as typed, pasted or copied from Explorer's address bar, without
; quotes, blanks around it or backslashes at its end: a shortcut's argument
; "C:\教室\circle\" would end in a literal quote. On the stack, in and out.
Function TidyFolder
  Exch $0
  Push $1
  ${StrRep} $0 $0 '"' ''
  ${Do}
    StrCpy $1 $0 1
    ${IfThen} $1 != " " ${|} ${ExitDo} ${|}
    StrCpy $0 $0 "" 1
  ${Loop}
  ${Do}
    StrCpy $1 $0 1 -1
    ${If} $1 != " "
    ${AndIf} $1 != "\"
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  Pop $1
  Exch $0
FunctionEnd

; Appends a line (on the stack) to circle-drill-setup.log beside the
; installer, or in the temporary folder when that folder cannot be written;
; UTF-16 with a byte order mark, which Notepad reads on any Windows.
Function LogBesideInstaller
  Exch $0
  Push $1
  Push $2
  StrCpy $2 "$EXEDIR\circle-drill-setup.log"
  ClearErrors
  FileOpen $1 $2 a
  ${If} ${Errors}
    StrCpy $2 "$TEMP\circle-drill-setup.log"
    ClearErrors
    FileOpen $1 $2 a
  ${EndIf}
  ${IfNot} ${Errors}
    FileSeek $1 0 END $2
    ${If} $2 == 0
      FileWriteWord $1 0xFEFF
    ${EndIf}
    FileWriteUTF16LE $1 "${PRODUCT} ${VERSION}: $0$\r$\n"
    FileClose $1
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Which classroom the program starts on: a demo classroom laid out on this
; machine, or the classroom's existing installation on the file server.
Function ClassroomPage
  !insertmacro MUI_HEADER_TEXT "教室のフォルダ" "プログラムが使う教室を選んでください。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "デモ教室を作って試す（このコンピュータの公開ドキュメントに作ります）"
  Pop $DemoChoice
  ${NSD_CreateRadioButton} 0 18u 100% 12u "教室の今のフォルダを使う（プログラムフォルダを選んでください）"
  Pop $ExistingChoice
  ${NSD_CreateText} 12u 34u 220u 13u "$Classroom"
  Pop $ClassroomField
  ${NSD_CreateBrowseButton} 236u 33u 50u 15u "参照..."
  Pop $0
  ${NSD_OnClick} $0 BrowseClassroom
  ${NSD_CreateLabel} 12u 54u 100% 36u "プログラムフォルダは、上のフォルダにパスデータ.txt がある教室のフォルダです（例: \\server\share\教室\circle）。"
  Pop $0
  ${If} $Classroom == ""
    ${NSD_Check} $DemoChoice
  ${Else}
    ${NSD_Check} $ExistingChoice
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function BrowseClassroom
  ${NSD_GetText} $ClassroomField $0
  nsDialogs::SelectFolderDialog "教室のプログラムフォルダ" "$0"
  Pop $0
  ${If} $0 != error
    ${NSD_SetText} $ClassroomField "$0"
    ${NSD_Check} $ExistingChoice
    ${NSD_Uncheck} $DemoChoice
  ${EndIf}
FunctionEnd

Function ClassroomPageLeave
  ${NSD_GetState} $DemoChoice $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Classroom ""
    Return
  ${EndIf}
  ${NSD_GetText} $ClassroomField $Classroom
  Push $Classroom
  Call TidyFolder
  Pop $Classroom
  ${NSD_SetText} $ClassroomField $Classroom
  ${IfNot} ${FileExists} "$Classroom\..\パスデータ.txt"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "$Classroom の上のフォルダにパスデータ.txt がありません。このフォルダを使いますか？" IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "${PRODUCT}（必須）" SecProgram
  SectionIn RO
  SetRegView 64
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\circle-drill.exe"
  File "${STAGE}\drill-stats.exe"
  File "${STAGE}\drill-report.exe"
  File "${STAGE}\drill-worksheet.exe"
  File "${STAGE}\make-demo.exe"
  File "${STAGE}\demo-menu.exe"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\fonts"
  File "${STAGE}\fonts\*.*"

  ${If} $Classroom == ""
    StrCpy $R9 "$DOCUMENTS\${PRODUCT}"
    nsExec::ExecToLog '"$INSTDIR\make-demo.exe" "$R9"'
    Pop $0
    ${If} $0 != 0
      MessageBox MB_ICONEXCLAMATION "デモ教室を作れませんでした（$R9、終了コード $0）。" /SD IDOK
    ${EndIf}
    StrCpy $Classroom "$R9\circle"
    WriteRegStr HKLM "${SETTINGS}" "DemoFolder" "$R9"
  ${EndIf}
  WriteRegStr HKLM "${SETTINGS}" "InstallFolder" "$INSTDIR"
  WriteRegStr HKLM "${SETTINGS}" "ClassroomFolder" "$Classroom"
  ; The program reads this machine's outbox folder beside itself, in the
  ; system's code page (932 on a Japanese Windows); without /OUTBOX= an
  ; earlier setting stays.
  ${If} $Outbox != ""
    FileOpen $0 "$INSTDIR\預け先フォルダ.txt" w
    FileWrite $0 "$Outbox\$\r$\n"
    FileClose $0
  ${EndIf}

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\circle-drill.exe" \
    '--program-folder "$Classroom"' "$INSTDIR\circle-drill.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}（全画面）.lnk" "$INSTDIR\circle-drill.exe" \
    '--program-folder "$Classroom" --fullscreen' "$INSTDIR\circle-drill.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\アンインストール.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\circle-drill.exe"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" $0
SectionEnd

Section /o "デスクトップにショートカット" SecDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\circle-drill.exe" \
    '--program-folder "$Classroom"' "$INSTDIR\circle-drill.exe" 0
SectionEnd

; Removes the program and its shortcuts; a classroom's folders (the demo
; classroom's included) and their results stay as they are.
Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "$DESKTOP\${PRODUCT}.lnk"
  RMDir /r "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\circle-drill.exe"
  Delete "$INSTDIR\drill-stats.exe"
  Delete "$INSTDIR\drill-report.exe"
  Delete "$INSTDIR\drill-worksheet.exe"
  Delete "$INSTDIR\make-demo.exe"
  Delete "$INSTDIR\demo-menu.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\預け先フォルダ.txt"
  RMDir /r "$INSTDIR\fonts"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
  DeleteRegKey HKLM "${SETTINGS}"
SectionEnd
