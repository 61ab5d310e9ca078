#!/usr/bin/env bash
# Where the Windows saver's tick spends its time under Wine: runs
# Nyamo_07.scr /s (speed 10, 50 kittens, desktop background) on a private
# Xvfb of the given size with NYAMO_GDI_PROFILE set, and prints the backend's
# lines: calls, microseconds and pixels per tick for each kind of GDI work.
#
# With X11_PROBE naming a native build's tests/x11/x11_probe, it also counts
# the image uploads that reach the X server, and their pixels, over 5 s.
#
# Usage: tools/bench/wine-gdi-profile.sh BUILD_WIN_DIR [WIDTHxHEIGHT] [SECONDS]
# packages: xvfb wine wine64 xdotool
set -u
[ $# -ge 1 ] || { echo "usage: $0 BUILD_WIN_DIR [WIDTHxHEIGHT] [SECONDS]" >&2; exit 2; }
WINDOWS=$(cd "$1" && pwd) || exit 2
SIZE=${2:-1920x1080}
SECONDS_RUN=${3:-22}
WINE=$(command -v wine || echo /usr/lib/wine/wine64)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/lib/private_xvfb.sh"

WORK=$(mktemp -d /tmp/nyamo-gdi-profile.XXXXXX)
XVFB_PID=
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

start_private_xvfb "${SIZE}x24" "$WORK/xvfb.log" || exit 1
"$WINE" wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits for one on every hide and destroy.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
mkdir -p "$WORK/saver"
cp "$WINDOWS/Nyamo_07.scr" "$WORK/saver/"
printf '[Nyamo Saver]\r\nCatNum=50\r\nSaverType=1\r\nSaverSpeed=10\r\n' >"$WORK/saver/Nyamo_07.ini"
NYAMO_GDI_PROFILE='Z:'${WORK//\//\\}'\profile.txt' "$WINE" "$WORK/saver/Nyamo_07.scr" /s >/dev/null 2>&1 &
if [ -n "${X11_PROBE:-}" ]; then
    sleep 6
    echo "X server: $("$X11_PROBE" uploads 5 pixels)"
    sleep $((SECONDS_RUN > 11 ? SECONDS_RUN - 11 : 0))
else
    sleep "$SECONDS_RUN"
fi
cat "$WORK/profile.txt" 2>/dev/null || { echo "no profile was written" >&2; exit 1; }
