#!/usr/bin/env bash
# The end-to-end suite of Nyamo_07.scr under Wine in a private Xvfb, driven
# the way the screen-saver host and a user drive it: switches on the command
# line, a host window for the preview, real pointer and key events (xdotool),
# screenshots of the root window, and the probe program looking at the
# windows from inside Wine. Its checks are in checks/, one file a topic,
# sourced in turn; helpers.sh holds the words they share.
#
# Usage: tests/wine/run-wine-suite.sh <build-win-dir>
# (the portable profile reader is taken from $NYAMO_NATIVE_BUILD, by default build/)
# packages: wine wine64 xvfb xdotool imagemagick x11-utils fonts-noto-cjk fonts-ipafont-gothic binutils-mingw-w64-x86-64 file procps nsis zip unzip osslsigncode openssl xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
#
# Prints one line per check (PASS, FAIL or SKIP with the reason) and always a
# closing count line; the exit status is non-zero when a check failed or the
# suite could not run to its end. No "set -e" or "set -u": a failing command
# or an empty value makes the check that uses it fail, not the suite stop.

# Tools (and Wine, which reads its command lines through the locale) print
# and compare texts the same way whatever the caller's locale; the checks
# that want no locale for the program say so.
export LC_ALL=C.UTF-8
unset LANGUAGE

if [ $# -ne 1 ] || [ ! -f "$1/Nyamo_07.scr" ]; then
    echo "usage: $0 <build-win-dir>   (the folder that holds Nyamo_07.scr)" >&2
    exit 2
fi
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "$1" && pwd)
SOURCE_DIR=$(cd "$HERE/../.." && pwd)
# The native build that holds the portable profile reader (nyamo-profile-check).
NATIVE_BUILD=${NYAMO_NATIVE_BUILD:-$SOURCE_DIR/build}
WINE=$(command -v wine || echo /usr/lib/wine/wine64)
# The version the build gave the program.
PROJECT_VERSION=$(sed -n 's/^project(Nyamo VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
source "$HERE/../lib/suite.sh"

WORK=$(mktemp -d /tmp/nyamo-wine.XXXXXX)
# Readable by the unprivileged user of the write-access checks.
chmod 755 "$WORK"
# No TMPDIR for Wine: Debian 13's Wine 10 (10.0~repack-6) aborts at its
# first start ("free(): invalid pointer") whenever TMPDIR is set, even to
# /tmp. Without it Wine 8 and 10 both start.
mkdir -p "$WORK/tmp"
unset TMPDIR
# NYAMO_WINE_ARTIFACTS=<folder> keeps the screenshots for a human to look at.
cleanup() {
    if [ -n "${NYAMO_WINE_ARTIFACTS:-}" ]; then
        mkdir -p "$NYAMO_WINE_ARTIFACTS" && cp "$WORK"/*.png "$NYAMO_WINE_ARTIFACTS/" 2>/dev/null
    fi
    [ -n "${WINEPREFIX:-}" ] && WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
    [ -d "$WORK/nobody/prefix" ] && as_nobody wineserver -k >/dev/null 2>&1
    suite_cleanup wine "$WORK"
}
trap cleanup EXIT
trap 'echo "wine suite: interrupted"; exit 130' INT TERM

# --- A private X server and Wine prefix ---------------------------------------
SCREEN_W=1024
SCREEN_H=768
source "$HERE/../lib/private_xvfb.sh"
start_private_xvfb "${SCREEN_W}x${SCREEN_H}x24" "$WORK/xvfb.log" || exit 2
pids+=("$XVFB_PID")

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$WINE" wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits for one on every hide and destroy.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# Wine's caption font has no Japanese glyphs; link it to a CJK face so the
# title bar is legible on screenshots (the program's own controls choose a
# Japanese face themselves).
"$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
    /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1
"$WINE" wineboot -r >/dev/null 2>&1

source "$HERE/helpers.sh"
PROBE=$WORK/nyamo_probe.exe
cp "$BUILD/tests/wine/nyamo_probe.exe" "$PROBE"
SAVER_DIR=$WORK/saver
copy_saver "$SAVER_DIR"
INI=$SAVER_DIR/Nyamo_07.ini
DIALOG="Nyamoの設定"
SAVER="Amberpaw"
SCR_WIN=$(winpath "$SAVER_DIR/Nyamo_07.scr")
INI_WIN=$(winpath "$INI")

echo "wine suite: display $DISPLAY, prefix $WINEPREFIX"
echo "wine suite: Japanese faces offered by Wine: $(probe fonts | paste -sd' ')"

# The topics in turn; the screens last, since their checks end the Wine
# session that the others share. A topic missing is a failure, not a count
# that quietly shrinks.
for topic in products profile switches dialog settings_file saver preview dpi locale install screens; do
    if [ -f "$HERE/checks/$topic.sh" ]; then source "$HERE/checks/$topic.sh"; else fail "topic checks/$topic.sh is there"; fi
done

expect "no Nyamo process left running" "0" "$(nyamo_running)"
suite_done wine
