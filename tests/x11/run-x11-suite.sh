#!/usr/bin/env bash
# packages: libxfixes-dev libxtst-dev xscreensaver xscreensaver-data fonts-ipafont-gothic valgrind
# The X11 suite: the real nyamo binary on a real X server (Xvfb), driven by
# xdotool and by x11_probe (a small Xlib client built with the program), with
# openbox where a reparenting window manager matters. Needs xvfb, xdotool,
# x11-utils, openbox and imagemagick; the xscreensaver checks drive Debian's
# real daemon (xscreensaver, xscreensaver-data); the memcheck runs need
# valgrind; the checks on two monitors need root and Xorg with its dummy
# driver (tests/lib/two_monitors.sh).
# Usage: tests/x11/run-x11-suite.sh BUILD_DIR
#
# Prints one line per check (PASS, FAIL or SKIP with the reason) and always a
# closing count line; the status is non-zero when a check failed or the
# suite could not run to its end. No "set -e" or "set -u": a failing command
# or an empty value inside a check makes that check fail, not the suite stop.

# Tools print and compare texts the same way whatever the caller's locale;
# the checks that want no locale for the program say so.
export LC_ALL=C.UTF-8
unset LANGUAGE
[ -d "${1:-}" ] || { echo "usage: run-x11-suite.sh BUILD_DIR"; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/suite.sh"
source_dir=$(cd "$here/../.." && pwd)
probe=$build/tests/x11/x11_probe
for f in "$build/platform/x11/nyamo" "$probe"; do
  [ -x "$f" ] || { echo "x11 suite: $f is missing (build first)"; exit 1; }
done

work=$(mktemp -d /tmp/nyamo-x11.XXXXXX)
chmod 755 "$work"
# The program keeps its settings beside itself when it may write there: a
# copy in a folder of the suite's own keeps the build tree clean.
mkdir -p "$work/bin"
cp "$build/platform/x11/nyamo" "$work/bin/nyamo"
nyamo=$work/bin/nyamo
ini=$work/bin/Nyamo_07.ini

cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
  if [ "$finished" -ne 1 ]; then
    echo "x11 suite: $passed passed, $failed failed, $skipped skipped; stopped before its end"
    exit 1
  fi
}
trap cleanup EXIT
trap 'echo "x11 suite: interrupted"; exit 130' INT TERM

source "$here/../lib/private_xvfb.sh"
start_private_xvfb 1024x768x24 "$work/xvfb.log" || exit 1
xvfb_pid=$XVFB_PID
unset XSCREENSAVER_WINDOW

# The program as a user without any locale runs it (a bare system, a cron job).
no_locale() { env -u LC_ALL -u LANG -u LANGUAGE -u LC_CTYPE -u LC_MESSAGES "$@"; }

# --- helpers -------------------------------------------------------------------
start() {  # start OUTFILE ARGS...: nyamo in the background, its pid in $npid
  local out=$1; shift
  : >"$out"   # no report of an earlier run may be read as this one's
  "$nyamo" "$@" >"$out" 2>&1 &
  npid=$!
  pids+=("$npid")
}
window_named() {  # window_named CAPTION SECONDS: its id in $wid
  local i
  for i in $(seq $(($2 * 20))); do
    wid=$("$probe" find "$1" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && return 0
    sleep 0.05
  done
  return 1
}
no_window() { ! "$probe" find Amberpaw >/dev/null && ! "$probe" find "Nyamoの設定" >/dev/null; }
settings() { printf '[Nyamo Saver]\nCatNum=%s\nSaverType=%s\nSaverSpeed=%s\n' "$1" "$2" "$3" >"$ini"; }
report_has() { grep -qF -- "$2" "$1"; }
wait_report() {  # wait_report FILE TEXT SECONDS
  local i
  for i in $(seq $(($3 * 20))); do report_has "$1" "$2" && return 0; sleep 0.05; done
  return 1
}
make_host() {  # make_host WxH: a window of another client, its id in $host, the probe's pid in $host_pid
  # Emptied here, not by the background job: a slow fork would otherwise
  # leave the id of the previous, destroyed host to be read.
  : >"$work/host.out"
  "$probe" host "$1" >"$work/host.out" &
  host_pid=$!
  pids+=("$host_pid")
  local i
  for i in $(seq 200); do host=$(head -n 1 "$work/host.out"); [ -n "$host" ] && return 0; sleep 0.05; done
  return 1
}
drop_host() { kill "$host_pid" 2>/dev/null; wait "$host_pid" 2>/dev/null; }

# --- dispatch --------------------------------------------------------------------
dispatch_ignored() {
  local arg
  for arg in /a -s s /x "/p"; do
    timeout 5 "$nyamo" "$arg" >/dev/null 2>&1 || return 1
    no_window || return 1
  done
}
check "dispatch: /a, -s, s, /x and /p without a window end at once with status 0" dispatch_ignored

dispatch_overflow() {
  timeout 5 "$nyamo" "/p 99999999999" >/dev/null 2>&1
  local rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] && no_window
}
check "dispatch: a handle beyond 32 bits ends with a non-zero status, no window" dispatch_overflow

dispatch_bogus_id() {
  make_host 50x50 || return 1
  local unused=$((host + 0x1000))
  drop_host
  timeout 5 "$nyamo" "/p $unused" >/dev/null 2>&1 && no_window
}
check "dispatch: /p with an id that names no window ends at once" dispatch_bogus_id

dispatch_no_display() {
  local out
  out=$(DISPLAY= timeout 5 "$nyamo" /s 2>&1)
  [ $? -eq 1 ] && grep -q "nyamo-render" <<<"$out"
}
check "dispatch: without a display it says so and points to nyamo-render" dispatch_no_display

# --- the saver ---------------------------------------------------------------------
saver_start() {  # saver_start CATS TYPE SPEED
  settings "$1" "$2" "$3"
  start "$work/saver.out" /s
  window_named Amberpaw 5
}

saver_geometry() {
  make_host 200x150 || return 1   # another window that the saver must cover
  pointer_before=$("$probe" cursor-blank)
  saver_start 20 2 10 || return 1
  sleep 0.5
  local info
  info=$("$probe" info "$wid")
  drop_host
  [ "$info" = "0 0 1024 768 override=1 mapped=1" ] || { echo "  saver window: $info"; return 1; }
}
check "saver: window named Amberpaw covers the primary screen exactly, override-redirect" saver_geometry

saver_names() { "$probe" names "$wid" Amberpaw | sed 's/^/  /'; [ "${PIPESTATUS[0]}" -eq 0 ]; }
check "saver: _NET_WM_NAME (UTF-8) and WM_NAME (Latin-1 STRING) are Amberpaw" saver_names

saver_stays_on_top() {
  "$probe" on-top "$wid" >/dev/null || return 1
  make_host 300x300 || return 1    # a window mapped later goes above at first
  sleep 0.5
  local result=0
  "$probe" on-top "$wid" >/dev/null || result=1
  drop_host
  return $result
}
check "saver: stays above other windows, also one mapped after it" saver_stays_on_top
check "saver: keyboard grabbed" bash -c "'$probe' keyboard-grabbed >/dev/null"
pointer_hidden() { [ "$pointer_before" = visible ] && [ "$("$probe" cursor-blank)" = blank ]; }
check "saver: pointer visible before, invisible while it runs" pointer_hidden

kittens_over_black() {
  sleep 1
  local stats total black colours
  stats=$("$probe" stats "$wid" 0 0 1024 768)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $stats"
  # Mostly black, with kittens of many shades on it.
  [ "$black" -gt $((total * 80 / 100)) ] && [ "$black" -lt "$total" ] && [ "$colours" -gt 8 ]
}
check "saver: kittens over black (blank background)" kittens_over_black
# In steady state the saver waits for the server at most once a second (the
# display's power state, where the server has DPMS): the pointer comes from
# the motion events of its grab and the uploads are paced by the server's
# completion events, not by round trips. Counted from the server's side.
saver_steady_traffic() {
  local uploads pixels replies
  read -r uploads pixels replies <<<"$("$probe" uploads 3 pixels replies)"
  echo "  in 3 s: $uploads uploads of $pixels pixels, $replies replies"
  kill -0 "$npid" 2>/dev/null && [ "${uploads:-0}" -gt 30 ] && [ "${replies:-99}" -le 3 ]
}
check "saver: in steady state at most one round trip a second" saver_steady_traffic
# The frames go up through a shared memory segment that the saver made.
check "saver: MIT-SHM upload where the server offers it" \
  bash -c "ipcs -m -p | awk -v pid=$npid '\$3 == pid { found = 1 } END { exit !found }'"

