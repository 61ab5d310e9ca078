#!/usr/bin/env bash
# packages: libxfixes-dev libxtst-dev xscreensaver xscreensaver-data fonts-ipafont-gothic valgrind
# The X11 suite: the real nyamo binary on a real X server (Xvfb), driven by
# xdotool and by x11_probe (a small Xlib client built with the program), with
# openbox where a reparenting window manager matters. Needs xvfb, xdotool,
# x11-utils, openbox and imagemagick; the xscreensaver checks drive Debian's
# real daemon (xscreensaver, xscreensaver-data); the memcheck runs need
# valgrind; the checks on two monitors need root and Xorg with its dummy
# driver (tests/lib/two_monitors.sh).
# Usage: tests/x11/run-x11-suite.sh BUILD_DIR
#
# Prints one line per check (PASS, FAIL or SKIP with the reason) and always a
# closing count line; the status is non-zero when a check failed or the
# suite could not run to its end. No "set -e" or "set -u": a failing command
# or an empty value inside a check makes that check fail, not the suite stop.
#
# This file sets up; helpers.sh holds what several topics use; each file of
# checks/ is one topic, its checks run as it is sourced, its own functions
# prefixed with its topic (a sourced function silently replaces one of the
# same name).

# Tools print and compare texts the same way whatever the caller's locale;
# the checks that want no locale for the program say so.
export LC_ALL=C.UTF-8
unset LANGUAGE
[ -d "${1:-}" ] || { echo "usage: run-x11-suite.sh BUILD_DIR"; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/suite.sh"
source_dir=$(cd "$here/../.." && pwd)
probe=$build/tests/x11/x11_probe
for f in "$build/platform/x11/nyamo" "$probe"; do
  [ -x "$f" ] || { echo "x11 suite: $f is missing (build first)"; exit 1; }
done

work=$(mktemp -d /tmp/nyamo-x11.XXXXXX)
chmod 755 "$work"
# The program keeps its settings beside itself when it may write there: a
# copy in a folder of the suite's own keeps the build tree clean.
mkdir -p "$work/bin"
cp "$build/platform/x11/nyamo" "$work/bin/nyamo"
nyamo=$work/bin/nyamo
ini=$work/bin/Nyamo_07.ini

cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
  if [ "$finished" -ne 1 ]; then
    echo "x11 suite: $passed passed, $failed failed, $skipped skipped; stopped before its end"
    exit 1
  fi
}
trap cleanup EXIT
trap 'echo "x11 suite: interrupted"; exit 130' INT TERM

source "$here/../lib/private_xvfb.sh"
start_private_xvfb 1024x768x24 "$work/xvfb.log" || exit 1
xvfb_pid=$XVFB_PID
unset XSCREENSAVER_WINDOW

source "$here/helpers.sh"
for topic in dispatch saver preview dialog locale settings hack visual xscreensaver memcheck install screens; do
  if [ -f "$here/checks/$topic.sh" ]; then source "$here/checks/$topic.sh"; else fail "topic checks/$topic.sh is there"; fi
done

finished=1
echo "x11 suite: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
