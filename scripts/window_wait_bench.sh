#!/usr/bin/env bash
# Measures what waiting for recorded windows costs a replay whose windows
# are all there, under Wine: 400 key events, every key press with a note
# of key_timer.exe's window, played into that window with the wait on
# (WindowWait 10) and off (0), at As Fast As Possible (events per second)
# and at Normal speed (|gap error| of keys 20 ms apart, and the drift).
# A benchmark: it reports, it does not fail on a slow machine.
# Needs build/win (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
work="$PWD/build/window_wait_bench"
rm -rf "$work"
mkdir -p "$work"

events=400 gap=20
{
    echo "GOTO Mirlow Key Timer"
    for i in $(seq 0 $((events - 1))); do
        message=WM_KEYDOWN
        if [ $((i % 2)) -eq 1 ]; then
            message=WM_KEYUP
        else
            echo ';@window title="Mirlow Key Timer" class="MirlowKeyTimer" program="key_timer.exe" rect=200,200,500,320'
        fi
        echo "message=$message paramH=0 paramL=65 time=$((100000 + i * gap))"
    done
} | sed 's/$/\r/' >"$work/keys.mrx"

cat >"$work/run.sh" <<'INNER'
set -euo pipefail
work=$1 speed=$2 wait=$3 out=$4 events=$5
source scripts/lib.sh
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Speed /t REG_DWORD /d "$speed" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v WindowWait /t REG_DWORD /d "$wait" /f >/dev/null 2>&1
timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$out")" "$events" 30000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 >/dev/null
timeout 60 wine "$MIRLOW_EXE" "$(winpath "$work/keys.mrx")" >/dev/null 2>&1
wait $timer
INNER

runs=""
for round in 1 2 3; do
    for wait in 0 10; do
        runs="$runs bash '$work/run.sh' '$work' 4 $wait '$work/fastest-$wait-$round.txt' $events;"
    done
done
for round in 1 2; do
    for wait in 0 10; do
        runs="$runs bash '$work/run.sh' '$work' 2 $wait '$work/normal-$wait-$round.txt' $events;"
    done
done
scripts/wine_session.sh "$work" bash -c "$runs"

rate() {
    awk -v n=$events 'END { printf "%.0f", (n - 1) / ($1 / 1000000) }' "$1"
}

gaps() {
    gap_statistics "$1" $gap "$1.errors"
    local drift
    drift=$(awk -v gap=$gap -v n=$events 'END { printf "%.2f", $1 / 1000 - (n - 1) * gap }' "$1")
    echo "|gap error| median ${GAP_MEDIAN} ms, 95th percentile ${GAP_P95} ms, drift ${drift} ms"
}

echo "As Fast As Possible, $events key events, a window note on every press (events per second):"
for wait in 0 10; do
    line="  WindowWait $wait:"
    for round in 1 2 3; do
        line="$line $(rate "$work/fastest-$wait-$round.txt")"
    done
    echo "$line"
done
echo "Normal speed, keys ${gap} ms apart:"
for round in 1 2; do
    echo "  WindowWait 0:  $(gaps "$work/normal-0-$round.txt")"
    echo "  WindowWait 10: $(gaps "$work/normal-10-$round.txt")"
done