saver_ends_on_move() {
  xdotool mousemove_relative 1 0
  ended_within "$npid" 3 && [ "$status" -eq 0 ] && no_window
}
check "saver: a one-pixel pointer move ends it" saver_ends_on_move
check "saver: a lost upload completion holds the wait no longer than its deadline" \
  "$build/tests/x11/hack_options_test" --gtest_filter='WindowImage.*' --gtest_brief=1

# Input ends it, and so does another client taking the window or the screen
# from under it; the settings stay as they were.
saver_ends_on() {  # saver_ends_on COMMAND...: WID in it is the saver window's id
  saver_start 5 2 1 || return 1
  sleep 0.6
  kill -0 "$npid" 2>/dev/null || return 1     # still running on its own
  local before
  before=$(cat "$ini")
  "${@/#WID/$wid}"
  ended_within "$npid" 3 && [ "$status" -eq 0 ] && no_window && [ "$(cat "$ini")" = "$before" ]
}
check "saver: a key ends it" saver_ends_on xdotool key a
check "saver: a click ends it" saver_ends_on xdotool click 1
check "saver: another client unmapping its window ends it" saver_ends_on "$probe" unmap WID
check "saver: another client destroying its window ends it" saver_ends_on "$probe" destroy WID
check "saver: a new screen size (RandR) ends it" saver_ends_on "$probe" screen 800x600
"$probe" screen 1024x768 || echo "  the screen stays 800x600"

kittens_over_desktop() {
  "$probe" paint-root || return 1
  "$probe" save root "$work/desktop.ppm" || return 1
  saver_start 20 1 10 || return 1
  sleep 1.2
  local differ total
  read -r differ total <<<"$("$probe" compare root "$work/desktop.ppm")"
  echo "  $differ of $total pixels differ from the desktop"
  xdotool key a
  ended_within "$npid" 3 || return 1
  # The desktop shows through everywhere but under the kittens.
  [ "$differ" -gt 500 ] && [ "$differ" -lt $((total * 20 / 100)) ]
}
check "saver: kittens over the captured desktop" kittens_over_desktop

# --- the guard ----------------------------------------------------------------------
guard_against_saver() {
  saver_start 5 2 1 || return 1
  local result=0 arg
  for arg in /c /s ""; do
    timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1
  done
  "$probe" find "Nyamoの設定" >/dev/null && result=1
  [ "$("$probe" find Amberpaw | wc -l)" -eq 1 ] || result=1
  xdotool key a
  ended_within "$npid" 3 || result=1
  return $result
}
check "guard: a running saver makes /c, /s and no argument end at once" guard_against_saver

# --- the preview ---------------------------------------------------------------------
preview_in_host() {  # preview_in_host WxH TYPE SAMPLE
  settings 20 "$2" 5
  make_host "$1" || return 1
  start "$work/preview.out" "/p $((host))"
  local i kids=""
  for i in $(seq 60); do kids=$("$probe" children "$host"); [[ "$kids" == *mapped* && "$kids" != *unmapped* ]] && break; sleep 0.05; done
  local w=${1%x*} h=${1#*x}
  [[ "$kids" == "1 "*":0,0,${w}x${h},mapped" ]] || { echo "  host children: $kids"; return 1; }
  sleep 0.3
  "$probe" save "$host" "$work/preview.ppm" || return 1
  convert "$source_dir/assets/$3" -filter Triangle -resize "${w}x${h}!" "$work/expected.png"
  local rmse
  rmse=$(compare -metric RMSE "$work/expected.png" "$work/preview.ppm" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
  echo "  normalised RMSE against the stretched sample: $rmse"
  awk -v e="$rmse" 'BEGIN { exit !(e < 0.08) }'
}
preview_ends_with_host() {
  drop_host
  ended_within "$npid" 3 && [ "$status" -eq 0 ]
}
check "preview: desktop sample fills a 320x240 host" preview_in_host 320x240 1 preview_desktop.png
check "preview: ends when its host window is destroyed" preview_ends_with_host
check "preview: blank sample stretched to a wide 400x100 host" preview_in_host 400x100 2 preview_blank.png

second_preview() {
  # The guard looks only for the saver and the dialog.
  local first_host=$host first_host_pid=$host_pid first=$npid
  make_host 160x120 || return 1
  start "$work/preview2.out" "/p $((host))"
  sleep 0.8
  local result=0
  kill -0 "$npid" 2>/dev/null && kill -0 "$first" 2>/dev/null || result=1
  [[ "$("$probe" children "$host")" == "1 "*":0,0,160x120,mapped" ]] || result=1
  drop_host
  ended_within "$npid" 3 || result=1
  host=$first_host
  host_pid=$first_host_pid
  npid=$first
  return $result
}
check "preview: a second preview beside a running one is not refused" second_preview
check "preview: ends again with its host" preview_ends_with_host

# --- the settings dialog ---------------------------------------------------------------
dialog_start() {  # dialog_start ARGS...: report in $work/dialog.out
  # A dialog left open by a failed check would make this one end at once.
  local w
  for w in $("$probe" find "Nyamoの設定"); do "$probe" close "$w"; sleep 0.3; done
  export NYAMO_DIALOG_REPORT=1
  start "$work/dialog.out" "$@"
  unset NYAMO_DIALOG_REPORT
  window_named "Nyamoの設定" 5 && wait_report "$work/dialog.out" "state shown" 5
}
click_at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.15; }

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
  ended_within "$npid" 3 && [ "$status" -eq 0 ] &&
    [ "$(cat "$ini")" = "$(printf '[Nyamo Saver]\nCatNum=21\nSaverType=2\nSaverSpeed=6\nSaverScreens=2')" ] || return 1
  # The ticked box comes back from the file.
  dialog_start && report_has "$r" 'state shown opt0=0 opt1=1 bar0=21 bar1=6 label2=" 21" label4=" 6" screens=1' &&
    "$probe" close "$wid" && ended_within "$npid" 3
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
    "$probe" close "$wid" && ended_within "$npid" 3 && grep -q "CatNum=10" "$ini"
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
  ended_within "$npid" 3 && [ "$status" -eq 0 ] && [ "$(cat "$ini")" = "$before" ]
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
  ended_within "$npid" 3 && [ "$status" -eq 0 ] && [ "$(cat "$ini")" = "$before" ]
}
check "dialog: キャンセル after changes writes nothing and ends" dialog_cancel

dialog_close_box() {
  rm -f "$ini"
  dialog_start /c || return 1
  click_at 144 144
  "$probe" close "$wid"
  ended_within "$npid" 3 && [ "$status" -eq 0 ] && [ ! -e "$ini" ]
}
check "dialog: the close box writes nothing and ends" dialog_close_box

# --- no locale -------------------------------------------------------------------------
# The captions are bytes of UTF-8 whatever the locale: a program started
# without one names its windows the same and its guard finds them.
saver_without_locale() {
  settings 5 2 1
  no_locale "$nyamo" /s >"$work/saver.out" 2>&1 &
  npid=$!
  pids+=("$npid")
  window_named Amberpaw 5 || return 1
  local result=0 arg
  [ "$(no_locale "$probe" find Amberpaw | wc -l)" -eq 1 ] || result=1
  "$probe" names "$wid" Amberpaw >/dev/null || result=1
  for arg in /c /s ""; do no_locale timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1; done
  "$probe" find "Nyamoの設定" >/dev/null && result=1
  [ "$("$probe" find Amberpaw | wc -l)" -eq 1 ] || result=1
  xdotool key a
  ended_within "$npid" 3 || result=1
  return $result
}
check "no locale: the saver is found by its caption Amberpaw; its guard ends /c, /s and no argument" saver_without_locale

