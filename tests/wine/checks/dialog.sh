# The settings dialog as /c opens it over no settings file: its size, place,
# styles, icon and controls; real keys walking its tab stops and options;
# its scroll bars by message and by real clicks; OK writing a new file.
start_scr /c
check "/c opens the settings dialog" dialog_up 15000
INFO=$(probe info "$DIALOG")
expect "dialog client area is 300 x 200" "300 200" "$(field "$INFO" client)"
read -r L T R B <<<"$(field "$INFO" rect)"
check "dialog is centred horizontally" within_one $((L + R)) "$SCREEN_W"
check "dialog is centred vertically" within_one $((T + B)) "$SCREEN_H"
STYLE=$(hex "$(field "$INFO" style)")
EXSTYLE=$(hex "$(field "$INFO" exstyle)")
check "dialog has a caption and a close box (WS_CAPTION, WS_SYSMENU)" bits "$STYLE" 0x00C80000 0x00C80000
check "dialog has a fixed border (no WS_THICKFRAME)" bits "$STYLE" 0x00040000 0
check "dialog has no minimise or maximise box" bits "$STYLE" 0x00030000 0
dialog_taskbar_button() { bits "$EXSTYLE" 0x80 0 && [ "$(field "$INFO" owner)" == "0000000000000000" ]; }
check "dialog has a taskbar button (not a tool window, no owner)" dialog_taskbar_button
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
    got="$(control_field "$line" class | tr 'A-Z' 'a-z') $(box "$line")"
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
expect "defaults: Desktop selected" "1 0" "$(fields "$CONTROLS" checked 101 102)"
dialog_kind() {
    local style
    style=$(hex "$(control_field "$(control_line "$CONTROLS" "$1")" style)")
    if [ -n "$style" ]; then echo $((style & 0xF)); else echo "?"; fi
}
expect "options are auto radio buttons, buttons plain push buttons (no default)" "9 9 0 0 7" \
    "$(dialog_kind 101) $(dialog_kind 102) $(dialog_kind 105) $(dialog_kind 106) $(dialog_kind 100)"
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
expect "tabbing does not change the choice" "1 0" "$(choice)"
xdotool key Down
sleep 0.3
expect "arrow down moves to Blank Screen and chooses it" "102 0 1" "$(probe focus "$DIALOG") $(choice)"
xdotool key Up
sleep 0.3
expect "arrow up goes back to Desktop" "101 1 0" "$(probe focus "$DIALOG") $(choice)"
xdotool key Tab
sleep 0.2

FOCUS_BEFORE_KEYS=$(probe focus "$DIALOG")
xdotool key Return
xdotool key Escape
sleep 0.8
check "Enter and Esc do not close the dialog (focus on control $FOCUS_BEFORE_KEYS)" dialog_up 100

# The bars' messages, then the labels' texts.
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
expect "choosing Blank Screen clears Desktop" "0 1" "$(choice)"
check "nothing is written before OK" test ! -e "$INI"
xdotool mousemove $((CX + 217 + 8)) $((CY + 82 + 11)) click 1
sleep 0.3
expect "a real click ticks 全モニタ" "1" "$(fields "$(probe controls "$DIALOG")" checked 112)"
# OK with a real click.
xdotool mousemove $((CX + 220 + 35)) $((CY + 20 + 12)) click 1
ended "OK ends the program"
expect "OK writes the four settings to a new file" "[Nyamo Saver]|CatNum=40|SaverType=2|SaverSpeed=7|SaverScreens=2" \
    "$(ini_text | paste -sd'|')"
