# The Windows release files under Wine: the portable zip and the per-user
# installer, packed from the suite's build folder as a release packs them
# (tools/pack-windows.sh), then installed, run, upgraded and uninstalled the
# way a user and the system's "Installed apps" do.
# It runs in the suite's prefix and leaves nothing of Nyamo installed there.

DESKTOP_KEY='HKCU\Control Panel\Desktop'
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nyamo'
OWN_KEY='HKCU\Software\Nyamo'
PREVIOUS_SAVER='C:\windows\system32\previous.scr'
# The uninstaller's window caption ends in a space (NSIS puts one before the
# page's title, which is empty); its question's caption does not.
UNINSTALL_WINDOW='Nyamo Uninstall '

# install_reg_value <key> <name>: the value's data as reg prints it; "(absent)"
# when the value (or its key) does not exist.
install_reg_value() {
    local out
    out=$("$WINE" reg query "$1" /v "$2" 2>/dev/null) || { echo "(absent)"; return; }
    out=$(tr -d '\r' <<<"$out" | grep -F -m1 "    $2    REG_" | sed 's/^ *[^ ]* *REG_[A-Z_]* *//')
    echo "$out"
}
install_key_exists() { "$WINE" reg query "$1" >/dev/null 2>&1; }
install_set_saver() {
    # install_set_saver <SCRNSAVE.EXE or -> <ScreenSaveActive or ->: "-" deletes the value.
    if [ "$1" = - ]; then "$WINE" reg delete "$DESKTOP_KEY" /v SCRNSAVE.EXE /f >/dev/null 2>&1
    else "$WINE" reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "$1" /f >/dev/null 2>&1; fi
    if [ "$2" = - ]; then "$WINE" reg delete "$DESKTOP_KEY" /v ScreenSaveActive /f >/dev/null 2>&1
    else "$WINE" reg add "$DESKTOP_KEY" /v ScreenSaveActive /t REG_SZ /d "$2" /f >/dev/null 2>&1; fi
}
install_chosen_saver() { echo "$(install_reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)|$(install_reg_value "$DESKTOP_KEY" ScreenSaveActive)"; }
install_folder_list() { (cd "$1" 2>/dev/null && ls -A | paste -sd' ') || echo "(no folder)"; }
# install_silently: the installer, silent, as a deployment tool runs it; its exit status.
install_silently() { "$WINE" "$SETUP" /S >/dev/null 2>&1; echo $?; }
# install_quiet_uninstall: the entry's QuietUninstallString, as the system runs
# it. The uninstaller hands over to a copy of itself in the temporary folder
# and returns; done is when its entry and its own file are gone.
install_quiet_uninstall() {
    local quiet
    quiet=$(install_reg_value "$UNINSTALL_KEY" QuietUninstallString)
    [ "$quiet" == "\"$INSTALLED_WIN\\Uninstall.exe\" /S" ] || { echo "unexpected QuietUninstallString [$quiet]"; return; }
    "$WINE" "$INSTALLED/Uninstall.exe" /S >/dev/null 2>&1 || { echo "exit $?"; return; }
    for _ in $(seq 150); do
        if ! install_key_exists "$UNINSTALL_KEY" && [ ! -e "$INSTALLED/Uninstall.exe" ]; then echo done; return; fi
        sleep 0.2
    done
    echo "still there after 30 s"
}
# install_copy_ends: waits (30 s at most) for the uninstaller's copy in the
# temporary folder to end.
install_copy_ends() {
    for _ in $(seq 150); do pgrep -f '~nsu' >/dev/null || return 0; sleep 0.2; done
    return 1
}
# install_state: every installed file's bytes, Nyamo's keys, the chosen
# saver and the Start-menu entry, as one line to compare.
install_state() {
    { (cd "$INSTALLED" 2>/dev/null && sha256sum -- *); "$WINE" reg query "$UNINSTALL_KEY" /s 2>/dev/null
      "$WINE" reg query "$OWN_KEY" /s 2>/dev/null; install_chosen_saver; test -e "$SHORTCUT" && echo shortcut; } |
        tr -d '\r' | sha256sum | cut -c1-16
}

