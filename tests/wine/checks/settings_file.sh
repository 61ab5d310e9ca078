# The dialog over a settings file: the stored values shown, Cancel, the
# close box and Alt+F4 leaving it as it was, OK completing a partial one, a
# folder named in Japanese, a damaged file, and saves that fail (the file
# unwritable, a user without the right to write).

# The saved values come back; a dragged thumb; Cancel keeps the file.
write_ini "[Other]" "Keep=yes" "[Nyamo Saver]" "CatNum=1" "SaverType=2" "SaverSpeed=10" "SaverScreens=2"
cp "$INI" "$WORK/ini.before"
start_scr /c:1234
check "/c:1234 opens the settings dialog" dialog_up
C=$(probe controls "$DIALOG")
expect "stored values are shown: Blank Screen, 1 cat, speed 10, 全モニタ ticked" "0 1 [ 1] [ 10] 1" \
    "$(fields "$C" checked 101 102) [$(control_text "$(control_line "$C" 108)")] [$(control_text "$(control_line "$C" 110)")] $(control_field "$(control_line "$C" 112)" checked)"
read -r CX CY <<<"$(field "$(probe info "$DIALOG")" client_origin)"
ARROW=$(field "$(probe info "$DIALOG")" hscroll_arrow)
xdotool mousemove $((CX + 20 + ARROW + 4)) $((CY + 135 + 9)) mousedown 1
sleep 0.2
xdotool mousemove_relative 25 0
sleep 0.2
xdotool mousemove_relative 25 0
sleep 0.4
DURING=$(label_text 108)
xdotool mouseup 1
sleep 0.5
AFTER=$(label_text 108)
expect "a real thumb drag keeps the label while dragging" " 1" "$DURING"
check "a real thumb drag updates the label when released" test "$AFTER" != " 1" -a -n "$AFTER"
probe click "$DIALOG" 101 >/dev/null
probe click "$DIALOG" 106 >/dev/null
ended "キャンセル ends the program"
check "キャンセル after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"

start_scr
check "no argument opens the settings dialog" dialog_up
scroll 103 $SB_LINERIGHT
probe click "$DIALOG" 101 >/dev/null
read -r BX BY <<<"$(probe closebox "$DIALOG")"
check "the dialog has a close box" test -n "${BY:-}"
xdotool mousemove "${BX:-0}" "${BY:-0}" click 1
ended "a real click on the close box ends the program"
check "the close box after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"

# Alt+F4, the close box's keyboard equivalent, with real keys.
start_scr /c
check "the dialog opens for Alt+F4" dialog_up
scroll 104 $SB_LINELEFT
read -r CX CY <<<"$(field "$(probe info "$DIALOG")" client_origin)"
xdotool mousemove $((CX + 150)) $((CY + 100)) key alt+F4
ended "Alt+F4 ends the program"
check "Alt+F4 after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"

# OK without a change still writes all three keys: the one present is
# replaced in place, the missing ones follow in order, other sections stay.
write_ini "[Other]" "Keep=yes" "[Nyamo Saver]" "SaverSpeed=3"
start_scr /c
check "/c opens the dialog over a partial settings file" dialog_up
probe click "$DIALOG" 105 >/dev/null
ended "OK without changes ends the program"
expect "OK without changes writes all keys and keeps the rest of the file" \
    "[Other]|Keep=yes|[Nyamo Saver]|SaverSpeed=3|CatNum=20|SaverType=1|SaverScreens=1" "$(ini_text | paste -sd'|')"

# A folder whose name no ANSI code page of the West can spell: the wide
# functions find the settings file there and write it there.
WIDE_DIR=$WORK/猫の部屋
copy_saver "$WIDE_DIR"
printf '%s\r\n' "[Nyamo Saver]" "CatNum=33" >"$WIDE_DIR/Nyamo_07.ini"
SAVER_DIR=$WIDE_DIR start_scr /c
check "a saver in a Japanese-named folder opens its dialog" dialog_up
expect "it reads the settings file in that folder" " 33" "$(label_text 108)"
probe click "$DIALOG" 105 >/dev/null
ended "OK ends it"
expect "OK writes the file in that folder" "[Nyamo Saver]|CatNum=33|SaverType=1|SaverSpeed=5|SaverScreens=1" \
    "$(tr -d '\r' <"$WIDE_DIR/Nyamo_07.ini" | paste -sd'|')"

