# Sourced by the suites: the counting of checks, waiting for a process, and
# playing an ordinary user when the suite runs as root (as CI does).
# The counts of checks, the processes a suite started (ended at its exit),
# and whether it ran to its end.
pids=()
passed=0
failed=0
skipped=0
finished=0

pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() {  # fail NAME [WHY]
  echo "FAIL $1${2:+: $2}"
  failed=$((failed + 1))
}
check() {  # check NAME COMMAND...: one line per check; a command that finds it cannot run here returns 77
  local name=$1 result; shift
  "$@"
  result=$?
  if [ $result -eq 0 ]; then pass "$name"
  elif [ $result -eq 77 ]; then skip "$name" "it cannot run here (said above)"
  else fail "$name"; fi
}
expect() {  # expect NAME WANTED GOT: a failure shows both
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1" "wanted [$2], got [$3]"; fi
}
skip() {  # skip NAME REASON: a check that cannot run here, said so and counted
  echo "SKIP $1: $2"
  skipped=$((skipped + 1))
}
# suite_cleanup NAME FOLDER, at the suite's exit: its processes ended and its
# folder removed; a suite that stopped before its end says so and fails.
suite_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  chmod -R u+w "$2" 2>/dev/null
  rm -rf "$2"
  if [ "$finished" -ne 1 ]; then
    echo "$1 suite: $passed passed, $failed failed, $skipped skipped; stopped before its end"
    exit 1
  fi
}
suite_done() {  # suite_done NAME: the closing count line; false when a check failed
  finished=1
  echo "$1 suite: $passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
}
ended_within() {  # ended_within PID SECONDS: the process ended; its status in $status
  local pid=$1 limit=$2 i
  for i in $(seq $((limit * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; return 0; fi
    sleep 0.05
  done
  return 1
}

# The account a suite runs its users' programs as: "nobody" under root (some
# programs, sway and xscreensaver among them, refuse root, and the file
# system refuses nothing to root), otherwise the user running the suite.
if [ "$(id -u)" -eq 0 ]; then suite_account=nobody; else suite_account=$(id -un); fi
# Empty when the suite can play that account, else why not.
suite_account_missing=$(id "$suite_account" >/dev/null 2>&1 &&
  { [ "$(id -u)" -ne 0 ] || command -v setpriv >/dev/null; } || echo "needs the account $suite_account and setpriv")

run_as() {  # run_as ACCOUNT HOME COMMAND...: the command as that account, with that HOME
  local as_prefix
  account_prefix "$1" "$2"
  shift 2
  "${as_prefix[@]}" "$@"
}
# account_prefix ACCOUNT HOME: the words that run a command so, in the array
# as_prefix. Started in the background through them, the command keeps the
# process $! names (each word execs the next), so it can be signalled.
account_prefix() {
  as_prefix=(env HOME="$2")
  [ "$1" = "$(id -un)" ] || as_prefix+=(setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups)
}
