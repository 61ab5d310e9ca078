#!/usr/bin/env bash
# What the Wayland saver's ticks ask of the compositor and of the heap, in a
# running Wayland session with layer-shell (WAYLAND_DISPLAY set), over
# SECONDS of steady state after a start-up of 3 s:
# - round trips: wl_display.sync requests after the first frame went up
#   (WAYLAND_DEBUG=client logs every message): none;
# - heap allocations (nyamo-alloc-count.so preloaded): every one a tick
#   makes comes from libwayland-client, which allocates and frees a closure
#   for each message it sends or reads; none from anywhere else.
# Usage: tools/bench/wayland-tick-audit.sh BUILD_DIR [SECONDS]   (default 5)
# Exits 1 when a tick makes a round trip or an allocation of its own.
set -uo pipefail
build=${1:?usage: wayland-tick-audit.sh BUILD_DIR [SECONDS]}
seconds=${2:-5}
nyamo=$build/platform/x11/nyamo
counter=$(readlink -f "$build/tools/bench/nyamo-alloc-count.so")
for f in "$nyamo" "$counter"; do [ -e "$f" ] || { echo "wayland-tick-audit: no $f (build with -DNYAMO_BENCHMARKS=ON)"; exit 2; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

WAYLAND_DEBUG=client "$nyamo" --backend=wayland /s 2>"$work/messages.log" &
pid=$!
sleep $((3 + seconds))
kill -TERM "$pid"
wait "$pid"
syncs=$(awk '/wl_surface@[0-9]+\.attach\(/ { up = 1 } up && /-> wl_display@1\.sync\(/ { n++ } END { print n + 0 }' "$work/messages.log")
commits=$(grep -c -- '-> wl_surface@[0-9]*\.commit()' "$work/messages.log")

LD_PRELOAD=$counter "$nyamo" --backend=wayland /s 2>"$work/allocs.log" &
pid=$!
sleep 3
kill -USR1 "$pid"
sleep "$seconds"
kill -USR2 "$pid"
sleep 0.2
kill -TERM "$pid"
wait "$pid"
read -r wayland other < <(sed -n 's/^alloc_count: wayland \([0-9]*\) other \([0-9]*\)$/\1 \2/p' "$work/allocs.log")
echo "round trips after the first frame: $syncs (in $commits commits)"
echo "allocations in ${seconds} s of ticks: ${wayland:-?} in libwayland-client's messages, ${other:-?} of the program's own"
[ "$syncs" -eq 0 ] && [ "${other:-1}" -eq 0 ]
