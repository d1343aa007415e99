#!/usr/bin/env bash
# A program slower than the recording (it spends 15 ms on each key, the
# keys were recorded 10 ms apart) still gets every key, each after it took
# the one before, and the log shows the playback catching up on the time
# the program took.
source "$(dirname "$0")/lib.sh"

keys=40
log="$E2E_WORK/slow.log"
arrivals="$E2E_WORK/arrivals.txt"
script="$E2E_WORK/keys.mrx"
rm -f "$log" "$arrivals"
use_log_file "$log" 3
{
    echo "GOTO Mirlow Key Timer"
    for i in $(seq 0 $((keys - 1))); do
        echo "message=WM_KEY$([ $((i % 2)) -eq 0 ] && echo DOWN || echo UP) paramH=0 paramL=65 time=$((1000 + i * 10))"
    done
} | sed 's/$/\r/' >"$script"

timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$arrivals")" $keys 30000 15 \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
start_mirlow "$(winpath "$script")"
wait_exit 30
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
wait "$timer" || fail "the key timer did not get all $keys keys"
[ "$(grep -c . "$arrivals")" = "$keys" ] || fail "$(grep -c . "$arrivals") keys arrived, not $keys"
grep -qE "^    Event #[0-9]+ was taken [0-9]+ ms after it was due; Surplus now [0-9]+"$'\r'"$" "$log" \
    || fail "the log does not show the catching up"
use_log_file "" 0
echo "every key reaches a program slower than the recording: ok"
