# Sourced by the suites: an X server with two monitors side by side, for the
# checks of the saver on every screen. Xvfb cannot make one (its +xinerama
# puts both heads at 0,0); Xorg with the dummy video driver
# (xserver-xorg-video-dummy) can, as root, with no display hardware:
#   primary  1280 x 1024 at (0, 0)     DUMMY0
#   second   1024 x  768 at (1280, 0)  DUMMY1
# and a root of 2304 x 1024 whose corner right of and below the second
# monitor no monitor shows.
#
# start_two_monitors FOLDER: the server, its configuration and log in FOLDER;
# TWO_MONITORS_DISPLAY names it and TWO_MONITORS_PID holds it. When it
# cannot run here it returns 1 with the reason in TWO_MONITORS_WHY.
# stop_two_monitors: ends it.
TWO_MONITORS_PRIMARY="1280x1024+0+0"
TWO_MONITORS_SECOND="1024x768+1280+0"
TWO_MONITORS_UNSHOWN="1024x256+1280+768"

two_monitors_cannot() { TWO_MONITORS_WHY=$1; stop_two_monitors; return 1; }  # REASON
start_two_monitors() {
  local folder=$1 fifo number="" xorg
  TWO_MONITORS_WHY= TWO_MONITORS_PID= TWO_MONITORS_DISPLAY=
  xorg=$(command -v Xorg)
  [ "$(id -u)" -eq 0 ] || { two_monitors_cannot "Xorg's dummy driver needs root here"; return; }
  [ -n "$xorg" ] && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
    { two_monitors_cannot "needs Xorg and its dummy driver (xserver-xorg-video-dummy)"; return; }
  command -v xrandr >/dev/null || { two_monitors_cannot "needs xrandr (x11-xserver-utils)"; return; }
  mkdir -p "$folder"
  # No input device of the machine's own (xdotool speaks XTEST), and the
  # console left as it is: the server shares the active VT and never switches.
  cat >"$folder/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3000 1200
  EndSubSection
EndSection
CONF
  fifo=$(mktemp -u /tmp/nyamo-xorg-fd.XXXXXX)
  mkfifo -m 600 "$fifo" || return 1
  # -displayfd: the server picks a free display itself, as the suites' Xvfbs do.
  "$xorg" -displayfd 9 -config "$folder/xorg.conf" -logfile "$folder/xorg.log" -noreset -nolisten tcp -sharevts -novtswitch \
    9>"$fifo" >"$folder/xorg.out" 2>&1 &
  TWO_MONITORS_PID=$!
  read -r -t 30 number <"$fifo"
  rm -f "$fifo"
  [ -n "$number" ] && kill -0 "$TWO_MONITORS_PID" 2>/dev/null ||
    { two_monitors_cannot "Xorg did not start: $(tail -n 1 "$folder/xorg.out")"; return; }
  TWO_MONITORS_DISPLAY=":$number"
  local x="env DISPLAY=$TWO_MONITORS_DISPLAY xrandr"
  $x --newmode m1024 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync &&
    $x --addmode DUMMY1 m1024 &&
    $x --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary --output DUMMY1 --mode m1024 --pos 1280x0 ||
    { two_monitors_cannot "xrandr could not place the two monitors"; return; }
  [ "$($x --listmonitors | head -n 1)" = "Monitors: 2" ] || two_monitors_cannot "the server shows no two monitors"
}

stop_two_monitors() {
  [ -n "${TWO_MONITORS_PID:-}" ] || return 0
  kill "$TWO_MONITORS_PID" 2>/dev/null
  local i
  for i in $(seq 100); do kill -0 "$TWO_MONITORS_PID" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$TWO_MONITORS_PID" 2>/dev/null
  wait "$TWO_MONITORS_PID" 2>/dev/null
  TWO_MONITORS_PID=
}
