# The xscreensaver hack: into a given window, on the root, in a window of
# its own; its options and its frame-rate caption.

# hack_uploads_while_hidden HIDE SHOW NAMES...: HIDE takes the hack's window
# from sight and SHOW gives it back. Nothing to see, nothing to draw: no
# upload at all while hidden (counted from the server's side), and the
# flock walks on, so frames come again once it shows. NAMES: the three
# states, for the report.
hack_uploads_while_hidden() {
  local shown hidden again
  shown=$("$probe" uploads 1)
  "$1"
  sleep 0.5
  hidden=$("$probe" uploads 1)
  "$2"
  sleep 0.3
  again=$("$probe" uploads 1)
  echo "  uploads in 1 s: $shown $3, $hidden $4, $again $5"
  kill -0 "$npid" 2>/dev/null && [ "$shown" -gt 10 ] && [ "$hidden" -eq 0 ] && [ "$again" -gt 10 ]
}

hack_in_window() {
  settings 20 1 5
  make_host 300x200 || return 1
  start "$work/hack.out" -window-id "$host" -count 12 -speed 10 -blank
  sleep 1.5
  local result=0
  kittens_over_black "$host" 300 200 50 || result=1
  kill -0 "$npid" 2>/dev/null || { echo "  the hack ended: $(cat "$work/hack.out")"; return 1; }
  return $result
}
check "hack: -window-id draws kittens over black into the given window" hack_in_window

hack_ignores_input() {
  xdotool mousemove_relative 5 5 key a click 1
  sleep 0.5
  kill -0 "$npid" 2>/dev/null
}
check "hack: input is left to xscreensaver (no end on a move, key or click)" hack_ignores_input

# A window of another client mapped over the whole of the hack's window.
hack_cover() { "$probe" host 1024x768 >/dev/null & hack_cover_pid=$!; pids+=("$hack_cover_pid"); }
hack_uncover() { kill "$hack_cover_pid"; wait "$hack_cover_pid" 2>/dev/null; }
check "hack: no frame is composed or sent while its window is wholly covered" \
  hack_uploads_while_hidden hack_cover hack_uncover shown covered uncovered

hack_ends_with_window() {
  drop_host
  ended_ok
}
check "hack: ends when its window is destroyed" hack_ends_with_window

hack_from_environment() {
  make_host 200x150 || return 1
  local result=0
  # /c stays the settings dialog even inside xscreensaver's environment.
  XSCREENSAVER_WINDOW=$host timeout 5 "$nyamo" /a >/dev/null 2>&1 || result=1
  # xscreensaver runs its hacks with -root and names its own window.
  XSCREENSAVER_WINDOW=$host start "$work/hack.out" -root -count 5 -speed 10
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
  local result=0
  kittens_over_black root 1024 768 80 || result=1
  no_window || result=1                  # no window of its own
  kill -0 "$npid" 2>/dev/null || result=1
  term_ends || result=1                  # how xscreensaver ends a hack
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

hack_standard_options() {
  # Every option xscreensaver's own hacks accept, as the daemon and its
  # settings tool pass them: the hack runs and says nothing.
  make_host 200x150 || return 1
  local result=0 args
  for args in "-root -fps" "-display $DISPLAY -root" "-root -install" "-root -visual default" \
              "--root --noinstall --mono --pair --no-fps" "--root --count 3 --speed 10 --desktop"; do
    XSCREENSAVER_WINDOW=$host start "$work/hack.out" $args
    sleep 0.6
    if ! kill -0 "$npid" 2>/dev/null; then echo "  '$args' ended: $(cat "$work/hack.out")"; result=1; continue; fi
    term_ends || result=1
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
  local info
  info=$("$probe" info "$wid")
  echo "  $info"
  kittens_over_black "$wid" 640 480 50 && [[ "$info" == *" 640 480 override=0 mapped=1" ]]
}
check "hack: --window opens a 640x480 window of its own with kittens" hack_own_window

# Iconified (unmapped), the window shows nothing.
hack_unmap_own() { "$probe" unmap "$wid"; }
hack_map_own() { "$probe" map "$wid"; }
check "hack: --window unmapped sends no frame, mapped again draws on" \
  hack_uploads_while_hidden hack_unmap_own hack_map_own mapped unmapped "mapped again"

hack_own_window_close() {
  # Another client's message that happens to carry the WM_DELETE_WINDOW
  # atom is no close request; the window manager's protocol message is.
  "$probe" message "$wid" _NYAMO_OTHER_PROTOCOL
  sleep 0.5
  kill -0 "$npid" 2>/dev/null || { echo "  ended on a message of another type"; return 1; }
  "$probe" close "$wid"
  ended_ok
}
check "hack: --window ends on WM_DELETE_WINDOW from the close box, not on other client messages" hack_own_window_close

hack_corner_white() {  # hack_corner_white ARGS...: the caption corner's white share in $hack_white after 2.5 s of the hack
  start "$work/hack.out" -window-id "$host" "$@"
  sleep 2.5
  hack_white=$(corner_white "$host" 240)
  term_ends
}
hack_fps() {
  make_host 320x240 || return 1
  local with without
  # One kitten over black: the corner stays black but for the text.
  hack_corner_white -count 1 -blank -fps
  with=$hack_white
  hack_corner_white -count 1 -blank
  without=$hack_white
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
  before=$(white_share "$host" 6x16+54+222)
  kill -STOP "$npid"; sleep 6; kill -CONT "$npid"
  sleep 0.5
  read -r ninth text <<<"$(white_share "$host" 6x16+54+222 48x16+6+222 | paste -sd' ')"
  term_ends || result=1
  drop_host
  echo "  white in the ninth glyph's place: $before at full rate, $ninth after the short reading (text: $text)"
  awk -v b="$before" -v n="$ninth" -v t="$text" 'BEGIN { exit !(b > 0.03 && n == 0 && t > 0.03) }' || result=1
  return $result
}
check "hack: -fps clears what a longer reading left (FPS: 9.9 after FPS: 10.0)" hack_fps_shrinks
