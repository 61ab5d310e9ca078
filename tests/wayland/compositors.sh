# Sourced by run-wayland-suite.sh once sway has gone: the saver under the
# other compositors Debian packages, each started as $suite_account with a
# runtime folder and a session bus of its own. KWin and labwc run nested in
# the suite's Xvfb (xdotool there is their pointer and keyboard; the window's
# picture is their output's); KWin also runs --virtual, the one way it
# composites with OpenGL here (llvmpipe), which its screenshot interface
# needs. weston, cage and mutter offer no layer-shell: the saver must refuse.

declare -A comp_binary=([kwin]=kwin_wayland [kwin-virtual]=kwin_wayland [labwc]=labwc [weston]=weston
  [cage]=cage [mutter]=mutter)
comp_missing() {  # comp_missing KIND: why it cannot run here, or nothing
  [ -n "$suite_account_missing" ] && { echo "$suite_account_missing"; return; }
  command -v "${comp_binary[$1]}" >/dev/null || { echo "${comp_binary[$1]} is not installed"; return; }
  command -v dbus-run-session >/dev/null || echo "dbus-run-session is not installed"
}

# start_compositor KIND: the session's socket in comp_socket, the bus in
# comp_bus, the nested window in comp_window; start and until_shots then
# work in it.
start_compositor() {
  comp_kind=$1 comp_runtime=$work/runtime-$1 comp_socket="" comp_window="" prefix=comp_prefix outputs=comp
  mkdir -p "$comp_runtime" && chmod 700 "$comp_runtime" && chown "$suite_account" "$comp_runtime"
  local command before
  # KWin's binary carries a file capability that exec refuses here: a plain copy runs.
  [[ $1 == kwin* ]] && cp "$(command -v kwin_wayland)" "$work/bin/kwin_wayland"
  case $1 in
    kwin) command=("$work/bin/kwin_wayland" --x11-display "$DISPLAY" --width 1024 --height 768 --socket nyamo-1) ;;
    kwin-virtual) command=("$work/bin/kwin_wayland" --virtual --width 1024 --height 768 --socket nyamo-1) ;;
    labwc) command=(env WLR_BACKENDS=x11 WLR_RENDERER=pixman labwc) ;;
    # weston 10 knows its backend by its module's name, later ones by a short name.
    weston) command=(weston --backend="$(weston --version | grep -q ' 10\.' && echo headless-backend.so || echo headless)"
      --socket=nyamo-1) ;;
    cage) command=(env WLR_BACKENDS=headless WLR_RENDERER=pixman cage -- sleep 600) ;;
    mutter) command=(mutter --wayland --headless --virtual-monitor 1024x768 --wayland-display=nyamo-1) ;;
  esac
  before=$(newest_window)
  local as_prefix
  account_prefix "$suite_account" "$work/home"
  "${as_prefix[@]}" env -u WAYLAND_DISPLAY -u SWAYSOCK XDG_RUNTIME_DIR="$comp_runtime" QT_QPA_PLATFORM=offscreen \
    LIBGL_ALWAYS_SOFTWARE=1 dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; exec "$@"' \
    "$comp_runtime" "${command[@]}" >"$work/$1.log" 2>&1 &
  comp_pid=$!
  pids+=("$comp_pid")
  within 10 comp_socket_made
  comp_bus=$(cat "$comp_runtime/bus" 2>/dev/null)
  [ -n "$comp_socket" ] || { echo "  $1 did not start:"; tail -n 3 "$work/$1.log" | sed 's/^/  /'; return 1; }
  within 10 in_comp timeout 5 wayland-info >/dev/null 2>&1  # up when a client gets its globals
  if [ "$1" = kwin ] || [ "$1" = labwc ]; then
    comp_window=$(newest_window)
    [ "$comp_window" != "$before" ] || { echo "  $1 shows no window on $DISPLAY"; return 1; }
  fi
}
comp_socket_made() {  # or the compositor gone
  comp_socket=$(cd "$comp_runtime" && ls nyamo-1 wayland-[0-9] 2>/dev/null | head -n 1)
  [ -n "$comp_socket" ] || ! kill -0 "$comp_pid" 2>/dev/null
}
stop_compositor() {
  kill "$comp_pid" 2>/dev/null
  ended_within "$comp_pid" 3 || kill -9 "$comp_pid" 2>/dev/null
  # What the session started apart from it (swaybg, Xwayland, the bus), by
  # its runtime folder.
  local environ
  for environ in /proc/[0-9]*/environ; do
    tr '\0' '\n' 2>/dev/null <"$environ" | grep -qx "XDG_RUNTIME_DIR=$comp_runtime" &&
      { environ=${environ#/proc/}; kill -9 "${environ%/environ}" 2>/dev/null; }
  done
}
comp_prefix() {  # the words that run a command in the compositor's session, in as_prefix
  account_prefix "$suite_account" "$work/home"
  as_prefix+=(env XDG_RUNTIME_DIR="$comp_runtime" WAYLAND_DISPLAY="$comp_socket" DBUS_SESSION_BUS_ADDRESS="$comp_bus")
}
in_comp() { local as_prefix; comp_prefix; "${as_prefix[@]}" "$@"; }
# comp_shot: "total own black colours changed" of the compositor's one
# output: own is the suite's first desktop colour, which swaybg paints;
# changed counts the pixels that differ from the desktop's picture taken
# before the saver (labwc shades swaybg's colour: the picture, not the
# colour, is its desktop). The nested window's picture, or on KWin
# --virtual the shot its screenshot interface gives.
comp_shot() {
  local file=$work/shots/comp.ppm changed=0
  rm -f "$work/shots/"Virtual-0.ppm "$file"
  if [ "$comp_kind" = kwin-virtual ]; then
    in_comp timeout 10 "$work/bin/nyamo-output-shot" "$work/shots" >/dev/null 2>&1 && mv "$work/shots/Virtual-0.ppm" "$file"
  else
    import -window "$comp_window" "$file" 2>/dev/null
  fi
  [ -s "$file" ] || { echo "0 0 0 0"; return 1; }
  [ -s "$work/shots/desktop.ppm" ] &&
    changed=$(compare -metric AE -fuzz 3% "$work/shots/desktop.ppm" "$file" null: 2>&1 >/dev/null | cut -d' ' -f1)
  echo "$(histogram "$file" "${desktop[X11-1]}") ${changed%.*}"
}
# The output as it was before the saver, and kittens over that picture.
comp_bare() { [ "$total" -gt 0 ] && [ "$changed" -le $((total / 100)) ]; }
comp_over_desktop() {
  [ "$total" -gt 0 ] && [ "$changed" -gt 500 ] && [ "$changed" -lt $((total * 30 / 100)) ] &&
    [ "$black" -lt $((total * 5 / 100)) ]
}
comp_desktop() {  # the desktop colour on the output (swaybg on the background layer), its picture kept
  rm -f "$work/shots/desktop.ppm"
  start "$work/swaybg.out" swaybg -c "#${desktop[X11-1]}"
  disown "$npid"  # killed with the session, unreported
  sleep 1.5
  comp_shot >/dev/null && mv "$work/shots/comp.ppm" "$work/shots/desktop.ppm" ||
    { echo "  no picture of the desktop"; return 1; }
}

# Covered, one instance, woken by a one-pixel move within 2 s with status 0;
# then the lock-screen background.
comp_saver() {
  start_compositor "$1" && comp_desktop || { stop_compositor; return 1; }
  local result=0
  saver_running || result=1
  second_ends || result=1
  xdotool mousemove_relative 1 0
  ended_as "$npid" 2 0 || result=1
  until_shots 3 comp_bare >/dev/null || { echo "  the output is still covered"; result=1; }
  background_shows 2 mousemove_relative 5 5 click 1 key a || result=1
  stop_compositor
  return $result
}
# The desktop picture: kittens over the desktop. On KWin only for a program
# its .desktop file names: an unnamed copy says so in one line and shows black.
comp_desktop_picture() {
  local result=0 apps=$work/home/.local/share/applications
  if [ "$1" = kwin-virtual ]; then
    # The installed program's own entry, or the built one naming the suite's copy.
    mkdir -p "$apps"
    [ -n "${NYAMO_INSTALLED:-}" ] || sed "s|^Exec=.*|Exec=$nyamo|" "$build/platform/wayland/nyamo.desktop" >"$apps/nyamo.desktop"
    sed "s|^Exec=.*|Exec=$work/bin/nyamo-output-shot|" "$build/platform/wayland/nyamo.desktop" >"$apps/shot.desktop"
    chown -R "$suite_account" "$work/home/.local"
  fi
  start_compositor "$1" || { stop_compositor; return 1; }
  # KWin offers the interface only when it composites with OpenGL: KWin 6
  # needs a DRM render node for that, even with llvmpipe.
  if [ "$1" = kwin-virtual ] && ! in_comp dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.NameHasOwner string:org.kde.KWin.ScreenShot2 | grep -q true; then
    echo "  $(kwin_wayland --version 2>/dev/null) composites without OpenGL here: no screenshot interface"
    stop_compositor
    return 77
  fi
  comp_desktop || { stop_compositor; return 1; }
  settings 20 1 10
  if [ "$1" = kwin-virtual ]; then
    mkdir -p "$work/unnamed"
    cp "$nyamo" "$ini" "$work/unnamed/"
    chown -R "$suite_account" "$work/unnamed"
    start "$work/unnamed.out" "$work/unnamed/nyamo" /s
    until_shots 10 covered_black >/dev/null || { echo "  an unnamed program was not shown over black"; result=1; }
    kill "$npid"
    grep -q "KWin refused" "$work/unnamed.out" && [ "$(wc -l <"$work/unnamed.out")" -eq 1 ] ||
      { echo "  the unnamed program said: $(cat "$work/unnamed.out")"; result=1; }
  fi
  start "$work/saver.out" "$nyamo" /s
  until_shots 10 comp_over_desktop || { echo "  said: $(cat "$work/saver.out")"; result=1; }
  kill "$npid" 2>/dev/null
  stop_compositor
  return $result
}
# A compositor without layer-shell: one line naming it, status 1, at once.
comp_refuses() {
  start_compositor "$1" || { stop_compositor; return 1; }
  in_comp timeout 10 "$nyamo" /s >"$work/refused.out" 2>&1
  local refused=$?
  stop_compositor
  echo "  status $refused, said: $(cat "$work/refused.out")"
  [ "$refused" -eq 1 ] && [ "$(wc -l <"$work/refused.out")" -eq 1 ] && grep -q layer-shell "$work/refused.out"
}
