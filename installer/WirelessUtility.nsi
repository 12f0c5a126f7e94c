; Installer of the Ombrix Wireless Utility, built by the CMake target
; "installer". makensis is given:
;   OUTFILE  the setup program to write
;   SHIPPED  the generated list of shipped files (one WU_SHIP line each)
;   PROGRAM  the built WirelessUtility.exe (version and icon come from it)
;   ICON     the program's icon
;
; The program is installed per user, below the user's local application data:
; it writes its last applied profile into the settings file beside itself, so
; that file must stay writable for the user who runs it, without
; administrator rights. Its profiles and adapter settings are per user too.
;
; Silent use:
;   WirelessUtility-Setup.exe /S [/NOSTARTUP] [/D=folder]
;   Uninstall.exe /S [/REMOVEPROFILES]

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!getdllversion "${PROGRAM}" WU_VER_
!define VERSION "${WU_VER_1}.${WU_VER_2}.${WU_VER_3}"
!define PRODUCT "Ombrix Wireless Utility"
!define PUBLISHER "Ombrix Networks"
!define EXE "WirelessUtility.exe"
!define SETTINGS "WirelessUtility.bin"
!define UNINSTALLER "Uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OmbrixWirelessUtility"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var ProfRoot      ; "ProfRoot" of the installed settings file
Var LastApplied   ; buffer with the "LastApplyProf" section of an earlier install

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, the notification-area utility \
for Ombrix USB and PCI wireless network adapters, for you alone: no administrator rights are \
needed.$\r$\n$\r$\nThis package carries a SIMULATED adapter library (OMXWL.DLL with its radio \
world OMXWL.world), so that the utility can be tried without the hardware. A real installation \
ships the adapter vendor's OMXWL.DLL instead.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/UI /TrayIcon"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${WU_VER_1}.${WU_VER_2}.${WU_VER_3}.${WU_VER_4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

; Functions shared by the installer and the uninstaller ("un." prefix).
!macro WU_SHARED_FUNCTIONS un
  ; ProfRoot names the instance mutex, the registry key and the profile
  ; folder; the program's default when the key is absent.
  Function ${un}ReadProfRoot
    ClearErrors
    ReadINIStr $ProfRoot "$INSTDIR\${SETTINGS}" "Setting" "ProfRoot"
    ${If} ${Errors}
      StrCpy $ProfRoot "Ombrix"
    ${EndIf}
  FunctionEnd

  ; Asks a running instance to end (it needs its own library beside it to
  ; do so) and waits up to 20 s until its instance mutex has gone. The
  ; request is repeated every 2 s: an instance that is just starting holds
  ; the mutex before its window exists to hear the request.
  Function ${un}CloseRunning
    ${If} ${FileExists} "$INSTDIR\${EXE}"
      DetailPrint "Closing ${PRODUCT} if it runs"
      ExecWait '"$INSTDIR\${EXE}" /Close'
    ${EndIf}
    StrCpy $1 "_Mutex"
    StrCpy $2 0
    ${Do}
      System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "$ProfRoot$1") p.r0'
      ${If} $0 = 0
        ${Break}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r0)'
      Sleep 250
      IntOp $3 $2 % 8
      ${If} $3 = 7
      ${AndIf} ${FileExists} "$INSTDIR\${EXE}"
        ExecWait '"$INSTDIR\${EXE}" /Close'
      ${EndIf}
      IntOp $2 $2 + 1
    ${LoopWhile} $2 < 80
  FunctionEnd
!macroend
!insertmacro WU_SHARED_FUNCTIONS ""
!insertmacro WU_SHARED_FUNCTIONS "un."

; The program writes its last applied profile into the settings file; an
; installation over an earlier one keeps that section.
Function SaveLastApplied
  StrCpy $LastApplied 0
  ${IfNot} ${FileExists} "$INSTDIR\${SETTINGS}"
    Return
  ${EndIf}
  System::Alloc 65536
  Pop $LastApplied
  System::Call 'kernel32::GetPrivateProfileSectionA(m "LastApplyProf", p $LastApplied, i 65536, m "$INSTDIR\${SETTINGS}") i.r0'
  ${If} $0 = 0
    System::Free $LastApplied
    StrCpy $LastApplied 0
  ${EndIf}
FunctionEnd

