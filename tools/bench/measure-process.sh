#!/usr/bin/env bash
# Whole-process cost of the saver as a user's machine pays it: the CPU of the
# saver and of everything that draws for it (its X server; under Wine also the
# wineserver and Wine's own service processes), as a share of one core, and
# the saver's resident memory. Speed 10, 50 kittens (NYAMO_MEASURE_CATS), desktop background, at
# 1920 x 1080 and 3840 x 2160, each on an Xvfb of its own; 10 s measured after
# a 2 s warm-up that starts when the saver's window is up. Also the X11
# saver's start to first frame (over the blank background, whose first frame
# turns the middle of the screen black; see tools/bench/first_frame.cpp).
# Beside it, what a user would run instead: a few of Debian's 2D xscreensaver
# hacks (NYAMO_MEASURE_HACKS, by default deco slidescreen shadebobs swirl
# popsquares hexadrop), each with --root on an Xvfb of its own at 1920 x 1080,
# hack + X server, when /usr/libexec/xscreensaver holds them (package
# xscreensaver-data; xscreensaver-data-extra for the others).
#
# With a native build that has the Wayland saver and sway installed, also
# the Wayland saver (--backend=wayland /s) with sway's CPU beside it: sway's
# headless backend at each size with the pixman renderer, as an ordinary user
# (NYAMO_MEASURE_USER, by default nobody; sway refuses root) with a runtime
# folder of its own; then the same with the output switched off, so that
# no frame callback comes (where sway can switch it off).
#
# As root with Xorg's dummy driver, also each saver on two monitors
# (tests/lib/two_monitors.sh): on each alone and on both (SaverScreens=2);
# NYAMO_MEASURE_SCREENS=only measures just that, =no leaves it out.
#
# Usage: tools/bench/measure-process.sh BUILD_DIR BUILD_WIN_DIR
#   BUILD_DIR      a native build (platform/x11/nyamo, tools/bench/nyamo-first-frame)
#   BUILD_WIN_DIR  a Windows build (Nyamo_07.scr; with nyamo-watch-floor.exe
#                  also the floor of its cost under Wine: the tick's caret and
#                  pointer reads alone)
# Either may be "-" to leave that program out.
# packages: xvfb wine wine64 xdotool procps xscreensaver-data sway swaybg xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
#
# Prints one Markdown table (and the load it was measured under) on
# standard output; progress goes to standard error.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR|- BUILD_WIN_DIR|-" >&2
    exit 2
fi
NATIVE=
WINDOWS=
if [ "$1" != - ]; then
    NATIVE=$(cd "$1" && pwd) || exit 2
    for f in platform/x11/nyamo tools/bench/nyamo-first-frame; do
        [ -x "$NATIVE/$f" ] || { echo "$NATIVE/$f is missing (build first)" >&2; exit 2; }
    done
fi
if [ "$2" != - ]; then
    WINDOWS=$(cd "$2" && pwd) || exit 2
    [ -f "$WINDOWS/Nyamo_07.scr" ] || { echo "$WINDOWS/Nyamo_07.scr is missing (build first)" >&2; exit 2; }
fi

WARM_UP=2
WINDOW=10
CATS=${NYAMO_MEASURE_CATS:-50}  # another count shows what the compositor does with less damage
FIRST_FRAME_RUNS=5
HZ=$(getconf CLK_TCK)
# The measured processes run ahead of the machine's other work (when we may
# raise them), so that a busy machine does not make the saver fall behind its
# timer and look cheaper than it is. NYAMO_MEASURE_NICE=0 measures them as
# ordinary processes.
NICE=${NYAMO_MEASURE_NICE:--10}
if nice -n "$NICE" true 2>/dev/null && [ "$(nice -n "$NICE" nice)" = "$NICE" ]; then
    PRIORITY="niceness $NICE"
else
    NICE=0
    PRIORITY="niceness 0 (no right to raise them)"
fi
WINE=$(command -v wine || echo /usr/lib/wine/wine64)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/lib/private_xvfb.sh"

