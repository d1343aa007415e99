#!/usr/bin/env bash
# Typed text all arrives in the window it was typed for, even where that
# window takes it more slowly than it is sent: a key timer that spends
# 5 ms on every key message (answering the messages sent to it all the
# while, so that answers say nothing about the input it has taken) gets
# 200 characters typed by TYPE, and the START of another window right
# after the text (which takes the keyboard, and makes Wine throw away
# whatever was still queued for the first) waits until the first has
# taken them all; the second gets none of them. A window that stops
# taking input ends the run with exit code 3, a box and a log line naming
# it, once the wait's limit is over, not with a success.
source "$(dirname "$0")/lib.sh"

count=200
chunk="Typed text, ALL of it: 0123456789 (ok?) "
text=""
while [ ${#text} -lt $count ]; do text+=$chunk; done
text=${text:0:$count}
first="$E2E_WORK/first.txt" second="$E2E_WORK/second.txt" script="$E2E_WORK/typed.mrx"
rm -f "$first" "$second"
printf '%s\r\n' "GOTO Mirlow Key Timer" "TYPE $text" \
    "START $(winpath "$MIRLOW_KEY_TIMER") $(winpath "$second") 1 3000 chars" >"$script"

timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$first")" $count 30000 chars:5 \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
wait "$timer" || fail "the first window got $(grep -c . "$first") of $count characters"
poll 10 test -e "$second" || fail "the window started after the text did not end"
[ "$(grep -c . "$second")" = "0" ] || fail "the window started after the text got typed keys"

# A window that stops taking input (it sleeps 15 s on the first key) is
# waited for while it does not answer, then the run ends as an error, with
# a box that says so.
log="$E2E_WORK/untaken.log"
rm -f "$log"
use_log_file "$log" 1
printf '%s\r\n' "GOTO Mirlow Key Timer" "TYPE abc" >"$script"
timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$first")" 6 30000 15000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
start_mirlow "$(winpath "$script")"
box=$(probe wait-box "Playback Error" 30000) || fail "no box for a window that takes nothing"
[ "${box%%:*}" = "The window 'Mirlow Key Timer' did not take the input Mirlow played to it within 10 seconds" ] \
    || fail "the box says '$box'"
probe press "Playback Error" 1 || fail "cannot press OK"
wait_exit 20
kill "$timer" 2>/dev/null
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE for a window that takes nothing"
expect_lines_in_order "$log" \
    "the window 'Mirlow Key Timer' had not taken the last 6 event(s) played to it (3 typed character(s))"
use_log_file "" 0
echo "typed text all reaches its slow window before the next one starts, or the run says not: ok"
