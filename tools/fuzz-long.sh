#!/usr/bin/env bash
# Runs each libFuzzer target for 10 million inputs (or NYAMO_FUZZ_RUNS) and
# prints the inputs run and the faults found, for docs/reliability.md.
# libFuzzer stops at a fault; the run then goes on from where it stopped
# until the count is reached, so each fault is counted and kept.
#
# Usage: tools/fuzz-long.sh [build-dir]   (default build-fuzz; built like the fuzz suite builds it)
# Environment: NYAMO_FUZZ_RUNS (10000000), NYAMO_FUZZ_TARGETS (all three),
# NYAMO_FUZZ_MAX_SECONDS (a time budget per target; none by default: on a
# slow machine the figure printed is then the inputs run within it).
set -u
cd "$(dirname "$0")/.."
BUILD=${1:-build-fuzz}
RUNS=${NYAMO_FUZZ_RUNS:-10000000}
read -r -a TARGETS <<<"${NYAMO_FUZZ_TARGETS:-command_line profile_read profile_write}"
MAX_SECONDS=${NYAMO_FUZZ_MAX_SECONDS:-0}
CLANG=$(command -v clang || ls /usr/bin/clang-[0-9]* 2>/dev/null | sort -t- -k2 -n | tail -1)
[ -n "$CLANG" ] || { echo "fuzz-long: no clang (tools/setup-debian.sh --test installs it)"; exit 2; }
CC=$CLANG CXX=${CLANG/clang/clang++} cmake -S . -B "$BUILD" -G Ninja -DNYAMO_WERROR=ON -DNYAMO_FUZZ=ON -DNYAMO_TESTS=OFF \
    -DNYAMO_X11=OFF -DNYAMO_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
ninja -C "$BUILD" "${TARGETS[@]/#/fuzz_}" >/dev/null || exit 2
FINDINGS=$BUILD/fuzz-findings
mkdir -p "$FINDINGS"
for target in "${TARGETS[@]}"; do
    work=$(mktemp -d "/tmp/nyamo-fuzz-long-$target.XXXXXX")
    done_runs=0
    faults=0
    start=$(date +%s)
    while [ "$done_runs" -lt "$RUNS" ]; do
        left=0
        if [ "$MAX_SECONDS" -gt 0 ]; then
            left=$((MAX_SECONDS - ($(date +%s) - start)))
            [ "$left" -le 0 ] && break
        fi
        log=$work/log
        "$BUILD/tests/fuzz/fuzz_$target" -runs=$((RUNS - done_runs)) -max_total_time="$left" \
            -artifact_prefix="$FINDINGS/$target-" \
            -print_final_stats=1 "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1
        status=$?
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        done_runs=$((done_runs + ${runs:-0}))
        if [ "$status" -ne 0 ]; then
            faults=$((faults + 1))
            grep -E "^SUMMARY" "$log" | head -1
            [ -z "$runs" ] && break  # it could not even say how far it got
        fi
    done
    echo "$target: $done_runs inputs run, $faults faults found, $(($(date +%s) - start)) s"
    rm -rf "$work"
done
