# The preview in a host window: a child of the host at its size, from the
# saver's process, ending when the host goes or is killed.
# preview_case <name> <format (H = host handle)> <w> <h>
preview_case() {
    local out style ms
    out=$(probe preview 8000 "$SCR_WIN" "$2" "$3" "$4")
    expect "$1: a child appears in the host" "1" "$(field "$out" child)"
    expect "$1: it is the preview window of the saver's process" "NyamoPreviewWindow 1" \
        "$(field "$out" child_class) $(field "$out" child_pid_is_saver)"
    expect "$1: at the host's top-left with its size" "0 0 $3 $4" "$(field "$out" child_offset) $(field "$out" child_size)"
    style=$(hex "$(field "$out" child_style)")
    check "$1: a visible child window (WS_CHILD)" bits "$style" 0x40000000 0x40000000
    expect "$1: the child is visible" "1" "$(field "$out" child_visible)"
    expect "$1: parent is the host" "1" "$(field "$out" child_parent_is_host)"
    expect "$1: runs while the host exists" "1" "$(field "$out" running_with_host)"
    expect "$1: ends with status 0 when the host goes" "0" "$(field "$out" exit_after_host)"
    ms=$(field "$out" exit_ms)
    check "$1: ends within 2 s of the host (took ${ms:-?} ms)" test "${ms:-99999}" -lt 2000
}
write_ini "[Nyamo Saver]" "SaverType=2"
preview_case "/p <handle>" "/p H" 152 112
preview_case "/p:<handle>, wide host" "/p:H" 400 100
preview_case "/P <handle> after one leading blank" " /P H" 120 90

# A host that is killed: no message reaches the preview; its watch ends it.
"$WINE" "$PROBE" host 30000 "$SCR_WIN" "/p H" 160 120 >"$WORK/host.out" 2>/dev/null &
HOST_PID=$!
for _ in $(seq 100); do grep -q "ready" "$WORK/host.out" 2>/dev/null && break; sleep 0.1; done
expect "killed host: the preview was in place" "1" "$(grep -c "^ready" "$WORK/host.out")"
expect "killed host: the saver runs while the host lives" "1" "$(nyamo_running)"
# A running preview is no reason to refuse a start: the guard looks only
# for the saver and the dialog.
OUT=$(probe_run 3000 " /c")
expect "a running preview does not stop the dialog from opening" "running $DIALOG" "$(field "$OUT" exit) $(field "$OUT" window)"
probe close "$DIALOG" >/dev/null
probe_ok gone "$DIALOG" 5000
kill -9 "$HOST_PID" 2>/dev/null
{ wait "$HOST_PID"; } 2>/dev/null
for _ in $(seq 30); do [ "$(nyamo_running)" == 0 ] && break; sleep 0.1; done
expect "killed host: the preview ends within 3 s" "0" "$(nyamo_running)"
