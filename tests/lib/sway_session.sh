# Sourced after suite.sh: a sway session of the caller's own, run as
# $suite_account (sway refuses root) with a runtime folder of its own.
#
# start_sway RUNTIME CONFIG LOG BACKEND [SIZE]: sway on BACKEND, "x11" (its
# outputs are windows of the X server on $DISPLAY, so that xdotool there
# arrives as wl_pointer and wl_keyboard events) or "headless" (one output of
# SIZE, no input devices). The pixman renderer either way: no GPU is needed.
# Exports WAYLAND_DISPLAY and SWAYSOCK; SWAY_PID holds the compositor. The
# session's programs get SWAY_HOME as their HOME (the runtime folder unless
# the caller sets it).
start_sway() {
  local runtime=$1 config=$2 log=$3 backend=$4 size=${5:-} i socket="" ipc=""
  mkdir -p "$runtime" && chmod 700 "$runtime" && chown "$suite_account" "$runtime" || return 1
  SWAY_RUNTIME=$runtime
  SWAY_HOME=${SWAY_HOME:-$runtime}
  chmod a+r "$config"
  # The caller's own session, if any, must not become sway's backend.
  local as_prefix
  account_prefix "$suite_account" "$SWAY_HOME"
  "${as_prefix[@]}" env -u WAYLAND_DISPLAY -u SWAYSOCK -u WAYLAND_SOCKET \
    XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS="$backend" WLR_RENDERER=pixman sway -c "$config" >"$log" 2>&1 &
  SWAY_PID=$!
  for i in $(seq 200); do
    socket=$(cd "$runtime" && ls wayland-[0-9]* 2>/dev/null | grep -v '\.lock$' | head -n 1)
    ipc=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1)
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    kill -0 "$SWAY_PID" 2>/dev/null || break
    sleep 0.05
  done
  export WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc
  if [ -z "$socket" ] || [ -z "$ipc" ] || ! in_session timeout 5 swaymsg -t get_version >/dev/null 2>&1; then
    echo "sway did not start:" >&2
    tail -n 5 "$log" >&2
    return 1
  fi
  if [ -n "$size" ]; then
    in_session timeout 5 swaymsg "output HEADLESS-1 mode $size" >/dev/null || return 1
  fi
}
# in_session COMMAND...: the command as the session's user, in its session.
in_session() { local as_prefix; session_prefix; "${as_prefix[@]}" "$@"; }
# session_prefix: those words in as_prefix, for a command started in the
# background that must be signalled (see account_prefix).
session_prefix() {
  account_prefix "$suite_account" "$SWAY_HOME"
  as_prefix+=(env XDG_RUNTIME_DIR="$SWAY_RUNTIME" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SWAYSOCK="$SWAYSOCK")
}
# session_processes NAME: the session's processes of that name, found by the
# runtime folder in their environment (sway starts swaybg apart from itself:
# it is not sway's child).
session_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$1" ] &&
      tr '\0' '\n' <"$environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$SWAY_RUNTIME" && echo "$pid"
  done
}
stop_sway() {
  [ -n "${SWAY_PID:-}" ] || return 0
  local helpers
  helpers=$(session_processes swaybg)
  kill "$SWAY_PID" $helpers 2>/dev/null
  local i
  for i in $(seq 60); do kill -0 "$SWAY_PID" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$SWAY_PID" 2>/dev/null
  wait "$SWAY_PID" 2>/dev/null
  SWAY_PID=
}
