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

Function StartProgram
  SetOutPath "$INSTDIR\app"
  Exec '"$INSTDIR\app\Moravel.exe"'
FunctionEnd

Section "-program"
  Call WaitForProgramEnd

  SetOutPath "$INSTDIR\app"
  File "${STAGE}\app\Moravel.exe"
  File "${STAGE}\app\render-gdid.dll"
  File "${STAGE}\app\imgdecoder-gdipd.dll"

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

Section "-un.program"
  Call un.WaitForProgramEnd
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
