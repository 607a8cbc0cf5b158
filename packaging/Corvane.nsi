; Per-user installer of Corvane: no administrator rights, everything under the
; user's own profile and HKCU. Built by packaging/build-installer.sh, which
; passes these defines:
;   CORVANE_EXE    Corvane.exe to install
;   PLINK_EXE      PuTTY's plink.exe, built from PuTTY's source
;   PLINK_LICENCE  PuTTY's LICENCE text
;   CUSTOMER_ID    the customer id written into Corvane.ini (may be empty)
;   OUTFILE        the installer to write
!ifndef CORVANE_EXE | PLINK_EXE | PLINK_LICENCE | OUTFILE
  !error "define CORVANE_EXE, PLINK_EXE, PLINK_LICENCE and OUTFILE (packaging/build-installer.sh does)"
!endif
!ifndef CUSTOMER_ID
  !define CUSTOMER_ID ""
!endif

Unicode true
Target amd64-unicode
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "Corvane"
!define VERSION "3.00"
!define MAIN_TITLE "Corvane v.3.00"
; Ends Corvane's dialog without the exit flow (no question, no browser closing).
!define END_DIALOG_COMMAND 32823
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SYNCHRONIZE 0x00100000
!define PROCESS_TERMINATE_AND_QUERY 0x00001001
!define TH32CS_SNAPPROCESS 2
; PROCESSENTRY32W on x64: szExeFile at offset 44, 568 bytes in all.
!define PROCESSENTRY32W_SIZE 568
!define WAIT_TIMEOUT 258
!define PROFILE_KEY "Software\Quenmoor\Corvane"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\Corvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends every process that runs from $INSTDIR\<NAME> (bounded wait); copies
; of the same program elsewhere are not touched.
!macro EndInstalledProcess NAME
  System::Call 'kernel32::CreateToolhelp32Snapshot(i ${TH32CS_SNAPPROCESS}, i 0) p .r0'
  ${If} $0 != -1
    System::Alloc ${PROCESSENTRY32W_SIZE}
    Pop $1
    System::Call '*$1(i ${PROCESSENTRY32W_SIZE})'
    System::Call 'kernel32::Process32FirstW(p r0, p r1) i .r2'
    ${DoWhile} $2 <> 0
      System::Call '*$1(i, i, i .r3, i, l, i, i, i, i, i, &w260 .r4)'
      ${If} $4 == "${NAME}"
        System::Call 'kernel32::OpenProcess(i ${PROCESS_TERMINATE_AND_QUERY}, i 0, i r3) p .r5'
        ${If} $5 != 0
          System::Call 'kernel32::QueryFullProcessImageNameW(p r5, i 0, w .r6, *i ${NSIS_MAX_STRLEN}) i .r7'
          ${If} $7 <> 0
          ${AndIf} $6 == "$INSTDIR\${NAME}"
            System::Call 'kernel32::TerminateProcess(p r5, i 1)'
            System::Call 'kernel32::WaitForSingleObject(p r5, i 5000)'
          ${EndIf}
          System::Call 'kernel32::CloseHandle(p r5)'
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::Process32NextW(p r0, p r1) i .r2'
    ${Loop}
    System::Free $1
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
!macroend

; A running Corvane (found by its dialog class and window title) is sent the
; end-dialog command and given 10 s to end, so that its files can go and a
; following "Corvane.exe -r" is not turned away as a second copy. One that has
; not ended by then (it waits for an answer in a box, or hangs) is ended, if
; it runs from this folder.
!macro EndRunningCorvane
  FindWindow $0 "#32770" "${MAIN_TITLE}"
  ${If} $0 <> 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    SendMessage $0 ${WM_COMMAND} ${END_DIALOG_COMMAND} 0 /TIMEOUT=5000
    StrCpy $3 ${WAIT_TIMEOUT}
    ${If} $2 != 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    ${If} $3 <> 0
      !insertmacro EndInstalledProcess "Corvane.exe"
    ${EndIf}
  ${EndIf}
!macroend

; Ending Corvane's dialog leaves its tunnel child running; the copy of plink.exe
; in this folder is ended here.
!macro EndInstalledPlink
  !insertmacro EndInstalledProcess "plink.exe"
!macroend

; Deletes one installed file; one that stays (held open) is added to $R9.
!macro DeleteInstalled NAME
  Delete "$INSTDIR\${NAME}"
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $R9 "$R9$\r$\n${NAME}"
  ${EndIf}
!macroend

Section "Corvane" SectionProgram
  SectionIn RO
  ; An upgrade over a running copy: its files must be free first.
  !insertmacro EndRunningCorvane
  !insertmacro EndInstalledPlink
  SetOutPath "$INSTDIR"
  File "/oname=Corvane.exe" "${CORVANE_EXE}"
  File "/oname=plink.exe" "${PLINK_EXE}"
  File "/oname=PuTTY-LICENCE.txt" "${PLINK_LICENCE}"
!if "${CUSTOMER_ID}" != ""
  Delete "$INSTDIR\Corvane.ini"
  WriteINIStr "$INSTDIR\Corvane.ini" "STATISTICS" "C_ID" "${CUSTOMER_ID}"
  FlushINI "$INSTDIR\Corvane.ini"
!else
  ; Built without a customer id: an upgrade keeps the id already installed.
  ${IfNot} ${FileExists} "$INSTDIR\Corvane.ini"
    WriteINIStr "$INSTDIR\Corvane.ini" "STATISTICS" "C_ID" ""
    FlushINI "$INSTDIR\Corvane.ini"
  ${EndIf}
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; Written again below only when that section stays chosen.
  DeleteRegValue HKCU "${RUN_KEY}" "Corvane"

  CreateDirectory "$SMPROGRAMS"
  CreateShortCut "$SMPROGRAMS\Corvane.lnk" "$INSTDIR\Corvane.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quenmoor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start Corvane at log-in (in the notification area)" SectionRunAtLogIn
  WriteRegStr HKCU "${RUN_KEY}" "Corvane" '"$INSTDIR\Corvane.exe" -s'
SectionEnd

Section "Uninstall"
  !insertmacro EndRunningCorvane
  ; Puts the system proxy and Firefox back to a direct connection.
  ${If} ${FileExists} "$INSTDIR\Corvane.exe"
    ExecWait '"$INSTDIR\Corvane.exe" -r'
  ${EndIf}
  !insertmacro EndInstalledPlink

  StrCpy $R9 ""
  !insertmacro DeleteInstalled "Corvane.exe"
  !insertmacro DeleteInstalled "plink.exe"
  !insertmacro DeleteInstalled "PuTTY-LICENCE.txt"
  !insertmacro DeleteInstalled "Corvane.ini"
  !insertmacro DeleteInstalled "Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Corvane.lnk"
  ${IfNot} ${FileExists} "$INSTDIR\Corvane.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Corvane"
  ${EndIf}
  ; Files that stayed keep the uninstall entry, so that it can be run again.
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "These files could not be removed from $INSTDIR:$R9$\r$\n$\r$\nClose the programs that use them and uninstall Corvane again." /SD IDOK
    SetErrorLevel 2
  ${Else}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  ; Corvane's settings, the remembered password among them; last, so that a
  ; watcher knows the uninstaller is done.
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quenmoor"
SectionEnd
