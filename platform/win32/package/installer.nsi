; The per-user installer of Nyamo for Windows, made by tools/pack-windows.sh:
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with Nyamo_07.scr, NyamoSettings.exe>
;            -DICON=<icon.ico> -DOUTFILE=<setup.exe> installer.nsi
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
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

; IsNyamo <path> <installed scr> -> $R0: 1 when the chosen saver's path names
; the installed .scr, in its long or its short (8.3) form, either of which
; the system may have written; 0 otherwise. Case does not matter (StrCmp).
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

Section "Nyamo"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; Nyamo_07.ini, the user's settings, is never part of the package: an
  ; upgrade leaves it as it is.
  File "${STAGE}\Nyamo_07.scr"
  File "${STAGE}\NyamoSettings.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The saver chosen before Nyamo, remembered once: an upgrade finds Nyamo
  ; chosen (here, or in the folder it is moving from) and must not remember
  ; itself. A value that was missing is remembered as missing
  ; (Previous...Set = 0).
  ReadRegStr $3 HKCU "${OWN_KEY}" "InstallDir"
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    StrCpy $1 0
  ${Else}
    StrCpy $1 1
  ${EndIf}
  !insertmacro IS_NYAMO "$0" "$INSTDIR\Nyamo_07.scr"
  ${If} $R0 == 0
  ${AndIf} $3 != ""
    !insertmacro IS_NYAMO "$0" "$3\Nyamo_07.scr"
  ${EndIf}
  ${If} $R0 == 0
    WriteRegStr HKCU "${OWN_KEY}" "PreviousSaver" "$0"
    WriteRegDWORD HKCU "${OWN_KEY}" "PreviousSaverSet" $1
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

  ; Installed before into another folder (the user chose a new one): Nyamo
  ; moves here. Its programs there go; the user's settings come along unless
  ; there are settings here already, in which case both files stay.
  ${If} $3 != ""
  ${AndIf} $3 != "$INSTDIR"
    Delete "$3\Nyamo_07.scr"
    Delete "$3\NyamoSettings.exe"
    Delete "$3\Uninstall.exe"
    ${If} ${FileExists} "$3\Nyamo_07.ini"
    ${AndIfNot} ${FileExists} "$INSTDIR\Nyamo_07.ini"
      Rename "$3\Nyamo_07.ini" "$INSTDIR\Nyamo_07.ini"
    ${EndIf}
    RMDir "$3"
  ${EndIf}
  WriteRegStr HKCU "${OWN_KEY}" "InstallDir" "$INSTDIR"

  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Nyamo_07.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'

  CreateShortCut "${SHORTCUT}" "$INSTDIR\NyamoSettings.exe" "" "$INSTDIR\Nyamo_07.scr" 0 \
    SW_SHOWNORMAL "" "Nyamo screen saver settings"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nyamo_07.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current

  ; The saver chosen before comes back only while Nyamo is still the chosen
  ; one: a saver the user picked since is theirs.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro IS_NYAMO "$0" "$INSTDIR\Nyamo_07.scr"
  ${If} $R0 == 1
    ReadRegDWORD $1 HKCU "${OWN_KEY}" "PreviousSaverSet"
    ReadRegStr $0 HKCU "${OWN_KEY}" "PreviousSaver"
    ${If} $1 == 1
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
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
  Delete "$INSTDIR\Nyamo_07.scr"
  Delete "$INSTDIR\NyamoSettings.exe"
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
