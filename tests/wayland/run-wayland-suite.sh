#!/usr/bin/env bash
# packages: sway swaybg swaylock swayidle grim xwayland weston xvfb xdotool x11-utils imagemagick valgrind kwin-wayland cage mutter dbus wayland-utils
# The Wayland suite: the real nyamo binary in a real sway session. sway runs
# on its X11 backend inside an Xvfb of the suite's own (WLR_BACKENDS=x11,
# pixman renderer), with two outputs, each a window of that Xvfb, so that
# xdotool there arrives as wl_pointer and wl_keyboard events; grim captures
# each output; swaybg paints each its own desktop colour. Then the same checks under
# KWin, labwc and the compositors that must be refused (compositors.sh).
# Usage: tests/wayland/run-wayland-suite.sh BUILD_DIR
# NYAMO_INSTALLED=PATH runs the installed program (its own .desktop entry
# for KWin) instead of the build's; NYAMO_ONLY=REGEX runs the checks named so.
#
# One line per check (PASS, FAIL or SKIP with the reason) and a closing count
# line; the status is non-zero when a check failed or the suite could not run
# to its end. Every wait has a limit: a program that never shows or never
# ends fails its check, it does not stop the suite.

export LC_ALL=C.UTF-8
unset LANGUAGE
[ -d "${1:-}" ] || { echo "usage: run-wayland-suite.sh BUILD_DIR"; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
built=$build/platform/x11/nyamo
[ -x "$built" ] || { echo "wayland suite: $built is missing (build first)"; exit 1; }

source "$here/../lib/suite.sh"
source "$here/../lib/private_xvfb.sh"
source "$here/../lib/sway_session.sh"
source "$here/compositors.sh"

work=$(mktemp -d /tmp/nyamo-wayland.XXXXXX)
chmod 755 "$work"
# The program keeps its settings beside itself when its user may write there.
mkdir -p "$work/bin" "$work/home" "$work/shots"
cp "$built" "$work/bin/nyamo"
cp "$build/tests/nyamo-output-shot" "$work/bin/" 2>/dev/null
nyamo=$work/bin/nyamo
ini=$work/bin/Nyamo_07.ini
if [ -n "${NYAMO_INSTALLED:-}" ]; then
  nyamo=$NYAMO_INSTALLED
  ini=$work/home/.config/nyamo/Nyamo_07.ini
  mkdir -p "$work/home/.config/nyamo"
fi
[ "$(id -u)" -eq 0 ] && chown -R "$suite_account" "$work/bin" "$work/home" "$work/shots"

cleanup() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  stop_sway
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
  if [ "$finished" -ne 1 ]; then
    echo "wayland suite: $passed passed, $failed failed, $skipped skipped; stopped before its end"
    exit 1
  fi
}
trap cleanup EXIT
trap 'echo "wayland suite: interrupted"; exit 130' INT TERM

# Each output's own desktop colour, and the second output at scale 2: the
# saver's buffers must cover its device pixels.
declare -A desktop=([X11-1]=2060A0 [X11-2]=A06020)
cat >"$work/sway.config" <<EOF
output X11-1 bg #${desktop[X11-1]} solid_color
output X11-2 bg #${desktop[X11-2]} solid_color
output X11-2 scale 2
default_border none
xwayland enable
EOF

# The Xvfb's newest window: a new sway output's (its X ids only grow).
newest_window() { xwininfo -root -children | awk '/^ +0x/ { print $1 }' | sort -g | tail -n 1; }
sway_do() { in_session timeout 5 swaymsg "$@" >/dev/null; }
# add_output X: one more output, a window of the Xvfb put at X, so that the pointer can be on it.
add_output() { sway_do create_output && xdotool windowmove "$(newest_window)" "$1" 0; }
sway_up() { start_sway "$1" "$work/sway.config" "$work/sway.log" x11 && add_output 1024; }  # sway_up RUNTIME

# --- what the session needs ------------------------------------------------------------
missing=""
for tool in sway swaybg grim swaymsg Xvfb xdotool xwininfo convert; do
  command -v "$tool" >/dev/null || missing+=" $tool"
done
session_missing=${missing:+is missing:$missing}
[ -n "$suite_account_missing" ] && session_missing=$suite_account_missing
if [ -z "$session_missing" ]; then
  start_private_xvfb 2048x768x24 "$work/xvfb.log" || exit 1
  SWAY_HOME=$work/home
  sway_up "$work/runtime" || session_missing="sway did not start, or made no second output (see above)"
