; The Windows installer of the service tool: tarn.exe, tarnctl.exe, the user guide with its
; pictures and the licence, from a deploy folder (scripts/build-windows-gui.sh lays it out).
;
;   makensis -DVERSION=2.1.0 -DDEPLOY=<deploy folder> -DFILELIST=<uninstall list>
;            -DOUTFILE=<installer.exe> packaging/windows/tarn.nsi
;
; Installed for every user into Program Files when started with administrator rights, else
; for the current user into the user's own programs folder (/AllUsers or /CurrentUser on
; the command line choose). tarnctl's folder goes on the PATH only on request: the
; component in the dialog, or /PATH on the command line of a silent install (/S). The
; uninstaller removes exactly the files the installer put there (FILELIST, made from the
; deploy folder) and the PATH entry it added; the user's settings (%APPDATA%\tarn) stay.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifdef VERSION & DEPLOY & FILELIST & OUTFILE
!else
  !error "Define VERSION, DEPLOY, FILELIST and OUTFILE (see the head of tarn.nsi)."
!endif

!define PRODUCT "TALVEN VARN 2.1 with Blanking"
!define PUBLISHER "Tarn service tool developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnServiceTool"
!define MACHINE_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define USER_ENVIRONMENT "Environment"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Installer of the light curtain configuration and service tool"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Free software under the GNU General Public License, version 3 or later"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Tarn"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define MUI_ICON "${__FILEDIR__}\tarn.ico"
!define MUI_UNICON "${__FILEDIR__}\tarn.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarn.exe"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${DEPLOY}\LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Reads the PATH of the install mode (the machine's for every user, else the user's own)
; into $0; $1 is "ok" when it may be changed. NSIS strings hold at most NSIS_MAX_STRLEN
; characters, and a longer value reads as empty: such a PATH is never written back.
!macro ReadPath
  ClearErrors
  ${If} $MultiUser.InstallMode == "AllUsers"
    ReadRegStr $0 HKLM "${MACHINE_ENVIRONMENT}" "Path"
  ${Else}
    ReadRegStr $0 HKCU "${USER_ENVIRONMENT}" "Path"
  ${EndIf}
  StrCpy $1 "ok"
  ${If} ${Errors}
    ; Unreadable, or absent: only an absent user PATH may be made anew.
    StrCpy $1 "too long"
    ${If} $MultiUser.InstallMode != "AllUsers"
      StrCpy $2 0
      StrCpy $1 "ok"
      ${Do}
        EnumRegValue $3 HKCU "${USER_ENVIRONMENT}" $2
        ${If} $3 == "Path"
          StrCpy $1 "too long"
        ${EndIf}
        IntOp $2 $2 + 1
      ${LoopUntil} $3 == ""
    ${EndIf}
  ${EndIf}
  StrLen $2 "$0;$INSTDIR"
  ${If} $2 >= ${NSIS_MAX_STRLEN}
    StrCpy $1 "too long"
  ${EndIf}
!macroend

!macro WritePath
  ${If} $MultiUser.InstallMode == "AllUsers"
    WriteRegExpandStr HKLM "${MACHINE_ENVIRONMENT}" "Path" "$0"
  ${Else}
    WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" "$0"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

Section "Program" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${DEPLOY}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\tarn.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\User guide.lnk" "$INSTDIR\doc\user-guide.md"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarn.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "tarnctl on the PATH" SecPath
  !insertmacro ReadPath
  ${If} $1 != "ok"
    DetailPrint "The PATH is too long to change here; add $INSTDIR to it by hand."
    MessageBox MB_OK|MB_ICONEXCLAMATION "The PATH is too long to change here; add $INSTDIR to it by hand." /SD IDOK
    Return
  ${EndIf}
  ; Entries are separated by ";": the folder is there when ";PATH;" holds ";folder;".
  ${WordFind} ";$0;" ";$INSTDIR;" "E#" $2
  ${If} ${Errors}
    ${If} $0 == ""
      StrCpy $0 "$INSTDIR"
    ${Else}
      StrCpy $0 "$0;$INSTDIR"
    ${EndIf}
    !insertmacro WritePath
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "AddedToPath" 1
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, tarnctl, the user guide and the Start-menu entries."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Adds the program's folder to the PATH, so that tarnctl runs from any command prompt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro MULTIUSER_INIT
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPath}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    !insertmacro ReadPath
    ${If} $1 == "ok"
      ; Only whole entries equal to the folder go: ";A;folder;B;" becomes ";A;B;".
      ${un.WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $0
      StrCpy $0 $0 "" 1
      StrCpy $0 $0 -1
      !insertmacro WritePath
    ${Else}
      DetailPrint "The PATH is too long to change here; remove $INSTDIR from it by hand."
    ${EndIf}
  ${EndIf}

  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\User guide.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
