# Under the real xscreensaver: the daemon runs the hack over the desktop or
# black, its settings tool reads our config, and --add-to-xscreensaver puts
# Nyamo in the user's list. The daemon will not run hacks as root: as root
# the suite runs it as nobody, otherwise as the user running the suite.
# Every daemon check takes the account to use. The functions here begin with xss_.
xss_account=$suite_account
xss_home=$work/xss-home
xss_as() { run_as "$1" "$xss_home" "${@:2}"; }  # xss_as ACCOUNT COMMAND...: HOME the daemon's test folder
xss_live_hacks() {  # the hack processes that run (an ended one may stay a zombie for a while)
  local p
  for p in $(pgrep -f -- "^$nyamo --root"); do
    [ "$(ps -o stat= -p "$p" | cut -c1)" = Z ] || echo "$p"
  done
}
xss_daemon_start() {  # xss_daemon_start ACCOUNT GRAB HACK-OPTIONS: the daemon with Nyamo alone in its list
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
  xss_daemon_launch "$1"
}
xss_daemon_launch() {  # xss_daemon_launch ACCOUNT: the daemon on the settings already in $xss_home
  [ "$(id -u)" -eq 0 ] && chown -R "$1" "$xss_home"
  xss_as "$1" xscreensaver -no-splash -verbose >"$work/xss.log" 2>&1 &
  xss_daemon_pid=$!
  pids+=("$xss_daemon_pid")
  local i
  for i in $(seq 100); do
    xss_as "$1" xscreensaver-command -time >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "  the daemon does not answer:"; tail -n 5 "$work/xss.log"
  return 1
}
xss_blank() {  # xss_blank ACCOUNT COMMAND...: blank by xscreensaver-command (-activate, -select N), and wait for the hack
  xss_as "$1" xscreensaver-command "${@:2}" >/dev/null 2>&1 || { echo "  ${*:2} refused"; return 1; }
  xss_blanked_at=$(date +%s%N)
  local i
  for i in $(seq 100); do [ -n "$(xss_live_hacks)" ] && return 0; sleep 0.05; done
  echo "  no hack started after ${*:2}:"; tail -n 5 "$work/xss.log"
  return 1
}
# The daemon ignores a key or a pointer move in the first second or so after
# it blanks (measured: a key 1.0 s after -activate or -select is dropped,
# one at 1.4 s ends the hack), so a user's key comes later than that.
xss_key_after_blanking() {  # xss_key_after_blanking KEY: the key, 2 s after the blanking at the earliest
  local left=$(( (xss_blanked_at + 2000000000 - $(date +%s%N)) / 1000000 ))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  xdotool key "$1"
}
xss_no_hack_within() {  # xss_no_hack_within SECONDS
  local i
  for i in $(seq $(($1 * 20))); do [ -z "$(xss_live_hacks)" ] && return 0; sleep 0.05; done
  echo "  hack still running: $(xss_live_hacks)"
  return 1
}
xss_daemon_stop() {
  # xscreensaver 6 draws through a child, xscreensaver-gfx, that outlives a
  # killed daemon for a while; left alone it would answer the next check's
  # commands with the previous check's settings and environment.
  local p i children
  children=$(pgrep -P "$xss_daemon_pid")
  kill "$xss_daemon_pid" 2>/dev/null
  wait "$xss_daemon_pid" 2>/dev/null
  for p in $children; do kill "$p" 2>/dev/null; done
  for i in $(seq 60); do
    kill -0 $children 2>/dev/null || break
    sleep 0.05
  done
  for p in $(xss_live_hacks); do kill "$p"; done
}
xss_hack_complained() { grep -E '^nyamo: |usage: nyamo' "$work/xss.log"; }  # the hack's own messages in the daemon's log

xss_desktop() {  # xss_desktop ACCOUNT [GRAB]: GRAB "-" leaves grabDesktopImages to the resources
  "$probe" paint-root && "$probe" save root "$work/desktop.ppm" || return 1
  xss_daemon_start "$1" "${2:-True}" "" && xss_blank "$1" -activate || { xss_daemon_stop; return 1; }
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
  xss_as "$1" xscreensaver-command -deactivate >/dev/null 2>&1 || result=1
  xss_no_hack_within 3 || result=1
  xss_hack_complained && result=1
  xss_daemon_stop
  return $result
}
check "xscreensaver: kittens walk over the desktop the root showed (grabDesktopImages on); the command deactivates" \
  xss_desktop "$xss_account"