fi

# --- helpers ------------------------------------------------------------------------------
settings() {  # settings CATS TYPE SPEED: the saver's settings, the pointer on the first output
  printf '[Nyamo Saver]\nCatNum=%s\nSaverType=%s\nSaverSpeed=%s\n' "$1" "$2" "$3" >"$ini"
  xdotool mousemove 512 384
  sleep 0.2
}
prefix=session_prefix  # sway's session, then another compositor's (comp_prefix)
start() {  # start OUTFILE COMMAND...: in the session in the background, its pid in $npid
  local out=$1 as_prefix; shift
  : >"$out"
  "$prefix"
  "${as_prefix[@]}" "$@" >"$out" 2>&1 &
  npid=$!
  pids+=("$npid")
}
histogram() {  # histogram FILE COLOUR: "total own black colours", own being the pixels of that colour
  convert "$1" -depth 8 -format %c histogram:info:- |
    awk -v own="#$2" '{ n = $1 + 0; total += n; colours++ }
      $3 == own { mine += n } $3 == "#000000" { black += n }
      END { printf "%d %d %d %d", total, mine, black, colours }'
}
# shot OUTPUT: that output captured, its histogram with the output's desktop
# colour as own; "comp": the other compositor's output (comp_shot).
shot() {
  [ "$1" = comp ] && { comp_shot; return; }
  local file=$work/shots/$1.ppm
  rm -f "$file"
  in_session timeout 10 grim -t ppm -o "$1" "$file" 2>/dev/null || { echo "0 0 0 0"; return 1; }
  histogram "$file" "${desktop[$1]}"
  echo
}
# until_shots SECONDS TEST: every output's shot, until TEST (a function of
# "total own black colours changed") holds for all of them; the last readings shown.
outputs="X11-1 X11-2"
until_shots() {
  local end=$((SECONDS + $1)) test=$2 out ok line
  while :; do
    ok=1 line=""
    for out in $outputs; do
      read -r total own black colours changed <<<"$(shot "$out")"
      line+=" $out: total=$total own=$own black=$black colours=$colours${changed:+ changed=$changed};"
      "$test" || ok=0
    done
    [ "$ok" -eq 1 ] && { echo " $line"; return 0; }
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.3
  done
  echo " $line"
  return 1
}
no_desktop() { [ "$total" -gt 0 ] && [ "$own" -eq 0 ]; }
kittens_shown() { no_desktop && [ "$colours" -gt 8 ]; }
covered_black() { kittens_shown && [ "$black" -gt $((total * 80 / 100)) ]; }
over_own_desktop() {
  [ "$total" -gt 0 ] && [ "$own" -gt $((total * 70 / 100)) ] && [ "$own" -lt $((total - 500)) ] &&
    [ "$black" -lt $((total * 5 / 100)) ] && [ "$colours" -gt 8 ]
}
bare_desktop() { [ "$total" -gt 0 ] && [ "$own" -eq "$total" ]; }
live_savers() {  # ours that still run (an ended one may stay a zombie for a while)
  local p
  for p in $(pgrep -f -- "^$nyamo"); do  # not an idle daemon whose command names it
    [ "$(ps -o stat= -p "$p" | cut -c1)" = Z ] || echo "$p"
  done
}
within() { local i; for i in $(seq $(($1 * 20))); do "${@:2}" && return 0; sleep 0.05; done; return 1; }  # SECONDS COMMAND...
no_savers() { [ -z "$(live_savers)" ]; }
saver_running() {  # five slow kittens an output over black, up within 10 s
  settings 5 2 3
  touch "$work/stamp"
  start "$work/saver.out" "$nyamo" /s
  until_shots 10 covered_black >/dev/null || { echo "  the saver did not cover the outputs"; saver_stop; return 1; }
}
saver_stop() {  # the saver, if it still runs, killed; the bare desktop back
  kill -9 "$npid" 2>/dev/null
  wait "$npid" 2>/dev/null
  until_shots 3 bare_desktop >/dev/null
}
untouched() {  # no file of the user's changed since the saver started
  local changed
  changed=$(find "$work/home" "$work/bin" -newer "$work/stamp" -type f)
  [ -z "$changed" ] || { echo "  changed:" $changed; return 1; }
}
# ended_as PID SECONDS STATUS [WHAT]: the process ended in that time with that status; else says not.
ended_as() {
  ended_within "$1" "$2" && [ "$status" -eq "$3" ] || { echo "  ${4:+$4: }still running or status ${status:-?}"; return 1; }
}
said_one_line() { [ "$(wc -l <"$1")" -eq 1 ] || { echo "  said: $(cat "$1")"; return 1; }; }
# second_ends ARGUMENTS...: a second saver started so ends at once with
# status 0, and the first ($npid) runs on.
second_ends() {
  local first=$npid result=0
  start "$work/second.out" "$nyamo" "$@" /s
  ended_as "$npid" 2 0 "the second saver" || result=1
  kill -0 "$first" 2>/dev/null || { echo "  the first saver ended"; result=1; }
  npid=$first
  return $result
}
# background_shows TYPE INPUT...: the lock-screen background's kittens on
# every output; INPUT (xdotool's words) ignored; SIGTERM ends it with status 0.
background_shows() {
  local result=0
  settings 10 "$1" 10
  shift
  start "$work/background.out" "$nyamo" --wayland-background
  until_shots 10 kittens_shown || { echo "  no kittens on the outputs"; result=1; }
  xdotool "$@"
  sleep 1
  kill -0 "$npid" 2>/dev/null || { echo "  ended on input"; result=1; }
  until_shots 2 kittens_shown >/dev/null || { echo "  the kittens went on input"; result=1; }
  kill -TERM "$npid" 2>/dev/null
  ended_as "$npid" 2 0 SIGTERM || result=1
  kill -9 "$npid" 2>/dev/null
  return $result
}