dialog_without_locale() {
  rm -f "$ini"
  : >"$work/dialog.out"
  no_locale env NYAMO_DIALOG_REPORT=1 "$nyamo" /c >"$work/dialog.out" 2>&1 &
  npid=$!
  pids+=("$npid")
  { window_named "Nyamoの設定" 5 && wait_report "$work/dialog.out" "state shown" 5; } || return 1
  local result=0 arg
  [ "$(no_locale "$probe" find "Nyamoの設定")" = "$wid" ] || result=1
  "$probe" names "$wid" "Nyamoの設定" | sed 's/^/  /'
  [ "${PIPESTATUS[0]}" -eq 0 ] || result=1
  for arg in /s /c "/p $((wid))"; do no_locale timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1; done
  "$probe" find Amberpaw >/dev/null && result=1
  [ "$("$probe" find "Nyamoの設定" | wc -l)" -eq 1 ] || result=1
  "$probe" close "$wid"
  ended_within "$npid" 3 || result=1
  return $result
}
check "no locale: the dialog is found by its caption Nyamoの設定 (UTF-8, compound text); its guard ends /s, /c and /p" \
  dialog_without_locale

dialog_under_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  local wm=$!
  pids+=("$wm")
  sleep 1
  settings 7 2 3
  dialog_start "/c:1234" || { kill "$wm"; return 1; }
  local result=0 parent
  parent=$(xwininfo -id "$wid" -tree | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
  [ "$parent" != "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')" ] || { echo "  not reparented"; result=1; }
  report_has "$work/dialog.out" 'state shown opt0=0 opt1=1 bar0=7 bar1=3 label2=" 7" label4=" 3"' || result=1
  timeout 5 "$nyamo" /s >/dev/null 2>&1 || result=1
  "$probe" find Amberpaw >/dev/null && result=1
  "$probe" close "$wid"
  ended_within "$npid" 3 || result=1
  grep -q "CatNum=7" "$ini" || result=1
  kill "$wm"; wait "$wm" 2>/dev/null
  return $result
}
check "guard and dialog under a reparenting manager (openbox): found, close box ends it" dialog_under_manager

saver_under_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  local wm=$! result=0 info
  pids+=("$wm")
  sleep 1
  make_host 300x200 || result=1       # a managed window with a frame
  saver_start 10 2 10 || result=1
  sleep 0.5
  info=$("$probe" info "$wid")
  [ "$info" = "0 0 1024 768 override=1 mapped=1" ] || { echo "  saver window: $info"; result=1; }
  "$probe" on-top "$wid" >/dev/null || result=1
  "$probe" keyboard-grabbed >/dev/null || result=1
  xdotool key space
  ended_within "$npid" 3 || result=1
  drop_host
  kill "$wm"; wait "$wm" 2>/dev/null
  return $result
}
check "saver under a window manager (openbox): exact, on top, keyboard grabbed, a key ends it" saver_under_manager

guard_reads_wm_name() {
  # Another client names a window "Nyamoの設定" through WM_NAME alone, in
  # compound text: the guard decodes it and refuses to start.
  : >"$work/named.out"
  "$probe" host 60x40 "Nyamoの設定" >"$work/named.out" &
  local named=$! i id="" result=0
  pids+=("$named")
  for i in $(seq 200); do id=$(head -n 1 "$work/named.out"); [ -n "$id" ] && break; sleep 0.05; done
  [ -n "$id" ] || result=1
  [ "$(xprop -id "$id" WM_NAME | cut -d' ' -f1)" = "WM_NAME(COMPOUND_TEXT)" ] || result=1
  no_locale timeout 5 "$nyamo" /s >/dev/null 2>&1 || result=1
  "$probe" find Amberpaw >/dev/null && result=1
  kill "$named"; wait "$named" 2>/dev/null
  return $result
}
check "no locale: the guard decodes a window named by WM_NAME alone in compound text" guard_reads_wm_name

# --- where the settings live ------------------------------------------------------------
# The checks need a user whom the file system can refuse. Run by root (as CI
# does), the suite plays that user as "nobody" and hands folders over with
# chown; run by an ordinary user, it is that user and takes write access
# away with chmod.
as_user() { run_as "$suite_account" "$@"; }   # as_user HOME COMMAND...
user_missing=$suite_account_missing
if [ "$(id -u)" -eq 0 ]; then
  let_user_write() { chown "$suite_account" "$@"; }
  keep_user_out() { chown root "$@" && chmod 755 "$@"; }
else
  let_user_write() { chmod u+w "$@"; }
  keep_user_out() { chmod 555 "$@"; }
fi
# dialog_as_user HOME: the dialog started by that user; its pid in $npid.
# Returns once it is shown.
dialog_as_user() {
  : >"$work/dialog.out"
  as_user "$1" env NYAMO_DIALOG_REPORT=1 "$nyamo" /c >"$work/dialog.out" 2>&1 &
  npid=$!
  pids+=("$npid")
  window_named "Nyamoの設定" 5 && wait_report "$work/dialog.out" "state shown" 5
}
# press_ok_expecting_failure: OK, the failed save's message, which waits for
# the user, then Return on it.
press_ok_expecting_failure() {
  click_at 255 32
  wait_report "$work/dialog.out" "alert The settings were not saved" 3 || return 1
  sleep 0.5
  kill -0 "$npid" 2>/dev/null || return 1
  local alert
  alert=$("$probe" find Nyamo | head -n 1)
  [ -n "$alert" ] || { echo "  no message window"; return 1; }
  xdotool mousemove --window "$alert" 20 20 key Return
}

xdg_fallback() {
  # The user may not write in the program's folder.
  mkdir -p "$work/home"
  let_user_write "$work/home"
  rm -f "$ini"
  keep_user_out "$work/bin"
  dialog_as_user "$work/home" || return 1
  click_at 255 32
  ended_within "$npid" 3 && [ ! -e "$ini" ] && grep -q "CatNum=20" "$work/home/.config/nyamo/Nyamo_07.ini"
}

save_failure_shown() {
  # Neither the program's folder nor the home folder takes a file.
  mkdir -p "$work/closedhome"
  keep_user_out "$work/bin" "$work/closedhome"
  dialog_as_user "$work/closedhome" || return 1
  press_ok_expecting_failure || return 1
  ended_within "$npid" 3 && [ ! -e "$work/closedhome/.config" ]
}

read_only_settings_kept() {
  # The user may write in the program's folder but has made the settings
  # file read-only: the save fails and says so, and the file stays as it was.
  let_user_write "$work/bin"
  printf '[Nyamo Saver]\nCatNum=9\n' >"$ini"
  let_user_write "$ini"
  chmod 444 "$ini"
  cp "$ini" "$work/ini.before"
  local result=0
  { dialog_as_user "$work/home" && press_ok_expecting_failure; } || result=1
  ended_within "$npid" 3 || { result=1; kill "$npid" 2>/dev/null; }
  cmp -s "$ini" "$work/ini.before" || result=1
  [ "$(stat -c %a "$ini")" = 444 ] || result=1
  return $result
}

settings_checks=(
  "settings: an unwritable program folder saves to ~/.config/nyamo|xdg_fallback"
  "settings: a failed save is shown, then the dialog closes|save_failure_shown"
  "settings: a read-only settings file is kept and the failed save shown|read_only_settings_kept"
)
for entry in "${settings_checks[@]}"; do
  if [ -n "$user_missing" ]; then skip "${entry%|*}" "$user_missing"; else check "${entry%|*}" "${entry#*|}"; fi
done
# The folder is the suite's own again, for the checks below.
if [ "$(id -u)" -eq 0 ]; then chown root "$work/bin"; fi
chmod 755 "$work/bin"
rm -f "$ini"

# --- the xscreensaver hack -----------------------------------------------------------------
hack_in_window() {
  settings 20 1 5
  make_host 300x200 || return 1
  start "$work/hack.out" -window-id "$host" -count 12 -speed 10 -blank
  sleep 1.5
  local stats total black colours
  stats=$("$probe" stats "$host" 0 0 300 200)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $stats"
  kill -0 "$npid" 2>/dev/null || { echo "  the hack ended: $(cat "$work/hack.out")"; return 1; }
  [ "$black" -gt $((total * 50 / 100)) ] && [ "$black" -lt "$total" ] && [ "$colours" -gt 8 ]
}
check "hack: -window-id draws kittens over black into the given window" hack_in_window

