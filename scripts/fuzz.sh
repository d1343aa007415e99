#!/usr/bin/env bash
# Fuzzes the two loaders (text script, binary recording) with libFuzzer,
# SECONDS each (default 60). Builds them with clang in build/fuzz, replays
# every input kept in tests/fuzz/regressions/ first, then fuzzes from the
# seeds in tests/fuzz/seeds/ with a working corpus under build/fuzz/.
# Exits non-zero on any crash, overrun, hang or broken rule; the input
# that caused it is left in build/fuzz/crashes/, to be added to
# tests/fuzz/regressions/ once it is fixed.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DMIRLOW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz

# Longest inputs: a text script long enough to reach the command limit.
declare -A max_len=([text]=16384 [binary]=4096)

status=0
for format in text binary; do
    fuzzer=build/fuzz/mirlow_fuzz_$format
    corpus=build/fuzz/corpus/$format
    crashes=build/fuzz/crashes/$format
    mkdir -p "$corpus" "$crashes"
    mapfile -t kept < <(find "tests/fuzz/regressions/$format" -type f ! -name '.*' | sort)
    result=ok
    if [ ${#kept[@]} -gt 0 ] && ! "$fuzzer" -runs=1 "${kept[@]}"; then
        result="FAILED on a kept regression input"
    elif ! "$fuzzer" -max_total_time="$seconds" -max_len="${max_len[$format]}" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "tests/fuzz/seeds/$format"; then
        result="FAILED: see $crashes/"
    fi
    [ "$result" = ok ] || status=1
    echo "fuzz $format loader (${seconds}s): $result"
done
exit $status
