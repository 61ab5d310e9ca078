# The settings dialog (/c): its face, layout, keys, saving, guard, the
# dialog under a window manager and at every scale.

# The package depends on one Japanese Gothic face (fonts-ipafont-gothic or
# another of fonts-japanese-gothic) and only recommends Noto Sans CJK, the
# design's face. With the fonts of such a system alone the dialog takes the
# Japanese face there is; with no Japanese face at all it still opens.
dialog_face_with() {  # dialog_face_with FONT_FOLDER...: the face the dialog reports
  local conf=$work/fonts.conf dir
  { echo '<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>'
    for dir in "$@"; do echo "<dir>$dir</dir>"; done
    echo "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include><cachedir>$work/fontcache</cachedir></fontconfig>"
  } >"$conf"
  FONTCONFIG_FILE=$conf dialog_start || { echo "(no dialog)"; return; }
  sed -n 's/^face "\(.*\)"$/\1/p' "$work/dialog.out"
  "$probe" close "$wid" >/dev/null 2>&1
  ended_within "$npid" 5
}
dialog_faces() {
  local with_ipa without
  with_ipa=$(dialog_face_with /usr/share/fonts/truetype/dejavu /usr/share/fonts/opentype/ipafont-gothic)
  without=$(dialog_face_with /usr/share/fonts/truetype/dejavu)
  echo "  faces: [$with_ipa] with DejaVu and IPA fonts alone, [$without] with DejaVu alone"
  [ "$with_ipa" = "IPAPGothic" ] && [ "$without" = "Noto Sans CJK JP" ]
}
check "dialog: with a Japanese Gothic face but no Noto Sans CJK it takes that face; with none it still opens" dialog_faces

dialog_defaults() {
  rm -f "$ini"
  dialog_start || return 1
  local r=$work/dialog.out
  report_has "$r" 'state shown opt0=1 opt1=0 bar0=20 bar1=5 label2=" 20" label4=" 5"' &&
    report_has "$r" "window 362 284 300 200" &&
    report_has "$r" 'control Frame 20 15 170 80 size=11 text="背景の設定"' &&
    report_has "$r" 'control Opt0 36 27 141 29 size=13 text="Desktop"' &&
    report_has "$r" 'control Opt1 36 59 141 29 size=13 text="Blank Screen"' &&
    report_has "$r" 'control Label1 20 115 90 20 size=13 text="猫の出現数："' &&
    report_has "$r" 'control Label3 160 115 90 20 size=13 text="移動の早さ："' &&
    report_has "$r" 'control HScroll0 20 135 130 18' && report_has "$r" 'control HScroll1 160 135 130 18' &&
    report_has "$r" 'control Label5 80 170 270 20' &&
    report_has "$r" 'control But0 220 20 70 25 size=13 text="OK"' &&
    report_has "$r" 'control But1 220 50 70 25 size=13 text="キャンセル"' &&
    report_has "$r" 'control AllScreens 217 82 78 22 size=13 text="全モニタ"' && report_has "$r" 'screens=0' &&
    [ "$("$probe" info "$wid" | cut -d' ' -f1-4)" = "362 284 300 200" ]
}
check "dialog: defaults, 300x200 client centred, controls where designed" dialog_defaults

dialog_title_and_icon() {
  "$probe" names "$wid" "Nyamoの設定" | sed 's/^/  /'
  [ "${PIPESTATUS[0]}" -eq 0 ] &&
    xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (32 x 32)' &&
    xprop -id "$wid" WM_NORMAL_HINTS | grep -q 'program specified minimum size: 300 by 200' &&
    xprop -id "$wid" WM_NORMAL_HINTS | grep -q 'program specified maximum size: 300 by 200'
}
check "dialog: title Nyamoの設定 (UTF-8 and compound text), the icon, a fixed size" dialog_title_and_icon

