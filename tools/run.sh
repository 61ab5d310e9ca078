#!/usr/bin/env bash
# Sets up, builds and starts the saver on this X display. Without a display
# it renders the saver into a GIF instead and says where. Installs only what
# the saver needs; tools/test.sh installs the test tools.
set -uo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8
bash tools/setup-debian.sh --run || exit 1
cmake -S . -B build -G Ninja -DNYAMO_TESTS=OFF -DNYAMO_BENCHMARKS=OFF >/dev/null || exit 1
ninja -C build -j "$(nproc)" || exit 1
if [ -n "${DISPLAY:-}" ] && [ -x build/platform/x11/nyamo ]; then
  exec build/platform/x11/nyamo /s
fi
[ -z "${DISPLAY:-}" ] && echo "No X display (DISPLAY is not set): rendering the saver with nyamo-render instead."
mkdir -p out
build/tools/render/nyamo-render --ticks 300 --width 640 --height 360 --cats 12 --gif out/nyamo.gif --png out/nyamo.png || exit 1
echo "The animation is in $(pwd)/out/nyamo.gif (the last frame in out/nyamo.png)."
