#!/usr/bin/env bash
# Installs what Nyamo needs to build and test on Debian 12, from Debian's
# packages. Test suites may name extra packages in a "# packages:" line.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config   # the native build
  libgtest-dev libgmock-dev libbenchmark-dev     # unit tests and benchmarks
  libstb-dev libgif-dev                          # picture decoding (stb_image), PNG and GIF writing
  libx11-dev libxext-dev libxrandr-dev           # the X11 saver (MIT-SHM, primary output)
  libfltk1.3-dev fonts-noto-cjk                  # the Linux settings dialog and its Japanese labels
  g++-mingw-w64-x86-64 wine64                    # the Windows screen saver and running it
  xvfb xdotool x11-utils openbox imagemagick     # a display, input and screenshots for the suites
)
for script in tests/*/run-*.sh; do
  [ -f "$script" ] || continue
  extra=$(sed -n 's/^# packages: *//p' "$script")
  [ -n "$extra" ] && read -r -a more <<<"$extra" && packages+=("${more[@]}")
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: every package is installed"
  exit 0
fi
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
