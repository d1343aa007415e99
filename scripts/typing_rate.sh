#!/usr/bin/env bash
# Measures how fast mirlow.exe types, and that the text all arrives: a
# command-line run types 3,000 characters (capitals, digits, punctuation,
# blanks) with TYPE commands.
#  - into Wine's notepad, TYPING_RUNS times (1 unless set), each into a
#    fresh notepad: the time of a run that types one character before it
#    is taken off, so start-up and the GOTO do not count. When the run ends,
#    notepad's text is read at once, and a window that takes the keyboard
#    is started at once: notepad must hold every character, and that
#    window must get none of them (Wine throws away input still queued for
#    a window that loses the focus; on Windows it would arrive late);
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
export MIRLOW_BENCH_EXE TYPING_RUNS=${TYPING_RUNS:-1}
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
    timeout 120 wine "$MIRLOW_BENCH_EXE" "$(winpath "$1")" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
fresh_notepad() {
    timeout 150 wine notepad >/dev/null 2>&1 &
    notepad=$!
    probe wait-window "-:Untitled - Notepad" 20000
}
for run in $(seq "$TYPING_RUNS"); do
    fresh_notepad
    timed_run "$work/short.mrx" >"$work/short-$run.ms"
    timed_run "$work/long.mrx" >"$work/long-$run.ms"
    probe text "-:Untitled - Notepad" >"$work/typed-$run.txt" || true
    probe catch-clicks "$(winpath "$work/caught-$run.txt")" 3000 || true
    kill $notepad 2>/dev/null || true
    wait $notepad 2>/dev/null || true
done
timeout 120 wine "$MIRLOW_KEY_TIMER" "$(winpath "$work/arrivals.txt")" 3000 60000 chars \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000
timeout 120 wine "$MIRLOW_BENCH_EXE" "$(winpath "$work/timer.mrx")" >/dev/null 2>&1 || true
wait $timer || true
INNER

scripts/wine_session.sh "$work" bash "$work/run.sh" "$work"

echo "Measuring $MIRLOW_BENCH_EXE"
for run in $(seq "$TYPING_RUNS"); do
    short=$(cat "$work/short-$run.ms") long=$(cat "$work/long-$run.ms")
    typed=$(wc -c <"$work/typed-$run.txt")
    caught=$(grep -c . "$work/caught-$run.txt" || true)
    echo "Run $run: 3,000 characters typed into notepad in $((long - short)) ms" \
        "(run $long ms, of which $short ms start-up):"
    echo "  $((2999 * 1000 / (long - short))) characters per second; notepad holds $typed of" \
        "3,001 when the run ends; the window started next got $caught key(s)"
done
characters=$(grep -c . "$work/arrivals.txt" || true)
last=$(tail -n1 "$work/arrivals.txt" | tr -d "\r")
echo "Into key_timer.exe: $characters of 3,000 characters in $((last / 1000)) ms:"
echo "  $(((characters - 1) * 1000000 / last)) characters per second"