# xss_kittens_over_black: within 15 s the root is mostly black, with kittens
# of many shades once they have walked in; prints the last reading.
xss_kittens_over_black() {
  local i
  for i in $(seq 30); do
    kittens_over_black root 1024 768 80 8 2000 >/dev/null && { echo "$stats"; return 0; }
    sleep 0.5
  done
  echo "$stats"
  return 1
}

xss_over_black() {  # xss_over_black ACCOUNT GRAB HACK-OPTIONS
  "$probe" paint-root || return 1
  xss_daemon_start "$1" "$2" "$3" && xss_blank "$1" -activate || { xss_daemon_stop; return 1; }
  local stats result=1 i
  stats=$(xss_kittens_over_black) && result=0
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
  xss_key_after_blanking a
  xss_no_hack_within 3 || result=1
  xss_hack_complained && result=1
  xss_daemon_stop
  return $result
}
# Without a word in ~/.xscreensaver the resource files decide, found where
# libXt finds them for xscreensaver's own programs: here the user's
# app-defaults named by XUSERFILESEARCHPATH.
xss_desktop_from_resources() {  # xss_desktop_from_resources ACCOUNT
  mkdir -p "$work/app-defaults"
  printf '*grabDesktopImages:\tTrue\n' >"$work/app-defaults/XScreenSaver"
  chmod -R a+rX "$work/app-defaults"
  XUSERFILESEARCHPATH="$work/app-defaults/%N" xss_desktop "$1" -
}
check "xscreensaver: grabDesktopImages from the user's app-defaults (XUSERFILESEARCHPATH) shows the desktop" \
  xss_desktop_from_resources "$xss_account"
check "xscreensaver: over black with grabDesktopImages off; a key deactivates" xss_over_black "$xss_account" False ""
check "xscreensaver: over black with --blank, also with Show frame rate (--fps)" \
  xss_over_black "$xss_account" True "--blank --fps"

xss_settings_tool() {  # xss_settings_tool ACCOUNT
  # The settings tool reads its configs from one fixed folder: a private
  # mount shows it Debian's configs and ours without touching the system.
  mkdir -p "$work/xss-config"
  cp /usr/share/xscreensaver/config/*.xml "$build/platform/linux/nyamo.xml" "$work/xss-config/"
  chmod -R a+rX "$work/xss-config"
  xss_daemon_start "$1" True "" || { xss_daemon_stop; return 1; }
  timeout 20 unshare -m sh -c 'mount --bind "$0" /usr/share/xscreensaver/config && exec "$@"' \
    "$work/xss-config" env HOME="$xss_home" setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups \
    xscreensaver-settings --debug >"$work/settings.log" 2>&1
  local result=0 p
  for p in $(xss_live_hacks); do kill "$p"; done   # the tool's preview
  grep -q 'reading .*/config/nyamo.xml' "$work/settings.log" || { echo "  nyamo.xml not read"; result=1; }
  if grep -E 'WARNING: .*nyamo.xml|^nyamo: |usage: nyamo' "$work/settings.log"; then result=1; fi
  xss_hack_complained && result=1
  xss_daemon_stop
  return $result
}
# xss_private_mount_refusal: empty when a private mount namespace can be made
# here, else why not (inside a chroot, for one, the root is no mount point).
xss_private_mount_refusal() {
  local said
  said=$(unshare -m sh -c 'mount --bind "$0" "$0"' "$work" 2>&1) && return 0
  echo "${said%%$'\n'*}"
  [ -n "$said" ] || echo "unshare -m failed"
}
if [ "$(id -u)" -ne 0 ]; then
  skip "xscreensaver: the settings tool reads nyamo.xml" "needs root for a private mount over its config folder"
elif xss_refusal=$(xss_private_mount_refusal) && [ -n "$xss_refusal" ]; then
  skip "xscreensaver: the settings tool reads nyamo.xml" "no private mount over its config folder here ($xss_refusal)"
else
  check "xscreensaver: the settings tool reads nyamo.xml without a warning and previews the hack quietly" \
    xss_settings_tool "$xss_account"
fi

