; The Windows installer: ZEB in Program Files, a Start menu entry and an
; uninstaller. makensis -DVERSION=1.0 -DSTAGE=<folder of the zip's files>
; -DICON=<zeb.ico> -DOUTFILE=<installer.exe> zeb.nsi
Unicode true
; The 64-bit stub: the program is 64-bit only, and so is the Wine the tests use.
Target amd64-unicode
SetCompressor /SOLID lzma

Name "ZEB ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\ZEB"
InstallDirRegKey HKLM "Software\ZEB" "InstallDir"
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEB"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "ZEB"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}\zeb.exe"
    File "${STAGE}\level_0.xml"
    File "${STAGE}\blast_astroid.wav"
    File "${STAGE}\blast_bullet.wav"
    File "${STAGE}\blast_player.wav"
    File "${STAGE}\LiberationSans-Regular.ttf"
    File "${STAGE}\LiberationSans-LICENSE.txt"
    File "${STAGE}\wqy-microhei.ttc"
    File "${STAGE}\WenQuanYi-LICENSE.txt"
    File "${STAGE}\qrencode-LICENSE.txt"
    File /r "${STAGE}\locale"
    File "${STAGE}\README.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateDirectory "$SMPROGRAMS\ZEB"
    CreateShortcut "$SMPROGRAMS\ZEB\ZEB.lnk" "$INSTDIR\zeb.exe"
    CreateShortcut "$SMPROGRAMS\ZEB\Uninstall ZEB.lnk" "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "Software\ZEB" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZEB"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zeb.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The player's settings and logs in their own folders stay.
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\ZEB\ZEB.lnk"
    Delete "$SMPROGRAMS\ZEB\Uninstall ZEB.lnk"
    RMDir "$SMPROGRAMS\ZEB"
    Delete "$INSTDIR\zeb.exe"
    Delete "$INSTDIR\level_0.xml"
    Delete "$INSTDIR\blast_astroid.wav"
    Delete "$INSTDIR\blast_bullet.wav"
    Delete "$INSTDIR\blast_player.wav"
    Delete "$INSTDIR\LiberationSans-Regular.ttf"
    Delete "$INSTDIR\LiberationSans-LICENSE.txt"
    Delete "$INSTDIR\wqy-microhei.ttc"
    Delete "$INSTDIR\WenQuanYi-LICENSE.txt"
    Delete "$INSTDIR\qrencode-LICENSE.txt"
    RMDir /r "$INSTDIR\locale"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\ZEB"
SectionEnd
