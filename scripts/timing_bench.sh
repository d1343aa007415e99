#!/usr/bin/env bash
# Measures how faithfully mirlow.exe reproduces recorded gaps under Wine: a
# recording of 200 key events 20 ms apart is played into key_timer.exe,
# which notes when each key arrives. Reports the median and 95th percentile
# of |actual gap - 20 ms|, the drift over the run at Normal speed, and the
# events per second at As Fast As Possible. A benchmark: it reports, it
# does not fail on a slow machine.   Needs build/win (scripts/build.sh).
#
# Also measures, with the same windows:
#  - a move-heavy recording (10,000 mouse moves with a left click every
#    100) at As Fast As Possible: events per second between the first and
#    the last click to arrive;
#  - 300 key messages recorded 30 ms apart (8.97 s) played at Normal speed
#    into a key_timer.exe that sleeps 15 ms on every key message, as a
#    program slow to take its input: how much longer than recorded the
#    replay took, and whether every key arrived.
# MIRLOW_BENCH_EXE names another mirlow.exe to measure (an older build, to
# compare); key_timer.exe and the probe are always this tree's.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
work="$PWD/build/timing"
rm -rf "$work"
mkdir -p "$work"
exe=$(realpath "${MIRLOW_BENCH_EXE:-$MIRLOW_EXE}")

events=200 gap=20
{
    echo "GOTO Mirlow Key Timer"
    for i in $(seq 0 $((events - 1))); do
        message=WM_KEYDOWN
        [ $((i % 2)) -eq 1 ] && message=WM_KEYUP
        echo "message=$message paramH=0 paramL=65 time=$((100000 + i * gap))"
    done
} | sed 's/$/\r/' >"$work/keys.mrx"

# ---- The move-heavy and the slow-target recordings ----
moves=10000 clicks=$((10000 / 100))
# Points inside key_timer.exe's window (300 x 120 at 200, 200).
awk -v moves=$moves 'BEGIN {
    print "GOTO Mirlow Key Timer\r"
    t = 100000
    for (i = 0; i < moves; i++) {
        x = 230 + (i * 7) % 240; y = 250 + (i * 3) % 50
        printf "message=WM_MOUSEMOVE paramH=%d paramL=%d time=%d\r\n", y, x, t += 10
        if ((i + 1) % 100 == 0) {
            printf "message=WM_LBUTTONDOWN paramH=%d paramL=%d time=%d\r\n", y, x, t += 10
            printf "message=WM_LBUTTONUP paramH=%d paramL=%d time=%d\r\n", y, x, t += 10
        }
    }
}' >"$work/moves.mrx"
slow_keys=300 slow_gap=30 busy=15
awk -v n=$slow_keys -v gap=$slow_gap 'BEGIN {
    print "GOTO Mirlow Key Timer\r"
    for (i = 0; i < n; i++)
        printf "message=%s paramH=0 paramL=65 time=%d\r\n", i % 2 ? "WM_KEYUP" : "WM_KEYDOWN", 100000 + i * gap
}' >"$work/slow.mrx"

# run.sh WORK SPEED OUTPUT ARRIVALS [SCRIPT [BUSY_MS]]
cat >"$work/run.sh" <<'INNER'
set -euo pipefail
work=$1 speed=$2 out=$3 events=$4 script=${5:-$1/keys.mrx} busy=${6:-0}
source scripts/lib.sh
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Speed /t REG_DWORD /d "$speed" /f >/dev/null 2>&1
timeout 150 wine "$MIRLOW_KEY_TIMER" "$(winpath "$out")" "$events" 120000 "$busy" >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 >/dev/null
timeout 120 wine "$MIRLOW_BENCH_EXE" "$(winpath "$script")" >/dev/null 2>&1
wait $timer || true
INNER

MIRLOW_BENCH_EXE=$exe scripts/wine_session.sh "$work" bash -c "
    bash '$work/run.sh' '$work' 2 '$work/normal.txt' $events
    bash '$work/run.sh' '$work' 4 '$work/fastest.txt' $events
    bash '$work/run.sh' '$work' 4 '$work/moves.txt' $((clicks * 2)) '$work/moves.mrx'
    bash '$work/run.sh' '$work' 2 '$work/slow.txt' $slow_keys '$work/slow.mrx' $busy"

gap_statistics "$work/normal.txt" $gap "$work/errors.txt"
drift=$(awk -v gap=$gap -v n=$events 'END { printf "%.2f", $1 / 1000 - (n - 1) * gap }' "$work/normal.txt")
rate=$(awk -v n=$events 'END { printf "%.0f", (n - 1) / ($1 / 1000000) }' "$work/fastest.txt")
echo "Measuring $exe"
echo "Normal speed, $events key events ${gap} ms apart:"
echo "  |gap error| median ${GAP_MEDIAN} ms, 95th percentile ${GAP_P95} ms; drift over the run ${drift} ms"
echo "As Fast As Possible: $rate events per second"

# From the first click's press to the last click's release: every event
# of the recording but the first 100 moves.
move_events=$((moves + clicks * 2 - 100))
arrived=$(grep -c . "$work/moves.txt" || true)
move_rate=$(awk -v n=$move_events -v all=$((clicks * 2)) \
    'END { if (NR == all && $1 > 0) printf "%.0f", (n - 1) / ($1 / 1000000); else print "?" }' "$work/moves.txt")
echo "As Fast As Possible, $moves moves with a click every 100: $move_rate events per second" \
    "($arrived of $((clicks * 2)) button messages arrived)"
recorded=$(((slow_keys - 1) * slow_gap))
slow_arrived=$(grep -c . "$work/slow.txt" || true)
overrun=$(awk -v recorded=$recorded 'END { printf "%.1f", ($1 / 1000 / recorded - 1) * 100 }' "$work/slow.txt")
echo "Normal speed into a program that takes ${busy} ms over each key message: $slow_keys key messages" \
    "recorded ${slow_gap} ms apart ($recorded ms) took ${overrun}% longer; $slow_arrived of $slow_keys arrived"
