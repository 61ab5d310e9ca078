# The command line's dispatch: what ends at once, and why.
dispatch_ignored() {
  local arg
  for arg in /a -s s /x "/p"; do
    timeout 5 "$nyamo" "$arg" >/dev/null 2>&1 || return 1
    no_window || return 1
  done
}
check "dispatch: /a, -s, s, /x and /p without a window end at once with status 0" dispatch_ignored

dispatch_overflow() {
  timeout 5 "$nyamo" "/p 99999999999" >/dev/null 2>&1
  local rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] && no_window
}
check "dispatch: a handle beyond 32 bits ends with a non-zero status, no window" dispatch_overflow

dispatch_bogus_id() {
  make_host 50x50 || return 1
  local unused=$((host + 0x1000))
  drop_host
  timeout 5 "$nyamo" "/p $unused" >/dev/null 2>&1 && no_window
}
check "dispatch: /p with an id that names no window ends at once" dispatch_bogus_id

dispatch_no_display() {
  local out
  out=$(DISPLAY= timeout 5 "$nyamo" /s 2>&1)
  [ $? -eq 1 ] && grep -q "nyamo-render" <<<"$out"
}
check "dispatch: without a display it says so and points to nyamo-render" dispatch_no_display
