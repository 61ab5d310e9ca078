# One file, one reading: the system's profile functions under Wine
# (profile_check.exe) and the portable reader and writer
# (nyamo-profile-check, native) read every file of tests/profile_corpus, and
# three generated ones with a 10 MB line, as the same three settings; a save
# by the portable writer keeps the file's encoding and line endings and reads
# back the same on both sides; a save by the system reads the same on both.
# profile_agreement <profile_check.exe> <nyamo-profile-check> <corpus folder>
profile_agreement() {
    local system=$1 portable corpus=$3
    portable=$(realpath "$2")
    if [ ! -x "$portable" ]; then
        fail "profile agreement: the portable reader $portable is built (build the native tree first)"
        return
    fi
    local dir=$WORK/profile-corpus
    rm -rf "$dir" && mkdir -p "$dir/read" "$dir/portable-save" "$dir/system-save"
    cp "$corpus"/*.ini "$dir/read/"
    local ten_mb=$((10 * 1024 * 1024))
    { printf '; '; head -c "$ten_mb" /dev/zero | tr '\0' 'x'; printf '\r\n[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\n'; } \
        >"$dir/read/long-line-comment.ini"
    { printf '[Nyamo Saver]\nSaverType=2\nCatNum='; head -c "$ten_mb" /dev/zero | tr '\0' '7'; printf '\nSaverSpeed=3'; } \
        >"$dir/read/long-line-value.ini"
    { printf '\xff\xfe'; { printf '[Nyamo Saver]\r\nCatNum=0x'; head -c "$ten_mb" /dev/zero | tr '\0' '1'
        printf '\r\nSaverSpeed=4\r\n'; } | iconv -f ASCII -t UTF-16LE; } >"$dir/read/long-line-utf16.ini"

    local names=() files_win=() portable_saved_win=() system_saved_win=() name
    for name in $(cd "$dir/read" && ls); do
        names+=("$name")
        files_win+=("$(winpath "$dir/read/$name")")
        portable_saved_win+=("$(winpath "$dir/portable-save/$name")")
        system_saved_win+=("$(winpath "$dir/system-save/$name")")
    done
    check "profile agreement: the corpus has at least 40 files (${#names[@]})" test "${#names[@]}" -ge 40

    # Reading: one run of each reader over every file.
    local by_system by_portable
    by_system=$("$WINE" "$system" read "${files_win[@]}" 2>/dev/null | tr -d '\r')
    by_portable=$(cd "$dir/read" && "$portable" read "${names[@]}")
    local i=0 agreed=0
    while IFS= read -r want; do
        local got
        got=$(sed -n "$((i + 1))p" <<<"$by_system")
        if [ -n "$want" ] && [ "$want" == "$got" ]; then
            agreed=$((agreed + 1))
        else
            fail "profile agreement: ${names[$i]} reads the same" "portable [$want], system [$got]"
        fi
        i=$((i + 1))
    done <<<"$by_portable"
    expect "profile agreement: both readers give the same three settings for every file" \
        "${#names[@]}" "$agreed"

    # Saving: each file saved once by each writer, then read by both readers.
    local wanted="42 2 9" saved_portable=0 saved_system=0
    cp "$dir/read/"*.ini "$dir/portable-save/"
    cp "$dir/read/"*.ini "$dir/system-save/"
    (cd "$dir/portable-save" && "$portable" write 42 2 9 "${names[@]}")
    "$WINE" "$system" write 42 2 9 "${system_saved_win[@]}" 2>/dev/null
    local portable_saved system_saved portable_on_system system_on_portable
    portable_saved=$(cd "$dir/portable-save" && "$portable" read "${names[@]}")
    system_on_portable=$("$WINE" "$system" read "${portable_saved_win[@]}" 2>/dev/null | tr -d '\r')
    system_saved=$("$WINE" "$system" read "${system_saved_win[@]}" 2>/dev/null | tr -d '\r')
    portable_on_system=$(cd "$dir/system-save" && "$portable" read "${names[@]}")
    for i in "${!names[@]}"; do
        name=${names[$i]}
        local before after line=$((i + 1))p
        local p_read s_read
        before=$("$portable" style "$dir/read/$name")
        after=$("$portable" style "$dir/portable-save/$name")
        p_read=$(sed -n "$line" <<<"$portable_saved")
        s_read=$(sed -n "$line" <<<"$system_on_portable")
        # A file without any line ending yet gets the default one.
        if [ "${before%% *}" == "${after%% *}" ] && { [ "$before" == "$after" ] || [ "${before#* }" == none ]; } &&
            [ "$p_read" == "$wanted" ] && [ "$s_read" == "$wanted" ]; then
            saved_portable=$((saved_portable + 1))
        else
            fail "profile save by the portable writer: $name" \
                "style [$before] -> [$after], portable reads [$p_read], system reads [$s_read]"
        fi
        p_read=$(sed -n "$line" <<<"$portable_on_system")
        s_read=$(sed -n "$line" <<<"$system_saved")
        after=$("$portable" style "$dir/system-save/$name")
        if [ -n "$p_read" ] && [ "$p_read" == "$s_read" ] && [ "${before%% *}" == "${after%% *}" ]; then
            saved_system=$((saved_system + 1))
        else
            fail "profile save by the system: $name" "portable reads [$p_read], system reads [$s_read]"
        fi
    done
    expect "profile save by the portable writer: encoding and line endings kept, both read $wanted" \
        "${#names[@]}" "$saved_portable"
    expect "profile save by the system: encoding kept, both readers agree" "${#names[@]}" "$saved_system"
}
profile_agreement "$BUILD/tests/wine/profile_check.exe" "$NATIVE_BUILD/tests/nyamo-profile-check" "$SOURCE_DIR/tests/profile_corpus"

# The profile programs' session is still winding down (Wine 10 restarts its
# services behind them for seconds): the checks after these time the saver alone.
timeout 60 wineserver -w
