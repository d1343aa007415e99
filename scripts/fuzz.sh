#!/usr/bin/env bash
# Fuzzes the two loaders (text script, binary recording) and the headless
# program's registry file reader with libFuzzer, SECONDS each (default 60).
# Builds them with clang in build/fuzz, replays every input kept in
# tests/fuzz/regressions/ first, then fuzzes from the seeds in
# tests/fuzz/seeds/ and, for the loaders, the seeds at their limits
# (tests/fuzz/make_limit_seeds.sh), with a working corpus under
# build/fuzz/. Exits non-zero on any crash, overrun, hang or broken rule;
# the input that caused it is left in build/fuzz/crashes/, to be added to
# tests/fuzz/regressions/ once it is fixed.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DMIRLOW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz
tests/fuzz/make_limit_seeds.sh build/fuzz/limit-seeds

# Longest inputs: long enough for a text script of 32,766 short event
# lines and for a binary recording of 32,768 records, past both limits.
declare -A max_len=([text]=1048576 [binary]=655360 [registry]=65536)

status=0
for target in text binary registry; do
    fuzzer=build/fuzz/mirlow_fuzz_$target
    corpus=build/fuzz/corpus/$target
    crashes=build/fuzz/crashes/$target
    mkdir -p "$corpus" "$crashes"
    seeds=("tests/fuzz/seeds/$target")
    [ -d "build/fuzz/limit-seeds/$target" ] && seeds+=("build/fuzz/limit-seeds/$target")
    mapfile -t kept < <(find "tests/fuzz/regressions/$target" -type f ! -name '.*' | sort)
    result=ok
    if [ ${#kept[@]} -gt 0 ] && ! "$fuzzer" -runs=1 "${kept[@]}"; then
        result="FAILED on a kept regression input"
    elif ! "$fuzzer" -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$corpus" "${seeds[@]}"; then
        result="FAILED: see $crashes/"
    fi
    [ "$result" = ok ] || status=1
    echo "fuzz $target (${seconds}s): $result"
done
exit $status
