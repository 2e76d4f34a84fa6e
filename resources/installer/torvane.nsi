; The per-user installer: no administrator rights, everything under the user's own profile, and
; an uninstaller that takes back exactly what was put there. The client's folder, its settings
; file and HKCU\Software\BitComet are never named here, so neither side can touch them.
;
; Built by scripts/package, which defines:
;   TORVANE_GENERATED  the build's generated folder (Version.nsh)
;   TORVANE_STAGE      the files to install, dated for a reproducible build
;   TORVANE_ICON       the application icon
;   TORVANE_OUTFILE    the installer to write
; and, when the release is signed:
;   TORVANE_SIGNER     scripts/authenticode, which signs a file in place

Unicode true
; The program is x86-64 only, so the installer is too (and Wine prefixes without 32-bit
; support can run it).
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma
CRCCheck on

!include "${TORVANE_GENERATED}/Version.nsh"
!ifdef TORVANE_SIGNER
    ; The uninstaller is a file only while makensis generates it (the installer writes it out on
    ; the user's machine from its own data), so it is signed then, before the installer takes it
    ; in. The installer is signed last, once it is complete.
    !define SIGN_COMMAND '"${TORVANE_SIGNER}" sign "%1" "${TORVANE_PRODUCT}" "${TORVANE_HOME_PAGE}"'
    !uninstfinalize '${SIGN_COMMAND}' = 0
    !finalize '${SIGN_COMMAND}' = 0
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvane"
!define SHORTCUT "$SMPROGRAMS\${TORVANE_PRODUCT}.lnk"
; The program holds a mutex of this name for as long as it runs.
!define INSTANCE_MUTEX "Torvane for BitComet"
!define SYNCHRONIZE 0x00100000
; Everything the installer puts into the install folder besides the uninstaller.
!macro TORVANE_FILES Action
    !insertmacro ${Action} "torvane.exe"
    !insertmacro ${Action} "help.html"
    !insertmacro ${Action} "help.zh-CN.html"
    !insertmacro ${Action} "help.zh-TW.html"
    !insertmacro ${Action} "README.txt"
    !insertmacro ${Action} "LICENSE"
!macroend

Name "${TORVANE_PRODUCT}"
OutFile "${TORVANE_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Torvane"
; A reinstall offers the folder of the installation it replaces.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${TORVANE_PRODUCT} ${TORVANE_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${TORVANE_ICON}"
!define MUI_UNICON "${TORVANE_ICON}"
; The script's own texts are language strings (below); NSIS's own pages come in its language files.
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeWho)$\r$\n$\r$\n$(WelcomeRights)$\r$\n$\r$\n$(^ClickNext)"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
; The list of what was done stays up until the user moves on, as the uninstaller's does.
!define MUI_FINISHPAGE_NOAUTOCLOSE
; Starting the program puts the client's settings file back, so that is left to the user's choice.
!define MUI_FINISHPAGE_RUN "$INSTDIR\torvane.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The installer and the uninstaller speak the language of the user's Windows interface where they
; have it, as the program does, and English otherwise.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

LangString WelcomeWho ${LANG_ENGLISH} "Setup will install ${TORVANE_PRODUCT} ${TORVANE_VERSION} for your Windows account only."
LangString WelcomeWho ${LANG_SIMPCHINESE} "安装程序将仅为您的 Windows 帐户安装 ${TORVANE_PRODUCT} ${TORVANE_VERSION}。"
LangString WelcomeWho ${LANG_TRADCHINESE} "安裝程式只會為您的 Windows 帳戶安裝 ${TORVANE_PRODUCT} ${TORVANE_VERSION}。"
LangString WelcomeRights ${LANG_ENGLISH} "It needs no administrator rights. If Torvane is running, close it first."
LangString WelcomeRights ${LANG_SIMPCHINESE} "无需管理员权限。如果 Torvane 正在运行，请先将其关闭。"
LangString WelcomeRights ${LANG_TRADCHINESE} "不需要系統管理員權限。如果 Torvane 正在執行，請先將其關閉。"
LangString Running ${LANG_ENGLISH} "${TORVANE_PRODUCT} is running.$\n$\nClose its window, then click Retry."
LangString Running ${LANG_SIMPCHINESE} "${TORVANE_PRODUCT} 正在运行。$\n$\n请关闭它的窗口，然后点击“重试”。"
LangString Running ${LANG_TRADCHINESE} "${TORVANE_PRODUCT} 正在執行。$\n$\n請關閉它的視窗，然後按一下「重試」。"
LangString NothingChanged ${LANG_ENGLISH} "${TORVANE_PRODUCT} is running; nothing was changed."
LangString NothingChanged ${LANG_SIMPCHINESE} "${TORVANE_PRODUCT} 正在运行；未做任何更改。"
LangString NothingChanged ${LANG_TRADCHINESE} "${TORVANE_PRODUCT} 正在執行；未進行任何變更。"
LangString NotWritten ${LANG_ENGLISH} "Some files could not be written to $INSTDIR."
LangString NotWritten ${LANG_SIMPCHINESE} "部分文件无法写入 $INSTDIR。"
LangString NotWritten ${LANG_TRADCHINESE} "部分檔案無法寫入 $INSTDIR。"
LangString NotRemoved ${LANG_ENGLISH} "Some files in $INSTDIR could not be removed."
LangString NotRemoved ${LANG_SIMPCHINESE} "$INSTDIR 中的部分文件无法删除。"
LangString NotRemoved ${LANG_TRADCHINESE} "$INSTDIR 中的部分檔案無法移除。"
LangString ShortcutDescription ${LANG_ENGLISH} "Tunes the BitComet client's settings file"
LangString ShortcutDescription ${LANG_SIMPCHINESE} "优化比特彗星客户端的设置文件"
LangString ShortcutDescription ${LANG_TRADCHINESE} "最佳化比特彗星用戶端的設定檔"

VIProductVersion "${TORVANE_VERSION}.0"
VIFileVersion "${TORVANE_VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${TORVANE_PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${TORVANE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${TORVANE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${TORVANE_PRODUCT} ${TORVANE_VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${TORVANE_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${TORVANE_COPYRIGHT}"

; Files of a running copy cannot be replaced or removed, and replacing or removing the others
; under it would leave a half installation. Asks the user to close it; a silent run cannot ask
; and fails instead, with error level 2, before anything is changed.
!macro REFUSE_WHILE_RUNNING Prefix
Function ${Prefix}RefuseWhileRunning
    Push $0
    retry:
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "$(Running)" /SD IDCANCEL IDRETRY retry
        Pop $0
        DetailPrint "$(NothingChanged)"
        SetErrorLevel 2
        Abort
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

!macro INSTALL_FILE Name
    File "${TORVANE_STAGE}/${Name}"
!macroend

Section "Torvane" SectionMain
    Call RefuseWhileRunning
    SetOutPath "$INSTDIR"

    ; The uninstaller and its entry come first: should a file fail below, what did get copied
    ; can still be removed from Apps & features.
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${TORVANE_PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${TORVANE_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${TORVANE_PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\torvane.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${TORVANE_VERSION_MAJOR}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${TORVANE_VERSION_MINOR}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SectionMain} $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; A file that cannot be written is offered for retry; one skipped (or skipped by a silent
    ; run) must not end in a reported success.
    ClearErrors
    !insertmacro TORVANE_FILES INSTALL_FILE
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "$(NotWritten)" /SD IDOK
        SetErrorLevel 2
        Abort "$(NotWritten)"
    ${EndIf}

    CreateShortCut "${SHORTCUT}" "$INSTDIR\torvane.exe" "" "$INSTDIR\torvane.exe" 0 SW_SHOWNORMAL "" \
        "$(ShortcutDescription)"
SectionEnd

!macro REMOVE_FILE Name
    Delete "$INSTDIR\${Name}"
!macroend

Section "Uninstall"
    Call un.RefuseWhileRunning

    ; Only the files the installer wrote: the folder may have been chosen by the user and hold
    ; files of their own.
    ClearErrors
    !insertmacro TORVANE_FILES REMOVE_FILE
    ${If} ${Errors}
        ; The entry stays, so the uninstall can be tried again.
        MessageBox MB_OK|MB_ICONSTOP "$(NotRemoved)" /SD IDOK
        SetErrorLevel 2
        Abort "$(NotRemoved)"
    ${EndIf}
    ; Fails (and stays) only when run in place with _?=, which is how a caller waits for it.
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    ; The shortcut and the entry belong to this folder's installation only; after a reinstall
    ; elsewhere they describe the other one.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Delete "${SHORTCUT}"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
