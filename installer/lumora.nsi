; The setup program a merchant downloads, and the upgrade installer the program opens.
; Built by scripts/release:
;   makensis -DVERSION=1.1 -DVERSION_QUAD=1.1.0.0 -DSTAGE=<laid-out Lumora folder> -DOUTFILE=<setup.exe> lumora.nsi
; Per-user: everything goes under the user's own folders and HKCU, so no administrator
; rights are needed and the working folder stays writable for the program.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | VERSION_QUAD | STAGE | OUTFILE | ICON
  !error "define VERSION, VERSION_QUAD, STAGE, ICON and OUTFILE (see scripts/release)"
!endif

!define PRODUCT "Lumora开票助手"
!define PUBLISHER "Lumora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora"
!define UNINSTALLER "卸载 Lumora开票助手.exe"
; The program holds this mutex for its whole life (one copy at a time).
!define PROGRAM_MUTEX "Moravel"
!define PROGRAM_WINDOW_CLASS "SOUIHOST"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} 卸载"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\Lumora"
; An upgrade goes where the installed copy lives.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "欢迎安装 ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "此程序将引导您完成 ${PRODUCT} ${VERSION} 的安装。$\r$\n$\r$\n如果 ${PRODUCT} 正在运行，安装程序会先将其关闭。您的登录信息、公司资料和名片图片会原样保留。$\r$\n$\r$\n点击 [下一步(N)] 继续。"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "程序文件将被删除。您的数据（登录信息、公司资料、名片图片）保存在 Moravel 文件夹中，默认保留；如需一并删除，请勾选下面的选项。"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

; Files of a running copy cannot be replaced. The upgrade ends the program itself right
; after opening us; otherwise it is asked to close (its windows end the program on
; WM_CLOSE). Either way we wait, within a bound, and say so when it stays.
!macro WAIT_FOR_PROGRAM_END UN WHAT
Function ${UN}WaitForProgramEnd
  StrCpy $R1 0
  check:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${PROGRAM_MUTEX}") p.r0'
    ${If} $0 P= 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${If} $R1 = 12
      DetailPrint "正在关闭正在运行的 ${PRODUCT}…"
    ${EndIf}
    ${If} $R1 = 12
    ${OrIf} $R1 = 40
      FindWindow $1 "${PROGRAM_WINDOW_CLASS}" "${PRODUCT}"
      ${If} $1 <> 0
        SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      ${EndIf}
    ${EndIf}
    ${If} $R1 >= 72
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} 仍在运行，无法${WHAT}。$\r$\n请右键单击任务栏通知区域中的图标并选择“退出”，然后点击“重试”。" /SD IDCANCEL IDRETRY retry
      DetailPrint "${PRODUCT} 仍在运行，${WHAT}已取消。"
      SetErrorLevel 2
      Abort "${PRODUCT} 仍在运行，${WHAT}已取消。"
      retry:
      StrCpy $R1 12
    ${EndIf}
    Sleep 250
    IntOp $R1 $R1 + 1
    Goto check
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM_END "" "安装"
!insertmacro WAIT_FOR_PROGRAM_END "un." "卸载"

; The program's files. Each is written beside the old one first (app.new\), then the
; old ones are copied aside (app.old\), then each new one replaces its old one by a
; rename, the program last: until then the old program starts as before, and a failure
; puts back what was replaced.
!macro RESTORE_FILE NAME
  ${If} ${FileExists} "$INSTDIR\app.old\${NAME}"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\app.old\${NAME}", w "$INSTDIR\app\${NAME}", i 0x9) i.r0'
  ${EndIf}
!macroend
; Fails the setup (see Failure) when the file cannot be replaced: held open by another
; program without delete sharing (a virus scanner, a copy still running).
!macro CHECK_REPLACEABLE NAME
  ${If} ${FileExists} "$INSTDIR\app\${NAME}"
  ${AndIf} $Failure == ""
    ; DELETE access with every sharing: refused exactly when a handle shuts deleters out.
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\app\${NAME}", i 0x00010000, i 7, p 0, i 3, i 0x80, p 0) p.r0 ?e'
    Pop $1
    ${If} $0 P= -1
      StrCpy $Failure "文件 app\${NAME} 正被其他程序占用，无法替换（错误 $1）。"
    ${Else}
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${EndIf}
!macroend
!macro BACK_UP NAME
  ${If} ${FileExists} "$INSTDIR\app\${NAME}"
  ${AndIf} $Failure == ""
    ClearErrors
    CopyFiles /SILENT "$INSTDIR\app\${NAME}" "$INSTDIR\app.old"
    ${If} ${Errors}
      StrCpy $Failure "无法备份 app\${NAME}（磁盘已满？）。"
    ${EndIf}
  ${EndIf}
!macroend
!macro SWAP_IN NAME
  ${If} $Failure == ""
    ; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: one rename, old or new, never neither.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\app.new\${NAME}", w "$INSTDIR\app\${NAME}", i 0x9) i.r0 ?e'
    Pop $1
    ${If} $0 = 0
      StrCpy $Failure "无法替换 app\${NAME}（错误 $1）。"
    ${EndIf}
  ${EndIf}
!macroend

; What the setup says when it stops: on its page, and in silent mode as one line of
; $INSTDIR\setup.log (beside app\ and Moravel\, never inside Moravel\) with exit code 3.
Var Failure
; "writing" while the new files are written: a failure then is the disk's.
Var Stage
Function LogLine
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  ClearErrors
  FileOpen $4 "$INSTDIR\setup.log" a
  ${IfNot} ${Errors}
    FileSeek $4 0 END
    FileWriteUTF16LE /BOM $4 "$3-$2-$1 $5:$6:$7 ${VERSION}: $0$\r$\n"
    FileClose $4
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Test runs may stop the setup at a named point (LUMORA_SETUP_PAUSE_AT), to be killed
; there: it creates the file LUMORA_SETUP_PAUSED names and waits.
!macro PAUSE_POINT NAME
  Push "${NAME}"
  Call PausePoint
