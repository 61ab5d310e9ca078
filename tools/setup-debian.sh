#!/usr/bin/env bash
# Installs from Debian's packages what Nyamo needs on Debian 12 ("bookworm")
# and Debian 13 ("trixie"). Every name below is the same in both; where a
# release has its own version of a tool (clang: 14 in Debian 12, 19 in
# Debian 13), the unversioned package names the release's own.
#   setup-debian.sh --run    building and running the native saver (tools/run.sh)
#   setup-debian.sh --test   everything the tests need as well (tools/test.sh):
#                            the unit tests, the X11 and Wayland suites, the
#                            Windows build and the Wine suite; a suite names its own extra
#                            packages in a "# packages:" line at its top.
#   setup-debian.sh --ci13   the unit tests, the Windows build, the Wine and
#                            Wayland suites only (CI's steps in its Debian 13 chroot)
# Installs only what is missing, and says what and why in one line. Root
# installs with apt-get; another user through sudo where there is sudo, and
# otherwise is told which packages are missing and how to install them.
set -uo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8

purpose=${1:---test}
run_packages=(
  build-essential cmake ninja-build              # the native build
  libstb-dev libgif-dev                          # picture decoding (stb_image), PNG and GIF writing
  libx11-dev libxext-dev libxrandr-dev           # the X11 saver (MIT-SHM, primary output)
  libxinerama-dev                                # the monitors of an X server without RandR 1.5 (SaverScreens=2)
  libxt-dev                                      # xscreensaver's resources, found as its programs find them
  libfltk1.3-dev fonts-noto-cjk                  # the Linux settings dialog and its Japanese labels
  libfontconfig-dev fonts-ipafont-gothic         # the dialog's choice of face for its frame caption
  libwayland-dev                                 # the Wayland saver (libwayland-client, wayland-scanner; its protocol files are in the tree)
  libsystemd-dev                                 # sd-bus: the desktop picture from KWin's screenshot interface on the session bus
)
unit_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev     # unit tests and benchmarks
  g++-mingw-w64-x86-64 wine64                    # the Windows screen saver and running it
)
# labwc, which the Wayland suite also runs under, is packaged from Debian 13 on.
. /etc/os-release 2>/dev/null
wayland13_packages=()
[ "${VERSION_ID:-13}" = 12 ] || [ "${VERSION_ID:-13}" = 11 ] || wayland13_packages=(labwc)
test_packages=(
  "${unit_packages[@]}"
  xvfb xdotool x11-utils openbox imagemagick     # a display, input and screenshots for the suites
  debhelper lintian debootstrap git              # the Debian package (built from git archive), its checks and the bare-system install check
  xserver-xorg-core xserver-xorg-video-dummy     # two monitors on one X server (tests/lib/two_monitors.sh), for the X11 and Wine suites
  x11-xserver-utils                              # xrandr, which places those monitors
  gpg gpg-agent apt-utils xz-utils osslsigncode openssl    # signed releases: SHA256SUMS.asc, the apt repository, Authenticode
)
case $purpose in
  --run)
    packages=("${run_packages[@]}")
    why="to build and run the saver"
    ;;
  --test)
    packages=("${run_packages[@]}" "${test_packages[@]}" "${wayland13_packages[@]}")
    for script in tests/*/run-*.sh; do
      [ -f "$script" ] || continue
      read -r -a more <<<"$(sed -n 's/^# packages: *//p' "$script")"
      packages+=("${more[@]}")
    done
    why="to build Nyamo and run every test (unit tests, X11 and Wayland suites, Windows build under Wine)"
    ;;
  --ci13)
    # What CI's Debian 13 steps need: the build, the unit tests, the Windows
    # build, the Wine suite and the Wayland suite (sway 1.10, KWin 6.3, labwc 0.8).
    packages=("${run_packages[@]}" "${unit_packages[@]}" "${wayland13_packages[@]}")
    for script in tests/wine/run-wine-suite.sh tests/wayland/run-wayland-suite.sh; do
      read -r -a more <<<"$(sed -n 's/^# packages: *//p' "$script")"
      packages+=("${more[@]}")
    done
    why="to build Nyamo, run its unit tests, the Windows build under Wine and the Wayland suite"
    ;;
  *)
    echo "usage: setup-debian.sh [--run | --test | --ci13]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  [[ " ${missing[*]} " == *" $p "* ]] && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: nothing to install: every package needed $why is installed"
  exit 0
fi

apt=(apt-get)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: missing packages ${missing[*]} (not root, and no sudo); as root, install them with: bash $(pwd)/tools/setup-debian.sh $purpose" >&2
    exit 1
  fi
  apt=(sudo DEBIAN_FRONTEND=noninteractive apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${#missing[@]} packages $why: ${missing[*]}"
"${apt[@]}" update -q || exit 1
"${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