dialog_guard() {
  local result=0 arg
  for arg in /s /c "/p $((wid))"; do timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1; done
  "$probe" find Amberpaw >/dev/null && result=1
  [ "$("$probe" find "Nyamoの設定" | wc -l)" -eq 1 ] || result=1
  return $result
}
check "guard: an open dialog makes /s, /c and /p end at once" dialog_guard

dialog_esc_stays() {
  xdotool mousemove --window "$wid" 150 100 key Escape
  sleep 0.5
  kill -0 "$npid" 2>/dev/null
}
check "dialog: Esc does not close it" dialog_esc_stays

dialog_ok_writes() {
  local r=$work/dialog.out
  click_at 60 72                       # Blank Screen
  click_at 144 144                     # first bar's right arrow: 21
  click_at 284 144                     # second bar's right arrow: 6
  wait_report "$r" 'state scroll opt0=0 opt1=1 bar0=21 bar1=6 label2=" 21" label4=" 6"' 3 || return 1
  click_at 226 93                      # 全モニタ
  wait_report "$r" 'label4=" 6" screens=1' 3 || return 1
  click_at 255 32                      # OK
  ended_ok && [ "$(cat "$ini")" = "$(printf '[Nyamo Saver]\nCatNum=21\nSaverType=2\nSaverSpeed=6\nSaverScreens=2')" ] ||
    return 1
  # The ticked box comes back from the file.
  dialog_start && report_has "$r" 'state shown opt0=0 opt1=1 bar0=21 bar1=6 label2=" 21" label4=" 6" screens=1' &&
    close_ends
}
check "dialog: arrows update both labels, OK writes all four keys and ends; the check box comes back ticked" dialog_ok_writes

dialog_tab_order() {
  settings 10 1 3
  dialog_start || return 1
  local r=$work/dialog.out
  xdotool mousemove --window "$wid" 150 100
  local k
  for k in Down Tab Right Tab Right Tab Tab Tab Tab shift+Tab Up; do xdotool key "$k"; sleep 0.1; done
  sleep 0.3
  local focus
  # Modifier keys report too; uniq keeps the moves.
  focus=$(grep -a '^state key' "$r" | sed 's/.*focus=//' | uniq | tr '\n' ' ')
  echo "  focus after each key: $focus"
  [ "$focus" = "Opt1 HScroll0 HScroll1 AllScreens But0 But1 Opt0 But1 " ] || return 1
  report_has "$r" 'state scroll opt0=0 opt1=1 bar0=11 bar1=3 label2=" 11" label4=" 3" screens=0 focus=HScroll0' &&
    report_has "$r" 'state scroll opt0=0 opt1=1 bar0=11 bar1=4 label2=" 11" label4=" 4" screens=0 focus=HScroll1' &&
    close_ends && grep -q "CatNum=10" "$ini"
}
check "dialog: tab order Opt0, Opt1, bars, 全モニタ, OK, キャンセル; arrows select and move" dialog_tab_order

dialog_enter_on_focused_button() {
  settings 10 1 3
  dialog_start || return 1
  local before
  before=$(cat "$ini")
  xdotool mousemove --window "$wid" 150 100
  xdotool key Return            # on an option: nothing
  sleep 0.3
  kill -0 "$npid" 2>/dev/null || return 1
  xdotool key Right Tab Right Tab Tab Tab Tab Return   # キャンセル has the focus
  ended_ok && [ "$(cat "$ini")" = "$before" ]
}
check "dialog: Enter chooses only a focused button (キャンセル here, nothing saved)" dialog_enter_on_focused_button