Function RestoreLastApplied
  ${If} $LastApplied = 0
    Return
  ${EndIf}
  System::Call 'kernel32::WritePrivateProfileSectionA(m "LastApplyProf", p $LastApplied, m "$INSTDIR\${SETTINGS}") i.r0'
  ${If} $0 = 0
    DetailPrint "Could not keep the last applied profile in ${SETTINGS}"
  ${EndIf}
  System::Free $LastApplied
  StrCpy $LastApplied 0
FunctionEnd

!macro WU_SHIP path name
  File "/oname=${name}" "${path}"
!macroend

Section "!${PRODUCT}" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call ReadProfRoot
  Call CloseRunning
  Call SaveLastApplied
  !include "${SHIPPED}"
  Call RestoreLastApplied
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "/UI /TrayIcon" "$INSTDIR\${EXE}" 0 \
    SW_SHOWNORMAL "" "Wireless adapter status, networks and profiles"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start with Windows" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}" /TrayIcon'
SectionEnd

; Installed again without the start-up entry: drop the one an earlier
; installation here made.
Section "-StartupOff"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '"$INSTDIR\${EXE}" /TrayIcon'
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The utility, the simulated adapter library, the settings and text files, and a Start menu shortcut."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "Start the utility in the notification area when you sign in to Windows."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; ---------------------------------------------------------------- uninstall

; Deletes a file of the installation, waiting a little for a program that is
; still ending to let go of it.
Function un.DeleteShipped
  Exch $0
  StrCpy $1 0
  ${Do}
    Delete "$INSTDIR\$0"
    ${IfNot} ${FileExists} "$INSTDIR\$0"
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${LoopWhile} $1 < 40
  Delete /REBOOTOK "$INSTDIR\$0"
  Pop $0
FunctionEnd

; True ($0 = 1) when ProfRoot is one plain folder name: anything else could
; make the profile removal reach outside the program's own data.
Function un.ProfRootIsPlain
  StrCpy $0 0
  ${If} $ProfRoot == ""
  ${OrIf} $ProfRoot == "."
  ${OrIf} $ProfRoot == ".."
    Return
  ${EndIf}
  StrLen $1 $ProfRoot
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $ProfRoot 1 $2
    ${If} $3 == "\"
    ${OrIf} $3 == "/"
    ${OrIf} $3 == ":"
    ${OrIf} $3 == "*"
    ${OrIf} $3 == "?"
    ${OrIf} $3 == '"'
    ${OrIf} $3 == "<"
    ${OrIf} $3 == ">"
    ${OrIf} $3 == "|"
      Return
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $0 1
FunctionEnd

!macroundef WU_SHIP
!macro WU_SHIP path name
  Push "${name}"
  Call un.DeleteShipped
!macroend

Section "un.${PRODUCT}" UnSecMain
  SectionIn RO
  Call un.CloseRunning
  !include "${SHIPPED}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Files the user put here (a debug log, say) keep the folder.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\${EXE}" /TrayIcon'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; The adapter library keeps the profiles below the user's application data,
; the program its per-adapter values below HKCU\Software\<ProfRoot>\WLAdapter.
Section /o "un.Connection profiles and adapter settings" UnSecProfiles
  Call un.ProfRootIsPlain
  ${If} $0 <> 1
    DetailPrint "Profiles kept: the settings name no plain profile folder ($ProfRoot)"
    Return
  ${EndIf}
  ReadEnvStr $1 APPDATA
  ${If} $1 == ""
    StrCpy $1 $APPDATA
  ${EndIf}
  StrCpy $1 "$1\$ProfRoot"
  Delete "$1\WLProfiles.dat"
  Delete "$1\WLProfiles.tmp"
  Delete "$1\WLProfiles*.bad"
  RMDir "$1"
  DeleteRegKey HKCU "Software\$ProfRoot\WLAdapter"
  DeleteRegKey /ifempty HKCU "Software\$ProfRoot"
SectionEnd

; Last, so that the entry in the list of installed programs goes only when
; everything else has been done.
Section "-un.Finish"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Function un.onInit
  Call un.ReadProfRoot
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVEPROFILES" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecProfiles}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecMain} "The utility, its files, its Start menu shortcut and its start-up entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProfiles} "Also remove your connection profiles and the adapter settings the utility stored. Leave this unticked to keep them for a later installation."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
