; The per-user installer of Nyamo for Windows, made by tools/pack-windows.sh:
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with Nyamo_07.scr, NyamoSettings.exe>
;            -DICON=<icon.ico> -DOUTFILE=<setup.exe> [-DSIGN_COMMAND=<command>] installer.nsi
;
; It needs no administrator: the programs go into the user's own programs
; folder, where the saver can save Nyamo_07.ini beside itself, and every
; registry value it writes is the user's (HKCU). Like the system's own
; "Install" of a .scr it makes Nyamo the chosen screen saver and turns the
; saver on; it remembers what was chosen before, so that uninstalling can
; put it back while Nyamo is still the chosen one.

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined"
!endif

Unicode true
; 64-bit, like the saver it installs (and the only kind a 64-bit-only Wine runs).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
SetDateSave on
; A program file that cannot be written ends the run with an error rather
; than being passed over (in silent runs too): never a success over the old file.
AllowSkipFiles off

; A signed release signs the uninstaller too, before it is packed: the
; command gets the uninstaller's file and signs it in place.
!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
!endif

!define PRODUCT "Nyamo"
!define PUBLISHER "Nyamo authors"
!define DESKTOP_KEY "Control Panel\Desktop"
!define OWN_KEY "Software\Nyamo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nyamo"
!define SHORTCUT "$SMPROGRAMS\Nyamo settings.lnk"
; SystemParametersInfo's SPI_SETSCREENSAVEACTIVE, written to the profile and announced.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Nyamo"
InstallDirRegKey HKCU "${OWN_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

; IsNyamo <path> <installed scr> -> $R0: 1 when the chosen saver's path names
; the installed .scr, in its long or its short (8.3) form, either of which
; the system may have written; 0 otherwise. Case does not matter (StrCmp).
; (The short form is found only while the file is there.)
!macro IS_NYAMO PATH SCR
  Push $R1
  StrCpy $R0 0
  ${If} "${PATH}" != ""
    ${If} "${PATH}" == "${SCR}"
      StrCpy $R0 1
    ${Else}
      GetFullPathName /SHORT $R1 "${SCR}"
      ${If} "${PATH}" == "$R1"
        StrCpy $R0 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R1
!macroend

; Nyamo's programs cannot be replaced or removed while one of them runs (the
; settings dialog, the saver, its preview in the Screen Saver Settings, or
; the Start-menu helper waiting for the dialog): the system keeps a running
; program's file from being written. An installer that went on regardless
; would leave the old .scr under the new version's entry, an uninstaller
; would leave the files without an entry. So each run first opens every
; program it is about to replace or remove for writing, alone; a file that
; cannot be opened so is held. Interactively the user is asked to close
; Nyamo and retry; a silent run (/S) ends with exit status 2, as NSIS gives
; any run the script aborts, having changed nothing.
;   Push <folder>; Call [un.]EnsureNotRunning
!macro ENSURE_NOT_RUNNING UN
; $1: a file -> $2: 1 when it is there and cannot be opened for writing alone.
Function ${UN}IsHeld
  StrCpy $2 0
  ${If} ${FileExists} "$1"
    ; GENERIC_WRITE, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w r1, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .r2'
    ${If} $2 = -1
      StrCpy $2 1
    ${Else}
      System::Call 'kernel32::CloseHandle(p r2)'
      StrCpy $2 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ${UN}EnsureNotRunning
  Exch $0
  Push $1
  Push $2
  Push $3
  check:
  StrCpy $3 ""
  StrCpy $1 "$0\NyamoSettings.exe"
  Call ${UN}IsHeld
  ${If} $2 == 1
    StrCpy $3 "$1"
  ${EndIf}
  StrCpy $1 "$0\Nyamo_07.scr"
  Call ${UN}IsHeld
  ${If} $2 == 1
    StrCpy $3 "$1"
  ${EndIf}
  ${If} $3 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Nyamo is running: its settings, the screen saver or its preview in the Screen Saver Settings.$\r$\n$\r$\n$3 cannot be changed while it runs. Close Nyamo, then press Retry." \
      /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Abort "Nothing was changed: $3 is in use (Nyamo is running)."
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro ENSURE_NOT_RUNNING ""
!insertmacro ENSURE_NOT_RUNNING "un."

