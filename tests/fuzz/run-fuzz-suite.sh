#!/usr/bin/env bash
# The libFuzzer targets, each run for a while (NYAMO_FUZZ_SECONDS, default 20)
# from its committed seed corpus, under AddressSanitizer and
# UndefinedBehaviorSanitizer: the command line with its handle reader, the
# profile reader, and the profile writer.
#
# Usage: tests/fuzz/run-fuzz-suite.sh [build-dir]   (default build-fuzz)
# packages: clang libclang-rt-dev cmake ninja-build
#
# Prints one line per target (PASS/FAIL name) and a closing count line; the
# exit status is non-zero when any target found a fault. A fault's input is
# kept in <build-dir>/fuzz-findings/ for a regression test.
set -u
cd "$(dirname "$0")/../.."
BUILD=${1:-build-fuzz}
SECONDS_EACH=${NYAMO_FUZZ_SECONDS:-20}
TARGETS=(command_line profile_read profile_write)

# Debian's default clang (the unversioned packages name the release's own
# version, with its libFuzzer runtime); without it, the newest clang-N there is.
CLANG=$(command -v clang || ls /usr/bin/clang-[0-9]* 2>/dev/null | sort -t- -k2 -n | tail -1)
[ -n "$CLANG" ] || { echo "fuzz suite: no clang (tools/setup-debian.sh --test installs it)"; exit 2; }
CC=$CLANG CXX=${CLANG/clang/clang++} cmake -S . -B "$BUILD" -G Ninja -DNYAMO_WERROR=ON -DNYAMO_FUZZ=ON -DNYAMO_TESTS=OFF \
    -DNYAMO_X11=OFF -DNYAMO_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
ninja -C "$BUILD" "${TARGETS[@]/#/fuzz_}" >/dev/null || exit 2

PASSED=0
FAILED=0
FINDINGS=$BUILD/fuzz-findings
mkdir -p "$FINDINGS"
for target in "${TARGETS[@]}"; do
    work=$(mktemp -d "/tmp/nyamo-fuzz-$target.XXXXXX")
    log=$work/log
    # New inputs go to the scratch folder; the committed seeds stay as they are.
    "$BUILD/tests/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" -artifact_prefix="$FINDINGS/$target-" \
        -print_final_stats=1 "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -eq 0 ]; then
        echo "PASS $target: ${runs:-?} inputs in ${SECONDS_EACH} s, no fault"
        PASSED=$((PASSED + 1))
    else
        echo "FAIL $target: status $status after ${runs:-?} inputs"
        grep -E "^(==|SUMMARY|.*runtime error)" "$log" | head -5
        ls "$FINDINGS" | grep "^$target-" | sed 's/^/    kept: /'
        FAILED=$((FAILED + 1))
    fi
    rm -rf "$work"
done
echo "fuzz suite: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
