# Sourced by the X11 and the Wine suite: the saver on an X server of two
# monitors (two_monitors.sh), with a desktop of red on the primary monitor
# and of blue on the second, each a checkerboard of two shades one pixel a
# square (scaled by anyone, it would blur). The suite gives:
#   screens_ini      the settings file the saver reads
#   screens_eol      its line ending
#   screens_start    starts the saver with /s on $DISPLAY
#   screens_running  true while that saver's process runs
#   screens_stop     ends whatever of it is left
# and, if it must, screens_enter / screens_leave around the checks (Wine
# ends its session there, so that it learns the server's monitors),
# screens_no_monitor_events: why a monitor switched off cannot reach the
# saver, and screens_set_dpi DPI: the DPI of the programs started next.
# Its own names all begin with screens_, so that no function of a suite is
# replaced.
source "$(dirname "${BASH_SOURCE[0]}")/two_monitors.sh"

screens_folder=$(mktemp -d /tmp/nyamo-screens.XXXXXX)
screens_saver_windows() { xwininfo -root -children 2>/dev/null | grep '"Amberpaw"'; }
screens_window_on() { screens_saver_windows | grep -q " $1 "; }  # GEOMETRY: a saver window exactly there
screens_within() {  # SECONDS COMMAND...: the command succeeds within that time
  local i limit=$(($1 * 10))
  shift
  for i in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
  return 1
}
screens_windows_are() { [ "$(screens_saver_windows | grep -c .)" -eq "$1" ]; }
screens_gone() { ! screens_running && screens_windows_are 0; }
# screens_differing GEOMETRY [COLOUR]: how many pixels of that part of the last
# screenshot are not of that colour, or not the desktop's there.
screens_differing() {
  convert "$screens_folder/shot.png" -crop "$1" +repage "$screens_folder/part.png" &&
    if [ -n "${2:-}" ]; then convert -size "${1%%+*}" "xc:$2" "$screens_folder/plain.png"
    else convert "$screens_folder/desktop.png" -crop "$1" +repage "$screens_folder/plain.png"; fi &&
    compare -metric AE "$screens_folder/part.png" "$screens_folder/plain.png" null: 2>&1 | cut -d' ' -f1
}
# screens_kittens_over GEOMETRY [COLOUR]: a flock over that colour (or the desktop):
# some of the part differs from it, but far from all (each monitor has its
# own 20 kittens).
screens_kittens_over() {
  local n area=$((${1%%x*} * $(cut -d+ -f1 <<<"${1#*x}")))
  n=$(screens_differing "$1" "$2")
  [ "${n:-0}" -gt $((area / 400)) ] && [ "$n" -lt $((area / 2)) ] ||
    { echo "  $1: $n of $area pixels differ from ${2:-the desktop}"; return 1; }
}
screens_shot() {  # the saver up on COUNT windows, then a screenshot
  screens_within 20 screens_windows_are "$1" && sleep 1.5 && import -window root "$screens_folder/shot.png"
}
screens_begin() {  # SaverType [SaverScreens]: the desktop, the pointer on the primary monitor, the saver
  display -window root "$screens_folder/desktop.png" >/dev/null 2>&1
  xdotool mousemove 600 500
  printf "[Nyamo Saver]$screens_eol""CatNum=20$screens_eol""SaverType=%s$screens_eol""SaverSpeed=10$screens_eol" "$1" \
    >"$screens_ini"
  [ -z "${2:-}" ] || printf "SaverScreens=%s$screens_eol" "$2" >>"$screens_ini"
  screens_start
}

screens_only_the_primary() {
  screens_begin 1 && screens_shot 1 || return 1
  screens_kittens_over "$TWO_MONITORS_PRIMARY" && [ "$(screens_differing "$TWO_MONITORS_SECOND")" = 0 ] &&
    screens_window_on "$TWO_MONITORS_PRIMARY"
}
screens_every_monitor() {  # SaverType [COLOUR]: over the desktop, or over that colour
  screens_begin "$1" 2 && screens_shot 2 || return 1
  local m
  for m in "$TWO_MONITORS_PRIMARY" "$TWO_MONITORS_SECOND"; do
    screens_kittens_over "$m" "${2:-}" && screens_window_on "$m" || return 1
  done
  [ "$(screens_differing "$TWO_MONITORS_UNSHOWN")" = 0 ]
}
screens_pointer_on_the_second() { xdotool mousemove 1700 400 && screens_within 5 screens_gone; }
screens_monitor_gone() {  # the second monitor switched off, then back as it was
  local ended=0
  xrandr --output DUMMY1 --off && screens_within 5 screens_gone && ended=1
  xrandr --output DUMMY1 --mode m1024 --pos 1280x0
  [ "$ended" = 1 ]
}

if ! start_two_monitors "$screens_folder"; then
  skip "two monitors: the saver on every screen" "$TWO_MONITORS_WHY"
else
  screens_display=$DISPLAY
  export DISPLAY=$TWO_MONITORS_DISPLAY
  convert \( -size 1280x1024 pattern:gray50 +level-colors '#601810,#c03020' \) \
    \( -size 1024x1024 pattern:gray50 +level-colors '#102860,#2050c0' \) +append "$screens_folder/desktop.png"
  declare -F screens_enter >/dev/null && screens_enter
  check "two monitors: a file without SaverScreens covers the primary screen with kittens and leaves the second as it was" \
    screens_only_the_primary
  screens_stop
  check "two monitors: SaverScreens=2 covers each monitor exactly, kittens over its own part of the desktop; nothing drawn where no monitor shows" \
    screens_every_monitor 1
  check "two monitors: a pointer move on the second monitor ends the saver on both" screens_pointer_on_the_second
  screens_stop
  check "two monitors: SaverScreens=2 with the blank background: kittens over black on each monitor" screens_every_monitor 2 black
  screens_name="two monitors: a monitor removed while the saver runs ends it"
  if [ -n "${screens_no_monitor_events:-}" ]; then skip "$screens_name" "$screens_no_monitor_events"; else check "$screens_name" screens_monitor_gone; fi
  screens_stop
  if declare -F screens_set_dpi >/dev/null; then
    screens_set_dpi 144
    check "two monitors at 144 dpi (150 %): each monitor covered exactly, its desktop pixel for pixel under the kittens" \
      screens_every_monitor 1
    screens_stop
    screens_set_dpi 96
  fi
  declare -F screens_leave >/dev/null && screens_leave
  export DISPLAY=$screens_display
  stop_two_monitors
fi
rm -rf "$screens_folder"