# The user's list of hacks. A list as xscreensaver-settings writes it: three
# of Debian's hacks, with settings before and after.
xss_written_list() {
  printf '%s\n' "# XScreenSaver Preferences File" "timeout:	0:30:00" "lock:		False" "fade:		False" \
    "unfade:		False" "splash:		False" "dpmsEnabled:	False" "mode:		random" "selected:	1" \
    "grabDesktopImages:	False" \
    "programs:								      \\" \
    "				maze --root				    \\n\\" \
    "- GL: 				superquadrics --root			    \\n\\" \
    "				greynetic --root			    \\n" \
    "" "pointerHysteresis:	10" "authWarningSlack:	20"
}
# xss_selected_kittens ACCOUNT N: the daemon runs entry N, which is Nyamo,
# and kittens show over black; a key ends it.
xss_selected_kittens() {
  xss_blank "$1" -select "$2" || return 1
  local stats result=1
  stats=$(xss_kittens_over_black) && result=0
  echo "  entry $2: $stats"
  xss_key_after_blanking a
  xss_no_hack_within 3 || result=1
  xss_hack_complained && result=1
  return $result
}
xss_add_to_running_daemon() {  # ACCOUNT
  "$probe" paint-root || return 1
  rm -rf "$xss_home" && mkdir -p "$xss_home" && xss_written_list >"$xss_home/.xscreensaver" || return 1
  cp "$xss_home/.xscreensaver" "$work/list-before"
  xss_daemon_launch "$1" || { xss_daemon_stop; return 1; }
  local said n result=0
  said=$(xss_as "$1" "$nyamo" --add-to-xscreensaver 2>&1) || { echo "  $said"; xss_daemon_stop; return 1; }
  echo "  $said" | head -n 1
  n=$(sed -n 's/.* as entry \([0-9]*\) .*/\1/p' <<<"$said")
  [ "$n" = 4 ] || { echo "  entry $n, not 4"; result=1; }
  # Every line stays but the list's last, which gains the joining backslash;
  # the new entry's line follows it.
  diff <(sed -e '14s/\\$//' -e '15d' "$xss_home/.xscreensaver") "$work/list-before" || result=1
  sed -n '15p' "$xss_home/.xscreensaver" | grep -qx "	*$nyamo --root	*    \\\\n" ||
    { echo "  new line: $(sed -n '15p' "$xss_home/.xscreensaver")"; result=1; }
  cp "$xss_home/.xscreensaver" "$work/list-after"
  said=$(xss_as "$1" "$nyamo" --add-to-xscreensaver 2>&1)
  grep -q 'already entry 4' <<<"$said" && cmp -s "$xss_home/.xscreensaver" "$work/list-after" ||
    { echo "  the second time: $said"; result=1; }
  # The daemon, running since before the change, reads the list itself.
  xss_selected_kittens "$1" 4 || result=1
  xss_daemon_stop
  return $result
}
check "xscreensaver list: --add-to-xscreensaver appends Nyamo, every other line byte-identical, the second time changes nothing; the running daemon's -select runs it" \
  xss_add_to_running_daemon "$xss_account"

xss_add_without_a_list() {  # ACCOUNT
  "$probe" paint-root || return 1
  rm -rf "$xss_home" && mkdir -p "$xss_home" || return 1
  [ "$(id -u)" -eq 0 ] && chown -R "$1" "$xss_home"
  local said n result=0 defaults=/etc/X11/app-defaults/XScreenSaver listed
  said=$(xss_as "$1" "$nyamo" --add-to-xscreensaver 2>&1) || { echo "  $said"; return 1; }
  grep -q "^Made .* from $defaults" <<<"$said" || { echo "  $said"; result=1; }
  # The list is the app-defaults' list, in its order, and Nyamo after it.
  n=$(sed -n 's/.* as entry \([0-9]*\) .*/\1/p' <<<"$said")
  listed=$(awk '/^\*programs:/{f=1} f{print} f&&!/\\$/{exit}' "$defaults" | grep -c '\\n')
  [ "$n" = $((listed + 1)) ] || { echo "  entry $n after $listed of the app-defaults"; result=1; }
  grep -q '^lock:' "$xss_home/.xscreensaver" && ! grep -q 'Dialog\.' "$xss_home/.xscreensaver" ||
    { echo "  the made file's settings are not the daemon's"; result=1; }
  xss_daemon_launch "$1" || { xss_daemon_stop; return 1; }
  xss_selected_kittens "$1" "$n" || result=1
  xss_daemon_stop
  return $result
}
if [ -f /etc/X11/app-defaults/XScreenSaver ]; then
  check "xscreensaver list: without ~/.xscreensaver it is made from the app-defaults with Nyamo last, and the daemon runs it" \
    xss_add_without_a_list "$xss_account"
else
  skip "xscreensaver list: made from the app-defaults" "no /etc/X11/app-defaults/XScreenSaver here"
fi
