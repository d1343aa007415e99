#!/usr/bin/env bash
# A GOTO to a window whose program has stopped taking messages (its thread
# sleeps) fails within GOTO's own time limit, as a GOTO to a missing window
# fails, and says that the window did not answer: the box, the ERROR line
# and exit code 3. Showing and activating such a window used to hold the
# playback for about half a minute under Wine, and for good on Windows.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/low.log"
rm -f "$log"
use_log_file "$log" 1
title="Mirlow Busy Window"
script="$E2E_WORK/busy.mrx"
printf '%s\r\n' "GOTO $title" "message=WM_KEYDOWN paramH=0 paramL=65 time=100" >"$script"

timeout 60 wine "$MIRLOW_PROBE" sleepy-window "$title" 30000 >/dev/null 2>&1 &
sleeper=$!
trap 'kill $sleeper 2>/dev/null; stop_leftover_mirlow' EXIT
probe wait-window "-:$title" 15000 || fail "the busy window does not appear"
sleep 1

started=$(date +%s%N)
start_mirlow "$(winpath "$script")"
text=$(probe wait-box "$title" 20000) || fail "no message box captioned '$title'"
elapsed=$((($(date +%s%N) - started) / 1000000))
first=${text%%$'\n'*}
[ "$first" = "Unable to find and GOTO window with the title '$title'!" ] || fail "box says '$text'"
grep -qF "its program does not answer" <<<"$text" || fail "the box does not say why: '$text'"
probe press "$title" 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE, expected 3 (stopped by an error)"
expect_lines_in_order "$log" "    ERROR: Unable to find window '$title'!" \
    "    ...The window is there, but its program does not answer (busy or not responding)"
# The start of the program and its box take about a second under Wine;
# the GOTO itself gives up after its two-second limit.
[ "$elapsed" -lt 8000 ] || fail "the box came after $elapsed ms"
use_log_file "" 0
echo "GOTO to a busy window fails in $elapsed ms: ok"