!macroend
Function PausePoint
  Exch $0
  Push $1
  ReadEnvStr $1 LUMORA_SETUP_PAUSE_AT
  ${If} $1 == $0
    ReadEnvStr $1 LUMORA_SETUP_PAUSED
    FileOpen $1 $1 w
    FileClose $1
    wait:
      Sleep 1000
      Goto wait
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Puts back what a run killed during its swap replaced: app.old\ holds the old files
; for as long as the swap runs.
Function RestoreInterruptedSwap
  ${If} ${FileExists} "$INSTDIR\app.old\*.*"
    !insertmacro RESTORE_FILE Moravel.exe
    !insertmacro RESTORE_FILE render-gdid.dll
    !insertmacro RESTORE_FILE imgdecoder-gdipd.dll
    RMDir /r "$INSTDIR\app.old"
  ${EndIf}
FunctionEnd

Function StartProgram
  SetOutPath "$INSTDIR\app"
  Exec '"$INSTDIR\app\Moravel.exe"'
FunctionEnd

Section "-program"
  Call WaitForProgramEnd
  Call RestoreInterruptedSwap
  StrCpy $Failure ""

  ; 1. The new files beside the old ones. A write that fails (a full disk) ends the
  ; setup here, through .onInstFailed: nothing of the installed program has changed.
  RMDir /r "$INSTDIR\app.new"
  StrCpy $Stage "writing"
  SetOutPath "$INSTDIR\app.new"
  File "${STAGE}\app\render-gdid.dll"
  !insertmacro PAUSE_POINT after-first-file
  File "${STAGE}\app\imgdecoder-gdipd.dll"
  File "${STAGE}\app\Moravel.exe"
  !insertmacro PAUSE_POINT after-last-file
  StrCpy $Stage ""
  ; Out of app.new\: a folder that is any process's current one cannot be removed.
  SetOutPath "$INSTDIR"

  ; 2. Every old file must be replaceable, and is copied aside first.
  CreateDirectory "$INSTDIR\app"
  !insertmacro CHECK_REPLACEABLE render-gdid.dll
  !insertmacro CHECK_REPLACEABLE imgdecoder-gdipd.dll
  !insertmacro CHECK_REPLACEABLE Moravel.exe
  RMDir /r "$INSTDIR\app.old"
  CreateDirectory "$INSTDIR\app.old"
  !insertmacro BACK_UP render-gdid.dll
  !insertmacro BACK_UP imgdecoder-gdipd.dll
  !insertmacro BACK_UP Moravel.exe

  ; 3. The swap, the program last.
  !insertmacro SWAP_IN render-gdid.dll
  !insertmacro PAUSE_POINT during-swap
  !insertmacro SWAP_IN imgdecoder-gdipd.dll
  !insertmacro SWAP_IN Moravel.exe
  ${If} $Failure != ""
    Call RestoreInterruptedSwap
    RMDir /r "$INSTDIR\app.new"
    RMDir /r "$INSTDIR\app.old"
    Push $Failure
    Call LogLine
    DetailPrint $Failure
    SetDetailsView show
    MessageBox MB_OK|MB_ICONSTOP "$Failure$\r$\n$\r$\n${PRODUCT} 未被更改，仍可照常使用。" /SD IDOK
    SetErrorLevel 3
    Abort "$Failure"
  ${EndIf}
  ; 4. Only now are the old files removed.
  RMDir /r "$INSTDIR\app.old"
  RMDir /r "$INSTDIR\app.new"

  ; The working folder is the merchant's: what is there stays as it is.
  SetOutPath "$INSTDIR\Moravel"
  SetOverwrite off
  File "${STAGE}\Moravel\bizcard_frame.png"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; Shortcuts start the program in its own folder; it enters ..\Moravel itself.
  SetShellVarContext current
  SetOutPath "$INSTDIR\app"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\app\Moravel.exe" "" "$INSTDIR\app\Moravel.exe" 0
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\app\Moravel.exe" "" "$INSTDIR\app\Moravel.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\app\Moravel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; A write that failed (the disk full) aborts the setup before the swap: the new files
; go, the installed program stays as it was.
Function .onInstFailed
  ${If} $Stage == "writing"
    SetOutPath "$INSTDIR"
    RMDir /r "$INSTDIR\app.new"
    Push "写入新文件失败（磁盘已满或无法写入），安装已取消；原有程序未被更改。"
    Call LogLine
    SetErrorLevel 3
  ${EndIf}
FunctionEnd

Section "-un.program"
  Call un.WaitForProgramEnd
  RMDir /r "$INSTDIR\app.new"
  RMDir /r "$INSTDIR\app.old"
  Delete "$INSTDIR\setup.log"
  Delete "$INSTDIR\app\Moravel.exe"
  Delete "$INSTDIR\app\render-gdid.dll"
  Delete "$INSTDIR\app\imgdecoder-gdipd.dll"
  RMDir "$INSTDIR\app"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Start with Windows, as the tray menu's "开机启动" wrote it (and Task Manager's mark of it).
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "Moravel"
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run" "Moravel"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

; Unticked unless the person asks: the profile, QR pictures, cards and downloaded installers.
Section /o "un.同时删除我的数据" SecData
  RMDir /r "$INSTDIR\Moravel"
SectionEnd

Section "-un.folder"
  RMDir "$INSTDIR"
SectionEnd