hack_ignores_input() {
  xdotool mousemove_relative 5 5 key a click 1
  sleep 0.5
  kill -0 "$npid" 2>/dev/null
}
check "hack: input is left to xscreensaver (no end on a move, key or click)" hack_ignores_input

# Nothing to see, nothing to draw: a window mapped over the whole of the
# hack's window stops its uploads (counted from the server's side); the
# flock walks on, and frames come again once the cover goes.
hack_idles_while_covered() {
  local shown covered again cover_pid
  shown=$("$probe" uploads 1)
  "$probe" host 1024x768 >/dev/null &
  cover_pid=$!
  pids+=("$cover_pid")
  sleep 0.5
  covered=$("$probe" uploads 1)
  kill "$cover_pid"; wait "$cover_pid" 2>/dev/null
  sleep 0.3
  again=$("$probe" uploads 1)
  echo "  uploads in 1 s: $shown shown, $covered covered, $again uncovered"
  kill -0 "$npid" 2>/dev/null && [ "$shown" -gt 10 ] && [ "$covered" -eq 0 ] && [ "$again" -gt 10 ]
}
check "hack: no frame is composed or sent while its window is wholly covered" hack_idles_while_covered

hack_ends_with_window() {
  drop_host
  ended_within "$npid" 3 && [ "$status" -eq 0 ]
}
check "hack: ends when its window is destroyed" hack_ends_with_window

hack_from_environment() {
  make_host 200x150 || return 1
  local result=0
  # /c stays the settings dialog even inside xscreensaver's environment.
  XSCREENSAVER_WINDOW=$host timeout 5 "$nyamo" /a >/dev/null 2>&1 || result=1
  # xscreensaver runs its hacks with -root and names its own window.
  XSCREENSAVER_WINDOW=$host "$nyamo" -root -count 5 -speed 10 >"$work/hack.out" 2>&1 &
  npid=$!
  pids+=("$npid")
  sleep 2   # kittens start beyond the edges
  local stats
  stats=$("$probe" stats "$host" 0 0 200 150)
  echo "  $stats"
  [[ "$stats" == *"colours=1" ]] && result=1         # still the host's plain white
  drop_host
  ended_within "$npid" 3 || result=1
  return $result
}
check "hack: XSCREENSAVER_WINDOW names the window, also with -root; /a still ends at once" hack_from_environment

hack_on_root() {
  start "$work/hack.out" -root -count 15 -speed 10 -blank
  sleep 1.5
  local stats total black colours result=0
  stats=$("$probe" stats root 0 0 1024 768)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $stats"
  [ "$black" -gt $((total * 80 / 100)) ] && [ "$black" -lt "$total" ] && [ "$colours" -gt 8 ] || result=1
  no_window || result=1                  # no window of its own
  kill -0 "$npid" 2>/dev/null || result=1
  kill "$npid"                           # how xscreensaver ends a hack
  ended_within "$npid" 3 || result=1
  return $result
}
check "hack: -root draws kittens over black on the root window, ends on SIGTERM" hack_on_root

hack_bad_input() {
  timeout 5 "$nyamo" -window-id 0x7ffff00 >/dev/null 2>&1
  local missing=$?
  timeout 5 "$nyamo" -root -count many >/dev/null 2>&1
  local bad=$?
  echo "  missing window: $missing, bad option: $bad"
  [ "$missing" -eq 1 ] && [ "$bad" -eq 2 ]
}
check "hack: a missing window and a bad option end with distinct errors" hack_bad_input

dialog_at_120_dpi() {
  # Xft.dpi 120 is 12 twips per pixel: 8-point fonts (13 pixels), the options'
  # design twips give larger boxes, the client stays 300 x 200.
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	120
"
  rm -f "$ini"
  dialog_start
  local started=$? r=$work/dialog.out result=0
  xprop -root -remove RESOURCE_MANAGER
  [ $started -eq 0 ] || return 1
  report_has "$r" "window 362 284 300 200" &&
    report_has "$r" 'control Opt0 40 30 176 36 size=13' && report_has "$r" 'control Opt1 40 70 176 36 size=13' &&
    report_has "$r" 'control Label1 20 115 90 20 size=13' && report_has "$r" 'control But1 220 50 70 25 size=13' &&
    report_has "$r" 'control AllScreens 217 82 78 22 size=13' || result=1
  "$probe" close "$wid"
  ended_within "$npid" 3 || result=1
  return $result
}
check "dialog: at 120 dots per inch the client is 300x200, fonts 8 points, options in twips" dialog_at_120_dpi

