
;This is the start
; The installation package of one Tarn Conduit. The packager writes the header lines above
; (NAME, InstallDir, VBFILESDIR, CREATORID, CONDUIT_TITLE, CONFIG_FILE, OutFile) and then this
; text unchanged. VBFILESDIR is the folder holding the Windows files to pack.
Unicode true
Target amd64-unicode
RequestExecutionLevel admin

; Installs LOCALFILE (on the building machine) as DESTFILE (on the target) unless the target
; already holds the same or a newer version. A file in use is replaced at the next reboot.
; Define UPGRADEDLL_NOREGISTER around an insertion for a file that must not be registered.
!macro UpgradeDLL LOCALFILE DESTFILE
  !define /ifndef UPGRADEDLL_COUNT 0
  !define /redef /math UPGRADEDLL_COUNT ${UPGRADEDLL_COUNT} + 1
  !define UPGRADEDLL_ID ${UPGRADEDLL_COUNT}
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  IfFileExists "${DESTFILE}" upgradedll.compare_${UPGRADEDLL_ID}
    ClearErrors
    SetOverwrite try
    File "/oname=${DESTFILE}" "${LOCALFILE}"
    Goto upgradedll.register_${UPGRADEDLL_ID}
  upgradedll.compare_${UPGRADEDLL_ID}:
    ClearErrors
    GetDLLVersionLocal "${LOCALFILE}" $R0 $R1
    GetDLLVersion "${DESTFILE}" $R2 $R3
    IfErrors upgradedll.upgrade_${UPGRADEDLL_ID}
    IntCmpU $R0 $R2 0 upgradedll.done_${UPGRADEDLL_ID} upgradedll.upgrade_${UPGRADEDLL_ID}
    IntCmpU $R1 $R3 upgradedll.done_${UPGRADEDLL_ID} upgradedll.done_${UPGRADEDLL_ID} upgradedll.upgrade_${UPGRADEDLL_ID}
  upgradedll.upgrade_${UPGRADEDLL_ID}:
    SetOverwrite try
    !ifndef UPGRADEDLL_NOREGISTER
      UnRegDLL "${DESTFILE}"
    !endif
    ClearErrors
    File "/oname=${DESTFILE}" "${LOCALFILE}"
    IfErrors 0 upgradedll.register_${UPGRADEDLL_ID}
    ; In use: put the new file beside it and swap them at the next reboot.
    GetTempFileName $R0 "$SYSDIR"
    File "/oname=$R0" "${LOCALFILE}"
    Rename /REBOOTOK $R0 "${DESTFILE}"
    !ifndef UPGRADEDLL_NOREGISTER
      WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\RunOnce" "Register ${DESTFILE}" '"$SYSDIR\rundll32.exe" "${DESTFILE},DllRegisterServer"'
    !endif
    Goto upgradedll.done_${UPGRADEDLL_ID}
  upgradedll.register_${UPGRADEDLL_ID}:
    !ifndef UPGRADEDLL_NOREGISTER
      RegDLL "${DESTFILE}"
    !endif
  upgradedll.done_${UPGRADEDLL_ID}:
  SetOverwrite on
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
  !undef UPGRADEDLL_ID
!macroend

; Shows one line in the details list and the status line.
!macro Echo MSG
  SetDetailsPrint both
  DetailPrint "${MSG}"
  SetDetailsPrint none
!macroend

DirText "Choose a directory to install in to:"

; The runtime the conduit library and the register tool need beyond what every Windows has:
; they carry their C and C++ runtime within, and the ODBC, COM and system libraries they use
; come with Windows and are never replaced. What remains is the conduit's type library.
Function InstallVBTools
  !insertmacro Echo "Installing Required Components"
  !define UPGRADEDLL_NOREGISTER
  !insertmacro UpgradeDLL "${VBFILESDIR}\TarnConduit2.tlb" "$SYSDIR\TarnConduit2.tlb"
  !undef UPGRADEDLL_NOREGISTER
FunctionEnd

; Installs the Palm COM components when they are missing (the conduit is then registered at the
; next logon), otherwise registers the conduit at once. Should the components fail to install,
; the register tool would do nothing at the next logon, so no registration is promised: the
; installer says so and ends with exit code 1, keeping the components' installer for another try.
Function CheckCOMInstaller
  SetOutPath "$INSTDIR"
  File "${VBFILESDIR}\PalmCOMInstaller.exe"
  ReadRegStr $R0 HKCU "Software\U.S. Robotics\Pilot Desktop\Core" "Path"
  ClearErrors
  GetDLLVersion "$R0\ComDirect.dll" $R1 $R2
  IfErrors 0 checkcom.register
    !insertmacro Echo "Installing Palm COM Utilties"
    ClearErrors
    ExecWait '"$INSTDIR\PalmCOMInstaller.exe" -s -a -s' $R3
    IfErrors checkcom.failed
    IntCmp $R3 0 0 checkcom.failed checkcom.failed
    Delete "$INSTDIR\PalmCOMInstaller.exe"
    WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Runonce" "RegisterConduit" "$INSTDIR\TarnCReg.exe -R $INSTDIR\${CONFIG_FILE}"
    !insertmacro Echo "Conduit will be registered after reboot"
    SetRebootFlag true
    Return
  checkcom.failed:
    !insertmacro Echo "The Palm COM components could not be installed: the conduit is not registered"
    MessageBox MB_OK|MB_ICONSTOP "The Palm COM components could not be installed, so the conduit is not registered. Run $INSTDIR\PalmCOMInstaller.exe, then install the conduit again." /SD IDOK
    SetErrorLevel 1
    Return
  checkcom.register:
    !insertmacro Echo "Registering the conduit"
    ExecWait '"$INSTDIR\TarnCReg.exe" -R $INSTDIR\${CONFIG_FILE}'
FunctionEnd

Section "Install"
  SetDetailsPrint none
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\${CONDUIT_TITLE}" "DisplayName" "${CONDUIT_TITLE} (Remove Only)"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\${CONDUIT_TITLE}" "UninstallString" "$INSTDIR\remove.exe"
  SetOutPath "$INSTDIR"
  Call InstallVBTools
  !insertmacro UpgradeDLL "${VBFILESDIR}\TarnConduit2.dll" "$SYSDIR\TarnConduit2.dll"
  File "${VBFILESDIR}\TarnCReg.exe"
  File "${CONFIG_FILE}"
  WriteUninstaller "$INSTDIR\remove.exe"
  Call CheckCOMInstaller
  SetDetailsPrint both
SectionEnd

Section "Uninstall"
  SetDetailsPrint none
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\${CONDUIT_TITLE}"
  !insertmacro Echo "Unregistering Conduit"
  ExecWait '"$INSTDIR\TarnCReg.exe" -U ${CREATORID}'
  !insertmacro Echo "Removing Files"
  Delete "$INSTDIR\TarnCReg.exe"
  Delete "$INSTDIR\remove.exe"
  Delete "$INSTDIR\${CONFIG_FILE}"
  Delete "$INSTDIR\PalmCOMInstaller.exe"
  RMDir "$INSTDIR"
  SetDetailsPrint both
SectionEnd
