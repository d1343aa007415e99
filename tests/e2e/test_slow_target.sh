#!/usr/bin/env bash
# A program slower than the recording (it spends 15 ms on each key, the
# keys were recorded 10 ms apart) still gets every key, each after it took
# the one before, and the log shows the playback catching up on the time
# the program took. So too where the program is drawn inside another's
# frame (as a Store app is): the frame is the foreground window, and the
# window with the keyboard focus, of another thread, is the slow one.
source "$(dirname "$0")/lib.sh"

keys=40
log="$E2E_WORK/slow.log"
arrivals="$E2E_WORK/arrivals.txt"
script="$E2E_WORK/keys.mrx"
use_log_file "$log" 3
{
    echo "GOTO Mirlow Key Timer"
    for i in $(seq 0 $((keys - 1))); do
        echo "message=WM_KEY$([ $((i % 2)) -eq 0 ] && echo DOWN || echo UP) paramH=0 paramL=65 time=$((1000 + i * 10))"
    done
} | sed 's/$/\r/' >"$script"

for mode in plain hosted; do
    rm -f "$log" "$arrivals"
    timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$arrivals")" $keys 30000 \
        15 $mode >/dev/null 2>&1 &
    timer=$!
    probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window ($mode)"
    start_mirlow "$(winpath "$script")"
    wait_exit 30
    [ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE ($mode)"
    wait "$timer" || fail "the key timer did not get all $keys keys ($mode)"
    [ "$(grep -c . "$arrivals")" = "$keys" ] \
        || fail "$(grep -c . "$arrivals") keys arrived, not $keys ($mode)"
    # Each key takes the program 5 ms more than the recording gives it: a
    # playback that waits for it is some 200 ms behind at the end, one that
    # asks another thread than the program's is not behind at all.
    taken="^    Event #[0-9]+ was taken [0-9]+ ms after it was due; Surplus now ([0-9]+)"$'\r'"$"
    surplus=$(sed -nE "s/$taken/\1/p" "$log" | tail -n1)
    [ "${surplus:-0}" -ge 100 ] \
        || fail "the playback did not wait for the keys ($mode): surplus '${surplus}'"
done
use_log_file "" 0
echo "every key reaches a program slower than the recording: ok"