# --- the dialog at every scale ------------------------------------------------------------
# Up to 120 dots per inch the dialog keeps its design; above (Xft.dpi 144,
# 192) it scales its 96-dpi layout by dpi / 96 and its texts keep their 96-dpi
# points, so it has its 96-dpi physical size. The checks judge the dialog's own
# report: each control's box, its text's width and its line's height in its font.
dialog_at_dpi() {  # dialog_at_dpi DPI: the dialog at that scale, its report in $work/dialog.out
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$1
"
  rm -f "$ini"
  dialog_start
  local started=$?
  xprop -root -remove RESOURCE_MANAGER
  return $started
}
layout_faults() {  # layout_faults REPORT: one line per fault in the dialog's layout
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
# points_differ REPORT96 REPORT DPI: the texts whose size in points (pixels x 72 / dpi) is not
# that at 96 dpi; a pixel size rounded at each scale may differ by under a point's worth of a pixel.
points_differ() {
  awk -v dpi="$3" '
    $1 != "control" || $2 ~ /HScroll/ { next }
    { split($7, a, "="); size = a[2] }
    FNR == NR { at96[$2] = size; next }
    size + 0 == 0 || at96[$2] + 0 == 0 { print $2 ": no font size in the report"; next }
    { d = size * 96 / dpi - at96[$2]; if (d <= -1 || d >= 1) print $2 " " size " px (" at96[$2] " at 96 dpi)" }' "$1" "$2" | paste -sd' '
}
dialog_scales() {
  local dpi faults result=0 line opts wx wy ww wh
  for dpi in 96 120 144 192; do
    dialog_at_dpi "$dpi" || { echo "  $dpi dpi: no dialog"; result=1; continue; }
    faults=$(layout_faults "$work/dialog.out")
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
      [ -z "$(points_differ "$work/dialog96.out" "$work/dialog.out" "$dpi")" ] ||
        faults="$faults; texts not at their 96-dpi points: $(points_differ "$work/dialog96.out" "$work/dialog.out" "$dpi")"
    fi
    [ -z "$faults" ] || { echo "  $dpi dpi: $faults" | paste -sd' '; result=1; }
    # Real clicks at the centres of OK, then (a second start) キャンセル.
    line=$(grep '^control But0 ' "$work/dialog.out")
    read -r _ _ bx by bw bh _ <<<"$line"
    click_at $((bx + bw / 2)) $((by + bh / 2))
    ended_within "$npid" 3 && [ "$status" -eq 0 ] && grep -q "CatNum=20" "$ini" || { echo "  $dpi dpi: OK did not save and end"; result=1; }
    dialog_at_dpi "$dpi" || { result=1; continue; }
    line=$(grep '^control But1 ' "$work/dialog.out")
    read -r _ _ bx by bw bh _ <<<"$line"
    click_at $((bx + bw / 2)) $((by + bh / 2))
    ended_within "$npid" 3 && [ "$status" -eq 0 ] && [ ! -e "$ini" ] || { echo "  $dpi dpi: キャンセル did not end without writing"; result=1; }
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
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  local wm=$! result=0 hints actions
  pids+=("$wm")
  sleep 1
  rm -f "$ini"
  dialog_start /c || { kill "$wm"; return 1; }
  sleep 0.5
  hints=$(xprop -id "$wid" _MOTIF_WM_HINTS)
  actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
  echo "  $hints"
  echo "  $actions"
  # Functions: move and close; decorations: border, title, window menu.
  [[ $hints == *"= 0x3, 0x24, 0x1a"* ]] || result=1
  [[ $actions == *_NET_WM_ACTION_CLOSE* ]] || result=1
  [[ $actions == *MAXIMIZE* || $actions == *_NET_WM_ACTION_RESIZE* ]] && result=1
  "$probe" close "$wid"
  ended_within "$npid" 3 || result=1
  kill "$wm"; wait "$wm" 2>/dev/null
  return $result
}
check "dialog under openbox: Motif hints ask for move and close only; openbox allows close, no maximise or resize" dialog_close_box_only

primary_monitor() {
  # Two monitors side by side, the right one (400 pixels on) primary.
  "$probe" monitors 400 624 || return 1
  local result=0 info
  saver_start 10 2 10 || result=1
  sleep 0.3
  info=$("$probe" info "$wid")
  [ "$info" = "400 0 624 768 override=1 mapped=1" ] || { echo "  saver window: $info"; result=1; }
  xdotool key a
  ended_within "$npid" 3 || result=1
  rm -f "$ini"
  if dialog_start; then
    report_has "$work/dialog.out" "window 562 284 300 200" || { grep '^window' "$work/dialog.out"; result=1; }
    "$probe" close "$wid"
    ended_within "$npid" 3 || result=1
  else
    result=1
  fi
  "$probe" monitors off
  return $result
}
check "saver and dialog: the primary of two RandR monitors (saver covers it, dialog centred on it)" primary_monitor

without_shm() {
  # A second server without MIT-SHM and with 16-bit colour: frames go up
  # through plain XPutImage and are converted pixel by pixel.
  local saved=$DISPLAY result=0 second
  start_private_xvfb 640x480x16 "$work/xvfb2.log" -extension MIT-SHM || { export DISPLAY=$saved; return 1; }
  second=$XVFB_PID
  pids+=("$second")
  if xdpyinfo | grep -q MIT-SHM; then echo "  MIT-SHM still offered"; result=1; fi
  saver_start 20 2 10 || result=1
  sleep 1.2
  if ipcs -m -p | awk -v pid="$npid" '$3 == pid { found = 1 } END { exit !found }'; then
    echo "  shared memory used without MIT-SHM"; result=1
  fi
  local stats total black colours
  stats=$("$probe" stats root 0 0 640 480)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $stats"
  [ "$black" -gt $((total * 70 / 100)) ] && [ "$black" -lt "$total" ] && [ "$colours" -gt 8 ] || result=1
  xdotool key a
  ended_within "$npid" 3 || result=1
  export DISPLAY=$saved
  kill "$second"; wait "$second" 2>/dev/null
  return $result
}
check "saver: kittens on a 16-bit server without MIT-SHM (XPutImage fallback)" without_shm

# --- the hack's options, its defaults and any visual ------------------------------------
hack_standard_options() {
  # Every option xscreensaver's own hacks accept, as the daemon and its
  # settings tool pass them: the hack runs and says nothing.
  make_host 200x150 || return 1
  local result=0 args
  for args in "-root -fps" "-display $DISPLAY -root" "-root -install" "-root -visual default" \
              "--root --noinstall --mono --pair --no-fps" "--root --count 3 --speed 10 --desktop"; do
    XSCREENSAVER_WINDOW=$host "$nyamo" $args >"$work/hack.out" 2>&1 &
    npid=$!
    pids+=("$npid")
    sleep 0.6
    if ! kill -0 "$npid" 2>/dev/null; then echo "  '$args' ended: $(cat "$work/hack.out")"; result=1; continue; fi
    kill "$npid"
    ended_within "$npid" 3 || result=1
    if [ -s "$work/hack.out" ]; then echo "  '$args' said: $(cat "$work/hack.out")"; result=1; fi
  done
  drop_host
  return $result
}
check "hack: the standard options (-fps, -display, -install, -visual, ...) are accepted" hack_standard_options

hack_unknown_option() {
  local out rc result=0 args
  for args in "--root --bogus" "-root -fps -frobnicate" "--window --count" "--fps /s"; do
    out=$(timeout 5 "$nyamo" $args 2>&1)
    rc=$?
    if [ $rc -ne 2 ] || ! grep -q '^usage: nyamo .*\[--fps\]' <<<"$out" || "$probe" find Nyamo >/dev/null || ! no_window; then
      echo "  '$args': status $rc: $out"
      result=1
    fi
  done
  return $result
}
check "hack: an unknown option ends with a usage message and status 2, no window" hack_unknown_option

hack_own_window() {
  start "$work/hack.out" --window --count 10 --speed 10 --blank
  window_named Nyamo 5 || return 1
  sleep 1.5
  local stats total black colours info
  info=$("$probe" info "$wid")
  stats=$("$probe" stats "$wid" 0 0 640 480)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $info; $stats"
  [[ "$info" == *" 640 480 override=0 mapped=1" ]] && [ "$black" -gt $((total * 50 / 100)) ] &&
    [ "$black" -lt "$total" ] && [ "$colours" -gt 8 ]
}
check "hack: --window opens a 640x480 window of its own with kittens" hack_own_window

# Iconified (unmapped) the window shows nothing: no upload at all until it
# is mapped again. Counted from the server's side.
hack_own_window_unmapped() {
  local shown hidden again
  shown=$("$probe" uploads 1)
  "$probe" unmap "$wid"
  sleep 0.3
  hidden=$("$probe" uploads 1)
  "$probe" map "$wid"
  sleep 0.3
  again=$("$probe" uploads 1)
  echo "  uploads in 1 s: $shown mapped, $hidden unmapped, $again mapped again"
  kill -0 "$npid" 2>/dev/null && [ "$shown" -gt 10 ] && [ "$hidden" -eq 0 ] && [ "$again" -gt 10 ]
}
check "hack: --window unmapped sends no frame, mapped again draws on" hack_own_window_unmapped

hack_own_window_close() {
  # Another client's message that happens to carry the WM_DELETE_WINDOW
  # atom is no close request; the window manager's protocol message is.
  "$probe" message "$wid" _NYAMO_OTHER_PROTOCOL
  sleep 0.5
  kill -0 "$npid" 2>/dev/null || { echo "  ended on a message of another type"; return 1; }
  "$probe" close "$wid"
  ended_within "$npid" 3 && [ "$status" -eq 0 ]
}
check "hack: --window ends on WM_DELETE_WINDOW from the close box, not on other client messages" hack_own_window_close

corner_white() {  # corner_white WINDOW HEIGHT: the share of white pixels in the bottom-left 90x16
  "$probe" save "$1" "$work/corner.ppm" || { echo 0; return; }
  convert "$work/corner.ppm" -crop "90x16+0+$(($2 - 18))" +repage -fill black +opaque white -format '%[fx:mean]' info:
}
hack_fps() {
  make_host 320x240 || return 1
  local with without
  # One kitten over black: the corner stays black but for the text.
  start "$work/hack.out" -window-id "$host" -count 1 -blank -fps
  sleep 2.5
  with=$(corner_white "$host" 240)
  kill "$npid"
  ended_within "$npid" 3
  start "$work/hack.out" -window-id "$host" -count 1 -blank
  sleep 2.5
  without=$(corner_white "$host" 240)
  kill "$npid"
  ended_within "$npid" 3
  drop_host
  echo "  white in the bottom-left corner: $with with -fps, $without without"
  awk -v a="$with" -v b="$without" 'BEGIN { exit !(a > 0.03 && b < 0.01) }'
}
check "hack: -fps shows the frame rate in the bottom-left corner" hack_fps

# A reading one glyph shorter than the last ("FPS: 3.1" after "FPS: 30.2")
# leaves nothing of the old one. The process is stopped for a while so that
# the next reading is low; "fixed" is 6 pixels a glyph from x = 6, so the
# ninth glyph of the old text lies at x 54 to 59.
hack_fps_shrinks() {
  make_host 320x240 || return 1
  # About 50 frames a second at speed 10: readings of nine glyphs; after six
  # seconds stopped, at most about 8 frames a second: eight glyphs.
  start "$work/hack.out" -window-id "$host" -count 1 -speed 10 -blank -fps
  sleep 2.5
  local before ninth text result=0
  before=$(corner_columns 54 6)
  kill -STOP "$npid"; sleep 6; kill -CONT "$npid"
  sleep 0.5
  "$probe" save "$host" "$work/corner.ppm" || result=1
  ninth=$(convert "$work/corner.ppm" -crop "6x16+54+222" +repage -fill black +opaque white -format '%[fx:mean]' info:)
  text=$(convert "$work/corner.ppm" -crop "48x16+6+222" +repage -fill black +opaque white -format '%[fx:mean]' info:)
  kill "$npid"
  ended_within "$npid" 3 || result=1
  drop_host
  echo "  white in the ninth glyph's place: $before at full rate, $ninth after the short reading (text: $text)"
  awk -v b="$before" -v n="$ninth" -v t="$text" 'BEGIN { exit !(b > 0.03 && n == 0 && t > 0.03) }' || result=1
  return $result
}
corner_columns() {  # corner_columns X WIDTH: white share in that column band of the 240-high host's caption rows
  "$probe" save "$host" "$work/corner.ppm" || { echo 0; return; }
  convert "$work/corner.ppm" -crop "${2}x16+${1}+222" +repage -fill black +opaque white -format '%[fx:mean]' info:
}
check "hack: -fps clears what a longer reading left (FPS: 9.9 after FPS: 10.0)" hack_fps_shrinks

hack_on_visual() {  # hack_on_visual DEPTH: kittens in the right colours on a screen of that depth
  local saved=$DISPLAY result=0 second
  start_private_xvfb 640x480x"$1" "$work/xvfb-$1.log" || { export DISPLAY=$saved; return 1; }
  second=$XVFB_PID
  pids+=("$second")
  echo "  $(xdpyinfo | grep -m1 -E 'depth of root') $(xwininfo -root | grep -m1 'Visual Class')"
  start "$work/hack.out" -root -count 20 -speed 10 -blank
  sleep 2
  local stats total black colours greys lit grey
  stats=$("$probe" stats root 0 0 640 480)
  greys=$("$probe" greys root 0 0 640 480)
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  read -r lit grey <<<"$(sed 's/[a-z]*=//g' <<<"$greys")"
  echo "  $stats $greys"
  # Mostly black, kittens of several shades, most of them grey.
  [ "$black" -gt $((total * 70 / 100)) ] && [ "$black" -lt "$total" ] && [ "$colours" -gt 4 ] &&
    [ "$grey" -gt $((lit * 60 / 100)) ] || result=1
  kill "$npid"
  ended_within "$npid" 3 || result=1
  export DISPLAY=$saved
  kill "$second"; wait "$second" 2>/dev/null
  return $result
}
check "visual: kittens on an 8-bit PseudoColor screen (a colour cube on its colormap)" hack_on_visual 8
check "visual: kittens on a 16-bit TrueColor screen" hack_on_visual 16
check "visual: kittens on a 30-bit TrueColor screen" hack_on_visual 30

# --- under the real xscreensaver -------------------------------------------------------------
# The daemon will not run hacks as root: as root the suite runs it as nobody,
# otherwise as the user running the suite. Every daemon check takes the
# account to use.
daemon_account=$suite_account
xss_home=$work/xss-home
as_account() { run_as "$1" "$xss_home" "${@:2}"; }  # as_account ACCOUNT COMMAND...: HOME the daemon's test folder
live_hacks() {  # the hack processes that run (an ended one may stay a zombie for a while)
  local p
  for p in $(pgrep -f -- "^$nyamo --root"); do
    [ "$(ps -o stat= -p "$p" | cut -c1)" = Z ] || echo "$p"
  done
}
daemon_start() {  # daemon_start ACCOUNT GRAB HACK-OPTIONS: the daemon with Nyamo alone in its list
  rm -rf "$xss_home"
  mkdir -p "$xss_home/.config/nyamo"
  # Locking, fading and the splash off; grabDesktopImages as asked.
  local grab="grabDesktopImages:	$2"
  [ "$2" = - ] && grab="! grabDesktopImages from the resource files"
  printf '%s\n' "timeout:	0:30:00" "lock:		False" "fade:		False" "unfade:		False" "splash:		False" \
    "dpmsEnabled:	False" "mode:		one" "selected:	0" "$grab" \
    "programs:	\"Nyamo\" $nyamo --root $3 \\n" >"$xss_home/.xscreensaver"
  # A settings file that asks for one slow kitten over black, where the
  # hack's account would read it: the hack must not.
  printf '[Nyamo Saver]\nCatNum=1\nSaverType=2\nSaverSpeed=1\n' | tee "$ini" >"$xss_home/.config/nyamo/Nyamo_07.ini"
  daemon_launch "$1"
}
daemon_launch() {  # daemon_launch ACCOUNT: the daemon on the settings already in $xss_home
  [ "$(id -u)" -eq 0 ] && chown -R "$1" "$xss_home"
  as_account "$1" xscreensaver -no-splash -verbose >"$work/xss.log" 2>&1 &
  daemon_pid=$!
  pids+=("$daemon_pid")
  local i
  for i in $(seq 100); do
    as_account "$1" xscreensaver-command -time >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "  the daemon does not answer:"; tail -n 5 "$work/xss.log"
  return 1
}
daemon_activate() {  # daemon_activate ACCOUNT: blank, and wait for the hack
  as_account "$1" xscreensaver-command -activate >/dev/null 2>&1 || return 1
  blanked_at=$(date +%s%N)
  local i
  for i in $(seq 100); do [ -n "$(live_hacks)" ] && return 0; sleep 0.05; done
  echo "  no hack started:"; tail -n 5 "$work/xss.log"
  return 1
}
# The daemon ignores a key or a pointer move in the first second or so after
# it blanks (measured: a key 1.0 s after -activate or -select is dropped,
# one at 1.4 s ends the hack), so a user's key comes later than that.
key_after_blanking() {  # key_after_blanking KEY: the key, 2 s after the blanking at the earliest
  local left=$(( (blanked_at + 2000000000 - $(date +%s%N)) / 1000000 ))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  xdotool key "$1"
}
no_hack_within() {  # no_hack_within SECONDS
  local i
  for i in $(seq $(($1 * 20))); do [ -z "$(live_hacks)" ] && return 0; sleep 0.05; done
  echo "  hack still running: $(live_hacks)"
  return 1
}
daemon_stop() {
  # xscreensaver 6 draws through a child, xscreensaver-gfx, that outlives a
  # killed daemon for a while; left alone it would answer the next check's
  # commands with the previous check's settings and environment.
  local p i children
  children=$(pgrep -P "$daemon_pid")
  kill "$daemon_pid" 2>/dev/null
  wait "$daemon_pid" 2>/dev/null
  for p in $children; do kill "$p" 2>/dev/null; done
  for i in $(seq 60); do
    kill -0 $children 2>/dev/null || break
    sleep 0.05
  done
  for p in $(live_hacks); do kill "$p"; done
}
hack_complained() {  # the hack's own messages in the daemon's log
  if grep -E '^nyamo: |usage: nyamo' "$work/xss.log"; then return 0; fi
  return 1
}

daemon_desktop() {  # daemon_desktop ACCOUNT [GRAB]: GRAB "-" leaves grabDesktopImages to the resources
  "$probe" paint-root && "$probe" save root "$work/desktop.ppm" || return 1
  daemon_start "$1" "${2:-True}" "" && daemon_activate "$1" || { daemon_stop; return 1; }
  # The desktop shows through everywhere but under the kittens. They come
  # in from beyond the edges at the default speed, after the daemon's black
  # window and the hack's first frame: look for up to 15 seconds.
  local differ total result=1 i
  for i in $(seq 30); do
    read -r differ total <<<"$("$probe" compare root "$work/desktop.ppm")"
    if [ "$differ" -gt 2000 ] && [ "$differ" -lt $((total * 20 / 100)) ]; then result=0; break; fi
    sleep 0.5
  done
  echo "  $differ of $total pixels differ from the desktop"
  grep -m1 'saved screenshot' "$work/xss.log" | sed 's/^/  /'
  as_account "$1" xscreensaver-command -deactivate >/dev/null 2>&1 || result=1
  no_hack_within 3 || result=1
  hack_complained && result=1
  daemon_stop
  return $result
}
check "xscreensaver: kittens walk over the desktop the root showed (grabDesktopImages on); the command deactivates" \
  daemon_desktop "$daemon_account"

# root_kittens_over_black: within 15 s the root is mostly black, with kittens
# of many shades once they have walked in; prints the last reading.
root_kittens_over_black() {
  local stats total black colours i
  for i in $(seq 30); do
    stats=$("$probe" stats root 0 0 1024 768)
    read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
    if [ "$black" -gt $((total * 80 / 100)) ] && [ "$black" -lt $((total - 2000)) ] && [ "$colours" -gt 8 ]; then
      echo "$stats"
      return 0
    fi
    sleep 0.5
  done
  echo "$stats"
  return 1
}

daemon_over_black() {  # daemon_over_black ACCOUNT GRAB HACK-OPTIONS
  "$probe" paint-root || return 1
  daemon_start "$1" "$2" "$3" && daemon_activate "$1" || { daemon_stop; return 1; }
  local stats result=1 i
  stats=$(root_kittens_over_black) && result=0
  echo "  $stats"
  if [[ "$3" == *--fps* ]]; then
    local white  # the first reading comes after a second of frames
    for i in $(seq 10); do
      white=$(corner_white root 768)
      awk -v a="$white" 'BEGIN { exit !(a > 0.03) }' && break
      sleep 0.5
    done
    echo "  white in the bottom-left corner: $white"
    awk -v a="$white" 'BEGIN { exit !(a > 0.03) }' || result=1
  fi
  key_after_blanking a
  no_hack_within 3 || result=1
  hack_complained && result=1
  daemon_stop
  return $result
}
# Without a word in ~/.xscreensaver the resource files decide, found where
# libXt finds them for xscreensaver's own programs: here the user's
# app-defaults named by XUSERFILESEARCHPATH.
daemon_desktop_from_resources() {  # daemon_desktop_from_resources ACCOUNT
  mkdir -p "$work/app-defaults"
  printf '*grabDesktopImages:\tTrue\n' >"$work/app-defaults/XScreenSaver"
  chmod -R a+rX "$work/app-defaults"
  local result=0
  XUSERFILESEARCHPATH="$work/app-defaults/%N" daemon_desktop "$1" - || result=1
  return $result
}
check "xscreensaver: grabDesktopImages from the user's app-defaults (XUSERFILESEARCHPATH) shows the desktop" \
  daemon_desktop_from_resources "$daemon_account"
check "xscreensaver: over black with grabDesktopImages off; a key deactivates" daemon_over_black "$daemon_account" False ""
check "xscreensaver: over black with --blank, also with Show frame rate (--fps)" \
  daemon_over_black "$daemon_account" True "--blank --fps"

daemon_settings_tool() {  # daemon_settings_tool ACCOUNT
  # The settings tool reads its configs from one fixed folder: a private
  # mount shows it Debian's configs and ours without touching the system.
  mkdir -p "$work/xss-config"
  cp /usr/share/xscreensaver/config/*.xml "$build/platform/linux/nyamo.xml" "$work/xss-config/"
  chmod -R a+rX "$work/xss-config"
  daemon_start "$1" True "" || { daemon_stop; return 1; }
  timeout 20 unshare -m sh -c 'mount --bind "$0" /usr/share/xscreensaver/config && exec "$@"' \
    "$work/xss-config" env HOME="$xss_home" setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups \
    xscreensaver-settings --debug >"$work/settings.log" 2>&1
  local result=0 p
  for p in $(live_hacks); do kill "$p"; done   # the tool's preview
  grep -q 'reading .*/config/nyamo.xml' "$work/settings.log" || { echo "  nyamo.xml not read"; result=1; }
  if grep -E 'WARNING: .*nyamo.xml|^nyamo: |usage: nyamo' "$work/settings.log"; then result=1; fi
  hack_complained && result=1
  daemon_stop
  return $result
}
# private_mount_refusal: empty when a private mount namespace can be made
# here, else why not (inside a chroot, for one, the root is no mount point).
private_mount_refusal() {
  local said
  said=$(unshare -m sh -c 'mount --bind "$0" "$0"' "$work" 2>&1) && return 0
  echo "${said%%$'\n'*}"
  [ -n "$said" ] || echo "unshare -m failed"
}
if [ "$(id -u)" -ne 0 ]; then
  skip "xscreensaver: the settings tool reads nyamo.xml" "needs root for a private mount over its config folder"
elif refusal=$(private_mount_refusal) && [ -n "$refusal" ]; then
  skip "xscreensaver: the settings tool reads nyamo.xml" "no private mount over its config folder here ($refusal)"
else
  check "xscreensaver: the settings tool reads nyamo.xml without a warning and previews the hack quietly" \
    daemon_settings_tool "$daemon_account"
fi

# --- under valgrind's memcheck ----------------------------------------------------------------
# Xlib and FLTK are not built with the sanitizers, so a read of memory they
# freed (a GC freed on a closed display, an image after its window) shows
# only under memcheck. Each run is a few seconds of the program's life at
# start and end; any error makes the run end with status 97. Leaks are not
# errors here: the process ends right after, and the libraries keep caches.
memcheck_log() { echo "$work/memcheck-$1.log"; }
start_memcheck() {  # start_memcheck NAME ARGS...: nyamo under memcheck in the background, its pid in $npid
  local name=$1; shift
  : >"$(memcheck_log "$name")"
  valgrind --tool=memcheck -q --error-exitcode=97 --errors-for-leak-kinds=none --leak-check=no \
    --suppressions="$here/valgrind.supp" --log-file="$(memcheck_log "$name")" "$nyamo" "$@" \
    >"$work/memcheck-$name.out" 2>&1 &
  npid=$!
  pids+=("$npid")
}
memcheck_clean() {  # memcheck_clean NAME: ended with status 0 and nothing in the log
  if [ "$status" -ne 0 ] || [ -s "$(memcheck_log "$1")" ]; then
    echo "  status $status; memcheck said:"
    head -n 40 "$(memcheck_log "$1")" | sed 's/^/  /'
    return 1
  fi
}
memcheck_hack_own_window() {
  start_memcheck own --window --count 5 --speed 10 --blank --fps
  window_named Nyamo 30 || return 1
  sleep 3   # long enough for a frame-rate caption
  "$probe" close "$wid"
  ended_within "$npid" 30 || return 1
  memcheck_clean own
}
memcheck_hack_target_destroyed() {
  make_host 320x240 || return 1
  start_memcheck target -window-id "$host" -count 5 -speed 10 -fps
  # Started under memcheck the hack takes seconds to reach its window: the
  # window goes only once it draws (the host's plain white is one colour).
  local i stats=""
  for i in $(seq 60); do
    stats=$("$probe" stats "$host" 0 0 320 240)
    [[ "$stats" != *"colours=1" ]] && break
    sleep 0.5
  done
  sleep 2
  drop_host
  ended_within "$npid" 30 || return 1
  memcheck_clean target
}
memcheck_saver() {
  settings 10 2 10
  start_memcheck saver /s
  window_named Amberpaw 30 || return 1
  sleep 3
  xdotool mousemove_relative 5 5
  ended_within "$npid" 30 || return 1
  memcheck_clean saver
}
memcheck_preview() {
  settings 10 1 5
  make_host 200x150 || return 1
  start_memcheck preview "/p $((host))"
  local i kids=""
  for i in $(seq 300); do kids=$("$probe" children "$host"); [[ "$kids" == *" mapped"* || "$kids" == *",mapped"* ]] && break; sleep 0.1; done
  sleep 1
  drop_host
  ended_within "$npid" 30 || return 1
  memcheck_clean preview
}
memcheck_dialog() {
  rm -f "$ini"
  local w
  for w in $("$probe" find "Nyamoの設定"); do "$probe" close "$w"; sleep 0.3; done
  start_memcheck dialog /c
  window_named "Nyamoの設定" 30 || return 1
  sleep 2
  click_at 144 144        # a change first, which キャンセル must forget
  click_at 255 62         # キャンセル
  ended_within "$npid" 30 || return 1
  memcheck_clean dialog && [ ! -e "$ini" ]
}
if ! command -v valgrind >/dev/null; then
  for name in "the hack's own window with -fps" "the hack's target destroyed" "a saver start and wake" \
              "a preview whose host goes" "a dialog opened and cancelled"; do
    skip "memcheck: $name" "valgrind is not installed"
  done
else
  check "memcheck: the hack's own window with -fps, started and closed, no memory error" memcheck_hack_own_window
  check "memcheck: the hack's -window-id target destroyed under it, no memory error" memcheck_hack_target_destroyed
  check "memcheck: a saver started and woken by the pointer, no memory error" memcheck_saver
  check "memcheck: a preview whose host goes, no memory error" memcheck_preview
  check "memcheck: a dialog opened and cancelled, no memory error" memcheck_dialog
fi

install_rules() {
  cmake --install "$build" --prefix "$work/prefix" --component Unspecified >/dev/null 2>&1 || return 1
  local xml=$work/prefix/share/xscreensaver/config/nyamo.xml
  [ -x "$work/prefix/libexec/xscreensaver/nyamo" ] && [ -f "$xml" ] &&
    grep -q 'arg="--count %"' "$xml" && grep -q 'low="1" high="50" default="20"' "$xml" &&
    grep -q 'arg="--speed %"' "$xml" && grep -q 'low="1" high="10" default="5"' "$xml" &&
    grep -q 'arg-set="--blank"' "$xml" && grep -q '<command arg="--root"/>' "$xml" &&
    grep -q '<boolean id="showfps" _label="Show frame rate" arg-set="--fps"/>' "$xml" || return 1
  # The manual page, and the entry through which MATE's screen saver finds
  # the hack (it runs the configured prefix's program).
  local desktop=$work/prefix/share/applications/screensavers/nyamo.desktop
  local program
  program=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")/libexec/xscreensaver/nyamo
  cmp -s "$work/prefix/share/man/man6/nyamo.6" "$build/platform/linux/nyamo.6" &&
    grep -qx "Exec=$program --root" "$desktop" && grep -qx "TryExec=$program" "$desktop" &&
    grep -qx 'Categories=Screensaver;' "$desktop" && grep -qx 'OnlyShowIn=MATE;' "$desktop"
}
check "install: the hack, its xscreensaver config, manual page and MATE entry go where they are looked for" install_rules

# --- without a display, and the user's list of hacks ---------------------------------------
no_display_help() {
  local version out result=0 option
  version=$(sed -n 's/^project(Nyamo VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
  out=$(env -u DISPLAY "$nyamo" --version 2>&1)
  [ "$out" = "nyamo $version" ] || { echo "  --version says: $out (CMakeLists.txt: $version)"; result=1; }
  out=$(env -u DISPLAY "$nyamo" --help 2>&1) || { echo "  --help failed"; result=1; }
  # Every option the xscreensaver config passes is in the help and the manual page.
  for option in $(grep -o 'arg\(-set\)\?="--[a-z-]*' "$build/platform/linux/nyamo.xml" | sed 's/.*"//'); do
    grep -q -- " $option" <<<"$out" || { echo "  --help lacks $option"; result=1; }
    grep -qF -- "${option//-/\\-}" "$build/platform/linux/nyamo.6" || { echo "  nyamo.6 lacks $option"; result=1; }
  done
  # man renders the page without a complaint (groff's warnings included).
  local said
  said=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$build/platform/linux/nyamo.6" 2>&1 >/dev/null)
  [ -z "$said" ] || { echo "  man: $said"; result=1; }
  return $result
}
check "no display: --version gives the project's version, --help and the manual page every option" no_display_help

# A list as xscreensaver-settings writes it: three of Debian's hacks, with
# settings before and after.
written_list() {
  printf '%s\n' "# XScreenSaver Preferences File" "timeout:	0:30:00" "lock:		False" "fade:		False" \
    "unfade:		False" "splash:		False" "dpmsEnabled:	False" "mode:		random" "selected:	1" \
    "grabDesktopImages:	False" \
    "programs:								      \\" \
    "				maze --root				    \\n\\" \
    "- GL: 				superquadrics --root			    \\n\\" \
    "				greynetic --root			    \\n" \
    "" "pointerHysteresis:	10" "authWarningSlack:	20"
}
# selected_kittens ACCOUNT N: the daemon runs entry N, which is Nyamo, and
# kittens show over black; a key ends it.
selected_kittens() {
  as_account "$1" xscreensaver-command -select "$2" >/dev/null 2>&1 || { echo "  -select $2 refused"; return 1; }
  blanked_at=$(date +%s%N)
  local i stats result=1
  for i in $(seq 100); do [ -n "$(live_hacks)" ] && break; sleep 0.05; done
  [ -n "$(live_hacks)" ] || { echo "  no Nyamo after -select $2:"; tail -n 5 "$work/xss.log"; return 1; }
  stats=$(root_kittens_over_black) && result=0
  echo "  entry $2: $stats"
  key_after_blanking a
  no_hack_within 3 || result=1
  hack_complained && result=1
  return $result
}
add_to_running_daemon() {  # ACCOUNT
  "$probe" paint-root || return 1
  rm -rf "$xss_home" && mkdir -p "$xss_home" && written_list >"$xss_home/.xscreensaver" || return 1
  cp "$xss_home/.xscreensaver" "$work/list-before"
  daemon_launch "$1" || { daemon_stop; return 1; }
  local said n result=0
  said=$(as_account "$1" "$nyamo" --add-to-xscreensaver 2>&1) || { echo "  $said"; daemon_stop; return 1; }
  echo "  $said" | head -n 1
  n=$(sed -n 's/.* as entry \([0-9]*\) .*/\1/p' <<<"$said")
  [ "$n" = 4 ] || { echo "  entry $n, not 4"; result=1; }
  # Every line stays but the list's last, which gains the joining backslash;
  # the new entry's line follows it.
  diff <(sed -e '14s/\\$//' -e '15d' "$xss_home/.xscreensaver") "$work/list-before" || result=1
  sed -n '15p' "$xss_home/.xscreensaver" | grep -qx "	*$nyamo --root	*    \\\\n" ||
    { echo "  new line: $(sed -n '15p' "$xss_home/.xscreensaver")"; result=1; }
  cp "$xss_home/.xscreensaver" "$work/list-after"
  said=$(as_account "$1" "$nyamo" --add-to-xscreensaver 2>&1)
  grep -q 'already entry 4' <<<"$said" && cmp -s "$xss_home/.xscreensaver" "$work/list-after" ||
    { echo "  the second time: $said"; result=1; }
  # The daemon, running since before the change, reads the list itself.
  selected_kittens "$1" 4 || result=1
  daemon_stop
  return $result
}
check "xscreensaver list: --add-to-xscreensaver appends Nyamo, every other line byte-identical, the second time changes nothing; the running daemon's -select runs it" \
  add_to_running_daemon "$daemon_account"

add_without_a_list() {  # ACCOUNT
  "$probe" paint-root || return 1
  rm -rf "$xss_home" && mkdir -p "$xss_home" || return 1
  [ "$(id -u)" -eq 0 ] && chown -R "$1" "$xss_home"
  local said n result=0 defaults=/etc/X11/app-defaults/XScreenSaver listed
  said=$(as_account "$1" "$nyamo" --add-to-xscreensaver 2>&1) || { echo "  $said"; return 1; }
  grep -q "^Made .* from $defaults" <<<"$said" || { echo "  $said"; result=1; }
  # The list is the app-defaults' list, in its order, and Nyamo after it.
  n=$(sed -n 's/.* as entry \([0-9]*\) .*/\1/p' <<<"$said")
  listed=$(awk '/^\*programs:/{f=1} f{print} f&&!/\\$/{exit}' "$defaults" | grep -c '\\n')
  [ "$n" = $((listed + 1)) ] || { echo "  entry $n after $listed of the app-defaults"; result=1; }
  grep -q '^lock:' "$xss_home/.xscreensaver" && ! grep -q 'Dialog\.' "$xss_home/.xscreensaver" ||
    { echo "  the made file's settings are not the daemon's"; result=1; }
  daemon_launch "$1" || { daemon_stop; return 1; }
  selected_kittens "$1" "$n" || result=1
  daemon_stop
  return $result
}
if [ -f /etc/X11/app-defaults/XScreenSaver ]; then
  check "xscreensaver list: without ~/.xscreensaver it is made from the app-defaults with Nyamo last, and the daemon runs it" \
    add_without_a_list "$daemon_account"
else
  skip "xscreensaver list: made from the app-defaults" "no /etc/X11/app-defaults/XScreenSaver here"
fi

# --- every screen: two monitors on one server ------------------------------------------
screens_ini=$ini screens_eol='\n'
screens_start() { start "$work/screens.out" /s; }
screens_running() { kill -0 "$npid" 2>/dev/null; }
screens_stop() { kill "$npid" 2>/dev/null; wait "$npid" 2>/dev/null; }
source "$here/../lib/screens_checks.sh"

finished=1
echo "x11 suite: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