RELEASE_START=$(date +%s)
# The Start-menu helper runs on a bare Windows like the saver: 64-bit, GUI,
# no MinGW runtime beside it.
HELPER_IMPORTS=$(x86_64-w64-mingw32-objdump -p "$BUILD/NyamoSettings.exe" 2>/dev/null | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | paste -sd' ')
expect "NyamoSettings.exe: a 64-bit GUI program importing only kernel32, msvcrt and user32" \
    "1|kernel32.dll msvcrt.dll user32.dll" \
    "$(file -b "$BUILD/NyamoSettings.exe" | grep -Ec '^PE32\+ executable.* \(GUI\),? x86-64')|$HELPER_IMPORTS"
DIST=$WORK/dist
SETUP=$DIST/Nyamo-$PROJECT_VERSION-setup.exe
ZIP=$DIST/Nyamo-$PROJECT_VERSION-windows.zip
PACKED=$(bash "$SOURCE_DIR/tools/pack-windows.sh" "$BUILD" "$DIST" 2>&1)
expect "pack-windows: the installer and the zip, named after the project version ($PROJECT_VERSION)" \
    "$SETUP|$ZIP" "$(paste -sd'|' <<<"$PACKED")"
SDE=${SOURCE_DATE_EPOCH:-$(git -C "$SOURCE_DIR" log -1 --format=%ct 2>/dev/null || stat -c %Y "$SOURCE_DIR/CMakeLists.txt")}
echo "release files: Nyamo_07.scr $(stat -c %s "$BUILD/Nyamo_07.scr" 2>/dev/null) bytes," \
    "NyamoSettings.exe $(stat -c %s "$BUILD/NyamoSettings.exe" 2>/dev/null), installer $(stat -c %s "$SETUP" 2>/dev/null)," \
    "zip $(stat -c %s "$ZIP" 2>/dev/null)"

# Packed again later into another folder: the same bytes, or a release could
# not be checked against its source.
sleep 2
bash "$SOURCE_DIR/tools/pack-windows.sh" "$BUILD" "$WORK/dist again" >/dev/null 2>&1
for f in "$SETUP" "$ZIP"; do
    check "packed again two seconds later elsewhere: $(basename "$f") has the same bytes" \
        cmp -s "$f" "$WORK/dist again/$(basename "$f")"
done
# The time the packages carry is SOURCE_DATE_EPOCH's: a day earlier gives
# other bytes (so the same bytes above are not a packer that ignores times).
SOURCE_DATE_EPOCH=$((SDE - 86400)) bash "$SOURCE_DIR/tools/pack-windows.sh" "$BUILD" "$WORK/dist earlier" >/dev/null 2>&1
check "packed with SOURCE_DATE_EPOCH a day earlier: another installer" \
    test -s "$WORK/dist earlier/$(basename "$SETUP")" -a -n "$(cmp "$SETUP" "$WORK/dist earlier/$(basename "$SETUP")" 2>&1)"
REFUSED=$(bash "$SOURCE_DIR/tools/pack-windows.sh" "$WORK/tmp" "$WORK/dist bad" 2>&1; echo "exit $?")
check "pack-windows refuses a folder without the programs, says which is missing, writes nothing" \
    test "$(tail -1 <<<"$REFUSED")" = "exit 1" -a -n "$(grep 'Nyamo_07.scr is missing' <<<"$REFUSED")" -a ! -e "$WORK/dist bad"

# --- Signed with an authority made for this run: from here on the zip and
# the installer are the signed ones, as a signed release ships them ---
source "$SOURCE_DIR/tests/lib/throwaway_keys.sh"
throwaway_codesign "$WORK/codesign" "test pass" >/dev/null 2>&1
for dest in signed "signed again"; do
    [ "$dest" = signed ] || sleep 1
    NYAMO_CODESIGN_PFX=$WORK/codesign/signer.pfx NYAMO_CODESIGN_PASS="test pass" \
        bash "$SOURCE_DIR/tools/pack-windows.sh" "$BUILD" "$WORK/$dest" >/dev/null 2>&1
