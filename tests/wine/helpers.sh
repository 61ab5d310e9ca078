# The words every topic of the Wine suite speaks: the probe, the saver
# started as a user or the host starts it, its settings file, and the
# dialog's controls. Sourced by run-wine-suite.sh once the prefix is up; it
# reads WINE, WORK, PROBE, SAVER_DIR, INI, SCR_WIN, DIALOG and SAVER.

quiet() { "$@" >/dev/null 2>&1; }
# hex <text>: a hexadecimal field as a number; nothing when it is not one.
hex() { [[ $1 =~ ^[0-9A-Fa-f]{1,16}$ ]] && echo $((16#$1)); }
# bits <number> <mask> <wanted>: the masked bits are as wanted; false when
# the number is missing.
bits() { [[ $1 =~ ^-?[0-9]+$ ]] && [ $(($1 & $2)) -eq $(($3)) ]; }
# within_one <a> <b>: the two numbers are at most 1 apart.
within_one() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
winpath() { echo "Z:${1//\//\\}"; }

probe() { "$WINE" "$PROBE" "$@" 2>>"$WORK/probe.err" | tr -d '\r'; }
probe_ok() { "$WINE" "$PROBE" "$@" >/dev/null 2>&1; }  # probe_ok <command...>: the probe's status alone
field() { grep -m1 "^$2=" <<<"$1" | cut -d= -f2-; }
# probe_run <ms> <command line after the program>: the probe's run report.
# Into a file: a program that stays open keeps the probe's output open.
probe_run() {
    "$WINE" "$PROBE" run "$1" "$SCR_WIN" "\"$SCR_WIN\"$2" >"$WORK/run.out" 2>>"$WORK/probe.err"
    tr -d '\r' <"$WORK/run.out"
}

# start_scr <args...>: start the saver from the shell as a user or the host
# would; its exit status lands in $WORK/exit when it ends. The copy in
# SAVER_DIR starts, through the command SCR_ENV when set (locale_none,
# as_nobody), its output into SCR_OUT when set.
start_scr() {
    rm -f "$WORK/exit"
    ( ${SCR_ENV:-} "$WINE" "$SAVER_DIR/Nyamo_07.scr" "$@" >"${SCR_OUT:-/dev/null}" 2>/dev/null
      echo $? >"$WORK/exit.tmp"; mv "$WORK/exit.tmp" "$WORK/exit" ) &
    SCR_SHELL_PID=$!
}
# wait_exit <seconds>: the status of the last started instance, or "running".
wait_exit() {
    local tenths=$(($1 * 10))
    for _ in $(seq "$tenths"); do
        if [ -f "$WORK/exit" ]; then cat "$WORK/exit"; return; fi
        sleep 0.1
    done
    echo running
}
# Anything still running from a failed check is ended before the next one.
stop_scr() {
    if [ -n "${SCR_SHELL_PID:-}" ] && [ ! -f "$WORK/exit" ]; then
        local pid
        for pid in $(pgrep -P "$SCR_SHELL_PID"); do kill "$pid" 2>/dev/null; done
        wait "$SCR_SHELL_PID" 2>/dev/null
    fi
    SCR_SHELL_PID=
}
# saver_up <switch>: start the saver and wait until a key would reach it:
# shown, the foreground window, the keyboard focus on it.
saver_up() {
    start_scr "$@"
    probe_ok ready "$SAVER" 15000
}
saver_gone() { probe_ok gone "$SAVER" "$1"; }
# ended <name> [seconds]: the last started instance ends with status 0
# within that time (8 s); whatever is left of it is ended.
ended() {
    expect "$1" "0" "$(wait_exit "${2:-8}")"
    stop_scr
}
# saver_ended <name> <name of the process's end>: the saver is gone within
# 3 s of what ended it, its process within 5 s more with status 0.
saver_ended() {
    check "$1" saver_gone 3000
    ended "$2" 5
}
# nyamo_running: how many Nyamo processes the prefix has.
nyamo_running() { "$WINE" winedbg --command "info process" 2>/dev/null | tr -d '\r' | grep -ci "nyamo_07" || true; }
# set_dpi <dpi>: the DPI of the programs started next. Wine 10's monitors keep
# the DPI their session started with: the session ends first, as a sign-out.
set_dpi() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    timeout 60 wineserver -w
}

write_ini() { printf '%s\r\n' "$@" >"$INI"; }
ini_text() { tr -d '\r' <"$INI" 2>/dev/null; }

# run_case <name> <wanted exit> <command line after the program>: a start
# that shows nothing; one that stays open (a case that failed) is ended here
# so that the suite goes on.
run_case() {
    local out
    out=$(probe_run 6000 "$3")
    [ "$(field "$out" exit)" = running ] && "$WINE" taskkill /f /im Nyamo_07.scr >/dev/null 2>&1
    [ -z "$(field "$out" exit)" ] &&
        echo "  (probe said: [$(tr '\n' ' ' <<<"$out")]; its errors: $(tail -3 "$WORK/probe.err" | tr '\n' ' '))"
    expect "$1: exit status" "$2" "$(field "$out" exit)"
    expect "$1: no window" "0" "$(field "$out" windows)"
}
# guard_preview <name>: a preview start into a live host window, which would
# embed itself if the guard let it through, ends at once and embeds nothing.
guard_preview() {
    local out
    out=$(probe preview 3000 "$SCR_WIN" "/p H" 160 120)
    expect "$1: no child in the host, ended before the host went" "0 0" \
        "$(field "$out" child) $(field "$out" running_with_host)"
}

# The dialog's controls as the probe lists them, one line per control.
control_line() { grep -m1 "^id=$2 " <<<"$1"; }
control_field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }
control_text() { sed -n 's/.* text=\[\(.*\)\]$/\1/p' <<<"$1"; }
label_text() { control_text "$(control_line "$(probe controls "$DIALOG")" "$1")"; }
# fields <controls> <field> <id...>: that field of each control, on one line.
fields() {
    local controls=$1 name=$2 id out=()
    shift 2
    for id in "$@"; do out+=("$(control_field "$(control_line "$controls" "$id")" "$name")"); done
    echo "${out[*]}"
}
# box <control line>: its x y w h.
box() { echo "$(control_field "$1" x) $(control_field "$1" y) $(control_field "$1" w) $(control_field "$1" h)"; }
# choice: the options' ticks, Desktop's and Blank Screen's ("1 0": Desktop).
choice() { fields "$(probe controls "$DIALOG")" checked 101 102; }
dialog_up() { probe_ok wait "$DIALOG" "${1:-10000}"; }  # dialog_up [ms]: the dialog is shown
# scroll <bar id> <code> [pos]: a scroll bar's message to the dialog.
SB_LINELEFT=0 SB_LINERIGHT=1 SB_PAGELEFT=2 SB_PAGERIGHT=3 SB_THUMBPOSITION=4 SB_THUMBTRACK=5 SB_LEFT=6 SB_RIGHT=7 SB_ENDSCROLL=8
scroll() { probe scroll "$DIALOG" "$@" >/dev/null; }
copy_saver() { mkdir -p "$1" && cp "$BUILD/Nyamo_07.scr" "$1/"; }  # copy_saver <folder>: the build's .scr put there
