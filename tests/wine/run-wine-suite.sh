#!/usr/bin/env bash
# The end-to-end suite of Nyamo_07.scr under Wine in a private Xvfb, driven
# the way the screen-saver host and a user drive it: switches on the command
# line, a host window for the preview, real pointer and key events (xdotool),
# screenshots of the root window, and the probe program looking at the
# windows from inside Wine.
#
# Usage: tests/wine/run-wine-suite.sh <build-win-dir>
# (the portable profile reader is taken from $NYAMO_NATIVE_BUILD, by default build/)
# packages: wine wine64 xvfb xdotool imagemagick x11-utils fonts-noto-cjk fonts-ipafont-gothic binutils-mingw-w64-x86-64 file procps nsis zip unzip osslsigncode openssl xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
#
# Prints one line per check (PASS, FAIL or SKIP with the reason) and always a
# closing count line; the exit status is non-zero when a check failed or the
# suite could not run to its end. No "set -e" or "set -u": a failing command
# or an empty value makes the check that uses it fail, not the suite stop.

# Tools (and Wine, which reads its command lines through the locale) print
# and compare texts the same way whatever the caller's locale; the checks
# that want no locale for the program say so.
export LC_ALL=C.UTF-8
unset LANGUAGE

if [ $# -ne 1 ] || [ ! -f "$1/Nyamo_07.scr" ]; then
    echo "usage: $0 <build-win-dir>   (the folder that holds Nyamo_07.scr)" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
PROBE_BUILT=$BUILD/tests/wine/nyamo_probe.exe
BLIT_CHECK=$BUILD/tests/wine/gdi_blit_check.exe
PROFILE_CHECK=$BUILD/tests/wine/profile_check.exe
# The native build that holds the portable profile reader (nyamo-profile-check).
NATIVE_BUILD=${NYAMO_NATIVE_BUILD:-$(cd "$(dirname "$0")/../.." && pwd)/build}
WINE=$(command -v wine || echo /usr/lib/wine/wine64)

PASSED=0
FAILED=0
SKIPPED=0
FINISHED=0
skip() { echo "SKIP $1: $2"; SKIPPED=$((SKIPPED + 1)); }
pass() { echo "PASS $1"; PASSED=$((PASSED + 1)); }
fail() { echo "FAIL $1${2:+: $2}"; FAILED=$((FAILED + 1)); }
# check <name> <command...>: the command's success is the check's.
check() {
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
quiet() { "$@" >/dev/null 2>&1; }
# expect <name> <wanted> <got>
expect() {
    if [ "$2" == "$3" ]; then pass "$1"; else fail "$1" "wanted [$2], got [$3]"; fi
}
# hex <text>: a hexadecimal field as a number; nothing when it is not one.
hex() { [[ $1 =~ ^[0-9A-Fa-f]{1,16}$ ]] && echo $((16#$1)); }
# bits <number> <mask> <wanted>: the masked bits are as wanted; false when
# the number is missing.
bits() { [[ $1 =~ ^-?[0-9]+$ ]] && [ $(($1 & $2)) -eq $(($3)) ]; }

WORK=$(mktemp -d /tmp/nyamo-wine.XXXXXX)
# Readable by the unprivileged user of the write-access checks.
chmod 755 "$WORK"
# No TMPDIR for Wine: Debian 13's Wine 10 (10.0~repack-6) aborts at its
# first start ("free(): invalid pointer") whenever TMPDIR is set, even to
# /tmp. Without it Wine 8 and 10 both start.
mkdir -p "$WORK/tmp"
unset TMPDIR
XVFB_PID=
# NYAMO_WINE_ARTIFACTS=<folder> keeps the screenshots for a human to look at.
cleanup() {
    if [ -n "${NYAMO_WINE_ARTIFACTS:-}" ]; then
        mkdir -p "$NYAMO_WINE_ARTIFACTS" && cp "$WORK"/*.png "$NYAMO_WINE_ARTIFACTS/" 2>/dev/null
    fi
    [ -n "${WINEPREFIX:-}" ] && WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
    [ -d "$WORK/nobody/prefix" ] && as_nobody wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    chmod -R u+w "$WORK" 2>/dev/null
    rm -rf "$WORK"
    if [ "$FINISHED" -ne 1 ]; then
        echo "wine suite: $PASSED passed, $FAILED failed, $SKIPPED skipped; stopped before its end"
        exit 1
    fi
}
trap cleanup EXIT
trap 'echo "wine suite: interrupted"; exit 130' INT TERM

# --- A private X server and Wine prefix ---------------------------------------
SCREEN_W=1024
SCREEN_H=768
source "$(dirname "${BASH_SOURCE[0]}")/../lib/private_xvfb.sh"
start_private_xvfb "${SCREEN_W}x${SCREEN_H}x24" "$WORK/xvfb.log" || exit 2

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$WINE" wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits for one on every hide and destroy.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# Wine's caption font has no Japanese glyphs; link it to a CJK face so the
# title bar is legible on screenshots (the program's own controls choose a
# Japanese face themselves).
"$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
    /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1
"$WINE" wineboot -r >/dev/null 2>&1

PROBE=$WORK/nyamo_probe.exe
cp "$PROBE_BUILT" "$PROBE"
SAVER_DIR=$WORK/saver
mkdir -p "$SAVER_DIR"
cp "$BUILD/Nyamo_07.scr" "$SAVER_DIR/"
INI=$SAVER_DIR/Nyamo_07.ini
winpath() { echo "Z:${1//\//\\}"; }
SCR_WIN=$(winpath "$SAVER_DIR/Nyamo_07.scr")
INI_WIN=$(winpath "$INI")

probe() { "$WINE" "$PROBE" "$@" 2>>"$WORK/probe.err" | tr -d '\r'; }
field() { grep -m1 "^$2=" <<<"$1" | cut -d= -f2-; }
DIALOG="Nyamoの設定"
SAVER="Amberpaw"

# start_scr <args...>: start the saver from the shell as a user or the host
# would; its exit status lands in $WORK/exit when it ends.
# With SCR_ENV set to a command (no_locale), the saver starts through it.
start_scr() {
    rm -f "$WORK/exit"
    ( ${SCR_ENV:-} "$WINE" "$SAVER_DIR/Nyamo_07.scr" "$@" >/dev/null 2>&1; echo $? >"$WORK/exit.tmp"; mv "$WORK/exit.tmp" "$WORK/exit" ) &
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
write_ini() { printf '%s\r\n' "$@" >"$INI"; }
ini_text() { tr -d '\r' <"$INI" 2>/dev/null; }
# guard_preview <name>: a preview start into a live host window, which would
# embed itself if the guard let it through, ends at once and embeds nothing.
guard_preview() {
    local out
    out=$("$WINE" "$PROBE" preview 3000 "$SCR_WIN" "/p H" 160 120 2>>"$WORK/probe.err" | tr -d '\r')
    expect "$1: no child in the host, ended before the host went" "0 0" \
        "$(field "$out" child) $(field "$out" running_with_host)"
}

echo "wine suite: display $DISPLAY, prefix $WINEPREFIX"
echo "wine suite: Japanese faces offered by Wine: $(probe fonts | paste -sd' ')"

# --- Build products ---------------------------------------------------------------
# file 5.44 (Debian 12) says "PE32+ executable (GUI) x86-64 ..., for MS
# Windows", file 5.46 (Debian 13) "PE32+ executable for MS Windows 5.02 (GUI), x86-64".
check "scr is a 64-bit GUI executable" grep -Eq "^PE32\+ executable.* \(GUI\),? x86-64" <<<"$(file -b "$BUILD/Nyamo_07.scr")"
IMPORTS=$(x86_64-w64-mingw32-objdump -p "$BUILD/Nyamo_07.scr" 2>/dev/null | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
check "scr needs only system DLLs (static runtime: $IMPORTS)" \
    test -n "$IMPORTS" -a -z "$(grep -E 'libstdc|libgcc|libwinpthread' <<<"$IMPORTS")"

# The version the build gave the program.
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
PROJECT_VERSION=$(sed -n 's/^project(Nyamo VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
VERSION=$(probe version "$SCR_WIN")
expect "version record OriginalFilename" "Nyamo_07.Scr" "$(field "$VERSION" OriginalFilename)"
expect "version record ProductName" "Nyamo" "$(field "$VERSION" ProductName)"
check "version record FileDescription" test -n "$(field "$VERSION" FileDescription)"
expect "version record FileVersion" "$PROJECT_VERSION" "$(field "$VERSION" FileVersion)"
expect "version record ProductVersion" "$PROJECT_VERSION" "$(field "$VERSION" ProductVersion)"
expect "version record fixed file version" "$PROJECT_VERSION.0" "$(field "$VERSION" fixed)"
expect "icon resource 1" "1" "$(field "$VERSION" icon_group_1)"
expect "manifest: per-monitor v2 DPI awareness with system fallback" "1" "$(field "$VERSION" manifest_permonitorv2)"
expect "manifest: asInvoker" "1" "$(field "$VERSION" manifest_asinvoker)"
expect "manifest: common controls 6" "1" "$(field "$VERSION" manifest_comctl6)"

# --- GDI against the software blitter ---------------------------------------------
BLIT_OUT=$("$WINE" "$BLIT_CHECK" 2>/dev/null | tr -d '\r')
while IFS= read -r line; do
    case $line in
        PASS\ *) pass "${line#PASS }" ;;
        FAIL\ *) fail "${line#FAIL }" ;;
    esac
done <<<"$BLIT_OUT"
check "gdi blit check ran to its count line" grep -q "^gdi blit check: " <<<"$BLIT_OUT"

# --- One settings file, one reading -----------------------------------------------
source "$(dirname "${BASH_SOURCE[0]}")/profile_agreement.sh"
check_profile_agreement "$PROFILE_CHECK" "$NATIVE_BUILD/tests/nyamo-profile-check" \
    "$(dirname "${BASH_SOURCE[0]}")/../profile_corpus"

# The profile programs' session is still winding down (Wine 10 restarts its
# services behind them for seconds): the checks below time the saver alone.
timeout 60 wineserver -w

# --- Switches that show nothing ---------------------------------------------------
# run_case <name> <wanted exit> <command line after the program>
run_case() {
    local out
    # Into a file: a program that stays open (a case that failed) keeps the
    # probe's output open, and is ended here so that the suite goes on.
    "$WINE" "$PROBE" run 6000 "$SCR_WIN" "\"$SCR_WIN\"$3" >"$WORK/case.out" 2>>"$WORK/probe.err"
    out=$(tr -d '\r' <"$WORK/case.out")
    [ "$(field "$out" exit)" = running ] && "$WINE" taskkill /f /im Nyamo_07.scr >/dev/null 2>&1
    [ -z "$(field "$out" exit)" ] &&
        echo "  (probe said: [$(tr '\n' ' ' <<<"$out")]; its errors: $(tail -3 "$WORK/probe.err" | tr '\n' ' '))"
    expect "$1: exit status" "$2" "$(field "$out" exit)"
    expect "$1: no window" "0" "$(field "$out" windows)"
}
rm -f "$INI"
run_case "switch /a (password request) ends at once" 0 " /a"
run_case "switch -s ends at once" 0 " -s"
run_case "switch s (no slash) ends at once" 0 " s"
run_case "switch /x ends at once" 0 " /x"
run_case "preview of a handle that names no window ends at once" 0 " /p 12345"
run_case "preview of handle 0 ends at once" 0 " /p"
run_case "host handle beyond 32 bits is an overflow (status 6)" 6 " /p 99999999999"
run_case "host handle beyond 32 bits with /p: is an overflow" 6 " /p:4294967296"
run_case "handle overflow ends even the saver switch" 6 " /s 99999999999"
check "ignored switches leave no settings file" test ! -e "$INI"

# --- The settings dialog ----------------------------------------------------------
# dialog_controls: the probe's control list, one line per control.
control_line() { grep -m1 "^id=$2 " <<<"$1"; }
control_field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }
control_text() { sed -n 's/.* text=\[\(.*\)\]$/\1/p' <<<"$1"; }
label_text() { control_text "$(control_line "$(probe controls "$DIALOG")" "$1")"; }

start_scr /c
check "/c opens the settings dialog" quiet "$WINE" "$PROBE" wait "$DIALOG" 15000
INFO=$(probe info "$DIALOG")
expect "dialog client area is 300 x 200" "300 200" "$(field "$INFO" client)"
read -r L T R B <<<"$(field "$INFO" rect)"
OW=$((R - L)); OH=$((B - T))
check "dialog is centred horizontally" test $((2 * L + OW - SCREEN_W)) -ge -1 -a $((2 * L + OW - SCREEN_W)) -le 1
check "dialog is centred vertically" test $((2 * T + OH - SCREEN_H)) -ge -1 -a $((2 * T + OH - SCREEN_H)) -le 1
STYLE=$(hex "$(field "$INFO" style)")
EXSTYLE=$(hex "$(field "$INFO" exstyle)")
check "dialog has a caption and a close box (WS_CAPTION, WS_SYSMENU)" bits "$STYLE" 0x00C80000 0x00C80000
check "dialog has a fixed border (no WS_THICKFRAME)" bits "$STYLE" 0x00040000 0
check "dialog has no minimise or maximise box" bits "$STYLE" 0x00030000 0
taskbar_button() { bits "$EXSTYLE" 0x80 0 && [ "$(field "$INFO" owner)" == "0000000000000000" ]; }
check "dialog has a taskbar button (not a tool window, no owner)" taskbar_button
# The icon as the title bar shows it: a yellow-to-red picture left of the
# caption (Wine answers no questions about another process's icons).
import -window root "$WORK/dialog.png"
# (The count is the last line: Debian 13's ImageMagick 7.1.1 prints a line
# "list" before it whenever -fx is used.)
WARM=$(convert "$WORK/dialog.png" -crop "24x24+$L+$T" -fx "(r>0.6 && r>g && g>b && b<0.45) ? 1 : 0" -format "%[fx:round(mean*w*h)]" info: | tail -n 1)
check "dialog bears the icon in its title bar ($WARM warm pixels)" test "${WARM:-0}" -ge 20
# Label5 runs past the window's right edge by design; its text must end
# before it: no ink in the last 12 pixel columns of its row.
read -r CX CY <<<"$(field "$INFO" client_origin)"
INK=$(convert "$WORK/dialog.png" -crop "12x20+$((CX + 288))+$((CY + 170))" -colorspace gray -fx "(u<0.5) ? 1 : 0" -format "%[fx:round(mean*w*h)]" info: | tail -n 1)
check "the information line fits inside the window ($INK dark pixels at the edge)" test "${INK:-1}" -eq 0

CONTROLS=$(probe controls "$DIALOG")
# id class x y w h text
while IFS='|' read -r id cls x y w h text; do
    line=$(control_line "$CONTROLS" "$id")
    got="$(control_field "$line" class | tr 'A-Z' 'a-z') $(control_field "$line" x) $(control_field "$line" y) $(control_field "$line" w) $(control_field "$line" h)"
    expect "dialog control $id ($cls) geometry" "$cls $x $y $w $h" "$got"
    [ "$text" != "*" ] && expect "dialog control $id text" "$text" "$(control_text "$line")"
done <<'EOF'
100|button|20|15|170|80|背景の設定
101|button|36|27|141|29|Desktop
102|button|36|59|141|29|Blank Screen
103|scrollbar|20|135|130|18|
104|scrollbar|160|135|130|18|
105|button|220|20|70|25|OK
106|button|220|50|70|25|キャンセル
107|static|20|115|90|20|猫の出現数：
108|static|110|115|20|20| 20
109|static|160|115|90|20|移動の早さ：
110|static|250|115|20|20| 5
111|static|80|170|270|20|*
112|button|217|82|78|22|全モニタ
EOF
check "Label5 holds an information line" test -n "$(control_text "$(control_line "$CONTROLS" 111)")"
expect "defaults: Desktop selected" "1 0" "$(control_field "$(control_line "$CONTROLS" 101)" checked) $(control_field "$(control_line "$CONTROLS" 102)" checked)"
opt_kind() {
    local style
    style=$(hex "$(control_field "$(control_line "$CONTROLS" "$1")" style)")
    if [ -n "$style" ]; then echo $((style & 0xF)); else echo "?"; fi
}
expect "options are auto radio buttons, buttons plain push buttons (no default)" "9 9 0 0 7" \
    "$(opt_kind 101) $(opt_kind 102) $(opt_kind 105) $(opt_kind 106) $(opt_kind 100)"
# The option group is one tab stop, the chosen option, as in every Windows
# dialog; the arrow keys move within the group.
TAB_STOPS=$(while read -r line; do
    s=$(hex "$(control_field "$line" style)")
    bits "$s" 0x00010000 0x00010000 && printf '%s ' "$(sed -n 's/^id=\([0-9]*\).*/\1/p' <<<"$line")"
done <<<"$CONTROLS")
expect "tab stops in tab order: chosen option, HScroll0, HScroll1, 全モニタ, OK, Cancel" "101 103 104 112 105 106 " "$TAB_STOPS"

# Real keys from here: the pointer rests on the dialog (without a window
# manager the keyboard follows the pointer).
read -r CX CY <<<"$(field "$INFO" client_origin)"
xdotool mousemove $((CX + 150)) $((CY + 100))
FOCUS_WALK="$(probe focus "$DIALOG")"
for _ in 1 2 3 4 5 6; do
    xdotool key Tab
    sleep 0.3
    FOCUS_WALK="$FOCUS_WALK $(probe focus "$DIALOG")"
done
expect "Tab walks option, bars, 全モニタ, OK, Cancel and back" "101 103 104 112 105 106 101" "$FOCUS_WALK"
expect "tabbing does not change the choice" "1 0" \
    "$(C=$(probe controls "$DIALOG"); echo "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked)")"
xdotool key Down
sleep 0.3
expect "arrow down moves to Blank Screen and chooses it" "102 0 1" \
    "$(probe focus "$DIALOG") $(C=$(probe controls "$DIALOG"); echo "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked)")"
xdotool key Up
sleep 0.3
expect "arrow up goes back to Desktop" "101 1 0" \
    "$(probe focus "$DIALOG") $(C=$(probe controls "$DIALOG"); echo "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked)")"
xdotool key Tab
sleep 0.2

FOCUS_BEFORE_KEYS=$(probe focus "$DIALOG")
xdotool key Return
xdotool key Escape
sleep 0.8
check "Enter and Esc do not close the dialog (focus on control $FOCUS_BEFORE_KEYS)" quiet "$WINE" "$PROBE" wait "$DIALOG" 100

# scroll <bar id> <code> [pos]; then the labels' texts
SB_LINELEFT=0 SB_LINERIGHT=1 SB_PAGELEFT=2 SB_PAGERIGHT=3 SB_THUMBPOSITION=4 SB_THUMBTRACK=5 SB_LEFT=6 SB_RIGHT=7 SB_ENDSCROLL=8
scroll() { probe scroll "$DIALOG" "$@" >/dev/null; }
scroll 103 $SB_LINERIGHT
expect "arrow right moves the cat count by 1" " 21" "$(label_text 108)"
scroll 103 $SB_PAGERIGHT
expect "a click in the track moves the cat count by 1" " 22" "$(label_text 108)"
scroll 103 $SB_LINELEFT
scroll 103 $SB_PAGELEFT
expect "arrow and track leftwards move it back by 1 each" " 20" "$(label_text 108)"
scroll 103 $SB_THUMBTRACK 40
expect "a dragged thumb leaves the label alone while it moves" " 20" "$(label_text 108)"
scroll 103 $SB_THUMBPOSITION 40
scroll 103 $SB_ENDSCROLL
expect "the label follows when the drag ends" " 40" "$(label_text 108)"
scroll 104 $SB_RIGHT
scroll 104 $SB_LINERIGHT
expect "speed stops at 10" " 10" "$(label_text 110)"
scroll 104 $SB_LEFT
scroll 104 $SB_LINELEFT
expect "speed stops at 1" " 1" "$(label_text 110)"
expect "moving one bar refreshes the other label too" " 40" "$(label_text 108)"
scroll 104 $SB_THUMBPOSITION 7
scroll 104 $SB_ENDSCROLL

# Real pointer input on the first bar: its right arrow, then the track left
# of the thumb.
read -r CX CY <<<"$(field "$(probe info "$DIALOG")" client_origin)"
xdotool mousemove $((CX + 20 + 130 - 6)) $((CY + 135 + 9)) click 1
sleep 0.5
expect "a real click on the right arrow adds 1" " 41" "$(label_text 108)"
xdotool mousemove $((CX + 20 + 22)) $((CY + 135 + 9)) click 1
sleep 0.5
expect "a real click in the track left of the thumb takes 1" " 40" "$(label_text 108)"
probe click "$DIALOG" 102 >/dev/null
sleep 0.3
C=$(probe controls "$DIALOG")
expect "choosing Blank Screen clears Desktop" "0 1" \
    "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked)"
check "nothing is written before OK" test ! -e "$INI"
xdotool mousemove $((CX + 217 + 8)) $((CY + 82 + 11)) click 1
sleep 0.3
expect "a real click ticks 全モニタ" "1" "$(control_field "$(control_line "$(probe controls "$DIALOG")" 112)" checked)"
# OK with a real click.
xdotool mousemove $((CX + 220 + 35)) $((CY + 20 + 12)) click 1
expect "OK ends the program" "0" "$(wait_exit 8)"
expect "OK writes the four settings to a new file" "[Nyamo Saver]|CatNum=40|SaverType=2|SaverSpeed=7|SaverScreens=2" \
    "$(ini_text | paste -sd'|')"
stop_scr

# The saved values come back; a dragged thumb; Cancel keeps the file.
write_ini "[Other]" "Keep=yes" "[Nyamo Saver]" "CatNum=1" "SaverType=2" "SaverSpeed=10" "SaverScreens=2"
cp "$INI" "$WORK/ini.before"
start_scr /c:1234
check "/c:1234 opens the settings dialog" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
C=$(probe controls "$DIALOG")
expect "stored values are shown: Blank Screen, 1 cat, speed 10, 全モニタ ticked" "0 1 [ 1] [ 10] 1" \
    "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked) [$(control_text "$(control_line "$C" 108)")] [$(control_text "$(control_line "$C" 110)")] $(control_field "$(control_line "$C" 112)" checked)"
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
expect "キャンセル ends the program" "0" "$(wait_exit 8)"
check "キャンセル after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"
stop_scr

start_scr
check "no argument opens the settings dialog" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
scroll 103 $SB_LINERIGHT
probe click "$DIALOG" 101 >/dev/null
read -r BX BY <<<"$(probe closebox "$DIALOG")"
check "the dialog has a close box" test -n "${BY:-}"
xdotool mousemove "${BX:-0}" "${BY:-0}" click 1
expect "a real click on the close box ends the program" "0" "$(wait_exit 8)"
check "the close box after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"
stop_scr

# Alt+F4, the close box's keyboard equivalent, with real keys.
start_scr /c
check "the dialog opens for Alt+F4" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
scroll 104 $SB_LINELEFT
read -r CX CY <<<"$(field "$(probe info "$DIALOG")" client_origin)"
xdotool mousemove $((CX + 150)) $((CY + 100)) key alt+F4
expect "Alt+F4 ends the program" "0" "$(wait_exit 8)"
check "Alt+F4 after changes leaves the file as it was" cmp -s "$INI" "$WORK/ini.before"
stop_scr

# OK without a change still writes all three keys: the one present is
# replaced in place, the missing ones follow in order, other sections stay.
write_ini "[Other]" "Keep=yes" "[Nyamo Saver]" "SaverSpeed=3"
start_scr /c
check "/c opens the dialog over a partial settings file" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
probe click "$DIALOG" 105 >/dev/null
expect "OK without changes ends the program" "0" "$(wait_exit 8)"
expect "OK without changes writes all keys and keeps the rest of the file" \
    "[Other]|Keep=yes|[Nyamo Saver]|SaverSpeed=3|CatNum=20|SaverType=1|SaverScreens=1" "$(ini_text | paste -sd'|')"
stop_scr

# A folder whose name no ANSI code page of the West can spell: the wide
# functions find the settings file there and write it there.
WIDE_DIR=$WORK/猫の部屋
mkdir -p "$WIDE_DIR"
cp "$BUILD/Nyamo_07.scr" "$WIDE_DIR/"
printf '%s\r\n' "[Nyamo Saver]" "CatNum=33" >"$WIDE_DIR/Nyamo_07.ini"
rm -f "$WORK/exit"
( "$WINE" "$WIDE_DIR/Nyamo_07.scr" /c >/dev/null 2>&1; echo $? >"$WORK/exit.tmp"; mv "$WORK/exit.tmp" "$WORK/exit" ) &
SCR_SHELL_PID=$!
check "a saver in a Japanese-named folder opens its dialog" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
expect "it reads the settings file in that folder" " 33" "$(label_text 108)"
probe click "$DIALOG" 105 >/dev/null
expect "OK ends it" "0" "$(wait_exit 8)"
expect "OK writes the file in that folder" "[Nyamo Saver]|CatNum=33|SaverType=1|SaverSpeed=5|SaverScreens=1" \
    "$(tr -d '\r' <"$WIDE_DIR/Nyamo_07.ini" | paste -sd'|')"
stop_scr

# A damaged file: values forced into range, nothing lost by reading.
write_ini "[Nyamo Saver]" "CatNum=abc" "SaverType=7" "SaverSpeed=99"
cp "$INI" "$WORK/ini.before"
start_scr /C
check "/C opens the settings dialog" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
C=$(probe controls "$DIALOG")
expect "damaged values are forced into range: Desktop, 1, 10" "1 0 [ 1] [ 10]" \
    "$(control_field "$(control_line "$C" 101)" checked) $(control_field "$(control_line "$C" 102)" checked) [$(control_text "$(control_line "$C" 108)")] [$(control_text "$(control_line "$C" 110)")]"

# The guard while the dialog is open.
run_case "guard: /s while the dialog is open" 0 " /s"
run_case "guard: /c while the dialog is open" 0 " /c"
guard_preview "guard: /p into a real host while the dialog is open"
probe close "$DIALOG" >/dev/null
expect "close box ends the damaged-file dialog" "0" "$(wait_exit 8)"
check "reading a damaged file does not change it" cmp -s "$INI" "$WORK/ini.before"
stop_scr

# A failed save: the settings file cannot be written (here a folder has
# taken its name). The user is told, then the dialog closes as usual.
rm -f "$INI"
mkdir "$INI"
start_scr /c
check "dialog opens beside an unwritable settings file" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
scroll 103 $SB_LINERIGHT
probe click "$DIALOG" 105 >/dev/null
MSG=$(probe msgbox "Nyamo" 8000)
check "failed save shows a message" grep -q "not saved" <<<"$MSG"
check "the message names the settings file" grep -qF "$INI_WIN" <<<"$MSG"
probe msgbox-ok "Nyamo" >/dev/null
expect "after the message the dialog closes and the program ends" "0" "$(wait_exit 8)"
check "the folder in the file's place is untouched" test -d "$INI" -a -z "$(ls -A "$INI")"
stop_scr
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
nobody_save_case() {
    local name=$1 folder=$2
    local ini=$folder/Nyamo_07.ini
    rm -f "$WORK/ini.before"
    [ -e "$ini" ] && cp "$ini" "$WORK/ini.before"
    rm -f "$WORK/exit"
    ( as_nobody "$WINE" "$folder/Nyamo_07.scr" /c >/dev/null 2>&1; echo $? >"$WORK/exit.tmp"; mv "$WORK/exit.tmp" "$WORK/exit" ) &
    SCR_SHELL_PID=$!
    check "$name: dialog opens" quiet as_nobody "$WINE" "$PROBE" wait "$DIALOG" 15000
    as_nobody "$WINE" "$PROBE" click "$DIALOG" 105 >/dev/null 2>&1
    local msg
    msg=$(as_nobody "$WINE" "$PROBE" msgbox "Nyamo" 8000 2>/dev/null | tr -d '\r')
    check "$name: failed save shows a message" grep -q "not saved" <<<"$msg"
    check "$name: the message names the settings file" grep -qF "$(winpath "$ini")" <<<"$msg"
    as_nobody "$WINE" "$PROBE" msgbox-ok "Nyamo" >/dev/null 2>&1
    expect "$name: the program ends after the message" "0" "$(wait_exit 8)"
    if [ -e "$WORK/ini.before" ]; then
        check "$name: the file is unchanged" cmp -s "$ini" "$WORK/ini.before"
    else
        check "$name: no file appears" test ! -e "$ini"
    fi
    stop_scr
}
SYSTEM_DIR=$WORK/system
mkdir -p "$SYSTEM_DIR"
cp "$BUILD/Nyamo_07.scr" "$SYSTEM_DIR/"
chmod 555 "$SYSTEM_DIR"
nobody_save_case "user without write access to the saver's folder" "$SYSTEM_DIR"
USER_DIR=$NOBODY_HOME/saver
mkdir -p "$USER_DIR"
cp "$BUILD/Nyamo_07.scr" "$USER_DIR/"
printf '%s\r\n' "[Nyamo Saver]" "CatNum=3" >"$USER_DIR/Nyamo_07.ini"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$USER_DIR"
chmod 444 "$USER_DIR/Nyamo_07.ini"
nobody_save_case "user with a read-only settings file" "$USER_DIR"
[ "$(id -u)" -eq 0 ] && as_nobody wineserver -k >/dev/null 2>&1

# --- The full-screen saver -------------------------------------------------------
# saver_up <switch>: start the saver and wait until a key would reach it:
# shown, the foreground window, the keyboard focus on it.
saver_up() {
    start_scr "$@"
    "$WINE" "$PROBE" ready "$SAVER" 15000 >/dev/null 2>&1
}
saver_gone() { "$WINE" "$PROBE" gone "$SAVER" "$1" >/dev/null 2>&1; }
non_black_fraction() { convert "$1" -fill white +opaque black -colorspace gray -format "%[fx:mean]" info:; }

# Fast and many, so that kittens have walked well into the screen within a
# few seconds.
write_ini "[Nyamo Saver]" "CatNum=50" "SaverType=2" "SaverSpeed=10"
xdotool mousemove 500 400
check "/s opens the saver window" saver_up /s
INFO=$(probe info "$SAVER")
expect "saver covers the primary screen" "0 0 $SCREEN_W $SCREEN_H" "$(field "$INFO" rect)"
STYLE=$(hex "$(field "$INFO" style)")
EXSTYLE=$(hex "$(field "$INFO" exstyle)")
check "saver window is topmost (WS_EX_TOPMOST)" bits "$EXSTYLE" 0x8 0x8
check "saver window has no taskbar button (WS_EX_TOOLWINDOW)" bits "$EXSTYLE" 0x80 0x80
check "saver window is a borderless popup" bits "$STYLE" 0x80C40000 0x80000000
CURSOR=$(probe cursor)
expect "pointer over the saver is not the arrow" "0" "$(field "$CURSOR" arrow)"
sleep 1.5
check "saver keeps running without input, the foreground and the keyboard its own" quiet "$WINE" "$PROBE" ready "$SAVER" 100
for _ in 1 2 3 4 5 6 7 8; do
    import -window root "$WORK/saver_black.png"
    FRACTION=$(non_black_fraction "$WORK/saver_black.png")
    awk -v f="$FRACTION" 'BEGIN { exit !(f > 0.002) }' && break
    sleep 0.5
done
check "screenshot: kittens over black (0.2% to 30% of the screen not black, got $FRACTION)" \
    awk -v f="$FRACTION" 'BEGIN { exit !(f > 0.002 && f < 0.3) }'
sleep 0.5
import -window root "$WORK/saver_black2.png"
MOVED=$(compare -metric AE "$WORK/saver_black.png" "$WORK/saver_black2.png" null: 2>&1 | cut -d' ' -f1)
check "screenshot: the kittens move between frames ($MOVED pixels changed)" test "${MOVED%%.*}" -gt 0
run_case "guard: /c while the saver runs" 0 " /c"
run_case "guard: /s while the saver runs" 0 " /s"
guard_preview "guard: /p into a real host while the saver runs"
xdotool mousemove_relative 1 0
check "a one-pixel pointer move ends the saver" saver_gone 3000
expect "the saver's process ends after the move" "0" "$(wait_exit 5)"
stop_scr

# wake <name> <xdotool args...>
wake() {
    local name=$1
    shift
    if ! saver_up "${WAKE_SWITCH:-/s}"; then fail "$name" "the saver did not start"; stop_scr; return; fi
    sleep 1
    xdotool "$@"
    if saver_gone 3000; then pass "$name"; else fail "$name"; fi
    expect "$name: process ends" "0" "$(wait_exit 5)"
    stop_scr
}
wake "a key (A) ends the saver" key a
wake "Alt alone ends the saver" key alt
wake "F10 ends the saver" key F10
wake "a left click ends the saver" click 1
wake "a right click ends the saver" click 3
WAKE_SWITCH=/S wake "/S starts the saver too (ended by a key)" key space
WAKE_SWITCH=/Sxyz wake "/Sxyz starts the saver (first two characters count)" key Escape

# A wheel turn wakes the saver like a click: vertical (buttons 4, 5) and
# horizontal (6, 7, which Wine turns into WM_MOUSEHWHEEL).
wake "a wheel turn up (button 4) ends the saver" click 4
wake "a wheel turn down (button 5) ends the saver" click 5
wake "a horizontal wheel turn left (button 6) ends the saver" click 6
wake "a horizontal wheel turn right (button 7) ends the saver" click 7

# Another program takes the foreground: the keys typed next would go to it,
# hidden under the topmost saver, so the saver ends as the system's own
# screen-saver library ends it.
foreground_loss_case() {
    if ! saver_up /s; then fail "foreground loss: the saver starts"; stop_scr; return; fi
    sleep 1
    local out ms
    out=$(probe steal "$SAVER" 4000)
    expect "foreground loss: the saver held the foreground, the other program took it" "1 1" \
        "$(field "$out" saver_was_foreground) $(field "$out" probe_took_foreground)"
    ms=$(field "$out" gone_ms)
    check "foreground loss: the saver ends within 2 s (took ${ms:-?} ms)" test "$(field "$out" gone)" == 1 -a "${ms:-99999}" -lt 2000
    expect "foreground loss: the process ends with status 0" "0" "$(wait_exit 5)"
    stop_scr
}
foreground_loss_case

# The screen changes size under the saver: it ends. Xvfb offers Wine one
# size; a Wine virtual desktop can take others.
display_change_case() {
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "${SCREEN_W}x${SCREEN_H}" /f >/dev/null 2>&1
    timeout 60 wineserver -w
    saver_up /s || fail "display change: the saver starts in a virtual desktop"
    local out
    out=$(probe display 800 600)
    check "display change: the screen becomes 800 x 600, and the saver ends" \
        test "$(field "$out" result)|$(field "$out" screen)" == "0|800 600" -a "$(saver_gone 3000; echo $?)|$(wait_exit 5)" == "0|0"
    stop_scr
    probe display 0 0 >/dev/null
    "$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
    timeout 60 wineserver -w
}
display_change_case

# The saver keeps running and the keyboard; a key sent once it is up ends it.
quiet_starts_case() {
    local kept=0 woken=0 i
    for i in $(seq 20); do
        if saver_up /s; then
            [ $((i % 2)) -eq 0 ] && sleep 1
            quiet "$WINE" "$PROBE" ready "$SAVER" 100 && kept=$((kept + 1))
        fi
        xdotool key a
        saver_gone 3000 && woken=$((woken + 1))
        wait_exit 5 >/dev/null
        stop_scr
    done
    expect "twenty starts: every one keeps running and the keyboard; a key ends every one, half of them at once" "20 20" "$kept $woken"
}
quiet_starts_case

# GDI objects of the running saver: none may be made per tick. Wine does not
# implement GetGuiResources (it fails with ERROR_CALL_NOT_IMPLEMENTED); the
# check runs where the system answers and says so where it does not.
gdi_objects_case() {
    if ! saver_up /s; then fail "GDI objects: the saver starts"; stop_scr; return; fi
    sleep 1
    local first last
    first=$(probe gdi "$SAVER")
    if [ "$(field "$first" gdi_error)" == 120 ] || [ "$(field "$first" gdi)" == 0 ]; then
        skip "GDI objects per tick" "this Wine does not report GetGuiResources (error $(field "$first" gdi_error))"
    else
        # Speed 10 ticks every 20 ms: 3,000 ticks in a minute.
        sleep 60
        last=$(probe gdi "$SAVER")
        expect "GDI objects: as many after 3,000 ticks as at the start" "$(field "$first" gdi)" "$(field "$last" gdi)"
    fi
    xdotool key a
    saver_gone 3000
    wait_exit 5 >/dev/null
    stop_scr
}
gdi_objects_case

# Only the first two characters after leading blanks count.
# (Into a file: the saver keeps the probe's output open while it runs.)
"$WINE" "$PROBE" run 3000 "$SCR_WIN" "\"$SCR_WIN\"  /s" >"$WORK/run.out" 2>/dev/null
OUT=$(tr -d '\r' <"$WORK/run.out")
expect "/s after a leading blank starts the saver" "running Amberpaw" "$(field "$OUT" exit) $(field "$OUT" window)"
probe saver-click "$SAVER" >/dev/null
check "leading-blank saver ends on a click" saver_gone 3000

saver_up /s
probe saver-click "$SAVER" >/dev/null
check "a click message on the saver window ends it" saver_gone 3000
expect "click message: process ends" "0" "$(wait_exit 5)"
stop_scr

# Over a known desktop: a picture on the root window, which is the desktop
# that Wine copies from when it has no desktop window of its own. (A Win32
# window standing in for it would sometimes be restacked above the saver by
# Wine under load, hiding it from the screenshots.)
convert -size "${SCREEN_W}x${SCREEN_H}" -seed 7 plasma: -depth 8 "$WORK/desktop_picture.png"
display -window root "$WORK/desktop_picture.png"
sleep 0.5
import -window root "$WORK/desktop.png"
write_ini "[Nyamo Saver]" "CatNum=50" "SaverType=1" "SaverSpeed=10"
check "/s with the desktop background opens the saver" saver_up /s
TOTAL=$((SCREEN_W * SCREEN_H))
for _ in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    import -window root "$WORK/saver_desktop.png"
    DIFF=$(compare -metric AE "$WORK/desktop.png" "$WORK/saver_desktop.png" null: 2>&1 | cut -d' ' -f1)
    awk -v d="$DIFF" -v t="$TOTAL" 'BEGIN { exit !(d > 0.001 * t) }' && break
done
check "screenshot: the desktop shows behind the kittens (differing pixels $DIFF of $TOTAL)" \
    awk -v d="$DIFF" -v t="$TOTAL" 'BEGIN { exit !(d > 0.001 * t && d < 0.3 * t) }'
BLACK_FRACTION=$(non_black_fraction "$WORK/saver_desktop.png")
check "screenshot: the desktop copy is not black (non-black $BLACK_FRACTION)" awk -v f="$BLACK_FRACTION" 'BEGIN { exit !(f > 0.9) }'
xdotool mousemove_relative -- -1 0
check "desktop background: a pointer move ends the saver" saver_gone 3000
expect "desktop background: process ends" "0" "$(wait_exit 5)"
stop_scr
convert -size "${SCREEN_W}x${SCREEN_H}" xc:black "$WORK/black.png"
display -window root "$WORK/black.png"

# --- The preview -------------------------------------------------------------------
# preview_case <name> <format (H = host handle)> <w> <h>
preview_case() {
    local out
    out=$(probe preview 8000 "$SCR_WIN" "$2" "$3" "$4")
    expect "$1: a child appears in the host" "1" "$(field "$out" child)"
    expect "$1: it is the preview window of the saver's process" "NyamoPreviewWindow 1" \
        "$(field "$out" child_class) $(field "$out" child_pid_is_saver)"
    expect "$1: at the host's top-left with its size" "0 0 $3 $4" "$(field "$out" child_offset) $(field "$out" child_size)"
    local style
    style=$(hex "$(field "$out" child_style)")
    check "$1: a visible child window (WS_CHILD)" bits "$style" 0x40000000 0x40000000
    expect "$1: the child is visible" "1" "$(field "$out" child_visible)"
    expect "$1: parent is the host" "1" "$(field "$out" child_parent_is_host)"
    expect "$1: runs while the host exists" "1" "$(field "$out" running_with_host)"
    expect "$1: ends with status 0 when the host goes" "0" "$(field "$out" exit_after_host)"
    local ms
    ms=$(field "$out" exit_ms)
    check "$1: ends within 2 s of the host (took ${ms:-?} ms)" test "${ms:-99999}" -lt 2000
}
write_ini "[Nyamo Saver]" "SaverType=2"
preview_case "/p <handle>" "/p H" 152 112
preview_case "/p:<handle>, wide host" "/p:H" 400 100
preview_case "/P <handle> after one leading blank" " /P H" 120 90

# nyamo_running: how many Nyamo processes the prefix has.
nyamo_running() { "$WINE" winedbg --command "info process" 2>/dev/null | tr -d '\r' | grep -ci "nyamo_07" || true; }
# A host that is killed: no message reaches the preview; its watch ends it.
"$WINE" "$PROBE" host 30000 "$SCR_WIN" "/p H" 160 120 >"$WORK/host.out" 2>/dev/null &
HOST_PID=$!
for _ in $(seq 100); do grep -q "ready" "$WORK/host.out" 2>/dev/null && break; sleep 0.1; done
expect "killed host: the preview was in place" "1" "$(grep -c "^ready" "$WORK/host.out")"
expect "killed host: the saver runs while the host lives" "1" "$(nyamo_running)"
# A running preview is no reason to refuse a start: the guard looks only
# for the saver and the dialog.
"$WINE" "$PROBE" run 3000 "$SCR_WIN" "\"$SCR_WIN\" /c" >"$WORK/run.out" 2>/dev/null
OUT=$(tr -d '\r' <"$WORK/run.out")
expect "a running preview does not stop the dialog from opening" "running $DIALOG" "$(field "$OUT" exit) $(field "$OUT" window)"
probe close "$DIALOG" >/dev/null
quiet "$WINE" "$PROBE" gone "$DIALOG" 5000
kill -9 "$HOST_PID" 2>/dev/null
{ wait "$HOST_PID"; } 2>/dev/null
for _ in $(seq 30); do [ "$(nyamo_running)" == 0 ] && break; sleep 0.1; done
expect "killed host: the preview ends within 3 s" "0" "$(nyamo_running)"

# --- 120 dots per inch: 12 twips per pixel ----------------------------------------------
# The client area stays 300 x 200 and the pixel geometry set by the program
# stays; the option buttons keep their design in twips, so they grow.
# set_dpi <dpi>: the DPI of the programs started next. Wine 10's monitors keep
# the DPI their session started with: the session ends first, as a sign-out.
set_dpi() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    timeout 60 wineserver -w
}
set_dpi 120
rm -f "$INI"
start_scr /c
check "120 dpi: the dialog opens" quiet "$WINE" "$PROBE" wait "$DIALOG" 10000
INFO=$(probe info "$DIALOG")
expect "120 dpi: client area is still 300 x 200" "300 200" "$(field "$INFO" client)"
read -r L T R B <<<"$(field "$INFO" rect)"
check "120 dpi: dialog is centred" test $((2 * L + R - L - SCREEN_W)) -ge -1 -a $((2 * L + R - L - SCREEN_W)) -le 1 \
    -a $((2 * T + B - T - SCREEN_H)) -ge -1 -a $((2 * T + B - T - SCREEN_H)) -le 1
C=$(probe controls "$DIALOG")
geometry() { local l; l=$(control_line "$C" "$1"); echo "$(control_field "$l" x) $(control_field "$l" y) $(control_field "$l" w) $(control_field "$l" h)"; }
expect "120 dpi: Desktop option at its twips design (240, 180, 2115 x 435)" "40 30 176 36" "$(geometry 101)"
expect "120 dpi: Blank Screen option at its twips design (240, 660, 2115 x 435)" "40 70 176 36" "$(geometry 102)"
expect "120 dpi: scroll bars keep their pixel geometry" "20 135 130 18" "$(geometry 103)"
probe close "$DIALOG" >/dev/null
expect "120 dpi: the close box ends the program" "0" "$(wait_exit 8)"
stop_scr
set_dpi 96

# --- The dialog at every display scale ------------------------------------------------
# Up to 120 dpi the dialog keeps its design; above, the program (per-monitor
# DPI aware, so not enlarged by the system) scales its 96-dpi layout by
# dpi / 96 and keeps every text at its 96-dpi point size. The dialog reports each control's box and what its text takes in
# its own font (NYAMO_DIALOG_REPORT); the checks judge that report, and real
# clicks on OK and キャンセル show that nothing covers them.
# dialog_report_start <dpi>: the dialog at that scale, its report in $WORK/layout.txt.
dialog_report_start() {
    set_dpi "$1"
    rm -f "$WORK/exit" "$WORK/layout.txt"
    ( NYAMO_DIALOG_REPORT=1 "$WINE" "$SAVER_DIR/Nyamo_07.scr" /c >"$WORK/layout.txt" 2>/dev/null
      echo $? >"$WORK/exit.tmp"; mv "$WORK/exit.tmp" "$WORK/exit" ) &
    SCR_SHELL_PID=$!
    quiet "$WINE" "$PROBE" wait "$DIALOG" 15000 || return 1
    for _ in $(seq 50); do grep -q '^check_mark=' "$WORK/layout.txt" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
# layout_faults <client w> <client h>: one line per fault found in the report.
layout_faults() {
    tr -d '\r' <"$WORK/layout.txt" | awk -v cw="$1" -v ch="$2" '
        /^check_mark=/ { split($0, m, "="); mark = m[2]; next }
        /^control / {
            for (i = 2; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
            id = v["id"]; ids[++n] = id
            x[id] = v["x"]; y[id] = v["y"]; w[id] = v["w"]; h[id] = v["h"]; tw[id] = v["text_w"]; ln[id] = v["line"]
        }
        END {
            if (n != 13) print "report lists " n " controls, not 13"
            for (k = 1; k <= n; ++k) {
                id = ids[k]
                if (id == 111) {  # Label5 passes the edge by design; its text may not
                    if (x[id] + tw[id] > cw) print "Label5 text ends at " x[id] + tw[id] " past the client width " cw
                } else if (x[id] < 0 || y[id] < 0 || x[id] + w[id] > cw || y[id] + h[id] > ch)
                    print "control " id " at " x[id] "," y[id] " " w[id] "x" h[id] " leaves the client area " cw "x" ch
                for (j = k + 1; j <= n; ++j) {
                    o = ids[j]
                    if ((id == 100 && (o == 101 || o == 102)) || (o == 100 && (id == 101 || id == 102))) continue
                    if (x[id] < x[o] + w[o] && x[o] < x[id] + w[id] && y[id] < y[o] + h[o] && y[o] < y[id] + h[id])
                        print "controls " id " and " o " overlap"
                }
            }
            for (i = 101; i <= 102; ++i) {
                if (x[i] < x[100] || y[i] < y[100] || x[i] + w[i] > x[100] + w[100] || y[i] + h[i] > y[100] + h[100])
                    print "option " i " leaves the frame"
                if (mark + 4 + tw[i] > w[i] || ln[i] > h[i]) print "option " i " text cut off"
            }
            for (i = 105; i <= 106; ++i) if (tw[i] + 4 > w[i] || ln[i] > h[i]) print "button " i " text cut off"
            if (mark + 4 + tw[112] > w[112] || ln[112] > h[112]) print "check box 112 text cut off"
            for (i = 107; i <= 110; ++i) if (tw[i] > w[i] || ln[i] > h[i]) print "label " i " text cut off"
            if (ln[111] > h[111]) print "Label5 text cut off at the bottom"
            # The caption stands on the frame; the first option below it paints its whole box.
            if (ln[100] > y[101] - y[100]) print "the frame caption (" ln[100] " high) reaches under the option at " y[101] - y[100]
            if (tw[100] + 16 > w[100]) print "the frame caption is wider than its frame"
            if (ln[100] < 8) print "the frame caption is under 8 pixels high"
        }'
}
# click_centre <control id>: a real click at the control's centre, as the report places it.
click_centre() {
    local line cx cy
    line=$(grep "^control id=$1 " "$WORK/layout.txt" | tr -d '\r')
    read -r cx cy <<<"$(field "$(probe info "$DIALOG")" client_origin)"
    local x y w h
    x=$(control_field "$line" x); y=$(control_field "$line" y); w=$(control_field "$line" w); h=$(control_field "$line" h)
    xdotool mousemove $((cx + x + w / 2)) $((cy + y + h / 2)) click 1
}
# points_differ <report at 96 dpi> <report> <dpi>: the texts (all but the bars') whose font is
# not at its 96-dpi point size; each scale rounds its pixel em, so under a point's pixel apart.
points_differ() {
    tr -d '\r' <"$2" | awk -v dpi="$3" -v at96="$(tr -d '\r' <"$1" | grep '^control ' | paste -sd'|')" '
        function field(line, key,   i, n, kv, f) {
            n = split(line, f, " ")
            for (i = 1; i <= n; ++i) { split(f[i], kv, "="); if (kv[1] == key) return kv[2] }
        }
        BEGIN { n = split(at96, lines, "|"); for (i = 1; i <= n; ++i) em96[field(lines[i], "id")] = field(lines[i], "em") }
        /^control / {
            id = field($0, "id"); em = field($0, "em")
            if (id == 103 || id == 104) next
            if (em + 0 == 0 || em96[id] + 0 == 0) { print "control " id ": no font size in the report"; next }
            d = em * 96 / dpi - em96[id]
            if (d <= -1 || d >= 1) print "control " id ": em " em " px (" em96[id] " at 96 dpi)"
        }' | paste -sd';'
}
# scaled_options <dpi>: the options' 96-dpi boxes (36,27 and 36,59, 141 x 29) scaled by their edges.
scaled_options() {
    case $1 in
        144) echo "54 40 212 44|54 88 212 44" ;;
        168) echo "63 47 247 51|63 103 247 51" ;;
        192) echo "72 54 282 58|72 118 282 58" ;;
    esac
}
option_boxes() {
    for i in 101 102; do
        l=$(grep "^control id=$i " "$WORK/layout.txt" | tr -d '\r')
        echo "$(control_field "$l" x) $(control_field "$l" y) $(control_field "$l" w) $(control_field "$l" h)"
    done | paste -sd'|'
}
# Wine 8 knows per-monitor awareness only in its first version.
PER_MONITOR=permonitorv2
[[ $("$WINE" --version 2>/dev/null) == wine-8.* ]] && PER_MONITOR=permonitor
dialog_scale_case() {
    local dpi=$1 faults client
    rm -f "$INI"
    if ! dialog_report_start "$dpi"; then fail "$dpi dpi: the dialog opens and reports its layout"; stop_scr; return; fi
    client=$(field "$(probe info "$DIALOG")" client)
    expect "$dpi dpi: the dialog is per-monitor aware, its window at $dpi dpi" "$PER_MONITOR $dpi" \
        "$(tr -d '\r' <"$WORK/layout.txt" | grep -E '^(awareness|window_dpi)=' | cut -d= -f2 | paste -sd' ')"
    faults=$(layout_faults ${client% *} ${client#* })
    if [ "$dpi" -le 120 ]; then
        # The design's own scales keep their geometry (at 120 dpi the options
        # reach below the frame); only the caption and the check box, placed
        # clear of them, are judged here.
        expect "$dpi dpi: the frame's caption is whole, above its options; 全モニタ inside, clear of all, its text whole" "" \
            "$(grep -E 'frame caption|112' <<<"$faults" | paste -sd';')"
    else
        expect "$dpi dpi: every control inside the client area ($client), options inside the frame, no overlap, no text cut off or covered" \
            "" "$(paste -sd';' <<<"$faults")"
        local cw=${client% *} ch=${client#* } L T R B
        expect "$dpi dpi: the client area is 300 x 200 times $dpi / 96, scaled once" \
            "$((300 * dpi / 96)) $((200 * dpi / 96))" "$cw $ch"
        read -r L T R B <<<"$(field "$(probe info "$DIALOG")" rect)"
        check "$dpi dpi: dialog is centred" test $((L + R - SCREEN_W)) -ge -1 -a $((L + R - SCREEN_W)) -le 1 \
            -a $((T + B - SCREEN_H)) -ge -1 -a $((T + B - SCREEN_H)) -le 1
        expect "$dpi dpi: options at their 96-dpi boxes scaled by $dpi / 96" "$(scaled_options "$dpi")" "$(option_boxes)"
        expect "$dpi dpi: every text at its 96-dpi point size (frame, options, buttons, labels)" \
            "" "$(points_differ "$WORK/layout96.txt" "$WORK/layout.txt" "$dpi")"
    fi
    [ "$dpi" -eq 96 ] && cp "$WORK/layout.txt" "$WORK/layout96.txt"
    click_centre 105
    expect "$dpi dpi: a real click at the centre of OK ends the program" "0" "$(wait_exit 8)"
    expect "$dpi dpi: ... and saves" "[Nyamo Saver]|CatNum=20|SaverType=1|SaverSpeed=5|SaverScreens=1" "$(ini_text | paste -sd'|')"
    stop_scr
    rm -f "$INI"
    if ! dialog_report_start "$dpi"; then fail "$dpi dpi: the dialog opens again"; stop_scr; return; fi
    click_centre 106
    expect "$dpi dpi: a real click at the centre of キャンセル ends the program" "0" "$(wait_exit 8)"
    check "$dpi dpi: ... without writing" test ! -e "$INI"
    stop_scr
}
xdotool mousemove 0 0
for DPI in 96 120 144 168 192; do dialog_scale_case "$DPI"; done
set_dpi 96

# Moved to a monitor of another DPI, the dialog gets WM_DPICHANGED with the
# new DPI and a suggested rectangle. Wine's monitors share one DPI, so the
# probe sends what the system would; the dialog lays itself out again and
# reports the new layout.
dpi_change_case() {
    rm -f "$INI"
    if ! dialog_report_start 96; then fail "DPI change: the dialog opens at 96 dpi"; stop_scr; return; fi
    xdotool mousemove 0 0
    check "DPI change: WM_DPICHANGED to 192 dpi reaches the dialog" quiet "$WINE" "$PROBE" dpi "$DIALOG" 192 40 30
    for _ in $(seq 50); do [ "$(grep -c '^check_mark=' "$WORK/layout.txt")" -ge 2 ] && break; sleep 0.1; done
    # From here on the report is the layout after the change.
    tr -d '\r' <"$WORK/layout.txt" | awk 'seen; /^check_mark=/ { seen = 1 }' >"$WORK/layout2.txt"
    mv "$WORK/layout2.txt" "$WORK/layout.txt"
    local info
    info=$(probe info "$DIALOG")
    expect "DPI change: the client area doubles to 600 x 400" "600 400" "$(field "$info" client)"
    expect "DPI change: the window goes to the suggested place" "40 30" "$(field "$info" rect | cut -d' ' -f1,2)"
    expect "DPI change: every control inside the client area, options inside the frame, no overlap, no text cut off or covered" \
        "" "$(layout_faults 600 400 | paste -sd';')"
    expect "DPI change: options at their 96-dpi boxes doubled" "$(scaled_options 192)" "$(option_boxes)"
    expect "DPI change: every text at its 96-dpi point size" "" \
        "$(points_differ "$WORK/layout96.txt" "$WORK/layout.txt" 192)"
    click_centre 105
    expect "DPI change: a real click at the centre of OK ends the program" "0" "$(wait_exit 8)"
    expect "DPI change: ... and saves" "[Nyamo Saver]|CatNum=20|SaverType=1|SaverSpeed=5|SaverScreens=1" "$(ini_text | paste -sd'|')"
    stop_scr
}
dpi_change_case

# --- No locale -----------------------------------------------------------------------
# Started with no locale at all (a bare system), the program still captions
# its windows exactly, and its guard still finds them.
no_locale() { env -u LC_ALL -u LANG -u LANGUAGE -u LC_CTYPE -u LC_MESSAGES "$@"; }
# guard_ends_without_locale <switch...>: each start ends at once with status 0.
guard_ends_without_locale() {
    local arg
    for arg in "$@"; do
        no_locale timeout 30 "$WINE" "$SAVER_DIR/Nyamo_07.scr" "$arg" >/dev/null 2>&1 || return 1
    done
}
rm -f "$INI"
SCR_ENV=no_locale start_scr /c
check "no locale: /c opens a dialog captioned $DIALOG" quiet "$WINE" "$PROBE" wait "$DIALOG" 15000
check "no locale: the guard sees the dialog (/s and /c end at once)" guard_ends_without_locale /s /c
check "no locale: the saver did not start beside the dialog" quiet "$WINE" "$PROBE" gone "$SAVER" 100
probe close "$DIALOG" >/dev/null
expect "no locale: the close box ends the dialog" "0" "$(wait_exit 8)"
stop_scr
write_ini "[Nyamo Saver]" "CatNum=5" "SaverType=2" "SaverSpeed=5"
xdotool mousemove 500 400
SCR_ENV=no_locale start_scr /s
check "no locale: /s opens a window captioned $SAVER" quiet "$WINE" "$PROBE" ready "$SAVER" 15000
check "no locale: the guard sees the saver (/c and /s end at once)" guard_ends_without_locale /c /s
check "no locale: no dialog opened beside the saver" quiet "$WINE" "$PROBE" gone "$DIALOG" 100
xdotool key a
check "no locale: a key ends the saver" saver_gone 3000
expect "no locale: the saver's process ends" "0" "$(wait_exit 5)"
stop_scr

# --- The release files: portable zip and installer ---------------------------------
source "$(dirname "${BASH_SOURCE[0]}")/release_checks.sh"

# --- Every screen: two monitors on one server ---------------------------------------
# Wine's session keeps the monitors of the server it started on: it ends
# before and after, so that it starts again on each server. Last of all,
# since the session that the checks above share ends here.
screens_ini=$INI screens_eol='\r\n'
screens_start() { start_scr /s; }
screens_running() { [ ! -f "$WORK/exit" ]; }
screens_stop() { stop_scr; }
screens_enter() { wineserver -k; wineserver -w; }
screens_leave() { wineserver -k; wineserver -w; }
screens_no_monitor_events="Wine sends no WM_DISPLAYCHANGE for a monitor that xrandr switches off (seen with Wine 8; not tried on later ones)"
screens_set_dpi() { set_dpi "$1"; }
source "$(dirname "${BASH_SOURCE[0]}")/../lib/screens_checks.sh"

# --- Nothing left behind --------------------------------------------------------------
expect "no Nyamo process left running" "0" "$(nyamo_running)"

FINISHED=1
echo "wine suite: $PASSED passed, $FAILED failed, $SKIPPED skipped"
[ "$FAILED" -eq 0 ]