done
SETUP=$WORK/signed/$(basename "$SETUP") ZIP=$WORK/signed/$(basename "$ZIP")
install_verifies() { osslsigncode verify -CAfile "$WORK/codesign/ca.pem" -in "$1" >/dev/null 2>&1; }
install_digest() { rm -f "$WORK/d.der"; osslsigncode extract-data -h sha256 -in "$1" -out "$WORK/d.der" >/dev/null 2>&1 && sha256sum <"$WORK/d.der"; }
# install_signed_build BUILT FILE: FILE verifies; its Authenticode digest is BUILT's.
install_signed_build() { install_verifies "$2" && [ "$(install_digest "$1")" = "$(install_digest "$2")" ]; }
check "signed: osslsigncode verify accepts the installer against the test authority; packed again a second later, the same installer and zip" \
    eval 'install_verifies "$SETUP" && cmp -s "$SETUP" "$WORK/signed again/${SETUP##*/}" && cmp -s "$ZIP" "$WORK/signed again/${ZIP##*/}"'
# --- The portable zip ---
ZIP_FOLDER=Nyamo-$PROJECT_VERSION-windows
expect "zip: one folder holding the .scr and README.txt, in that order" \
    "$ZIP_FOLDER/Nyamo_07.scr $ZIP_FOLDER/README.txt" "$(unzip -Z1 "$ZIP" 2>/dev/null | paste -sd' ')"
