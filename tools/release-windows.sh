#!/usr/bin/env bash
# Builds the Windows release of Nyamo and packs it, reproducibly: the same
# commit gives the same bytes in any folder at any time.
#
#   tools/release-windows.sh OUTDIR
#       builds in a new folder of its own (removed afterwards) and writes
#       OUTDIR/Nyamo-<version>-setup.exe and OUTDIR/Nyamo-<version>-windows.zip
#   tools/release-windows.sh --build DIR OUTDIR
#       the same, building in DIR (kept, and reused when it holds a build)
#   tools/release-windows.sh --check [WORKDIR]
#       builds and packs twice, from two copies of the source tree in two
#       folders of different names, a few seconds apart, and compares
#       Nyamo_07.scr, NyamoSettings.exe, the installer and the zip byte for
#       byte; names every file that differs. WORKDIR (default: a new folder
#       under /tmp, removed afterwards) keeps both builds for a closer look.
#
# SOURCE_DATE_EPOCH, when set, is the time written into the packages;
# otherwise the time of the last commit (see tools/pack-windows.sh).
# Needs the Windows build's packages (tools/setup-debian.sh --test) and nsis.
# Exits 0 on success, 1 on a failure or a difference, 2 on a wrong command line.
set -euo pipefail
export LC_ALL=C.UTF-8 TZ=UTC
SOURCE=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: $0 OUTDIR | --build DIR OUTDIR | --check [WORKDIR]" >&2
    exit 2
}
die() { echo "release-windows: $*" >&2; exit 1; }

# build <source> <build dir>: the Windows programs, as CI's suite tests them
# (the default build type), without the test programs.
build() {
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-w64-x86_64.cmake" \
        -DNYAMO_TESTS=OFF -DNYAMO_WERROR=ON >"$2.configure.log" 2>&1 ||
        { cat "$2.configure.log" >&2; die "configuring $2 failed"; }
    rm -f "$2.configure.log"
    ninja -C "$2" -j "${NYAMO_JOBS:-2}" nyamo_scr nyamo_settings >/dev/null || die "building in $2 failed"
}

source_date_epoch() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null || stat -c %Y "$SOURCE/CMakeLists.txt")
    fi
    export SOURCE_DATE_EPOCH
}

release() {
    local build_dir=$1 out=$2
    source_date_epoch
    build "$SOURCE" "$build_dir"
    bash "$SOURCE/tools/pack-windows.sh" "$build_dir" "$out"
}

# copy_tree <dest>: the source files as they are now (tracked and new ones,
# not ignored ones), without the build folders or git's history.
copy_tree() {
    mkdir -p "$1"
    if git -C "$SOURCE" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        (cd "$SOURCE" && git ls-files -z -co --exclude-standard | xargs -0 tar cf - --no-recursion) | tar xf - -C "$1"
    else
        (cd "$SOURCE" && tar cf - --exclude='./build*' .) | tar xf - -C "$1"
    fi
}

check() {
    local work=$1 start a b name differ=0
    start=$(date +%s)
    source_date_epoch
    mkdir -p "$work"
    # Two source folders and two build folders whose paths differ in length
    # too, so a path that leaks into a binary shows as a difference.
    a=$work/a
    b=$work/second-build-somewhere-else
    for side in "$a" "$b"; do
        rm -rf "$side"
        copy_tree "$side/src"
        build "$side/src" "$side/build"
        bash "$side/src/tools/pack-windows.sh" "$side/build" "$side/out" >/dev/null
        [ "$side" = "$a" ] && sleep 3
    done
    for name in Nyamo_07.scr NyamoSettings.exe; do
        cp "$a/build/$name" "$a/out/" && cp "$b/build/$name" "$b/out/"
    done
    for name in $(cd "$a/out" && ls); do
        if cmp -s "$a/out/$name" "$b/out/$name"; then
            echo "same: $name $(sha256sum <"$a/out/$name" | cut -d' ' -f1) $(stat -c %s "$a/out/$name") bytes"
        else
            echo "DIFFERENT: $name ($a/out/$name, $b/out/$name)"
            differ=1
        fi
    done
    [ "$(cd "$a/out" && ls)" == "$(cd "$b/out" && ls)" ] || { echo "DIFFERENT: the file lists"; differ=1; }
    echo "release-windows --check: two builds in $(($(date +%s) - start)) s"
    return $differ
}

case ${1:-} in
    --check)
        [ $# -le 2 ] || usage
        if [ $# -eq 2 ]; then
            check "$(mkdir -p "$2" && cd "$2" && pwd)"
        else
            WORK=$(mktemp -d /tmp/nyamo-release-check.XXXXXX)
            trap 'rm -rf "$WORK"' EXIT
            check "$WORK"
        fi
        ;;
    --build)
        [ $# -eq 3 ] || usage
        release "$2" "$3"
        ;;
    ""|-*)
        usage
        ;;
    *)
        [ $# -eq 1 ] || usage
        WORK=$(mktemp -d /tmp/nyamo-release-win.XXXXXX)
        trap 'rm -rf "$WORK"' EXIT
        release "$WORK/build" "$1"
        ;;
esac