# A damaged file: values forced into range, nothing lost by reading.
write_ini "[Nyamo Saver]" "CatNum=abc" "SaverType=7" "SaverSpeed=99"
cp "$INI" "$WORK/ini.before"
start_scr /C
check "/C opens the settings dialog" dialog_up
C=$(probe controls "$DIALOG")
expect "damaged values are forced into range: Desktop, 1, 10" "1 0 [ 1] [ 10]" \
    "$(fields "$C" checked 101 102) [$(control_text "$(control_line "$C" 108)")] [$(control_text "$(control_line "$C" 110)")]"

# The guard while the dialog is open.
run_case "guard: /s while the dialog is open" 0 " /s"
run_case "guard: /c while the dialog is open" 0 " /c"
guard_preview "guard: /p into a real host while the dialog is open"
probe close "$DIALOG" >/dev/null
ended "close box ends the damaged-file dialog"
check "reading a damaged file does not change it" cmp -s "$INI" "$WORK/ini.before"

# A failed save: the settings file cannot be written (here a folder has
# taken its name). The user is told, then the dialog closes as usual.
rm -f "$INI"
mkdir "$INI"
start_scr /c
check "dialog opens beside an unwritable settings file" dialog_up
scroll 103 $SB_LINERIGHT
probe click "$DIALOG" 105 >/dev/null
MSG=$(probe msgbox "Nyamo" 8000)
check "failed save shows a message" grep -q "not saved" <<<"$MSG"
check "the message names the settings file" grep -qF "$INI_WIN" <<<"$MSG"
probe msgbox-ok "Nyamo" >/dev/null
ended "after the message the dialog closes and the program ends"
check "the folder in the file's place is untouched" test -d "$INI" -a -z "$(ls -A "$INI")"
rmdir "$INI"

# An ordinary user (not root, whose writes Wine cannot refuse): the saver in
# a folder the user may not write to, as it is in the system folder, and a
# read-only settings file in the user's own folder. Same message both times.
# Run as root (as CI does), the suite plays that user as "nobody" with a
# prefix of its own; run as an ordinary user, it is that user.
NOBODY_HOME=$WORK/nobody
mkdir -p "$NOBODY_HOME"
if [ "$(id -u)" -eq 0 ]; then
    mkdir -p "$NOBODY_HOME/tmp"
    chown 65534:65534 "$NOBODY_HOME" "$NOBODY_HOME/tmp"
    as_nobody() {
        setpriv --reuid=65534 --regid=65534 --clear-groups \
            env HOME="$NOBODY_HOME" WINEPREFIX="$NOBODY_HOME/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
            DISPLAY="$DISPLAY" "$@"
    }
    as_nobody "$WINE" wineboot -i >/dev/null 2>&1
    as_nobody "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
else
    as_nobody() { "$@"; }
fi
settings_nobody_save() {
    local name=$1 folder=$2
    local ini=$folder/Nyamo_07.ini
    rm -f "$WORK/ini.before"
    [ -e "$ini" ] && cp "$ini" "$WORK/ini.before"
    SAVER_DIR=$folder SCR_ENV=as_nobody start_scr /c
    check "$name: dialog opens" quiet as_nobody "$WINE" "$PROBE" wait "$DIALOG" 15000
    as_nobody "$WINE" "$PROBE" click "$DIALOG" 105 >/dev/null 2>&1
    local msg
    msg=$(as_nobody "$WINE" "$PROBE" msgbox "Nyamo" 8000 2>/dev/null | tr -d '\r')
    check "$name: failed save shows a message" grep -q "not saved" <<<"$msg"
    check "$name: the message names the settings file" grep -qF "$(winpath "$ini")" <<<"$msg"
    as_nobody "$WINE" "$PROBE" msgbox-ok "Nyamo" >/dev/null 2>&1
    ended "$name: the program ends after the message"
    if [ -e "$WORK/ini.before" ]; then
        check "$name: the file is unchanged" cmp -s "$ini" "$WORK/ini.before"
    else
        check "$name: no file appears" test ! -e "$ini"
    fi
}
SYSTEM_DIR=$WORK/system
copy_saver "$SYSTEM_DIR"
chmod 555 "$SYSTEM_DIR"
settings_nobody_save "user without write access to the saver's folder" "$SYSTEM_DIR"
USER_DIR=$NOBODY_HOME/saver
copy_saver "$USER_DIR"
printf '%s\r\n' "[Nyamo Saver]" "CatNum=3" >"$USER_DIR/Nyamo_07.ini"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$USER_DIR"
chmod 444 "$USER_DIR/Nyamo_07.ini"
settings_nobody_save "user with a read-only settings file" "$USER_DIR"
[ "$(id -u)" -eq 0 ] && as_nobody wineserver -k >/dev/null 2>&1