dialog_drag() {
  settings 1 1 1
  dialog_start || return 1
  local r=$work/dialog.out before
  # At value 1 the thumb stands just right of the left arrow (18 pixels).
  xdotool mousemove --window "$wid" 42 144 mousedown 1
  sleep 0.1
  xdotool mousemove --window "$wid" 60 144
  sleep 0.1
  xdotool mousemove --window "$wid" 90 144
  sleep 0.3
  before=$(grep -c '^state scroll' "$r")
  xdotool mouseup 1
  wait_report "$r" "state scroll" 3 || return 1
  local line
  line=$(grep '^state scroll' "$r" | tail -n 1)
  echo "  during the drag: $before changes; after: $line"
  [ "$before" -eq 0 ] && [[ "$line" =~ bar0=([0-9]+).*label2=\"\ ([0-9]+)\" ]] &&
    [ "${BASH_REMATCH[1]}" -gt 1 ] && [ "${BASH_REMATCH[1]}" = "${BASH_REMATCH[2]}" ]
}
check "dialog: a dragged thumb changes the labels only when the drag ends" dialog_drag

dialog_cancel() {
  local before
  before=$(cat "$ini")
  click_at 284 144
  click_at 255 62                      # キャンセル
  ended_ok && [ "$(cat "$ini")" = "$before" ]
}
check "dialog: キャンセル after changes writes nothing and ends" dialog_cancel

dialog_close_box() {
  rm -f "$ini"
  dialog_start /c || return 1
  click_at 144 144
  "$probe" close "$wid"
  ended_ok && [ ! -e "$ini" ]
}
check "dialog: the close box writes nothing and ends" dialog_close_box

dialog_under_manager() {
  manager_start
  settings 7 2 3
  dialog_start "/c:1234" || { manager_gone; return 1; }
  local result=0 parent
  parent=$(xwininfo -id "$wid" -tree | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
  [ "$parent" != "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')" ] || { echo "  not reparented"; result=1; }
  report_has "$work/dialog.out" 'state shown opt0=0 opt1=1 bar0=7 bar1=3 label2=" 7" label4=" 3"' || result=1
  timeout 5 "$nyamo" /s >/dev/null 2>&1 || result=1
  "$probe" find Amberpaw >/dev/null && result=1
  close_ends || result=1
  grep -q "CatNum=7" "$ini" || result=1
  manager_gone
  return $result
}
check "guard and dialog under a reparenting manager (openbox): found, close box ends it" dialog_under_manager

dialog_at_dpi() {  # dialog_at_dpi DPI: the dialog at that scale (Xft.dpi), its report in $work/dialog.out
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$1
"
  rm -f "$ini"
  dialog_start
  local started=$?
  xprop -root -remove RESOURCE_MANAGER
  return $started
}
dialog_at_120_dpi() {
  # Xft.dpi 120 is 12 twips per pixel: 8-point fonts (13 pixels), the options'
  # design twips give larger boxes, the client stays 300 x 200.
  dialog_at_dpi 120 || return 1
  local r=$work/dialog.out result=0
  report_has "$r" "window 362 284 300 200" &&
    report_has "$r" 'control Opt0 40 30 176 36 size=13' && report_has "$r" 'control Opt1 40 70 176 36 size=13' &&
    report_has "$r" 'control Label1 20 115 90 20 size=13' && report_has "$r" 'control But1 220 50 70 25 size=13' &&
    report_has "$r" 'control AllScreens 217 82 78 22 size=13' || result=1
  close_ends || result=1
  return $result
}
check "dialog: at 120 dots per inch the client is 300x200, fonts 8 points, options in twips" dialog_at_120_dpi

# Up to 120 dots per inch the dialog keeps its design; above (Xft.dpi 144,
# 192) it scales its 96-dpi layout by dpi / 96 and its texts keep their 96-dpi
# points, so it has its 96-dpi physical size. The checks judge the dialog's own
# report: each control's box, its text's width and its line's height in its font.
dialog_layout_faults() {  # dialog_layout_faults REPORT: one line per fault in the dialog's layout
  awk '
    $1 == "window" { cw = $4; ch = $5 }
    $1 == "control" {
      n = $2; names[++count] = n
      x[n] = $3; y[n] = $4; w[n] = $5; h[n] = $6
      split($(NF - 1), a, "="); tw[n] = a[2]; split($NF, b, "="); ln[n] = b[2]
    }
    END {
      if (count != 13) print "report lists " count " controls, not 13"
      for (k = 1; k <= count; ++k) {
        n = names[k]
        if (n == "Label5") {  # passes the edge by design; its text may not
          if (x[n] + tw[n] > cw) print "Label5 text ends at " x[n] + tw[n] " past the client width " cw
        } else if (x[n] < 0 || y[n] < 0 || x[n] + w[n] > cw || y[n] + h[n] > ch)
          print n " leaves the client area"
        for (j = k + 1; j <= count; ++j) {
          o = names[j]
          if ((n == "Frame" && o ~ /^Opt/) || (o == "Frame" && n ~ /^Opt/)) continue
          if (x[n] < x[o] + w[o] && x[o] < x[n] + w[n] && y[n] < y[o] + h[o] && y[o] < y[n] + h[n])
            print n " and " o " overlap"
        }
      }
      for (i = 0; i <= 1; ++i) {
        n = "Opt" i
        if (x[n] < x["Frame"] || y[n] < y["Frame"] || x[n] + w[n] > x["Frame"] + w["Frame"] || y[n] + h[n] > y["Frame"] + h["Frame"])
          print n " leaves the frame"
        if (tw[n] + 24 > w[n] || ln[n] > h[n]) print n " text cut off"
      }
      if (tw["AllScreens"] + 24 > w["AllScreens"] || ln["AllScreens"] > h["AllScreens"]) print "AllScreens text cut off"
      split("But0 But1", buttons, " ")
      for (i in buttons) { n = buttons[i]; if (tw[n] + 4 > w[n] || ln[n] > h[n]) print n " text cut off" }
      split("Label1 Label2 Label3 Label4", labels, " ")
      for (i in labels) { n = labels[i]; if (tw[n] > w[n] || ln[n] > h[n]) print n " text cut off" }
      if (ln["Label5"] > h["Label5"]) print "Label5 text cut off at the bottom"
      if (ln["Frame"] > y["Opt0"] - y["Frame"]) print "the frame caption (" ln["Frame"] " high) reaches under Opt0 at " y["Opt0"] - y["Frame"]
      if (tw["Frame"] + 16 > w["Frame"]) print "the frame caption is wider than its frame"
      if (ln["Frame"] < 8) print "the frame caption is under 8 pixels high"
    }' "$1"
}
# dialog_points_differ REPORT96 REPORT DPI: the texts whose size in points (pixels x 72 / dpi) is not
# that at 96 dpi; a pixel size rounded at each scale may differ by under a point's worth of a pixel.
dialog_points_differ() {
  awk -v dpi="$3" '
    $1 != "control" || $2 ~ /HScroll/ { next }
    { split($7, a, "="); size = a[2] }
    FNR == NR { at96[$2] = size; next }
    size + 0 == 0 || at96[$2] + 0 == 0 { print $2 ": no font size in the report"; next }
    { d = size * 96 / dpi - at96[$2]; if (d <= -1 || d >= 1) print $2 " " size " px (" at96[$2] " at 96 dpi)" }' "$1" "$2" | paste -sd' '
}
dialog_click_centre() {  # dialog_click_centre CONTROL: a real click in the middle of the reported box
  local bx by bw bh
  read -r _ _ bx by bw bh _ <<<"$(grep "^control $1 " "$work/dialog.out")"
  click_at $((bx + bw / 2)) $((by + bh / 2))
}
dialog_scales() {
  local dpi faults result=0 opts wx wy ww wh
  for dpi in 96 120 144 192; do
    dialog_at_dpi "$dpi" || { echo "  $dpi dpi: no dialog"; result=1; continue; }
    faults=$(dialog_layout_faults "$work/dialog.out")
    if [ "$dpi" -le 120 ]; then
      # The design's own scales keep their geometry (at 120 dpi the options
      # reach below the frame); only the caption and the check box, which
      # was placed clear of them, are judged there.
      faults=$(grep -E 'frame caption|AllScreens' <<<"$faults")
      [ "$dpi" -eq 96 ] && cp "$work/dialog.out" "$work/dialog96.out"
    else
      # At least 300 x 200 times dpi / 96, centred on the 1024 x 768 screen.
      read -r _ wx wy ww wh <<<"$(grep '^window' "$work/dialog.out")"
      [ $((ww * 96)) -ge $((300 * dpi)) ] && [ $((wh * 96)) -ge $((200 * dpi)) ] &&
        [ $((2 * wx + ww - 1024)) -ge -1 ] && [ $((2 * wx + ww - 1024)) -le 1 ] &&
        [ $((2 * wy + wh - 768)) -ge -1 ] && [ $((2 * wy + wh - 768)) -le 1 ] ||
        faults="$faults; client area: $(grep '^window' "$work/dialog.out")"
      # The options' 96-dpi boxes (36,27 and 36,59, 141 x 29) scaled by their edges.
      case $dpi in
        144) opts="54 40 212 44|54 88 212 44" ;;
        192) opts="72 54 282 58|72 118 282 58" ;;
      esac
      [ "$(grep -E '^control Opt[01] ' "$work/dialog.out" | awk '{ print $3, $4, $5, $6 }' | paste -sd'|')" = "$opts" ] ||
        faults="$faults; options not at their scaled 96-dpi boxes ($opts)"
      [ -z "$(dialog_points_differ "$work/dialog96.out" "$work/dialog.out" "$dpi")" ] ||
        faults="$faults; texts not at their 96-dpi points: $(dialog_points_differ "$work/dialog96.out" "$work/dialog.out" "$dpi")"
    fi
    [ -z "$faults" ] || { echo "  $dpi dpi: $faults" | paste -sd' '; result=1; }
    # Real clicks at the centres of OK, then (a second start) キャンセル.
    dialog_click_centre But0
    ended_ok && grep -q "CatNum=20" "$ini" || { echo "  $dpi dpi: OK did not save and end"; result=1; }
    dialog_at_dpi "$dpi" || { result=1; continue; }
    dialog_click_centre But1
    ended_ok && [ ! -e "$ini" ] || { echo "  $dpi dpi: キャンセル did not end without writing"; result=1; }
  done
  return $result
}
check "dialog: at 144 and 192 dpi the 96-dpi layout times dpi/96 with 96-dpi points (inside, no overlap, no text cut), the caption whole at 96 to 192, OK and キャンセル take real clicks" dialog_scales

# Under a manager the dialog asks for a title bar with a close box only
# (_MOTIF_WM_HINTS). openbox reads the hints but by design lets them take away
# no button ("dont let mwm hints kill any buttons"): it keeps minimise, and
# drops maximise and resize because the window has a fixed size. So the
# request is checked on the window, and openbox's answer for the rest.
dialog_close_box_only() {
  manager_start
  rm -f "$ini"
  dialog_start /c || { manager_gone; return 1; }
  sleep 0.5
  local result=0 hints actions
  hints=$(xprop -id "$wid" _MOTIF_WM_HINTS)
  actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
  echo "  $hints"
  echo "  $actions"
  # Functions: move and close; decorations: border, title, window menu.
  [[ $hints == *"= 0x3, 0x24, 0x1a"* ]] || result=1
  [[ $actions == *_NET_WM_ACTION_CLOSE* ]] || result=1
  [[ $actions == *MAXIMIZE* || $actions == *_NET_WM_ACTION_RESIZE* ]] && result=1
  close_ends || result=1
  manager_gone
  return $result
}
check "dialog under openbox: Motif hints ask for move and close only; openbox allows close, no maximise or resize" dialog_close_box_only
