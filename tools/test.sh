#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit tests (also under
# AddressSanitizer and UndefinedBehaviorSanitizer), the X11 suite under Xvfb,
# the Wayland suite under sway, the Windows suite under Wine, and the release
# with its checks.
set -uo pipefail
cd "$(dirname "$0")/.."
# Tools print and compare texts the same way whatever the caller's locale.
export LC_ALL=C.UTF-8
bash tools/setup-debian.sh --test || exit 1

jobs=$(nproc)
failed=()
step() {
  local name=$1; shift
  echo "=== $name"
  if "$@"; then echo "=== $name: ok"; else echo "=== $name: FAILED"; failed+=("$name"); fi
}

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DNYAMO_WERROR=ON -DNYAMO_TESTS=ON -DNYAMO_BENCHMARKS=ON "$@" >/dev/null &&
    ninja -C "$dir" -j "$jobs" &&
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

step "unit tests" build_and_test build
step "unit tests with sanitizers" build_and_test build-asan -DNYAMO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
if [ -f tests/x11/run-x11-suite.sh ]; then
  step "X11 suite" bash tests/x11/run-x11-suite.sh build
fi
if [ -f tests/wayland/run-wayland-suite.sh ]; then
  step "Wayland suite" bash tests/wayland/run-wayland-suite.sh build
fi
if [ -f tests/wine/run-wine-suite.sh ]; then
  step "Windows build" bash -c "cmake -S . -B build-win -G Ninja -DNYAMO_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null && ninja -C build-win -j $jobs"
  step "Wine suite" bash tests/wine/run-wine-suite.sh build-win
fi

step "fuzz suite" bash tests/fuzz/run-fuzz-suite.sh

# The release files from the commit, lintian, a second build compared byte
# for byte, and the package installed on a bare Debian 12 (or a counted skip).
step "release" bash tools/release.sh --check

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "every test passed"
