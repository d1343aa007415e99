#!/usr/bin/env bash
# Measures how fast mirlow.exe types: a command-line run types 3,000
# characters (capitals, digits, punctuation, blanks) with TYPE commands,
# each record waiting until the target has taken the one before.
#  - into Wine's notepad: the time of a run that types one character is
#    taken off, so start-up and the GOTO do not count; notepad must hold
#    every character when the run ends;
#  - into key_timer.exe, which takes keys without drawing anything, timed
#    from the first character to arrive to the last: the program's own
#    cost.
# A benchmark: it reports, it does not fail on a slow machine. Needs
# build/win (scripts/build.sh); run it under the shared lock.
# MIRLOW_BENCH_EXE names another mirlow.exe to measure (an older build, to
# compare); key_timer.exe and the probe are always this tree's.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
work="$PWD/build/typing"
rm -rf "$work"
mkdir -p "$work"
export MIRLOW_BENCH_EXE
MIRLOW_BENCH_EXE=$(realpath "${MIRLOW_BENCH_EXE:-$MIRLOW_EXE}")

chunk="The quick brown Fox jumps over the lazy Dog, 0123456789 times; (ok?) "
text=""
while [ ${#text} -lt 1000 ]; do text+=$chunk; done
text=${text:0:1000}
{
    echo "GOTO Untitled - Notepad"
    for _ in 1 2 3; do echo "TYPE $text"; done
} | sed 's/$/\r/' >"$work/long.mrx"
printf 'GOTO Untitled - Notepad\r\nTYPE x\r\n' >"$work/short.mrx"
sed 's/^GOTO .*/GOTO Mirlow Key Timer\r/' "$work/long.mrx" >"$work/timer.mrx"

cat >"$work/run.sh" <<'INNER'
set -euo pipefail
work=$1
source scripts/lib.sh
timed_run() {
    local start end
    start=$(date +%s%N)
    timeout 120 wine "$MIRLOW_BENCH_EXE" "$(winpath "$1")" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
timeout 120 wine notepad >/dev/null 2>&1 &
probe wait-window "-:Untitled - Notepad" 20000
timed_run "$work/short.mrx" >"$work/short.ms"
timed_run "$work/long.mrx" >"$work/long.ms"
probe text "-:Untitled - Notepad" >"$work/typed.txt"
timeout 120 wine "$MIRLOW_KEY_TIMER" "$(winpath "$work/arrivals.txt")" 3000 60000 chars \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000
timeout 120 wine "$MIRLOW_BENCH_EXE" "$(winpath "$work/timer.mrx")" >/dev/null 2>&1
wait $timer || true
INNER

scripts/wine_session.sh "$work" bash "$work/run.sh" "$work"

short=$(cat "$work/short.ms") long=$(cat "$work/long.ms")
typed=$(wc -c <"$work/typed.txt")
echo "Measuring $MIRLOW_BENCH_EXE"
echo "3,000 characters typed into notepad in $((long - short)) ms (run $long ms, of which $short ms start-up):"
echo "  $((2999 * 1000 / (long - short))) characters per second; notepad holds $typed of 3,001"
characters=$(grep -c . "$work/arrivals.txt")
last=$(tail -n1 "$work/arrivals.txt" | tr -d "\r")
echo "Into key_timer.exe: $characters of 3,000 characters in $((last / 1000)) ms:"
echo "  $(((characters - 1) * 1000000 / last)) characters per second"