; SameFolder: $0 the folder just installed into, $1 another name -> $R0: 1
; when $1 is the same folder (a file made in $0 is seen through $1), 0 when
; it is another, 2 when that cannot be told (no file could be made). A
; comparison of the names would take "C:\Users\me\AppData\..." and its 8.3
; form, a subst drive, a junction, or under Wine the same folder through
; drive Z:, for two folders.
Function SameFolder
  Push $2
  Push $3
  ClearErrors
  GetTempFileName $2 "$0"
  ${If} ${Errors}
  ${OrIf} $2 == ""
    StrCpy $R0 2
  ${Else}
    ${GetFileName} "$2" $3
    ${If} ${FileExists} "$1\$3"
      StrCpy $R0 1
    ${Else}
      StrCpy $R0 0
    ${EndIf}
    Delete "$2"
  ${EndIf}
  Pop $3
  Pop $2
FunctionEnd

; The type of a value under HKCU: Push <key>; Push <name>; Call
; RegValueType -> $R0: 1 REG_SZ, 2 REG_EXPAND_SZ, ... ; 0 when it is missing.
; (ReadRegStr reads both string types alike and tells neither.)
!macro REG_VALUE_TYPE UN
Function ${UN}RegValueType
  Exch $1
  Exch
  Exch $0
  Push $2
  Push $3
  StrCpy $R0 0
  ; HKEY_CURRENT_USER, sign-extended as a 64-bit handle; KEY_QUERY_VALUE
  System::Call 'advapi32::RegOpenKeyExW(p -2147483647, w r0, i 0, i 1, *p .r2) i .r3'
  ${If} $3 = 0
    System::Call 'advapi32::RegQueryValueExW(p r2, w r1, p 0, *i .r3, p 0, p 0) i .s'
    Pop $R0
    ${If} $R0 = 0
      StrCpy $R0 $3
    ${Else}
      StrCpy $R0 0
    ${EndIf}
    System::Call 'advapi32::RegCloseKey(p r2)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd
!macroend
!insertmacro REG_VALUE_TYPE ""

