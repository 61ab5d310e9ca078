#!/usr/bin/env bash
# Sets up, builds and starts the saver on this X display. Without a display
# it renders the saver into a GIF instead and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build -j "$(nproc)"
if [ -n "${DISPLAY:-}" ] && [ -x build/platform/x11/nyamo ]; then
  exec build/platform/x11/nyamo /s
fi
[ -z "${DISPLAY:-}" ] && echo "No X display (DISPLAY is not set): rendering the saver with nyamo-render instead."
mkdir -p out
build/tools/render/nyamo-render --ticks 300 --width 640 --height 360 --cats 12 --gif out/nyamo.gif --png out/nyamo.png
echo "The animation is in $(pwd)/out/nyamo.gif (the last frame in out/nyamo.png)."
