#!/usr/bin/env bash
# Measures how faithfully mirlow.exe reproduces recorded gaps under Wine: a
# recording of 200 key events 20 ms apart is played into key_timer.exe,
# which notes when each key arrives. Reports the median and 95th percentile
# of |actual gap - 20 ms|, the drift over the run at Normal speed, and the
# events per second at As Fast As Possible. A benchmark: it reports, it
# does not fail on a slow machine.   Needs build/win (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
work="$PWD/build/timing"
rm -rf "$work"
mkdir -p "$work"

events=200 gap=20
{
    echo "GOTO Mirlow Key Timer"
    for i in $(seq 0 $((events - 1))); do
        message=WM_KEYDOWN
        [ $((i % 2)) -eq 1 ] && message=WM_KEYUP
        echo "message=$message paramH=0 paramL=65 time=$((100000 + i * gap))"
    done
} | sed 's/$/\r/' >"$work/keys.mrx"

cat >"$work/run.sh" <<'INNER'
set -euo pipefail
work=$1 speed=$2 out=$3 events=$4
source scripts/lib.sh
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Speed /t REG_DWORD /d "$speed" /f >/dev/null 2>&1
timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$out")" "$events" 30000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 >/dev/null
timeout 60 wine "$MIRLOW_EXE" "$(winpath "$work/keys.mrx")" >/dev/null 2>&1
wait $timer
INNER

scripts/wine_session.sh "$work" bash -c "
    bash '$work/run.sh' '$work' 2 '$work/normal.txt' $events
    bash '$work/run.sh' '$work' 4 '$work/fastest.txt' $events"

gap_statistics "$work/normal.txt" $gap "$work/errors.txt"
drift=$(awk -v gap=$gap -v n=$events 'END { printf "%.2f", $1 / 1000 - (n - 1) * gap }' "$work/normal.txt")
rate=$(awk -v n=$events 'END { printf "%.0f", (n - 1) / ($1 / 1000000) }' "$work/fastest.txt")
echo "Normal speed, $events key events ${gap} ms apart:"
echo "  |gap error| median ${GAP_MEDIAN} ms, 95th percentile ${GAP_P95} ms; drift over the run ${drift} ms"
echo "As Fast As Possible: $rate events per second"