# --- the saver ------------------------------------------------------------------------------
blank_is_black() {
  # A fractional scale for this one: sway 1.10 blurs swaybg's colour there.
  sway_do output X11-2 scale 1.6
  settings 20 2 10
  # libwayland writes every request down: the buffers' sizes are seen on the wire.
  start "$work/saver.out" env WAYLAND_DEBUG=1 "$nyamo" /s
  # Kittens over black on both outputs, no desktop pixel left anywhere.
  local result=0 sizes shown
  until_shots 10 covered_black || result=1
  # DISPLAY names the Xvfb too: the Wayland session comes first.
  xdotool search --name '^Amberpaw$' >/dev/null && { echo "  an X11 saver window on $DISPLAY"; result=1; }
  saver_stop
  sway_do output X11-2 scale 2
  # Both outputs are 1024x768 device pixels, the second at scale 1.6: every
  # buffer is that big, shown at each output's size in surface units.
  # (libwayland 1.21 prints objects as wl_buffer@N, 1.23 as wl_buffer#N.)
  sizes=$(grep -oE 'create_buffer\(new id wl_buffer[@#][0-9]+, [0-9]+, [0-9]+, [0-9]+' "$work/saver.out" |
    awk -F', ' '{ print $3 "x" $4 }' | sort -u | tr '\n' ' ')
  shown=$(grep -oE 'set_destination\([0-9]+, [0-9]+\)' "$work/saver.out" | sort -u | tr -d ' ' | tr '\n' ' ')
  [ "$sizes" = "1024x768 " ] && [ "$shown" = "set_destination(1024,768) set_destination(640,480) " ] ||
    { echo "  buffers of ${sizes:-no size}, shown by ${shown:-nothing}"; result=1; }
  return $result
}
kittens_over_own_desktop() {
  settings 20 1 10
  start "$work/saver.out" env WAYLAND_DEBUG=1 "$nyamo" /s
  local result=0 offered=screencopy used=screencopy
  until_shots 10 over_own_desktop || result=1
  # The kittens walk: frames after the first reach the compositor.
  shot X11-1 >/dev/null && mv "$work/shots/X11-1.ppm" "$work/shots/before.ppm" && sleep 0.5 && shot X11-1 >/dev/null
  cmp -s "$work/shots/before.ppm" "$work/shots/X11-1.ppm" && { echo "  the same picture 0.5 s later"; result=1; }
  saver_stop
  # The picture comes through ext-image-copy-capture where sway offers it
  # (1.11 and later), through wlr-screencopy before.
  grep -q 'global(.*"ext_image_copy_capture_manager_v1"' "$work/saver.out" && offered=ext-image-copy-capture
  grep -q 'ext_image_copy_capture_frame_v1[@#][0-9]*\.capture()' "$work/saver.out" && used=ext-image-copy-capture
  echo "  offered: $offered; taken through: $used"
  [ "$offered" = "$used" ] || result=1
  return $result
}
quadrants() {  # quadrants FILE: the commonest colour of each quarter of a shot, by rows
  local g
  for g in northwest northeast southwest southeast; do
    convert "$1" -gravity $g -crop 50%x50%+0+0 +repage -format %c histogram:info:- | sort -nr | awk 'NR == 1 { printf "%s ", $3 }'
  done
}
# A turned output shows its desktop the right way up behind the kittens:
# each quarter of a four-colour picture stays where it was. (sway's 90 is
# clockwise: wl_output's 270.)
turned_output() {
  local result=0 turn bare saver
  convert -size 64x48 xc:red xc:lime +append \( -size 64x48 xc:blue xc:white +append \) -append "$work/shots/quad.png"
  settings 5 1 3
  for turn in 90 flipped; do
    sway_do "output X11-1 transform $turn, output X11-1 bg $work/shots/quad.png stretch"
    sleep 1; shot X11-1 >/dev/null; bare=$(quadrants "$work/shots/X11-1.ppm")
    start "$work/saver.out" "$nyamo" /s
    sleep 2; shot X11-1 >/dev/null; saver=$(quadrants "$work/shots/X11-1.ppm")
    [ "$bare" = "#FF0000 #00FF00 #0000FF #FFFFFF " ] && [ "$saver" = "$bare" ] && kill -0 "$npid" 2>/dev/null ||
      { echo "  $turn: the desktop $bare, behind the kittens $saver; $(cat "$work/saver.out")"; result=1; }
    saver_stop
  done
  sway_do "output X11-1 transform normal, output X11-1 bg #${desktop[X11-1]} solid_color"
  until_shots 5 bare_desktop >/dev/null || { echo "  the desktop did not come back"; result=1; }
  return $result
}
# ends_on XDOTOOL-ARGS...: within 2 s, status 0, nothing left, nothing written;
# a key held down as the saver starts and released while it runs is no input.
ends_on() {
  xdotool keydown b
  saver_running
  local up=$? result=0
  xdotool keyup b
  [ "$up" -eq 0 ] || return 1
  sleep 0.6
  kill -0 "$npid" 2>/dev/null || { echo "  ended before any input (the held key's release?)"; return 1; }
  xdotool "$@"
  ended_as "$npid" 2 0 || result=1
  until_shots 3 bare_desktop >/dev/null || { echo "  the outputs are still covered"; result=1; }
  [ -z "$(live_savers)" ] || { echo "  left running: $(live_savers)"; result=1; }
  untouched || result=1
  saver_stop
  return $result
}
# The keyboard and the pointer to another seat and back (a dock, a KVM
# switch): devices that go and come are no input; a move after is. (Past
# the moment the saver asks where the keyboard is; sway keeps the devices
# on both seats after it: a new sway for the other checks.)
devices_come_back() {
  saver_running || return 1
  local seat device result=0
  for seat in other seat0; do
    sleep 0.8
    for device in X11_keyboard X11_pointer; do sway_do "seat $seat attach 0:0:$device"; done
  done
  sleep 0.5
  kill -0 "$npid" 2>/dev/null || { echo "  ended as the devices went and came: $(cat "$work/saver.out")"; result=1; }
  xdotool mousemove_relative 5 5
  ended_as "$npid" 2 0 "a move after" || result=1
  saver_stop
  restart_sway || { echo "  no new sway"; result=1; }
  return $result
}
one_instance() {
  saver_running || return 1
  local result=0
  second_ends --daemonize || result=1
  # Killed with -9, the first leaves its lock behind; it must not count.
  saver_stop || return 1
  saver_running || result=1
  kill -TERM "$npid"  # an idle daemon's stop
  ended_as "$npid" 2 0 SIGTERM || result=1
  saver_stop
  # One that cannot start says why in one line, through --daemonize too.
  start "$work/second.out" env WAYLAND_DISPLAY=nyamo-none "$nyamo" --daemonize /s
  ended_as "$npid" 2 1 "with no compositor" && said_one_line "$work/second.out" || result=1
  return $result
}
# An output that goes (sway 1.8 and later unplug a third, away from the
# pointer), or the lock screen taking the keyboard, ends the saver; sway 1.7
# tells no client that X11-2 is switched off and on: it is covered again. A session that sway 1.8 or
# later locks stays locked when its locker is killed: that check comes last.
taken_away() {
  [ "$1" = output ] && [ -n "$sway_18" ] && { add_output 2048 || return 1; }
  saver_running || return 1
  local first=$npid result=0
  if [ "$1" = scale ]; then
    sway_do output X11-1 scale 2
  elif [ "$1" = lock ]; then
    start "$work/lock.out" swaylock --color 000000
  elif [ -n "$sway_18" ]; then
    sway_do output X11-3 unplug
  else
    sway_do output X11-2 disable
    sway_do output X11-2 enable
    until_shots 5 covered_black >/dev/null || { echo "  the desktop shown"; result=1; }; xdotool key a
  fi
  ended_as "$first" 2 0 || result=1
  saver_stop
  [ "$1" = scale ] && sway_do output X11-1 scale 1
  return $result
}
# With --daemonize as well: it returns once the X11 saver window is mapped.
x11_when_asked() {
  settings 5 2 3
  local result=0
  in_session timeout 10 "$nyamo" --daemonize --backend=x11 /s >"$work/saver.out" 2>&1 ||
    { echo "  --daemonize: status $?: $(cat "$work/saver.out")"; result=1; }
  xdotool search --onlyvisible --name '^Amberpaw$' >/dev/null || { echo "  no X11 saver window on $DISPLAY"; result=1; }
  sleep 0.5
  xdotool key a
  within 3 no_savers || { echo "  the saver did not end on a key"; result=1; }
  return $result
}

