# Sourced by run-x11-suite.sh: what the checks of several topics use. The
# suite sets build, source_dir, probe, work, nyamo and ini; the last program
# started keeps its pid in $npid, the last window found its id in $wid.

# The program as a user without any locale runs it (a bare system, a cron job).
no_locale() { env -u LC_ALL -u LANG -u LANGUAGE -u LC_CTYPE -u LC_MESSAGES "$@"; }
# guard_holds [PREFIX...]: with a saver up, /c, /s and no argument (each run
# through PREFIX) end at once, leaving no dialog and one saver, which a key ends.
guard_holds() {
  local result=0 arg
  for arg in /c /s ""; do "$@" timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1; done
  "$probe" find "Nyamoの設定" >/dev/null && result=1
  [ "$("$probe" find Amberpaw | wc -l)" -eq 1 ] || result=1
  key_ends || result=1
  return $result
}
launch() {  # launch OUTFILE COMMAND...: the command in the background, its pid in $npid
  local out=$1; shift
  : >"$out"   # no report of an earlier run may be read as this one's
  "$@" >"$out" 2>&1 &
  npid=$!
  pids+=("$npid")
}
start() { launch "$1" "$nyamo" "${@:2}"; }  # start OUTFILE ARGS...: nyamo in the background
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
# How the program's run ends: on its own within 3 s with status 0; after a
# key; after SIGTERM (as xscreensaver ends a hack); after the close box.
ended_ok() { ended_within "$npid" 3 && [ "$status" -eq 0 ]; }
key_ends() { xdotool key "${1:-a}"; ended_within "$npid" 3; }  # key_ends [KEY]
term_ends() { kill "$npid"; ended_within "$npid" 3; }
close_ends() { "$probe" close "$wid"; ended_within "$npid" 3; }

make_host() {  # make_host WxH [NAME]: a window of another client, its id in $host, the probe's pid in $host_pid
  # Emptied here, not by the background job: a slow fork would otherwise
  # leave the id of the previous, destroyed host to be read.
  : >"$work/host.out"
  "$probe" host "$@" >"$work/host.out" &
  host_pid=$!
  pids+=("$host_pid")
  local i
  for i in $(seq 200); do host=$(head -n 1 "$work/host.out"); [ -n "$host" ] && return 0; sleep 0.05; done
  return 1
}
drop_host() { kill "$host_pid" 2>/dev/null; wait "$host_pid" 2>/dev/null; }

# kittens_over_black WINDOW W H PERCENT [COLOURS [LIT]]: the area 0,0 WxH is
# more than PERCENT % black, with more than LIT (0) pixels of kittens in
# more than COLOURS (8) shades. Prints the reading, also kept in $stats.
kittens_over_black() {
  local total black colours
  stats=$("$probe" stats "$1" 0 0 "$2" "$3")
  read -r total black colours <<<"$(sed 's/[a-z]*=//g' <<<"$stats")"
  echo "  $stats"
  [ "${black:-0}" -gt $((total * $4 / 100)) ] && [ "$black" -lt $((total - ${6:-0})) ] && [ "$colours" -gt "${5:-8}" ]
}
white_share() {  # white_share WINDOW AREA...: the share of white pixels in each WxH+X+Y area of one screenshot
  "$probe" save "$1" "$work/shot.ppm" || { echo 0; return; }
  local area
  for area in "${@:2}"; do
    echo "$(convert "$work/shot.ppm" -crop "$area" +repage -fill black +opaque white -format '%[fx:mean]' info:)"
  done
}
corner_white() { white_share "$1" "90x16+0+$(($2 - 18))"; }  # corner_white WINDOW HEIGHT: the frame-rate caption's corner

# second_server SCREEN LOG [XVFB OPTIONS...]: another Xvfb of the suite's
# own, DISPLAY on it until second_server_gone.
second_server() {
  second_display=$DISPLAY
  start_private_xvfb "$@" || { export DISPLAY=$second_display; return 1; }
  second_pid=$XVFB_PID
  pids+=("$second_pid")
}
second_server_gone() { export DISPLAY=$second_display; kill "$second_pid"; wait "$second_pid" 2>/dev/null; }

# openbox, a reparenting window manager, until manager_gone.
manager_start() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  manager_pid=$!
  pids+=("$manager_pid")
  sleep 1
}
manager_gone() { kill "$manager_pid"; wait "$manager_pid" 2>/dev/null; }

# dialog_launch COMMAND...: the settings dialog the command starts, with its
# report in $work/dialog.out; returns once it is shown. dialog_start ARGS...:
# nyamo's own.
dialog_launch() {
  close_left_dialogs
  NYAMO_DIALOG_REPORT=1 launch "$work/dialog.out" "$@"
  window_named "Nyamoの設定" 5 && wait_report "$work/dialog.out" "state shown" 5
}
dialog_start() { dialog_launch "$nyamo" "$@"; }
close_left_dialogs() {  # one left open by a failed check would make the next end at once
  local w
  for w in $("$probe" find "Nyamoの設定"); do "$probe" close "$w"; sleep 0.3; done
}
click_at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.15; }
