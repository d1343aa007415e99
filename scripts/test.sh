#!/usr/bin/env bash
# Sets up, builds and packs the release zip, then runs every test: the
# native suite on the simulated desktop (with the user guide's check in a
# browser), a bounded fuzzing run of the file loaders and the registry file
# reader (MIRLOW_FUZZ_SECONDS each, default 60), then the Wine tests of the
# real mirlow.exe on a virtual display. Ends with one line counting the
# native and Wine tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh
scripts/package.sh
mkdir -p build/logs

status=0
echo "== native tests"
(cd build/native && ctest --output-on-failure) 2>&1 | tee build/logs/native.txt || status=1

echo "== fuzzing the loaders and the registry file reader"
scripts/fuzz.sh "${MIRLOW_FUZZ_SECONDS:-60}" >build/logs/fuzz.txt 2>&1 || status=1
grep -E '^fuzz ' build/logs/fuzz.txt || { echo "fuzz: no result, see build/logs/fuzz.txt"; status=1; }

echo "== Wine tests"
rm -rf build/win/e2e
(cd build/win && ../../scripts/wine_session.sh "$PWD/wine" ctest --output-on-failure) 2>&1 \
    | tee build/logs/wine.txt || status=1

# "N% tests passed, F tests failed out of T" from each run.
passed=0 failed=0
for log in build/logs/native.txt build/logs/wine.txt; do
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1 || true)
    if [ -z "$line" ]; then status=1; continue; fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