# --- an idle daemon and the lock screen -------------------------------------------------------
# A session that sway 1.8 or later locks stays locked when its locker is
# killed: each of these checks starts on a fresh sway there.
sway_runs=0
restart_sway() {
  stop_sway
  sway_runs=$((sway_runs + 1))
  sway_up "$work/runtime$sway_runs" && until_shots 5 bare_desktop >/dev/null
}
fresh_sway() {
  kill $(session_processes swayidle) $(session_processes swaylock) 2>/dev/null
  if [ -n "$sway_18" ]; then restart_sway; else until_shots 5 bare_desktop >/dev/null; fi
}
ms() { echo $(($(date +%s%N) / 1000000)); }
boot_ms() { awk '{ printf "%d", $1 * 1000 }' /proc/uptime; }
started_ms() {  # started_ms PID: when the process started, in ms since boot (as boot_ms counts)
  local fields
  read -ra fields < <(sed 's/.*) //' "/proc/$1/stat")
  echo $((fields[19] * 1000 / $(getconf CLK_TCK)))
}
# swayidle, with or without -w, starts the saver (--daemonize) at its 2 s
# and the lock at its 5 s, on time. The lock ends the saver (sway 1.7: the
# kittens stay above it, a move does nothing, a key ends them). A saver
# started while the session is locked ends at once.
idle_then_lock() {
  fresh_sway || { echo "  no fresh sway"; return 1; }
  settings 5 2 3
  local result=0 t0 boot0 saver lock i
  t0=$(ms)
  boot0=$(boot_ms)
  start "$work/idle.out" swayidle $1 timeout 2 "$nyamo --daemonize /s" timeout 5 "swaylock -f -c 000000"
  until_shots 6 no_desktop >/dev/null && [ $(($(ms) - t0)) -ge 1900 ] || { echo "  the saver at $(($(ms) - t0)) ms"; result=1; }
  saver=$(live_savers)
  for i in $(seq 140); do lock=$(session_processes swaylock); [ -n "$lock" ] && break; sleep 0.05; done
  # When the lock started, not when this loop saw it: on a loaded machine
  # the looking itself lags.
  lock=$([ -n "$lock" ] && echo $(($(started_ms "${lock%%[[:space:]]*}") - boot0)))
  [ "${lock:-0}" -ge 4900 ] && [ "$lock" -le 6500 ] || { echo "  the lock at ${lock:-no} ms"; result=1; }
  [ -n "$saver" ] && kill -0 $saver 2>/dev/null || { echo "  no saver when the lock came"; result=1; }
  kill $(session_processes swayidle) 2>/dev/null  # it would start the saver again after the next input
  if [ -z "$sway_18" ]; then
    sleep 0.5; xdotool mousemove_relative 5 5; sleep 0.5
    [ -n "$(live_savers)" ] || { echo "  the saver ended on a pointer move under sway 1.7's lock"; result=1; }
    xdotool key a
  fi
  within 2 no_savers || { echo "  the saver still runs under the lock"; result=1; }
  start "$work/locked.out" "$nyamo" /s
  ended_as "$npid" 3 0 "a saver started while locked" && grep -qE "session locked|lock screen" "$work/locked.out" ||
    { echo "  a saver started while locked said: $(cat "$work/locked.out")"; result=1; }
  kill -9 "$npid" 2>/dev/null
  fresh_sway
  return $result
}
# The compositor killed under the saver: it ends within 2 s with status 1
# and one line, and does not spin. (The session's last check.)
compositor_killed() {
  fresh_sway || return 1
  saver_running || return 1
  kill -9 "$SWAY_PID"
  wait "$SWAY_PID" 2>/dev/null  # reaped here, quietly
  ended_as "$npid" 2 1 && said_one_line "$work/saver.out" || { saver_stop; return 1; }
}

