#!/usr/bin/env bash
# What the Wayland saver's ticks ask of the compositor and of the heap, over
# SECONDS of steady state after a start-up of 3 s:
# - round trips: wl_display.sync requests after the first frame went up
#   (WAYLAND_DEBUG=client logs every message; libwayland 1.21 names an
#   object interface@id, 1.23 interface#id): none;
# - commits in that log: at least one, or the log was not read at all;
# - heap allocations (nyamo-alloc-count.so preloaded): every one a tick
#   makes comes from libwayland-client, which allocates and frees a closure
#   for each message it sends or reads; none from anywhere else.
# In the Wayland session of WAYLAND_DISPLAY (it needs layer-shell), or
# without one in a sway of its own (headless, pixman renderer, 1920 x 1080,
# as an ordinary user: sway refuses root).
# Usage: tools/bench/wayland-tick-audit.sh BUILD_DIR [SECONDS]   (default 5)
# Exits 1 when a tick makes a round trip or an allocation of its own, or no
# commit is seen; 2 when it cannot run.
# packages: sway swaybg
set -uo pipefail
build=${1:?usage: wayland-tick-audit.sh BUILD_DIR [SECONDS]}
seconds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
for f in "$build/platform/x11/nyamo" "$build/tools/bench/nyamo-alloc-count.so"; do
  [ -e "$f" ] || { echo "wayland-tick-audit: no $f (build with -DNYAMO_BENCHMARKS=ON)"; exit 2; }
done
source "$here/../../tests/lib/suite.sh"
source "$here/../../tests/lib/sway_session.sh"
work=$(mktemp -d /tmp/nyamo-audit.XXXXXX)
trap 'stop_sway; rm -rf "$work"' EXIT
# Copies another account may read and run.
chmod 755 "$work"
cp "$build/platform/x11/nyamo" "$build/tools/bench/nyamo-alloc-count.so" "$work/"
nyamo=$work/nyamo
counter=$work/nyamo-alloc-count.so
as_prefix=()
if [ -z "${WAYLAND_DISPLAY:-}" ]; then
  command -v sway >/dev/null || { echo "wayland-tick-audit: no WAYLAND_DISPLAY and no sway"; exit 2; }
  printf 'output * bg #336699 solid_color\n' >"$work/sway.config"
  start_sway "$work/runtime" "$work/sway.config" "$work/sway.log" headless 1920x1080 || exit 2
  session_prefix
fi

"${as_prefix[@]}" env WAYLAND_DEBUG=client "$nyamo" --backend=wayland /s 2>"$work/messages.log" &
pid=$!
sleep $((3 + seconds))
kill -TERM "$pid" 2>/dev/null
wait "$pid"
syncs=$(awk '/wl_surface[@#][0-9]+\.attach\(/ { up = 1 } up && /-> wl_display[@#]1\.sync\(/ { n++ } END { print n + 0 }' \
  "$work/messages.log")
commits=$(grep -cE -- '-> wl_surface[@#][0-9]+\.commit\(\)' "$work/messages.log")

"${as_prefix[@]}" env LD_PRELOAD="$counter" "$nyamo" --backend=wayland /s 2>"$work/allocs.log" &
pid=$!
sleep 3
kill -USR1 "$pid" 2>/dev/null
sleep "$seconds"
kill -USR2 "$pid" 2>/dev/null
sleep 0.2
kill -TERM "$pid" 2>/dev/null
wait "$pid"
read -r wayland other < <(sed -n 's/^alloc_count: wayland \([0-9]*\) other \([0-9]*\)$/\1 \2/p' "$work/allocs.log")
echo "round trips after the first frame: $syncs (in $commits commits)"
echo "allocations in ${seconds} s of ticks: ${wayland:-?} in libwayland-client's messages, ${other:-?} of the program's own"
[ "$commits" -gt 0 ] || { echo "wayland-tick-audit: no commit in the saver's message log"; head -n 5 "$work/messages.log"; exit 1; }
[ "$syncs" -eq 0 ] && [ "${other:-1}" -eq 0 ]
