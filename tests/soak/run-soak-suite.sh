#!/usr/bin/env bash
# Long runs, measured: the saver on the headless backend under
# AddressSanitizer and UndefinedBehaviorSanitizer for 100,000 ticks at
# several sizes, and the X11 saver and the Windows build under Wine each
# running full screen at speed 10 with 50 cats for 10 minutes, their resident
# memory (and, for X11, the server-side resources of the client, xrestop -b)
# sampled every minute. Prints the first and last figures; a run fails when
# memory grew by more than SOAK_MAX_GROWTH_KB (default 2048) after its first
# sample. Not part of tools/test.sh (it takes about 25 minutes); the short
# headless soak runs in the unit tests (soak_short).
#
# Usage: tests/soak/run-soak-suite.sh [native-build] [win-build]   (default build, build-win)
# Environment: SOAK_TICKS (100000), SOAK_MINUTES (10), SOAK_SIZES ("320x240 1024x768 1920x1080";
# an entry WxH:TICKS runs that size for its own number of ticks), SOAK_PARTS
# ("desktop headless": the X11 and Wine runs, the headless runs)
# packages: xrestop procps xvfb wine wine64
set -u
cd "$(dirname "$0")/../.."
SOURCE=$(pwd)
NATIVE=$(cd "${1:-build}" && pwd)
WINBUILD=$(cd "${2:-build-win}" && pwd)
TICKS=${SOAK_TICKS:-100000}
MINUTES=${SOAK_MINUTES:-10}
SIZES=${SOAK_SIZES:-320x240 1024x768 1920x1080}
MAX_GROWTH_KB=${SOAK_MAX_GROWTH_KB:-2048}
PARTS=${SOAK_PARTS:-desktop headless}
source tests/lib/suite.sh
WORK=$(mktemp -d /tmp/nyamo-soak.XXXXXX)
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    suite_cleanup soak "$WORK"
}
trap cleanup EXIT
trap 'echo "soak suite: interrupted"; exit 130' INT TERM
verdict() {  # verdict <name> <first kB> <last kB> <details>
    local growth=$(($3 - $2)) line
    line="$1: resident $2 kB first, $3 kB last (growth $growth kB)$4"
    if [ "$2" -gt 0 ] && [ "$growth" -le "$MAX_GROWTH_KB" ]; then pass "$line"; else fail "$line"; fi
}
rss_kb() { local kb; kb=$(ps -o rss= -p "$1" 2>/dev/null | tr -d ' '); echo "${kb:-0}"; }

# --- X11 and Wine, side by side, each with its own display ---------------------------
if [[ " $PARTS " == *" desktop "* ]]; then
source tests/lib/private_xvfb.sh
ini_text=$'[Nyamo Saver]\r\nCatNum=50\r\nSaverType=1\r\nSaverSpeed=10\r\n'

start_private_xvfb 1920x1080x24 "$WORK/xvfb-x11.log" || exit 2
X11_DISPLAY=$DISPLAY; pids+=("$XVFB_PID")
mkdir -p "$WORK/x11"
cp "$NATIVE/platform/x11/nyamo" "$WORK/x11/"
printf '%s' "$ini_text" >"$WORK/x11/Nyamo_07.ini"
DISPLAY=$X11_DISPLAY "$WORK/x11/nyamo" /s >/dev/null 2>&1 &
X11_PID=$!; pids+=("$X11_PID")

start_private_xvfb 1920x1080x24 "$WORK/xvfb-wine.log" || exit 2
WINE_DISPLAY=$DISPLAY; pids+=("$XVFB_PID")
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$WINE_DISPLAY wine wineboot -i >/dev/null 2>&1
DISPLAY=$WINE_DISPLAY wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
mkdir -p "$WORK/wine"
cp "$WINBUILD/Nyamo_07.scr" "$WORK/wine/"
printf '%s' "$ini_text" >"$WORK/wine/Nyamo_07.ini"
DISPLAY=$WINE_DISPLAY wine "$WORK/wine/Nyamo_07.scr" /s >/dev/null 2>&1 &
pids+=("$!")
# The saver's own process (Wine starts it through a loader that goes away):
# named Nyamo_07.scr, running the copy in this run's folder.
sleep 5
WINE_PID=
for _ in $(seq 100); do
    WINE_PID=$(ps -eo pid=,comm=,args= | awk -v dir="$WORK" '$2 == "Nyamo_07.scr" && index($0, dir) { print $1; exit }')
    [ -n "$WINE_PID" ] && break
    sleep 0.2
done
# xrestop's figures for the saver's client (its window is named "Amberpaw";
# Xvfb reports no process ids): windows, GCs, pixmaps and their bytes.
x11_resources() {
    DISPLAY=$X11_DISPLAY xrestop -b -m 1 2>/dev/null | awk '
        /^[0-9]+ - / { mine = ($0 ~ /Amberpaw|nyamo/) }
        mine && /^\t(windows|GCs|pixmaps|pixmap bytes|other bytes) *:/ {
            sub(/^\t/, ""); gsub(/ +:/, ":"); out = out (out ? ", " : "") $0 }
        END { print out }'
}

sleep 10
x11_first=$(rss_kb "$X11_PID"); wine_first=$(rss_kb "${WINE_PID:-0}"); res_first=$(x11_resources)
echo "soak: X11 saver $X11_PID and Wine saver ${WINE_PID:-?} at 1920x1080, speed 10, 50 cats, for $MINUTES minutes"
echo "  0 min: X11 $x11_first kB [$res_first], Wine $wine_first kB"
for minute in $(seq "$MINUTES"); do
    sleep 60
    echo "  $minute min: X11 $(rss_kb "$X11_PID") kB [$(x11_resources)], Wine $(rss_kb "${WINE_PID:-0}") kB"
done
x11_last=$(rss_kb "$X11_PID"); wine_last=$(rss_kb "${WINE_PID:-0}"); res_last=$(x11_resources)
kill -0 "$X11_PID" 2>/dev/null || x11_last=-1
verdict "X11 saver, $MINUTES min" "${x11_first:-0}" "${x11_last:-0}" "; X server resources first [$res_first], last [$res_last]"
if [ "$res_first" == "$res_last" ] && [ -n "$res_first" ]; then pass "X11 saver: server-side resources unchanged"
else fail "X11 saver: server-side resources changed or unread"; fi
verdict "Windows build under Wine, $MINUTES min" "${wine_first:-0}" "${wine_last:-0}" ""
# Both savers and their servers go before the headless runs, which want the machine.
wineserver -k >/dev/null 2>&1
for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
pids=()
fi

# --- Headless, under the sanitizers -----------------------------------------------------
if [[ " $PARTS " == *" headless "* ]]; then
SANITIZED=$WORK/sanitized
CC=${CC:-cc} cmake -S "$SOURCE" -B "$SANITIZED" -G Ninja -DNYAMO_SANITIZE=ON -DNYAMO_X11=OFF -DNYAMO_TESTS=OFF \
    -DNYAMO_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && ninja -C "$SANITIZED" nyamo-soak >/dev/null || exit 2
for entry in $SIZES; do
    size=${entry%%:*}
    ticks=$TICKS
    [[ $entry == *:* ]] && ticks=${entry#*:}
    out=$("$SANITIZED/tools/soak/nyamo-soak" --ticks "$ticks" --width "${size%x*}" --height "${size#*x}" \
        --max-growth-kb "$MAX_GROWTH_KB" 2>&1)
    status=$?
    if [ "$status" -eq 0 ]; then pass "$out"; else fail "(status $status) $out"; fi
done
fi

suite_done soak