# --- the lock-screen background ----------------------------------------------------------------
# A lock screen gives its background program the background layer alone.
# swaybg goes for that check (sway 1.7 draws the newest surface of a layer
# lowest, so it would hide the kittens) and comes back after it.
background_mode() {
  local result=0 out
  kill $(session_processes swaybg) 2>/dev/null
  until_shots 5 no_desktop >/dev/null || { echo "  swaybg did not go"; result=1; }
  background_shows 1 mousemove_relative 5 5 click 1 click 4 key a || result=1
  for out in X11-1 X11-2; do sway_do "output $out bg #${desktop[$out]} solid_color"; done
  until_shots 5 bare_desktop >/dev/null || { echo "  the desktop did not come back"; result=1; }
  return $result
}

# --- the settings dialog, through XWayland -----------------------------------------------------------
dialog_on_xwayland() {
  # sway starts its XWayland on demand and names it to the programs it starts.
  rm -f "$work/shots/display"
  sway_do exec 'echo "$DISPLAY" >'"$work/shots/display"
  local result=0
  within 5 grep -qs . "$work/shots/display" || { echo "  sway named no X display"; return 1; }
  rm -f "$ini"
  DISPLAY=$(cat "$work/shots/display") start "$work/dialog.out" "$nyamo" /c
  within 10 sway_do '[title="^Nyamoの設定$" shell="xwayland"] focus' 2>/dev/null ||
    { echo "  no dialog among sway's XWayland windows"; cat "$work/dialog.out"; result=1; }
  # Closed by the compositor, as its close button would: nothing saved.
  in_session timeout 5 swaymsg '[title="^Nyamoの設定$"] kill' >/dev/null 2>&1
  ended_as "$npid" 5 0 "the dialog, closed" || result=1
  [ ! -e "$ini" ] || { echo "  closing it wrote the settings"; result=1; }
  kill -9 "$npid" 2>/dev/null
  return $result
}