Section "Nyamo"
  SetShellVarContext current
  ; The folder Nyamo is installed in now; empty on a first install.
  ReadRegStr $3 HKCU "${OWN_KEY}" "InstallDir"

  ; Nothing is written while Nyamo runs, here or in the folder it is moving from.
  Push "$INSTDIR"
  Call EnsureNotRunning
  ${If} $3 != ""
    Push "$3"
    Call EnsureNotRunning
  ${EndIf}

  SetOutPath "$INSTDIR"
  ; Nyamo_07.ini, the user's settings, is never part of the package: an
  ; upgrade leaves it as it is.
  File "${STAGE}\Nyamo_07.scr"
  File "${STAGE}\NyamoSettings.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Installed before into another folder (the user chose a new one): Nyamo
  ; moves here. Its programs there go; the user's settings come along unless
  ; there are settings here already, in which case both files stay. The same
  ; folder under another name is no move: the run goes on under the name on
  ; record, and nothing there is deleted. Where that cannot be told, nothing
  ; is deleted either.
  StrCpy $4 0
  ${If} $3 != ""
  ${AndIf} $3 != "$INSTDIR"
    StrCpy $0 "$INSTDIR"
    StrCpy $1 "$3"
    Call SameFolder
    ${If} $R0 == 1
      StrCpy $INSTDIR "$3"
      SetOutPath "$INSTDIR"
    ${ElseIf} $R0 == 0
      StrCpy $4 1
    ${EndIf}
  ${EndIf}
  ${If} $4 == 1
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    !insertmacro IS_NYAMO "$0" "$3\Nyamo_07.scr"
    StrCpy $5 $R0
    Delete "$3\Nyamo_07.scr"
    Delete "$3\NyamoSettings.exe"
    Delete "$3\Uninstall.exe"
    ${If} ${FileExists} "$3\Nyamo_07.ini"
    ${AndIfNot} ${FileExists} "$INSTDIR\Nyamo_07.ini"
      Rename "$3\Nyamo_07.ini" "$INSTDIR\Nyamo_07.ini"
    ${EndIf}
    RMDir "$3"
    ; Nyamo chosen in its old folder stays chosen, in its new one.
    ${If} $5 == 1
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Nyamo_07.scr"
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${OWN_KEY}" "InstallDir" "$INSTDIR"

  ; A first install makes Nyamo the chosen saver and turns the saver on,
  ; remembering what was there (a value that was missing is remembered as
  ; missing, ...Set = 0; the saver's registry type is kept too). An upgrade
  ; leaves the user's choice alone: another saver chosen since, or the
  ; saver switched off, is theirs.
  ${If} $3 == ""
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} ${Errors}
      StrCpy $1 0
    ${Else}
      StrCpy $1 1
    ${EndIf}
    !insertmacro IS_NYAMO "$0" "$INSTDIR\Nyamo_07.scr"
    ${If} $R0 == 0
      WriteRegStr HKCU "${OWN_KEY}" "PreviousSaver" "$0"
      WriteRegDWORD HKCU "${OWN_KEY}" "PreviousSaverSet" $1
      Push "${DESKTOP_KEY}"
      Push "SCRNSAVE.EXE"
      Call RegValueType
      WriteRegDWORD HKCU "${OWN_KEY}" "PreviousSaverType" $R0
      ClearErrors
      ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
      ${If} ${Errors}
        StrCpy $1 0
      ${Else}
        StrCpy $1 1
      ${EndIf}
      WriteRegStr HKCU "${OWN_KEY}" "PreviousActive" "$0"
      WriteRegDWORD HKCU "${OWN_KEY}" "PreviousActiveSet" $1
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Nyamo_07.scr"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
  ${EndIf}

  CreateShortCut "${SHORTCUT}" "$INSTDIR\NyamoSettings.exe" "" "$INSTDIR\Nyamo_07.scr" 0 \
    SW_SHOWNORMAL "" "Nyamo screen saver settings"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nyamo_07.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; NSIS's uninstaller hands over to a copy of itself in the temporary
  ; folder and returns 0 at once, so that it can delete its own file; a
  ; caller that waits for its status runs it as
  ; "$INSTDIR\Uninstall.exe" /S _?=$INSTDIR instead (and removes
  ; Uninstall.exe and the folder itself, since a running program cannot).
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Nothing is removed while Nyamo runs.
  Push "$INSTDIR"
  Call un.EnsureNotRunning

  ; Whether Nyamo is the chosen saver, told while its file is still there.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro IS_NYAMO "$0" "$INSTDIR\Nyamo_07.scr"
  StrCpy $5 $R0

  ; The programs first: should one of them stay, the entry stays with it
  ; and the uninstaller says so, rather than leaving files nothing removes.
  Delete "$INSTDIR\Nyamo_07.scr"
  Delete "$INSTDIR\NyamoSettings.exe"
  ${If} ${FileExists} "$INSTDIR\Nyamo_07.scr"
  ${OrIf} ${FileExists} "$INSTDIR\NyamoSettings.exe"
    MessageBox MB_OK|MB_ICONSTOP "Nyamo's programs in $INSTDIR could not be removed; Nyamo stays installed." /SD IDOK
    SetErrorLevel 2
    Abort "Nyamo's programs could not be removed."
  ${EndIf}

  ; The saver chosen before comes back only while Nyamo is still the chosen
  ; one: a saver the user picked since is theirs. It comes back with its
  ; registry type (REG_EXPAND_SZ keeps %SystemRoot% unexpanded).
  ${If} $5 == 1
    ReadRegDWORD $1 HKCU "${OWN_KEY}" "PreviousSaverSet"
    ReadRegStr $0 HKCU "${OWN_KEY}" "PreviousSaver"
    ReadRegDWORD $2 HKCU "${OWN_KEY}" "PreviousSaverType"
    ${If} $1 == 1
      ${If} $2 == 2
        WriteRegExpandStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
      ${Else}
        WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
      ${EndIf}
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    ReadRegDWORD $1 HKCU "${OWN_KEY}" "PreviousActiveSet"
    ReadRegStr $0 HKCU "${OWN_KEY}" "PreviousActive"
    ${If} $1 == 1
      ${If} $0 == "1"
        StrCpy $2 1
      ${Else}
        StrCpy $2 0
      ${EndIf}
      System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i $2, p 0, i ${SPIF_UPDATE_AND_SEND})'
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "$0"
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${EndIf}
  ${EndIf}

  Delete "${SHORTCUT}"
  Delete "$INSTDIR\Uninstall.exe"
  ; The settings file was written by the user's OK, not by the installer:
  ; it goes only when the user says so, and a silent uninstall keeps it.
  ${If} ${FileExists} "$INSTDIR\Nyamo_07.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also delete your Nyamo settings ($INSTDIR\Nyamo_07.ini)?" /SD IDNO IDNO keep_settings
    Delete "$INSTDIR\Nyamo_07.ini"
    keep_settings:
  ${EndIf}
  ; Removed only when empty: a file the user put there stays, and so does its folder.
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${OWN_KEY}"
SectionEnd
