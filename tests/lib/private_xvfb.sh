# Sourced by the suites: start_private_xvfb SCREEN LOG [XVFB OPTIONS...]
# starts an Xvfb of the suite's own and exports DISPLAY; XVFB_PID holds its
# process. The server
# picks a display number no one holds (-displayfd), so two suites, or a suite
# beside a user's own server, never meet on one display.
start_private_xvfb() {
    local screen=$1 log=$2 fifo number=""
    shift 2
    fifo=$(mktemp -u /tmp/nyamo-xvfb-fd.XXXXXX)
    mkfifo -m 600 "$fifo" || return 1
    Xvfb -displayfd 9 -screen 0 "$screen" -noreset -nolisten tcp -ac "$@" 9>"$fifo" >"$log" 2>&1 &
    XVFB_PID=$!
    # The server writes its number once it listens; a dead server closes the
    # pipe and the read ends empty.
    read -r -t 20 number <"$fifo"
    rm -f "$fifo"
    if [ -z "$number" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
        echo "private Xvfb did not start:" >&2; cat "$log" >&2
        return 1
    fi
    export DISPLAY=":$number"
    # The server answering here must be ours: the socket of that display
    # belongs to our process (Xvfb writes no lock file under -displayfd).
    if ! xvfb_owns_display "$XVFB_PID" "$number"; then
        echo "display $DISPLAY is not the suite's own server (process $XVFB_PID)" >&2
        return 1
    fi
    xdpyinfo >/dev/null 2>&1 || { echo "private Xvfb on $DISPLAY does not answer" >&2; return 1; }
}

# xvfb_owns_display PID NUMBER: PID holds a listening socket named for
# display NUMBER (path or abstract name), read from /proc alone.
xvfb_owns_display() {
    local pid=$1 number=$2 link inodes=()
    for link in /proc/"$pid"/fd/*; do
        link=$(readlink "$link" 2>/dev/null) || continue
        [[ $link == socket:\[*\] ]] && inodes+=("${link:8:-1}")
    done
    [ ${#inodes[@]} -gt 0 ] || return 1
    local pattern
    pattern=$(printf '%s|' "${inodes[@]}")
    awk -v want="^(${pattern%|})$" -v name="/tmp/.X11-unix/X$number" \
        '$7 ~ want && ($8 == name || $8 == "@" name) { found = 1 } END { exit !found }' /proc/net/unix
}