# --- under valgrind's memcheck -----------------------------------------------------------------------
memcheck_saver() {
  settings 10 2 10
  local log=$work/shots/memcheck.log
  # The session's user may not read the checkout (root's home, say).
  cp "$here/../x11/valgrind.supp" "$work/valgrind.supp"
  start "$work/memcheck.out" valgrind --tool=memcheck -q --error-exitcode=97 --errors-for-leak-kinds=none \
    --leak-check=no --suppressions="$work/valgrind.supp" --log-file="$log" "$nyamo" /s
  until_shots 60 covered_black >/dev/null || { echo "  the saver did not cover the outputs; it said:"; tail -n 20 "$work/memcheck.out" "$log" | sed 's/^/  /'
    saver_stop; return 1; }
  sleep 2
  xdotool mousemove_relative 5 5
  ended_within "$npid" 30 || { saver_stop; return 1; }
  if [ "$status" -ne 0 ] || [ -s "$log" ]; then
    echo "  status $status; memcheck said:"
    head -n 40 "$log" | sed 's/^/  /'
    return 1
  fi
}

# --- the run ------------------------------------------------------------------------------------------
run() {  # run REASON-IF-IT-CANNOT NAME COMMAND...
  local reason=$1; shift
  [[ "$1" =~ ${NYAMO_ONLY:-.} ]] || return 0  # a chosen few, while working on them
  if [ -n "$reason" ]; then skip "$1" "$reason"; else check "$@"; fi
}
needs() { local t; for t; do command -v "$t" >/dev/null || { echo "$t is not installed"; return; }; done; }
in_sway() { run "$session_missing" "$@"; }