# install_near <seconds> <seconds...>: every time given is within 2 s of the first
# (zip's DOS times and the installer's file times have two-second steps).
install_near() {
    local want=$1 t
    shift
    [ $# -gt 0 ] || return 1
    for t in "$@"; do [[ $t =~ ^[0-9]+$ ]] && [ $((t - want)) -le 2 ] && [ $((want - t)) -le 2 ] || return 1; done
}
ZIP_TIMES=$(zipinfo -T "$ZIP" 2>/dev/null | grep "$ZIP_FOLDER/" | awk '{print $7}' |
    while read -r t; do date -u -d "${t:0:8} ${t:9:2}:${t:11:2}:${t:13:2}" +%s; done | paste -sd' ')
check "zip: every member dated at the source's time, $SDE, in UTC (got $ZIP_TIMES)" install_near "$SDE" $ZIP_TIMES
expect "zip: no extra fields (owner, Unix times); the archive tests whole" "0|0" \
    "$(zipinfo -v "$ZIP" 2>/dev/null | grep -c 'length of extra field: *[1-9]')|$(unzip -tq "$ZIP" >/dev/null 2>&1; echo $?)"
mkdir -p "$WORK/unzipped"
unzip -q -o "$ZIP" -d "$WORK/unzipped" 2>/dev/null
check "zip: its Nyamo_07.scr is the build's, signed" install_signed_build "$BUILD/Nyamo_07.scr" "$WORK/unzipped/$ZIP_FOLDER/Nyamo_07.scr"
cp "$WORK/unzipped/$ZIP_FOLDER/Nyamo_07.scr" "$WORK/changed.scr"
printf 'x' | dd of="$WORK/changed.scr" bs=1 seek=4096 conv=notrunc status=none
expect "signed: a .scr changed by one byte after signing is refused" "1" "$(install_verifies "$WORK/changed.scr"; echo $?)"
README=$WORK/unzipped/$ZIP_FOLDER/README.txt
check "zip: README.txt has Windows line ends (every line ends in CR LF)" \
    test -s "$README" -a "$(grep -c $'\r$' "$README")" -eq "$(wc -l <"$README")"
check "zip: README.txt tells the version and how to install by right-click" \
    grep -q "Nyamo $PROJECT_VERSION .*Right-click Nyamo_07.scr and choose \"Install\"" <<<"$(tr -d '\r' <"$README" | paste -sd' ' | tr -s ' ')"

# --- The installer ---
SETUP_VERSION=$(probe version "$(winpath "$SETUP")")
expect "installer: version record of the project version" "$PROJECT_VERSION $PROJECT_VERSION $PROJECT_VERSION.0 Nyamo" \
    "$(field "$SETUP_VERSION" FileVersion) $(field "$SETUP_VERSION" ProductVersion) $(field "$SETUP_VERSION" fixed) $(field "$SETUP_VERSION" ProductName)"
expect "installer: asks for no administrator (asInvoker)" "1" "$(field "$SETUP_VERSION" manifest_asinvoker)"

LOCALAPPDATA_WIN=$("$WINE" cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
INSTALLED_WIN="$LOCALAPPDATA_WIN\\Programs\\Nyamo"
INSTALLED=$("$WINE" winepath -u "$INSTALLED_WIN" 2>/dev/null | tr -d '\r')
INSTALLED=${INSTALLED%/}
START_MENU=$("$WINE" winepath -u "$("$WINE" cmd /c echo '%APPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs" 2>/dev/null | tr -d '\r')
SHORTCUT=${START_MENU%/}/Nyamo\ settings.lnk
echo "installer: installs into $INSTALLED_WIN ($INSTALLED)"
check "installer: the user's folder for programs is known before installing" test -n "$LOCALAPPDATA_WIN" -a -n "$INSTALLED"
rm -rf "$INSTALLED"
install_set_saver "$PREVIOUS_SAVER" 0

expect "install /S: exit status" "0" "$(install_silently)"
expect "install: the two programs and the uninstaller, nothing else" "NyamoSettings.exe Nyamo_07.scr Uninstall.exe" "$(install_folder_list "$INSTALLED")"
check "install: Nyamo_07.scr is the build's, signed" install_signed_build "$BUILD/Nyamo_07.scr" "$INSTALLED/Nyamo_07.scr"
check "install: NyamoSettings.exe is the build's, signed" install_signed_build "$BUILD/NyamoSettings.exe" "$INSTALLED/NyamoSettings.exe"
check "install: Uninstall.exe is signed" install_verifies "$INSTALLED/Uninstall.exe"
INSTALLED_TIMES="$(stat -c %Y "$INSTALLED/Nyamo_07.scr" 2>/dev/null) $(stat -c %Y "$INSTALLED/NyamoSettings.exe" 2>/dev/null)"
check "install: the files bear the source's time, $SDE, as packed (got $INSTALLED_TIMES)" install_near "$SDE" $INSTALLED_TIMES
expect "install: Nyamo is the chosen screen saver, and the saver is on" "$INSTALLED_WIN\\Nyamo_07.scr|1" "$(install_chosen_saver)"
expect "install: the saver chosen before is remembered" "$PREVIOUS_SAVER|0x1|0|0x1" \
    "$(install_reg_value "$OWN_KEY" PreviousSaver)|$(install_reg_value "$OWN_KEY" PreviousSaverSet)|$(install_reg_value "$OWN_KEY" PreviousActive)|$(install_reg_value "$OWN_KEY" PreviousActiveSet)"
expect "install: installed-apps entry: name, version, publisher, icon" "Nyamo|$PROJECT_VERSION|Nyamo authors|$INSTALLED_WIN\\Nyamo_07.scr,0" \
    "$(install_reg_value "$UNINSTALL_KEY" DisplayName)|$(install_reg_value "$UNINSTALL_KEY" DisplayVersion)|$(install_reg_value "$UNINSTALL_KEY" Publisher)|$(install_reg_value "$UNINSTALL_KEY" DisplayIcon)"
expect "one publisher: the .scr's and the installer's CompanyName are the entry's Publisher" "Nyamo authors|Nyamo authors" \
    "$(field "$(probe version "$(winpath "$BUILD/Nyamo_07.scr")")" CompanyName)|$(field "$SETUP_VERSION" CompanyName)"
expect "install: installed-apps entry: uninstall and quiet uninstall commands" \
    "\"$INSTALLED_WIN\\Uninstall.exe\"|\"$INSTALLED_WIN\\Uninstall.exe\" /S" \
    "$(install_reg_value "$UNINSTALL_KEY" UninstallString)|$(install_reg_value "$UNINSTALL_KEY" QuietUninstallString)"
INSTALLED_KB=$(( ($(cat "$INSTALLED"/* 2>/dev/null | wc -c) + 1023) / 1024 ))
ESTIMATED=$(install_reg_value "$UNINSTALL_KEY" EstimatedSize)
check "install: installed-apps entry: estimated size $((ESTIMATED)) KB, the files' $INSTALLED_KB KB" \
    test -n "$ESTIMATED" -a $((ESTIMATED)) -ge $((INSTALLED_KB - 3)) -a $((ESTIMATED)) -le $((INSTALLED_KB + 3))
check "install: Start-menu entry \"Nyamo settings\"" test -s "$SHORTCUT"

# The installed program as a user starts it: its settings from the
# Start-menu entry, a setting changed and saved beside it; then full screen.
# start returns at once; once, under load, it hung inside Wine before
# starting anything: bounded, so that the check below fails instead.
timeout 20 "$WINE" start /unix "$SHORTCUT" >/dev/null 2>&1
check "installed: the Start-menu entry opens the settings dialog" dialog_up 15000
check "installed: ... and not the saver" probe_ok gone "$SAVER" 100
probe click "$DIALOG" 102 >/dev/null
probe click "$DIALOG" 105 >/dev/null
check "installed: OK closes the dialog" probe_ok gone "$DIALOG" 8000
sleep 0.5
expect "installed: the settings are saved beside the installed program" "[Nyamo Saver]|CatNum=20|SaverType=2|SaverSpeed=5|SaverScreens=1" \
    "$(tr -d '\r' <"$INSTALLED/Nyamo_07.ini" 2>/dev/null | paste -sd'|')"
xdotool mousemove 500 400
check "installed: /s opens the saver window" eval 'SAVER_DIR=$INSTALLED saver_up /s'
xdotool key a
saver_ended "installed: a key ends the saver" "installed: the saver's process ends"
SAVER_DIR=$INSTALLED start_scr /c
check "installed: /c opens the settings dialog" dialog_up 15000
expect "installed: ... showing the saved choice (Blank Screen)" "0 1" "$(choice)"
probe click "$DIALOG" 106 >/dev/null
ended "installed: Cancel ends it"
# The Start-menu helper with no .scr beside it says which file it could not
# start, and fails.
mv "$INSTALLED/Nyamo_07.scr" "$WORK/aside.scr"
( "$WINE" "$INSTALLED/NyamoSettings.exe" >/dev/null 2>&1; echo $? >"$WORK/helper.exit" ) &
HELPER_SHELL=$!
MSG=$(probe msgbox "Nyamo" 8000)
check "NyamoSettings.exe without its .scr: a message naming it" grep -qF "\"$INSTALLED_WIN\\Nyamo_07.scr\" could not be started" <<<"$MSG"
probe msgbox-ok "Nyamo" >/dev/null
for _ in $(seq 100); do [ -f "$WORK/helper.exit" ] && break; sleep 0.1; done
[ -f "$WORK/helper.exit" ] || for pid in $(pgrep -P "$HELPER_SHELL"); do kill "$pid" 2>/dev/null; done
wait "$HELPER_SHELL" 2>/dev/null
expect "NyamoSettings.exe without its .scr: exit status 1" "1" "$(cat "$WORK/helper.exit" 2>/dev/null)"
mv "$WORK/aside.scr" "$INSTALLED/Nyamo_07.scr"

# An upgrade over it: the programs are replaced (an older .scr stands in for
# the previous version), the user's settings kept byte for byte, and Nyamo,
# now the chosen saver, is not remembered as the one chosen before it.
printf '[Nyamo Saver]\r\nCatNum=7\r\nSaverType=2\r\nSaverSpeed=9\r\n' >"$INSTALLED/Nyamo_07.ini"
cp "$INSTALLED/Nyamo_07.ini" "$WORK/user.ini"
printf 'an older version' >"$INSTALLED/Nyamo_07.scr"
expect "upgrade /S: exit status" "0" "$(install_silently)"
check "upgrade: Nyamo_07.scr replaced by the build's, signed" install_signed_build "$BUILD/Nyamo_07.scr" "$INSTALLED/Nyamo_07.scr"
check "upgrade: the user's Nyamo_07.ini is kept byte for byte" cmp -s "$WORK/user.ini" "$INSTALLED/Nyamo_07.ini"
expect "upgrade: Nyamo still chosen; the saver chosen before Nyamo still remembered" \
    "$INSTALLED_WIN\\Nyamo_07.scr|1 $PREVIOUS_SAVER|0" "$(install_chosen_saver) $(install_reg_value "$OWN_KEY" PreviousSaver)|$(install_reg_value "$OWN_KEY" PreviousActive)"

# The same folder named another way (here through Wine's drive Z:; on
# Windows an 8.3 name, a subst drive or a junction) is no move: nothing is
# deleted, and the registry keeps the name on record.
INSTALLED_Z=$(winpath "$(readlink -f "$INSTALLED")")
"$WINE" "$SETUP" /S "/D=$INSTALLED_Z" >/dev/null 2>&1
expect "same folder through Z: ($INSTALLED_Z): exit 0, the programs and the settings still there" \
    "0|NyamoSettings.exe Nyamo_07.ini Nyamo_07.scr Uninstall.exe" "$?|$(install_folder_list "$INSTALLED")"
check "same folder through Z:: Nyamo_07.scr is the build's, signed" install_signed_build "$BUILD/Nyamo_07.scr" "$INSTALLED/Nyamo_07.scr"
expect "same folder through Z:: the saver, the entry and the folder on record keep their first name" \
    "$INSTALLED_WIN\\Nyamo_07.scr|1 \"$INSTALLED_WIN\\Uninstall.exe\" /S $INSTALLED_WIN" \
    "$(install_chosen_saver) $(install_reg_value "$UNINSTALL_KEY" QuietUninstallString) $(install_reg_value "$OWN_KEY" InstallDir)"

# An upgrade leaves the user's choice made since: another saver, or the
# saver switched off.
install_set_saver 'C:\windows\system32\chosen later.scr' 1
install_silently >/dev/null
install_off_result=$(install_chosen_saver)
install_set_saver "$INSTALLED_WIN\\Nyamo_07.scr" 0
install_silently >/dev/null
expect "upgrade: another saver chosen since stays chosen; Nyamo switched off stays off" \
    'C:\windows\system32\chosen later.scr|1 '"$INSTALLED_WIN\\Nyamo_07.scr|0" "$install_off_result $(install_chosen_saver)"
install_set_saver "$INSTALLED_WIN\\Nyamo_07.scr" 1

# While Nyamo runs (its settings dialog open, from an installed .scr of other
# bytes that still runs), a silent upgrade and the quiet uninstall fail and
# change nothing; by hand, the uninstaller asks for Nyamo to be closed and
# goes on after Retry.
{ cat "$BUILD/Nyamo_07.scr"; printf 'the version before'; } >"$INSTALLED/Nyamo_07.scr"
SAVER_DIR=$INSTALLED start_scr /c
if dialog_up 15000; then
    RUNNING_BEFORE=$(install_state)
    expect "Nyamo running: upgrade /S fails (exit 2)" "2" "$(install_silently)"
    expect "Nyamo running: ... and changes nothing" "$RUNNING_BEFORE" "$(install_state)"
    # The quiet command (its copy's status is nobody's), and the uninstaller
    # run where it is, waited for (_?=), whose status is its caller's.
    "$WINE" "$INSTALLED/Uninstall.exe" /S >/dev/null 2>&1
    sleep 1
    check "Nyamo running: the quiet uninstall's copy ends" install_copy_ends
    expect "Nyamo running: ... having changed nothing" "$RUNNING_BEFORE" "$(install_state)"
    "$WINE" "$INSTALLED/Uninstall.exe" /S "_?=$INSTALLED_WIN" >/dev/null 2>&1
    expect "Nyamo running: the uninstaller run in place with /S fails (exit 2), changing nothing" \
        "2|$RUNNING_BEFORE" "$?|$(install_state)"
    "$WINE" "$INSTALLED/Uninstall.exe" >/dev/null 2>&1 &
    probe_ok wait "$UNINSTALL_WINDOW" 15000 && probe click "$UNINSTALL_WINDOW" 1 >/dev/null
    check "Nyamo running: by hand, the uninstaller asks for Nyamo to be closed, naming the file" \
        grep -qF "$INSTALLED_WIN\\Nyamo_07.scr cannot be changed while it runs" <<<"$(probe msgbox "Nyamo Uninstall" 15000)"
    probe click "$DIALOG" 106 >/dev/null
    expect "Nyamo running: the dialog closes" "0" "$(wait_exit 8)"
    probe msgbox-answer "Nyamo Uninstall" 4 8000 >/dev/null
    probe msgbox-answer "Nyamo Uninstall" 7 15000 >/dev/null
    for _ in $(seq 100); do install_key_exists "$UNINSTALL_KEY" || break; sleep 0.2; done
    probe click "$UNINSTALL_WINDOW" 1 >/dev/null
    probe_ok gone "$UNINSTALL_WINDOW" 8000
    expect "Nyamo closed, Retry: the uninstall goes on; the settings stay" "Nyamo_07.ini|" \
        "$(install_folder_list "$INSTALLED")|$(install_key_exists "$UNINSTALL_KEY" && echo entry)"
else
    fail "Nyamo running: the installed .scr /c opens its dialog"
fi
stop_scr
install_set_saver "$PREVIOUS_SAVER" 0
install_silently >/dev/null

# Installed again into another folder (/D=, as the installer's folder page
# does; Wine quotes an argument with spaces, which /D= does not take): Nyamo
# moves there with the user's settings, and moves back the same way.
MOVED_WIN='C:\NyamoMoved'
MOVED=$("$WINE" winepath -u "$MOVED_WIN" 2>/dev/null | tr -d '\r')
MOVED=${MOVED%/}
"$WINE" "$SETUP" /S "/D=$MOVED_WIN" >/dev/null 2>&1
expect "moved: the programs and the user's settings in the new folder, the old folder gone" \
    "NyamoSettings.exe Nyamo_07.ini Nyamo_07.scr Uninstall.exe|(no folder)" "$(install_folder_list "$MOVED")|$(install_folder_list "$INSTALLED")"
check "moved: the user's settings unchanged" cmp -s "$WORK/user.ini" "$MOVED/Nyamo_07.ini"
expect "moved: Nyamo in its new folder chosen; the saver chosen before Nyamo still remembered" \
    "$MOVED_WIN\\Nyamo_07.scr|1 $PREVIOUS_SAVER|0 \"$MOVED_WIN\\Uninstall.exe\" /S" \
    "$(install_chosen_saver) $(install_reg_value "$OWN_KEY" PreviousSaver)|$(install_reg_value "$OWN_KEY" PreviousActive) $(install_reg_value "$UNINSTALL_KEY" QuietUninstallString)"
"$WINE" "$SETUP" /S "/D=$INSTALLED_WIN" >/dev/null 2>&1
expect "moved back: all in the first folder again" "NyamoSettings.exe Nyamo_07.ini Nyamo_07.scr Uninstall.exe|(no folder)" \
    "$(install_folder_list "$INSTALLED")|$(install_folder_list "$MOVED")"

# Uninstalling: what was installed goes, the saver chosen before comes back,
# and the user's settings (which the installer did not make) stay.
expect "uninstall /S (the entry's quiet command) finishes" "done" "$(install_quiet_uninstall)"
expect "uninstall: the saver chosen before is back, and off as it was" "$PREVIOUS_SAVER|0" "$(install_chosen_saver)"
expect "uninstall: only the user's settings are left in the folder" "Nyamo_07.ini" "$(install_folder_list "$INSTALLED")"
check "uninstall: ... unchanged" cmp -s "$WORK/user.ini" "$INSTALLED/Nyamo_07.ini"
check "uninstall: the Start-menu entry is gone" test ! -e "$SHORTCUT"
check "uninstall: the installed-apps entry and Nyamo's own key are gone" \
    test -z "$(install_key_exists "$UNINSTALL_KEY" && echo x)$(install_key_exists "$OWN_KEY" && echo x)"

# With no saver chosen before (the values missing), uninstalling leaves them
# missing, and an empty folder goes with it.
rm -rf "$INSTALLED"
install_set_saver - -
install_silently >/dev/null
expect "no saver before: install chooses Nyamo" "$INSTALLED_WIN\\Nyamo_07.scr|1" "$(install_chosen_saver)"
expect "no saver before: uninstall finishes" "done" "$(install_quiet_uninstall)"
expect "no saver before: uninstall leaves no saver chosen" "(absent)|(absent)" "$(install_chosen_saver)"
expect "no saver before: the folder is gone" "(no folder)" "$(install_folder_list "$INSTALLED")"

# A saver chosen before as REG_EXPAND_SZ comes back as one, its variable
# unexpanded.
"$WINE" reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_EXPAND_SZ /d '%SystemRoot%\system32\previous.scr' /f >/dev/null 2>&1
install_silently >/dev/null
expect "REG_EXPAND_SZ saver before: uninstall finishes" "done" "$(install_quiet_uninstall)"
expect "REG_EXPAND_SZ saver before: back with its type, unexpanded" 'REG_EXPAND_SZ %SystemRoot%\system32\previous.scr' \
    "$("$WINE" reg query "$DESKTOP_KEY" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | sed -n 's/^ *SCRNSAVE.EXE *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p')"

# A saver the user chose after installing Nyamo is theirs: uninstalling
# leaves it. The same path in other letters is still Nyamo (Windows paths
# know no case).
install_set_saver "$PREVIOUS_SAVER" 1
install_silently >/dev/null
install_set_saver 'C:\windows\system32\chosen later.scr' 1
expect "saver chosen since: uninstall finishes" "done" "$(install_quiet_uninstall)"
expect "saver chosen since: uninstall leaves it chosen" 'C:\windows\system32\chosen later.scr|1' "$(install_chosen_saver)"
install_set_saver "$PREVIOUS_SAVER" 0
install_silently >/dev/null
install_set_saver "$(tr 'a-z' 'A-Z' <<<"$INSTALLED_WIN\\Nyamo_07.scr")" 1
expect "path in capitals: uninstall finishes" "done" "$(install_quiet_uninstall)"
expect "path in capitals: still Nyamo, so the saver chosen before is back" "$PREVIOUS_SAVER|0" "$(install_chosen_saver)"
# Uninstalled by hand (the installed apps' Uninstall button), the user is
# asked whether their settings go too: No keeps them, Yes deletes them.
install_uninstall_by_hand() {
    # install_uninstall_by_hand <button: 6 Yes, 7 No>: prints the question.
    install_silently >/dev/null
    printf '[Nyamo Saver]\r\nCatNum=3\r\n' >"$INSTALLED/Nyamo_07.ini"
    "$WINE" "$INSTALLED/Uninstall.exe" >/dev/null 2>&1 &
    probe_ok wait "$UNINSTALL_WINDOW" 15000 || { echo "no uninstaller window"; return; }
    probe click "$UNINSTALL_WINDOW" 1 >/dev/null
    probe msgbox-answer "Nyamo Uninstall" "$1" 15000 | sed -n 's/^Static: \(..*\)/\1/p'
    for _ in $(seq 100); do install_key_exists "$UNINSTALL_KEY" || break; sleep 0.2; done
    probe click "$UNINSTALL_WINDOW" 1 >/dev/null
    probe_ok gone "$UNINSTALL_WINDOW" 8000
}
QUESTION=$(install_uninstall_by_hand 7)
expect "uninstall by hand: asks whether the settings go too, naming the file" \
    "Also delete your Nyamo settings ($INSTALLED_WIN\\Nyamo_07.ini)?" "$QUESTION"
expect "uninstall by hand, No: the settings stay, alone in the folder; the entry is gone" "Nyamo_07.ini|" \
    "$(install_folder_list "$INSTALLED")|$(install_key_exists "$UNINSTALL_KEY" && echo entry)"
rm -rf "$INSTALLED"
install_uninstall_by_hand 6 >/dev/null
expect "uninstall by hand, Yes: the settings and the folder are gone" "(no folder)" "$(install_folder_list "$INSTALLED")"
expect "nothing of the installer is left" "(no folder)|||" \
    "$(install_folder_list "$INSTALLED")|$(install_key_exists "$UNINSTALL_KEY" && echo entry)|$(install_key_exists "$OWN_KEY" && echo key)|$(test -e "$SHORTCUT" && echo shortcut)"
echo "release checks: $(($(date +%s) - RELEASE_START)) s"