WORK=$(mktemp -d /tmp/nyamo-measure.XXXXXX)
XVFB_PID=
SAVER_PID=
PREFIX=$WORK/prefix
stop_wine() { [ -d "$PREFIX" ] && WINEPREFIX=$PREFIX wineserver -k >/dev/null 2>&1; }
stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
SWAY_PID=
stop_sway() {
    [ -n "$SWAY_PID" ] && kill "$SWAY_PID" 2>/dev/null && wait "$SWAY_PID" 2>/dev/null
    SWAY_PID=
}
cleanup() {
    [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
    stop_sway
    stop_wine
    stop_xvfb
    stop_two_monitors
    rm -rf "$WORK"
}
trap cleanup EXIT
say() { echo "measure: $*" >&2; }

# --- reading /proc ------------------------------------------------------------------
# ticks PID: user + system CPU time of one process in clock ticks (0 once gone).
# The fields are counted after the command name's closing parenthesis, as the
# name may hold spaces.
ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
    stat=${stat##*) }
    awk '{ print $12 + $13 }' <<<"$stat"
}
rss_mb() { awk '/^VmRSS:/ { printf "%.0f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null; }
now_ns() { date +%s%N; }
# The processes of our Wine prefix, found by the prefix in their environment.
wine_processes() {
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        tr '\0' '\n' 2>/dev/null <"$environ" | grep -qx "WINEPREFIX=$PREFIX" && echo "$pid"
    done
}
is_saver_under_wine() { tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline" | grep -qi 'nyamo_07\.scr'; }

# measure GROUP=PID... : CPU of each group over the window, as a share of one
# core with one decimal, in the order given: "12.3 4.5".
measure() {
    local group pids pid start end before=() after=() i=0 result=()
    for group in "$@"; do
        pids=${group#*=}
        before[i]=0
        for pid in ${pids//,/ }; do before[i]=$((before[i] + $(ticks "$pid"))); done
        i=$((i + 1))
    done
    start=$(now_ns)
    sleep "$WINDOW"
    i=0
    for group in "$@"; do
        pids=${group#*=}
        after[i]=0
        for pid in ${pids//,/ }; do after[i]=$((after[i] + $(ticks "$pid"))); done
        i=$((i + 1))
    done
    end=$(now_ns)
    for i in "${!before[@]}"; do
        result+=("$(awk -v t=$((after[i] - before[i])) -v hz="$HZ" -v ns=$((end - start)) \
            'BEGIN { printf "%.1f", 100 * t / hz / (ns / 1e9) }')")
    done
    echo "${result[*]}"
}

wait_for_saver_window() {
    local i
    for i in $(seq 300); do
        xdotool search --name '^Amberpaw$' >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# --- the table -------------------------------------------------------------------
ROWS=()
declare -A TOTAL
# row PROGRAM SIZE SAVER XSERVER WINE GOAL RSS FIRST (WINE empty: none)
row() {
    local total verdict goal wine=–
    [ -n "$5" ] && wine="$5 %"
    total=$(awk -v a="$3" -v b="$4" -v c="${5:-0}" 'BEGIN { printf "%.1f", a + b + c }')
    TOTAL[$1 $2]=$total
    verdict=$(awk -v t="$total" -v g="$6" 'BEGIN { print (t <= g) ? "met" : "missed" }')
    goal="≤ $6 % ($verdict)"
    [ "$6" = – ] && goal=–  # a row that only sets another's goal
    ROWS+=("| $1 | $2 | $3 % | $4 % | $wine | **$total %** | $goal | $7 MB | $8 |")
}

# first_frame: the median and range of FIRST_FRAME_RUNS starts, in ms.
first_frame() {
    local bin=$1 runs=() i ms
    printf '[Nyamo Saver]\nCatNum=50\nSaverType=2\nSaverSpeed=10\n' >"$WORK/bin/Nyamo_07.ini"
    for i in $(seq "$FIRST_FRAME_RUNS"); do
        ms=$(HOME=$WORK/home nice -n "$NICE" "$NATIVE/tools/bench/nyamo-first-frame" 10000 "$bin" /s) || ms=
        [ -n "$ms" ] && runs+=("$ms")
        sleep 0.5
    done
    [ ${#runs[@]} -eq 0 ] && { echo "none"; return; }
    printf '%s\n' "${runs[@]}" | sort -g | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.0f ms (%.0f–%.0f; goal < 100: %s)", m, v[1], v[NR], (m < 100) ? "met" : "missed" }'
}

# measure_then_stop NAME: the CPU of the process SAVER_PID (named NAME) and of
# the X server over the window into CPU, its resident memory into RSS; then
# both are ended.
measure_then_stop() {
    CPU=$(measure "$1=$SAVER_PID" "x=$XVFB_PID")
    RSS=$(rss_mb "$SAVER_PID")
    kill "$SAVER_PID"
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=
    stop_xvfb
}

measure_x11() {
    local size=$1 goal=$2 bin=$WORK/bin/nyamo ff saver x
    # The program keeps its settings beside itself: a copy of our own.
    mkdir -p "$WORK/bin" "$WORK/home"
    cp "$NATIVE/platform/x11/nyamo" "$bin"
    start_private_xvfb "${size}x24" "$WORK/xvfb.log" || exit 1
    renice -n "$NICE" -p "$XVFB_PID" >/dev/null
    say "X11 $size on $DISPLAY: first frame"
    ff=$(first_frame "$bin")
    printf '[Nyamo Saver]\nCatNum=%s\nSaverType=1\nSaverSpeed=10\n' "$CATS" >"$WORK/bin/Nyamo_07.ini"
    HOME=$WORK/home nice -n "$NICE" "$bin" /s >"$WORK/saver.log" 2>&1 &
    SAVER_PID=$!
    wait_for_saver_window || { say "the X11 saver showed no window"; cat "$WORK/saver.log" >&2; exit 1; }
    sleep "$WARM_UP"
    say "X11 $size: measuring ${WINDOW} s"
    measure_then_stop saver
    read -r saver x <<<"$CPU"
    row "X11 (nyamo /s)" "$size" "$saver" "$x" "" "$goal" "$RSS" "$ff"
}

# measure_wayland SIZE GOAL: the Wayland saver on sway's headless backend.
# The saver and sway are found by their process ids as the user runs them.
WAYLAND_USER=${NYAMO_MEASURE_USER:-nobody}
# A command prefix, not a function: "&" on a function would fork a shell,
# and $! would name that shell instead of the program.
AS_WAYLAND_USER=()
if [ "$(id -u)" -eq 0 ]; then
    AS_WAYLAND_USER=(setpriv --reuid="$WAYLAND_USER" --regid="$(id -g "$WAYLAND_USER" 2>/dev/null)" --clear-groups)
fi
measure_wayland() {
    local size=$1 goal=$2 socket="" i pid saver sway
    command -v sway >/dev/null || { say "sway is not installed: the Wayland saver left out"; return; }
    rm -rf "$WORK/wayland-home" "$WORK/wayland-run"
    mkdir -p "$WORK/wayland-home/.config/nyamo" "$WORK/wayland-run" "$WORK/wayland-bin"
    chmod 700 "$WORK/wayland-run"
    cp "$NATIVE/platform/x11/nyamo" "$WORK/wayland-bin/nyamo"
    printf '[Nyamo Saver]\nCatNum=%s\nSaverType=1\nSaverSpeed=10\n' "$CATS" >"$WORK/wayland-home/.config/nyamo/Nyamo_07.ini"
    printf 'output HEADLESS-1 mode %s\noutput * bg #336699 solid_color\n' "$size" >"$WORK/wayland-home/sway.conf"
    chmod -R a+rX "$WORK/wayland-bin" "$WORK/wayland-home"
    [ "$(id -u)" -eq 0 ] && chown -R "$WAYLAND_USER" "$WORK/wayland-home" "$WORK/wayland-run"
    chmod 755 "$WORK"
    "${AS_WAYLAND_USER[@]}" env HOME="$WORK/wayland-home" XDG_RUNTIME_DIR="$WORK/wayland-run" \
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 nice -n "$NICE" sway -c "$WORK/wayland-home/sway.conf" >"$WORK/sway.log" 2>&1 &
    SWAY_PID=$!
    for i in $(seq 100); do
        socket=$(cd "$WORK/wayland-run" 2>/dev/null && ls wayland-[0-9] 2>/dev/null | head -1)
        [ -n "$socket" ] && break
        sleep 0.1
    done
    [ -n "$socket" ] || { say "sway did not start"; cat "$WORK/sway.log" >&2; stop_sway; return; }
    sleep 1  # swaybg draws the desktop picture the saver takes
    say "Wayland $size on sway ($socket): starting"
    "${AS_WAYLAND_USER[@]}" env HOME="$WORK/wayland-home" XDG_RUNTIME_DIR="$WORK/wayland-run" \
        WAYLAND_DISPLAY="$socket" nice -n "$NICE" "$WORK/wayland-bin/nyamo" --backend=wayland /s \
        >"$WORK/saver.log" 2>&1 &
    SAVER_PID=$!
    sleep "$WARM_UP"
    # setpriv and env exec the program: the job's id is sway's and the saver's own.
    kill -0 "$SAVER_PID" 2>/dev/null || { say "the Wayland saver ended early"; cat "$WORK/saver.log" >&2; stop_sway; return; }
    say "Wayland $size: measuring ${WINDOW} s"
    read -r saver sway <<<"$(measure "saver=$SAVER_PID" "sway=$SWAY_PID")"
    RSS=$(rss_mb "$SAVER_PID")
    row "Wayland (nyamo /s) on sway" "$size" "$saver" "$sway" "" "$goal" "$RSS" "–"
    measure_wayland_unseen "$size"
    kill "$SAVER_PID"
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=
    stop_sway
}

# measure_wayland_unseen SIZE: the same saver while nobody can see it, its
# output switched off (sway 1.8 and later "power off", before "dpms off"),
# so that the compositor sends no frame callbacks: aim near 0. sway 1.7
# cannot switch its headless output off; the row then says so.
measure_wayland_unseen() {
    local size=$1 saver sway ipc
    ipc=$(ls "$WORK"/wayland-run/sway-ipc.*.sock 2>/dev/null | head -n 1)
    sway_ipc() {
        "${AS_WAYLAND_USER[@]}" env XDG_RUNTIME_DIR="$WORK/wayland-run" SWAYSOCK="$ipc" swaymsg "$@" 2>/dev/null
    }
    # sway 1.7 answers success and logs "Failed to commit output": ask what it did.
    { sway_ipc output HEADLESS-1 power off >/dev/null || sway_ipc output HEADLESS-1 dpms off >/dev/null; } &&
        sway_ipc -r -t get_outputs | grep -qE '"(power|dpms)": false'
    if [ $? -ne 0 ]; then
        ROWS+=("| Wayland, output switched off | $size | – | – | – | – | sway $(sway --version | grep -oE '[0-9.]+' | head -n 1) cannot switch its headless output off | – | – |")
        return
    fi
    sleep 1
    say "Wayland $size, output off: measuring ${WINDOW} s"
    read -r saver sway <<<"$(measure "saver=$SAVER_PID" "sway=$SWAY_PID")"
    ROWS+=("| Wayland, output switched off (no frame callbacks) | $size | $saver % | $sway % | – | **$(awk -v a="$saver" -v b="$sway" 'BEGIN { printf "%.1f", a + b }') %** | near 0 | $(rss_mb "$SAVER_PID") MB | – |")
    sway_ipc output HEADLESS-1 power on >/dev/null || sway_ipc output HEADLESS-1 dpms on >/dev/null
}

make_prefix() {
    say "making a Wine prefix (not measured)"
    start_private_xvfb 1024x768x24 "$WORK/xvfb.log" || exit 1
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINEPREFIX=$PREFIX "$WINE" wineboot -i >/dev/null 2>&1
    # Without a window manager Wine waits for one on every hide and destroy.
    WINEPREFIX=$PREFIX "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    stop_wine
    stop_xvfb
    mkdir -p "$WORK/saver"
    cp "$WINDOWS/Nyamo_07.scr" "$WORK/saver/"
    printf '[Nyamo Saver]\r\nCatNum=%s\r\nSaverType=1\r\nSaverSpeed=10\r\n' "$CATS" >"$WORK/saver/Nyamo_07.ini"
}

measure_wine() {
    local size=$1 goal=$2 pid saver="" others="" server cpu rss
    start_private_xvfb "${size}x24" "$WORK/xvfb.log" || exit 1
    renice -n "$NICE" -p "$XVFB_PID" >/dev/null
    say "Wine $size on $DISPLAY: starting"
    # The wineserver starts here too, and inherits the niceness.
    WINEPREFIX=$PREFIX nice -n "$NICE" "$WINE" "$WORK/saver/Nyamo_07.scr" /s >"$WORK/saver.log" 2>&1 &
    SAVER_PID=$!
    wait_for_saver_window || { say "the saver under Wine showed no window"; cat "$WORK/saver.log" >&2; exit 1; }
    sleep "$WARM_UP"
    for pid in $(wine_processes); do
        if is_saver_under_wine "$pid"; then saver+=${saver:+,}$pid; else others+=${others:+,}$pid; fi
    done
    [ -n "$saver" ] || { say "no Nyamo_07.scr process under Wine"; exit 1; }
    say "Wine $size: measuring ${WINDOW} s (saver $saver, Wine's processes $others)"
    cpu=$(measure "saver=$saver" "x=$XVFB_PID" "wine=$others")
    rss=0
    for pid in ${saver//,/ }; do rss=$((rss + $(rss_mb "$pid"))); done
    stop_wine
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=
    stop_xvfb
    read -r saver x server <<<"$cpu"
    row "Wine (Nyamo_07.scr /s)" "$size" "$saver" "$x" "$server" "$goal" "$rss" "–"
}

# measure_wine_floor SIZE: what the Windows saver's tick cannot do without
# under Wine, its wake-up watch (GetCaretPos and GetCursorPos, each a
# wineserver request), alone at the tick's 50 a second: nyamo-watch-floor.exe
# of the Windows build, measured as the saver is.
measure_wine_floor() {
    local size=$1 pid floor="" others="" cpu
    start_private_xvfb "${size}x24" "$WORK/xvfb.log" || exit 1
    renice -n "$NICE" -p "$XVFB_PID" >/dev/null
    cp "$WINDOWS/nyamo-watch-floor.exe" "$WORK/saver/"
    say "Wine floor $size on $DISPLAY: starting"
    WINEPREFIX=$PREFIX nice -n "$NICE" "$WINE" "$WORK/saver/nyamo-watch-floor.exe" $((WARM_UP + WINDOW + 8)) \
        >"$WORK/floor.log" 2>&1 &
    SAVER_PID=$!
    # No window to wait for: Wine's start, then the warm-up.
    sleep $((WARM_UP + 4))
    for pid in $(wine_processes); do
        if tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -q 'nyamo-watch-floor'; then
            floor+=${floor:+,}$pid
        else
            others+=${others:+,}$pid
        fi
    done
    [ -n "$floor" ] || { say "no nyamo-watch-floor.exe process under Wine"; cat "$WORK/floor.log" >&2; exit 1; }
    say "Wine floor $size: measuring ${WINDOW} s"
    cpu=$(measure "floor=$floor" "x=$XVFB_PID" "wine=$others")
    stop_wine
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=
    stop_xvfb
    read -r floor x others <<<"$cpu"
    ROWS+=("| Wine: the wake-up watch alone (nyamo-watch-floor.exe) | $size | $floor % | $x % | $others % | **$(awk -v a="$floor" -v b="$x" -v c="$others" 'BEGIN { printf "%.1f", a + b + c }') %** | the floor of the Wine rows | – | – |")
}

# measure_hack NAME SIZE: one of xscreensaver's hacks drawing on the root window.
HACKS=${NYAMO_MEASURE_HACKS-deco slidescreen shadebobs swirl popsquares hexadrop}
HACK_DIR=/usr/libexec/xscreensaver
measure_hack() {
    local name=$1 size=$2 hack x total
    start_private_xvfb "${size}x24" "$WORK/xvfb.log" || exit 1
    renice -n "$NICE" -p "$XVFB_PID" >/dev/null
    say "hack $name $size on $DISPLAY: measuring ${WINDOW} s after ${WARM_UP} s"
    HOME=$WORK/home nice -n "$NICE" "$HACK_DIR/$name" --root >"$WORK/hack.log" 2>&1 &
    SAVER_PID=$!
    sleep "$WARM_UP"
    if ! kill -0 "$SAVER_PID" 2>/dev/null; then
        say "hack $name ended early"; cat "$WORK/hack.log" >&2
        SAVER_PID=
        stop_xvfb
        return
    fi
    measure_then_stop hack
    read -r hack x <<<"$CPU"
    total=$(awk -v a="$hack" -v b="$x" 'BEGIN { printf "%.1f", a + b }')
    ROWS+=("| xscreensaver's \`$name --root\` | $size | $hack % | $x % | – | **$total %** | – | $RSS MB | – |")
}

# --- every screen: two monitors on one X server ----------------------------------
# As root with Xorg's dummy driver (tests/lib/two_monitors.sh): each saver on
# the primary monitor alone (1280 x 1024), on the second alone (1024 x 768,
# made primary for the run), and with SaverScreens=2 on both at once, whose
# goal is the two alone together. The display server is that Xorg.
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/lib/two_monitors.sh"
SCREENS=${NYAMO_MEASURE_SCREENS:-yes}  # "only": these rows alone; "no": none of them
stop_two_monitors_and_wine() { stop_wine; stop_two_monitors; }
measure_screens_case() {  # PROGRAM (X11 or Wine) LABEL SAVERSCREENS GOAL
    local program=$1 label=$2 pid saver="" others="" x server="" cpu rss=0 eol='\n'
    [ "$program" = Wine ] && eol='\r\n'
    printf "[Nyamo Saver]$eol""CatNum=%s$eol""SaverType=1$eol""SaverSpeed=10$eol""SaverScreens=%s$eol" "$CATS" "$3" \
        >"$WORK/$program/Nyamo_07.ini"
    if [ "$program" = X11 ]; then
        HOME=$WORK/home nice -n "$NICE" "$WORK/X11/nyamo" /s >"$WORK/saver.log" 2>&1 &
    else
        WINEPREFIX=$PREFIX nice -n "$NICE" "$WINE" "$WORK/Wine/Nyamo_07.scr" /s >"$WORK/saver.log" 2>&1 &
    fi
    SAVER_PID=$!
    wait_for_saver_window || { say "$program on two monitors showed no window"; cat "$WORK/saver.log" >&2; exit 1; }
    sleep "$WARM_UP"
    saver=$SAVER_PID
    if [ "$program" = Wine ]; then
        saver=
        for pid in $(wine_processes); do
            if is_saver_under_wine "$pid"; then saver+=${saver:+,}$pid; else others+=${others:+,}$pid; fi
        done
    fi
    say "$program on two monitors, $label: measuring ${WINDOW} s"
    cpu=$(measure "saver=$saver" "x=$TWO_MONITORS_PID" ${others:+"wine=$others"})
    for pid in ${saver//,/ }; do rss=$((rss + $(rss_mb "$pid"))); done
    kill "$SAVER_PID" 2>/dev/null
    stop_wine
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=
    read -r saver x server <<<"$cpu"
    row "$program on two monitors (Xorg dummy)" "$label" "$saver" "$x" "$server" "$4" "$rss" "–"
}
measure_screens() {  # PROGRAM
    local xr="env DISPLAY=$TWO_MONITORS_DISPLAY xrandr" alone
    measure_screens_case "$1" "primary alone" 1 –
    $xr --output DUMMY1 --primary
    measure_screens_case "$1" "second alone" 1 –
    $xr --output DUMMY0 --primary
    alone=$(awk -v a="${TOTAL[$1 on two monitors (Xorg dummy) primary alone]}" \
        -v b="${TOTAL[$1 on two monitors (Xorg dummy) second alone]}" 'BEGIN { printf "%.1f", a + b }')
    measure_screens_case "$1" "both (SaverScreens=2)" 2 "$alone"
}

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
if [ "$SCREENS" != only ] && [ -n "$NATIVE" ]; then
    measure_x11 1920x1080 2.5
    measure_x11 3840x2160 2.5
    # The goal: no more than the X11 saver and its Xvfb in this run.
    measure_wayland 1920x1080 "${TOTAL[X11 (nyamo /s) 1920x1080]:-2.5}"
    measure_wayland 3840x2160 "${TOTAL[X11 (nyamo /s) 3840x2160]:-2.5}"
fi
if [ "$SCREENS" != only ] && [ -n "$WINDOWS" ]; then
    make_prefix
    measure_wine 1920x1080 6
    measure_wine 3840x2160 6
    if [ -f "$WINDOWS/nyamo-watch-floor.exe" ]; then
        measure_wine_floor 1920x1080
    fi
fi
if [ "$SCREENS" != no ]; then
    if start_two_monitors "$WORK/two-monitors"; then
        export DISPLAY=$TWO_MONITORS_DISPLAY
        renice -n "$NICE" -p "$TWO_MONITORS_PID" >/dev/null
        mkdir -p "$WORK/X11" "$WORK/Wine" "$WORK/home"
        if [ -n "$NATIVE" ]; then
            cp "$NATIVE/platform/x11/nyamo" "$WORK/X11/"
            measure_screens X11
        fi
        if [ -n "$WINDOWS" ]; then
            [ -d "$PREFIX" ] || { make_prefix; export DISPLAY=$TWO_MONITORS_DISPLAY; }
            cp "$WINDOWS/Nyamo_07.scr" "$WORK/Wine/"
            measure_screens Wine
        fi
        stop_two_monitors_and_wine
    else
        say "two monitors left out: $TWO_MONITORS_WHY"
    fi
fi
[ "$SCREENS" = only ] && HACKS=
mkdir -p "$WORK/home"
for hack in $HACKS; do
    if [ -x "$HACK_DIR/$hack" ]; then
        measure_hack "$hack" 1920x1080
    else
        say "hack $hack is not installed: left out"
    fi
done
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

ratio() {
    local a=${TOTAL[$1 1920x1080]:-} b=${TOTAL[$1 3840x2160]:-}
    [ -n "$a" ] && [ -n "$b" ] || return
    awk -v a="$a" -v b="$b" -v name="$1" 'BEGIN {
        r = (a > 0) ? b / a : 0
        printf "| %s | 4K / 1080p | | | | **%.2f ×** | ≤ 1 × within noise (%s) | | |\n", name, r, (r <= 1.1) ? "met" : "missed" }'
}

echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, load average $LOAD_BEFORE before and $LOAD_AFTER after;"
echo "CPU as a share of one core over ${WINDOW} s after a ${WARM_UP} s warm-up; speed 10, $CATS kittens, desktop background;"
echo "the measured processes at $PRIORITY."
echo
echo "| program | screen | saver | display server (Xvfb; sway for Wayland) | wineserver and Wine's services | total | goal | saver resident | start to first frame |"
echo "|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${ROWS[@]}"
[ -n "$NATIVE" ] && ratio "X11 (nyamo /s)"
[ -n "$WINDOWS" ] && ratio "Wine (Nyamo_07.scr /s)"
exit 0
