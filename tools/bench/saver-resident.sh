#!/usr/bin/env bash
# Resident memory of the X11 saver on a private Xvfb of the given size, with
# 50 kittens at speed 10 over the desktop: VmRSS and VmHWM from /proc after
# a few seconds of ticks, against the goal of two frames plus 8 MB.
# Usage: tools/bench/saver-resident.sh NYAMO_BINARY [WIDTHxHEIGHT] [SECONDS]
set -u
nyamo=$(realpath "${1:?usage: saver-resident.sh NYAMO_BINARY [WIDTHxHEIGHT] [SECONDS]}")
size=${2:-3840x2160}
seconds=${3:-4}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/nyamo-resident.XXXXXX)
cleanup() {
  [ -n "${saver_pid:-}" ] && kill "$saver_pid" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$here/../../tests/lib/private_xvfb.sh"
start_private_xvfb "${size}x24" "$work/xvfb.log" || exit 1
# The settings live beside the program: a copy in a folder of our own.
cp "$nyamo" "$work/nyamo"
printf '[Nyamo Saver]\nCatNum=50\nSaverType=1\nSaverSpeed=10\n' >"$work/Nyamo_07.ini"
"$work/nyamo" /s >"$work/saver.out" 2>&1 &
saver_pid=$!
sleep "$seconds"
kill -0 "$saver_pid" 2>/dev/null || { echo "the saver ended early:"; cat "$work/saver.out"; exit 1; }
width=${size%x*}
height=${size#*x}
frame_kb=$((width * height * 4 / 1024))
rss_kb=$(awk '/^VmRSS/ { print $2 }' /proc/"$saver_pid"/status)
hwm_kb=$(awk '/^VmHWM/ { print $2 }' /proc/"$saver_pid"/status)
awk -v size="$size" -v rss="$rss_kb" -v hwm="$hwm_kb" -v frame="$frame_kb" 'BEGIN {
  printf "%s: VmRSS %.1f MiB, VmHWM %.1f MiB; one frame %.1f MiB, goal 2 frames + 8 MiB = %.1f MiB\n",
    size, rss / 1024, hwm / 1024, frame / 1024, (2 * frame) / 1024 + 8 }'
grep -E '^(RssAnon|RssFile|RssShmem)' /proc/"$saver_pid"/status | tr -s '\t ' ' ' 