in_sway "saver: blank is kittens over black on both outputs, nothing of the desktop left, buffers of device pixels at scale 1.6, no X11 window" \
  blank_is_black
in_sway "saver: kittens over each output's own desktop picture, through ext-image-copy-capture where offered" \
  kittens_over_own_desktop
in_sway "saver: a turned output (90, flipped) shows its desktop the right way up" turned_output
in_sway "saver: a one-pixel pointer move ends it within 2 s, nothing left running or written; a key held as it starts is no input on release" \
  ends_on mousemove_relative 1 0
in_sway "saver: a key ends it within 2 s, nothing left running or written" ends_on key a
in_sway "saver: a click ends it within 2 s, nothing left running or written" ends_on click 1
in_sway "saver: the wheel ends it within 2 s, nothing left running or written" ends_on click 4
in_sway "saver: keyboard and pointer gone to another seat and back are no input; a move then ends it" devices_come_back
in_sway "one instance: a second /s (--daemonize) ends at once, the first runs on; after it is killed with -9 a new one starts, and SIGTERM ends that with status 0; with no compositor, status 1 and one line" \
  one_instance
in_sway "backend: --backend=x11 runs on the X server even in a Wayland session; --daemonize returns once it is mapped" \
  x11_when_asked
in_sway "background: kittens on every output, input ignored, SIGTERM ends it with status 0" background_mode
run "${session_missing:-$(needs Xwayland)}" "dialog: /c opens in the session through XWayland; closing it saves nothing" dialog_on_xwayland
run "${session_missing:-$(needs valgrind)}" "memcheck: a saver started and woken by the pointer, no memory error" memcheck_saver
sway_18=$(printf '1.8\n%s\n' "$(sway --version 2>/dev/null | grep -oE '[0-9]+\.[0-9]+')" | sort -V | head -n 1 | grep -x 1.8)
in_sway "saver: an output that goes ends it (sway 1.7: one switched off and on is covered again)" taken_away output
in_sway "saver: an output's scale going from 1 to 2 ends it" taken_away scale
# sway 1.7 keeps the keyboard on the oldest overlay surface, so its swaylock
# cannot take it: the saver's first key ends it there, showing the lock.
no_lock=$(needs swaylock)
[ -n "$no_lock$sway_18" ] || no_lock="sway before 1.8 gives no lock screen the keyboard while the saver has it"
run "${session_missing:-$no_lock}" "saver: the lock screen taking the keyboard ends it" taken_away lock
for w in -w ""; do
  run "${session_missing:-$(needs swayidle swaylock)}" \
    "idle daemon: swayidle ${w:-without -w}, the saver (--daemonize) at its timeout, the lock at its own, in order" idle_then_lock $w
done
in_sway "compositor killed: the saver ends within 2 s, status 1, one line" compositor_killed

# --- the other compositors -----------------------------------------------------------------------
stop_sway
no_xvfb=${missing:+is missing:$missing}
for kind in kwin labwc; do
  run "${no_xvfb:-$(comp_missing $kind)}" "$kind: covers the output, a second saver ends at once, a one-pixel move ends it; \
the lock-screen background shows kittens, ignores input, ends on SIGTERM" comp_saver $kind
done
run "${no_xvfb:-$(comp_missing labwc)}" "labwc: kittens over the desktop (screencopy)" comp_desktop_picture labwc
[ -x "$work/bin/nyamo-output-shot" ] || no_shot="the build has no nyamo-output-shot"
run "${no_xvfb:-$(comp_missing kwin-virtual)}${no_shot:-}" \
  "kwin-virtual: kittens over the desktop through KWin's screenshot interface, which an unnamed program is refused in one line" \
  comp_desktop_picture kwin-virtual
for kind in weston cage mutter; do
  run "$(comp_missing $kind)" "without layer-shell ($kind): one line naming layer-shell, status 1, at once" comp_refuses $kind
done

finished=1
echo "wayland suite: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
