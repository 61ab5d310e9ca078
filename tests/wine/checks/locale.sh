# Started with no locale at all (a bare system), the program still captions
# its windows exactly, and its guard still finds them.
locale_none() { env -u LC_ALL -u LANG -u LANGUAGE -u LC_CTYPE -u LC_MESSAGES "$@"; }
# locale_guard_ends <switch...>: each start ends at once with status 0.
locale_guard_ends() {
    local arg
    for arg in "$@"; do
        locale_none timeout 30 "$WINE" "$SAVER_DIR/Nyamo_07.scr" "$arg" >/dev/null 2>&1 || return 1
    done
}
rm -f "$INI"
SCR_ENV=locale_none start_scr /c
check "no locale: /c opens a dialog captioned $DIALOG" dialog_up 15000
check "no locale: the guard sees the dialog (/s and /c end at once)" locale_guard_ends /s /c
check "no locale: the saver did not start beside the dialog" probe_ok gone "$SAVER" 100
probe close "$DIALOG" >/dev/null
ended "no locale: the close box ends the dialog"
write_ini "[Nyamo Saver]" "CatNum=5" "SaverType=2" "SaverSpeed=5"
xdotool mousemove 500 400
SCR_ENV=locale_none start_scr /s
check "no locale: /s opens a window captioned $SAVER" probe_ok ready "$SAVER" 15000
check "no locale: the guard sees the saver (/c and /s end at once)" locale_guard_ends /c /s
check "no locale: no dialog opened beside the saver" probe_ok gone "$DIALOG" 100
xdotool key a
saver_ended "no locale: a key ends the saver" "no locale: the saver's process ends"
