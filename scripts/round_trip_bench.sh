#!/usr/bin/env bash
# Measures the timing of a whole round trip under Wine: key presses and
# releases sent by xdotool 40 ms apart into key_timer.exe are recorded by
# mirlow.exe through its low-level hooks, then played back into a second
# key_timer.exe, which notes when each key arrives. Reports the median and
# 95th percentile of |arrival gap - 40 ms| for the input as it first
# arrived and for the replay. A benchmark: it reports, it does not fail on
# a slow machine.   Needs build/win (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
work="$PWD/build/round_trip"
rm -rf "$work"
mkdir -p "$work"
keys=100 gap=40

cat >"$work/run.sh" <<'INNER'
set -euo pipefail
work=$1 keys=$2 gap=$3
events=$((keys * 2))
source scripts/lib.sh
wait_for() { for _ in $(seq 200); do grep -qF "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
timer() { # OUTPUT: a key timer window; its process id in TIMER
    timeout 90 wine "$MIRLOW_KEY_TIMER" "$(winpath "$1")" "$events" 60000 >/dev/null 2>&1 &
    TIMER=$!
    probe wait-window "-:Mirlow Key Timer" 15000
}
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Logfile /t REG_SZ /d "$(winpath "$work/mirlow.log")" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Log /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

timer "$work/typed.txt"
typed=$TIMER
timeout 120 wine "$MIRLOW_EXE" >/dev/null 2>&1 &
mirlow=$!
probe wait-window Mirlow 15000
probe post-command Mirlow 1044
wait_for "$work/mirlow.log" "Recording through"
xdotool mousemove 350 260 click 1 sleep 0.3
chain=()
for _ in $(seq "$keys"); do chain+=(keydown --delay 0 a sleep 0.0$gap keyup --delay 0 a sleep 0.0$gap); done
xdotool "${chain[@]}"
wait $typed
probe post-command Mirlow 1049
wait_for "$work/mirlow.log" "END RECORDING"

timer "$work/played.txt"
played=$TIMER
probe post-command Mirlow 1047
wait $played
probe post-command Mirlow 1018
wait $mirlow
INNER

scripts/wine_session.sh "$work" bash "$work/run.sh" "$work" $keys $gap

# report NAME FILE: the gap errors of one key timer's arrivals.
report() {
    gap_statistics "$2" $gap "$work/errors.txt"
    echo "  $1: |gap error| median ${GAP_MEDIAN} ms, 95th percentile ${GAP_P95} ms ($GAP_COUNT gaps)"
}
echo "$((keys * 2)) key events ${gap} ms apart, recorded and played back at Normal speed:"
report "as typed (xdotool into the first window)" "$work/typed.txt"
report "as played back (into the second window)" "$work/played.txt"
