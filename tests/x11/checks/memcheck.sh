# Under valgrind's memcheck. Xlib and FLTK are not built with the
# sanitizers, so a read of memory they freed (a GC freed on a closed
# display, an image after its window) shows only under memcheck. Each run is
# a few seconds of the program's life at start and end; any error makes the
# run end with status 97. Leaks are not errors here: the process ends right
# after, and the libraries keep caches.
memcheck_start() {  # memcheck_start NAME ARGS...: nyamo under memcheck in the background, its pid in $npid
  : >"$work/memcheck-$1.log"
  launch "$work/memcheck-$1.out" valgrind --tool=memcheck -q --error-exitcode=97 --errors-for-leak-kinds=none \
    --leak-check=no --suppressions="$here/valgrind.supp" --log-file="$work/memcheck-$1.log" "$nyamo" "${@:2}"
}
memcheck_clean() {  # memcheck_clean NAME: ended within 30 s with status 0 and nothing in the log
  ended_within "$npid" 30 || return 1
  if [ "$status" -ne 0 ] || [ -s "$work/memcheck-$1.log" ]; then
    echo "  status $status; memcheck said:"
    head -n 40 "$work/memcheck-$1.log" | sed 's/^/  /'
    return 1
  fi
}
memcheck_hack_own_window() {
  memcheck_start own --window --count 5 --speed 10 --blank --fps
  window_named Nyamo 30 || return 1
  sleep 3   # long enough for a frame-rate caption
  "$probe" close "$wid"
  memcheck_clean own
}
memcheck_hack_target_destroyed() {
  make_host 320x240 || return 1
  memcheck_start target -window-id "$host" -count 5 -speed 10 -fps
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
  memcheck_clean target
}
memcheck_saver() {
  settings 10 2 10
  memcheck_start saver /s
  window_named Amberpaw 30 || return 1
  sleep 3
  xdotool mousemove_relative 5 5
  memcheck_clean saver
}
memcheck_preview() {
  settings 10 1 5
  make_host 200x150 || return 1
  memcheck_start preview "/p $((host))"
  local i kids=""
  for i in $(seq 300); do kids=$("$probe" children "$host"); [[ "$kids" == *" mapped"* || "$kids" == *",mapped"* ]] && break; sleep 0.1; done
  sleep 1
  drop_host
  memcheck_clean preview
}
memcheck_dialog() {
  rm -f "$ini"
  close_left_dialogs
  memcheck_start dialog /c
  window_named "Nyamoの設定" 30 || return 1
  sleep 2
  click_at 144 144        # a change first, which キャンセル must forget
  click_at 255 62         # キャンセル
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
