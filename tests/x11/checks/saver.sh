# The saver (/s): its window, what it draws, what ends it, its guard, and
# the saver under a window manager, on RandR monitors, without MIT-SHM.
saver_start() {  # saver_start CATS TYPE SPEED
  settings "$1" "$2" "$3"
  start "$work/saver.out" /s
  window_named Amberpaw 5
}
saver_exact() {  # saver_exact X Y W H: the saver window covers that area exactly, override-redirect
  local info
  info=$("$probe" info "$wid")
  [ "$info" = "$* override=1 mapped=1" ] || { echo "  saver window: $info"; return 1; }
}

saver_geometry() {
  make_host 200x150 || return 1   # another window that the saver must cover
  saver_pointer_before=$("$probe" cursor-blank)
  saver_start 20 2 10 || return 1
  sleep 0.5
  local result=0
  saver_exact 0 0 1024 768 || result=1
  drop_host
  return $result
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
saver_pointer_hidden() { [ "$saver_pointer_before" = visible ] && [ "$("$probe" cursor-blank)" = blank ]; }
check "saver: pointer visible before, invisible while it runs" saver_pointer_hidden

saver_kittens_over_black() { sleep 1; kittens_over_black "$wid" 1024 768 80; }
check "saver: kittens over black (blank background)" saver_kittens_over_black
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
saver_shm_used() { ipcs -m -p | awk -v pid="$npid" '$3 == pid { found = 1 } END { exit !found }'; }
check "saver: MIT-SHM upload where the server offers it" saver_shm_used

saver_ends_on_move() {
  xdotool mousemove_relative 1 0
  ended_ok && no_window
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
  ended_ok && no_window && [ "$(cat "$ini")" = "$before" ]
}
check "saver: a key ends it" saver_ends_on xdotool key a
check "saver: a click ends it" saver_ends_on xdotool click 1
check "saver: another client unmapping its window ends it" saver_ends_on "$probe" unmap WID
check "saver: another client destroying its window ends it" saver_ends_on "$probe" destroy WID
check "saver: a new screen size (RandR) ends it" saver_ends_on "$probe" screen 800x600
"$probe" screen 1024x768 || echo "  the screen stays 800x600"

saver_over_desktop() {
  "$probe" paint-root || return 1
  "$probe" save root "$work/desktop.ppm" || return 1
  saver_start 20 1 10 || return 1
  sleep 1.2
  local differ total
  read -r differ total <<<"$("$probe" compare root "$work/desktop.ppm")"
  echo "  $differ of $total pixels differ from the desktop"
  key_ends || return 1
  # The desktop shows through everywhere but under the kittens.
  [ "$differ" -gt 500 ] && [ "$differ" -lt $((total * 20 / 100)) ]
}
check "saver: kittens over the captured desktop" saver_over_desktop

saver_guard() {
  saver_start 5 2 1 && guard_holds
}
check "guard: a running saver makes /c, /s and no argument end at once" saver_guard

saver_under_manager() {
  manager_start
  local result=0
  make_host 300x200 || result=1       # a managed window with a frame
  saver_start 10 2 10 || result=1
  sleep 0.5
  saver_exact 0 0 1024 768 || result=1
  "$probe" on-top "$wid" >/dev/null || result=1
  "$probe" keyboard-grabbed >/dev/null || result=1
  key_ends space || result=1
  drop_host
  manager_gone
  return $result
}
check "saver under a window manager (openbox): exact, on top, keyboard grabbed, a key ends it" saver_under_manager

saver_primary_monitor() {
  # Two monitors side by side, the right one (400 pixels on) primary.
  "$probe" monitors 400 624 || return 1
  local result=0
  saver_start 10 2 10 || result=1
  sleep 0.3
  saver_exact 400 0 624 768 || result=1
  key_ends || result=1
  rm -f "$ini"
  if dialog_start; then
    report_has "$work/dialog.out" "window 562 284 300 200" || { grep '^window' "$work/dialog.out"; result=1; }
    close_ends || result=1
  else
    result=1
  fi
  "$probe" monitors off
  return $result
}
check "saver and dialog: the primary of two RandR monitors (saver covers it, dialog centred on it)" saver_primary_monitor

saver_without_shm() {
  # A second server without MIT-SHM and with 16-bit colour: frames go up
  # through plain XPutImage and are converted pixel by pixel.
  second_server 640x480x16 "$work/xvfb2.log" -extension MIT-SHM || return 1
  local result=0
  if xdpyinfo | grep -q MIT-SHM; then echo "  MIT-SHM still offered"; result=1; fi
  saver_start 20 2 10 || result=1
  sleep 1.2
  if saver_shm_used; then echo "  shared memory used without MIT-SHM"; result=1; fi
  kittens_over_black root 640 480 70 || result=1
  key_ends || result=1
  second_server_gone
  return $result
}
check "saver: kittens on a 16-bit server without MIT-SHM (XPutImage fallback)" saver_without_shm
